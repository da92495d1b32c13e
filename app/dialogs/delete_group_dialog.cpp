#include "app/dialogs/delete_group_dialog.h"

#include <vector>

#include "app/resource_ids.h"

namespace kx {

bool DeleteGroupDialog::Ask(HWND owner) {
    deleted_ = false;
    Run(owner, IDD_DELETE_GROUP);
    return deleted_;
}

bool DeleteGroupDialog::OnInit() {
    Refill();
    return true;
}

void DeleteGroupDialog::Refill() {
    Window list = Item(IDC_GROUP_LIST);
    list.Send(LB_RESETCONTENT);
    GroupRegistry groups(ctx_.settings);
    for (const auto& name : DeletableGroups(groups))
        list.Send(LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(W(name).c_str()));
    Item(IDOK).Enable(list.Send(LB_GETCOUNT) > 0);
}

void DeleteGroupDialog::OnOk() {
    Window list = Item(IDC_GROUP_LIST);
    const int count = int(list.Send(LB_GETSELCOUNT));
    if (count <= 0) return;
    std::vector<int> rows(size_t(count), 0);
    list.Send(LB_GETSELITEMS, WPARAM(count), reinterpret_cast<LPARAM>(rows.data()));
    std::vector<std::u16string> names;
    for (int row : rows) {
        const int n = int(list.Send(LB_GETTEXTLEN, WPARAM(row)));
        std::wstring text(size_t(n) + 1, L'\0');
        list.Send(LB_GETTEXT, WPARAM(row), reinterpret_cast<LPARAM>(text.data()));
        text.resize(size_t(n));
        names.push_back(U(text));
    }
    if (!DeleteGroups(ctx_, names).empty()) deleted_ = true;
    Refill();
}

}  // namespace kx
