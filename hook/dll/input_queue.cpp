#include "hook/dll/input_queue.h"

namespace kx::hook {

bool InputQueue::Push(const CapturedInput& input) {
    {
        std::lock_guard<std::mutex> g(lock_);
        if (stopped_) return false;
        if (items_.size() >= kCapacity) {
            lost_ = true;
            return false;
        }
        items_.push_back(input);
    }
    ready_.notify_one();
    return true;
}

bool InputQueue::Pop(CapturedInput& out, bool& lostBefore) {
    std::unique_lock<std::mutex> g(lock_);
    ready_.wait(g, [this] { return stopped_ || !items_.empty(); });
    if (stopped_) return false;
    out = items_.front();
    items_.pop_front();
    lostBefore = lost_;
    lost_ = false;
    return true;
}

void InputQueue::Stop() {
    {
        std::lock_guard<std::mutex> g(lock_);
        stopped_ = true;
        items_.clear();
    }
    ready_.notify_all();
}

void InputQueue::Restart() {
    std::lock_guard<std::mutex> g(lock_);
    stopped_ = false;
    lost_ = false;
    items_.clear();
}

}  // namespace kx::hook
