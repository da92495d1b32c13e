// The least a program can do to paste a text when a key is typed: a
// low-level keyboard hook sees the key, and the program's thread puts the
// text on the clipboard and sends Ctrl+V. Nothing is erased. The latency
// benchmark measures the expansion against this.
//
//   kx_paste_baseline.exe --text TEXT --ready PATH [--key VK] [--stop-file PATH] [--seconds N]
#include <windows.h>

#include <cstdio>
#include <string>

#include "tests/e2e/clip_text.h"

namespace {

constexpr UINT kPasteMessage = WM_APP + 1;
constexpr UINT_PTR kStopPollTimer = 1;

DWORD g_thread = 0;
DWORD g_key = VK_SPACE;

LRESULT CALLBACK KeyboardProc(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HC_ACTION) {
        const auto* kb = reinterpret_cast<const KBDLLHOOKSTRUCT*>(lParam);
        const bool down = wParam == WM_KEYDOWN || wParam == WM_SYSKEYDOWN;
        if (down && kb->vkCode == g_key && !(kb->flags & LLKHF_INJECTED))
            ::PostThreadMessageW(g_thread, kPasteMessage, 0, 0);
    }
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

bool Paste(HWND owner, const std::wstring& text) {
    if (!kx::e2e::PutClipboardText(owner, text)) return false;
    INPUT in[4] = {};
    const WORD keys[4] = {VK_CONTROL, 'V', 'V', VK_CONTROL};
    for (int i = 0; i < 4; ++i) {
        in[i].type = INPUT_KEYBOARD;
        in[i].ki.wVk = keys[i];
        in[i].ki.dwFlags = (i >= 2) ? KEYEVENTF_KEYUP : 0;
    }
    return ::SendInput(4, in, sizeof(INPUT)) == 4;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    std::wstring text, ready, stopFile;
    unsigned seconds = 120;
    for (int i = 1; i + 1 < argc; ++i) {
        const std::wstring a = argv[i];
        if (a == L"--text") text = argv[++i];
        else if (a == L"--ready") ready = argv[++i];
        else if (a == L"--key") g_key = DWORD(wcstoul(argv[++i], nullptr, 0));
        else if (a == L"--stop-file") stopFile = argv[++i];
        else if (a == L"--seconds") seconds = unsigned(_wtoi(argv[++i]));
    }
    if (text.empty() || ready.empty()) return 2;
    g_thread = ::GetCurrentThreadId();
    HWND owner = ::CreateWindowExW(0, L"STATIC", L"kx_paste_baseline", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                   ::GetModuleHandleW(nullptr), nullptr);
    HHOOK hook = ::SetWindowsHookExW(WH_KEYBOARD_LL, KeyboardProc, ::GetModuleHandleW(nullptr), 0);
    if (!owner || !hook) return 3;
    if (FILE* f = _wfopen(ready.c_str(), L"wb")) {
        std::fputs("ready\n", f);
        std::fclose(f);
    }
    const ULONGLONG end = ::GetTickCount64() + seconds * 1000ull;
    ::SetTimer(nullptr, kStopPollTimer, 50, nullptr);
    int failures = 0;
    MSG m;
    while (::GetMessageW(&m, nullptr, 0, 0) > 0) {
        if (m.message == kPasteMessage) {
            if (!Paste(owner, text)) ++failures;
        } else if (m.message == WM_TIMER && !m.hwnd) {
            if (::GetTickCount64() >= end ||
                (!stopFile.empty() && ::GetFileAttributesW(stopFile.c_str()) != INVALID_FILE_ATTRIBUTES))
                break;
        }
        ::DispatchMessageW(&m);
    }
    ::UnhookWindowsHookEx(hook);
    ::DestroyWindow(owner);
    return failures ? 4 : 0;
}
