// The file name a picture shortcut keeps inside its stored rich text, for
// the list's rows and the printed listing.
#pragma once

#include <string>
#include <string_view>

namespace kx {

// What follows the marker "{\*\KestrixFileName{\" up to the closing brace
// or the end, at most 259 characters, each doubled backslash written once;
// empty when there is no marker.
std::u16string PictureFileName(std::string_view rich);

}  // namespace kx
