#include "hook/dll/hook_state.h"

namespace kx::hook {

HookModuleState& State() {
    static HookModuleState state;
    return state;
}

}  // namespace kx::hook
