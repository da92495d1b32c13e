// The hotstrings of an AutoHotkey script (version 1 or 2).
#pragma once

#include <string_view>

#include "core/import/import.h"

namespace kx {

// Adds the script's hotstrings to the preview; `fileName` names the origin.
void ReadAutoHotkeyImport(std::string_view bytes, std::u16string_view fileName, ImportPreview& preview);

}  // namespace kx
