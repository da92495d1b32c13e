#include "core/shared_store.h"

#include <algorithm>

#include "core/file_paths.h"
#include "core/save_with_notice.h"

namespace kx {

void LoadSharedStore(const DataContext& ctx, LoadedStores& stores) {
    stores.sharedLoaded = false;
    if (!ctx.settings.ReadBool(settings::SharedEnabled)) return;
    const std::u16string path = ctx.settings.Read(settings::SharedPath);
    if (path.empty()) return;
    uint32_t count = 0;
    const int result = ShortcutStore::Load(*stores.shared, path, true, count, ctx.io);
    if (result == LoadOk) {
        stores.sharedLoaded = true;
    } else if (result == LoadCorrupt) {
        ctx.prompt.ShowMessage(MessageIcon::Error, u"Load Shortcuts",
                               u"Shared shortcut file is corrupt.\nShared shortcuts will be disabled.");
        ctx.settings.WriteBool(settings::SharedEnabled, false);
    } else {
        ctx.prompt.ShowMessage(MessageIcon::Warning, u"Load Shortcuts",
                               u"Shared shortcut file not found.\nShared shortcuts will be disabled.");
        ctx.settings.WriteBool(settings::SharedEnabled, false);
    }
}

bool SaveSharedFile(const ShortcutStore& store, std::u16string_view path, const DatabaseIo& io, FileSystem& fs,
                    uint32_t budgetMs) {
    const std::u16string target(path.empty() ? std::u16string_view(store.FilePath()) : path);
    if (target.empty()) return false;
    // The new file is written completely under a name of its own in the same
    // folder, so that the move below is a rename within one volume.
    const std::u16string staged = fs.MakeUniqueFile(FolderOf(target));
    if (staged.empty()) return false;
    if (!ShortcutStore::Save(store, staged, io)) {
        fs.Remove(staged);
        return false;
    }
    if (io.files.Exists(target)) io.files.SetNormalAttributes(target);
    // Readers hold the file only while they load it; wait for a gap.
    uint32_t waited = 0, wait = 1;
    for (;;) {
        const FileError e = fs.MoveReplacing(staged, target);
        if (e == FileError::None) return true;
        const bool busy = e == FileError::SharingViolation || e == FileError::AccessDenied;
        if (!busy || waited + wait > budgetMs) break;
        io.clock.SleepMs(wait);
        waited += wait;
        wait = std::min<uint32_t>(wait * 2, 16);
    }
    fs.Remove(staged);
    return false;
}

bool SaveSharedWithNotice(const DataContext& ctx, const ShortcutStore& store, std::u16string_view path) {
    const std::u16string target(path.empty() ? std::u16string_view(store.FilePath()) : path);
    if (!SaveSharedFile(store, target, ctx.io, ctx.fs)) {
        ctx.prompt.ShowError(u"File Save Error", u"Failed to save file!");
        return false;
    }
    if (PathIsInside(target, ctx.folders.machine)) ctx.security.GrantEveryoneFullAccess(target);
    return true;
}

}  // namespace kx
