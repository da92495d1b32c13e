// Turning a macro script into the commands its job plays. Parsing never
// fails as a whole: a malformed line becomes a command that plays nothing,
// and a line that names no command is left out.
#pragma once

#include <memory>
#include <mutex>
#include <string_view>
#include <vector>

#include "engine/macro/macro_command.h"
#include "engine/macro/macro_system.h"

namespace kx {

// A macro job's commands, in script order. The lock guards the filling; the
// array grows by 100 entries at a time.
struct MacroCommandList {
    std::mutex listLock;
    std::vector<std::unique_ptr<MacroCommand>> commands;
};

// One line: classified, the date placeholders applied to keyboard lines,
// then parsed by a command of its class. Nothing for an empty line, a "//"
// comment or a line that names no command.
std::unique_ptr<MacroCommand> ParseLine(std::u16string_view line, MacroSystem& system);

// Appends a command for each command line of the script.
void ParseScript(std::u16string_view script, MacroCommandList& list, MacroSystem& system);

}  // namespace kx
