// The rich text editor's template names the rich edit class "RICHEDIT50W" of
// Msftedit.dll. Where that library is missing and only riched20.dll could be
// loaded, the editor runs from a copy of the template that names the older
// class "RichEdit20W" instead; both names are eleven characters long, so
// nothing else in the template moves.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string_view>
#include <vector>

namespace kx {

inline constexpr wchar_t kRichEdit50Class[] = L"RICHEDIT50W";
inline constexpr wchar_t kRichEdit20Class[] = L"RichEdit20W";

// "RICHEDIT50W" when that class is registered, else "RichEdit20W".
const wchar_t* AvailableRichEditClass();

// A copy of the dialog template `templateId` of `module` in which every
// control of class "RICHEDIT50W" has `className` instead (a name of the same
// length). Empty when the template does not exist.
std::vector<uint8_t> TemplateWithRichEditClass(HMODULE module, int templateId, std::wstring_view className);

}  // namespace kx
