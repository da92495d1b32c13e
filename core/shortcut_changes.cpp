#include "core/shortcut_changes.h"

#include "core/admin_password.h"
#include "core/local_store.h"
#include "core/save_with_notice.h"
#include "core/shared_store.h"

namespace kx {

bool StoreShortcut(const DataContext& ctx, LoadedStores& stores, SharedDialogs& dialogs, bool intoShared,
                   std::u16string_view keyword, const EntryRef& entry, std::u16string_view oldKeyword) {
    if (keyword.empty()) return false;
    if (oldKeyword.empty()) LoadLocalStore(ctx, stores);
    // A store that did not load is empty: saving it would wipe the file.
    if (intoShared ? !stores.sharedLoaded : !stores.localLoaded) return false;
    if (intoShared && !MayChangeShared(*stores.shared, dialogs, ctx.prompt)) return false;

    ShortcutStore& store = intoShared ? *stores.shared : *stores.local;
    if (!oldKeyword.empty() && oldKeyword != keyword) store.Remove(oldKeyword);
    store.Insert(keyword, entry);
    const bool saved = intoShared ? SaveSharedWithNotice(ctx, store)
                                  : SaveWithNotice(store, stores.groupPath, ctx.io, ctx.SaveNotice());
    LoadLocalStore(ctx, stores);
    return saved;
}

size_t RemoveShortcuts(const DataContext& ctx, LoadedStores& stores, SharedDialogs& dialogs,
                       const std::vector<std::u16string>& localKeywords,
                       const std::vector<std::u16string>& sharedKeywords) {
    size_t removed = 0;
    bool localChanged = false, sharedChanged = false;
    if (stores.localLoaded)
        for (const auto& k : localKeywords)
            if (stores.local->Remove(k)) ++removed, localChanged = true;
    if (!sharedKeywords.empty() && stores.sharedLoaded && MayDeleteFromShared(*stores.shared, dialogs, ctx.prompt)) {
        for (const auto& k : sharedKeywords)
            if (stores.shared->Remove(k)) ++removed, sharedChanged = true;
    }
    if (localChanged) SaveWithNotice(*stores.local, stores.groupPath, ctx.io, ctx.SaveNotice());
    if (sharedChanged) SaveSharedWithNotice(ctx, *stores.shared);
    LoadLocalStore(ctx, stores);
    return removed;
}

}  // namespace kx
