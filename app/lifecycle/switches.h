// What the program's own command-line switches ask the running copy to do.
#pragma once

#include <string>
#include <vector>

namespace kx {

enum class StartAction {
    None,  // no switch of ours: leave the window as it is
    Show,  // no arguments, or "-show" last
    Hide,  // "-hide" or "-logon" last
    Exit,  // "-exit" anywhere: end at once
};

// Examines the arguments after the program path (argument 0) in order,
// ignoring case; the last of "-show", "-hide" and "-logon" wins, and "-exit"
// ends the examination at once.
StartAction ActionForArguments(const std::vector<std::u16string>& args);

// Whether the first argument is "-logon": the window is then created hidden.
bool StartsAtLogon(const std::vector<std::u16string>& args);

// "-setautorun X1" adds the run entry for all users, "X0" removes it.
// Any other second argument is refused: the switch still ends the start.
enum class AutorunRequest { None, Add, Remove, Refused };
AutorunRequest AutorunRequestFor(const std::vector<std::u16string>& args);

}  // namespace kx
