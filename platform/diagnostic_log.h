// Lines for whoever captures the program's error output. The program has no
// console: the lines go nowhere unless it was started with its error output
// redirected, as a test suite or a user reporting a problem does.
#pragma once

#include <string_view>

namespace kx {

// Writes `utf8` and a line end, whole, even from several threads at once.
void WriteDiagnosticLine(std::string_view utf8);

}  // namespace kx
