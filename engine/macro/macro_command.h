// The command objects a macro script is parsed into. The runner plays them
// through their virtual operations, whose order is fixed: destructor, Kind,
// Run, ToText, Parse, CopyFrom, Equals.
#pragma once

#include <string>
#include <string_view>

#include "engine/macro/macro_system.h"

namespace kx {

class MouseCommand;
class KeyCommand;
class OtherCommand;

// What plays a command: the runner gives each command's Run one of these, and
// the command hands itself to the operation for its class.
class MacroPlayer {
public:
    virtual ~MacroPlayer() = default;
    virtual void PlayMouse(const MouseCommand& command) = 0;
    virtual void PlayKeys(const KeyCommand& command) = 0;
    virtual void PlayOther(const OtherCommand& command) = 0;
};

namespace commandkind {
inline constexpr int kMouse = 0;
inline constexpr int kKeyboard = 1;
inline constexpr int kOther = 5;
}  // namespace commandkind

class MacroCommand {
public:
    virtual ~MacroCommand() = default;
    virtual int Kind() const = 0;
    virtual void Run(MacroPlayer& player) const = 0;
    // A readable one-line form of what the command holds.
    virtual std::u16string ToText() const = 0;
    // Reads one command line (keyword included); false when the line is
    // malformed, which leaves a command that plays nothing.
    virtual bool Parse(std::u16string_view line, MacroSystem& system) = 0;
    // Takes the content of a command of the same class; false for another class.
    virtual bool CopyFrom(const MacroCommand& other) = 0;
    virtual bool Equals(const MacroCommand& other) const = 0;
};

}  // namespace kx
