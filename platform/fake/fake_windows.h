// A window seam that reports whatever foreground window a test sets.
#pragma once

#include <functional>
#include <map>
#include <mutex>

#include "platform/window_query.h"

namespace kx {

class FakeWindows final : public WindowQuery {
public:
    WindowHandle Foreground() override {
        std::lock_guard<std::mutex> g(lock_);
        return foreground_;
    }
    std::u16string ClassName(WindowHandle w) override {
        std::lock_guard<std::mutex> g(lock_);
        auto it = classes_.find(w);
        return it == classes_.end() ? std::u16string() : it->second;
    }
    char16_t UnshiftedCharacter(WindowHandle, uint32_t vk) override {
        std::lock_guard<std::mutex> g(lock_);
        return unshifted_ ? unshifted_(vk) : 0;
    }
    // The keyboard layout of every window, as the unshifted character of each
    // key; without one the layout is unknown.
    void SetLayout(std::function<char16_t(uint32_t vk)> unshifted) {
        std::lock_guard<std::mutex> g(lock_);
        unshifted_ = std::move(unshifted);
    }
    void SetForeground(WindowHandle w, std::u16string className) {
        std::lock_guard<std::mutex> g(lock_);
        foreground_ = w;
        classes_[w] = std::move(className);
    }

private:
    std::mutex lock_;
    WindowHandle foreground_ = 0x1000;
    std::map<WindowHandle, std::u16string> classes_{{0x1000, u"Edit"}};
    std::function<char16_t(uint32_t)> unshifted_;
};

}  // namespace kx
