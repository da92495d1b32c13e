#include "picture/legacy_picture.h"

#include "base/text.h"
#include "core/file_paths.h"
#include "picture/metafile_text.h"

namespace kx {
namespace {

constexpr std::string_view kNameMark = "{\\*\\KestrixFileName{\\";

// The decimal number after `mark`, read up to `stop`; 0 when absent.
// Numbers past nine digits are no picture size.
int NumberAfter(std::string_view rtf, std::string_view mark, char stop) {
    size_t at = rtf.find(mark);
    if (at == std::string_view::npos) return 0;
    int value = 0, digits = 0;
    for (size_t i = at + mark.size(); i < rtf.size() && rtf[i] != stop; ++i) {
        if (rtf[i] < '0' || rtf[i] > '9') break;
        if (++digits > 9) return 0;
        value = value * 10 + (rtf[i] - '0');
    }
    return value;
}

}  // namespace

bool IsLegacyPicture(std::string_view rtf) {
    for (std::string_view mark : {"{\\*\\shppict{", "}}", "}}}", "{\\*\\KestrixFileName{\\", "\\picwgoal", "\\pichgoal"})
        if (rtf.find(mark) == std::string_view::npos) return false;
    return true;
}

bool ReadLegacyPicture(std::string_view rtf, LegacyPicture& out) {
    out = {};
    if (!IsLegacyPicture(rtf)) return false;
    const size_t nameStart = rtf.find(kNameMark) + kNameMark.size();
    // The name's group closes with the picture group's start: "}}".
    const size_t nameEnd = rtf.find("}}", nameStart);
    if (nameEnd == std::string_view::npos || nameEnd == nameStart) return false;
    out.fileName = Utf8ToUtf16(rtf.substr(nameStart, nameEnd - nameStart));
    out.width = NumberAfter(rtf, "\\picwgoal", '\\') / kTwipsPerPixel;
    out.height = NumberAfter(rtf, "\\pichgoal", '{') / kTwipsPerPixel;

    // The picture's digits start right after the name's "}}" and run at
    // most to the first "}}}", stopping at the first pair that is not two
    // hexadecimal digits.
    const size_t dataStart = nameEnd + 2;
    const size_t dataEnd = rtf.find("}}}", nameEnd);
    if (dataEnd == std::string_view::npos || dataEnd <= dataStart) return false;
    const size_t pairs = (dataEnd - dataStart) / 2;
    out.bytes.reserve(pairs);
    for (size_t i = 0; i < pairs; ++i) {
        int high = HexDigitValue(rtf[dataStart + 2 * i]), low = HexDigitValue(rtf[dataStart + 2 * i + 1]);
        if (high < 0 || low < 0) break;
        out.bytes += char(high << 4 | low);
    }
    return !out.bytes.empty();
}

std::u16string SafeFileName(std::u16string_view name) {
    std::u16string_view base = CutToField(FileNameOf(name));
    if (base.empty() || base == u"." || base == u"..") return {};
    for (char16_t c : base)
        if (c < 0x20 || c == u':' || c == u'*' || c == u'?' || c == u'"' || c == u'<' || c == u'>' || c == u'|')
            return {};
    return std::u16string(base);
}

}  // namespace kx
