// Picture shortcuts kept in the older RTF form (the picture file's own bytes
// in a \shppict group) and what is needed to encode them again.
#pragma once

#include <string>
#include <string_view>

namespace kx {

struct LegacyPicture {
    std::u16string fileName;  // the picture file's name, extension included
    int width = 0;            // pixels; 0 when the document gives none
    int height = 0;
    std::string bytes;        // the picture file
};

// Whether a picture shortcut's document is in the older form.
bool IsLegacyPicture(std::string_view rtf);

// Reads the name, size and picture bytes of an older document. False when
// it is not one, or when the name or the picture bytes are missing.
bool ReadLegacyPicture(std::string_view rtf, LegacyPicture& out);

// The file name with any folder part taken off, or empty when nothing
// usable remains: the name comes from a stored document, and the picture
// must be written into the temporary folder and nowhere else.
std::u16string SafeFileName(std::u16string_view name);

}  // namespace kx
