#include "engine/output/picture_html_clip.h"

#include "core/base64.h"
#include "core/picture_name.h"
#include "base/text.h"
#include "engine/output/html_clip.h"

namespace kx {
namespace {

constexpr int kTwipsPerPixel = 15;

// The decimal number right after `mark`, or 0 when there is none. Values
// beyond nine digits are not picture sizes and count as none.
int NumberAfter(std::string_view rtf, std::string_view mark) {
    size_t at = rtf.find(mark);
    if (at == std::string_view::npos) return 0;
    int value = 0;
    int digits = 0;
    for (size_t i = at + mark.size(); i < rtf.size() && rtf[i] >= '0' && rtf[i] <= '9'; ++i) {
        if (++digits > 9) return 0;
        value = value * 10 + (rtf[i] - '0');
    }
    return value;
}

// Hex digit pairs, with the line breaks the writer puts between them.
bool DecodeHex(std::string_view text, std::vector<uint8_t>& out) {
    out.clear();
    out.reserve(text.size() / 2);
    int high = -1;
    for (char c : text) {
        if (c == '\r' || c == '\n') continue;
        int v = HexDigitValue(c);
        if (v < 0) return false;
        if (high < 0) {
            high = v;
        } else {
            out.push_back(uint8_t(high << 4 | v));
            high = -1;
        }
    }
    return high < 0;
}

}  // namespace

bool ReadPictureDescription(std::string_view rtf, PictureDescription& out) {
    out = {};
    const std::optional<std::string> title = PictureTitleBytes(rtf);
    if (!title || title->empty()) return false;
    out.fileName = std::u16string(CutToField(Utf8ToUtf16(*title)));

    out.width = NumberAfter(rtf, "\\picwgoal") / kTwipsPerPixel;
    out.height = NumberAfter(rtf, "\\pichgoal") / kTwipsPerPixel;
    if (out.width == 0 || out.height == 0) return false;

    size_t dataStart = rtf.find("\r\n");
    if (dataStart == std::string_view::npos) return false;
    dataStart += 2;
    size_t dataEnd = rtf.find("\r\n}", dataStart);
    if (dataEnd == std::string_view::npos || dataEnd == dataStart) return false;
    return DecodeHex(rtf.substr(dataStart, dataEnd - dataStart), out.picture) && !out.picture.empty();
}

std::string MakePictureHtml(int width, int height, std::string_view png) {
    std::string html =
        "<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.01 Transitional//EN\" "
        "\"http://www.w3.org/TR/html4/loose.dtd\">\r\n"
        "<html>\r\n<head>\r\n<meta http-equiv=Content-Type content=\"text/html; charset=utf-8\">\r\n"
        "</head>\r\n<body>\r\n<!--StartFragment-->\r\n\r\n";
    html += "<img width=" + std::to_string(width) + " height=" + std::to_string(height) +
            " src=\"data:image/png;base64,";
    html += Base64Encode(png);
    html += "\" />\r\n\r\n<!--EndFragment-->\r\n</body>\r\n</html>\r\n";
    return html;
}

std::string PictureHtmlClip(std::string_view rtf, PngEncoder& encoder) {
    PictureDescription picture;
    if (!ReadPictureDescription(rtf, picture)) return {};
    std::string png;
    if (!encoder.RenderPng(picture.picture, png) || png.empty()) return {};
    return MakeHtmlClip(MakePictureHtml(picture.width, picture.height, png), true);
}

bool BuildPictureHtmlClip(ShortcutEntry& entry, PngEncoder& encoder) {
    entry.htmlClip = PictureHtmlClip(entry.richText, encoder);
    return !entry.htmlClip.empty();
}

}  // namespace kx
