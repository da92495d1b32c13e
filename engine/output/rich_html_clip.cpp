#include "engine/output/rich_html_clip.h"

#include <string>

#include "convert/rtf_to_html.h"
#include "engine/output/html_clip.h"

namespace kx {

bool BuildRichHtmlClip(ShortcutEntry& entry) {
    entry.htmlClip.clear();
    std::string html;
    if (!RtfToHtml(entry.richText, html, nullptr)) return false;
    entry.htmlClip = MakeHtmlClip(html, false);
    return !entry.htmlClip.empty();
}

}  // namespace kx
