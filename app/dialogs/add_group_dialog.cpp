#include "app/dialogs/add_group_dialog.h"

#include <commctrl.h>

#include "app/resource_ids.h"
#include "app/win/file_picker.h"

namespace kx {

bool AddGroupDialog::Ask(HWND owner) {
    added_ = false;
    Run(owner, IDD_ADD_GROUP);
    return added_;
}

bool AddGroupDialog::OnInit() {
    Window name = Item(IDC_GROUP_NAME);
    name.Send(EM_LIMITTEXT, kMaxGroupNameChars);
    name.Send(EM_SETCUEBANNER, TRUE, reinterpret_cast<LPARAM>(L"eg. forWord"));
    Item(IDC_GROUP_LOCATION).SetText(ctx_.folders.local);
    name.Focus();
    return false;
}

void AddGroupDialog::OnOk() {
    const AddGroupOutcome outcome =
        AddGroup(ctx_, stores_, U(Item(IDC_GROUP_NAME).Text()), U(Item(IDC_GROUP_LOCATION).Text()));
    if (outcome.added) {
        added_ = true;
        End(IDOK);
        return;
    }
    if (outcome.focus == GroupField::Name) Item(IDC_GROUP_NAME).Focus();
    else if (outcome.focus == GroupField::Location) Item(IDC_GROUP_LOCATION).Focus();
    else End(IDCANCEL);
}

void AddGroupDialog::OnCommand(int id, int) {
    if (id != IDC_GROUP_BROWSE) return;
    const std::wstring folder = PickFolder(Self(), L"Save Group Location", Item(IDC_GROUP_LOCATION).Text());
    if (!folder.empty()) Item(IDC_GROUP_LOCATION).SetText(std::wstring_view(folder));
}

}  // namespace kx
