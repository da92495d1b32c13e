#include "core/hotkey_choice.h"

#include "base/unicode_case.h"

namespace kx {

bool HotkeysClash(std::u16string_view a, std::u16string_view b) { return EqualsNoCase(a, b); }

int HotkeyChoiceIndex(std::u16string_view combo) {
    for (int i = 0; i < kHotkeyChoiceCount; ++i)
        if (EqualsNoCase(combo, kHotkeyChoices[i])) return i;
    return -1;
}

}  // namespace kx
