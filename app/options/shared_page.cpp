#include "app/options/shared_page.h"

#include "app/resource_ids.h"
#include "app/win/file_picker.h"
#include "core/file_paths.h"

namespace kx {
namespace {

// The file is checked shortly after the page opens, once it is on screen,
// so that its password (and with it the old-password field) is known.
constexpr UINT_PTR kValidateTimer = 1;
constexpr UINT kValidateDelayMs = 200;

}  // namespace

void SharedPage::OnInit() {
    form_ = OpenSharedOptions(services_.ctx);
    ShowForm();
    ::SetTimer(Self(), kValidateTimer, kValidateDelayMs, nullptr);
}

bool SharedPage::OnMessage(UINT message, WPARAM wParam, LPARAM, INT_PTR& result) {
    if (message != WM_TIMER || wParam != kValidateTimer) return false;
    ::KillTimer(Self(), kValidateTimer);
    // Only a file in use is checked: the check's messages say that shared
    // shortcuts will be disabled.
    ReadForm();
    if (form_.enabled) ValidateSharedPath(services_.ctx, page_, form_.path);
    EnableFields();
    result = TRUE;
    return true;
}

void SharedPage::ReadForm() {
    form_.enabled = Item(IDC_OPT_SHARED_ENABLE).Checked();
    form_.path = U(Item(IDC_OPT_SHARED_PATH).Text());
    form_.overrideLocal = Item(IDC_OPT_SHARED_OVERRIDE).Checked();
    form_.oldPassword = U(Item(IDC_OPT_OLD_PASSWORD).Text());
    form_.newPassword = U(Item(IDC_OPT_NEW_PASSWORD).Text());
    form_.confirmPassword = U(Item(IDC_OPT_CONFIRM_PASSWORD).Text());
}

void SharedPage::ShowForm() {
    Item(IDC_OPT_SHARED_ENABLE).Check(form_.enabled);
    Item(IDC_OPT_SHARED_PATH).SetText(form_.path);
    Item(IDC_OPT_SHARED_OVERRIDE).Check(form_.overrideLocal);
    Item(IDC_OPT_OLD_PASSWORD).SetText(form_.oldPassword);
    Item(IDC_OPT_NEW_PASSWORD).SetText(form_.newPassword);
    Item(IDC_OPT_CONFIRM_PASSWORD).SetText(form_.confirmPassword);
    EnableFields();
}

void SharedPage::EnableFields() {
    form_.enabled = Item(IDC_OPT_SHARED_ENABLE).Checked();
    const SharedOptionsEnabling e = SharedOptionsFieldsEnabled(form_, page_);
    Item(IDC_OPT_SHARED_PATH).Enable(e.path);
    Item(IDC_OPT_SHARED_BROWSE).Enable(e.browse);
    Item(IDC_OPT_SHARED_OVERRIDE).Enable(e.overrideBox);
    Item(IDC_OPT_OLD_PASSWORD).Enable(e.oldPassword);
    Item(IDC_OPT_NEW_PASSWORD).Enable(e.newPassword);
    Item(IDC_OPT_CONFIRM_PASSWORD).Enable(e.confirmPassword);
}

void SharedPage::Browse() {
    const std::wstring current = Item(IDC_OPT_SHARED_PATH).Text();
    const std::wstring chosen = PickFileToOpen(Self(), L"Open Shared Abbreviations File",
                                               {{L"Shortcut Database File", L"*.dat"}}, W(std::u16string(FolderOf(U(current)))));
    if (chosen.empty()) return;
    Item(IDC_OPT_SHARED_PATH).SetText(chosen);
    // The chosen file is loaded now, so that its password is asked for.
    if (ValidateSharedPath(services_.ctx, page_, U(chosen))) EnableFields();
}

void SharedPage::OnCommand(int id, int code) {
    switch (id) {
    case IDC_OPT_SHARED_ENABLE:
        EnableFields();
        break;
    case IDC_OPT_SHARED_BROWSE:
        if (code == BN_CLICKED) Browse();
        break;
    default:
        break;
    }
    if (code == BN_CLICKED || code == EN_CHANGE) ::SendMessageW(Sheet(), PSM_CHANGED, WPARAM(Self().Handle()), 0);
}

bool SharedPage::OnApply() {
    ReadForm();
    if (ApplySharedOptions(services_.ctx, page_, form_, *this)) return true;
    // The rules untick the box or clear a password field as they refuse.
    Item(IDC_OPT_SHARED_ENABLE).Check(form_.enabled);
    Item(IDC_OPT_OLD_PASSWORD).SetText(form_.oldPassword);
    Item(IDC_OPT_CONFIRM_PASSWORD).SetText(form_.confirmPassword);
    EnableFields();
    return false;
}

void SharedPage::ShowFieldNotice(SharedField field, std::u16string_view title, std::u16string_view text) {
    int control = IDC_OPT_SHARED_PATH;
    switch (field) {
    case SharedField::OldPassword: control = IDC_OPT_OLD_PASSWORD; break;
    case SharedField::NewPassword: control = IDC_OPT_NEW_PASSWORD; break;
    case SharedField::ConfirmPassword: control = IDC_OPT_CONFIRM_PASSWORD; break;
    default: break;
    }
    balloon_.Show(Item(control), title, text, TTI_ERROR);
}

}  // namespace kx
