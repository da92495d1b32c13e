// The clipboard's owner window and the formats held as GDI objects, against
// the system clipboard.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>

#include "engine/output/clipboard_snapshot.h"
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

// A message-only window of this thread, destroyed on scope exit.
struct Window {
    UniqueWindow w{CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr)};
    HWND get() const { return w.Get(); }
};

// The pixels of a bitmap, 32 bits each, top row first.
std::vector<uint32_t> Pixels(HBITMAP b, int width, int height) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    std::vector<uint32_t> px(size_t(width * height));
    HDC dc = GetDC(nullptr);
    GetDIBits(dc, b, 0, UINT(height), px.data(), &info, DIB_RGB_COLORS);
    ReleaseDC(nullptr, dc);
    for (uint32_t& p : px) p &= 0xFFFFFF;
    return px;
}

HBITMAP MakeBitmap(const std::vector<uint32_t>& px, int width, int height) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    HDC dc = GetDC(nullptr);
    HBITMAP b = CreateDIBitmap(dc, &info.bmiHeader, CBM_INIT, px.data(), &info, DIB_RGB_COLORS);
    ReleaseDC(nullptr, dc);
    return b;
}

// Puts one GDI object on the clipboard, reads it back as bytes, and puts
// the bytes back as a new object: the bytes read then must not change.
Bytes RoundTrip(Win32Clipboard& clip, unsigned format, HANDLE object) {
    EXPECT_TRUE(clip.Open(0));
    EXPECT_TRUE(clip.Empty());
    EXPECT_TRUE(SetClipboardData(format, object));
    auto first = clip.GetData(format);
    EXPECT_TRUE(clip.Empty());
    EXPECT_TRUE(first && clip.SetData(format, *first));
    auto second = clip.GetData(format);
    EXPECT_TRUE(clip.Close());
    EXPECT_TRUE(first.has_value());
    EXPECT_EQ(first, second);
    return first.value_or(Bytes());
}

TEST(Win32ClipboardObjects, BitmapsMetafilesAndPalettesComeBackWhole) {
    Win32Clipboard clip;
    const std::vector<uint32_t> px = {0xFF0000, 0x00FF00, 0x0000FF, 0x123456, 0xFFFFFF, 0x000001};
    RoundTrip(clip, kCfBitmap, MakeBitmap(px, 3, 2));
    // And the bitmap the clipboard holds in the end has the same pixels.
    ASSERT_TRUE(clip.Open(0));
    EXPECT_EQ(Pixels(static_cast<HBITMAP>(GetClipboardData(kCfBitmap)), 3, 2), px);
    clip.Close();

    HDC emf = CreateEnhMetaFileW(nullptr, nullptr, nullptr, nullptr);
    Rectangle(emf, 1, 2, 30, 40);
    const Bytes enh = RoundTrip(clip, kCfEnhMetafile, CloseEnhMetaFile(emf));
    EXPECT_GT(enh.size(), 100u);

    HDC wmf = CreateMetaFileW(nullptr);
    Ellipse(wmf, 0, 0, 50, 25);
    HGLOBAL pict = GlobalAlloc(GMEM_MOVEABLE, sizeof(METAFILEPICT));
    auto* p = static_cast<METAFILEPICT*>(GlobalLock(pict));
    p->mm = MM_ANISOTROPIC;
    p->xExt = 1234;
    p->yExt = 567;
    p->hMF = CloseMetaFile(wmf);
    GlobalUnlock(pict);
    const Bytes meta = RoundTrip(clip, kCfMetafilePict, pict);
    ASSERT_GT(meta.size(), 12u);
    int32_t head[3];
    std::memcpy(head, meta.data(), 12);
    EXPECT_EQ(head[0], MM_ANISOTROPIC);
    EXPECT_EQ(head[1], 1234);
    EXPECT_EQ(head[2], 567);

    std::vector<uint8_t> lp(sizeof(LOGPALETTE) + 2 * sizeof(PALETTEENTRY));
    auto* log = reinterpret_cast<LOGPALETTE*>(lp.data());
    log->palVersion = 0x300;
    log->palNumEntries = 3;
    log->palPalEntry[0] = {10, 20, 30, 0};
    log->palPalEntry[1] = {40, 50, 60, 0};
    log->palPalEntry[2] = {70, 80, 90, 0};
    const Bytes pal = RoundTrip(clip, kCfPalette, CreatePalette(log));
    EXPECT_EQ(pal.size(), 4u + 3 * sizeof(PALETTEENTRY));

    // Damaged bytes make no object and change nothing.
    ASSERT_TRUE(clip.Open(0));
    EXPECT_FALSE(clip.SetData(kCfBitmap, Bytes{1, 2, 3}));
    EXPECT_FALSE(clip.SetData(kCfPalette, Bytes{0xFF, 0xFF, 0xFF, 0x7F}));
    EXPECT_FALSE(clip.SetData(kCfMetafilePict, Bytes(12, 0)));
    clip.Close();
}

TEST(Win32ClipboardObjects, ASavedClipboardWithABitmapComesBackPixelForPixel) {
    Win32Clipboard clip;
    const unsigned priv = clip.RegisterFormat(u"Kestrix Keeper Test Bytes");
    const std::vector<uint32_t> px = {0xABCDEF, 0x010203, 0xFEDCBA, 0x7F7F7F};
    ASSERT_TRUE(clip.Open(0));
    ASSERT_TRUE(clip.Empty());
    ASSERT_TRUE(clip.SetData(kCfUnicodeText, Units(u"before")));
    ASSERT_TRUE(clip.SetData(priv, Bytes{0, 0xFF, 0, 1}));
    ASSERT_TRUE(SetClipboardData(kCfBitmap, MakeBitmap(px, 2, 2)));
    const ClipboardSnapshot saved = SaveOpenClipboard(clip, SystemClock(), {1 << 20, 5000}).value();
    ASSERT_TRUE(clip.Empty());
    ASSERT_TRUE(clip.SetData(kCfUnicodeText, Units(u"expansion")));
    ASSERT_TRUE(RestoreOpenClipboard(clip, saved));
    clip.Close();

    ASSERT_TRUE(clip.Open(0));
    EXPECT_EQ(std::u16string(reinterpret_cast<const char16_t*>(clip.GetData(kCfUnicodeText)->data())), u"before");
    EXPECT_EQ(clip.GetData(priv), (Bytes{0, 0xFF, 0, 1}));
    EXPECT_EQ(Pixels(static_cast<HBITMAP>(GetClipboardData(kCfBitmap)), 2, 2), px);
    clip.Close();
}

// Offers `text` through the keeper, as an expansion does.
void Offer(Win32Clipboard& clip, ClipboardKeeper& keeper, const Bytes& text, HWND target) {
    ASSERT_TRUE(clip.Open(keeper.Window()));
    ASSERT_TRUE(clip.Empty());
    keeper.Provide({{kCfUnicodeText, text}}, WindowHandle(target));
    ASSERT_TRUE(clip.OfferDelayed(kCfUnicodeText));
    ASSERT_TRUE(clip.Close());
}

// What a reader with `window` (0: none) gets, the way programs read.
std::optional<Bytes> ReadText(Win32Clipboard& clip, HWND window, size_t bytes) {
    if (!clip.Open(WindowHandle(window))) return std::nullopt;
    auto got = clip.GetData(kCfUnicodeText);
    clip.Close();
    if (got && got->size() >= bytes) got->resize(bytes);
    return got;
}

TEST(ClipboardKeeper, EveryReaderGetsTheExpansionAndTheFirstAfterThePasteKeysIsThePaste) {
    ClipboardKeeper keeper;
    ASSERT_NE(keeper.Window(), 0u);
    Win32Clipboard clip;
    const Bytes text = Units(u"expanded");

    // A reader with no window of its own after the paste keys: that is the
    // paste, but not a read seen from the target's own program.
    Window target;
    Offer(clip, keeper, text, target.get());
    EXPECT_FALSE(keeper.WaitForRequest(0));
    keeper.PasteSent();
    EXPECT_FALSE(keeper.WaitForRequest(20));
    EXPECT_EQ(ReadText(clip, nullptr, text.size()), text);
    EXPECT_TRUE(keeper.WaitForRequest(0));
    EXPECT_EQ(keeper.Requests(), 1u);
    EXPECT_FALSE(keeper.TargetAsked());
    // Our own opening reads without counting.
    EXPECT_EQ(ReadText(clip, reinterpret_cast<HWND>(keeper.Window()), text.size()), text);
    EXPECT_EQ(keeper.Requests(), 1u);

    // A viewer reading the change before the paste keys gets it too; the
    // target's read then asks nothing, so the paste is not waited for.
    Window viewer;
    Offer(clip, keeper, text, target.get());
    EXPECT_EQ(ReadText(clip, viewer.get(), text.size()), text);
    EXPECT_EQ(keeper.Requests(), 1u);
    keeper.PasteSent();
    EXPECT_TRUE(keeper.WaitForRequest(0));
    EXPECT_FALSE(keeper.TargetAsked());

    // The target's own program asks after the paste keys.
    Offer(clip, keeper, text, target.get());
    keeper.PasteSent();
    EXPECT_EQ(ReadText(clip, target.get(), text.size()), text);
    EXPECT_TRUE(keeper.TargetAsked());

    // Withdrawn: no paste is waited for, and readers are still answered.
    Offer(clip, keeper, text, target.get());
    keeper.PasteSent();
    keeper.Withdraw();
    EXPECT_EQ(ReadText(clip, viewer.get(), text.size()), text);
    EXPECT_FALSE(keeper.WaitForRequest(0));
}

TEST(ClipboardKeeper, WhatIsStillOnOfferIsRenderedWhenTheKeeperEnds) {
    Win32Clipboard clip;
    const Bytes text = Units(u"left behind");
    {
        ClipboardKeeper keeper;
        ASSERT_TRUE(clip.Open(keeper.Window()));
        ASSERT_TRUE(clip.Empty());
        keeper.Provide({{kCfUnicodeText, text}}, 0);
        ASSERT_TRUE(clip.OfferDelayed(kCfUnicodeText));
        ASSERT_TRUE(clip.Close());
    }
    ASSERT_TRUE(clip.Open(0));
    auto got = clip.GetData(kCfUnicodeText);
    clip.Close();
    ASSERT_TRUE(got.has_value());
    EXPECT_EQ(Bytes(got->begin(), got->begin() + long(text.size())), text);
}

}  // namespace
}  // namespace kx
