// The clipboard seam and the keeper of an expansion's clipboard, against the
// system clipboard. Needs a display (windows).
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <thread>

#include "engine/output/clipboard_put.h"
#include "platform/win32/clipboard_keeper_win32.h"
#include "platform/win32/clipboard_win32.h"
#include "platform/win32/handles.h"
#include "platform/clock.h"

namespace kx {
namespace {

using Bytes = std::vector<uint8_t>;

Bytes Units(std::u16string_view s) {
    Bytes b((s.size() + 1) * 2, 0);
    std::memcpy(b.data(), s.data(), s.size() * 2);
    return b;
}

// The first `n` bytes of what was read: the system rounds sizes up.
Bytes Prefix(const std::optional<Bytes>& d, size_t n) { return d && d->size() >= n ? Bytes(d->begin(), d->begin() + long(n)) : Bytes(); }

// A message-only window of this thread, destroyed on scope exit.
struct Window {
    UniqueWindow w{::CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr)};
    HWND get() const { return w.Get(); }
    WindowHandle handle() const { return reinterpret_cast<WindowHandle>(w.Get()); }
};

struct ClipboardTest : ::testing::Test {
    void SetUp() override { ASSERT_TRUE(window.get()) << "cannot create a window: the Windows suite runs on a display"; }
    Window window;
    Win32Clipboard clip;
};

TEST_F(ClipboardTest, HeldByAnotherWindowIsWaitedForThenGivenUp) {
    ASSERT_TRUE(clip.Open(window.handle()));
    bool opened = true;
    std::thread([&] {
        Win32Clipboard c;
        ClipboardSession session(c);
        opened = OpenClipboardWithin(session, SystemClock(), 0, kClipboardOpenLimitMs);
    }).join();
    EXPECT_FALSE(opened);
    EXPECT_TRUE(clip.Close());
}

// What a history tool finds beside an expansion: each format registered
// under its name, holding a DWORD 0 (what the two "Can..." formats are read for).
TEST_F(ClipboardTest, AnExpansionCarriesTheFormatsThatKeepItOutOfHistory) {
    ASSERT_TRUE(clip.Open(window.handle()) && clip.Empty() && PutPrivacyFormats(clip) && clip.Close());
    ASSERT_TRUE(clip.Open(0));
    for (std::u16string_view name : kPrivacyFormatNames)
        EXPECT_EQ(Prefix(clip.GetData(clip.RegisterFormat(name)), 4), Bytes(4, 0)) << std::string(name.begin(), name.end());
    EXPECT_FALSE(clip.GetData(kCfUnicodeText).has_value()) << "a format that is not there";
    EXPECT_TRUE(clip.Close());
    EXPECT_FALSE(clip.Close()) << "not open any more";
}

// Formats held as GDI objects: put on the clipboard, read back as bytes, put
// back as a new object, the bytes read then must not change; damaged bytes
// make no object.
TEST_F(ClipboardTest, MetafilesAndPalettesComeBackWhole) {
    HDC wmf = ::CreateMetaFileW(nullptr);
    ::Ellipse(wmf, 0, 0, 50, 25);
    HGLOBAL pict = ::GlobalAlloc(GMEM_MOVEABLE, sizeof(METAFILEPICT));
    *static_cast<METAFILEPICT*>(::GlobalLock(pict)) = {MM_ANISOTROPIC, 1234, 567, ::CloseMetaFile(wmf)};
    ::GlobalUnlock(pict);
    HDC emf = ::CreateEnhMetaFileW(nullptr, nullptr, nullptr, nullptr);
    ::Rectangle(emf, 1, 2, 30, 40);
    Bytes lp(sizeof(LOGPALETTE) + 2 * sizeof(PALETTEENTRY));
    auto* log = reinterpret_cast<LOGPALETTE*>(lp.data());
    log->palVersion = 0x300;
    log->palNumEntries = 3;
    for (BYTE i = 0; i < 3; ++i) log->palPalEntry[i] = {BYTE(10 + 30 * i), BYTE(20 + 30 * i), BYTE(30 + 30 * i), 0};
    const struct {
        unsigned format;
        HANDLE object;
        Bytes head;  // what the bytes start with
        size_t size, atLeast;
        Bytes damaged;
    } rows[] = {
        {kCfMetafilePict, pict, {8, 0, 0, 0, 0xD2, 4, 0, 0, 0x37, 2, 0, 0}, 0, 13, Bytes(12, 0)},
        {kCfEnhMetafile, ::CloseEnhMetaFile(emf), {1, 0, 0, 0}, 0, 101, {}},
        {kCfPalette, ::CreatePalette(log), {3, 0, 0, 0, 10, 20, 30, 0}, 4 + 3 * sizeof(PALETTEENTRY), 0,
         {0xFF, 0xFF, 0xFF, 0x7F}},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.format);
        ASSERT_TRUE(clip.Open(0) && clip.Empty());
        EXPECT_TRUE(::SetClipboardData(r.format, r.object));
        const auto first = clip.GetData(r.format);
        ASSERT_TRUE(first.has_value());
        EXPECT_EQ(Prefix(first, r.head.size()), r.head);
        EXPECT_GE(first->size(), r.size + r.atLeast);
        EXPECT_LE(first->size(), r.size ? r.size : first->size());
        EXPECT_TRUE(clip.Empty() && clip.SetData(r.format, *first));
        EXPECT_EQ(clip.GetData(r.format), first);
        if (!r.damaged.empty()) {
            EXPECT_FALSE(clip.SetData(r.format, r.damaged));
        }
        clip.Close();
    }
    ASSERT_TRUE(clip.Open(0));
    EXPECT_FALSE(clip.SetData(kCfBitmap, Bytes{1, 2, 3}));
    clip.Close();
}

// Offers `text` through the keeper, as an expansion does.
void Offer(Win32Clipboard& clip, ClipboardKeeper& keeper, const Bytes& text, HWND target) {
    ASSERT_TRUE(clip.Open(keeper.Window()) && clip.Empty());
    keeper.Provide({{kCfUnicodeText, text}}, WindowHandle(target));
    ASSERT_TRUE(clip.OfferDelayed(kCfUnicodeText) && clip.Close());
}

// What a reader with `window` (0: none) gets, the way programs read.
Bytes ReadText(Win32Clipboard& clip, HWND window, size_t bytes) {
    if (!clip.Open(WindowHandle(window))) return {};
    const Bytes got = Prefix(clip.GetData(kCfUnicodeText), bytes);
    clip.Close();
    return got;
}

TEST_F(ClipboardTest, EveryReaderGetsTheExpansionAndTheFirstAfterThePasteKeysIsThePaste) {
    const Bytes text = Units(u"expanded");
    {
        ClipboardKeeper keeper;
        ASSERT_NE(keeper.Window(), 0u);
        // A reader with no window of its own after the paste keys: that is the
        // paste, but not a read seen from the target's own program.
        Offer(clip, keeper, text, window.get());
        EXPECT_FALSE(keeper.WaitForRequest(0));
        keeper.PasteSent();
        EXPECT_FALSE(keeper.WaitForRequest(20));
        EXPECT_EQ(ReadText(clip, nullptr, text.size()), text);
        EXPECT_TRUE(keeper.WaitForRequest(0));
        EXPECT_EQ(keeper.Requests(), 1u);
        EXPECT_FALSE(keeper.TargetAsked());
        EXPECT_EQ(ReadText(clip, reinterpret_cast<HWND>(keeper.Window()), text.size()), text) << "ours, not counted";
        EXPECT_EQ(keeper.Requests(), 1u);

        // A viewer reading the change before the paste keys gets it too; the
        // target's read then asks nothing, so the paste is not waited for.
        Window viewer;
        Offer(clip, keeper, text, window.get());
        EXPECT_EQ(ReadText(clip, viewer.get(), text.size()), text);
        EXPECT_EQ(keeper.Requests(), 1u);
        keeper.PasteSent();
        EXPECT_TRUE(keeper.WaitForRequest(0));
        EXPECT_FALSE(keeper.TargetAsked());

        // The target's own program asks after the paste keys.
        Offer(clip, keeper, text, window.get());
        keeper.PasteSent();
        EXPECT_EQ(ReadText(clip, window.get(), text.size()), text);
        EXPECT_TRUE(keeper.TargetAsked());

        // Withdrawn: no paste is waited for, and readers are still answered.
        Offer(clip, keeper, text, window.get());
        keeper.PasteSent();
        keeper.Withdraw();
        EXPECT_EQ(ReadText(clip, viewer.get(), text.size()), text);
        EXPECT_FALSE(keeper.WaitForRequest(0));

        // What is still on offer is rendered when the keeper ends.
        Offer(clip, keeper, Units(u"left behind"), nullptr);
    }
    EXPECT_EQ(ReadText(clip, nullptr, Units(u"left behind").size()), Units(u"left behind"));
}

}  // namespace
}  // namespace kx
