#include "engine/output/html_clip_builder.h"

#include "engine/output/picture_html_clip.h"

namespace kx {

bool HtmlClipBuilder::BuildRich(ShortcutEntry& entry) { return BuildRichHtmlClip(entry); }

bool HtmlClipBuilder::BuildPicture(ShortcutEntry& entry) { return BuildPictureHtmlClip(entry, encoder_); }

}  // namespace kx
