// Describes where the keyboard focus is: the focused control of the
// foreground window's thread, its class, style and process.
#pragma once

#include <windows.h>

#include "engine/hooklink/suspend_rules.h"

namespace kx {

// The focus within `foreground`'s thread (the window itself when that thread
// has none), as seen from the calling process.
FocusDescription DescribeFocus(HWND foreground);

}  // namespace kx
