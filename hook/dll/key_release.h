// Replaying the user's held keys (see engine/hooklink/key_hold.h). Keys are
// replayed by the sender thread right after the program has handled a
// hold's key, and otherwise by the release thread: keys that arrived behind
// a replay once that replay is through, and anything left once a hold or a
// replay outlasts its limit. Never from inside the hook callback.
#pragma once

#include <windows.h>

#include "hook/dll/hook_state.h"

namespace kx::hook {

// This module's mark on the keys it replays.
uintptr_t ReplaySignature();

// Injects whatever may go now, in order, in one SendInput call per batch.
void ReplayReleasable(HookModuleState& s);
// Ends any hold and injects everything held (the hooks are gone).
void ReplayAll(HookModuleState& s);
// The program's hold while a macro types: on waits for a replay being
// injected to finish, so none mixes into the macro's keys; off replays at once.
void HoldForProgram(HookModuleState& s, bool on);

// Thread body: waits for wakes from the callback, watches the limits and
// retries refused replays. The parameter is the queue generation it serves;
// it ends once that generation is over (stopped or restarted).
DWORD WINAPI ReleaseThreadMain(void* generation);

}  // namespace kx::hook
