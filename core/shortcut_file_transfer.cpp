#include "core/shortcut_file_transfer.h"

#include "core/admin_password.h"
#include "core/file_paths.h"
#include "core/local_store.h"
#include "core/save_with_notice.h"
#include "core/shared_store.h"
#include "core/store_choice.h"

namespace kx {
namespace {

// The folder and file name the dialogs start with: the last ones used, or
// the documents folder.
std::u16string StartFolder(const DataContext& ctx, std::u16string_view documents) {
    std::u16string folder = ctx.settings.Read(settings::BackupFolder);
    return folder.empty() ? std::u16string(documents) : folder;
}

void RememberFile(const DataContext& ctx, std::u16string_view path) {
    ctx.settings.Write(settings::BackupFile, FileNameOf(path));
    ctx.settings.Write(settings::BackupFolder, FolderOf(path));
}

// The replace question; its answer and box state.
QuestionAnswer AskReplace(MessagePrompt& prompt, std::u16string_view keyword) {
    QuestionBox box;
    box.title = u"Replace Existing Shortcut";
    box.text = u"The shortcut \"" + std::u16string(keyword) +
               u"\" already exists.\r\nDo you want to replace the existing shortcut?";
    box.buttons = {u"Replace", u"No"};
    box.checkBox = u"Do this action for all remaining items";
    box.cancellable = true;
    return prompt.Ask(box);
}

}  // namespace

bool SaveShortcutFile(const DataContext& ctx, LoadedStores& stores, SharedDialogs& dialogs,
                      ShortcutFileDialogs& files, std::u16string_view documents) {
    const int choice = ChooseStore(StoreAction::SaveFile, stores.sharedLoaded, dialogs, ctx.settings);
    if (choice == kChoiceCancelled) return false;
    const std::u16string path =
        files.ChooseFileToSave(StartFolder(ctx, documents), ctx.settings.Read(settings::BackupFile));
    if (path.empty()) return false;
    RememberFile(ctx, path);
    const ShortcutStore& store = choice == kChoiceShared ? *stores.shared : *stores.local;
    return SaveWithNotice(store, path, ctx.io, ctx.SaveNotice());
}

LoadFileOutcome LoadShortcutFile(const DataContext& ctx, LoadedStores& stores, SharedDialogs& dialogs,
                                 ShortcutFileDialogs& files, std::u16string_view documents) {
    LoadFileOutcome out;
    const std::u16string path =
        files.ChooseFileToLoad(StartFolder(ctx, documents), ctx.settings.Read(settings::BackupFile));
    if (path.empty()) return out;
    StoreRef file = ShortcutStore::Create();
    uint32_t count = 0;
    switch (ShortcutStore::Load(*file, path, false, count, ctx.io)) {
    case LoadCorrupt:
        ctx.prompt.ShowMessage(MessageIcon::Error, u"Load Shortcuts", u"Shortcut file is corrupt");
        return out;
    case LoadFailed:
        ctx.prompt.ShowMessage(MessageIcon::Warning, u"Load Shortcuts", u"Shortcut file not found");
        return out;
    default: break;
    }
    RememberFile(ctx, path);
    const int choice = ChooseStore(StoreAction::LoadFile, stores.sharedLoaded, dialogs, ctx.settings);
    if (choice == kChoiceCancelled) return out;
    const bool intoShared = choice == kChoiceShared;

    // Merge into what the files hold now; a store that did not load is empty,
    // and saving it would wipe its file.
    LoadLocalStore(ctx, stores);
    if (intoShared ? !stores.sharedLoaded : !stores.localLoaded) return out;
    if (intoShared && (!MayChangeShared(*stores.shared, dialogs, ctx.prompt) || !stores.sharedLoaded)) return out;
    ShortcutStore& target = intoShared ? *stores.shared : *stores.local;

    int forAll = -1;  // the answer ticked for all remaining conflicts
    for (StoreIterator it = file->Begin(); !it.AtEnd(); it.Next()) {
        const std::u16string keyword = it.Keyword();
        if (target.Contains(keyword)) {
            int answer = forAll;
            if (answer < 0) {
                const QuestionAnswer a = AskReplace(ctx.prompt, keyword);
                if (a.button == QuestionAnswer::kCancelled) {
                    LoadLocalStore(ctx, stores);  // drops what went in so far
                    return LoadFileOutcome{};
                }
                answer = a.button;
                if (a.checked) forAll = answer;
            }
            if (answer != 0) continue;
            if (target.Insert(keyword, it.Entry())) ++out.replaced;
        } else if (target.Insert(keyword, it.Entry())) {
            ++out.added;
        }
    }
    out.saved = intoShared ? SaveSharedWithNotice(ctx, target)
                           : SaveWithNotice(target, stores.groupPath, ctx.io, ctx.SaveNotice());
    LoadLocalStore(ctx, stores);
    return out;
}

}  // namespace kx
