#include "app/dialogs/password_dialog.h"

#include "app/resource_ids.h"
#include "app/shell/help_topics.h"
#include "core/admin_password.h"

namespace kx {

bool PasswordDialog::Ask(HWND owner) {
    matched_ = false;
    Run(owner, IDD_PASSWORD);
    return matched_;
}

bool PasswordDialog::OnInit() {
    Item(IDC_PASSWORD_FIELD).Send(EM_LIMITTEXT, 259);
    Item(IDC_PASSWORD_FIELD).Focus();
    return false;
}

void PasswordDialog::OnOk() {
    const std::u16string entered = U(Item(IDC_PASSWORD_FIELD).Text());
    if (!CheckEnteredPassword(entered, expected_, notices_)) return;
    matched_ = true;
    End(IDOK);
}

void PasswordDialog::OnCommand(int id, int) {
    if (id == IDHELP) OpenHelpTopic(Self(), L"adminpassworddlg");
}

void PasswordDialog::ShowNotice(std::u16string_view title, std::u16string_view text) {
    Window field = Item(IDC_PASSWORD_FIELD);
    field.Focus();
    field.Send(EM_SETSEL, 0, -1);
    balloon_.Show(field, title, text, TTI_ERROR);
}

}  // namespace kx
