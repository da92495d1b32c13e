// Converts an RTF document to a complete HTML document in UTF-8.
//
// The HTML is made for pasting into web editors: each paragraph is a
// margin-less <p>, each run of equal formatting a <span> with inline styles
// (font-family, font-size, color, background-color, font-weight, font-style,
// text-decoration, vertical-align). The body tag is written exactly "<body>"
// and closed by "</body>", which is where the clipboard's fragment lies.
#pragma once

#include <string>
#include <string_view>

#include "convert/rtf_document.h"

namespace kx {

std::string RenderHtml(const RtfDocument& doc);

// False, with a message in *error when given, when `rtf` is not an RTF
// document; `html` is then left empty.
bool RtfToHtml(std::string_view rtf, std::string& html, std::string* error);

}  // namespace kx
