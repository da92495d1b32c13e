// The thread that turns captured input into records and sends them, in the
// order typed, to the program's message window as WM_COPYDATA.
#pragma once

#include <windows.h>

namespace kx::hook {

// A program that does not answer within this long loses the record; the
// word is then discarded before the next one.
inline constexpr UINT kSendTimeoutMs = 5000;

// Thread body; the parameter is the queue generation it serves. Ends when
// the queue is stopped or restarted, and makes no send after that.
DWORD WINAPI SenderThreadMain(void* generation);

}  // namespace kx::hook
