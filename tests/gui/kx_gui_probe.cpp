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

#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

#include "tests/gui/kx_gui_inproc.h"
#include "tests/support/win32_tool.h"

namespace {

using testprog::WindowText;

// A buffer in the process of a control, for the structures and texts its
// messages fill in: Send copies `in` there, sends, and reads `out` back
// from `at` bytes in.
struct Remote {
    HWND control;
    HANDLE process = nullptr;
    char* memory = nullptr;
    DWORD pid = 0;
    explicit Remote(HWND w, size_t size = 2048) : control(w) {
        ::GetWindowThreadProcessId(w, &pid);
        process = ::OpenProcess(PROCESS_CREATE_THREAD | PROCESS_QUERY_INFORMATION | PROCESS_VM_OPERATION |
                                    PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
        if (process) memory = static_cast<char*>(::VirtualAllocEx(process, nullptr, size, MEM_COMMIT, PAGE_READWRITE));
    }
    ~Remote() {
        if (memory) ::VirtualFreeEx(process, memory, 0, MEM_RELEASE);
        if (process) ::CloseHandle(process);
    }
    LRESULT Send(UINT message, WPARAM wParam, const void* in, size_t inSize, void* out, size_t outSize, size_t at = 0) {
        if (in) ::WriteProcessMemory(process, memory, in, inSize, nullptr);
        const LRESULT result = ::SendMessageW(control, message, wParam, reinterpret_cast<LPARAM>(memory));
        ::ReadProcessMemory(process, memory + at, out, outSize, nullptr);
        return result;
    }
};

std::wstring CellText(Remote& list, int row, int column) {
    LVITEMW item{};
    item.iSubItem = column;
    item.cchTextMax = 512;
    item.pszText = reinterpret_cast<wchar_t*>(list.memory + sizeof(LVITEMW));
    wchar_t text[512] = {};
    list.Send(LVM_GETITEMTEXTW, WPARAM(row), &item, sizeof item, text, sizeof(text) - 2, sizeof(LVITEMW));
    return text;
}

// Byte for byte, a text's CRs and all.
void Print(const std::wstring& s) {
    const std::string line = testprog::Utf8(s) + "\n";
    std::fwrite(line.data(), 1, line.size(), stdout);
}

// The rows of a list control, the columns given tab-separated.
void PrintRows(HWND list, std::vector<int> columns) {
    Remote r(list);
    const int rows = int(::SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
    for (int i = 0; i < rows; ++i) {
        std::wstring line;
        for (size_t c = 0; c < columns.size(); ++c) line += (c ? L"\t" : L"") + CellText(r, i, columns[c]);
        Print(line);
    }
}

// The control of that label (without "&", up to a line break) in the first
// top-level window of that title that has one: a question box may share its
// title with another window.
HWND FindButton(const std::wstring& title, const std::wstring& label) {
    struct Search { const std::wstring& title; const std::wstring& label; HWND found; } s{title, label, nullptr};
    // GetWindowText: the caption the system keeps, without asking a window
    // that may be busy.
    static auto caption = [](HWND w) {
        wchar_t t[256] = {};
        ::GetWindowTextW(w, t, 256);
        return std::wstring(t);
    };
    ::EnumWindows([](HWND w, LPARAM p) -> BOOL {
        auto* s = reinterpret_cast<Search*>(p);
        if (caption(w) != s->title) return TRUE;
        ::EnumChildWindows(w, [](HWND c, LPARAM p) -> BOOL {
            auto* s = reinterpret_cast<Search*>(p);
            std::wstring plain;
            for (const wchar_t ch : caption(c).substr(0, caption(c).find(L'\n')))
                if (ch != L'&') plain.push_back(ch);
            if (plain == s->label) s->found = c;
            return s->found ? FALSE : TRUE;
        }, p);
        return s->found ? FALSE : TRUE;
    }, reinterpret_cast<LPARAM>(&s));
    return s.found;
}

// The middle of a rectangle given in W's client coordinates, on the screen.
int PrintCentre(HWND w, const RECT& r) {
    POINT at{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    ::ClientToScreen(w, &at);
    std::printf("%ld %ld\n", at.x, at.y);
    return 0;
}

// The middle of a visible control, on the screen.
int PrintCentre(HWND w) {
    RECT r{};
    if (!::IsWindowVisible(w) || !::GetClientRect(w, &r)) return 1;
    return PrintCentre(w, r);
}

// A rectangle a control of another process fills in: TB_GETRECT, HDM_GETITEMRECT,
// LVM_GETITEMRECT (whose left says which part of the row).
bool RemoteRect(HWND w, UINT message, WPARAM index, RECT& rect) {
    Remote r(w);
    return r.memory && r.Send(message, index, &rect, sizeof rect, &rect, sizeof rect);
}

// Runs the menu reader inside the process of W: loads kx_gui_inproc.dll from
// this program's folder there, calls KxReadMenus on a thread of its own with
// the request copied into that process, and unloads the reader again.
bool ReadMenus(HWND w, KxMenuRequest& request) {
    request.thread = ::GetWindowThreadProcessId(w, nullptr);
    const std::wstring dll = testprog::BesideExe(L"kx_gui_inproc.dll");
    HMODULE local = ::LoadLibraryW(dll.c_str());
    auto* entry = local ? reinterpret_cast<char*>(::GetProcAddress(local, "KxReadMenus")) : nullptr;
    Remote r(w, sizeof request + (dll.size() + 1) * sizeof(wchar_t));
    if (!entry || !r.memory) return false;
    auto run = [&](void* start, void* argument) {
        HANDLE t = ::CreateRemoteThread(r.process, nullptr, 0, reinterpret_cast<LPTHREAD_START_ROUTINE>(start),
                                        argument, 0, nullptr);
        DWORD code = 1;
        if (!t) return code;
        if (::WaitForSingleObject(t, 5000) == WAIT_OBJECT_0) ::GetExitCodeThread(t, &code);
        ::CloseHandle(t);
        return code;
    };
    char* name = r.memory + sizeof request;
    ::WriteProcessMemory(r.process, name, dll.c_str(), (dll.size() + 1) * sizeof(wchar_t), nullptr);
    HMODULE kernel = ::GetModuleHandleW(L"kernel32.dll");
    run(reinterpret_cast<void*>(::GetProcAddress(kernel, "LoadLibraryW")), name);
    char* remoteBase = nullptr;
    HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, r.pid);
    MODULEENTRY32W module{};
    module.dwSize = sizeof(module);
    for (BOOL more = ::Module32FirstW(snapshot, &module); more; more = ::Module32NextW(snapshot, &module))
        if (_wcsicmp(module.szModule, L"kx_gui_inproc.dll") == 0) remoteBase = reinterpret_cast<char*>(module.modBaseAddr);
    ::CloseHandle(snapshot);
    if (!remoteBase) return false;
    ::WriteProcessMemory(r.process, r.memory, &request, sizeof(request), nullptr);
    const bool ok = run(remoteBase + (entry - reinterpret_cast<char*>(local)), r.memory) == 0 &&
                    ::ReadProcessMemory(r.process, r.memory, &request, sizeof(request), nullptr);
    run(reinterpret_cast<void*>(::GetProcAddress(kernel, "FreeLibrary")), remoteBase);
    return ok;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) return 2;
    _setmode(_fileno(stdout), _O_BINARY);
    const std::wstring verb = argv[1];
    const int number = argc > 2 ? _wtoi(argv[argc - 1]) : 0;
    if ((verb == L"where" || verb == L"shown" || verb == L"enabled") && argc == 4) {
        HWND b = FindButton(argv[2], argv[3]);
        if (!b) return 2;
        if (verb == L"shown") return ::IsWindowVisible(b) ? 0 : 1;
        if (verb == L"enabled") return ::IsWindowEnabled(b) ? 0 : 1;
        return PrintCentre(b);
    }
    // The window of the title given first.
    HWND w = argc > 2 ? ::FindWindowW(nullptr, argv[2]) : nullptr;
    RECT r{};
    if (verb == L"visible" && argc == 3) {
        DWORD_PTR ignored = 0;
        if (!w || !::SendMessageTimeoutW(w, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, &ignored)) return 2;
        return ::IsWindowVisible(w) ? 0 : 1;
    }
    if (verb == L"tab" && argc == 4) {
        HWND tabs = w ? ::FindWindowExW(w, nullptr, WC_TABCONTROLW, nullptr) : nullptr;
        if (!tabs || !RemoteRect(tabs, TCM_GETITEMRECT, WPARAM(number), r)) return 1;
        return PrintCentre(tabs, r);
    }
    if (verb == L"list" && argc == 4) {
        HWND list = w ? ::GetDlgItem(w, number) : nullptr;
        HWND header = list ? reinterpret_cast<HWND>(::SendMessageW(list, LVM_GETHEADER, 0, 0)) : nullptr;
        if (!header) return 1;
        std::vector<int> columns(size_t(::SendMessageW(header, HDM_GETITEMCOUNT, 0, 0)));
        for (size_t c = 0; c < columns.size(); ++c) columns[c] = int(c);
        PrintRows(list, columns);
        return 0;
    }
    if (verb == L"checked" && argc == 4) {
        HWND b = FindButton(argv[2], argv[3]);
        if (!b) return 2;
        return ::SendMessageW(b, BM_GETCHECK, 0, 0) == BST_CHECKED ? 0 : 1;
    }
    if ((verb == L"item" || verb == L"whereid" || verb == L"enabledid") && argc == 4) {
        HWND c = w ? ::GetDlgItem(w, number) : nullptr;
        if (w && !c) {
            struct Search { int id; HWND found; } s{number, nullptr};
            ::EnumChildWindows(w, [](HWND child, LPARAM p) -> BOOL {
                auto* s = reinterpret_cast<Search*>(p);
                if (::GetDlgCtrlID(child) != s->id || !::IsWindowVisible(child)) return TRUE;
                s->found = child;
                return FALSE;
            }, reinterpret_cast<LPARAM>(&s));
            c = s.found;
        }
        if (!c) return 1;
        if (verb == L"enabledid") return ::IsWindowEnabled(c) ? 0 : 1;
        if (verb == L"whereid") return PrintCentre(c);
        Print(WindowText(c));
        return 0;
    }
    if (verb == L"alpha" && argc == 3) {
        BYTE alpha = 0;
        DWORD flags = 0;
        if (!w || !::GetLayeredWindowAttributes(w, nullptr, &alpha, &flags)) return 1;
        std::printf("%d\n", int(alpha));
        return 0;
    }
    if (((verb == L"rect" || verb == L"client") && argc == 3) || verb == L"workarea") {
        if (verb == L"workarea") ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &r, 0);
        else if (!w || !(verb == L"rect" ? ::GetWindowRect(w, &r) : ::GetClientRect(w, &r))) return 1;
        if (verb == L"client") std::printf("%ld %ld\n", long(r.right), long(r.bottom));
        else std::printf("%ld %ld %ld %ld\n", r.left, r.top, r.right, r.bottom);
        return 0;
    }
    if (verb == L"text" && argc == 3) {
        HWND edit = w ? ::FindWindowExW(w, nullptr, L"Edit", nullptr) : nullptr;
        if (!edit) return 1;
        Print(WindowText(edit));
        return 0;
    }
    if (verb == L"foreground" || verb == L"focustext") {
        HWND front = ::GetForegroundWindow();
        GUITHREADINFO info{};
        info.cbSize = sizeof(info);
        const bool focus = front && ::GetGUIThreadInfo(::GetWindowThreadProcessId(front, nullptr), &info) && info.hwndFocus;
        if (verb == L"focustext") {
            if (!focus) return 1;
            // All of it: a key typed at the end of a long text must show.
            Print(WindowText(info.hwndFocus));
            return 0;
        }
        wchar_t title[256] = {}, cls[64] = {};
        ::GetWindowTextW(front, title, 256);
        if (focus) ::GetClassNameW(info.hwndFocus, cls, 64);
        Print(std::wstring(title) + (cls[0] ? L"\t" + std::wstring(cls) : L""));
        return 0;
    }
    if (verb == L"tips") {
        ::EnumWindows([](HWND w, LPARAM) -> BOOL {
            wchar_t cls[64] = {};
            ::GetClassNameW(w, cls, 64);
            if (std::wstring(cls) == TOOLTIPS_CLASSW && ::IsWindowVisible(w)) Print(WindowText(w));
            return TRUE;
        }, 0);
        return 0;
    }
    if (verb == L"copydata" && argc == 3) {
        HWND instance = ::FindWindowW(L"TarvikSoftware_InstanceWindow", L"Kestrix");
        if (!instance) return 1;
        std::vector<char> block(size_t(number), 0);
        COPYDATASTRUCT cd{0, DWORD(block.size()), block.data()};
        ::SendMessageW(instance, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&cd));
        return 0;
    }
    HWND main = ::FindWindowW(nullptr, L"Kestrix Text Expander Software");
    if (!main) return 1;
    HWND list = ::GetDlgItem(main, 101);
    HWND toolbar = ::FindWindowExW(main, nullptr, TOOLBARCLASSNAMEW, nullptr);
    if (verb == L"list") {
        PrintRows(list, {0, 1, 3});
        return 0;
    }
    if (verb == L"header" && argc == 3) {
        HWND header = reinterpret_cast<HWND>(::SendMessageW(list, LVM_GETHEADER, 0, 0));
        if (!header || !RemoteRect(header, HDM_GETITEMRECT, WPARAM(number), r)) return 1;
        return PrintCentre(header, r);
    }
    if (verb == L"row" && argc == 3) {
        Remote cells(list);
        const int rows = int(::SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
        int row = 0;
        while (row < rows && CellText(cells, row, 0) != argv[2]) ++row;
        r.left = LVIR_LABEL;
        if (row == rows || !RemoteRect(list, LVM_GETITEMRECT, WPARAM(row), r)) return 1;
        return PrintCentre(list, r);
    }
    // Texts a toolbar button or status bar part writes into our buffer in its process.
    if ((verb == L"button" || verb == L"status") && argc == 3) {
        HWND bar = verb == L"button" ? toolbar : ::FindWindowExW(main, nullptr, STATUSCLASSNAMEW, nullptr);
        Remote r(bar);
        wchar_t text[512] = {};
        if (!bar || !r.memory) return 1;
        if (r.Send(verb == L"button" ? TB_GETBUTTONTEXTW : SB_GETTEXTW, WPARAM(number), nullptr, 0, text,
                   sizeof(text) - 2) < 0 && verb == L"button")
            return 1;
        Print(text);
        return 0;
    }
    if (verb == L"toolbar" && argc == 3) {
        if (!toolbar || ::SendMessageW(toolbar, TB_ISBUTTONHIDDEN, WPARAM(number), 0) ||
            !RemoteRect(toolbar, TB_GETRECT, WPARAM(number), r))
            return 1;
        // A third of the way in: on the button's face, left of the drop-down
        // arrow that the Add button carries at its right edge.
        r.right = r.left + (r.right - r.left) * 2 / 3;
        return PrintCentre(toolbar, r);
    }
    if (verb == L"tbstate" && argc == 3) {
        if (!toolbar || ::SendMessageW(toolbar, TB_COMMANDTOINDEX, WPARAM(number), 0) < 0) return 1;
        Print(::SendMessageW(toolbar, TB_ISBUTTONENABLED, WPARAM(number), 0) ? L"enabled" : L"disabled");
        return 0;
    }
    KxMenuRequest request{};
    if (verb == L"menu" && argc == 3) {
        request.kind = KxMenuRequest::kMainItem;
        request.command = number;
        if (!ReadMenus(main, request)) return 1;
        Print(std::wstring(request.state & (MF_GRAYED | MF_DISABLED) ? L"grayed" : L"enabled") + L"\t" + request.reply);
        return 0;
    }
    if (verb == L"popups" || (verb == L"popupitem" && argc == 3)) {
        request.kind = verb == L"popups" ? KxMenuRequest::kOpenPopups : KxMenuRequest::kPopupItem;
        if (argc == 3) std::wcsncpy(request.reply, argv[2], 255);
        if (!ReadMenus(main, request)) return 1;
        std::wstring text = request.reply;
        if (!text.empty() && text.back() == L'\n') text.pop_back();
        Print(text);
        return 0;
    }
    // The tray icon has no window of its own that xdotool could click under
    // Xvfb (no notification area there), so its mouse messages are posted
    // as the shell would post them.
    if (verb == L"tray" && argc == 3) {
        ::PostMessageW(main, WM_APP + 0x67, 24, number);
        return 0;
    }
    return 2;
}
