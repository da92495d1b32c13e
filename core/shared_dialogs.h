// The dialogs around shared shortcuts, as the data logic sees them: the
// private-or-shared choice, the administrator's password and the notices
// shown at a field of the shared-shortcuts options page.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace kx {

// Results of the private-or-shared prompt.
inline constexpr int kChoiceCancelled = 0;
inline constexpr int kChoicePrivate = 1;
inline constexpr int kChoiceShared = 2;
inline constexpr int kChoiceBoth = 3;

struct StoreChoiceRequest {
    std::u16string title;    // "Shared Shortcuts Selection" unless the action names its own
    std::u16string heading;
    std::u16string text;
    bool bothOffered = false;
    int preselected = kChoicePrivate;  // 1, 2 or 3
};

// Fields of the options page, and the password dialog's one field.
enum class SharedField : uint8_t { Path, OldPassword, NewPassword, ConfirmPassword, AdminPassword };

class SharedDialogs {
public:
    virtual ~SharedDialogs() = default;
    // The modal "Shared Shortcuts Selection" dialog: 1, 2 or 3, or 0 on Cancel.
    virtual int ChooseStore(const StoreChoiceRequest& request) = 0;
    // The modal "Enter Password" dialog. It stays open on a wrong entry
    // (see CheckEnteredPassword); true when a matching password was entered,
    // false when cancelled.
    virtual bool AskAdminPassword(std::u16string_view expected) = 0;
    // A notice at a field of the options page or the password dialog.
    virtual void ShowFieldNotice(SharedField field, std::u16string_view title, std::u16string_view text) = 0;
};

}  // namespace kx
