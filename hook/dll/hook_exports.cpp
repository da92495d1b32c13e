// The six functions the program calls, and the module's entry point.
#include <windows.h>

#include "engine/hooklink/hook_protocol.h"
#include "hook/dll/hook_state.h"
#include "hook/dll/hook_thread.h"
#include "hook/dll/key_release.h"
#include "hook/dll/record_sender.h"

namespace {

using kx::UniqueHandle;
using kx::hook::HookModuleState;
using kx::hook::State;

constexpr BOOLEAN kModuleVersion = 1;
constexpr DWORD kThreadStartMs = 5000;
constexpr DWORD kThreadStopMs = 5000;
// The sender may be inside one send when it is told to stop; it makes no
// further one after that (see record_sender.h), so this covers it.
constexpr DWORD kSenderStopMs = kx::hook::kSendTimeoutMs + 2000;

// A thread of ours keeps the module loaded until it ends.
HANDLE StartModuleThread(HookModuleState& s, LPTHREAD_START_ROUTINE body, void* param) {
    HMODULE ref = nullptr;
    if (!::GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS, reinterpret_cast<LPCWSTR>(&State), &ref))
        return nullptr;
    HANDLE thread = ::CreateThread(nullptr, 0, body, param, 0, nullptr);
    if (!thread) ::FreeLibrary(ref);
    return thread;
}

void StopThreads(HookModuleState& s) {
    if (s.hookThread) {
        ::PostThreadMessageW(s.hookThreadId, WM_QUIT, 0, 0);
        ::WaitForSingleObject(s.hookThread.Get(), kThreadStopMs);
        s.hookThread.Reset();
        s.hookThreadId = 0;
    }
    // Ends this generation: its sender and release threads take nothing
    // more, even one that outlives the waits below, so a later SetHooks
    // never has two of either running.
    s.queue.Stop();
    if (s.senderThread) {
        ::WaitForSingleObject(s.senderThread.Get(), kSenderStopMs);
        s.senderThread.Reset();
    }
    if (s.releaseThread) {
        ::SetEvent(s.releaseWake.Get());
        ::WaitForSingleObject(s.releaseThread.Get(), kThreadStopMs);
        s.releaseThread.Reset();
    }
    // No hook is left to hold them: whatever was held goes to the window now.
    kx::hook::ReplayAll(s);
}

}  // namespace

extern "C" {

BOOLEAN WINAPI GetDllVer() { return kModuleVersion; }

BOOLEAN WINAPI IsHooksSet() {
    HookModuleState& s = State();
    std::lock_guard<std::mutex> g(s.apiLock);
    return s.hookThread ? TRUE : FALSE;
}

BOOLEAN WINAPI SetHooks(HWND window) {
    HookModuleState& s = State();
    std::lock_guard<std::mutex> g(s.apiLock);
    if (!window || !::IsWindow(window)) return FALSE;
    s.target = window;
    if (s.hookThread) return TRUE;  // already running: records now go to `window`

    // The switches are opened here, not by the first key: opening may wait
    // on another process's creation mutex, which the hook callback must never do.
    if (!s.switches.Open()) return FALSE;

    void* generation = reinterpret_cast<void*>(uintptr_t(s.queue.Restart()));
    s.senderThread.Reset(StartModuleThread(s, kx::hook::SenderThreadMain, generation));
    // The wake event stays for the module's lifetime: the callback may use it at any time.
    if (!s.releaseWake) s.releaseWake.Reset(::CreateEventW(nullptr, FALSE, FALSE, nullptr));
    if (s.releaseWake) s.releaseThread.Reset(StartModuleThread(s, kx::hook::ReleaseThreadMain, generation));
    UniqueHandle ready(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (s.senderThread && s.releaseThread && ready) {
        s.hookThread.Reset(StartModuleThread(s, kx::hook::HookThreadMain, ready.Get()));
        if (s.hookThread) s.hookThreadId = ::GetThreadId(s.hookThread.Get());
    }
    const bool ok = s.hookThread && ::WaitForSingleObject(ready.Get(), kThreadStartMs) == WAIT_OBJECT_0 &&
                    kx::hook::HooksInstalled();
    if (!ok) {
        StopThreads(s);
        s.target = nullptr;
    }
    return ok ? TRUE : FALSE;
}

// The window is not checked: the program passes its window or, once the
// window is gone, nothing.
BOOLEAN WINAPI UnSetHooks(HWND) {
    HookModuleState& s = State();
    std::lock_guard<std::mutex> g(s.apiLock);
    if (!s.hookThread) return FALSE;
    StopThreads(s);
    s.target = nullptr;
    return TRUE;
}

BOOLEAN WINAPI IsHookEnabled(int index) { return State().switches.IsOn(index) ? TRUE : FALSE; }

BOOLEAN WINAPI EnableHook(int index, BOOL on) {
    HookModuleState& s = State();
    if (!s.switches.Set(index, on != FALSE)) return FALSE;
    if (index == kx::hookproto::kHookHoldKeys) kx::hook::HoldForProgram(s, on != FALSE);
    return TRUE;
}

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        State().self = instance;
        ::DisableThreadLibraryCalls(instance);
    }
    return TRUE;
}

}  // extern "C"
