// The registration of shortcut groups under "KXGrps": one subkey per group,
// named by the group, holding "loc" (the group's database file), and the
// value "Crn" naming the current group.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "settings/settings_store.h"

namespace kx {

inline constexpr char16_t kDefaultGroupName[] = u"Default";

struct ShortcutGroup {
    std::u16string name;
    std::u16string loc;  // empty when the subkey has no "loc"
};

class GroupRegistry {
public:
    explicit GroupRegistry(SettingsStore& settings) : settings_(settings) {}

    // Every group subkey in the registry's enumeration order; menu positions
    // and command numbers are indexes into this.
    std::vector<std::u16string> Names() const;
    std::optional<std::u16string> NameAt(size_t index) const;

    std::u16string CurrentName() const;  // "Crn"; empty when none was chosen
    void SetCurrentName(std::u16string_view name);

    // "loc" of the first subkey whose name equals `name` exactly; empty when
    // there is no such subkey or it has no "loc".
    std::u16string LocationOf(std::u16string_view name) const;
    // The current group's file: LocationOf("Crn").
    std::u16string CurrentFilePath() const { return LocationOf(CurrentName()); }

    // Whether a group of this name exists, ignoring case.
    bool Exists(std::u16string_view name) const;
    // Creates the subkey (if needed) and writes its "loc".
    void Register(std::u16string_view name, std::u16string_view loc);
    // Deletes the subkey of exactly this name with everything below it.
    bool Unregister(std::u16string_view name);

    std::vector<ShortcutGroup> Groups() const;

private:
    static std::u16string SubkeySection(std::u16string_view name);
    SettingsStore& settings_;
};

}  // namespace kx
