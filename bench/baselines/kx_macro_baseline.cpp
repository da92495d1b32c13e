// The least a program can do to type a macro's lines when a key is pressed:
// a low-level keyboard hook sees the key, and a typing thread waits for CTRL
// and ALT to be up (typed characters must not arrive as shortcuts) and then
// sends each line's characters in one SendInput call, one Unicode press and
// release per character, as a kbrd_input line of plain text makes them. The
// typing is not on the hook's thread: every injected key passes the hook,
// and a hook thread busy in SendInput would hold each of them up.
// The macro latency benchmark measures the macro runner against this.
//
//   kx_macro_baseline.exe --ready PATH [--key VK] [--lines N] [--length N]
//                         [--stop-file PATH] [--seconds N]
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr UINT_PTR kStopPollTimer = 1;

DWORD g_key = 'B';
HANDLE g_typeEvent = nullptr;

LRESULT CALLBACK KeyboardProc(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HC_ACTION) {
        const auto* kb = reinterpret_cast<const KBDLLHOOKSTRUCT*>(lParam);
        const bool down = wParam == WM_KEYDOWN || wParam == WM_SYSKEYDOWN;
        if (down && kb->vkCode == g_key && !(kb->flags & LLKHF_INJECTED))
            ::SetEvent(g_typeEvent);
    }
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

std::vector<INPUT> LineRecords(const std::wstring& line) {
    std::vector<INPUT> in;
    for (wchar_t c : line) {
        INPUT r = {};
        r.type = INPUT_KEYBOARD;
        r.ki.wScan = WORD(c);
        r.ki.dwFlags = KEYEVENTF_UNICODE;
        in.push_back(r);
        r.ki.dwFlags |= KEYEVENTF_KEYUP;
        in.push_back(r);
    }
    return in;
}

bool ModifiersUp() { return ::GetAsyncKeyState(VK_CONTROL) >= 0 && ::GetAsyncKeyState(VK_MENU) >= 0; }

bool TypeLines(const std::vector<std::wstring>& lines) {
    for (int i = 0; i < 500 && !ModifiersUp(); ++i) ::Sleep(10);
    for (const std::wstring& line : lines) {
        std::vector<INPUT> in = LineRecords(line);
        if (::SendInput(UINT(in.size()), in.data(), sizeof(INPUT)) != in.size()) return false;
    }
    return true;
}

struct Typist {
    std::vector<std::wstring> lines;
    HANDLE stop = nullptr;
    int failures = 0;
};

DWORD WINAPI TypingThread(void* p) {
    auto& t = *static_cast<Typist*>(p);
    HANDLE events[2] = {t.stop, g_typeEvent};
    while (::WaitForMultipleObjects(2, events, FALSE, INFINITE) == WAIT_OBJECT_0 + 1)
        if (!TypeLines(t.lines)) ++t.failures;
    return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    std::wstring ready, stopFile;
    unsigned seconds = 120, lineCount = 5, length = 200;
    for (int i = 1; i + 1 < argc; ++i) {
        const std::wstring a = argv[i];
        if (a == L"--ready") ready = argv[++i];
        else if (a == L"--key") g_key = DWORD(wcstoul(argv[++i], nullptr, 0));
        else if (a == L"--lines") lineCount = unsigned(_wtoi(argv[++i]));
        else if (a == L"--length") length = unsigned(_wtoi(argv[++i]));
        else if (a == L"--stop-file") stopFile = argv[++i];
        else if (a == L"--seconds") seconds = unsigned(_wtoi(argv[++i]));
    }
    if (ready.empty() || lineCount == 0 || length == 0) return 2;
    // The same text as the benchmark's macro: "abcdefghij" repeated.
    std::vector<std::wstring> lines;
    for (unsigned l = 0; l < lineCount; ++l) {
        std::wstring line;
        for (unsigned i = 0; i < length; ++i) line.push_back(wchar_t(L'a' + i % 10));
        lines.push_back(line);
    }
    Typist typist{lines, ::CreateEventW(nullptr, TRUE, FALSE, nullptr)};
    g_typeEvent = ::CreateEventW(nullptr, FALSE, FALSE, nullptr);
    HANDLE typing = ::CreateThread(nullptr, 0, TypingThread, &typist, 0, nullptr);
    if (!typist.stop || !g_typeEvent || !typing) return 3;
    HHOOK hook = ::SetWindowsHookExW(WH_KEYBOARD_LL, KeyboardProc, ::GetModuleHandleW(nullptr), 0);
    if (!hook) return 3;
    if (FILE* f = _wfopen(ready.c_str(), L"wb")) {
        std::fputs("ready\n", f);
        std::fclose(f);
    }
    const ULONGLONG end = ::GetTickCount64() + seconds * 1000ull;
    ::SetTimer(nullptr, kStopPollTimer, 50, nullptr);
    MSG m;
    while (::GetMessageW(&m, nullptr, 0, 0) > 0) {
        if (m.message == WM_TIMER && !m.hwnd) {
            if (::GetTickCount64() >= end ||
                (!stopFile.empty() && ::GetFileAttributesW(stopFile.c_str()) != INVALID_FILE_ATTRIBUTES))
                break;
        }
        ::DispatchMessageW(&m);
    }
    ::UnhookWindowsHookEx(hook);
    ::SetEvent(typist.stop);
    ::WaitForSingleObject(typing, INFINITE);
    ::CloseHandle(typing);
    ::CloseHandle(typist.stop);
    ::CloseHandle(g_typeEvent);
    return typist.failures ? 4 : 0;
}
