// A window for typing tests: one Edit or RichEdit control filling a window of
// any class name, so tests can play the parts of word processors, consoles
// and browsers. What the control holds is written to a file after every
// change, for the test to read back; a RichEdit's content also as RTF.
// Ctrl+A selects all the text, as in Notepad. With --menu the window has a
// menu bar, which a lone ALT press and release makes active.
// Ctrl+V can paste as programs do that read the clipboard their own way:
// --paste-via PATH has another process (PATH read-text, which prints the
// clipboard's text) read it and inserts what it prints, as a browser whose
// engine reads in a process of its own; --second-read NAME reads the text,
// then 50 ms later, in another opening, the format NAME, as rich editors and
// browsers ask for several formats, and inserts the text. Each paste adds
// "text TEXT" (and "second BYTES", up to the first zero) to --paste-log PATH,
// then "reads MICROSECONDS MICROSECONDS", when each read began (0: none).
// With --login a password box stands above the control and has the focus
// first; Enter there moves the focus on to the control, as a log-in form does.
// A timeline file receives the time of every key press the window takes
// from its queue and of every change, for latency measurements:
//   key VK MICROSECONDS
//   change MICROSECONDS LENGTH
// --key-log PATH receives a line "key VK MODIFIERS" for every key press the
// window takes from its queue, MODIFIERS "shift", "ctrl", "shift+ctrl" or
// "-": a test can tell SHIFT+Enter from a bare Enter that would send.
//
//   kx_target.exe --class NAME [--rich] [--password] [--title T] [--text-file PATH]
//                 [--rtf-file PATH] [--timeline PATH] [--menu]
//                 [--paste-via PATH | --second-read NAME] [--paste-log PATH] [--login]
//                 [--key-log PATH]
#include <windows.h>
#include <richedit.h>

#include <cstdio>
#include <string>

#include "tests/support/win32_tool.h"

namespace {

using namespace testprog;

constexpr int kPasswordHeight = 24;

struct Target {
    explicit Target(const Args& a)
        : options(a), textFile(a.Get(L"--text-file")), rtfFile(a.Get(L"--rtf-file")),
          pasteVia(a.Get(L"--paste-via")), secondRead(a.Get(L"--second-read")), pasteLog(a.Get(L"--paste-log")),
          rich(a.Has(L"--rich")) {}
    Args options;
    std::wstring textFile, rtfFile, pasteVia, secondRead, pasteLog;
    bool rich;
    HWND edit = nullptr;
    HWND password = nullptr;  // --login
    bool loggedIn = false;
    FILE* timeline = nullptr;
    FILE* keyLog = nullptr;
};

DWORD CALLBACK AppendRtf(DWORD_PTR cookie, LPBYTE bytes, LONG count, LONG* done) {
    reinterpret_cast<std::string*>(cookie)->append(reinterpret_cast<const char*>(bytes), size_t(count));
    *done = count;
    return 0;
}

void SaveText(const Target& t) {
    if (t.timeline) {
        std::fprintf(t.timeline, "change %lld %d\n", Microseconds(), ::GetWindowTextLengthW(t.edit));
        std::fflush(t.timeline);
    }
    if (!t.rtfFile.empty() && t.rich) {
        std::string rtf;
        EDITSTREAM stream{reinterpret_cast<DWORD_PTR>(&rtf), 0, AppendRtf};
        ::SendMessageW(t.edit, EM_STREAMOUT, SF_RTF, reinterpret_cast<LPARAM>(&stream));
        WriteWhole(t.rtfFile, rtf);
    }
    if (!t.textFile.empty()) WriteWhole(t.textFile, Utf8(WindowText(t.edit)));
}

// One opening of the clipboard, one format's bytes.
std::string ReadFormat(HWND window, UINT format) {
    if (!OpenClipboardWithRetry(window)) return {};
    const std::string bytes = ClipboardBytes(format);
    ::CloseClipboard();
    return bytes;
}

// What another process prints: the helper reads the clipboard with a
// window of its own and writes its text as UTF-8. We wait for it, as a
// program waits for its engine's answer.
std::wstring ReadThroughHelper(const std::wstring& helper) {
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE readEnd = nullptr, writeEnd = nullptr;
    if (!::CreatePipe(&readEnd, &writeEnd, &inherit, 0)) return {};
    ::SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOW si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdOutput = writeEnd;
    si.hStdError = writeEnd;
    std::wstring command = L"\"" + helper + L"\" read-text";
    PROCESS_INFORMATION pi{};
    const bool started = ::CreateProcessW(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi);
    ::CloseHandle(writeEnd);
    std::string out;
    if (started) {
        char buf[4096];
        DWORD n = 0;
        while (::ReadFile(readEnd, buf, sizeof buf, &n, nullptr) && n) out.append(buf, n);
        ::WaitForSingleObject(pi.hProcess, 10000);
        ::CloseHandle(pi.hThread);
        ::CloseHandle(pi.hProcess);
    }
    ::CloseHandle(readEnd);
    return Wide(out);
}

void Paste(const Target& t, HWND window) {
    std::wstring text;
    std::string second;
    long long readAt[2] = {Microseconds(), 0};
    if (!t.pasteVia.empty()) {
        text = ReadThroughHelper(t.pasteVia);
    } else {
        text = TextOfBytes(ReadFormat(window, CF_UNICODETEXT));
        ::Sleep(50);
        readAt[1] = Microseconds();
        second = ReadFormat(window, ::RegisterClipboardFormatW(t.secondRead.c_str()));
        second = second.substr(0, second.find('\0'));
    }
    if (FILE* f = t.pasteLog.empty() ? nullptr : _wfopen(t.pasteLog.c_str(), L"ab")) {
        std::fprintf(f, "text %s\n", Utf8(text).c_str());
        if (t.pasteVia.empty()) std::fprintf(f, "second %s\n", second.c_str());
        std::fprintf(f, "reads %lld %lld\n", readAt[0], readAt[1]);
        std::fclose(f);
    }
    ::SendMessageW(t.edit, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(text.c_str()));
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* t = reinterpret_cast<Target*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
    switch (message) {
        case WM_NCCREATE:
            ::SetWindowLongPtrW(window, GWLP_USERDATA,
                                LONG_PTR(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams));
            break;
        case WM_SIZE: {
            const int top = t && t->password ? kPasswordHeight : 0;
            if (t && t->password) ::MoveWindow(t->password, 0, 0, LOWORD(lParam), kPasswordHeight, TRUE);
            if (t && t->edit) ::MoveWindow(t->edit, 0, top, LOWORD(lParam), HIWORD(lParam) - top, TRUE);
            return 0;
        }
        case WM_SETFOCUS:
            if (t && t->password && !t->loggedIn) ::SetFocus(t->password);
            else if (t && t->edit) ::SetFocus(t->edit);
            return 0;
        case WM_COMMAND:
            // The password box's changes are not the text's: saving on each
            // would slow its typing down to the disk's pace.
            if (t && HIWORD(wParam) == EN_CHANGE && reinterpret_cast<HWND>(lParam) == t->edit) SaveText(*t);
            return 0;
        case WM_DESTROY:
            ::PostQuitMessage(0);
            return 0;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    Target t(Args(argc, argv, 1, {L"--rich", L"--password", L"--menu", L"--login"}));
    const Args& o = t.options;
    HINSTANCE instance = ::GetModuleHandleW(nullptr);
    if (t.rich) ::LoadLibraryW(L"Msftedit.dll");
    if (o.Has(L"--timeline")) t.timeline = _wfopen(o.Get(L"--timeline").c_str(), L"wb");
    if (o.Has(L"--key-log")) t.keyLog = _wfopen(o.Get(L"--key-log").c_str(), L"wb");
    const std::wstring className = o.Get(L"--class", L"KxTarget");

    HMENU menu = nullptr;
    if (o.Has(L"--menu")) {
        HMENU file = ::CreatePopupMenu();
        ::AppendMenuW(file, MF_STRING, 1, L"&New");
        menu = ::CreateMenu();
        ::AppendMenuW(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(file), L"&File");
    }
    HWND window = MakeWindow(className.c_str(), o.Get(L"--title", L"kx_target").c_str(), WindowProc,
                             WS_OVERLAPPEDWINDOW, {100, 100, 600, 400}, menu, &t);
    if (!window) return 2;
    DWORD style = WS_CHILD | WS_VISIBLE | ES_MULTILINE | ES_AUTOVSCROLL | WS_VSCROLL;
    if (o.Has(L"--password")) style = WS_CHILD | WS_VISIBLE | ES_PASSWORD | ES_AUTOHSCROLL;
    t.edit = ::CreateWindowExW(0, t.rich ? L"RICHEDIT50W" : L"Edit", L"", style, 0, 0, 500, 300, window,
                               nullptr, instance, nullptr);
    if (!t.edit) return 3;
    if (o.Has(L"--login")) {
        t.password = ::CreateWindowExW(0, L"Edit", L"", WS_CHILD | WS_VISIBLE | WS_BORDER | ES_PASSWORD | ES_AUTOHSCROLL,
                                       0, 0, 500, kPasswordHeight, window, nullptr, instance, nullptr);
        if (!t.password) return 3;
        RECT client{};
        ::GetClientRect(window, &client);
        ::SendMessageW(window, WM_SIZE, 0, MAKELPARAM(client.right, client.bottom));
    }
    if (t.rich) ::SendMessageW(t.edit, EM_SETEVENTMASK, 0, ENM_CHANGE);
    SaveText(t);
    ::ShowWindow(window, SW_SHOW);
    ::SetForegroundWindow(window);
    ::SetFocus(t.password ? t.password : t.edit);
    MSG m;
    while (::GetMessageW(&m, nullptr, 0, 0) > 0) {
        const bool key = m.message == WM_KEYDOWN;
        // The key state as of this message, which is what the control sees.
        const bool shift = ::GetKeyState(VK_SHIFT) < 0, ctrl = ::GetKeyState(VK_CONTROL) < 0;
        const bool ctrlOnly = ctrl && ::GetKeyState(VK_MENU) >= 0;
        if (t.timeline && key) std::fprintf(t.timeline, "key %u %lld\n", unsigned(m.wParam), Microseconds());
        if (t.keyLog && key)
            std::fprintf(t.keyLog, "key %u %s\n", unsigned(m.wParam),
                         shift && ctrl ? "shift+ctrl" : shift ? "shift" : ctrl ? "ctrl" : "-");
        for (FILE* f : {t.timeline, t.keyLog})
            if (f && key) std::fflush(f);
        if (key && m.wParam == VK_RETURN && m.hwnd == t.password) {
            t.loggedIn = true;
            ::SetFocus(t.edit);
            continue;
        }
        // Ctrl+A selects everything, as Notepad's accelerator does; Wine's
        // Edit control does nothing with the key.
        if (key && m.wParam == 'A' && ctrlOnly) {
            ::SendMessageW(t.edit, EM_SETSEL, 0, -1);
            continue;
        }
        if (key && m.wParam == 'V' && ctrlOnly && (!t.pasteVia.empty() || !t.secondRead.empty())) {
            Paste(t, window);
            continue;
        }
        ::TranslateMessage(&m);
        ::DispatchMessageW(&m);
    }
    return 0;
}
