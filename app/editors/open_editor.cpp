#include "app/editors/open_editor.h"

#include "app/editors/picture_editor.h"
#include "app/editors/macro_editor.h"
#include "app/editors/rich_text_editor.h"
#include "app/editors/simple_text_editor.h"

namespace kx {

bool HasEditor(ShortcutKind kind) {
    return kind == ShortcutKind::SimpleText || kind == ShortcutKind::Macro || kind == ShortcutKind::RichText || kind == ShortcutKind::Picture;
}

EditorOutcome RunEditor(HWND owner, ShortcutKind kind, EditorRequest request, EditorServices services) {
    for (;;) {
        EditorOutcome outcome;
        if (kind == ShortcutKind::SimpleText) outcome = SimpleTextEditor(request, services).Open(owner);
        else if (kind == ShortcutKind::RichText) outcome = RichTextEditor(request, services).Open(owner);
        else if (kind == ShortcutKind::Macro) return MacroEditor(request, services).Open(owner);
        else if (kind == ShortcutKind::Picture) return PictureEditor(request, services).Open(owner);
        else return outcome;
        if (outcome.end != EditorEnd::Convert) return outcome;
        kind = outcome.kind;
        request.keyword = outcome.keyword;
        request.plain = outcome.plain;
        request.rich = outcome.rich;
        request.passwordChecked = outcome.passwordChecked;
    }
}

}  // namespace kx
