#include "engine/hooklink/window_program_win32.h"

#include "engine/hooklink/named_objects_win32.h"
#include "platform/win32/handles.h"

namespace kx {
namespace {

// The bare file name of a full image path: the name the rules are kept by.
std::u16string BareFileName(const std::wstring& image) {
    const std::u16string path(image.begin(), image.end());
    const size_t slash = path.find_last_of(u"\\/");
    return slash == std::u16string::npos ? path : path.substr(slash + 1);
}

}  // namespace

Win32ProgramQuery::Win32ProgramQuery()
    : selfElevated_(RunsElevated()), selfUiAccess_(ProcessTokenFlag(::GetCurrentProcess(), TokenUIAccess)) {}

WindowProgram Win32ProgramQuery::ProgramOf(WindowHandle window) {
    WindowProgram out;
    DWORD pid = 0;
    if (!window || !::GetWindowThreadProcessId(reinterpret_cast<HWND>(window), &pid) || !pid) return out;
    // PROCESS_QUERY_LIMITED_INFORMATION is granted for processes of the same
    // user at any integrity level, elevated ones included.
    UniqueHandle process(::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid));
    out.fileName = BareFileName(ProcessImage(process.Get()));
    // User interface privilege isolation: SendInput cannot reach a window of
    // a process at a higher integrity level, and fails without saying so. A
    // token that cannot be read counts as not elevated: we try as before.
    out.blocksOurInput = InputBlockedByElevation(ProcessTokenFlag(process.Get(), TokenElevation), selfElevated_, selfUiAccess_);
    return out;
}

std::u16string ProgramFileNameOfWindow(HWND window) { return BareFileName(WindowImage(window)); }

}  // namespace kx
