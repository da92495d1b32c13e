#include "core/backup.h"

#include "core/file_paths.h"

namespace kx {

bool CopyFolder(FileSystem& fs, std::u16string_view from, std::u16string_view to) {
    if (!fs.IsFolder(to) && !fs.MakeFolder(to)) return false;
    bool all = true;
    for (const std::u16string& name : fs.ListFiles(from))
        all = fs.Copy(JoinPath(from, name), JoinPath(to, name), true) && all;
    for (const std::u16string& name : fs.ListFolders(from))
        all = CopyFolder(fs, JoinPath(from, name), JoinPath(to, name)) && all;
    return all;
}

BackupOutcome MakeBackup(const BackupContext& ctx, std::u16string_view typedFolder, const LocalTime& now) {
    BackupOutcome out;
    out.chosenFolder = CleanFolderText(typedFolder);
    const std::u16string& folder = out.chosenFolder;
    auto refuse = [&](const char16_t* title, const char16_t* text) {
        ctx.prompt.ShowMessage(MessageIcon::Warning, title, text);
        out.refusedFolder = true;
        return out;
    };
    if (folder.empty()) return refuse(u"Directory required", u"Please specify a directory to backup the data to.");
    if (!ctx.fs.IsFolder(folder)) return refuse(u"Invalid directory", u"The specified folder does not exist.");
    if (StartsWithFolder(folder, ctx.folders.user))
        return refuse(u"Invalid directory",
                      u"You cannot backup to Kestrix's data directory. Please choose another folder.");

    out.backupFolder = JoinPath(folder, BackupFolderName(now));
    const std::u16string backupLocal = JoinPath(out.backupFolder, u"local");
    if (!ctx.fs.MakeFolder(out.backupFolder) || !ctx.fs.MakeFolder(backupLocal)) {
        ctx.prompt.ShowMessage(MessageIcon::Error, u"Folder Creation Failed",
                               u"Failed to create the backup folders. Please make sure you have right permissions "
                               u"for the directory you specified.");
        return out;
    }
    out.complete = CopyFolder(ctx.fs, ctx.folders.user, out.backupFolder);
    out.complete = CopyFolder(ctx.fs, ctx.folders.local, backupLocal) && out.complete;
    out.done = true;
    ctx.prompt.ShowMessage(MessageIcon::Information, u"Backup Successful", u"Created the backup successfully.");
    return out;
}

}  // namespace kx
