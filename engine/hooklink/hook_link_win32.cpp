#include "engine/hooklink/hook_link_win32.h"

#include "engine/hooklink/program_focus_probe_win32.h"
#include "engine/hooklink/hook_protocol.h"
#include "engine/hooklink/hook_record.h"
#include "engine/hooklink/named_objects_win32.h"

namespace kx {
namespace {

using namespace hookproto;

constexpr DWORD kThreadStartMs = 20000;
constexpr DWORD kThreadStopMs = 20000;
constexpr UINT kCloseWindowMs = 5000;

// Window extra bytes: the link that created the window, and the link that
// introduced itself with message 1025. Only the creator may introduce
// itself, so a stray 1025 from another program cannot hand us a pointer.
constexpr int kCreatorSlot = 0;
constexpr int kLinkSlot = sizeof(LONG_PTR);
// Posted to the message window: work is waiting (RunOnLinkThread). It
// carries nothing, so one from anywhere else runs only our own work.
constexpr UINT kRunWork = WM_APP + 1;

HINSTANCE ProgramInstance() { return ::GetModuleHandleW(nullptr); }

}  // namespace

HookLink::HookLink(HookEventSink& sink)
    : sink_(sink), ownProbe_(std::make_unique<Win32FocusProbe>()), rules_(*ownProbe_) {}

HookLink::HookLink(HookEventSink& sink, FocusProbe& probe) : sink_(sink), rules_(probe) {}

HookLink::~HookLink() {
    if (thread_ || module_.Loaded()) {
        stopRequested_ = true;
        Shutdown();
    }
}

bool HookLink::Fail() {
    stopRequested_ = true;
    Shutdown();
    return false;
}

bool HookLink::Start(const std::wstring& modulePath, bool isRetry) {
    if (thread_) return false;

    // One link per logon session.
    if (UniqueHandle other(::OpenMutexW(MUTEX_ALL_ACCESS, FALSE, kInstanceMutex)); other) {
        Shutdown();
        ::SetLastError(ERROR_ALREADY_EXISTS);
        return false;
    }
    DWORD mutexError = 0;
    instanceMutex_.Reset(CreateOwnMutex(kInstanceMutex, mutexError));
    if (!instanceMutex_) return false;

    if (module_.Loaded()) module_.Free();
    if (!module_.Load(modulePath)) {
        const DWORD error = ::GetLastError();
        Shutdown();
        ::SetLastError(error);
        return false;
    }

    WNDCLASSW wc{};
    wc.lpfnWndProc = WindowProc;
    wc.cbWndExtra = 2 * sizeof(LONG_PTR);
    wc.hInstance = ProgramInstance();
    wc.lpszClassName = kMessageWindowClass;
    if (!::RegisterClassW(&wc)) {
        Shutdown();
        return false;
    }

    if (!noticeMessage_) noticeMessage_ = ::RegisterWindowMessageW(kNoticeMessageName);
    if (!noticeMessage_) {
        Shutdown();
        return false;
    }

    startedEvent_.Reset(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    stopRequested_ = false;
    if (startedEvent_) thread_.Reset(::CreateThread(nullptr, 0, ThreadMain, this, 0, &threadId_));
    if (!thread_) return Fail();

    if (::WaitForSingleObject(startedEvent_.Get(), kThreadStartMs) != WAIT_OBJECT_0) return Fail();

    HWND window = messageWindow_.load();
    if (!window) return Fail();
    if (!module_.SetHooks(window)) {
        if (isRetry) return Fail();
        Shutdown();
        return Start(modulePath, true);
    }

    if (!::PostMessageW(window, kIntroduceLink, reinterpret_cast<WPARAM>(this), 0)) return Fail();

    module_.IsHooksSet();
    return true;
}

DWORD WINAPI HookLink::ThreadMain(void* self) {
    static_cast<HookLink*>(self)->RunMessageThread();
    return 0;
}

void HookLink::RunMessageThread() {
    HWND window = ::CreateWindowExW(0, kMessageWindowClass, nullptr, 0, 0, 0, 0, 0, nullptr, nullptr,
                                    ProgramInstance(), this);
    messageWindow_ = window;
    ::SetEvent(startedEvent_.Get());
    if (!window) return;
    while (!stopRequested_) {
        MSG m;
        if (::PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
            // Records come only as WM_COPYDATA, whose data we check. A posted
            // notice message would carry an address from anywhere.
            if (m.message != noticeMessage_) OnMessage(m);
            ::TranslateMessage(&m);
            ::DispatchMessageW(&m);
        }
        // A record sent to this thread is handled only inside a message
        // function (the PeekMessage above), never during a Sleep, and even
        // a Sleep of 1 ms lasts until the system clock's next tick (15.6 ms
        // by default): each key would wait for it. So the thread waits for
        // the next sent or posted message instead and wakes the moment one
        // comes; Shutdown posts one once it has asked the thread to stop.
        ::MsgWaitForMultipleObjectsEx(0, nullptr, INFINITE, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    }
    if (::IsWindow(window)) ::DestroyWindow(window);
}

LRESULT CALLBACK HookLink::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
        ::SetWindowLongPtrW(window, kCreatorSlot, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
        return ::DefWindowProcW(window, message, wParam, lParam);
    }
    if (message == kIntroduceLink) {
        if (wParam && LONG_PTR(wParam) == ::GetWindowLongPtrW(window, kCreatorSlot))
            ::SetWindowLongPtrW(window, kLinkSlot, LONG_PTR(wParam));
        return 0;
    }
    auto* link = reinterpret_cast<HookLink*>(::GetWindowLongPtrW(window, kLinkSlot));
    if (!link) return ::DefWindowProcW(window, message, wParam, lParam);

    switch (message) {
        case WM_DESTROY:
            ::SetWindowLongPtrW(window, kLinkSlot, 0);
            ::PostQuitMessage(0);
            return 0;
        case kRunWork:
            link->RunPendingWork();
            return 0;
        case WM_COPYDATA: {
            const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
            if (!data) return -1;
            if (ParseHookRecord(data->dwData, data->lpData, data->cbData).kind == HookRecordKind::Refused) return -1;
            MSG record{};
            record.hwnd = window;
            record.message = link->noticeMessage_;
            record.wParam = data->dwData;
            record.lParam = reinterpret_cast<LPARAM>(data->lpData);
            return link->OnMessage(record);
        }
        default:
            return ::DefWindowProcW(window, message, wParam, lParam);
    }
}

LRESULT HookLink::OnMessage(const MSG& message) {
    if (!noticeMessage_ || message.message != noticeMessage_) return 0;
    std::lock_guard<std::mutex> one(deliverLock_);
    // The window procedure and the companion's block have checked the size.
    const void* data = reinterpret_cast<const void*>(message.lParam);
    const HookRecord record = ParseHookRecord(message.wParam, data, HookRecordSize(message.wParam));
    // A key is judged by the focus it was typed into, which its record
    // carries: by the time the record is read the focus may have left the
    // password box the key went to.
    const bool judgedAtPress = record.kind == HookRecordKind::KeyEvent && (record.key.focus & focus::kKnown);
    const int32_t state = judgedAtPress ? StateForKey(SuspendsKey(record.key.focus) || FocusReportsPassword())
                                        : CurrentState();
    if (state != kStateActive) return 0;
    DeliverHookRecord(record, sink_);
    return 0;
}

int32_t HookLink::CurrentState() {
    // Under the state lock: the UI thread may switch the hooks off while the
    // suspend rules are looked at, and a stale "suspended" read here must
    // not switch them back on behind it.
    std::lock_guard<std::mutex> g(stateLock_);
    if (hookState_ == kStateOff || hookState_ == kStateFailed) return hookState_;
    bool suspend;
    {
        std::lock_guard<std::mutex> g(rulesLock_);
        suspend = rules_.Matches();
    }
    return ApplySuspendLocked(suspend);
}

bool HookLink::FocusReportsPassword() {
    std::lock_guard<std::mutex> g(rulesLock_);
    return rules_.FocusReportsPassword();
}

int32_t HookLink::StateForKey(bool suspend) {
    std::lock_guard<std::mutex> g(stateLock_);
    if (hookState_ == kStateOff || hookState_ == kStateFailed) return hookState_;
    return ApplySuspendLocked(suspend);
}

int32_t HookLink::ApplySuspendLocked(bool suspend) {
    const int32_t state = hookState_;
    if (suspend && state != kStateSuspended) {
        hookState_ = kStateSuspended;
        Announce(kStateSuspended);
    } else if (!suspend && state != kStateActive) {
        EnableAllLocked(true);
    }
    return hookState_;
}

void HookLink::Announce(int32_t state) { sink_.PostNotice(1, state); }

bool HookLink::RunOnLinkThread(std::function<void()> work) {
    HWND window = messageWindow_.load();
    if (!window) return false;
    uint64_t id;
    {
        std::lock_guard<std::mutex> g(workLock_);
        id = ++nextWorkId_;
        work_.push_back({id, std::move(work)});
    }
    if (::PostMessageW(window, kRunWork, 0, 0)) return true;
    // The caller is told its work will not run, so it must not run later
    // either, should an earlier post drain the queue. Another post may have
    // drained it already: then the work ran, and the message it needed was
    // someone else's.
    std::lock_guard<std::mutex> g(workLock_);
    for (auto it = work_.begin(); it != work_.end(); ++it)
        if (it->id == id) {
            work_.erase(it);
            return false;
        }
    return true;
}

void HookLink::RunPendingWork() {
    std::lock_guard<std::mutex> one(deliverLock_);
    for (;;) {
        std::function<void()> next;
        {
            std::lock_guard<std::mutex> g(workLock_);
            if (work_.empty()) return;
            next = std::move(work_.front().run);
            work_.pop_front();
        }
        next();
    }
}

void HookLink::DropPendingWork() {
    std::lock_guard<std::mutex> one(deliverLock_);
    std::lock_guard<std::mutex> g(workLock_);
    work_.clear();
}

bool HookLink::StartEngine(HWND applicationWindow, const std::wstring& modulePath) {
    const bool started = Start(modulePath, false);
    if (started) {
        applicationWindow_ = applicationWindow;
        sink_.OnEngineStarted(reinterpret_cast<uintptr_t>(applicationWindow), noticeMessage_);
    }
    std::lock_guard<std::mutex> g(stateLock_);
    hookState_ = HooksRunning() ? kStateActive : kStateOff;
    Announce(hookState_);
    return started;
}

bool HookLink::SetHooksEnabled(bool on) {
    std::lock_guard<std::mutex> g(stateLock_);
    return EnableAllLocked(on);
}

bool HookLink::EnableAllLocked(bool on) {
    bool all = true;
    for (int index = 0; index < kHookCount; ++index)
        all = (module_.Loaded() && module_.EnableHook(index, on ? TRUE : FALSE)) && all;
    hookState_ = all ? (on ? kStateActive : kStateOff) : kStateFailed;
    Announce(hookState_);
    return all;
}

bool HookLink::StopEngine() {
    SetHooksEnabled(false);
    const bool cleanedUp = Shutdown();
    sink_.ResetTypedBuffer();
    return cleanedUp;
}

bool HookLink::HooksRunning() { return module_.Loaded() && module_.IsHookEnabled(kHookKeyboard); }

bool HookLink::Shutdown() {
    instanceMutex_.Reset();
    startedEvent_.Reset();
    if (!module_.Loaded()) return false;

    bool ok = true;
    if (HWND window = messageWindow_.load(); window && ::IsWindow(window)) {
        DWORD_PTR ignored = 0;
        ::SendMessageTimeoutW(window, WM_CLOSE, 0, 0, SMTO_NORMAL, kCloseWindowMs, &ignored);
        messageWindow_ = nullptr;
    }
    if (!::UnregisterClassW(kMessageWindowClass, ProgramInstance())) ok = false;
    if (module_.IsHooksSet() && !module_.UnSetHooks(messageWindow_.load())) ok = false;
    if (thread_) {
        stopRequested_ = true;
        ::PostThreadMessageW(threadId_, WM_NULL, 0, 0);
        if (::WaitForSingleObject(thread_.Get(), kThreadStopMs) != WAIT_OBJECT_0) ::TerminateThread(thread_.Get(), 1);
        thread_.Reset();
        threadId_ = 0;
    }
    messageWindow_ = nullptr;
    {
        // No thread is left to run it.
        std::lock_guard<std::mutex> g(workLock_);
        work_.clear();
    }
    module_.Free();
    return ok;
}

}  // namespace kx
