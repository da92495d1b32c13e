#include "engine/output/rich_html_clip.h"

#include <string>
#include <system_error>

#include "convert/rtf_file_converter.h"
#include "core/whole_file.h"
#include "engine/output/html_clip.h"

namespace kx {

HtmlTempFiles DefaultHtmlTempFiles() {
    std::error_code ec;
    std::filesystem::path dir = std::filesystem::temp_directory_path(ec);
    if (ec || dir.empty()) return {};
    return {dir / "KX_TEMP_RTF.rtf", dir / "KX_TEMP_HTML.HTML"};
}

bool BuildRichHtmlClip(ShortcutEntry& entry, const HtmlTempFiles& files) {
    entry.htmlClip.clear();
    if (files.rtfFile.empty() || files.htmlFile.empty()) return false;

    // Stale files from the previous build must not be mistaken for this one's.
    std::error_code ec;
    std::filesystem::remove(files.rtfFile, ec);
    std::filesystem::remove(files.htmlFile, ec);

    if (!WriteWholeFile(files.rtfFile, entry.richText)) return false;
    if (!ConvertRtfFileToHtmlFile(files.rtfFile, files.htmlFile, nullptr)) return false;

    std::string html;
    if (!ReadWholeFile(files.htmlFile, html)) return false;
    entry.htmlClip = MakeHtmlClip(html, false);
    return !entry.htmlClip.empty();
}

bool BuildRichHtmlClip(ShortcutEntry& entry) { return BuildRichHtmlClip(entry, DefaultHtmlTempFiles()); }

}  // namespace kx
