// The texts the main window shows for its rows and buttons.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "core/picture_name.h"
#include "core/shortcut_store.h"

namespace kx {

// An expansion as one line: cut to 259 characters, with every line feed,
// carriage return and tab made a space.
std::u16string PreviewText(std::u16string_view text);

// Column 1 and 2 text for an entry: the picture's file name, the plain
// rendering of rich text, the text or script otherwise.
std::u16string EntryPreview(const ShortcutEntry& entry);

// Column 4: "Shared" or "Local", with " is overriding" when it overrides.
std::u16string LocationText(uint32_t origin);

// The Auto Complete hotkey as the toolbar tooltip names it; empty when the
// hotkey is not in use.
std::u16string AutoCompleteHotkeyText(bool hotkeyInUse, std::u16string_view combo);
// The Auto Complete button's tooltip.
std::u16string AutoCompleteTooltip(bool enabled, std::u16string_view hotkeyText);

}  // namespace kx
