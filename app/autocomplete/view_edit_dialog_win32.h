// "View/Edit Suggestion": the whole text of an Auto Complete phrase in an
// edit box, with "Save" and "Cancel".
#pragma once

#include <windows.h>

#include <string>

namespace kx {

// Shows `text` for editing; true with the edited text on "Save".
bool RunViewEditDialog(HWND owner, std::u16string& text);

}  // namespace kx
