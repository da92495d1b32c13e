#include "hook/dll/bitness_filter.h"

#include "platform/win32/handles.h"

namespace kx::hook {
namespace {

int RunsUnderWow64(uint32_t pid) {
    UniqueHandle process(::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid));
    BOOL wow64 = FALSE;
    if (!process || !::IsWow64Process(process.Get(), &wow64)) return -1;
    return wow64 ? 1 : 0;
}

bool SelfWow64() {
    BOOL wow64 = FALSE;
    ::IsWow64Process(::GetCurrentProcess(), &wow64);
    return wow64 != FALSE;
}

}  // namespace

BitnessFilter::BitnessFilter(bool companionModule) : rule_(BitnessModeFor(companionModule, SelfWow64())) {}

bool BitnessFilter::Watches(HWND foreground) {
    DWORD pid = 0;
    if (foreground) ::GetWindowThreadProcessId(foreground, &pid);
    return rule_.Watches(pid, RunsUnderWow64);
}

}  // namespace kx::hook
