// Moving and copying selected shortcuts into another group, with the
// overwrite question for keywords the target group has already.
#pragma once

#include <string>
#include <vector>

#include "core/data_context.h"
#include "core/display_records.h"
#include "core/group_registry.h"
#include "core/shared_dialogs.h"

namespace kx {

inline constexpr int kCmdMoveToGroupBase = 7000;  // + enumeration index
inline constexpr int kCmdCopyToGroupBase = 8000;

enum class TransferMode : uint8_t { Move, Copy };

// One selected row of the list: its keyword, the shortcut it shows and
// whether that shortcut comes from the shared store.
struct TransferItem {
    std::u16string keyword;
    EntryRef entry;
    bool fromShared = false;
};

// The item for a row of the list: the winning shortcut under the keyword its
// own store holds it by, which for a shared shortcut overriding a local one
// may differ in case from the keyword the row shows.
TransferItem TransferItemFor(const DisplayRecord& row);

struct TransferTarget {
    size_t index;  // enumeration index: command base + index
    std::u16string name;
};

// Every group but the current one (compared exactly), in enumeration order.
std::vector<TransferTarget> TransferTargets(const GroupRegistry& groups);

struct TransferResult {
    bool loaded = false;     // the target group's file loaded
    bool cancelled = false;  // the user cancelled at a conflict
    bool saved = false;      // the target group's file was saved
    std::vector<std::u16string> written;  // keywords written to the target
};

// Writes the items into the group at `targetIndex` in list order, asking at
// each conflict unless an answer was given for all. Moving then removes the
// written shortcuts from their stores (shared ones only with the
// administrator's password). Nothing changes when the target's file does not
// load, when the user cancels, or when the target cannot be saved.
TransferResult TransferShortcuts(const DataContext& ctx, LoadedStores& stores, SharedDialogs& dialogs,
                                 TransferMode mode, size_t targetIndex, const std::vector<TransferItem>& items);

}  // namespace kx
