// What one thread hands to a window: the items wait here, under a lock, and
// the message posted to the window carries nothing. Any program at our level
// can post any message with any parameters to our windows, so a message that
// carried the address of its payload would let it make the window free
// memory of its choosing. The window owns its inbox; a message only tells it
// to look, and a stray one finds the inbox empty.
#pragma once

#include <deque>
#include <mutex>
#include <utility>
#include <vector>

namespace kx {

template <typename T>
class PostedInbox {
public:
    void Push(T item) {
        std::lock_guard<std::mutex> g(lock_);
        items_.push_back(std::move(item));
    }
    // Everything waiting, oldest first; the inbox is then empty.
    std::vector<T> TakeAll() {
        std::lock_guard<std::mutex> g(lock_);
        std::vector<T> all(std::make_move_iterator(items_.begin()), std::make_move_iterator(items_.end()));
        items_.clear();
        return all;
    }

private:
    std::mutex lock_;
    std::deque<T> items_;
};

}  // namespace kx
