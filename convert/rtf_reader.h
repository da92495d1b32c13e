// Reads an RTF document as WordPad, Word and the RichEdit control write it
// into an RtfDocument: fonts, colours and formatted paragraphs.
//
// The reader is lenient the way RTF readers have to be: unknown control
// words are ignored, unknown \* destinations skipped, missing closing braces
// end the document, and text after the last closing brace is dropped. Groups
// nest at most kMaxRtfGroupDepth deep; deeper groups are still matched but
// keep the character format of the deepest tracked level.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "convert/rtf_document.h"

namespace kx {

inline constexpr size_t kMaxRtfGroupDepth = 256;

// False, with a message in *error when given, only when the input is not an
// RTF document at all (it must begin with "{\rtf", after optional blanks).
bool ReadRtf(std::string_view rtf, RtfDocument& doc, std::string* error);

}  // namespace kx
