// What the simple-text and rich-text editors share: the keyword field, the
// checks on OK with their balloons, the Import, Clear, Paste and Convert
// buttons, the help topic and the title for a new or an existing shortcut.
#pragma once

#include <windows.h>

#include <string>

#include "app/editors/editor_checks.h"
#include "app/editors/editor_request.h"
#include "app/win/balloon_tip.h"
#include "app/win/file_picker.h"
#include "platform/win32/handles.h"
#include "app/win/modal_dialog.h"
#include "core/data_context.h"
#include "core/shared_dialogs.h"

namespace kx {

class TextEditorBase : public ModalDialog {
public:
    TextEditorBase(const EditorRequest& request, EditorServices services) : request_(request), services_(services) {}
    EditorOutcome Open(HWND owner);

protected:
    // The kind's own parts.
    virtual int TemplateId() const = 0;
    virtual ShortcutKind Kind() const = 0;
    virtual const wchar_t* Title(bool isNew) const = 0;
    virtual const wchar_t* HelpTopic() const = 0;
    virtual const wchar_t* ConvertTooltip() const = 0;
    virtual int ExpansionId() const = 0;
    virtual void InitExpansion() = 0;
    virtual bool ExpansionEmpty() = 0;
    virtual std::vector<FileFilter> ImportFilters() const = 0;
    virtual void ImportBytes(const std::string& bytes) = 0;
    virtual void FillOutcome(EditorOutcome& out) = 0;
    // Rich to simple asks first; true to go on.
    virtual bool ConfirmConversion() { return true; }
    // Runs the dialog from the kind's template.
    virtual void RunDialog(HWND owner) { Run(owner, TemplateId()); }

    bool OnInit() override;
    void OnOk() override;
    void OnCommand(int id, int code) override;

    const EditorRequest& request_;
    EditorServices services_;

private:
    void Import();

    BalloonTip balloon_;
    UniqueWindow tooltips_;
    EditorOutcome outcome_;
};

}  // namespace kx
