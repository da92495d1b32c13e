#include "app/shell/program_windows.h"

#include <algorithm>

#include "app/shell/foreground_watch.h"
#include "app/win/wide.h"
#include "base/unicode_case.h"
#include "engine/hooklink/window_program_win32.h"

namespace kx {
namespace {

// A program that does not answer within this time shows no icon: the page
// must not hang with it.
constexpr UINT kIconAnswerMs = 200;

HICON WindowIcon(HWND window) {
    DWORD_PTR icon = 0;
    for (WPARAM which : {WPARAM(ICON_SMALL2), WPARAM(ICON_SMALL), WPARAM(ICON_BIG)}) {
        if (::SendMessageTimeoutW(window, WM_GETICON, which, 0, SMTO_ABORTIFHUNG | SMTO_BLOCK, kIconAnswerMs, &icon) &&
            icon)
            return reinterpret_cast<HICON>(icon);
    }
    if (HICON small = reinterpret_cast<HICON>(::GetClassLongPtrW(window, GCLP_HICONSM))) return small;
    return reinterpret_cast<HICON>(::GetClassLongPtrW(window, GCLP_HICON));
}

bool Offered(HWND window) {
    if (!::IsWindowVisible(window) || ::GetWindow(window, GW_OWNER) || IsShellWindow(window)) return false;
    if (::GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_TOOLWINDOW) return false;
    DWORD process = 0;
    ::GetWindowThreadProcessId(window, &process);
    return process != ::GetCurrentProcessId() && ::GetWindowTextLengthW(window) > 0;
}

// A named function: the 32-bit build cannot pass a lambda as a CALLBACK.
BOOL CALLBACK CollectOffered(HWND window, LPARAM list) {
    if (Offered(window)) reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
    return TRUE;
}

}  // namespace

std::vector<OpenProgram> ListOpenPrograms() {
    std::vector<HWND> windows;
    ::EnumWindows(&CollectOffered, reinterpret_cast<LPARAM>(&windows));
    std::vector<OpenProgram> programs;
    for (HWND w : windows) {
        std::u16string file = ProgramFileNameOfWindow(w);
        if (file.empty()) continue;
        const bool known = std::any_of(programs.begin(), programs.end(),
                                       [&](const OpenProgram& p) { return EqualsNoCase(p.fileName, file); });
        if (known) continue;
        OpenProgram p;
        p.fileName = std::move(file);
        p.title = U(WindowText(w));
        // A copy of our own: the window's icon goes with its program.
        if (HICON icon = WindowIcon(w)) p.icon.Reset(::CopyIcon(icon));
        programs.push_back(std::move(p));
    }
    std::sort(programs.begin(), programs.end(),
              [](const OpenProgram& a, const OpenProgram& b) { return CompareNoCase(a.fileName, b.fileName) < 0; });
    return programs;
}

}  // namespace kx
