// New, Edit, Delete, and Move or Copy To Group on the main list.
#include "app/dialogs/shared_dialogs_win32.h"
#include "app/editors/open_editor.h"
#include "app/main/app_core.h"
#include "core/group_transfer.h"
#include "core/shortcut_changes.h"
#include "core/store_choice.h"
#include "base/text.h"

namespace kx {
namespace {

bool InLocal(const DisplayRecord& r) { return (r.origin & OriginLocal) || (r.origin & OriginOverriding); }
bool InShared(const DisplayRecord& r) { return (r.origin & OriginShared) || (r.origin & OriginOverriding); }

// The keyword under which `store` holds a row's shortcut: the row's own,
// or the one that differs from it only in case.
std::u16string KeyInStore(const ShortcutStore& store, const std::u16string& keyword) {
    if (store.Contains(keyword)) return keyword;
    for (StoreIterator it = store.Begin(); !it.AtEnd(); it.Next())
        if (EqualsNoCaseAscii(it.Keyword(), keyword)) return it.Keyword();
    return keyword;
}

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

void AppCore::NewShortcut(ShortcutKind kind) {
    if (!EditorAvailable(kind)) return;
    AppServices& s = *services_;
    const int choice = ChooseStore(StoreAction::NewShortcut, s.stores.sharedLoaded, s.dialogs, s.settings);
    if (choice == kChoiceCancelled) return;
    const bool intoShared = choice == kChoiceShared;
    EditorRequest request;
    request.isNew = true;
    request.shared = intoShared;
    request.store = intoShared ? s.stores.shared : s.stores.local;

    LoadRichEdit();
    HooksPausedForEditor paused(engine_, s.settings);
    const EditorOutcome outcome = RunEditor(window_, kind, request, EditorServices{s.ctx, s.dialogs});
    if (outcome.end != EditorEnd::Accepted) return;
    AlreadyAuthorised authorised(s.dialogs);
    SharedDialogs& dialogs = outcome.passwordChecked ? static_cast<SharedDialogs&>(authorised) : s.dialogs;
    StoreShortcut(s.ctx, s.stores, dialogs, intoShared, outcome.keyword,
                  ShortcutEntry::Make(outcome.kind, outcome.plain, outcome.rich));
    s.settings.WriteBool(settings::Thanks, true);
    RefillList();
}

void AppCore::EditSelected() {
    const std::vector<const DisplayRecord*> selected = list_.Selected();
    if (selected.size() != 1) return;
    const DisplayRecord record = *selected[0];
    AppServices& s = *services_;
    bool fromShared = InShared(record) && !InLocal(record);
    if (InShared(record) && InLocal(record)) {
        const int choice = ChooseStore(StoreAction::EditBoth, s.stores.sharedLoaded, s.dialogs, s.settings);
        if (choice == kChoiceCancelled) return;
        fromShared = choice == kChoiceShared;
    }
    const StoreRef store = fromShared ? s.stores.shared : s.stores.local;
    const std::u16string key = KeyInStore(*store, record.keyword);
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

    LoadRichEdit();
    HooksPausedForEditor paused(engine_, s.settings);
    const EditorOutcome outcome = RunEditor(window_, entry->kind, request, EditorServices{s.ctx, s.dialogs});
    if (outcome.end != EditorEnd::Accepted) return;
    AlreadyAuthorised authorised(s.dialogs);
    SharedDialogs& dialogs = outcome.passwordChecked ? static_cast<SharedDialogs&>(authorised) : s.dialogs;
    StoreShortcut(s.ctx, s.stores, dialogs, fromShared, outcome.keyword,
                  ShortcutEntry::Make(outcome.kind, outcome.plain, outcome.rich), key);
    RefillList();
}

void AppCore::DeleteSelected() {
    const std::vector<const DisplayRecord*> selected = list_.Selected();
    if (selected.empty()) return;
    AppServices& s = *services_;
    QuestionBox q;
    q.title = u"Confirm Delete";
    q.text = selected.size() == 1 ? u"Are you sure you want to delete the selected shortcut?"
                                  : u"Are you sure you want to delete all selected shortcuts?";
    q.buttons = {u"Delete"};
    q.cancellable = true;
    q.icon = MessageIcon::Question;
    if (s.prompt.Ask(q).button != 0) return;

    bool anyLocal = false, anyShared = false;
    for (const DisplayRecord* r : selected) {
        anyLocal = anyLocal || InLocal(*r);
        anyShared = anyShared || InShared(*r);
    }
    bool fromLocal = anyLocal, fromShared = anyShared;
    if (anyLocal && anyShared) {
        const int choice = ChooseStore(StoreAction::DeleteMixed, s.stores.sharedLoaded, s.dialogs, s.settings);
        if (choice == kChoiceCancelled) return;
        fromLocal = choice == kChoicePrivate || choice == kChoiceBoth;
        fromShared = choice == kChoiceShared || choice == kChoiceBoth;
    }
    std::vector<std::u16string> localKeys, sharedKeys;
    for (const DisplayRecord* r : selected) {
        if (fromLocal && InLocal(*r)) localKeys.push_back(KeyInStore(*s.stores.local, r->keyword));
        if (fromShared && InShared(*r)) sharedKeys.push_back(KeyInStore(*s.stores.shared, r->keyword));
    }
    RemoveShortcuts(s.ctx, s.stores, s.dialogs, localKeys, sharedKeys);
    RefillList();
}

void AppCore::TransferSelected(int id) {
    const TransferMode mode = id >= kCmdCopyToGroupBase ? TransferMode::Copy : TransferMode::Move;
    const size_t index = size_t(id - (mode == TransferMode::Copy ? kCmdCopyToGroupBase : kCmdMoveToGroupBase));
    std::vector<TransferItem> items;
    for (const DisplayRecord* r : list_.Selected())
        items.push_back({r->keyword, r->expansion, (r->origin & OriginShared) != 0});
    if (items.empty()) return;
    AppServices& s = *services_;
    TransferShortcuts(s.ctx, s.stores, s.dialogs, mode, index, items);
    RefillList();
}

}  // namespace kx
