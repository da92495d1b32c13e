// Everything the hook module keeps while it is loaded, in one place.
#pragma once

#include <windows.h>

#include <atomic>
#include <mutex>

#include "engine/hooklink/hook_watchdog.h"
#include "engine/hooklink/key_hold.h"
#include "platform/win32/handles.h"
#include "hook/dll/hook_switches.h"
#include "hook/dll/input_queue.h"

namespace kx::hook {

struct HookModuleState {
    HMODULE self = nullptr;
    // SetHooks and UnSetHooks, which start and stop the two threads.
    std::mutex apiLock;
    // Where records go; null while no hooks are set.
    std::atomic<HWND> target{nullptr};
    HookSwitches switches;
    InputQueue queue;

    // The thread that owns the low-level hooks and pumps their messages.
    UniqueHandle hookThread;
    DWORD hookThreadId = 0;
    HHOOK keyboardHook = nullptr;  // touched by the hook thread only
    HHOOK mouseHook = nullptr;     // touched by the hook thread only
    std::atomic<uint32_t> lastCallbackTick{0};
    HookWatchdog watchdog;         // touched by the hook thread only

    // The thread that drains the queue into WM_COPYDATA records.
    UniqueHandle senderThread;

    // The user's keys held while the program handles a key that may
    // complete a keyword, and the thread that replays them when no record
    // is due to (see key_release.h).
    KeyHold hold;
    UniqueHandle releaseWake;     // auto-reset event: held keys may go
    UniqueHandle releaseThread;
};

HookModuleState& State();

}  // namespace kx::hook
