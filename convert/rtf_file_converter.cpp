#include "convert/rtf_file_converter.h"

#include "convert/rtf_to_html.h"
#include "core/whole_file.h"

namespace kx {

bool ConvertRtfFileToHtmlFile(const std::filesystem::path& rtfPath, const std::filesystem::path& htmlPath,
                              std::string* error) {
    std::string rtf;
    if (!ReadWholeFile(rtfPath, rtf)) {
        if (error) *error = "cannot read " + rtfPath.string();
        return false;
    }
    std::string html;
    if (!RtfToHtml(rtf, html, error)) return false;
    if (!WriteWholeFile(htmlPath, html)) {
        if (error) *error = "cannot write " + htmlPath.string();
        return false;
    }
    return true;
}

}  // namespace kx
