// Reads Kestrix's windows for the GUI tests and tells them where to click;
// the clicks and keys themselves come from xdotool, as a user's would.
//   kx_gui_probe list                      rows of the main list, "KEYWORD<TAB>preview<TAB>type"
//   kx_gui_probe list "TITLE" ID           rows of the window's list control ID, every column, tab-separated
//   kx_gui_probe row KEYWORD               screen point in the middle of that row's keyword
//   kx_gui_probe tray MOUSE_MESSAGE        posts the tray callback (e.g. 517 = right button up)
//   kx_gui_probe text "TITLE"              the text of the window's first Edit control
//   kx_gui_probe copydata SIZE             sends the running copy a block of SIZE bytes
//   kx_gui_probe item "TITLE" ID           the text of control ID of a top-level window, or of
//                                          the first visible one of that ID inside it (a page)
//   kx_gui_probe checked "TITLE" "LABEL"   0 when that check box is ticked, 1 not, 2 no such box
//   kx_gui_probe whereid "TITLE" ID        screen point in the middle of the visible control ID
//   kx_gui_probe enabledid "TITLE" ID      succeeds when the visible control ID is enabled
//   kx_gui_probe tab "TITLE" INDEX         screen point in the middle of a tab of the window's tab control
//   kx_gui_probe where "TITLE" "LABEL"     screen point in the middle of a visible control (of the
//                                          first window of that title that has one of that label)
//   kx_gui_probe shown "TITLE" "BUTTON"    0 when that button is visible, 1 hidden, 2 no such button
//   kx_gui_probe enabled "TITLE" "LABEL"   succeeds when that control is enabled
//   kx_gui_probe visible "TITLE"           0 visible, 1 hidden, 2 no such window; asked once the
//                                          window's thread has handled what was sent before
//   kx_gui_probe rect "TITLE"              the window's rectangle: left top right bottom
//   kx_gui_probe alpha "TITLE"             the layered window's opacity, 0 to 255
//   kx_gui_probe client "TITLE"            the size of the window's client area: width height
//   kx_gui_probe workarea                  the desktop's work area: left top right bottom
//   kx_gui_probe header COLUMN             screen point at the middle of a list header item
//   kx_gui_probe button COMMAND            the text of the main toolbar's button
//   kx_gui_probe toolbar COMMAND           screen point on a visible toolbar button's face
//   kx_gui_probe focustext                 the text of the foreground window's focused control
//   kx_gui_probe tbstate COMMAND           "enabled" or "disabled": the toolbar button's state
//   kx_gui_probe menu COMMAND              the menu bar's item: "enabled" or "grayed", tab, text
//   kx_gui_probe popups                    the items of the open popup menus: state, tab, text
//   kx_gui_probe popupitem "LABEL"         screen point in the middle of an open popup menu's item
//   kx_gui_probe status PART               the text of a part of the main window's status bar
//   kx_gui_probe tips                      texts of the visible balloons and tooltips
//   kx_gui_probe foreground                the title of the active window
#include <windows.h>
#include <commctrl.h>
#include <tlhelp32.h>

#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

#include "tests/gui/kx_gui_inproc.h"

namespace {

HWND MainWindow() { return ::FindWindowW(nullptr, L"Kestrix Text Expander Software"); }

// A buffer in the list's process for LVITEM and its text.
struct Remote {
    HANDLE process = nullptr;
    void* memory = nullptr;
    explicit Remote(HWND w, size_t size) {
        DWORD pid = 0;
        ::GetWindowThreadProcessId(w, &pid);
        process = ::OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
        if (process) memory = ::VirtualAllocEx(process, nullptr, size, MEM_COMMIT, PAGE_READWRITE);
    }
    ~Remote() {
        if (memory) ::VirtualFreeEx(process, memory, 0, MEM_RELEASE);
        if (process) ::CloseHandle(process);
    }
};

std::wstring CellText(HWND list, Remote& r, int row, int column) {
    LVITEMW item{};
    item.iSubItem = column;
    item.cchTextMax = 512;
    item.pszText = reinterpret_cast<wchar_t*>(static_cast<char*>(r.memory) + sizeof(LVITEMW));
    ::WriteProcessMemory(r.process, r.memory, &item, sizeof(item), nullptr);
    ::SendMessageW(list, LVM_GETITEMTEXTW, row, reinterpret_cast<LPARAM>(r.memory));
    wchar_t text[512] = {};
    ::ReadProcessMemory(r.process, item.pszText, text, sizeof(text) - 2, nullptr);
    return text;
}

void Print(const std::wstring& s) {
    const int n = ::WideCharToMultiByte(CP_UTF8, 0, s.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string out(size_t(n), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, s.c_str(), -1, out.data(), n, nullptr, nullptr);
    std::printf("%s\n", out.c_str());
}

HWND FindButton(HWND parent, const std::wstring& text) {
    struct Search { std::wstring text; HWND found; } s{text, nullptr};
    ::EnumChildWindows(parent, [](HWND w, LPARAM p) -> BOOL {
        auto* s = reinterpret_cast<Search*>(p);
        wchar_t t[256] = {};
        ::GetWindowTextW(w, t, 256);
        std::wstring label = t;
        const size_t nl = label.find(L'\n');
        if (nl != std::wstring::npos) label.resize(nl);
        std::wstring plain;
        for (wchar_t c : label) if (c != L'&') plain.push_back(c);
        if (plain == s->text) { s->found = w; return FALSE; }
        return TRUE;
    }, reinterpret_cast<LPARAM>(&s));
    return s.found;
}

// The control of that label in the first top-level window of that title
// that has one: a question box may share its title with another window.
HWND FindButtonIn(const std::wstring& title, const std::wstring& label) {
    struct Search { const std::wstring& title; const std::wstring& label; HWND found; } s{title, label, nullptr};
    ::EnumWindows([](HWND w, LPARAM p) -> BOOL {
        auto* s = reinterpret_cast<Search*>(p);
        wchar_t t[256] = {};
        ::GetWindowTextW(w, t, 256);
        if (s->title != t) return TRUE;
        s->found = FindButton(w, s->label);
        return s->found ? FALSE : TRUE;
    }, reinterpret_cast<LPARAM>(&s));
    return s.found;
}

// A control's text. WM_GETTEXT, as GetWindowText does not ask a window of
// another process.
std::wstring TextOf(HWND w) {
    std::wstring text(size_t(::SendMessageW(w, WM_GETTEXTLENGTH, 0, 0)) + 1, L'\0');
    text.resize(size_t(::SendMessageW(w, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()))));
    return text;
}

void PrintRect(const RECT& r) { std::printf("%ld %ld %ld %ld\n", r.left, r.top, r.right, r.bottom); }

// The middle of a rectangle given in W's client coordinates, on the screen.
void PrintCentre(HWND w, const RECT& r) {
    POINT at{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    ::ClientToScreen(w, &at);
    std::printf("%ld %ld\n", at.x, at.y);
}

// A rectangle a control of another process fills in: TB_GETRECT, HDM_GETITEMRECT,
// LVM_GETITEMRECT (whose left says which part of the row).
bool RemoteRect(HWND w, UINT message, WPARAM index, RECT& rect) {
    Remote r(w, sizeof(RECT));
    if (!r.memory) return false;
    ::WriteProcessMemory(r.process, r.memory, &rect, sizeof(rect), nullptr);
    if (!::SendMessageW(w, message, index, reinterpret_cast<LPARAM>(r.memory))) return false;
    return ::ReadProcessMemory(r.process, r.memory, &rect, sizeof(rect), nullptr) != FALSE;
}

// Runs the menu reader inside the process of W: loads kx_gui_inproc.dll from
// this program's folder there, calls KxReadMenus on a thread of its own with
// the request copied into that process, and unloads the reader again.
bool ReadMenus(HWND w, KxMenuRequest& request) {
    DWORD pid = 0;
    request.thread = ::GetWindowThreadProcessId(w, &pid);
    wchar_t path[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring dll = path;
    dll.resize(dll.find_last_of(L"\\/") + 1);
    dll += L"kx_gui_inproc.dll";
    HMODULE local = ::LoadLibraryW(dll.c_str());
    auto* entry = local ? reinterpret_cast<char*>(::GetProcAddress(local, "KxReadMenus")) : nullptr;
    HANDLE process = ::OpenProcess(PROCESS_CREATE_THREAD | PROCESS_QUERY_INFORMATION | PROCESS_VM_OPERATION |
                                       PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
    if (!entry || !process) {
        if (process) ::CloseHandle(process);
        return false;
    }
    auto run = [&](void* start, void* argument) {
        HANDLE t = ::CreateRemoteThread(process, nullptr, 0, reinterpret_cast<LPTHREAD_START_ROUTINE>(start),
                                        argument, 0, nullptr);
        DWORD code = 1;
        if (!t) return code;
        if (::WaitForSingleObject(t, 5000) == WAIT_OBJECT_0) ::GetExitCodeThread(t, &code);
        ::CloseHandle(t);
        return code;
    };
    const size_t size = sizeof(KxMenuRequest) + (dll.size() + 1) * sizeof(wchar_t);
    void* memory = ::VirtualAllocEx(process, nullptr, size, MEM_COMMIT, PAGE_READWRITE);
    bool ok = false;
    if (memory) {
        auto* name = static_cast<char*>(memory) + sizeof(KxMenuRequest);
        ::WriteProcessMemory(process, name, dll.c_str(), (dll.size() + 1) * sizeof(wchar_t), nullptr);
        HMODULE kernel = ::GetModuleHandleW(L"kernel32.dll");
        run(reinterpret_cast<void*>(::GetProcAddress(kernel, "LoadLibraryW")), name);
        char* remoteBase = nullptr;
        HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, pid);
        MODULEENTRY32W module{};
        module.dwSize = sizeof(module);
        for (BOOL more = ::Module32FirstW(snapshot, &module); more; more = ::Module32NextW(snapshot, &module))
            if (_wcsicmp(module.szModule, L"kx_gui_inproc.dll") == 0) remoteBase = reinterpret_cast<char*>(module.modBaseAddr);
        ::CloseHandle(snapshot);
        if (remoteBase) {
            ::WriteProcessMemory(process, memory, &request, sizeof(request), nullptr);
            ok = run(remoteBase + (entry - reinterpret_cast<char*>(local)), memory) == 0 &&
                 ::ReadProcessMemory(process, memory, &request, sizeof(request), nullptr);
            run(reinterpret_cast<void*>(::GetProcAddress(kernel, "FreeLibrary")), remoteBase);
        }
        ::VirtualFreeEx(process, memory, 0, MEM_RELEASE);
    }
    ::CloseHandle(process);
    return ok;
}

// The row whose keyword is TEXT, or -1.
int FindRow(HWND list, const std::wstring& text) {
    Remote r(list, sizeof(LVITEMW) + 1024);
    const int rows = int(::SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
    for (int i = 0; i < rows; ++i)
        if (CellText(list, r, i, 0) == text) return i;
    return -1;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) return 2;
    const std::wstring verb = argv[1];
    if ((verb == L"where" || verb == L"shown" || verb == L"enabled") && argc == 4) {
        HWND b = FindButtonIn(argv[2], argv[3]);
        if (!b) return 2;
        if (verb == L"shown") return ::IsWindowVisible(b) ? 0 : 1;
        if (verb == L"enabled") return ::IsWindowEnabled(b) ? 0 : 1;
        RECT r{};
        if (!::IsWindowVisible(b) || !::GetClientRect(b, &r)) return 1;
        PrintCentre(b, r);
        return 0;
    }
    if (verb == L"visible" && argc == 3) {
        HWND w = ::FindWindowW(nullptr, argv[2]);
        DWORD_PTR ignored = 0;
        if (!w || !::SendMessageTimeoutW(w, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, &ignored)) return 2;
        return ::IsWindowVisible(w) ? 0 : 1;
    }
    if (verb == L"tab" && argc == 4) {
        HWND w = ::FindWindowW(nullptr, argv[2]);
        HWND tabs = w ? ::FindWindowExW(w, nullptr, WC_TABCONTROLW, nullptr) : nullptr;
        RECT r{};
        if (!tabs || !RemoteRect(tabs, TCM_GETITEMRECT, WPARAM(_wtoi(argv[3])), r)) return 1;
        PrintCentre(tabs, r);
        return 0;
    }
    if (verb == L"list" && argc == 4) {
        HWND w = ::FindWindowW(nullptr, argv[2]);
        HWND list = w ? ::GetDlgItem(w, _wtoi(argv[3])) : nullptr;
        HWND header = list ? reinterpret_cast<HWND>(::SendMessageW(list, LVM_GETHEADER, 0, 0)) : nullptr;
        if (!header) return 1;
        const int columns = int(::SendMessageW(header, HDM_GETITEMCOUNT, 0, 0));
        Remote r(list, sizeof(LVITEMW) + 1024);
        const int rows = int(::SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
        for (int i = 0; i < rows; ++i) {
            std::wstring line;
            for (int c = 0; c < columns; ++c) line += (c ? L"\t" : L"") + CellText(list, r, i, c);
            Print(line);
        }
        return 0;
    }
    if (verb == L"checked" && argc == 4) {
        HWND w = ::FindWindowW(nullptr, argv[2]);
        HWND b = w ? FindButton(w, argv[3]) : nullptr;
        if (!b) return 2;
        return ::SendMessageW(b, BM_GETCHECK, 0, 0) == BST_CHECKED ? 0 : 1;
    }
    if ((verb == L"item" || verb == L"whereid" || verb == L"enabledid") && argc == 4) {
        HWND w = ::FindWindowW(nullptr, argv[2]);
        HWND c = w ? ::GetDlgItem(w, _wtoi(argv[3])) : nullptr;
        if (w && !c) {
            struct Search { int id; HWND found; } s{_wtoi(argv[3]), nullptr};
            ::EnumChildWindows(w, [](HWND child, LPARAM p) -> BOOL {
                auto* s = reinterpret_cast<Search*>(p);
                if (::GetDlgCtrlID(child) != s->id || !::IsWindowVisible(child)) return TRUE;
                s->found = child;
                return FALSE;
            }, reinterpret_cast<LPARAM>(&s));
            c = s.found;
        }
        if (c && verb == L"enabledid") return ::IsWindowEnabled(c) ? 0 : 1;
        if (c && verb == L"whereid") {
            RECT r{};
            if (!::IsWindowVisible(c) || !::GetClientRect(c, &r)) return 1;
            PrintCentre(c, r);
            return 0;
        }
        if (!c) return 1;
        Print(TextOf(c));
        return 0;
    }
    if (verb == L"alpha" && argc == 3) {
        HWND w = ::FindWindowW(nullptr, argv[2]);
        BYTE alpha = 0;
        DWORD flags = 0;
        if (!w || !::GetLayeredWindowAttributes(w, nullptr, &alpha, &flags)) return 1;
        std::printf("%d\n", int(alpha));
        return 0;
    }
    if (verb == L"rect" && argc == 3) {
        HWND w = ::FindWindowW(nullptr, argv[2]);
        RECT r{};
        if (!w || !::GetWindowRect(w, &r)) return 1;
        PrintRect(r);
        return 0;
    }
    if (verb == L"client" && argc == 3) {
        HWND w = ::FindWindowW(nullptr, argv[2]);
        RECT r{};
        if (!w || !::GetClientRect(w, &r)) return 1;
        std::printf("%ld %ld\n", long(r.right), long(r.bottom));
        return 0;
    }
    if (verb == L"foreground") {
        HWND w = ::GetForegroundWindow();
        wchar_t title[256] = {}, focus[64] = {};
        ::GetWindowTextW(w, title, 256);
        GUITHREADINFO info{};
        info.cbSize = sizeof(info);
        if (::GetGUIThreadInfo(::GetWindowThreadProcessId(w, nullptr), &info) && info.hwndFocus)
            ::GetClassNameW(info.hwndFocus, focus, 64);
        Print(std::wstring(title) + (focus[0] ? L"\t" + std::wstring(focus) : L""));
        return 0;
    }
    if (verb == L"focustext") {
        GUITHREADINFO info{};
        info.cbSize = sizeof(info);
        HWND w = ::GetForegroundWindow();
        if (!w || !::GetGUIThreadInfo(::GetWindowThreadProcessId(w, nullptr), &info) || !info.hwndFocus) return 1;
        // All of it: a key typed at the end of a long text must show.
        std::wstring text(size_t(::SendMessageW(info.hwndFocus, WM_GETTEXTLENGTH, 0, 0)) + 1, L'\0');
        text.resize(size_t(::SendMessageW(info.hwndFocus, WM_GETTEXT, WPARAM(text.size()),
                                          reinterpret_cast<LPARAM>(text.data()))));
        Print(text);
        return 0;
    }
    if (verb == L"workarea") {
        RECT r{};
        ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &r, 0);
        PrintRect(r);
        return 0;
    }
    if (verb == L"tips") {
        ::EnumWindows([](HWND w, LPARAM) -> BOOL {
            wchar_t cls[64] = {};
            ::GetClassNameW(w, cls, 64);
            if (std::wstring(cls) != L"tooltips_class32" || !::IsWindowVisible(w)) return TRUE;
            Print(TextOf(w));
            return TRUE;
        }, 0);
        return 0;
    }
    if (verb == L"text" && argc == 3) {
        HWND w = ::FindWindowW(nullptr, argv[2]);
        HWND edit = w ? ::FindWindowExW(w, nullptr, L"Edit", nullptr) : nullptr;
        if (!edit) return 1;
        wchar_t text[4096] = {};
        ::SendMessageW(edit, WM_GETTEXT, 4096, reinterpret_cast<LPARAM>(text));
        Print(text);
        return 0;
    }
    HWND main = MainWindow();
    if (verb == L"copydata" && argc == 3) {
        HWND instance = ::FindWindowW(L"TarvikSoftware_InstanceWindow", L"Kestrix");
        if (!instance) return 1;
        std::vector<char> block(size_t(_wtoi(argv[2])), 0);
        COPYDATASTRUCT cd{0, DWORD(block.size()), block.data()};
        ::SendMessageW(instance, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&cd));
        return 0;
    }
    if (!main) return 1;
    HWND list = ::GetDlgItem(main, 101);
    if (verb == L"list") {
        Remote r(list, sizeof(LVITEMW) + 1024);
        const int rows = int(::SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
        for (int i = 0; i < rows; ++i)
            Print(CellText(list, r, i, 0) + L"\t" + CellText(list, r, i, 1) + L"\t" + CellText(list, r, i, 3));
        return 0;
    }
    if (verb == L"header" && argc == 3) {
        HWND header = reinterpret_cast<HWND>(::SendMessageW(list, LVM_GETHEADER, 0, 0));
        RECT r{};
        if (!header || !RemoteRect(header, HDM_GETITEMRECT, WPARAM(_wtoi(argv[2])), r)) return 1;
        PrintCentre(header, r);
        return 0;
    }
    if (verb == L"button" && argc == 3) {
        HWND toolbar = ::FindWindowExW(main, nullptr, TOOLBARCLASSNAMEW, nullptr);
        Remote r(toolbar, 512);
        if (!toolbar || !r.memory) return 1;
        const LRESULT n = ::SendMessageW(toolbar, TB_GETBUTTONTEXTW, _wtoi(argv[2]), reinterpret_cast<LPARAM>(r.memory));
        if (n < 0) return 1;
        wchar_t text[256] = {};
        ::ReadProcessMemory(r.process, r.memory, text, sizeof(text) - 2, nullptr);
        Print(text);
        return 0;
    }
    if (verb == L"row" && argc == 3) {
        const int row = FindRow(list, argv[2]);
        RECT r{LVIR_LABEL, 0, 0, 0};
        if (row < 0 || !RemoteRect(list, LVM_GETITEMRECT, WPARAM(row), r)) return 1;
        PrintCentre(list, r);
        return 0;
    }
    HWND toolbar = ::FindWindowExW(main, nullptr, TOOLBARCLASSNAMEW, nullptr);
    if (verb == L"toolbar" && argc == 3) {
        RECT r{};
        const WPARAM command = WPARAM(_wtoi(argv[2]));
        if (!toolbar || ::SendMessageW(toolbar, TB_ISBUTTONHIDDEN, command, 0) ||
            !RemoteRect(toolbar, TB_GETRECT, command, r))
            return 1;
        // A third of the way in: on the button's face, left of the drop-down
        // arrow that the Add button carries at its right edge.
        r.right = r.left + (r.right - r.left) * 2 / 3;
        PrintCentre(toolbar, r);
        return 0;
    }
    if (verb == L"tbstate" && argc == 3) {
        if (!toolbar || ::SendMessageW(toolbar, TB_COMMANDTOINDEX, WPARAM(_wtoi(argv[2])), 0) < 0) return 1;
        Print(::SendMessageW(toolbar, TB_ISBUTTONENABLED, WPARAM(_wtoi(argv[2])), 0) ? L"enabled" : L"disabled");
        return 0;
    }
    if (verb == L"menu" && argc == 3) {
        KxMenuRequest request{};
        request.kind = KxMenuRequest::kMainItem;
        request.command = _wtoi(argv[2]);
        if (!ReadMenus(main, request)) return 1;
        Print(std::wstring(request.state & (MF_GRAYED | MF_DISABLED) ? L"grayed" : L"enabled") + L"\t" +
              request.reply);
        return 0;
    }
    if (verb == L"popups") {
        KxMenuRequest request{};
        request.kind = KxMenuRequest::kOpenPopups;
        if (!ReadMenus(main, request)) return 1;
        std::wstring text = request.reply;
        if (!text.empty() && text.back() == L'\n') text.pop_back();
        Print(text);
        return 0;
    }
    if (verb == L"popupitem" && argc == 3) {
        KxMenuRequest request{};
        request.kind = KxMenuRequest::kPopupItem;
        std::wcsncpy(request.reply, argv[2], 255);
        if (!ReadMenus(main, request)) return 1;
        Print(request.reply);
        return 0;
    }
    if (verb == L"status" && argc == 3) {
        HWND bar = ::FindWindowExW(main, nullptr, STATUSCLASSNAMEW, nullptr);
        Remote r(bar, 1024);
        if (!bar || !r.memory) return 1;
        ::SendMessageW(bar, SB_GETTEXTW, WPARAM(_wtoi(argv[2])), reinterpret_cast<LPARAM>(r.memory));
        wchar_t text[512] = {};
        ::ReadProcessMemory(r.process, r.memory, text, sizeof(text) - 2, nullptr);
        Print(text);
        return 0;
    }
    // The tray icon has no window of its own that xdotool could click under
    // Xvfb (no notification area there), so its mouse messages are posted
    // as the shell would post them.
    if (verb == L"tray" && argc == 3) {
        ::PostMessageW(main, WM_APP + 0x67, 24, _wtoi(argv[2]));
        return 0;
    }
    return 2;
}
