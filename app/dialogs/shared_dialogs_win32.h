// The shared-store dialogs as real windows: the private-or-shared choice,
// the password dialog and the notices at its field.
#pragma once

#include <windows.h>

#include "core/shared_dialogs.h"
#include "platform/user_prompt.h"

namespace kx {

class PasswordDialog;

class Win32SharedDialogs final : public SharedDialogs {
public:
    explicit Win32SharedDialogs(MessagePrompt& prompt) : prompt_(prompt) {}
    void SetOwner(HWND owner) { owner_ = owner; }

    int ChooseStore(const StoreChoiceRequest& request) override;
    bool AskAdminPassword(std::u16string_view expected) override;
    void ShowFieldNotice(SharedField field, std::u16string_view title, std::u16string_view text) override;

private:
    HWND Owner() const;
    MessagePrompt& prompt_;
    HWND owner_ = nullptr;
    PasswordDialog* open_ = nullptr;
};

// Answers the password question with yes once an editor has checked the
// password itself, so the save that follows does not ask a second time.
class AlreadyAuthorised final : public SharedDialogs {
public:
    explicit AlreadyAuthorised(SharedDialogs& inner) : inner_(inner) {}
    int ChooseStore(const StoreChoiceRequest& r) override { return inner_.ChooseStore(r); }
    bool AskAdminPassword(std::u16string_view) override { return true; }
    void ShowFieldNotice(SharedField f, std::u16string_view t, std::u16string_view x) override {
        inner_.ShowFieldNotice(f, t, x);
    }

private:
    SharedDialogs& inner_;
};

}  // namespace kx
