// The thread that owns the low-level keyboard and mouse hooks. Windows calls
// their callbacks through this thread's message loop.
#pragma once

#include <windows.h>

namespace kx::hook {

// Thread body; the parameter is an event signalled once the hooks are in
// place (or failed, see HooksInstalled). Ends on WM_QUIT.
DWORD WINAPI HookThreadMain(void* readyEvent);
bool HooksInstalled();

}  // namespace kx::hook
