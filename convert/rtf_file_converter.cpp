#include "convert/rtf_file_converter.h"

#include "convert/rtf_to_html.h"
#include "core/whole_file.h"

namespace kx {
namespace {

// For messages: UTF-8 whatever the platform's path encoding.
std::string PathText(const std::filesystem::path& p) {
    std::u8string u = p.u8string();
    return std::string(u.begin(), u.end());
}

}  // namespace

bool ConvertRtfFileToHtmlFile(const std::filesystem::path& rtfPath, const std::filesystem::path& htmlPath,
                              std::string* error) {
    std::string rtf;
    if (!ReadWholeFile(rtfPath, rtf)) {
        if (error) *error = "cannot read " + PathText(rtfPath);
        return false;
    }
    std::string html;
    if (!RtfToHtml(rtf, html, error)) return false;
    if (!WriteWholeFile(htmlPath, html)) {
        if (error) *error = "cannot write " + PathText(htmlPath);
        return false;
    }
    return true;
}

}  // namespace kx
