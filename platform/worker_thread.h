// The thread object of the learning dictionaries, the sent-mail scanners and
// the macro jobs: a thread, a running flag and a manual-reset stop event.
//
// A derived class writes RunWorker, the thread body, and polls StopRequested
// or sleeps in WaitOrStop so that Stop ends it promptly. Start and Stop are
// called from one owning thread; StopRequested and the waits from the worker.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <span>
#include <thread>
#include <vector>

namespace kx {

// A manual-reset event: once Set, every wait returns until Reset.
class WaitEvent {
public:
    WaitEvent() = default;
    WaitEvent(const WaitEvent&) = delete;
    WaitEvent& operator=(const WaitEvent&) = delete;

    void Set();
    void Reset();
    bool IsSet() const;
    // Whether the event was set within `ms` milliseconds (kWaitForever waits
    // without limit).
    bool Wait(uint32_t ms) const;

private:
    friend int WaitForAnyEvent(std::span<const WaitEvent* const> events, uint32_t ms);
    struct Waiter {
        std::mutex lock;
        std::condition_variable wake;
        bool woken = false;
    };
    void AddWaiter(Waiter* w) const;
    void RemoveWaiter(Waiter* w) const;

    mutable std::mutex lock_;
    mutable std::condition_variable changed_;
    bool set_ = false;
    mutable std::vector<Waiter*> waiters_;
};

inline constexpr uint32_t kWaitForever = 0xFFFFFFFFu;
inline constexpr int kWaitTimedOut = -1;
inline constexpr size_t kMaxWaitEvents = 64;

// Waits until one of up to 64 events is set. Returns the index of the first
// set event in list order, kWaitTimedOut after `ms`, or kWaitTimedOut at once
// for an empty or too long list.
int WaitForAnyEvent(std::span<const WaitEvent* const> events, uint32_t ms);

enum class ThreadPriority { Idle, Lowest, BelowNormal, Normal, AboveNormal, Highest };

// The calling thread's scheduling priority (platform specific; on systems
// without thread priorities for ordinary users it is remembered only).
void SetCurrentThreadPriority(ThreadPriority priority);
ThreadPriority CurrentThreadPriority();

class WorkerThread {
public:
    WorkerThread() = default;
    WorkerThread(const WorkerThread&) = delete;
    WorkerThread& operator=(const WorkerThread&) = delete;
    // A derived destructor must call Stop first: the body it runs is its own.
    virtual ~WorkerThread();

    // The stop event is set; tested without waiting.
    virtual bool StopRequested();
    // Sleeps up to `ms` milliseconds; true when the stop event ended the wait.
    virtual bool WaitOrStop(uint32_t ms);
    // Waits on the stop event and one more event: 0 for stop, 1 for `other`,
    // kWaitTimedOut after `ms`.
    virtual int WaitStopOr(const WaitEvent& other, uint32_t ms);
    // Waits on up to 64 events (the stop event is not among them): the index
    // of the first set one, or kWaitTimedOut.
    virtual int WaitAny(std::span<const WaitEvent* const> events, uint32_t ms);
    // The thread body.
    virtual void RunWorker() = 0;
    // The last thing the worker's thread does, after IsRunning turned false.
    // A self-owning worker (a macro job) may destroy itself here: its
    // destructor then lets the thread go instead of waiting for itself.
    virtual void AfterRun() {}

    // Starting a worker that runs already does nothing. Otherwise a previous
    // thread is waited for (at most 1000 ms) and released, the stop event is
    // reset and a new thread runs RunWorker at `priority`. False when a
    // previous thread would not end in time.
    bool Start(ThreadPriority priority);
    // Signals the stop event, gives the worker the caller's priority, and waits
    // for it without limit.
    void Stop();
    // True from Start until RunWorker has returned.
    bool IsRunning() const { return running_.load(std::memory_order_acquire); }
    // Sets the stop event without waiting for the worker.
    void RequestStop() { stopEvent_.Set(); }
    const WaitEvent& StopEvent() const { return stopEvent_; }

private:
    void Body(ThreadPriority priority);
    // Takes the priority Stop asked for, once the worker sees the stop event.
    void TakeBoost();

    std::thread thread_;
    std::atomic<bool> running_{false};
    std::atomic<bool> finished_{true};
    std::atomic<int> boost_{-1};  // a priority for the worker to take, or -1
    WaitEvent stopEvent_;
    std::mutex doneLock_;
    std::condition_variable doneCv_;
};

}  // namespace kx
