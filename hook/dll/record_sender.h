// The thread that turns captured input into records and sends them, in the
// order typed, to the program's message window as WM_COPYDATA.
#pragma once

#include <windows.h>

namespace kx::hook {

// Thread body; ends when the queue is stopped.
DWORD WINAPI SenderThreadMain(void* unused);

}  // namespace kx::hook
