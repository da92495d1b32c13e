#include "platform/worker_thread.h"

#include <algorithm>
#include <chrono>

namespace kx {
namespace {

// Waits on `cv` under `lk` until `done` holds or `ms` has passed.
template <class Pred>
bool WaitFor(std::condition_variable& cv, std::unique_lock<std::mutex>& lk, uint32_t ms, Pred done) {
    if (ms == kWaitForever) {
        cv.wait(lk, done);
        return true;
    }
    return cv.wait_for(lk, std::chrono::milliseconds(ms), done);
}

}  // namespace

void WaitEvent::Set() {
    std::lock_guard<std::mutex> g(lock_);
    set_ = true;
    changed_.notify_all();
    for (Waiter* w : waiters_) {
        std::lock_guard<std::mutex> wg(w->lock);
        w->woken = true;
        w->wake.notify_all();
    }
}

void WaitEvent::Reset() {
    std::lock_guard<std::mutex> g(lock_);
    set_ = false;
}

bool WaitEvent::IsSet() const {
    std::lock_guard<std::mutex> g(lock_);
    return set_;
}

bool WaitEvent::Wait(uint32_t ms) const {
    std::unique_lock<std::mutex> lk(lock_);
    return WaitFor(changed_, lk, ms, [&] { return set_; });
}

void WaitEvent::AddWaiter(Waiter* w) const {
    std::lock_guard<std::mutex> g(lock_);
    waiters_.push_back(w);
}

void WaitEvent::RemoveWaiter(Waiter* w) const {
    std::lock_guard<std::mutex> g(lock_);
    waiters_.erase(std::remove(waiters_.begin(), waiters_.end(), w), waiters_.end());
}

int WaitForAnyEvent(std::span<const WaitEvent* const> events, uint32_t ms) {
    if (events.empty() || events.size() > kMaxWaitEvents) return kWaitTimedOut;
    auto firstSet = [&]() -> int {
        for (size_t i = 0; i < events.size(); ++i)
            if (events[i]->IsSet()) return static_cast<int>(i);
        return kWaitTimedOut;
    };
    WaitEvent::Waiter waiter;
    for (const WaitEvent* e : events) e->AddWaiter(&waiter);
    // Registered before the first look, so a Set between the look and the
    // sleep still wakes us.
    int found = firstSet();
    if (found == kWaitTimedOut) {
        auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
        for (;;) {
            {
                std::unique_lock<std::mutex> lk(waiter.lock);
                if (!waiter.woken) {
                    if (ms == kWaitForever)
                        waiter.wake.wait(lk, [&] { return waiter.woken; });
                    else
                        waiter.wake.wait_until(lk, deadline, [&] { return waiter.woken; });
                }
                waiter.woken = false;
            }
            found = firstSet();
            if (found != kWaitTimedOut) break;
            if (ms != kWaitForever && std::chrono::steady_clock::now() >= deadline) break;
        }
    }
    for (const WaitEvent* e : events) e->RemoveWaiter(&waiter);
    return found;
}

WorkerThread::~WorkerThread() {
    // The body belongs to the derived object, which is gone by now; a worker
    // still running here is a fault of the owner, but it must not outlive
    // the stop event it waits on.
    Stop();
}

void WorkerThread::TakeBoost() {
    int p = boost_.exchange(-1, std::memory_order_acq_rel);
    if (p >= 0) SetCurrentThreadPriority(static_cast<ThreadPriority>(p));
}

bool WorkerThread::StopRequested() {
    bool stop = stopEvent_.IsSet();
    if (stop) TakeBoost();
    return stop;
}

bool WorkerThread::WaitOrStop(uint32_t ms) {
    bool stop = stopEvent_.Wait(ms);
    if (stop) TakeBoost();
    return stop;
}

int WorkerThread::WaitStopOr(const WaitEvent& other, uint32_t ms) {
    const WaitEvent* both[] = {&stopEvent_, &other};
    int r = WaitForAnyEvent(both, ms);
    if (r == 0) TakeBoost();
    return r;
}

int WorkerThread::WaitAny(std::span<const WaitEvent* const> events, uint32_t ms) {
    return WaitForAnyEvent(events, ms);
}

bool WorkerThread::Start(ThreadPriority priority) {
    if (running_.load(std::memory_order_acquire)) return true;
    if (thread_.joinable()) {
        std::unique_lock<std::mutex> lk(doneLock_);
        if (!doneCv_.wait_for(lk, std::chrono::milliseconds(1000),
                              [&] { return finished_.load(std::memory_order_acquire); }))
            return false;
        lk.unlock();
        thread_.join();
    }
    stopEvent_.Reset();
    boost_.store(-1, std::memory_order_release);
    finished_.store(false, std::memory_order_release);
    running_.store(true, std::memory_order_release);
    try {
        // The new thread waits for this lock before it runs, so `thread_` is
        // assigned before the worker can look at it (a self-owning worker
        // that ends at once destroys itself through Stop).
        std::lock_guard<std::mutex> g(doneLock_);
        thread_ = std::thread([this, priority] { Body(priority); });
    } catch (const std::system_error&) {
        running_.store(false, std::memory_order_release);
        finished_.store(true, std::memory_order_release);
        return false;
    }
    return true;
}

void WorkerThread::Body(ThreadPriority priority) {
    { std::lock_guard<std::mutex> started(doneLock_); }
    SetCurrentThreadPriority(priority);
    RunWorker();
    running_.store(false, std::memory_order_release);
    {
        std::lock_guard<std::mutex> g(doneLock_);
        finished_.store(true, std::memory_order_release);
        doneCv_.notify_all();
    }
    AfterRun();
}

void WorkerThread::Stop() {
    if (!thread_.joinable()) return;
    if (thread_.get_id() == std::this_thread::get_id()) {
        // A worker ending itself: it cannot wait for its own end.
        stopEvent_.Set();
        thread_.detach();
        return;
    }
    boost_.store(static_cast<int>(CurrentThreadPriority()), std::memory_order_release);
    stopEvent_.Set();
    thread_.join();
}

}  // namespace kx
