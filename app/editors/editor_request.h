// What an editor is opened with and what it gives back.
#pragma once

#include <functional>
#include <string>

#include "core/shortcut_changes.h"
#include "core/shortcut_store.h"

namespace kx {

struct EditorOutcome;

struct EditorRequest {
    bool isNew = true;
    bool shared = false;          // the shortcut belongs to the shared store
    StoreRef store;               // the target store, for the keyword checks
    std::u16string oldKeyword;    // the keyword being edited (empty for new)
    std::u16string keyword;       // shown in the keyword field
    std::u16string plain;         // simple text, or the plain form of rich text
    std::string rich;             // rich text (rich-text shortcuts)
    bool passwordChecked = false; // the shared password was given already
    // Stores the accepted shortcut while the dialog is still open, so that a
    // keyword another shortcut took since the check keeps the dialog open.
    std::function<StoreResult(const EditorOutcome&)> save;
};

enum class EditorEnd { Cancelled, Accepted, Convert };

struct EditorOutcome {
    EditorEnd end = EditorEnd::Cancelled;
    ShortcutKind kind = ShortcutKind::SimpleText;
    std::u16string keyword;
    std::u16string plain;
    std::string rich;
    bool passwordChecked = false;  // the editor asked for the shared password
};

// Whether another shortcut of `store` than `editedKeyword` has `keyword`,
// ignoring case. Takes the store's lock.
bool KeywordInUse(const ShortcutStore& store, std::u16string_view keyword, std::u16string_view editedKeyword);

}  // namespace kx
