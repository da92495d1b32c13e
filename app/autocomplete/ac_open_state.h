// Whether the Auto Complete window is open, and the hook's switch that keeps
// ALT+UP and ALT+DOWN from the user's program while it is. The window's
// thread opens the window and the keystroke thread closes it; each change of
// the state and of the switch is made in one step under one lock, so the
// switch always ends as the state ends, whichever thread comes last.
#pragma once

#include <atomic>
#include <functional>
#include <mutex>

namespace kx {

class AcOpenState {
public:
    // `setSwitch` sets the hook's switch; it must not wait on either thread.
    explicit AcOpenState(std::function<void(bool open)> setSwitch) : setSwitch_(std::move(setSwitch)) {}

    bool IsOpen() const { return open_.load(); }
    // Opens, and sets the switch, when `canOpen` agrees in the same step.
    bool Open(const std::function<bool()>& canOpen) { return Change(true, canOpen); }
    // Closes, and clears the switch, when `canClose` agrees in the same step.
    bool Close(const std::function<bool()>& canClose) { return Change(false, canClose); }

private:
    bool Change(bool open, const std::function<bool()>& allowed);

    std::mutex lock_;
    std::atomic<bool> open_{false};
    std::function<void(bool)> setSwitch_;
};

}  // namespace kx
