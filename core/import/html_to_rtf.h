// A small HTML fragment, as other expanders store formatted snippets, as the
// RTF document of a rich-text shortcut: bold, italic, underline and
// strike-through, paragraphs, line breaks and list items. Links keep their
// text; other markup is dropped and its text kept.
#pragma once

#include <string>
#include <string_view>

namespace kx {

std::string HtmlToRtf(std::u16string_view html);

}  // namespace kx
