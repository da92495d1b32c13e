// What the main list's Delete, New, Edit and Move or Copy To Group do with
// the selected rows and the two stores, apart from the windows. Every
// question the user is asked runs a modal loop in which the main window's
// timers keep firing: the shared file's reload may refill the list (freeing
// its rows) or fail (leaving the shared store empty). So the rows are read
// before the first question, each store's own keyword is taken from them,
// and the shared store is saved only while it is still loaded.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "core/data_context.h"
#include "core/display_records.h"
#include "core/group_transfer.h"
#include "core/shared_dialogs.h"
#include "core/shortcut_changes.h"

namespace kx {

// Whether a row's shortcut exists in the private or in the shared store.
bool RowInLocal(const DisplayRecord& row);
bool RowInShared(const DisplayRecord& row);

// Delete: "Confirm Delete", then for a selection of private and shared
// shortcuts which ones, then the administrator's password for shared ones;
// removes the keywords and saves the stores. Returns the number removed.
size_t DeleteRows(const std::vector<const DisplayRecord*>& selected, const DataContext& ctx, LoadedStores& stores,
                  SharedDialogs& dialogs);

// Stores the shortcut an editor accepted (New when `oldKeyword` is empty).
// `passwordChecked`: the editor asked for the shared store's password
// already. KeywordInUse when another shortcut of the store took the keyword
// since the editor's check: nothing changed, and the editor stays open.
StoreResult SaveAcceptedShortcut(const DataContext& ctx, LoadedStores& stores, SharedDialogs& dialogs, bool intoShared,
                          bool passwordChecked, std::u16string_view keyword, const EntryRef& entry,
                          std::u16string_view oldKeyword = {});

// The shortcuts a Move or Copy To Group takes from the selected rows: the
// shortcut each row shows, under the keyword its own store holds it by.
std::vector<TransferItem> TransferItemsFor(const std::vector<const DisplayRecord*>& selected);

}  // namespace kx
