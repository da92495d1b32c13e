#include "engine/output/html_clip_builder.h"

namespace kx {

bool HtmlClipBuilder::BuildRich(ShortcutEntry& entry) { return BuildRichHtmlClip(entry); }

}  // namespace kx
