// The logic of the shared-shortcuts options page: what it shows on opening,
// which fields are enabled, validating the file, and applying the settings
// and a new administrator's password.
#pragma once

#include <string>

#include "core/data_context.h"
#include "core/shared_dialogs.h"

namespace kx {

struct SharedOptionsForm {
    bool enabled = false;        // "Enable shared shortcuts"
    std::u16string path;         // "Shared File:"
    bool overrideLocal = false;  // "Shared shortcuts override personal shortcuts"
    std::u16string oldPassword, newPassword, confirmPassword;
};

struct SharedOptionsEnabling {
    bool path = false, browse = false, overrideBox = false;
    bool oldPassword = false, newPassword = false, confirmPassword = false;
};

// The page keeps a store of its own, loaded from the file being validated so
// that its password is known.
struct SharedOptionsPage {
    StoreRef store = ShortcutStore::Create();
};

// The form as the page opens: the settings, with the default shared file in
// the machine-wide data folder (left for every user to change) when no path is set.
SharedOptionsForm OpenSharedOptions(const DataContext& ctx);

SharedOptionsEnabling SharedOptionsFieldsEnabled(const SharedOptionsForm& form, const SharedOptionsPage& page);

// Valid when it is the file already in the page's store or loads as a shared
// file; a file that does not load is reported.
bool ValidateSharedPath(const DataContext& ctx, SharedOptionsPage& page, std::u16string_view path);

// Applies the page. On failure the form is changed as the page shows it (the
// box unticked, or a password field cleared) and false is returned.
bool ApplySharedOptions(const DataContext& ctx, SharedOptionsPage& page, SharedOptionsForm& form,
                        SharedDialogs& dialogs);

}  // namespace kx
