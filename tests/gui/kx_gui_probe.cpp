// Reads and drives Kestrix's windows for the GUI tests:
//   kx_gui_probe list                      rows of the main list, "KEYWORD<TAB>preview<TAB>type"
//   kx_gui_probe select KEYWORD            selects that row only
//   kx_gui_probe command ID                sends the main window a command
//   kx_gui_probe tray MOUSE_MESSAGE        posts the tray callback (e.g. 517 = right button up)
//   kx_gui_probe click "TITLE" "BUTTON"    clicks a button of a top-level window
//   kx_gui_probe text "TITLE"              the text of the window's first Edit control
//   kx_gui_probe copydata SIZE             sends the running copy a block of SIZE bytes
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <string>
#include <vector>

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

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) return 2;
    const std::wstring verb = argv[1];
    if (verb == L"click" && argc == 4) {
        HWND w = ::FindWindowW(nullptr, argv[2]);
        HWND b = w ? FindButton(w, argv[3]) : nullptr;
        if (!b) return 1;
        ::PostMessageW(w, WM_COMMAND, MAKEWPARAM(::GetDlgCtrlID(b), BN_CLICKED), reinterpret_cast<LPARAM>(b));
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
    if (verb == L"select" && argc == 3) {
        Remote r(list, sizeof(LVITEMW) + 1024);
        const int rows = int(::SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
        int found = -1;
        for (int i = 0; i < rows; ++i) {
            LVITEMW state{};
            state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
            const bool match = CellText(list, r, i, 0) == argv[2];
            state.state = match ? LVIS_SELECTED | LVIS_FOCUSED : 0;
            if (match) found = i;
            ::WriteProcessMemory(r.process, r.memory, &state, sizeof(state), nullptr);
            ::SendMessageW(list, LVM_SETITEMSTATE, i, reinterpret_cast<LPARAM>(r.memory));
        }
        return found >= 0 ? 0 : 1;
    }
    if (verb == L"command" && argc == 3) {
        ::PostMessageW(main, WM_COMMAND, MAKEWPARAM(_wtoi(argv[2]), 0), 0);
        return 0;
    }
    if (verb == L"tray" && argc == 3) {
        ::PostMessageW(main, WM_APP + 0x67, 24, _wtoi(argv[2]));
        return 0;
    }
    return 2;
}
