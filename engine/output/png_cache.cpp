#include "engine/output/png_cache.h"

namespace kx {
namespace {

// FNV-1a over the picture bytes.
uint64_t HashOf(const std::vector<uint8_t>& bytes) {
    uint64_t h = 14695981039346656037ull;
    for (uint8_t b : bytes) {
        h ^= b;
        h *= 1099511628211ull;
    }
    return h;
}

}  // namespace

bool CachedPngEncoder::RenderPng(const std::vector<uint8_t>& picture, std::string& png) {
    const uint64_t key = HashOf(picture);
    {
        std::lock_guard<std::mutex> hold(lock_);
        auto [first, last] = index_.equal_range(key);
        for (auto it = first; it != last; ++it) {
            if (it->second->picture != picture) continue;
            order_.splice(order_.begin(), order_, it->second);
            png = it->second->png;
            return true;
        }
    }
    // Rendered outside the lock: another load may use the cache meanwhile.
    if (!inner_.RenderPng(picture, png) || png.empty()) return false;
    std::lock_guard<std::mutex> hold(lock_);
    auto [first, last] = index_.equal_range(key);
    for (auto it = first; it != last; ++it)
        if (it->second->picture == picture) return true;
    order_.push_front(Item{picture, png});
    index_.emplace(key, order_.begin());
    bytes_ += picture.size() + png.size();
    Trim();
    return true;
}

void CachedPngEncoder::Trim() {
    // The newest picture stays even when it alone is larger than the limit.
    while (bytes_ > capacity_ && order_.size() > 1) {
        Order::iterator oldest = std::prev(order_.end());
        const uint64_t key = HashOf(oldest->picture);
        auto [first, last] = index_.equal_range(key);
        for (auto it = first; it != last; ++it)
            if (it->second == oldest) {
                index_.erase(it);
                break;
            }
        bytes_ -= oldest->picture.size() + oldest->png.size();
        order_.erase(oldest);
    }
}

size_t CachedPngEncoder::CachedPictures() const {
    std::lock_guard<std::mutex> hold(lock_);
    return order_.size();
}

}  // namespace kx
