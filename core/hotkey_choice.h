// The key combinations the two on/off hotkeys can be given in the options,
// and the rule that keeps them apart: one combination cannot switch both
// shortcuts and Auto Complete.
#pragma once

#include <string_view>

namespace kx {

inline constexpr const char16_t* kHotkeyChoices[] = {u"CTRL+ALT+SPACE", u"CTRL+ALT+ENTER", u"SHIFT+ALT+ENTER"};
inline constexpr int kHotkeyChoiceCount = 3;

inline constexpr char16_t kHotkeyUsedTitle[] = u"Shortcut Already Used";
// Shown at the shortcuts' list when Auto Complete has the combination.
inline constexpr char16_t kHotkeyUsedByAutoComplete[] =
    u"This shortcut is already being used by the Auto Complete. Please choose another shortcut.";
// Shown at Auto Complete's list when the shortcuts switch has it.
inline constexpr char16_t kHotkeyUsedByShortcuts[] =
    u"This shortcut is already being used to turn shortcuts on/off. Please choose another shortcut.";

// The same combination, whatever the letter case of its stored text.
bool HotkeysClash(std::u16string_view a, std::u16string_view b);

// The list position of a stored combination; -1 when it is none of them.
int HotkeyChoiceIndex(std::u16string_view combo);

}  // namespace kx
