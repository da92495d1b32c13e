// Beeftext's comboList.json.
#pragma once

#include <string_view>

#include "core/import/import.h"

namespace kx {

// The newest file format this reader knows.
inline constexpr int kBeeftextMaxVersion = 10;

// Adds the file's combos to the preview; `fileName` names the origin.
void ReadBeeftextImport(std::string_view bytes, std::u16string_view fileName, ImportPreview& preview);

// A snippet's text with Beeftext's #{...} variables handled: "#{cursor}" is
// removed, any other variable is kept as it is typed. Notes go to `item`.
std::u16string BeeftextSnippetText(std::u16string_view snippet, ImportItem& item);

}  // namespace kx
