#include "app/dialogs/shared_dialogs_win32.h"

#include "app/dialogs/password_dialog.h"
#include "app/dialogs/store_choice_dialog.h"

namespace kx {

HWND Win32SharedDialogs::Owner() const {
    HWND active = ::GetActiveWindow();
    return active && ::IsWindowVisible(active) ? active : owner_;
}

int Win32SharedDialogs::ChooseStore(const StoreChoiceRequest& request) {
    StoreChoiceDialog dialog(request);
    return dialog.Ask(Owner());
}

bool Win32SharedDialogs::AskAdminPassword(std::u16string_view expected) {
    PasswordDialog dialog(expected, *this);
    PasswordDialog* outer = open_;
    open_ = &dialog;
    const bool ok = dialog.Ask(Owner());
    open_ = outer;
    return ok;
}

void Win32SharedDialogs::ShowFieldNotice(SharedField field, std::u16string_view title, std::u16string_view text) {
    if (field == SharedField::AdminPassword && open_) {
        open_->ShowNotice(title, text);
        return;
    }
    prompt_.ShowMessage(MessageIcon::Warning, title, text);
}

}  // namespace kx
