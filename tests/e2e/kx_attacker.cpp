// A program at the user's own level that turns the program's messages
// against it, as any program the user runs could.
//
//   kx_attacker.exe flood
//     To every window of the running kestrix.exe: posts WM_USER+6 and
//     WM_APP+0x73 with made-up parameters (addresses that hold nothing, or
//     that another process's heap might), and sends WM_COPYDATA with no data,
//     with data of the wrong kind, and of the wrong size. Exit code 0 once
//     all went out, 1 when no window of the program was found.
//
//   kx_attacker.exe decoy FILE
//     Makes a window of the program's instance window class and title, as a
//     program would that wants the command lines of later starts. Writes
//     "ready" to FILE when it stands and then one line "copydata" for each
//     WM_COPYDATA it receives. Runs until it is ended.
#include <windows.h>
#include <commctrl.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "tests/support/win32_tool.h"

namespace {

constexpr wchar_t kMainTitle[] = L"Kestrix Text Expander Software";
constexpr wchar_t kInstanceClass[] = L"TarvikSoftware_InstanceWindow";
constexpr wchar_t kInstanceTitle[] = L"Kestrix";
constexpr UINT kForwardedCommandLine = WM_USER + 6;
constexpr UINT kEngineBalloon = WM_APP + 0x73;

// The program's top-level windows and its message-only ones, but for the
// common controls' own (a tooltip takes an address in WM_USER+6 by design):
// those are the system's to defend, not the program's.
std::vector<HWND> ProgramWindows() {
    HWND main = ::FindWindowW(nullptr, kMainTitle);
    if (!main) main = ::FindWindowW(kInstanceClass, kInstanceTitle);
    if (!main) return {};
    std::pair<DWORD, std::vector<HWND>> w;
    ::GetWindowThreadProcessId(main, &w.first);
    auto collect = [](HWND window, LPARAM param) -> BOOL {
        auto* w = reinterpret_cast<std::pair<DWORD, std::vector<HWND>>*>(param);
        DWORD pid = 0;
        wchar_t name[64] = {};
        ::GetWindowThreadProcessId(window, &pid);
        ::GetClassNameW(window, name, 64);
        if (pid == w->first && ::lstrcmpiW(name, TOOLTIPS_CLASSW) != 0) w->second.push_back(window);
        return TRUE;
    };
    ::EnumWindows(collect, reinterpret_cast<LPARAM>(&w));
    for (HWND child = nullptr; (child = ::FindWindowExW(HWND_MESSAGE, child, nullptr, nullptr)) != nullptr;)
        collect(child, reinterpret_cast<LPARAM>(&w));
    return w.second;
}

int Flood() {
    const std::vector<HWND> targets = ProgramWindows();
    if (targets.empty()) return 1;
    // Addresses nobody in that process owns, one that is in our own heap
    // (and so perhaps in its), and counts far beyond any array.
    std::vector<char> own(64, 'x');
    const uintptr_t params[] = {0, 1, 0xDEADBEEF, uintptr_t(-1), 0x10000, uintptr_t(own.data()), 0x7FFFFFFF};
    for (HWND w : targets) {
        for (uintptr_t wp : params)
            for (uintptr_t lp : params) {
                ::PostMessageW(w, kForwardedCommandLine, WPARAM(wp), LPARAM(lp));
                ::PostMessageW(w, kEngineBalloon, WPARAM(wp), LPARAM(lp));
            }
        DWORD_PTR result = 0;
        ::SendMessageTimeoutW(w, WM_COPYDATA, 0, 0, SMTO_ABORTIFHUNG, 2000, &result);
        // The size of a forwarded command line but another kind, a command
        // line's kind with too few bytes, and a key record's kind and size.
        std::vector<uint8_t> block(0x10404, 0xFF);
        const struct {
            ULONG_PTR kind;
            DWORD size;
        } payloads[] = {{7, DWORD(block.size())}, {0, 16}, {20, 16}, {0, 0}};
        for (const auto& p : payloads) {
            COPYDATASTRUCT data{p.kind, p.size, p.size ? block.data() : nullptr};
            ::SendMessageTimeoutW(w, WM_COPYDATA, 0, LPARAM(&data), SMTO_ABORTIFHUNG, 2000, &result);
        }
    }
    // Let the posted messages be taken before we go.
    ::Sleep(500);
    return 0;
}

FILE* g_log = nullptr;

LRESULT CALLBACK DecoyProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_COPYDATA) {
        std::fputs("copydata\n", g_log);
        std::fflush(g_log);
        return TRUE;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

int Decoy(const wchar_t* file) {
    g_log = _wfopen(file, L"w");
    if (!g_log) return 2;
    if (!testprog::MakeWindow(kInstanceClass, kInstanceTitle, DecoyProc)) return 2;
    std::fputs("ready\n", g_log);
    std::fflush(g_log);
    MSG m;
    while (::GetMessageW(&m, nullptr, 0, 0) > 0) ::DispatchMessageW(&m);
    return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc == 2 && std::wstring(argv[1]) == L"flood") return Flood();
    if (argc == 3 && std::wstring(argv[1]) == L"decoy") return Decoy(argv[2]);
    return 2;
}
