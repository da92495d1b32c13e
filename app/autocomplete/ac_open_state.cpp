#include "app/autocomplete/ac_open_state.h"

namespace kx {

bool AcOpenState::Change(bool open, const std::function<bool()>& allowed) {
    std::lock_guard<std::mutex> g(lock_);
    if (allowed && !allowed()) return false;
    open_ = open;
    if (setSwitch_) setSwitch_(open);
    return true;
}

}  // namespace kx
