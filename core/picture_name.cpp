#include "core/picture_name.h"

#include "base/text.h"

namespace kx {

std::u16string PictureFileName(std::string_view rich) {
    constexpr std::string_view kMarker = "{\\*\\KestrixFileName{\\";
    const size_t at = rich.find(kMarker);
    if (at == std::string_view::npos) return {};
    std::u16string name;
    for (size_t i = at + kMarker.size(); i < rich.size() && rich[i] != '}' && name.size() < kMaxFieldChars; ++i) {
        if (rich[i] == '\\' && i + 1 < rich.size() && rich[i + 1] == '\\') ++i;
        name.push_back(char16_t(static_cast<unsigned char>(rich[i])));
    }
    return name;
}

}  // namespace kx
