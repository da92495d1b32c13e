// The Groups menu and its commands: selecting, adding and deleting groups.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "core/data_context.h"
#include "core/group_registry.h"

namespace kx {

// Command numbers of the Groups menu.
inline constexpr int kCmdSelectDefaultGroup = 4000;
inline constexpr int kCmdSelectGroupBase = 4001;  // + enumeration index
inline constexpr int kCmdNewGroup = 4997;
inline constexpr int kCmdDeleteGroup = 4998;
inline constexpr size_t kMaxGroupNameChars = 50;  // the name field's limit

struct GroupsMenuItem {
    std::u16string text;  // empty: separator
    int command = 0;
    bool checked = false;
};

// The Groups submenu: one item per group in enumeration order (the current
// one checked, names compared ignoring case), a separator when there was a
// group, then "New Group..." and "Delete Group...".
std::vector<GroupsMenuItem> GroupsMenu(const GroupRegistry& groups);

// Selects the group of a Groups menu command (4000 or 4001 + index), makes it
// current and loads the stores. False when the command names no group.
bool SelectGroup(const DataContext& ctx, LoadedStores& stores, int command);

enum class GroupField { None, Name, Location };
struct AddGroupOutcome {
    bool added = false;
    // The field to focus when the dialog stays open after a refused entry.
    GroupField focus = GroupField::None;
};

// Checks the typed name and location in the order the dialog reports them,
// showing the first failed check's message. On success registers the group
// (a folder gets a copy of the Default group's file, an existing file is
// used as it is) and makes it current with its stores loaded.
AddGroupOutcome AddGroup(const DataContext& ctx, LoadedStores& stores, std::u16string_view typedName,
                         std::u16string_view location);

// The groups the Delete Group dialog offers: all but "Default" (and a subkey
// named "Crn").
std::vector<std::u16string> DeletableGroups(const GroupRegistry& groups);

// Asks for confirmation, then unregisters each group and deletes its file in
// the local folder. Returns the groups deleted (none when not confirmed).
std::vector<std::u16string> DeleteGroups(const DataContext& ctx, const std::vector<std::u16string>& names);

// After the Delete Group dialog closes: when the current group is gone, says
// so and selects "Default". Returns whether it reverted.
bool RevertIfCurrentGroupDeleted(const DataContext& ctx, LoadedStores& stores);

// Trims spaces at both ends.
std::u16string_view TrimSpaces(std::u16string_view s);
// Whether the name holds one of / \ : * ? " < > | or TAB.
bool HasInvalidGroupChar(std::u16string_view name);

}  // namespace kx
