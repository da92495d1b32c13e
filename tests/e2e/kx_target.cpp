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
#include <cstring>
#include <string>

namespace {

constexpr int kPasswordHeight = 24;

struct Options {
    std::wstring className = L"KxTarget";
    std::wstring title = L"kx_target";
    std::wstring textFile;
    std::wstring rtfFile;
    std::wstring timeline;
    std::wstring pasteVia;
    std::wstring secondRead;
    std::wstring pasteLog;
    std::wstring keyLog;
    bool rich = false;
    bool password = false;
    bool menu = false;
    bool login = false;
};

struct Target {
    Options options;
    HWND edit = nullptr;
    HWND password = nullptr;  // --login
    bool loggedIn = false;
    FILE* timeline = nullptr;
    FILE* keyLog = nullptr;
};

Options Parse(int argc, wchar_t** argv) {
    Options o;
    for (int i = 1; i < argc; ++i) {
        const std::wstring a = argv[i];
        const bool more = i + 1 < argc;
        if (a == L"--class" && more) o.className = argv[++i];
        else if (a == L"--title" && more) o.title = argv[++i];
        else if (a == L"--text-file" && more) o.textFile = argv[++i];
        else if (a == L"--rtf-file" && more) o.rtfFile = argv[++i];
        else if (a == L"--timeline" && more) o.timeline = argv[++i];
        else if (a == L"--paste-via" && more) o.pasteVia = argv[++i];
        else if (a == L"--second-read" && more) o.secondRead = argv[++i];
        else if (a == L"--paste-log" && more) o.pasteLog = argv[++i];
        else if (a == L"--key-log" && more) o.keyLog = argv[++i];
        else if (a == L"--rich") o.rich = true;
        else if (a == L"--password") o.password = true;
        else if (a == L"--menu") o.menu = true;
        else if (a == L"--login") o.login = true;
    }
    return o;
}

long long Microseconds() {
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        ::QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER now;
    ::QueryPerformanceCounter(&now);
    return now.QuadPart / frequency.QuadPart * 1000000 + now.QuadPart % frequency.QuadPart * 1000000 / frequency.QuadPart;
}

// Written beside and renamed, so a reader never sees half a file.
void WriteWhole(const std::wstring& path, const std::string& bytes) {
    const std::wstring temp = path + L".tmp";
    if (FILE* f = _wfopen(temp.c_str(), L"wb")) {
        std::fwrite(bytes.data(), 1, bytes.size(), f);
        std::fclose(f);
        ::MoveFileExW(temp.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING);
    }
}

DWORD CALLBACK AppendRtf(DWORD_PTR cookie, LPBYTE bytes, LONG count, LONG* done) {
    reinterpret_cast<std::string*>(cookie)->append(reinterpret_cast<const char*>(bytes), size_t(count));
    *done = count;
    return 0;
}

void SaveRtf(const Target& t) {
    if (t.options.rtfFile.empty() || !t.options.rich) return;
    std::string rtf;
    EDITSTREAM stream{};
    stream.dwCookie = reinterpret_cast<DWORD_PTR>(&rtf);
    stream.pfnCallback = AppendRtf;
    ::SendMessageW(t.edit, EM_STREAMOUT, SF_RTF, reinterpret_cast<LPARAM>(&stream));
    WriteWhole(t.options.rtfFile, rtf);
}

void SaveText(const Target& t) {
    if (t.timeline) {
        std::fprintf(t.timeline, "change %lld %d\n", Microseconds(), ::GetWindowTextLengthW(t.edit));
        std::fflush(t.timeline);
    }
    SaveRtf(t);
    if (t.options.textFile.empty()) return;
    const int n = ::GetWindowTextLengthW(t.edit);
    std::wstring text(size_t(n) + 1, L'\0');
    ::GetWindowTextW(t.edit, text.data(), n + 1);
    text.resize(size_t(n));
    const int bytes = ::WideCharToMultiByte(CP_UTF8, 0, text.data(), n, nullptr, 0, nullptr, nullptr);
    std::string utf8(size_t(bytes), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.data(), n, utf8.data(), bytes, nullptr, nullptr);
    WriteWhole(t.options.textFile, utf8);
}

std::string Utf8(const std::wstring& w) {
    const int n = ::WideCharToMultiByte(CP_UTF8, 0, w.data(), int(w.size()), nullptr, 0, nullptr, nullptr);
    std::string s(size_t(n), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, w.data(), int(w.size()), s.data(), n, nullptr, nullptr);
    return s;
}

std::wstring Wide(const std::string& s) {
    const int n = ::MultiByteToWideChar(CP_UTF8, 0, s.data(), int(s.size()), nullptr, 0);
    std::wstring w(size_t(n), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, s.data(), int(s.size()), w.data(), n);
    return w;
}

// One opening of the clipboard, one format's bytes; a busy clipboard is
// tried for a second.
std::string ReadFormat(HWND window, UINT format) {
    bool open = false;
    for (int i = 0; i < 100 && !(open = ::OpenClipboard(window)); ++i) ::Sleep(10);
    if (!open) return {};
    std::string bytes;
    if (HANDLE h = ::GetClipboardData(format)) {
        if (const auto* p = static_cast<const char*>(::GlobalLock(h))) {
            bytes.assign(p, ::GlobalSize(h));
            ::GlobalUnlock(h);
        }
    }
    ::CloseClipboard();
    return bytes;
}

std::wstring TextOf(const std::string& bytes) {
    std::wstring w(bytes.size() / 2, L'\0');
    std::memcpy(w.data(), bytes.data(), w.size() * 2);
    return w.substr(0, w.find(L'\0'));
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
    if (!t.options.pasteVia.empty()) {
        text = ReadThroughHelper(t.options.pasteVia);
    } else {
        text = TextOf(ReadFormat(window, CF_UNICODETEXT));
        ::Sleep(50);
        readAt[1] = Microseconds();
        second = ReadFormat(window, ::RegisterClipboardFormatW(t.options.secondRead.c_str()));
        second = second.substr(0, second.find('\0'));
    }
    if (!t.options.pasteLog.empty()) {
        if (FILE* f = _wfopen(t.options.pasteLog.c_str(), L"ab")) {
            std::fprintf(f, "text %s\n", Utf8(text).c_str());
            if (t.options.pasteVia.empty()) std::fprintf(f, "second %s\n", second.c_str());
            std::fprintf(f, "reads %lld %lld\n", readAt[0], readAt[1]);
            std::fclose(f);
        }
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
    Target t;
    t.options = Parse(argc, argv);
    HINSTANCE instance = ::GetModuleHandleW(nullptr);
    if (t.options.rich) ::LoadLibraryW(L"Msftedit.dll");
    if (!t.options.timeline.empty()) t.timeline = _wfopen(t.options.timeline.c_str(), L"wb");
    if (!t.options.keyLog.empty()) t.keyLog = _wfopen(t.options.keyLog.c_str(), L"wb");

    WNDCLASSW wc{};
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = instance;
    wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = t.options.className.c_str();
    if (!::RegisterClassW(&wc)) return 2;
    HMENU menu = nullptr;
    if (t.options.menu) {
        HMENU file = ::CreatePopupMenu();
        ::AppendMenuW(file, MF_STRING, 1, L"&New");
        menu = ::CreateMenu();
        ::AppendMenuW(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(file), L"&File");
    }
    HWND window = ::CreateWindowExW(0, wc.lpszClassName, t.options.title.c_str(), WS_OVERLAPPEDWINDOW, 100, 100,
                                    500, 300, nullptr, menu, instance, &t);
    if (!window) return 2;
    DWORD style = WS_CHILD | WS_VISIBLE | ES_MULTILINE | ES_AUTOVSCROLL | WS_VSCROLL;
    if (t.options.password) style = WS_CHILD | WS_VISIBLE | ES_PASSWORD | ES_AUTOHSCROLL;
    t.edit = ::CreateWindowExW(0, t.options.rich ? L"RICHEDIT50W" : L"Edit", L"", style, 0, 0, 500, 300, window,
                               nullptr, instance, nullptr);
    if (!t.edit) return 3;
    if (t.options.login) {
        t.password = ::CreateWindowExW(0, L"Edit", L"", WS_CHILD | WS_VISIBLE | WS_BORDER | ES_PASSWORD | ES_AUTOHSCROLL,
                                       0, 0, 500, kPasswordHeight, window, nullptr, instance, nullptr);
        if (!t.password) return 3;
        RECT client{};
        ::GetClientRect(window, &client);
        ::SendMessageW(window, WM_SIZE, 0, MAKELPARAM(client.right, client.bottom));
    }
    if (t.options.rich) ::SendMessageW(t.edit, EM_SETEVENTMASK, 0, ENM_CHANGE);
    SaveText(t);
    ::ShowWindow(window, SW_SHOW);
    ::SetForegroundWindow(window);
    ::SetFocus(t.password ? t.password : t.edit);
    MSG m;
    while (::GetMessageW(&m, nullptr, 0, 0) > 0) {
        if (t.timeline && m.message == WM_KEYDOWN) {
            std::fprintf(t.timeline, "key %u %lld\n", unsigned(m.wParam), Microseconds());
            std::fflush(t.timeline);
        }
        if (t.keyLog && m.message == WM_KEYDOWN) {
            // The key state as of this message, which is what the control sees.
            const bool shift = ::GetKeyState(VK_SHIFT) < 0, ctrl = ::GetKeyState(VK_CONTROL) < 0;
            std::fprintf(t.keyLog, "key %u %s\n", unsigned(m.wParam),
                         shift && ctrl ? "shift+ctrl" : shift ? "shift" : ctrl ? "ctrl" : "-");
            std::fflush(t.keyLog);
        }
        if (m.message == WM_KEYDOWN && m.wParam == VK_RETURN && m.hwnd == t.password) {
            t.loggedIn = true;
            ::SetFocus(t.edit);
            continue;
        }
        // Ctrl+A selects everything, as Notepad's accelerator does; Wine's
        // Edit control does nothing with the key.
        if (m.message == WM_KEYDOWN && m.wParam == 'A' && ::GetKeyState(VK_CONTROL) < 0 && ::GetKeyState(VK_MENU) >= 0) {
            ::SendMessageW(t.edit, EM_SETSEL, 0, -1);
            continue;
        }
        if (m.message == WM_KEYDOWN && m.wParam == 'V' && ::GetKeyState(VK_CONTROL) < 0 && ::GetKeyState(VK_MENU) >= 0 &&
            (!t.options.pasteVia.empty() || !t.options.secondRead.empty())) {
            Paste(t, window);
            continue;
        }
        ::TranslateMessage(&m);
        ::DispatchMessageW(&m);
    }
    return 0;
}
