#include "core/shared_options.h"

#include "core/machine_folder_trust.h"
#include "core/shared_store.h"

namespace kx {

SharedOptionsForm OpenSharedOptions(const DataContext& ctx) {
    SharedOptionsForm form;
    form.enabled = ctx.settings.ReadBool(settings::SharedEnabled);
    const std::u16string defaultPath = ctx.folders.DefaultSharedFile();
    ShareWithUsers(ctx.security, defaultPath, UsersAccess::Modify);
    form.path = ctx.settings.Read(settings::SharedPath);
    if (form.path.empty()) form.path = defaultPath;
    form.overrideLocal = ctx.settings.ReadBool(settings::SharedReplacesLocal);
    return form;
}

SharedOptionsEnabling SharedOptionsFieldsEnabled(const SharedOptionsForm& form, const SharedOptionsPage& page) {
    SharedOptionsEnabling e;
    e.path = e.browse = e.overrideBox = e.newPassword = e.confirmPassword = form.enabled;
    std::u16string password;
    page.store->GetAdminPassword(password);
    e.oldPassword = form.enabled && !password.empty();
    return e;
}

namespace {

bool LoadPageStore(const DataContext& ctx, SharedOptionsPage& page, std::u16string_view path) {
    const int result = LoadSharedFile(ctx, *page.store, path);
    if (result == LoadOk) return true;
    if (result == LoadTooLarge)
        ctx.prompt.ShowMessage(MessageIcon::Error, u"Load Shortcuts", kSharedFileTooLarge);
    else if (result == LoadCorrupt)
        ctx.prompt.ShowMessage(MessageIcon::Error, u"Load Shortcuts",
                               u"Shared shortcut file is corrupt.\nShared shortcuts will be disabled.");
    else
        ctx.prompt.ShowMessage(MessageIcon::Warning, u"Load Shortcuts",
                               u"Shared shortcut file not found.\nShared shortcuts will be disabled.");
    return false;
}

}  // namespace

bool ValidateSharedPath(const DataContext& ctx, SharedOptionsPage& page, std::u16string_view path) {
    if (!path.empty() && path == page.store->FilePath()) return true;
    return LoadPageStore(ctx, page, path);
}

bool ApplySharedOptions(const DataContext& ctx, SharedOptionsPage& page, SharedOptionsForm& form,
                        SharedDialogs& dialogs) {
    ctx.settings.WriteBool(settings::SharedEnabled, form.enabled);
    if (!form.enabled) return true;
    if (!ValidateSharedPath(ctx, page, form.path)) {
        // Shared shortcuts stay off until a file that loads is chosen.
        form.enabled = false;
        ctx.settings.WriteBool(settings::SharedEnabled, false);
        return false;
    }
    ctx.settings.WriteBool(settings::SharedReplacesLocal, form.overrideLocal);
    ctx.settings.Write(settings::SharedPath, form.path);

    if (!page.store->CarriesPassword()) return true;
    if (form.oldPassword.empty() && form.newPassword.empty()) return true;

    // Take the file as it is now, so that shortcuts other users saved since
    // the page opened are kept when the password is written.
    const std::u16string file = page.store->FilePath();
    if (!LoadPageStore(ctx, page, file)) return false;
    std::u16string current;
    page.store->GetAdminPassword(current);
    if (!current.empty() && form.oldPassword != current) {
        dialogs.ShowFieldNotice(SharedField::OldPassword, u"Incorrect Old Password",
                                u"Please enter the current Administrator's password.");
        form.oldPassword.clear();
        return false;
    }
    if (form.newPassword != form.confirmPassword) {
        dialogs.ShowFieldNotice(SharedField::ConfirmPassword, u"Passwords do not match",
                                u"Please re-enter the new password.");
        form.confirmPassword.clear();
        return false;
    }
    page.store->SetAdminPassword(form.newPassword);
    if (!SaveSharedFile(*page.store, file, ctx.io, ctx.fs)) {
        ctx.prompt.ShowError(u"File Save Error", u"Failed to save file!");
        return false;
    }
    ShareWithUsers(ctx.security, file, UsersAccess::Modify);
    return true;
}

}  // namespace kx
