#include "engine/matcher/shared_entry.h"

#include "convert/rtf_embedded_content.h"

namespace kx {

EntryRef WithoutEmbeddedContent(const EntryRef& entry) {
    if (!entry || entry->richText.empty()) return entry;
    EntryRef clean = ShortcutEntry::Make(entry->kind, entry->plainText, StripEmbeddedContent(entry->richText));
    // The HTML form was made from the rich text by the converter, which
    // writes only text and web or mail links: nothing in it to clean.
    clean->htmlClip = entry->htmlClip;
    return clean;
}

}  // namespace kx
