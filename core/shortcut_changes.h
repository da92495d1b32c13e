// Saving an edited or new shortcut into the local or the shared store, and
// removing shortcuts from them, with the administrator's password guarding
// the shared file. Each change is saved at once and both stores reloaded.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "core/data_context.h"
#include "core/shared_dialogs.h"

namespace kx {

enum class StoreResult : uint8_t {
    NotSaved,
    Saved,
    KeywordInUse,  // another shortcut of the store has the keyword; nothing changed
};

// Stores `entry` under `keyword` in the chosen store. For a new shortcut
// (`oldKeyword` empty) both stores are first loaded again from their files;
// an edit whose keyword changed removes the old keyword in the same step.
// The keyword must be unused by any other shortcut of the store (ignoring
// letter case; exactly for macros), checked under the store's lock together
// with the insert. A shared store with a password asks for it; without it
// nothing is saved, nor when the shared store is no longer loaded after it.
StoreResult StoreShortcut(const DataContext& ctx, LoadedStores& stores, SharedDialogs& dialogs, bool intoShared,
                   std::u16string_view keyword, const EntryRef& entry, std::u16string_view oldKeyword = {});

// Removes keywords from the local and the shared store. Deleting from a
// password-protected shared store asks for the password; without it only the
// local keywords go, as they do when the shared store is no longer loaded
// after the question. Returns the number of shortcuts removed.
size_t RemoveShortcuts(const DataContext& ctx, LoadedStores& stores, SharedDialogs& dialogs,
                       const std::vector<std::u16string>& localKeywords,
                       const std::vector<std::u16string>& sharedKeywords);

}  // namespace kx
