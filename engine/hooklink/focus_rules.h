// What the focused control tells about the keys typed into it: a password
// box, or a window of the program itself. Keys typed in either are neither
// expanded nor learned. The hook module judges the focus of each key when
// the key is pressed, so the program's answer does not depend on how late
// it reads the key's record.
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

// Edit and TEdit controls with ES_PASSWORD.
bool IsPasswordBox(const FocusDescription& d);
bool IsOwnWindow(const FocusDescription& d);

// The focus bits of a key event (focus::kKnown with the rules that match).
uint8_t FocusFlags(const FocusDescription& d);
// Whether a key with these focus bits was typed where the engine does not
// look. False for bits without focus::kKnown: they do not say.
bool SuspendsKey(uint8_t focusFlags);

}  // namespace kx
