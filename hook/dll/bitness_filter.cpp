#include "hook/dll/bitness_filter.h"

#include "platform/win32/handles.h"

namespace kx::hook {
namespace {

// -1 when the process cannot be asked (another user's, or elevated).
int RunsUnderWow64(DWORD pid) {
    UniqueHandle process(::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid));
    BOOL wow64 = FALSE;
    if (!process || !::IsWow64Process(process.Get(), &wow64)) return -1;
    return wow64 ? 1 : 0;
}

}  // namespace

BitnessFilter::BitnessFilter(bool companionModule) {
    BOOL selfWow64 = FALSE;
    ::IsWow64Process(::GetCurrentProcess(), &selfWow64);
    mode_ = companionModule ? Mode::NativeOnly : (selfWow64 ? Mode::Wow64Only : Mode::All);
}

bool BitnessFilter::Watches(HWND foreground) {
    if (mode_ == Mode::All) return true;
    DWORD pid = 0;
    if (foreground) ::GetWindowThreadProcessId(foreground, &pid);
    if (pid == 0) return mode_ == Mode::Wow64Only;
    if (pid != cachedPid_) {
        const int wow64 = RunsUnderWow64(pid);
        // What cannot be asked goes to the program's own module.
        cachedWatch_ = mode_ == Mode::Wow64Only ? wow64 != 0 : wow64 == 0;
        cachedPid_ = pid;
    }
    return cachedWatch_;
}

}  // namespace kx::hook
