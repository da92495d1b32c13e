// When the engine stops looking at keys: while the focus is in a password box
// or in one of the program's own windows. Keys typed there are neither
// expanded nor learned.
#pragma once

#include <cstdint>
#include <string>

namespace kx {

// Where the keyboard focus is.
struct FocusDescription {
    uintptr_t focusWindow = 0;
    std::u16string className;   // of the focused control
    uint32_t style = 0;         // of the focused control
    uint32_t processId = 0;     // owning the focused control
    uint32_t ownProcessId = 0;  // ours
};

class FocusProbe {
public:
    virtual ~FocusProbe() = default;
    virtual FocusDescription Describe() = 0;
};

// Edit and TEdit controls with ES_PASSWORD.
bool IsPasswordBox(const FocusDescription& d);
bool IsOwnWindow(const FocusDescription& d);

// The two rules, evaluated only when the focus description changes (by its
// CRC-32), since the answer cannot change otherwise.
class SuspendRules {
public:
    explicit SuspendRules(FocusProbe& probe) : probe_(probe) {}
    // Whether a rule matches the current focus.
    bool Matches();

private:
    FocusProbe& probe_;
    bool known_ = false;
    uint32_t lastCrc_ = 0;
    bool lastMatch_ = false;
};

}  // namespace kx
