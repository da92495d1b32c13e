// The mouse keywords are recognised, but their commands carry nothing and
// play nothing.
#pragma once

#include "engine/macro/macro_command.h"

namespace kx {

class MouseCommand final : public MacroCommand {
public:
    int Kind() const override { return commandkind::kMouse; }
    void Run(MacroPlayer& player) const override { player.PlayMouse(*this); }
    std::u16string ToText() const override { return {}; }
    bool Parse(std::u16string_view, MacroSystem&) override { return true; }
    bool CopyFrom(const MacroCommand& other) override { return other.Kind() == Kind(); }
    bool Equals(const MacroCommand& other) const override { return other.Kind() == Kind(); }
};

}  // namespace kx
