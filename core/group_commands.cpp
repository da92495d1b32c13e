#include "core/group_commands.h"

#include "core/file_paths.h"
#include "core/local_store.h"
#include "base/text.h"
#include "base/unicode_case.h"

namespace kx {

std::vector<GroupsMenuItem> GroupsMenu(const GroupRegistry& groups) {
    std::vector<GroupsMenuItem> items;
    const std::u16string current = groups.CurrentName();
    const auto names = groups.Names();
    for (size_t i = 0; i < names.size(); ++i)
        items.push_back({names[i], kCmdSelectGroupBase + int(i), EqualsNoCase(names[i], current)});
    if (!names.empty()) items.push_back({});
    items.push_back({u"New Group...", kCmdNewGroup, false});
    items.push_back({u"Delete Group...", kCmdDeleteGroup, false});
    return items;
}

bool SelectGroup(const DataContext& ctx, LoadedStores& stores, int command) {
    GroupRegistry groups(ctx.settings);
    std::u16string name;
    if (command == kCmdSelectDefaultGroup) {
        for (const auto& n : groups.Names())
            if (n == kDefaultGroupName) name = n;
        if (name.empty()) return false;
    } else {
        if (command < kCmdSelectGroupBase) return false;
        auto n = groups.NameAt(size_t(command - kCmdSelectGroupBase));
        if (!n) return false;
        name = *n;
    }
    groups.SetCurrentName(name);
    LoadLocalStore(ctx, stores);
    return true;
}

std::u16string_view TrimSpaces(std::u16string_view s) {
    while (!s.empty() && s.front() == u' ') s.remove_prefix(1);
    while (!s.empty() && s.back() == u' ') s.remove_suffix(1);
    return s;
}

bool HasInvalidGroupChar(std::u16string_view name) {
    return name.find_first_of(u"/\\:*?\"<>|\t") != std::u16string_view::npos;
}

AddGroupOutcome AddGroup(const DataContext& ctx, LoadedStores& stores, std::u16string_view typedName,
                         std::u16string_view location) {
    GroupRegistry groups(ctx.settings);
    const std::u16string name(TrimSpaces(typedName));
    auto refuse = [&](GroupField field, const char16_t* title, const char16_t* text) {
        ctx.prompt.ShowMessage(MessageIcon::Warning, title, text);
        return AddGroupOutcome{false, field};
    };
    if (name.empty())
        return refuse(GroupField::Name, u"Name Required", u"Please enter the name for the shortcut group.");
    if (HasInvalidGroupChar(name))
        return refuse(GroupField::Name, u"Invalid Name", u"The name cannot contain invalid characters /\\:*?\"<>|");
    const bool isFolder = ctx.fs.IsFolder(location);
    if (!isFolder && !ctx.fs.IsFile(location))
        return refuse(GroupField::Location, u"Invalid Folder", u"Please enter a valid folder location.");
    if (groups.Exists(name))
        return refuse(GroupField::Name, u"Exists", u"This group name already exists. Please use another name.");

    groups.SetCurrentName(name);
    if (ctx.fs.IsFolder(location)) {
        // A new group starts with the Default group's shortcuts.
        const std::u16string file = GroupFileIn(location, name);
        std::u16string source = groups.LocationOf(kDefaultGroupName);
        if (source.empty()) source = ctx.folders.DefaultGroupFile();
        ctx.fs.Copy(source, file, true);
        groups.Register(name, file);
    } else if (ctx.fs.IsFile(location)) {
        groups.Register(name, location);
    } else {
        ctx.prompt.ShowMessage(MessageIcon::Warning, u"Missing File", u"File does not exist.");
    }
    LoadLocalStore(ctx, stores);
    return AddGroupOutcome{true, GroupField::None};
}

std::vector<std::u16string> DeletableGroups(const GroupRegistry& groups) {
    std::vector<std::u16string> out;
    for (auto& n : groups.Names())
        if (n != kDefaultGroupName && n != u"Crn") out.push_back(std::move(n));
    return out;
}

std::vector<std::u16string> DeleteGroups(const DataContext& ctx, const std::vector<std::u16string>& names) {
    std::vector<std::u16string> deleted;
    if (names.empty()) return deleted;
    QuestionBox q;
    q.title = u"Confirm Delete.";
    q.text = names.size() == 1
                 ? u"Are you sure you want to delete the selected group? All its shortcuts will be deleted with it."
                 : u"Are you sure you want to delete the selected groups? All their shortcuts will be deleted with them.";
    q.buttons = {u"Delete"};
    q.icon = MessageIcon::Warning;
    if (ctx.prompt.Ask(q).button != 0) return deleted;

    GroupRegistry groups(ctx.settings);
    for (const auto& name : names) {
        bool found = false;
        for (const auto& n : groups.Names()) found = found || n == name;
        if (!found) continue;
        // Only a file the program made in the local folder goes with the group.
        ctx.fs.Remove(GroupFileIn(ctx.folders.local, name));
        groups.Unregister(name);
        deleted.push_back(name);
    }
    return deleted;
}

bool RevertIfCurrentGroupDeleted(const DataContext& ctx, LoadedStores& stores) {
    GroupRegistry groups(ctx.settings);
    if (!groups.CurrentFilePath().empty()) return false;
    ctx.prompt.ShowMessage(MessageIcon::Warning, u"Default Group", u"Current group deleted. Reverting to default group.");
    SelectGroup(ctx, stores, kCmdSelectDefaultGroup);
    return true;
}

}  // namespace kx
