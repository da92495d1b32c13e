#include "app/options/programs_page.h"

#include <commctrl.h>

#include <algorithm>

#include "app/options/program_rule_dialog.h"
#include "app/options/program_rule_list.h"
#include "app/resource_ids.h"

namespace kx {

void ProgramsPage::OnInit() {
    list_.Attach(Item(IDC_PROGRAMS_LIST));
    ListView_SetExtendedListViewStyle(list_.Handle(), LVS_EX_FULLROWSELECT);
    const RECT r = Window(list_.Handle()).ClientRect();
    const int width = r.right - r.left - ::GetSystemMetrics(SM_CXVSCROLL);
    list_.AddColumn(0, L"Program", width / 2);
    list_.AddColumn(1, L"Rule", width - width / 2);
    stored_ = ProgramRuleStore(services_.registry).List();
    rules_ = stored_;
    ShowRules(-1);
}

void ProgramsPage::ShowRules(int select) {
    list_.DeleteAllRows();
    for (size_t i = 0; i < rules_.size(); ++i) {
        const int row = list_.AddRow(W(rules_[i].program), -1, LPARAM(i));
        list_.SetText(row, 1, W(RuleLabel(rules_[i].rule)));
    }
    if (select >= 0) {
        ListView_SetItemState(list_.Handle(), select, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
        ListView_EnsureVisible(list_.Handle(), select, FALSE);
    }
    EnableButtons();
}

int ProgramsPage::Selected() const {
    const std::vector<int> rows = list_.SelectedRows();
    return rows.empty() ? -1 : rows.front();
}

void ProgramsPage::EnableButtons() {
    const bool one = Selected() >= 0;
    Item(IDC_PROGRAMS_EDIT).Enable(one);
    Item(IDC_PROGRAMS_REMOVE).Enable(one);
}

void ProgramsPage::AddOrEdit(bool adding) {
    const int row = Selected();
    if (!adding && row < 0) return;
    ProgramRuleEntry entry;
    if (adding) entry.rule.kind = ProgramRuleKind::Off;
    else entry = rules_[size_t(row)];
    const std::u16string replacing = adding ? u"" : entry.program;
    if (!ProgramRuleDialog().Ask(Self(), entry)) return;
    const size_t at = PutRule(rules_, replacing, std::move(entry));
    ShowRules(int(at));
    ::SendMessageW(Sheet(), PSM_CHANGED, WPARAM(Self().Handle()), 0);
    ::SetFocus(list_.Handle());
}

void ProgramsPage::RemoveSelected() {
    const int row = Selected();
    if (row < 0) return;
    rules_.erase(rules_.begin() + row);
    ShowRules(rules_.empty() ? -1 : std::min(row, int(rules_.size()) - 1));
    ::SendMessageW(Sheet(), PSM_CHANGED, WPARAM(Self().Handle()), 0);
}

void ProgramsPage::OnCommand(int id, int code) {
    if (code != BN_CLICKED) return;
    switch (id) {
    case IDC_PROGRAMS_ADD: AddOrEdit(true); break;
    case IDC_PROGRAMS_EDIT: AddOrEdit(false); break;
    case IDC_PROGRAMS_REMOVE: RemoveSelected(); break;
    default: break;
    }
}

bool ProgramsPage::OnMessage(UINT message, WPARAM, LPARAM lParam, INT_PTR& result) {
    if (message != WM_NOTIFY) return false;
    const NMHDR& header = *reinterpret_cast<const NMHDR*>(lParam);
    if (header.idFrom != IDC_PROGRAMS_LIST) return false;
    switch (header.code) {
    case LVN_ITEMCHANGED: EnableButtons(); break;
    case NM_DBLCLK: AddOrEdit(false); break;
    case LVN_KEYDOWN:
        if (reinterpret_cast<const NMLVKEYDOWN&>(header).wVKey == VK_DELETE) RemoveSelected();
        break;
    default: return false;
    }
    result = TRUE;
    return true;
}

bool ProgramsPage::OnApply() {
    ProgramRuleStore store(services_.registry);
    WriteRuleChanges(store, stored_, rules_);
    stored_ = rules_;
    return true;
}

}  // namespace kx
