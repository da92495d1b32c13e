// The plain text of an RTF document, as the editors show it beside the
// formatted one: paragraphs and line breaks become CR LF, tabs stay tabs.
#pragma once

#include <string>
#include <string_view>

#include "convert/rtf_document.h"

namespace kx {

std::u16string RenderPlainText(const RtfDocument& doc);

// Empty when `rtf` is not an RTF document.
std::u16string RtfToPlainText(std::string_view rtf);

}  // namespace kx
