// "pause" and "command": a wait of some milliseconds, or a program to start.
#pragma once

#include <cstdint>
#include <string>

#include "engine/macro/macro_command.h"

namespace kx {

namespace othersub {
inline constexpr int kNone = 0;  // a malformed "command" line: plays nothing
inline constexpr int kPause = 1;
inline constexpr int kCommand = 2;
}  // namespace othersub

// The pause a length of 0, or none, stands for.
inline constexpr uint32_t kDefaultPauseMs = 100;

class OtherCommand final : public MacroCommand {
public:
    int Kind() const override { return commandkind::kOther; }
    void Run(MacroPlayer& player) const override { player.PlayOther(*this); }
    std::u16string ToText() const override;
    bool Parse(std::u16string_view line, MacroSystem& system) override;
    bool CopyFrom(const MacroCommand& other) override;
    bool Equals(const MacroCommand& other) const override;

    int subKind = othersub::kNone;
    uint32_t pauseMs = 0;        // a pause
    std::u16string commandLine;  // a command, at most 259 units
};

}  // namespace kx
