#include "core/admin_password.h"

namespace kx {

bool CheckEnteredPassword(std::u16string_view entered, std::u16string_view expected, SharedDialogs& dialogs) {
    if (entered == expected) return true;
    dialogs.ShowFieldNotice(SharedField::AdminPassword, u"Invalid Password",
                            u"The entered password does not match, please enter the correct password.");
    return false;
}

namespace {

bool Authorised(const ShortcutStore& shared, SharedDialogs& dialogs, MessagePrompt& prompt, const char16_t* refusal,
                bool taskModal) {
    std::u16string password;
    shared.GetAdminPassword(password);
    if (password.empty() || dialogs.AskAdminPassword(password)) return true;
    if (taskModal) {
        QuestionBox box;
        box.title = u"Administrator Access Required";
        box.text = refusal;
        box.buttons = {u"OK"};
        box.cancellable = false;
        box.icon = MessageIcon::Error;
        box.taskModal = true;
        prompt.Ask(box);
    } else {
        prompt.ShowMessage(MessageIcon::Error, u"Administrator Access Required", refusal);
    }
    return false;
}

}  // namespace

bool MayChangeShared(const ShortcutStore& shared, SharedDialogs& dialogs, MessagePrompt& prompt) {
    return Authorised(shared, dialogs, prompt, u"Only the Administrator may change the Shared Shortcuts.", false);
}

bool MayDeleteFromShared(const ShortcutStore& shared, SharedDialogs& dialogs, MessagePrompt& prompt) {
    return Authorised(shared, dialogs, prompt, u"Only the Administrator may delete from the Shared Shortcuts.", true);
}

}  // namespace kx
