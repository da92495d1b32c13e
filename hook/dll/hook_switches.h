// The on/off switches behind EnableHook and IsHookEnabled. They live in a
// block of shared memory of the logon session, so that the program's pause
// while it types an expansion also silences the companion's 64-bit module.
#pragma once

#include <windows.h>

#include <mutex>

#include "engine/hooklink/shared_block_win32.h"

namespace kx::hook {

class HookSwitches {
public:
    // Opens the shared block once; true when it is there. SetHooks calls it
    // before the hooks exist, so the callbacks find it open.
    bool Open();
    bool Set(int index, bool on);
    bool IsOn(int index);

private:
    volatile LONG* Slot(int index);

    std::once_flag opened_;
    SharedBlock block_;
};

}  // namespace kx::hook
