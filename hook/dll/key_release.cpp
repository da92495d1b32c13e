#include "hook/dll/key_release.h"

#include <mutex>
#include <vector>

#include "engine/hooklink/hook_protocol.h"

namespace kx::hook {
namespace {

// How often the release thread looks at the limits when not woken.
constexpr DWORD kLimitCheckMs = 100;

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
    // Keys SendInput refused never come back; what was held behind them may go.
    while (s.hold.TakeReleasable(::GetTickCount(), keys)) {
        const UINT injected = Inject(keys);
        s.hold.Injected(keys.size(), injected, ::GetTickCount());
        if (injected == keys.size()) break;
    }
}

void ReplayAll(HookModuleState& s) {
    std::lock_guard<std::mutex> g(ReplayLock());
    std::vector<HeldKey> keys;
    s.hold.TakeAll(keys);
    if (!keys.empty()) Inject(keys);
}

DWORD WINAPI ReleaseThreadMain(void*) {
    HookModuleState& s = State();
    while (!s.releaseStop) {
        ::WaitForSingleObject(s.releaseWake.Get(), kLimitCheckMs);
        if (s.releaseStop) break;
        if (s.hold.Pending()) ReplayReleasable(s);
    }
    ::FreeLibraryAndExitThread(s.self, 0);
}

}  // namespace kx::hook
