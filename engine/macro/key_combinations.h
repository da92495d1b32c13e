// The key combinations a macro shortcut is given in the macro editor: the
// list offered, how held keys are written, and the checks on OK.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace kx {

// The 188 combinations offered, in the order shown.
const std::vector<std::u16string>& MacroKeyCombinations();

// "CTRL+", "SHIFT+", "ALT+" for the keys held, in that order, and then the
// key (nothing while only modifiers are held).
std::u16string ComposeCombination(bool ctrl, bool shift, bool alt, char16_t key);

enum class CombinationCheck {
    Ok,
    Empty,         // nothing entered
    NoModifier,    // does not start with CTRL, SHIFT or ALT
    NotOffered,    // not one of the list: other programs may use it too
};
CombinationCheck CheckCombination(std::u16string_view combination);

inline constexpr std::u16string_view kCombinationTip =
    u"Select a key combination below or press and hold the keys to create a new key combination while shortcut "
    u"field is focused";

}  // namespace kx
