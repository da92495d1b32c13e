#include "hook/dll/key_release.h"

#include <mutex>
#include <vector>

#include "engine/hooklink/hook_protocol.h"

namespace kx::hook {
namespace {

// How often the release thread looks at the limits when not woken.
constexpr DWORD kLimitCheckMs = 100;
// Replays once the hooks are gone: tries before the keys are given up.
constexpr int kFinalAttempts = 20;

// One replay at a time, so that two batches never mix.
std::mutex& ReplayLock() {
    static std::mutex lock;
    return lock;
}

UINT Inject(const std::vector<HeldKey>& keys) {
    std::vector<INPUT> inputs(keys.size());
    for (size_t i = 0; i < keys.size(); ++i) {
        INPUT& in = inputs[i];
        in.type = INPUT_KEYBOARD;
        const bool unicode = keys[i].flags & heldflag::kUnicode;
        in.ki.wVk = unicode ? 0 : keys[i].vk;
        in.ki.wScan = keys[i].scan;
        in.ki.dwFlags = keys[i].flags;
        in.ki.time = 0;
        in.ki.dwExtraInfo = ReplaySignature();
    }
    return ::SendInput(UINT(inputs.size()), inputs.data(), sizeof(INPUT));
}

}  // namespace

uintptr_t ReplaySignature() {
#ifdef KXHOOK_COMPANION_MODULE
    return hookproto::kCompanionReplaySignature;
#else
    return hookproto::kReplaySignature;
#endif
}

void ReplayReleasable(HookModuleState& s) {
    std::lock_guard<std::mutex> g(ReplayLock());
    std::vector<HeldKey> keys;
    // What SendInput refuses is held again; the release thread tries again
    // at its next look.
    if (s.hold.TakeReleasable(::GetTickCount(), keys)) {
        const UINT injected = Inject(keys);
        s.hold.Injected(keys, injected, ::GetTickCount());
    }
}

void ReplayAll(HookModuleState& s) {
    std::lock_guard<std::mutex> g(ReplayLock());
    std::vector<HeldKey> keys;
    s.hold.TakeAll(keys);
    // No hook is left to hold them again: retry the refused rest for a while.
    size_t sent = 0;
    for (int attempt = 0; sent < keys.size() && attempt < kFinalAttempts; ++attempt) {
        if (attempt > 0) ::Sleep(kLimitCheckMs);
        const std::vector<HeldKey> rest(keys.begin() + ptrdiff_t(sent), keys.end());
        sent += Inject(rest);
    }
}

void HoldForProgram(HookModuleState& s, bool on) {
    s.hold.SetProgramHold(on, ::GetTickCount());
    if (on) {
        // Taken and let go: a replay that was being injected is through.
        std::lock_guard<std::mutex> g(ReplayLock());
    } else {
        ReplayReleasable(s);
    }
}

DWORD WINAPI ReleaseThreadMain(void* generation) {
    HookModuleState& s = State();
    const auto mine = uint32_t(reinterpret_cast<uintptr_t>(generation));
    while (s.queue.Current(mine)) {
        ::WaitForSingleObject(s.releaseWake.Get(), kLimitCheckMs);
        if (!s.queue.Current(mine)) break;
#ifdef KXHOOK_COMPANION_MODULE
        // The companion's module learns of a macro's hold from the switch only.
        s.hold.SetProgramHold(s.switches.IsOn(hookproto::kHookHoldKeys), ::GetTickCount());
#endif
        if (s.hold.Pending()) ReplayReleasable(s);
    }
    ::FreeLibraryAndExitThread(s.self, 0);
}

}  // namespace kx::hook
