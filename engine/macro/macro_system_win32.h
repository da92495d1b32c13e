// The machine's own clock, locale and keyboard layout for macro scripts.
#pragma once

#include "engine/macro/macro_system.h"

namespace kx {

// The locale's short-date order is read once, on first use, and kept.
MacroSystem& WindowsMacroSystem();

}  // namespace kx
