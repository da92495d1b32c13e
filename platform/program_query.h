// The program seam: which program owns a window, and whether Windows lets
// our injected input reach it.
#pragma once

#include <string>

#include "platform/window_query.h"

namespace kx {

struct WindowProgram {
    std::u16string fileName;  // "notepad.exe"; empty when it cannot be had
    // Input we inject cannot reach the window: its process runs at a higher
    // integrity level than ours (it runs elevated, we do not).
    bool blocksOurInput = false;
};

class ProgramQuery {
public:
    virtual ~ProgramQuery() = default;
    // Asked once per foreground change: it opens the window's process.
    virtual WindowProgram ProgramOf(WindowHandle window) = 0;
};

// The user interface privilege isolation rule: a process may not inject
// input into a window of a process with a higher integrity level, unless it
// has uiAccess. Elevation stands in for the integrity level, as an elevated
// process runs at the high level and a normal one at the medium level.
inline bool InputBlockedByElevation(bool targetElevated, bool selfElevated, bool selfHasUiAccess) {
    return targetElevated && !selfElevated && !selfHasUiAccess;
}

}  // namespace kx
