// The texts the main window shows for its rows and buttons.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "core/shortcut_store.h"

namespace kx {

// An expansion as one line: cut to 259 characters, with every line feed,
// carriage return and tab made a space.
std::u16string PreviewText(std::u16string_view text);

// A picture's file name from its stored rich text: what follows the marker
// "{\*\KestrixFileName{\" up to the closing brace or the end, at most 259
// characters, each doubled backslash written once.
std::u16string PictureFileName(std::string_view rich);

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
