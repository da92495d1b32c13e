#include "app/dialogs/store_choice_dialog.h"

#include "app/resource_ids.h"
#include "app/shell/help_topics.h"

namespace kx {

int StoreChoiceDialog::Ask(HWND owner) {
    choice_ = kChoiceCancelled;
    Run(owner, IDD_STORE_CHOICE);
    return choice_;
}

bool StoreChoiceDialog::OnInit() {
    if (!request_.title.empty()) Self().SetText(request_.title);
    // The first line states the situation ("You have selected both private
    // and shared shortcuts."), the second asks the question ("Which ones do
    // you want to delete?"); the request names them the other way round.
    Item(IDC_CHOICE_HEADING).SetText(request_.text);
    Item(IDC_CHOICE_TEXT).SetText(request_.heading);
    Item(IDC_CHOICE_BOTH).Show(request_.bothOffered ? SW_SHOW : SW_HIDE);
    int preselected = request_.preselected;
    if (preselected == kChoiceBoth && !request_.bothOffered) preselected = kChoicePrivate;
    const int radio = preselected == kChoiceShared ? IDC_CHOICE_SHARED
                      : preselected == kChoiceBoth ? IDC_CHOICE_BOTH
                                                   : IDC_CHOICE_PRIVATE;
    ::CheckRadioButton(Self(), IDC_CHOICE_PRIVATE, IDC_CHOICE_BOTH, radio);
    Item(radio).Focus();
    return false;
}

void StoreChoiceDialog::OnOk() {
    if (Item(IDC_CHOICE_SHARED).Checked()) choice_ = kChoiceShared;
    else if (request_.bothOffered && Item(IDC_CHOICE_BOTH).Checked()) choice_ = kChoiceBoth;
    else choice_ = kChoicePrivate;
    End(IDOK);
}

void StoreChoiceDialog::OnCommand(int id, int) {
    if (id == IDHELP) OpenHelpTopic(Self(), L"index");
}

}  // namespace kx
