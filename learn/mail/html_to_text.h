// The plain text of an HTML mail body, as the learning dictionary is fed it.
#pragma once

#include <string>
#include <string_view>

namespace kx {

// Tags are dropped; br, div, h1-h6, img, object, wbr, frame, p, th and li
// (opening or closing) start a new line ("\r\n"). Source line breaks are
// ignored and runs of blanks become one space, none at a line's start.
// "&#" with up to three digits and the 100 named references of HTML 4's
// Latin-1 set (with amp, lt, gt, quot) are replaced; any other '&' stays.
std::u16string HtmlToText(std::u16string_view html);

}  // namespace kx
