// Keyboard lines may end in a quoted date placeholder such as
// "system date YYYY-MM-DD" (quotes included); it is replaced, with whatever
// follows it on the line, by the current local date in double quotes.
#pragma once

#include <string>
#include <string_view>

#include "engine/macro/macro_system.h"

namespace kx {

// The line with the first placeholder found (tried longest first) replaced;
// the line unchanged when it holds none.
std::u16string ApplyDatePlaceholders(std::u16string_view line, MacroSystem& system);

}  // namespace kx
