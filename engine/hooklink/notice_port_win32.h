// Where the engine's notices go: posted, never sent, to the application's
// main window, as the window message registered under the hook link's name
// (the link's `noticeMessage`), with the kind in the first parameter and the
// value in the second. The main window knows its notices by that number.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>

namespace kx {

class NoticePort {
public:
    // Registers the message, so that notices posted before the link runs
    // use the same number.
    NoticePort();

    void SetWindow(HWND window) { window_ = window; }
    // The number the link registered once it runs (the same name gives the
    // same number; a link that could not register it leaves ours).
    void Adopt(UINT message) {
        if (message) message_ = message;
    }
    UINT Message() const { return message_.load(); }
    // False when there is no window or the post failed.
    bool Post(int kind, intptr_t value) const;

private:
    std::atomic<HWND> window_{nullptr};
    std::atomic<UINT> message_{0};
};

}  // namespace kx
