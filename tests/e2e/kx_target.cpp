// A window for typing tests: one Edit or RichEdit control filling a window of
// any class name, so tests can play the parts of word processors, consoles
// and browsers. What the control holds is written to a file after every
// change, for the test to read back.
//
//   kx_target.exe --class NAME [--rich] [--password] [--title T] [--text-file PATH]
#include <windows.h>
#include <richedit.h>

#include <cstdio>
#include <string>

namespace {

struct Options {
    std::wstring className = L"KxTarget";
    std::wstring title = L"kx_target";
    std::wstring textFile;
    bool rich = false;
    bool password = false;
};

struct Target {
    Options options;
    HWND edit = nullptr;
};

Options Parse(int argc, wchar_t** argv) {
    Options o;
    for (int i = 1; i < argc; ++i) {
        const std::wstring a = argv[i];
        const bool more = i + 1 < argc;
        if (a == L"--class" && more) o.className = argv[++i];
        else if (a == L"--title" && more) o.title = argv[++i];
        else if (a == L"--text-file" && more) o.textFile = argv[++i];
        else if (a == L"--rich") o.rich = true;
        else if (a == L"--password") o.password = true;
    }
    return o;
}

void SaveText(const Target& t) {
    if (t.options.textFile.empty()) return;
    const int n = ::GetWindowTextLengthW(t.edit);
    std::wstring text(size_t(n) + 1, L'\0');
    ::GetWindowTextW(t.edit, text.data(), n + 1);
    text.resize(size_t(n));
    const int bytes = ::WideCharToMultiByte(CP_UTF8, 0, text.data(), n, nullptr, 0, nullptr, nullptr);
    std::string utf8(size_t(bytes), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.data(), n, utf8.data(), bytes, nullptr, nullptr);
    // Written beside and renamed, so a reader never sees half a file.
    const std::wstring temp = t.options.textFile + L".tmp";
    if (FILE* f = _wfopen(temp.c_str(), L"wb")) {
        std::fwrite(utf8.data(), 1, utf8.size(), f);
        std::fclose(f);
        ::MoveFileExW(temp.c_str(), t.options.textFile.c_str(), MOVEFILE_REPLACE_EXISTING);
    }
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* t = reinterpret_cast<Target*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
    switch (message) {
        case WM_NCCREATE:
            ::SetWindowLongPtrW(window, GWLP_USERDATA,
                                LONG_PTR(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams));
            break;
        case WM_SIZE:
            if (t && t->edit) ::MoveWindow(t->edit, 0, 0, LOWORD(lParam), HIWORD(lParam), TRUE);
            return 0;
        case WM_SETFOCUS:
            if (t && t->edit) ::SetFocus(t->edit);
            return 0;
        case WM_COMMAND:
            if (t && HIWORD(wParam) == EN_CHANGE) SaveText(*t);
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

    WNDCLASSW wc{};
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = instance;
    wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = t.options.className.c_str();
    if (!::RegisterClassW(&wc)) return 2;
    HWND window = ::CreateWindowExW(0, wc.lpszClassName, t.options.title.c_str(), WS_OVERLAPPEDWINDOW, 100, 100,
                                    500, 300, nullptr, nullptr, instance, &t);
    if (!window) return 2;
    DWORD style = WS_CHILD | WS_VISIBLE | ES_MULTILINE | ES_AUTOVSCROLL | WS_VSCROLL;
    if (t.options.password) style = WS_CHILD | WS_VISIBLE | ES_PASSWORD | ES_AUTOHSCROLL;
    t.edit = ::CreateWindowExW(0, t.options.rich ? L"RICHEDIT50W" : L"Edit", L"", style, 0, 0, 500, 300, window,
                               nullptr, instance, nullptr);
    if (!t.edit) return 3;
    if (t.options.rich) ::SendMessageW(t.edit, EM_SETEVENTMASK, 0, ENM_CHANGE);
    SaveText(t);
    ::ShowWindow(window, SW_SHOW);
    ::SetForegroundWindow(window);
    ::SetFocus(t.edit);
    MSG m;
    while (::GetMessageW(&m, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&m);
        ::DispatchMessageW(&m);
    }
    return 0;
}
