// New, Edit, Delete, and Move or Copy To Group on the main list.
#include "app/dialogs/shared_dialogs_win32.h"
#include "app/editors/open_editor.h"
#include "app/main/app_core.h"
#include "app/main/shortcut_actions.h"
#include "core/store_choice.h"

namespace kx {
namespace {

// Pauses the hooks while an editor is open, and restores the state they
// had before.
class HooksPausedForEditor {
public:
    HooksPausedForEditor(EngineHost& engine, const SettingsStore& settings)
        : engine_(engine), wasOn_(settings.ReadBool(settings::ExpansionOn)) {
        engine_.SetHooksEnabled(false);
    }
    ~HooksPausedForEditor() { engine_.SetHooksEnabled(wasOn_); }

private:
    EngineHost& engine_;
    bool wasOn_;
};

}  // namespace

bool AppCore::NewShortcut(ShortcutKind kind, std::u16string_view expansion) {
    if (!EditorAvailable(kind)) return false;
    AppServices& s = *services_;
    const int choice = ChooseStore(StoreAction::NewShortcut, s.stores.sharedLoaded, s.dialogs, s.settings);
    if (choice == kChoiceCancelled) return false;
    const bool intoShared = choice == kChoiceShared;
    EditorRequest request;
    request.isNew = true;
    request.shared = intoShared;
    request.store = intoShared ? s.stores.shared : s.stores.local;
    request.plain = std::u16string(expansion);

    request.save = [&s, intoShared](const EditorOutcome& o) {
        return SaveAcceptedShortcut(s.ctx, s.stores, s.dialogs, intoShared, o.passwordChecked, o.keyword,
                                    ShortcutEntry::Make(o.kind, o.plain, o.rich));
    };

    LoadRichEdit();
    HooksPausedForEditor paused(engine_, s.settings);
    const EditorOutcome outcome = RunEditor(window_, kind, request, EditorServices{s.ctx, s.dialogs});
    if (outcome.end != EditorEnd::Accepted) return false;
    if (!expansion.empty()) OnShortcutCreated(expansion, outcome.keyword, outcome.plain);
    s.settings.WriteBool(settings::Thanks, true);
    RefillList();
    return true;
}

void AppCore::EditSelected() {
    const std::vector<const DisplayRecord*> selected = list_.Selected();
    if (selected.size() != 1) return;
    const DisplayRecord record = *selected[0];
    AppServices& s = *services_;
    bool fromShared = RowInShared(record) && !RowInLocal(record);
    if (RowInShared(record) && RowInLocal(record)) {
        const int choice = ChooseStore(StoreAction::EditBoth, s.stores.sharedLoaded, s.dialogs, s.settings);
        if (choice == kChoiceCancelled) return;
        fromShared = choice == kChoiceShared;
    }
    const StoreRef store = fromShared ? s.stores.shared : s.stores.local;
    // The store's own letters: a store may hold keywords that differ only in case.
    const std::u16string key = fromShared ? record.sharedKeyword : record.localKeyword;
    EntryRef entry;
    if (!store->Find(key, entry) || !EditorAvailable(entry->kind)) return;

    EditorRequest request;
    request.isNew = false;
    request.shared = fromShared;
    request.store = store;
    request.oldKeyword = key;
    request.keyword = key;
    request.plain = entry->plainText;
    request.rich = entry->richText;
    request.save = [&s, fromShared, key](const EditorOutcome& o) {
        return SaveAcceptedShortcut(s.ctx, s.stores, s.dialogs, fromShared, o.passwordChecked, o.keyword,
                                    ShortcutEntry::Make(o.kind, o.plain, o.rich), key);
    };

    LoadRichEdit();
    HooksPausedForEditor paused(engine_, s.settings);
    const EditorOutcome outcome = RunEditor(window_, entry->kind, request, EditorServices{s.ctx, s.dialogs});
    if (outcome.end != EditorEnd::Accepted) return;
    RefillList();
}

void AppCore::DeleteSelected() {
    AppServices& s = *services_;
    DeleteRows(list_.Selected(), s.ctx, s.stores, s.dialogs);
    RefillList();
}

void AppCore::TransferSelected(int id) {
    const TransferMode mode = id >= kCmdCopyToGroupBase ? TransferMode::Copy : TransferMode::Move;
    const size_t index = size_t(id - (mode == TransferMode::Copy ? kCmdCopyToGroupBase : kCmdMoveToGroupBase));
    AppServices& s = *services_;
    const std::vector<TransferItem> items = TransferItemsFor(list_.Selected());
    if (items.empty()) return;
    TransferShortcuts(s.ctx, s.stores, s.dialogs, mode, index, items);
    RefillList();
}

}  // namespace kx
