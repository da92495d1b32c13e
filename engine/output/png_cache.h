// The PNG of each picture, made once. A picture is rendered when it is
// expanded into a browser; rendering a large one takes far longer than the
// paste itself, so the PNG of a picture already expanded is taken from here.
#pragma once

#include <cstdint>
#include <list>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

#include "engine/output/png_encoder.h"

namespace kx {

class CachedPngEncoder final : public PngEncoder {
public:
    // `inner` renders what is not cached yet; it must outlive the cache. The
    // least recently used pictures go once the PNGs exceed `capacityBytes`.
    explicit CachedPngEncoder(PngEncoder& inner, size_t capacityBytes = size_t(64) << 20)
        : inner_(inner), capacity_(capacityBytes) {}

    // A failed render is not kept: the next load tries again.
    bool RenderPng(const std::vector<uint8_t>& picture, std::string& png) override;

    size_t CachedPictures() const;

private:
    struct Item {
        std::vector<uint8_t> picture;  // compared in full: a hash alone could mix two pictures up
        std::string png;
    };
    using Order = std::list<Item>;

    void Trim();

    PngEncoder& inner_;
    const size_t capacity_;
    mutable std::mutex lock_;
    Order order_;  // most recently used first
    std::unordered_multimap<uint64_t, Order::iterator> index_;
    size_t bytes_ = 0;
};

}  // namespace kx
