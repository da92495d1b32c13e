#include "core/shortcut_changes.h"

#include "core/admin_password.h"
#include "core/local_store.h"
#include "core/save_with_notice.h"
#include "core/shared_store.h"

namespace kx {

StoreResult StoreShortcut(const DataContext& ctx, LoadedStores& stores, SharedDialogs& dialogs, bool intoShared,
                          std::u16string_view keyword, const EntryRef& entry, std::u16string_view oldKeyword) {
    if (keyword.empty() || !entry) return StoreResult::NotSaved;
    if (oldKeyword.empty()) LoadLocalStore(ctx, stores);
    // A store that did not load is empty: saving it would wipe the file.
    if (intoShared ? !stores.sharedLoaded : !stores.localLoaded) return StoreResult::NotSaved;
    if (intoShared) {
        if (!MayChangeShared(*stores.shared, dialogs, ctx.prompt)) return StoreResult::NotSaved;
        // The password dialog's message loop runs the shared file's reload,
        // which may have failed and left the store empty meanwhile.
        if (!stores.sharedLoaded) return StoreResult::NotSaved;
    }

    ShortcutStore& store = intoShared ? *stores.shared : *stores.local;
    switch (store.InsertUnique(keyword, entry, oldKeyword, entry->kind != ShortcutKind::Macro)) {
        case ShortcutStore::InsertResult::Inserted: break;
        case ShortcutStore::InsertResult::KeywordInUse: return StoreResult::KeywordInUse;
        case ShortcutStore::InsertResult::Failed: return StoreResult::NotSaved;
    }
    const bool saved = intoShared ? SaveSharedWithNotice(ctx, store)
                                  : SaveWithNotice(store, stores.groupPath, ctx.io, ctx.SaveNotice());
    LoadLocalStore(ctx, stores);
    return saved ? StoreResult::Saved : StoreResult::NotSaved;
}

size_t RemoveShortcuts(const DataContext& ctx, LoadedStores& stores, SharedDialogs& dialogs,
                       const std::vector<std::u16string>& localKeywords,
                       const std::vector<std::u16string>& sharedKeywords) {
    size_t removed = 0;
    bool localChanged = false, sharedChanged = false;
    if (stores.localLoaded)
        for (const auto& k : localKeywords)
            if (stores.local->Remove(k)) ++removed, localChanged = true;
    // The password question runs the shared file's reload: only a store still
    // loaded after it is changed and saved.
    if (!sharedKeywords.empty() && stores.sharedLoaded && MayDeleteFromShared(*stores.shared, dialogs, ctx.prompt) &&
        stores.sharedLoaded) {
        for (const auto& k : sharedKeywords)
            if (stores.shared->Remove(k)) ++removed, sharedChanged = true;
    }
    if (localChanged) SaveWithNotice(*stores.local, stores.groupPath, ctx.io, ctx.SaveNotice());
    if (sharedChanged && stores.sharedLoaded) SaveSharedWithNotice(ctx, *stores.shared);
    LoadLocalStore(ctx, stores);
    return removed;
}

}  // namespace kx
