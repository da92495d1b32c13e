// The macro shortcut's editor: a key combination, taken from the list or
// from the keys held in its field, and a script checked line by line before
// it is saved.
#pragma once

#include <windows.h>

#include "app/editors/editor_request.h"
#include "app/editors/text_editor_base.h"
#include "app/win/balloon_tip.h"
#include "app/win/modal_dialog.h"
#include "platform/win32/handles.h"

namespace kx {

class MacroEditor final : public ModalDialog {
public:
    MacroEditor(const EditorRequest& request, EditorServices services) : request_(request), services_(services) {}
    EditorOutcome Open(HWND owner);

private:
    bool OnInit() override;
    void OnOk() override;
    void OnCommand(int id, int code) override;

    // False (with its balloon or question answered "Don't use it") when the
    // combination may not be saved.
    bool CombinationAccepted(const std::u16string& combination);
    bool CombinationUnique(const std::u16string& combination);
    void InsertLine(const wchar_t* line);
    void Import();
    std::u16string Script();

    const EditorRequest& request_;
    EditorServices services_;
    BalloonTip balloon_;
    UniqueWindow tooltips_;
    EditorOutcome outcome_;
};

// Whether another shortcut of `store` than `edited` has exactly `combination`.
bool CombinationInUse(const ShortcutStore& store, std::u16string_view combination, std::u16string_view edited);

}  // namespace kx
