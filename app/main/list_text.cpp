#include "app/main/list_text.h"

#include "core/display_records.h"
#include "base/text.h"

namespace kx {

std::u16string PreviewText(std::u16string_view text) {
    std::u16string out(CutToField(text));
    for (char16_t& c : out)
        if (c == u'\n' || c == u'\r' || c == u'\t') c = u' ';
    return out;
}

std::u16string EntryPreview(const ShortcutEntry& entry) {
    if (entry.kind == ShortcutKind::Picture) return PictureFileName(entry.richText);
    return PreviewText(entry.plainText);
}

std::u16string LocationText(uint32_t origin) {
    std::u16string text = (origin & OriginShared) ? u"Shared" : u"Local";
    if (origin & OriginOverriding) text += u" is overriding";
    return text;
}

std::u16string AutoCompleteHotkeyText(bool hotkeyInUse, std::u16string_view combo) {
    if (!hotkeyInUse) return {};
    if (EqualsNoCaseAscii(combo, u"SHIFT+ALT+ENTER")) return u"Shift + Alt + Enter";
    if (EqualsNoCaseAscii(combo, u"CTRL+ALT+SPACE")) return u"Ctrl + Alt + Space";
    return u"Ctrl + Alt + Enter";
}

std::u16string AutoCompleteTooltip(bool enabled, std::u16string_view hotkeyText) {
    std::u16string text = enabled ? u"Turn Auto Complete text suggestions Off" : u"Turn Auto Complete text suggestions On";
    if (!hotkeyText.empty()) text += u" (" + std::u16string(hotkeyText) + u")";
    return text;
}

}  // namespace kx
