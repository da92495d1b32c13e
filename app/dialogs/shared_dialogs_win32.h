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

}  // namespace kx
