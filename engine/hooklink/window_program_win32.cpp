#include "engine/hooklink/window_program_win32.h"

#include <iterator>

#include "platform/win32/handles.h"

namespace kx {
namespace {

std::u16string FileNameOf(HANDLE process) {
    wchar_t buffer[MAX_PATH * 2];
    DWORD size = DWORD(std::size(buffer));
    if (!process || !::QueryFullProcessImageNameW(process, 0, buffer, &size)) return {};
    std::u16string path(reinterpret_cast<const char16_t*>(buffer), size);
    const size_t slash = path.find_last_of(u"\\/");
    return slash == std::u16string::npos ? path : path.substr(slash + 1);
}

// TokenElevation of the process's primary token; false when it cannot be read.
bool TokenFlag(HANDLE process, TOKEN_INFORMATION_CLASS what) {
    HANDLE raw = nullptr;
    if (!process || !::OpenProcessToken(process, TOKEN_QUERY, &raw)) return false;
    UniqueHandle token(raw);
    DWORD value = 0, size = 0;
    // TOKEN_ELEVATION is one DWORD, as is the TokenUIAccess answer.
    return ::GetTokenInformation(token.Get(), what, &value, sizeof(value), &size) && value != 0;
}

}  // namespace

Win32ProgramQuery::Win32ProgramQuery()
    : selfElevated_(TokenFlag(::GetCurrentProcess(), TokenElevation)),
      selfUiAccess_(TokenFlag(::GetCurrentProcess(), TokenUIAccess)) {}

WindowProgram Win32ProgramQuery::ProgramOf(WindowHandle window) {
    WindowProgram out;
    DWORD pid = 0;
    if (!window || !::GetWindowThreadProcessId(reinterpret_cast<HWND>(window), &pid) || !pid) return out;
    // PROCESS_QUERY_LIMITED_INFORMATION is granted for processes of the same
    // user at any integrity level, elevated ones included.
    UniqueHandle process(::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid));
    out.fileName = FileNameOf(process.Get());
    // User interface privilege isolation: SendInput cannot reach a window of
    // a process at a higher integrity level, and fails without saying so. A
    // token that cannot be read counts as not elevated: we try as before.
    out.blocksOurInput = InputBlockedByElevation(TokenFlag(process.Get(), TokenElevation), selfElevated_, selfUiAccess_);
    return out;
}

std::u16string ProgramFileNameOfWindow(HWND window) {
    DWORD pid = 0;
    if (!window || !::GetWindowThreadProcessId(window, &pid) || !pid) return {};
    UniqueHandle process(::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid));
    return FileNameOf(process.Get());
}

}  // namespace kx
