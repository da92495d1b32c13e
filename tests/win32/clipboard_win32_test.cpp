// The clipboard seam against the system clipboard.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <thread>

#include "engine/output/clipboard_put.h"
#include "platform/win32/clipboard_win32.h"

namespace kx {
namespace {

std::vector<uint8_t> Prefix(const std::optional<std::vector<uint8_t>>& d, size_t n) {
    if (!d || d->size() < n) return {};
    return std::vector<uint8_t>(d->begin(), d->begin() + long(n));
}

TEST(Win32Clipboard, FormatsRoundTripAndAddUp) {
    Win32Clipboard clip;
    const unsigned rtf = clip.RegisterFormat(u"Rich Text Format");
    EXPECT_GE(rtf, 0xC000u);
    EXPECT_EQ(clip.RegisterFormat(u"rich text format"), rtf);  // names ignore case

    const std::string rich = "{\\rtf1 hello}";
    const std::vector<uint8_t> richBytes(rich.c_str(), rich.c_str() + rich.size() + 1);
    const std::u16string text = u"h\u00e9llo";
    std::vector<uint8_t> textBytes((text.size() + 1) * 2);
    std::memcpy(textBytes.data(), text.c_str(), textBytes.size());

    ASSERT_TRUE(clip.Open(0));
    ASSERT_TRUE(clip.Empty());
    ASSERT_TRUE(clip.SetData(rtf, richBytes));
    ASSERT_TRUE(clip.Close());
    // A second opening adds a format beside the first.
    ASSERT_TRUE(clip.Open(0));
    ASSERT_TRUE(clip.SetData(kCfUnicodeText, textBytes));
    ASSERT_TRUE(clip.Close());

    ASSERT_TRUE(clip.Open(0));
    EXPECT_EQ(Prefix(clip.GetData(rtf), richBytes.size()), richBytes);
    EXPECT_EQ(Prefix(clip.GetData(kCfUnicodeText), textBytes.size()), textBytes);
    EXPECT_FALSE(clip.GetData(clip.RegisterFormat(u"Kestrix Test Unused")).has_value());
    EXPECT_TRUE(clip.Close());
    EXPECT_FALSE(clip.Close());  // not open any more
}

// A message-only window, destroyed on scope exit.
class MessageWindow {
public:
    MessageWindow()
        : h_(CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr)) {}
    ~MessageWindow() { if (h_) DestroyWindow(h_); }
    MessageWindow(const MessageWindow&) = delete;
    MessageWindow& operator=(const MessageWindow&) = delete;
    WindowHandle get() const { return reinterpret_cast<WindowHandle>(h_); }

private:
    HWND h_;
};

TEST(Win32Clipboard, HeldByAnotherWindowIsWaitedForThenGivenUp) {
    MessageWindow holder;
    ASSERT_TRUE(holder.get()) << "cannot create a window: the Windows suite runs on a display";
    Win32Clipboard clip;
    ASSERT_TRUE(clip.Open(holder.get()));
    bool opened = true;
    // The expansion's wait, against a clipboard this thread keeps open.
    std::thread other([&] {
        Win32Clipboard c;
        ClipboardSession session(c);
        opened = OpenClipboardWithin(session, SystemClock(), 0, kClipboardOpenLimitMs);
    });
    other.join();
    EXPECT_FALSE(opened);
    EXPECT_TRUE(clip.Close());
}

TEST(Win32Clipboard, AnExpansionCarriesTheFormatsThatKeepItOutOfHistory) {
    MessageWindow owner;
    ASSERT_TRUE(owner.get()) << "cannot create a window: the Windows suite runs on a display";
    Win32Clipboard clip;
    ASSERT_TRUE(clip.Open(owner.get()));
    ASSERT_TRUE(clip.Empty());
    ASSERT_TRUE(PutPrivacyFormats(clip));
    ASSERT_TRUE(clip.Close());
    // What a history tool finds: each format registered under its name,
    // holding a DWORD 0 (the value the two "Can..." formats are read for).
    ASSERT_TRUE(clip.Open(0));
    for (std::u16string_view name : kPrivacyFormatNames) {
        const unsigned format = clip.RegisterFormat(name);
        EXPECT_EQ(Prefix(clip.GetData(format), 4), std::vector<uint8_t>(4, 0))
            << std::string(name.begin(), name.end());
    }
    clip.Close();
}

}  // namespace
}  // namespace kx
