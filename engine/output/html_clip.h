// The "HTML Format" clipboard layout: a 107-byte header of offsets, the HTML
// document, and a zero byte.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace kx {

inline constexpr size_t kHtmlClipHeaderSize = 107;

struct HtmlClipOffsets {
    size_t startHtml = 0;
    size_t endHtml = 0;
    size_t startFragment = 0;
    size_t endFragment = 0;
};

// The header values for `html`. The rich-text form finds its fragment
// between "<body>" and "</body>", the picture form between the
// "<!--StartFragment-->" and "<!--EndFragment-->" comments; a missing start
// marker gives the start of the HTML, a missing end marker its last byte.
HtmlClipOffsets ComputeHtmlClipOffsets(std::string_view html, bool pictureForm);

// Header, HTML and the zero byte: html.size() + 108 bytes. Empty when the
// offsets would not fit the header's ten digits.
std::string MakeHtmlClip(std::string_view html, bool pictureForm);

}  // namespace kx
