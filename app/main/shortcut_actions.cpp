#include "app/main/shortcut_actions.h"

#include "core/admin_password.h"
#include "core/store_choice.h"

namespace kx {
namespace {

// The password was asked for already: the store operations must not ask
// again, since their own question would come after the last loaded check.
class PasswordGiven final : public SharedDialogs {
public:
    explicit PasswordGiven(SharedDialogs& inner) : inner_(inner) {}
    int ChooseStore(const StoreChoiceRequest& r) override { return inner_.ChooseStore(r); }
    bool AskAdminPassword(std::u16string_view) override { return true; }
    void ShowFieldNotice(SharedField f, std::u16string_view t, std::u16string_view x) override {
        inner_.ShowFieldNotice(f, t, x);
    }

private:
    SharedDialogs& inner_;
};

// The keyword as each store holds it; empty for a store without the row's shortcut.
struct PickedRow {
    std::u16string localKeyword;
    std::u16string sharedKeyword;
};

}  // namespace

bool RowInLocal(const DisplayRecord& row) { return (row.origin & (OriginLocal | OriginOverriding)) != 0; }
bool RowInShared(const DisplayRecord& row) { return (row.origin & (OriginShared | OriginOverriding)) != 0; }

size_t DeleteRows(const std::vector<const DisplayRecord*>& selected, const DataContext& ctx, LoadedStores& stores,
                  SharedDialogs& dialogs) {
    if (selected.empty()) return 0;
    std::vector<PickedRow> rows;
    bool anyLocal = false, anyShared = false;
    for (const DisplayRecord* r : selected) {
        rows.push_back({r->localKeyword, r->sharedKeyword});
        anyLocal = anyLocal || !r->localKeyword.empty();
        anyShared = anyShared || !r->sharedKeyword.empty();
    }

    QuestionBox q;
    q.title = u"Confirm Delete";
    q.text = rows.size() == 1 ? u"Are you sure you want to delete the selected shortcut?"
                              : u"Are you sure you want to delete all selected shortcuts?";
    q.buttons = {u"Delete"};
    q.cancellable = true;
    q.icon = MessageIcon::Question;
    if (ctx.prompt.Ask(q).button != 0) return 0;

    bool fromLocal = anyLocal, fromShared = anyShared;
    if (anyLocal && anyShared) {
        const int choice = ChooseStore(StoreAction::DeleteMixed, stores.sharedLoaded, dialogs, ctx.settings);
        if (choice == kChoiceCancelled) return 0;
        fromLocal = choice == kChoicePrivate || choice == kChoiceBoth;
        fromShared = choice == kChoiceShared || choice == kChoiceBoth;
    }
    fromShared = fromShared && stores.sharedLoaded && MayDeleteFromShared(*stores.shared, dialogs, ctx.prompt);
    // The password dialog is the last question: a reload that failed while it
    // was open leaves nothing in the shared store to delete from.
    fromShared = fromShared && stores.sharedLoaded;

    std::vector<std::u16string> localKeys, sharedKeys;
    for (const PickedRow& r : rows) {
        if (fromLocal && !r.localKeyword.empty()) localKeys.push_back(r.localKeyword);
        if (fromShared && !r.sharedKeyword.empty()) sharedKeys.push_back(r.sharedKeyword);
    }
    PasswordGiven given(dialogs);
    return RemoveShortcuts(ctx, stores, given, localKeys, sharedKeys);
}

StoreResult SaveAcceptedShortcut(const DataContext& ctx, LoadedStores& stores, SharedDialogs& dialogs, bool intoShared,
                          bool passwordChecked, std::u16string_view keyword, const EntryRef& entry,
                          std::u16string_view oldKeyword) {
    if (intoShared) {
        if (!stores.sharedLoaded) return StoreResult::NotSaved;
        if (!passwordChecked && !MayChangeShared(*stores.shared, dialogs, ctx.prompt)) return StoreResult::NotSaved;
        // Saving a shared store whose reload failed during the question
        // would write this one shortcut over everyone's.
        if (!stores.sharedLoaded) return StoreResult::NotSaved;
    }
    PasswordGiven given(dialogs);
    return StoreShortcut(ctx, stores, given, intoShared, keyword, entry, oldKeyword);
}

std::vector<TransferItem> TransferItemsFor(const std::vector<const DisplayRecord*>& selected) {
    // Each row carries the shortcut of the store that wins it, under the
    // keyword that store holds it by.
    std::vector<TransferItem> items;
    for (const DisplayRecord* r : selected) items.push_back(TransferItemFor(*r));
    return items;
}

}  // namespace kx
