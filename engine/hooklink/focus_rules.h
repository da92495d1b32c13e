// What the focused control tells about the keys typed into it: a password
// box, or a window of the program itself. Keys typed in either are neither
// expanded nor learned. The hook module judges the focus of each key when
// the key is pressed, so the program's answer does not depend on how late
// it reads the key's record.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace kx {

// Where the keyboard focus is.
struct FocusDescription {
    uintptr_t focusWindow = 0;
    std::u16string className;   // of the focused control
    uint32_t style = 0;         // of the focused control
    uint32_t processId = 0;     // owning the focused control
    uint32_t ownProcessId = 0;  // ours
    // The focused element calls itself a password field through UI
    // Automation (IsPassword) or MSAA (STATE_SYSTEM_PROTECTED): browsers,
    // WPF and Store apps draw their own fields and have no ES_PASSWORD.
    bool reportsPassword = false;
};

// Edit and TEdit controls with ES_PASSWORD, and every element that reports
// itself a password field.
bool IsPasswordBox(const FocusDescription& d);
bool IsOwnWindow(const FocusDescription& d);

// UI Automation and MSAA answer through the focused program, across
// processes, which takes from a millisecond to a hung program's time limit.
// The answer is asked for once per focus change and kept until the next,
// so the keys typed into one field cost nothing.
class PasswordFieldCache {
public:
    // `focusChanges` counts the focus events seen so far: a new count, or
    // another focused window, asks `ask` again.
    bool IsPassword(uint64_t focusChanges, uintptr_t focusWindow, const std::function<bool()>& ask);

private:
    bool known_ = false;
    uint64_t changes_ = 0;
    uintptr_t window_ = 0;
    bool answer_ = false;
};

// The focus bits of a key event (focus::kKnown with the rules that match).
uint8_t FocusFlags(const FocusDescription& d);
// Whether a key with these focus bits was typed where the engine does not
// look. False for bits without focus::kKnown: they do not say.
bool SuspendsKey(uint8_t focusFlags);

}  // namespace kx
