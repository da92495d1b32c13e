// "Enter Password": the administrator's password of the shared file. OK
// checks the entry and keeps the dialog open on a mismatch.
#pragma once

#include <string>

#include "app/win/balloon_tip.h"
#include "app/win/modal_dialog.h"
#include "core/shared_dialogs.h"

namespace kx {

class PasswordDialog final : public ModalDialog {
public:
    PasswordDialog(std::u16string_view expected, SharedDialogs& notices) : expected_(expected), notices_(notices) {}
    // True when a matching password was entered.
    bool Ask(HWND owner);
    // The notice at the password field while the dialog is open.
    void ShowNotice(std::u16string_view title, std::u16string_view text);

private:
    bool OnInit() override;
    void OnOk() override;
    void OnCommand(int id, int code) override;

    std::u16string expected_;
    SharedDialogs& notices_;
    BalloonTip balloon_;
    bool matched_ = false;
};

}  // namespace kx
