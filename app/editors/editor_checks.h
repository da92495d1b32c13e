// What the shortcut editors do alike: the tooltips of their buttons, the
// warning balloon on a field, and the checks their OK starts with.
#pragma once
#include <windows.h>
#include <initializer_list>
#include <string_view>
#include "app/editors/editor_request.h"
#include "app/win/balloon_tip.h"
#include "app/win/window.h"
#include "core/data_context.h"
#include "core/shared_dialogs.h"
#include "platform/win32/handles.h"

namespace kx {

struct EditorServices {
    const DataContext& ctx;
    SharedDialogs& dialogs;
};

struct EditorTip {
    int id;                // the dialog's control
    const wchar_t* text;
};

// A tooltip window of `dialog`, kept in `tooltips`, that shows each tip over
// its control. With `maxWidth` (pixels) long tips wrap.
void AddEditorTips(UniqueWindow& tooltips, Window dialog, std::initializer_list<EditorTip> tips, int maxWidth = 0);

// The field takes the focus and a warning balloon points at it.
void ShowFieldBalloon(BalloonTip& balloon, Window field, std::u16string_view title, std::u16string_view text);

// The checks every editor's OK starts with: the last balloon goes; an empty
// keyword field gets a balloon saying `emptyText`; a shortcut of the shared
// store whose administrator password is set needs that password, asked once
// an editor (outcome.passwordChecked). False when the dialog stays open.
bool EditorOkStart(const EditorRequest& request, EditorServices services, EditorOutcome& outcome, BalloonTip& balloon,
                   Window keyword, std::u16string_view emptyText);

// The balloon on a keyword that another shortcut has.
void ShowKeywordInUse(BalloonTip& balloon, Window keyword);

// True when no other shortcut of the request's store has the keyword field's
// text; otherwise that field's balloon says so.
bool KeywordUnique(const EditorRequest& request, BalloonTip& balloon, Window keyword);

}  // namespace kx
