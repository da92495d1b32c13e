// "kbrd_click", "kbrd_press", "kbrd_release" and "kbrd_input": the keyboard
// records to inject, in order, and for a press the time to hold the keys.
#pragma once

#include <cstdint>
#include <vector>

#include "engine/macro/macro_command.h"
#include "platform/key_injector.h"

namespace kx {

namespace keysub {
inline constexpr int kNone = 0;  // a malformed line: plays nothing
inline constexpr int kClick = 1;
inline constexpr int kPress = 2;
inline constexpr int kRelease = 3;
inline constexpr int kInput = 4;
}  // namespace keysub

class KeyCommand final : public MacroCommand {
public:
    int Kind() const override { return commandkind::kKeyboard; }
    void Run(MacroPlayer& player) const override { player.PlayKeys(*this); }
    std::u16string ToText() const override;
    bool Parse(std::u16string_view line, MacroSystem& system) override;
    bool CopyFrom(const MacroCommand& other) override;
    bool Equals(const MacroCommand& other) const override;

    int subKind = keysub::kNone;
    std::vector<KeyRecord> records;
    int32_t holdMs = -1;  // -1 for none; only a press waits it out
};

}  // namespace kx
