#include "core/picture_name.h"

#include "base/text.h"

namespace kx {

namespace {

bool NeedsEscape(char c) { return c == '\\' || c == '{' || c == '}'; }

}  // namespace

void AppendPictureTitle(std::string& out, std::string_view utf8Title) {
    for (size_t i = 0; i < utf8Title.size(); ++i) {
        const char c = utf8Title[i];
        if (i == 0 && (NeedsEscape(c) || c == '\'')) {
            static constexpr char kHex[] = "0123456789abcdef";
            out += '\'';
            out += kHex[uint8_t(c) >> 4];
            out += kHex[uint8_t(c) & 15];
            continue;
        }
        if (NeedsEscape(c)) out.push_back('\\');
        out.push_back(c);
    }
}

std::optional<std::string> PictureTitleBytes(std::string_view rich) {
    const size_t at = rich.find(kPictureTitleMark);
    if (at == std::string_view::npos) return std::nullopt;
    std::string bytes;
    size_t from = at + kPictureTitleMark.size();
    if (from + 2 < rich.size() && rich[from] == '\'' && HexDigitValue(rich[from + 1]) >= 0 && HexDigitValue(rich[from + 2]) >= 0) {
        bytes.push_back(char(HexDigitValue(rich[from + 1]) * 16 + HexDigitValue(rich[from + 2])));
        from += 3;
    }
    for (size_t i = from; i < rich.size() && rich[i] != '}'; ++i) {
        const bool escape = rich[i] == '\\' && i + 1 < rich.size() && NeedsEscape(rich[i + 1]);
        if (escape) ++i;
        bytes.push_back(rich[i]);
    }
    return bytes;
}

std::u16string PictureFileName(std::string_view rich) {
    const std::optional<std::string> bytes = PictureTitleBytes(rich);
    return bytes ? std::u16string(CutToField(Utf8ToUtf16(*bytes))) : std::u16string();
}

}  // namespace kx
