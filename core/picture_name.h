// The file title a picture shortcut keeps inside its stored rich text, for
// the list's rows, the printed listing and the browser's picture.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace kx {

// The marker that opens the title's group: "{\*\KestrixFileName{\".
inline constexpr std::string_view kPictureTitleMark = "{\\*\\KestrixFileName{\\";

// Appends a UTF-8 title as rich text, right after the marker: "\", "{"
// and "}" are escaped, so a title such as "plan {draft" keeps the picture
// inside its document. The marker ends in a backslash, so a first
// character that needs escaping (or a quote, which would read as one) is
// written as a hexadecimal escape joined to that backslash: "'7b".
void AppendPictureTitle(std::string& out, std::string_view utf8Title);

// The UTF-8 title after the marker, up to its first unescaped closing
// brace (or the end), with every escape written once; nothing when there
// is no marker.
std::optional<std::string> PictureTitleBytes(std::string_view rich);

// The same as UTF-16, at most 259 characters; empty when there is no marker.
std::u16string PictureFileName(std::string_view rich);

}  // namespace kx
