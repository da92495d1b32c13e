#include "core/group_registry.h"

#include "base/text.h"
#include "base/unicode_case.h"

namespace kx {

std::u16string GroupRegistry::SubkeySection(std::u16string_view name) {
    std::u16string s = settings::kGroupsSection;
    s += u'\\';
    s += name;
    return s;
}

std::vector<std::u16string> GroupRegistry::Names() const {
    return settings_.registry().SubKeys(Hive::CurrentUser, SettingsStore::SectionPath(settings::kGroupsSection));
}

std::optional<std::u16string> GroupRegistry::NameAt(size_t index) const {
    auto names = Names();
    if (index >= names.size()) return std::nullopt;
    return names[index];
}

std::u16string GroupRegistry::CurrentName() const { return settings_.Read(settings::CurrentGroup); }

void GroupRegistry::SetCurrentName(std::u16string_view name) { settings_.Write(settings::CurrentGroup, name); }

std::u16string GroupRegistry::LocationOf(std::u16string_view name) const {
    const std::u16string_view wanted = CutToField(name);
    for (const auto& n : Names()) {
        if (CutToField(n) != wanted) continue;
        return settings_.ReadString(SubkeySection(n), settings::kGroupLocationName, u"");
    }
    return {};
}

bool GroupRegistry::Exists(std::u16string_view name) const {
    for (const auto& n : Names())
        if (EqualsNoCase(n, name)) return true;
    return false;
}

void GroupRegistry::Register(std::u16string_view name, std::u16string_view loc) {
    settings_.WriteString(SubkeySection(name), settings::kGroupLocationName, loc);
}

bool GroupRegistry::Unregister(std::u16string_view name) {
    return settings_.registry().DeleteTree(Hive::CurrentUser, SettingsStore::SectionPath(SubkeySection(name))) ==
           reg::kSuccess;
}

std::vector<ShortcutGroup> GroupRegistry::Groups() const {
    std::vector<ShortcutGroup> out;
    for (auto& n : Names()) {
        std::u16string loc = settings_.ReadString(SubkeySection(n), settings::kGroupLocationName, u"");
        out.push_back({std::move(n), std::move(loc)});
    }
    return out;
}

}  // namespace kx
