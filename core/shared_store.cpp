#include "core/shared_store.h"

#include <algorithm>

#include "core/damaged_copy.h"
#include "core/file_paths.h"
#include "core/machine_folder_trust.h"
#include "core/save_with_notice.h"
#include "core/shared_trust.h"
#include "base/text.h"

namespace kx {

int LoadSharedFile(const DataContext& ctx, ShortcutStore& store, std::u16string_view path) {
    DatabaseIo io = ctx.io;
    io.maxFileBytes = kMaxSharedFileBytes;
    uint32_t count = 0;
    return ShortcutStore::Load(store, path, true, count, io);
}

void LoadSharedStore(const DataContext& ctx, LoadedStores& stores) {
    stores.sharedLoaded = false;
    if (!ctx.settings.ReadBool(settings::SharedEnabled)) return;
    const std::u16string path = ctx.settings.Read(settings::SharedPath);
    if (path.empty()) return;
    const int result = LoadSharedFile(ctx, *stores.shared, path);
    if (result == LoadOk) {
        stores.sharedLoaded = true;
        // Asked after the load: what was read is what only administrators
        // could have written, as neither the file nor its place in the
        // folder is open to anyone else.
        stores.shared->SetStartsPrograms(ctx.ownership && SharedFileMayStartPrograms(*ctx.ownership, path));
    } else if (result == LoadCorrupt) {
        // The shared store stays unloaded, so nothing saves it over the file;
        // the copy keeps the shortcuts should someone else's program do so.
        const std::u16string copy = KeepDamagedCopy(ctx.fs, ctx.io.files, path);
        const char16_t* corrupt = u"Shared shortcut file is corrupt.\nShared shortcuts will be disabled.";
        ctx.prompt.ShowMessage(MessageIcon::Error, u"Load Shortcuts", WithDamagedCopyNote(corrupt, u"\n", copy));
        ctx.settings.WriteBool(settings::SharedEnabled, false);
    } else if (result == LoadTooLarge) {
        // Not read at all, and the store stays unloaded: the file is kept as
        // it is for whoever made it so large to put right.
        ctx.prompt.ShowMessage(MessageIcon::Error, u"Load Shortcuts", kSharedFileTooLarge);
        ctx.settings.WriteBool(settings::SharedEnabled, false);
    } else {
        ctx.prompt.ShowMessage(MessageIcon::Warning, u"Load Shortcuts",
                               u"Shared shortcut file not found.\nShared shortcuts will be disabled.");
        ctx.settings.WriteBool(settings::SharedEnabled, false);
    }
}

namespace {

// A save writes its staged file within seconds of creating it and gives up
// moving it after its retry budget; a staged file that much older than the
// one a save has just made was left by a save that never finished (a crash,
// a lost connection). The times compared are both the share's own, so the
// clocks of the users' machines do not matter.
constexpr int64_t kLeftoverAgeSeconds = 60 * 60;

bool IsAsciiLetterOrDigit(char16_t c) {
    return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}

// The names a shared save stages under: "kx", one to eight letters or
// digits, ".tmp" (as the system makes them: GetTempFileName gives hex
// digits), and the "%s.TEMP" copy the writer keeps of one while it writes.
bool IsStagedName(std::u16string_view name) {
    if (name.size() > 5 && EqualsNoCaseAscii(name.substr(name.size() - 5), u".TEMP")) name.remove_suffix(5);
    if (name.size() < 7 || !EqualsNoCaseAscii(name.substr(0, 2), u"kx")) return false;
    if (!EqualsNoCaseAscii(name.substr(name.size() - 4), u".tmp")) return false;
    const std::u16string_view middle = name.substr(2, name.size() - 6);
    if (middle.empty() || middle.size() > 8) return false;
    for (char16_t c : middle)
        if (!IsAsciiLetterOrDigit(c)) return false;
    return true;
}

// Removes the staged files of earlier saves into this folder that never got
// moved. Files another save is writing now are younger than the limit.
void RemoveAbandonedStagedFiles(FileSystem& fs, std::u16string_view folder, std::u16string_view staged) {
    int64_t now = 0;
    if (!fs.LastWriteTime(staged, now)) return;
    const std::u16string_view own = FileNameOf(staged);
    for (const auto& name : fs.ListFiles(folder)) {
        if (name == own || !IsStagedName(name)) continue;
        const std::u16string path = JoinPath(folder, name);
        int64_t written = 0;
        if (fs.LastWriteTime(path, written) && now - written > kLeftoverAgeSeconds) fs.Remove(path);
    }
}

}  // namespace

bool SaveSharedFile(const ShortcutStore& store, std::u16string_view path, const DatabaseIo& io, FileSystem& fs,
                    uint32_t budgetMs) {
    const std::u16string target(path.empty() ? std::u16string_view(store.FilePath()) : path);
    if (target.empty()) return false;
    // The new file is written completely under a name of its own in the same
    // folder, so that the move below is a rename within one volume.
    const std::u16string folder(FolderOf(target));
    const std::u16string staged = fs.MakeUniqueFile(folder);
    if (staged.empty()) return false;
    RemoveAbandonedStagedFiles(fs, folder, staged);
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
    if (PathIsInside(target, ctx.folders.machine)) ShareWithUsers(ctx.security, target, UsersAccess::Modify);
    return true;
}

}  // namespace kx
