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
    s.queue.Stop();
    if (s.senderThread) {
        ::WaitForSingleObject(s.senderThread.Get(), kThreadStopMs);
        s.senderThread.Reset();
    }
    if (s.releaseThread) {
        s.releaseStop = true;
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

    s.queue.Restart();
    s.senderThread.Reset(StartModuleThread(s, kx::hook::SenderThreadMain, nullptr));
    // The wake event stays for the module's lifetime: the callback may use it at any time.
    if (!s.releaseWake) s.releaseWake.Reset(::CreateEventW(nullptr, FALSE, FALSE, nullptr));
    s.releaseStop = false;
    if (s.releaseWake) s.releaseThread.Reset(StartModuleThread(s, kx::hook::ReleaseThreadMain, nullptr));
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

BOOLEAN WINAPI EnableHook(int index, BOOL on) { return State().switches.Set(index, on != FALSE) ? TRUE : FALSE; }

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        State().self = instance;
        ::DisableThreadLibraryCalls(instance);
    }
    return TRUE;
}

}  // extern "C"
