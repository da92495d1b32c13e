#include "app/options/program_rule_dialog.h"

#include <commctrl.h>

#include "app/resource_ids.h"
#include "app/shell/program_windows.h"
#include "app/win/list_view.h"

namespace kx {

bool ProgramRuleDialog::Ask(HWND owner, ProgramRuleEntry& entry) {
    entry_ = entry;
    if (Run(owner, IDD_PROGRAM_RULE) != IDOK) return false;
    entry = entry_;
    return true;
}

bool ProgramRuleDialog::OnInit() {
    FillOpenPrograms();
    Item(IDC_RULE_FILE).SetText(entry_.program);
    const ProgramRule& rule = entry_.rule;
    const int radio = rule.kind == ProgramRuleKind::Type   ? IDC_RULE_TYPE
                      : rule.kind == ProgramRuleKind::Chat ? IDC_RULE_CHAT
                                                           : IDC_RULE_OFF;
    Item(radio).Check(true);
    if (rule.kind == ProgramRuleKind::Type && rule.typeDelayMs)
        Item(IDC_RULE_DELAY).SetText(std::to_wstring(rule.typeDelayMs));
    Item(IDC_RULE_DELAY).Send(EM_LIMITTEXT, 3);
    EnableDelay();
    // A new rule starts at the list of programs, an edited one at its rule.
    (entry_.program.empty() ? Item(IDC_RULE_OPEN_LIST) : Item(radio)).Focus();
    return false;
}

void ProgramRuleDialog::FillOpenPrograms() {
    ListView list;
    list.Attach(Item(IDC_RULE_OPEN_LIST));
    ListView_SetExtendedListViewStyle(list.Handle(), LVS_EX_FULLROWSELECT);
    const RECT r = Window(list.Handle()).ClientRect();
    const int fileWidth = (r.right - r.left) * 2 / 5;
    list.AddColumn(0, L"Program", fileWidth);
    list.AddColumn(1, L"Window", r.right - r.left - fileWidth - ::GetSystemMetrics(SM_CXVSCROLL));
    const int cx = ::GetSystemMetrics(SM_CXSMICON), cy = ::GetSystemMetrics(SM_CYSMICON);
    icons_.Reset(ImageList_Create(cx, cy, ILC_COLOR32 | ILC_MASK, 8, 8));
    // Shared: the list does not destroy it, icons_ does.
    ListView_SetImageList(list.Handle(), icons_.Get(), LVSIL_SMALL);
    const int fallback = ImageList_AddIcon(icons_.Get(), ::LoadIconW(nullptr, IDI_APPLICATION));
    for (const OpenProgram& p : ListOpenPrograms()) {
        const int image = p.icon ? ImageList_AddIcon(icons_.Get(), p.icon.Get()) : fallback;
        const int row = list.AddRow(W(p.fileName), image < 0 ? fallback : image, LPARAM(openFiles_.size()));
        list.SetText(row, 1, W(p.title));
        openFiles_.push_back(p.fileName);
    }
}

INT_PTR ProgramRuleDialog::OnNotify(NMHDR& header) {
    if (header.idFrom != IDC_RULE_OPEN_LIST || header.code != LVN_ITEMCHANGED) return 0;
    const auto& change = reinterpret_cast<const NMLISTVIEW&>(header);
    if (!(change.uChanged & LVIF_STATE) || !(change.uNewState & LVIS_SELECTED)) return 0;
    const size_t index = size_t(change.lParam);
    if (index < openFiles_.size()) Item(IDC_RULE_FILE).SetText(openFiles_[index]);
    return 0;
}

ProgramRuleKind ProgramRuleDialog::ChosenKind() const {
    if (Item(IDC_RULE_TYPE).Checked()) return ProgramRuleKind::Type;
    if (Item(IDC_RULE_CHAT).Checked()) return ProgramRuleKind::Chat;
    if (Item(IDC_RULE_OFF).Checked()) return ProgramRuleKind::Off;
    return ProgramRuleKind::None;
}

void ProgramRuleDialog::EnableDelay() { Item(IDC_RULE_DELAY).Enable(ChosenKind() == ProgramRuleKind::Type); }

void ProgramRuleDialog::OnCommand(int id, int code) {
    if ((id == IDC_RULE_OFF || id == IDC_RULE_TYPE || id == IDC_RULE_CHAT) && code == BN_CLICKED) EnableDelay();
}

void ProgramRuleDialog::OnOk() {
    balloon_.Hide();
    const std::u16string program = U(Item(IDC_RULE_FILE).Text());
    const ProgramRuleKind kind = ChosenKind();
    const std::u16string delay = kind == ProgramRuleKind::Type ? U(Item(IDC_RULE_DELAY).Text()) : u"";
    ProgramRule rule;
    switch (CheckProgramRuleInput(program, kind, delay, &rule)) {
    case RuleProblem::None:
        entry_ = {program, rule};
        End(IDOK);
        return;
    case RuleProblem::NotAFileName:
        balloon_.Show(Item(IDC_RULE_FILE), u"Not a Program File Name",
                      u"Please enter the file name of the program, such as \"mstsc.exe\", without its folder.",
                      TTI_ERROR);
        Item(IDC_RULE_FILE).Focus();
        return;
    case RuleProblem::DelayOutOfRange:
        balloon_.Show(Item(IDC_RULE_DELAY), u"Delay Out of Range",
                      u"Please enter a delay from 0 to 100 milliseconds per character.", TTI_ERROR);
        Item(IDC_RULE_DELAY).Focus();
        return;
    case RuleProblem::NoRule:
        balloon_.Show(Item(IDC_RULE_OFF), u"No Rule Chosen", u"Please choose Off, Type or Chat.", TTI_ERROR);
        return;
    }
}

}  // namespace kx
