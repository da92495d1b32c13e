// Opens the editor of a shortcut's kind, and the other text editor when
// the user converts between simple and rich text.
#pragma once

#include <windows.h>

#include "app/editors/editor_request.h"
#include "app/editors/text_editor_base.h"

namespace kx {

// Whether this program has an editor for the kind.
bool HasEditor(ShortcutKind kind);

// Runs the editor for `kind`, reopening the shortcut in the other text
// editor after each conversion. The outcome is Accepted or Cancelled.
EditorOutcome RunEditor(HWND owner, ShortcutKind kind, EditorRequest request, EditorServices services);

}  // namespace kx
