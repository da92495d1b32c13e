#include "core/picture_name.h"

#include "base/text.h"

namespace kx {

std::u16string PictureFileName(std::string_view rich) {
    constexpr std::string_view kMarker = "{\\*\\KestrixFileName{\\";
    const size_t at = rich.find(kMarker);
    if (at == std::string_view::npos) return {};
    // The encoder writes the file title in UTF-8.
    std::string bytes;
    for (size_t i = at + kMarker.size(); i < rich.size() && rich[i] != '}'; ++i) {
        if (rich[i] == '\\' && i + 1 < rich.size() && rich[i + 1] == '\\') ++i;
        bytes.push_back(rich[i]);
    }
    return std::u16string(CutToField(Utf8ToUtf16(bytes)));
}

}  // namespace kx
