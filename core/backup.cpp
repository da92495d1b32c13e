#include "core/backup.h"

#include "base/unicode_case.h"
#include "core/file_paths.h"

namespace kx {

namespace {

bool CopyInto(FileSystem& fs, std::u16string_view from, std::u16string_view to, std::u16string_view destination,
              std::vector<std::u16string>* failed) {
    auto fail = [&](std::u16string path) {
        if (failed) failed->push_back(std::move(path));
        return false;
    };
    if (!fs.IsFolder(to) && !fs.MakeFolder(to)) return fail(std::u16string(from));
    bool all = true;
    for (const std::u16string& name : fs.ListFiles(from)) {
        const std::u16string source = JoinPath(from, name);
        if (!fs.Copy(source, JoinPath(to, name), true)) all = fail(source);
    }
    for (const std::u16string& name : fs.ListFolders(from)) {
        const std::u16string source = JoinPath(from, name);
        if (EqualsNoCase(source, destination)) continue;
        all = CopyInto(fs, source, JoinPath(to, name), destination, failed) && all;
    }
    return all;
}

}  // namespace

bool CopyFolder(FileSystem& fs, std::u16string_view from, std::u16string_view to, std::vector<std::u16string>* failed) {
    return CopyInto(fs, from, to, to, failed);
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
    out.complete = CopyFolder(ctx.fs, ctx.folders.user, out.backupFolder, &out.failed);
    out.complete = CopyFolder(ctx.fs, ctx.folders.local, backupLocal, &out.failed) && out.complete;
    out.done = true;
    if (out.complete) {
        ctx.prompt.ShowMessage(MessageIcon::Information, u"Backup Successful", u"Created the backup successfully.");
        return out;
    }
    std::u16string text = u"The backup in " + out.backupFolder + u" is incomplete. These files could not be copied:";
    for (const std::u16string& f : out.failed) text += u"\r\n" + f;
    ctx.prompt.ShowMessage(MessageIcon::Warning, u"Backup Incomplete", text);
    return out;
}

}  // namespace kx
