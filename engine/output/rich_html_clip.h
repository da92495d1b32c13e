// Builds the "HTML Format" clip of a rich-text shortcut through the document
// converter's files.
#pragma once

#include <filesystem>

#include "core/shortcut_store.h"

namespace kx {

// The two files the builder goes through.
struct HtmlTempFiles {
    std::filesystem::path rtfFile;
    std::filesystem::path htmlFile;
};

// "KX_TEMP_RTF.rtf" and "KX_TEMP_HTML.HTML" in the user's temporary folder;
// empty paths when the folder is unknown.
HtmlTempFiles DefaultHtmlTempFiles();

// Writes the entry's richText to files.rtfFile, converts it to
// files.htmlFile, reads the HTML back and fills the entry's htmlClip. The
// files stay until the next build deletes them. False, with htmlClip empty,
// when a file cannot be written or read or the text is not RTF.
bool BuildRichHtmlClip(ShortcutEntry& entry, const HtmlTempFiles& files);
bool BuildRichHtmlClip(ShortcutEntry& entry);

}  // namespace kx
