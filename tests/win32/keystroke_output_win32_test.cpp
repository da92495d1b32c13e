// The output's keystrokes and clipboard against a real Edit control of our
// own. Needs a display (the test script starts Xvfb before the Wine suite).
#include <gtest/gtest.h>

#include <windows.h>

#include <functional>

#include "engine/matcher/expander.h"
#include "platform/clock.h"
#include "engine/output/keystroke_output.h"
#include "platform/fake/fake_windows.h"
#include "platform/win32/clipboard_win32.h"
#include "platform/win32/key_injector_win32.h"

namespace kx {
namespace {

// A top-level window holding a focused Edit control, destroyed on scope exit.
class EditHost {
public:
    EditHost() {
        WNDCLASSW wc{};
        wc.lpfnWndProc = DefWindowProcW;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"KxOutputTestHost";
        RegisterClassW(&wc);  // a second test finds it registered
        host_ = CreateWindowExW(0, wc.lpszClassName, L"host", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10, 10, 400, 120,
                                nullptr, nullptr, wc.hInstance, nullptr);
        if (!host_) return;
        edit_ = CreateWindowExW(0, L"EDIT", L"", WS_CHILD | WS_VISIBLE | ES_AUTOHSCROLL, 5, 5, 380, 24, host_,
                                nullptr, wc.hInstance, nullptr);
        SetForegroundWindow(host_);
        SetFocus(edit_);
        Pump([] { return false; }, 100);
    }
    ~EditHost() {
        if (host_) DestroyWindow(host_);
    }
    EditHost(const EditHost&) = delete;
    EditHost& operator=(const EditHost&) = delete;

    bool Ready() const { return edit_ && GetFocus() == edit_; }
    void Clear() {
        SetWindowTextW(edit_, L"");
        Pump([] { return false; }, 20);
    }
    HWND Host() const { return host_; }
    std::u16string Text() const {
        wchar_t buf[256] = {};
        GetWindowTextW(edit_, buf, 256);
        return std::u16string(reinterpret_cast<const char16_t*>(buf));
    }
    // Runs the message loop until `done` or the time limit; returns `done`.
    static bool Pump(const std::function<bool()>& done, DWORD limitMs) {
        const DWORD start = GetTickCount();
        for (;;) {
            MSG m;
            while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
                TranslateMessage(&m);
                DispatchMessageW(&m);
            }
            if (done()) return true;
            if (GetTickCount() - start > limitMs) return false;
            Sleep(10);
        }
    }
    bool WaitForText(std::u16string_view want) {
        return Pump([&] { return Text() == want; }, 3000);
    }

private:
    HWND host_ = nullptr;
    HWND edit_ = nullptr;
};

void Type(KeyInjector& keys, std::string_view ascii) {
    for (char c : ascii) {
        const uint16_t key = uint16_t(c >= 'a' && c <= 'z' ? c - 32 : c);
        const KeyRecord tap[] = {{key, 0, 0, 0}, {key, 0, keyflag::kKeyUp, 0}};
        keys.SendInput(tap);
    }
}

EntryRef Text(std::u16string s) { return ShortcutEntry::Make(ShortcutKind::SimpleText, std::move(s)); }

// One window for all cases: Wine takes about two seconds to destroy one.
TEST(Win32Output, EditControlReceivesTheSequences) {
    EditHost host;
    ASSERT_TRUE(host.Ready()) << "no window focus: the Windows suite runs on a display";
    Win32KeyInjector keys;
    Win32Clipboard clip;
    FakeWindows windows;
    KeystrokeOutput out(OutputPorts{keys, clip, SystemClock(), windows, nullptr,
                                    reinterpret_cast<WindowHandle>(host.Host())});

    // The keyword and its delimiter erased, or selected as in a word
    // processor; either way the expansion and the delimiter replace them.
    for (bool wordLike : {false, true}) {
        host.Clear();
        Type(keys, "to sig ");
        ASSERT_TRUE(host.WaitForText(u"to sig ")) << testing::PrintToString(host.Text());
        EngineState state;
        state.typed = u"SIG";
        state.isWordLike = wordLike;
        ExpandRequest r;
        r.target = 0x1000;
        r.entry = Text(u"Best regards");
        r.trailing = u' ';
        ASSERT_EQ(out.ExpandShortcut(state, r), 11);
        EXPECT_TRUE(host.WaitForText(u"to Best regards "))
            << "word-like " << wordLike << ": " << testing::PrintToString(host.Text());
    }

    // Auto Complete: the part word selected and the phrase pasted over it.
    host.Clear();
    Type(keys, "my tel");
    ASSERT_TRUE(host.WaitForText(u"my tel"));
    EngineState state;
    state.foregroundWindow = reinterpret_cast<WindowHandle>(host.Host());
    EXPECT_EQ(out.InsertPhrase(state, Text(u"telephone"), 3), 11);
    EXPECT_TRUE(host.WaitForText(u"my telephone")) << testing::PrintToString(host.Text());

    host.Clear();
    Type(keys, "end  ");
    ASSERT_TRUE(host.WaitForText(u"end  "));
    ASSERT_TRUE(out.SendDoubleSpaceFix());
    EXPECT_TRUE(host.WaitForText(u"end. ")) << testing::PrintToString(host.Text());
}

}  // namespace
}  // namespace kx
