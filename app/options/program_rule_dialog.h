// "Program Rule": the rule for one program. The programs whose windows are
// open now are offered with their icons and titles; choosing one fills in
// its file name, which can also be typed. Refused input is shown with a
// balloon at its field and keeps the dialog open.
#pragma once

#include "app/win/balloon_tip.h"
#include "app/win/modal_dialog.h"
#include "core/program_rules.h"
#include "platform/win32/handles.h"

namespace kx {

class ProgramRuleDialog final : public ModalDialog {
public:
    // Starts from `entry` (an empty program when adding). True with the
    // accepted rule in `entry` when OK closed the dialog.
    bool Ask(HWND owner, ProgramRuleEntry& entry);

private:
    bool OnInit() override;
    void OnOk() override;
    void OnCommand(int id, int code) override;
    INT_PTR OnNotify(NMHDR& header) override;

    void FillOpenPrograms();
    ProgramRuleKind ChosenKind() const;
    void EnableDelay();

    ProgramRuleEntry entry_;
    // The list's icons, copied: a program may end while the dialog is open,
    // which leaves its row, and the name it fills in, as they were.
    UniqueImageList icons_;
    std::vector<std::u16string> openFiles_;
    BalloonTip balloon_;
};

}  // namespace kx
