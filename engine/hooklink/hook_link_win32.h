// The program's side of the hook module: loads it, owns the hidden window
// "LHookEngMsgClass" and the thread that pumps it, and hands the records the
// module sends there to the engine.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

#include "engine/hooklink/hook_module_win32.h"
#include "engine/hooklink/hook_sink.h"
#include "engine/hooklink/suspend_rules.h"
#include "platform/win32/handles.h"

namespace kx {

class HookLink {
public:
    // Suspends on password boxes and our own windows as the focus shows them.
    explicit HookLink(HookEventSink& sink);
    // Tests pass a probe of their own.
    HookLink(HookEventSink& sink, FocusProbe& probe);
    HookLink(const HookLink&) = delete;
    HookLink& operator=(const HookLink&) = delete;
    virtual ~HookLink();

    // Loads the module at `modulePath`, starts the message thread and sets
    // the hooks. True when the link runs. On failure everything is released
    // and the thread's last error tells why (127: an export is missing).
    virtual bool Start(const std::wstring& modulePath, bool isRetry);
    // Every message the message thread takes from its queue, every accepted
    // WM_COPYDATA record (message number NoticeMessage(), type, data address)
    // and every record of the 64-bit companion. Always 0.
    virtual LRESULT OnMessage(const MSG& message);
    // 0 off, 1 active, 2 suspended, -1 failed. Re-evaluates the suspend rules
    // while the hooks run, enabling or suspending as they say.
    virtual int32_t CurrentState();

    // The application's entry: Start, then the state after IsHookEnabled(1).
    bool StartEngine(HWND applicationWindow, const std::wstring& modulePath);
    // EnableHook(0..2, on); state 1 or 0 after `on` when all three work, else -1.
    bool SetHooksEnabled(bool on);
    // Disables the hooks, shuts the link down and discards the word. Reports
    // whether the clean-up worked (window class and hooks removed).
    bool StopEngine();
    // Releases whatever the link holds; false when no module was loaded or a
    // clean-up step failed.
    bool Shutdown();

    // Runs `work` on the link's thread, in turn with the records, holding
    // what the records hold: whatever touches the engine's state from
    // another thread goes this way. Returns at once; false (and `work` is
    // dropped) when no link thread runs.
    bool RunOnLinkThread(std::function<void()> work);
    // Forgets the work not yet run; work running now has ended on return.
    void DropPendingWork();

    // A module is loaded and its keyboard hook is enabled.
    bool HooksRunning();
    bool ModuleLoaded() const { return module_.Loaded(); }
    HWND MessageWindow() const { return messageWindow_.load(); }
    UINT NoticeMessage() const { return noticeMessage_; }
    HWND ApplicationWindow() const { return applicationWindow_; }

private:
    static DWORD WINAPI ThreadMain(void* self);
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void RunMessageThread();
    bool Fail();  // sets stopRequested, shuts down, returns false
    bool EnableAllLocked(bool on);  // SetHooksEnabled with stateLock_ held
    // The state after a key whose record says where it was typed.
    int32_t StateForKey(bool suspend);
    // The hook module judges a key by the control's style alone; a field
    // drawn by a browser tells only UI Automation or MSAA that it takes a
    // password, and the program asks them (once per focus change).
    bool FocusReportsPassword();
    // Suspends or resumes as `suspend` says, with stateLock_ held.
    int32_t ApplySuspendLocked(bool suspend);
    void Announce(int32_t state);
    void RunPendingWork();

    HookEventSink& sink_;
    std::unique_ptr<FocusProbe> ownProbe_;
    SuspendRules rules_;
    std::mutex rulesLock_;
    // The hook module's records arrive on the message thread and the
    // companion's on the UI thread; the engine sees one at a time.
    std::mutex deliverLock_;
    // Every change of hookState_ and of the module's switches, so that the
    // UI thread's on/off and the suspend rules on the link thread never
    // interleave.
    std::mutex stateLock_;
    std::mutex workLock_;
    // Each piece of work carries its own number, so that a caller whose post
    // failed takes back its own piece and not the others', whose posts
    // succeeded and who were told their work will run.
    struct Work {
        uint64_t id;
        std::function<void()> run;
    };
    std::deque<Work> work_;
    uint64_t nextWorkId_ = 0;

    HookModule module_;
    std::atomic<HWND> messageWindow_{nullptr};
    UniqueHandle thread_;
    DWORD threadId_ = 0;
    UINT noticeMessage_ = 0;
    std::atomic<bool> stopRequested_{false};
    UniqueHandle startedEvent_;
    UniqueHandle instanceMutex_;
    std::atomic<int32_t> hookState_{-1};
    HWND applicationWindow_ = nullptr;
};

}  // namespace kx
