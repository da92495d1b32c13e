#include "hook/dll/hook_switches.h"

#include "engine/hooklink/hook_protocol.h"

namespace kx::hook {
namespace {

constexpr wchar_t kSwitchesName[] = L"Local\\KestrixHookSwitches";

}  // namespace

bool HookSwitches::Open() {
    std::call_once(opened_, [this] { block_ = SharedBlock::Open(kSwitchesName, hookproto::kSwitchCount * sizeof(LONG)); });
    return block_.Valid();
}

volatile LONG* HookSwitches::Slot(int index) {
    if (index < 0 || index >= hookproto::kSwitchCount) return nullptr;
    if (!Open()) return nullptr;
    return reinterpret_cast<volatile LONG*>(block_.Data()) + index;
}

bool HookSwitches::Set(int index, bool on) {
    volatile LONG* slot = Slot(index);
    if (!slot) return false;
    ::InterlockedExchange(slot, on ? 1 : 0);
    return true;
}

bool HookSwitches::IsOn(int index) {
    volatile LONG* slot = Slot(index);
    return slot && ::InterlockedCompareExchange(slot, 0, 0) != 0;
}

}  // namespace kx::hook
