#include "core/local_store.h"

#include "core/damaged_copy.h"
#include "core/file_paths.h"
#include "core/group_registry.h"
#include "core/machine_folder_trust.h"
#include "core/save_with_notice.h"
#include "core/shared_store.h"
#include "base/text.h"
#include "base/unicode_case.h"

namespace kx {

void RelocateDataAtStartup(const DataContext& ctx) {
    const DataFolders& f = ctx.folders;
    FileSystem& fs = ctx.fs;
    FileSecurity& security = ctx.security;

    EnsureFolder(fs, f.machine);
    EnsureFolder(fs, f.user);
    EnsureFolder(fs, f.local);
    const std::u16string machineLocal = f.MachineLocal();

    // Every user can write the machine-wide folder. Its folders are shared
    // for reading only, with entries that nothing inside inherits, and only
    // what passes the checks is shared or copied: a junction put there by
    // another user would otherwise spread the access to the place it leads
    // to, and a file of theirs would become this user's own.
    if (MachineFolderTrusted(security, f)) {
        ShareWithUsers(security, f.machine, UsersAccess::Read);
        for (const char16_t* name : {u"ShortcutSuggestions.txt", u"acdata.txt", u"demo.rtf"}) {
            const std::u16string from = JoinPath(f.machine, name);
            const std::u16string to = JoinPath(f.user, name);
            if (!fs.IsFile(to)) CopySeed(security, fs, from, to);
            ShareWithUsers(security, from, UsersAccess::Read);
        }
        const auto localFolder = OpenTrusted(security, machineLocal);
        if (localFolder && localFolder->Facts().folder) {
            localFolder->GiveUsers(UsersAccess::Read);
            for (const auto& name : fs.ListFiles(machineLocal)) {
                const std::u16string from = JoinPath(machineLocal, name);
                const std::u16string to = JoinPath(f.local, name);
                if (!fs.IsFile(to)) CopySeed(security, fs, from, to);
                ShareWithUsers(security, from, UsersAccess::Read);
            }
        }
        // The shared shortcuts are the one file every user may change.
        ShareWithUsers(security, f.DefaultSharedFile(), UsersAccess::Modify);
    }

    // Groups registered in the machine-wide "local" folder now use the copy
    // in the user's own local folder.
    GroupRegistry groups(ctx.settings);
    for (const auto& g : groups.Groups()) {
        if (g.loc.empty()) continue;
        if (!EqualsNoCase(FolderOf(g.loc), machineLocal)) continue;
        groups.Register(g.name, JoinPath(f.local, FileNameOf(g.loc)));
    }
}

std::u16string ChooseStartupGroup(const DataContext& ctx) {
    GroupRegistry groups(ctx.settings);
    std::u16string current = groups.CurrentName();
    if (current.empty()) {
        current = kDefaultGroupName;
        groups.SetCurrentName(current);
        groups.Register(current, ctx.folders.DefaultGroupFile());
    }
    return current;
}

void LoadLocalStore(const DataContext& ctx, LoadedStores& stores) {
    GroupRegistry groups(ctx.settings);
    stores.groupName = groups.CurrentName();
    stores.groupPath = groups.CurrentFilePath();
    ShortcutStore& local = *stores.local;
    const std::u16string& path = stores.groupPath;
    uint32_t count = 0;
    stores.localLoaded = true;

    if (path.empty()) {
        ctx.prompt.ShowMessage(MessageIcon::Error, u"Group Invalid",
                               u"Current group is invalid.  Please choose a new group.");
        ShortcutStore::Load(local, path, false, count, ctx.io);
    } else {
        const int result = ShortcutStore::Load(local, path, false, count, ctx.io);
        if (result == LoadCorrupt) {
            // The store is empty now, and the next change saves it over the file.
            const std::u16string copy = KeepDamagedCopy(ctx.fs, ctx.io.files, path);
            ctx.prompt.ShowMessage(MessageIcon::Error, u"Load Shortcuts",
                                   WithDamagedCopyNote(u"Shortcut file is corrupt", u"\r\n", copy));
        } else if (result == LoadFailed && ctx.io.files.Exists(path)) {
            stores.localLoaded = false;
            ctx.prompt.ShowMessage(MessageIcon::Warning, u"Load Shortcuts",
                                   u"Shortcut file was found but could not be loaded.");
        } else if (result == LoadFailed) {
            // A group's file is the user's own, wherever it lies: it is not shared.
            if (ShortcutStore::Save(local, path, ctx.io)) {
                ctx.prompt.ShowMessage(MessageIcon::Warning, u"Load Shortcuts",
                                       u"Shortcut file not found.\r\nA new file has been created.");
                ShortcutStore::Load(local, path, false, count, ctx.io);
            } else {
                ctx.prompt.ShowMessage(MessageIcon::Warning, u"Load Shortcuts",
                                       u"Shortcut file not found.\r\nAnd a new file cannot be created.");
            }
        }
    }
    LoadSharedStore(ctx, stores);
}

}  // namespace kx
