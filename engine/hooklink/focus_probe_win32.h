// Describes where the keyboard focus is: the focused control of the
// foreground window's thread, its class, style and process.
#pragma once

#include "engine/hooklink/suspend_rules.h"

namespace kx {

class Win32FocusProbe final : public FocusProbe {
public:
    FocusDescription Describe() override;
};

}  // namespace kx
