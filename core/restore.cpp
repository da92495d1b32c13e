#include "core/restore.h"

#include <algorithm>

#include "base/unicode_case.h"
#include "core/file_paths.h"
#include "core/group_commands.h"
#include "core/group_registry.h"

namespace kx {
namespace {

// One restore run: the rule for existing targets and the folder that keeps
// what they held.
class Restorer {
public:
    Restorer(const BackupContext& ctx, ConflictChoice choice, const LocalTime& now)
        : ctx_(ctx), choice_(choice), keepName_(BeforeRestoreFolderName(now)) {}

    // Copies `source` over `target` by the conflict rule; `question` is asked
    // under "Prompt before overwriting" with the buttons "Overwrite" and
    // `declineLabel`. Returns whether the target was written, and in
    // `conflict` whether it held data before.
    bool Restore(const std::u16string& source, const std::u16string& target, bool groupFile,
                 std::u16string_view question, std::u16string_view declineLabel, bool& conflict,
                 RestoreOutcome& out) {
        uint64_t size = 0;
        conflict = ctx_.fs.FileSize(target, size) && size > 0;
        if (conflict && !MayOverwrite(question, declineLabel)) {
            out.skipped.push_back(target);
            return false;
        }
        if (conflict && !Keep(target, groupFile, out)) {
            out.notKept.push_back(target);
            return false;
        }
        if (!ctx_.fs.Copy(source, target, true)) return false;  // skipped silently
        out.copied.push_back(target);
        return true;
    }

private:
    bool MayOverwrite(std::u16string_view question, std::u16string_view declineLabel) {
        switch (choice_) {
        case ConflictChoice::Overwrite: return true;
        case ConflictChoice::Skip:
        case ConflictChoice::None: return false;
        case ConflictChoice::Prompt: break;
        }
        QuestionBox box;
        box.title = u"Confirm Overwrite";
        box.text = question;
        box.buttons = {u"Overwrite", std::u16string(declineLabel)};
        box.cancellable = false;
        return ctx_.prompt.Ask(box).button == 0;
    }

    // Copies the file about to be replaced into the before-restore folder,
    // made on first use in the user's documents folder, or in the data
    // folder when that cannot be written. Never beside the backup: restoring
    // from a share would copy the user's shortcuts and learned phrases there.
    bool Keep(const std::u16string& target, bool groupFile, RestoreOutcome& out) {
        if (keptIn_.empty()) {
            for (std::u16string_view base : {std::u16string_view(ctx_.documents), std::u16string_view(ctx_.folders.user)}) {
                if (base.empty()) continue;
                const std::u16string folder = JoinPath(base, keepName_);
                if (EnsureFolder(ctx_.fs, JoinPath(folder, u"local"))) {
                    keptIn_ = folder;
                    break;
                }
            }
            if (keptIn_.empty()) return false;
            out.keptIn = keptIn_;
        }
        const std::u16string folder = groupFile ? JoinPath(keptIn_, u"local") : keptIn_;
        return ctx_.fs.Copy(target, JoinPath(folder, FileNameOf(target)), true);
    }

    const BackupContext& ctx_;
    ConflictChoice choice_;
    std::u16string keepName_;
    std::u16string keptIn_;
};

// The file of a registered group of this name, its case ignored; empty when
// there is none.
std::u16string RegisteredFile(const GroupRegistry& groups, std::u16string_view name) {
    for (const ShortcutGroup& g : groups.Groups())
        if (EqualsNoCase(g.name, name)) return g.loc;
    return {};
}

std::u16string ResultText(const RestoreOutcome& out) {
    std::u16string text = u"Restored the backup successfully.";
    if (!out.notGroups.empty()) {
        text += u"\r\nThese files of the backup are no shortcut groups and were not restored:";
        for (const auto& f : out.notGroups) text += u"\r\n" + f;
    }
    if (!out.keptIn.empty()) text += u"\r\nThe files it replaced were kept in " + out.keptIn + u".";
    if (!out.notKept.empty()) {
        text += u"\r\nThese files were left as they were, because a copy of them could not be kept:";
        for (const auto& f : out.notKept) text += u"\r\n" + f;
    }
    return text;
}

}  // namespace

RestoreOutcome RestoreBackup(const BackupContext& ctx, std::u16string_view typedFolder, ConflictChoice choice,
                             const LocalTime& now) {
    RestoreOutcome out;
    const std::u16string folder = CleanFolderText(typedFolder);
    auto refuse = [&](const char16_t* title, const char16_t* text) {
        ctx.prompt.ShowMessage(MessageIcon::Warning, title, text);
        out.refusedFolder = true;
        return out;
    };
    if (folder.empty()) return refuse(u"Folder required", u"Please specify a Kestrix backup folder to restore from.");
    if (!ctx.fs.IsFolder(folder)) return refuse(u"Invalid folder", u"The specified folder does not exist.");
    if (StartsWithFolder(folder, ctx.folders.user))
        return refuse(u"Invalid directory",
                      u"You cannot restore from Kestrix's data directory. Please choose another folder.");
    if (choice == ConflictChoice::None) {
        ctx.prompt.ShowMessage(MessageIcon::Error, u"Group Conflicts",
                               u"Please check one of the radio buttons for conflicting shortcut groups.");
        return out;
    }

    Restorer restorer(ctx, choice, now);
    bool conflict = false;
    const std::u16string shared = JoinPath(folder, u"shared_abbrev.dat");
    if (ctx.fs.IsFile(shared))
        restorer.Restore(shared, JoinPath(ctx.folders.user, u"shared_abbrev.dat"), false,
                         u"Do you want to overwrite existing shared shortcut data?", u"Skip", conflict, out);
    const std::u16string acdata = JoinPath(folder, u"acdata.txt");
    if (ctx.fs.IsFile(acdata))
        out.autoCompleteReplaced =
            restorer.Restore(acdata, JoinPath(ctx.folders.user, u"acdata.txt"), false,
                             u"Do you want to overwrite the existing Auto-Complete data?", u"Skip", conflict, out);

    const std::u16string local = JoinPath(folder, u"local");
    std::vector<std::u16string> files = ctx.fs.ListFiles(local);
    std::sort(files.begin(), files.end());
    if (!files.empty()) EnsureFolder(ctx.fs, ctx.folders.local);
    GroupRegistry groups(ctx.settings);
    for (const std::u16string& name : files) {
        if (!IsGroupFileName(name)) {
            out.notGroups.push_back(name);
            continue;
        }
        const std::u16string group = GroupNameOfFile(name);
        const std::u16string question = group.empty() ? std::u16string(u"Do you want to overwrite the default group?")
                                                      : u"Group \"" + group + u"\" already exists. Do you want to overwrite it?";
        // A group that exists keeps its file, wherever it lies: the backup's
        // copy goes there by the conflict rule, and the registration stays.
        const std::u16string registeredFile = group.empty() ? std::u16string() : RegisteredFile(groups, group);
        const std::u16string target = registeredFile.empty() ? JoinPath(ctx.folders.local, name) : registeredFile;
        if (restorer.Restore(JoinPath(local, name), target, true, question, u"No", conflict, out) && !conflict &&
            !group.empty() && registeredFile.empty()) {
            groups.Register(group, target);
            out.registered.push_back(group);
        }
    }

    out.done = true;
    if (out.copied.empty() && out.skipped.empty() && out.notKept.empty() && out.notGroups.empty())
        ctx.prompt.ShowMessage(MessageIcon::Warning, u"Restore Data",
                               u"The folder holds no Kestrix backup data. Nothing was restored.");
    else
        ctx.prompt.ShowMessage(out.notKept.empty() ? MessageIcon::Information : MessageIcon::Warning,
                               u"Restore Successful", ResultText(out));
    return out;
}

void FinishRestore(const DataContext& ctx, LoadedStores& stores, const RestoreOutcome& outcome,
                   const RestoreFollowUp& followUp) {
    if (!outcome.done) return;
    if (followUp.checkPictures) followUp.checkPictures();
    SelectGroup(ctx, stores, kCmdSelectGroupBase);
    if (outcome.autoCompleteReplaced && followUp.reloadPhrases)
        followUp.reloadPhrases(JoinPath(ctx.folders.user, u"acdata.txt"));
}

}  // namespace kx
