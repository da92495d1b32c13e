// What the hook callbacks saw, waiting for the sender thread: a bounded
// queue whose every start is a new generation. The callbacks only push and
// return; they never wait for the program.
//
// A sender belongs to the generation that started it. Once the queue is
// stopped or started again, a sender of an older generation gets nothing
// more, even if it outlived the wait for its end, so two senders never
// drain the same queue.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <mutex>

namespace kx {

template <typename T, size_t Capacity>
class RecordQueue {
public:
    static constexpr size_t kCapacity = Capacity;

    // False when the input was not queued (stopped, or full: then the next
    // Pop reports the loss).
    bool Push(const T& item) {
        {
            std::lock_guard<std::mutex> g(lock_);
            if (stopped_) return false;
            if (items_.size() >= kCapacity) {
                lost_ = true;
                return false;
            }
            items_.push_back(item);
        }
        ready_.notify_one();
        return true;
    }

    // Waits for the next item of `generation`; false once the queue was
    // stopped or started again. `lostBefore`: items were dropped since the
    // previous Pop.
    bool Pop(T& out, bool& lostBefore, uint32_t generation) {
        std::unique_lock<std::mutex> g(lock_);
        ready_.wait(g, [&] { return !CurrentLocked(generation) || !items_.empty(); });
        if (!CurrentLocked(generation)) return false;
        out = items_.front();
        items_.pop_front();
        lostBefore = lost_;
        lost_ = false;
        return true;
    }

    // The queue still runs for `generation`.
    bool Current(uint32_t generation) {
        std::lock_guard<std::mutex> g(lock_);
        return CurrentLocked(generation);
    }

    // Drops what waits and ends every Pop.
    void Stop() {
        {
            std::lock_guard<std::mutex> g(lock_);
            stopped_ = true;
            items_.clear();
        }
        ready_.notify_all();
    }

    // Empties the queue and opens a new generation, which it returns.
    uint32_t Restart() {
        uint32_t generation;
        {
            std::lock_guard<std::mutex> g(lock_);
            stopped_ = false;
            lost_ = false;
            items_.clear();
            generation = ++generation_;
        }
        ready_.notify_all();
        return generation;
    }

private:
    bool CurrentLocked(uint32_t generation) const { return !stopped_ && generation == generation_; }

    std::mutex lock_;
    std::condition_variable ready_;
    std::deque<T> items_;
    bool lost_ = false;
    bool stopped_ = true;
    uint32_t generation_ = 0;
};

}  // namespace kx
