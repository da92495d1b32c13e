// Moving rich text in and out of a rich edit control, and formatting its
// selection.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace kx {

std::string RichEditRtf(HWND edit);
void SetRichEditRtf(HWND edit, std::string_view rtf);
// The control's text with CR LF line breaks.
std::wstring RichEditPlainText(HWND edit);

// Switches one effect (CFE_BOLD, CFE_ITALIC, CFE_UNDERLINE, CFE_STRIKEOUT)
// of the selection.
void SetSelectionEffect(HWND edit, DWORD effect, bool on);
// The effects that the whole selection has.
DWORD SelectionEffects(HWND edit);
void SetSelectionTextColour(HWND edit, COLORREF colour);
void SetSelectionBackColour(HWND edit, COLORREF colour);
void SetSelectionPointSize(HWND edit, int points);
int SelectionPointSize(HWND edit);

}  // namespace kx
