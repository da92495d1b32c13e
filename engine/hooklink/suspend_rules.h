// The suspend rules (focus_rules.h) over the focus as it is now: for the hook
// state the program shows, and for key records that do not say where they
// were typed.
#pragma once

#include <cstdint>

#include "engine/hooklink/focus_rules.h"

namespace kx {

class FocusProbe {
public:
    virtual ~FocusProbe() = default;
    virtual FocusDescription Describe() = 0;
};

// The two rules, evaluated only when the focus description changes (by its
// CRC-32), since the answer cannot change otherwise.
class SuspendRules {
public:
    explicit SuspendRules(FocusProbe& probe) : probe_(probe) {}
    // Whether a rule matches the current focus.
    bool Matches();
    // Whether the focused element reports itself a password field, which
    // the hook module cannot tell when it judges a key.
    bool FocusReportsPassword() { return probe_.Describe().reportsPassword; }

private:
    FocusProbe& probe_;
    bool known_ = false;
    uint32_t lastCrc_ = 0;
    bool lastMatch_ = false;
};

}  // namespace kx
