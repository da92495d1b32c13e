// The program's persistent preferences: text values in the user's registry
// hive under "Software\Tarvik Software\Kestrix\<section>".
//
// Nothing is cached. Every read goes to the registry and every write is
// committed at once, so a change made on the Options pages is seen by the
// next reader, on any thread.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "settings/settings_table.h"
#include "platform/registry.h"

namespace kx {

struct SettingDef;

class SettingsStore {
public:
    explicit SettingsStore(Registry& registry) : reg_(registry) {}

    // At most 259 characters. The default when the key or value cannot be read
    // or the data exceeds the 520-byte read buffer; an existing empty value
    // reads as empty.
    std::u16string ReadString(std::u16string_view section, std::u16string_view name,
                              std::u16string_view def) const;
    long WriteString(std::u16string_view section, std::u16string_view name, std::u16string_view text);
    // Deletes the value, or "_<name>" when the value itself does not exist.
    void DeleteValue(std::u16string_view section, std::u16string_view name);
    int32_t ReadInt(std::u16string_view section, std::u16string_view name, int32_t def) const;
    void WriteInt(std::u16string_view section, std::u16string_view name, int32_t value);
    bool ReadBool(std::u16string_view section, std::u16string_view name, bool def) const;
    void WriteBool(std::u16string_view section, std::u16string_view name, bool value);

    // The same on HKEY_LOCAL_MACHINE, for installation tasks.
    std::u16string ReadMachineString(std::u16string_view section, std::u16string_view name,
                                     std::u16string_view def) const;
    long WriteMachineString(std::u16string_view section, std::u16string_view name, std::u16string_view text);
    void DeleteMachineValue(std::u16string_view section, std::u16string_view name);

    // Reads and writes through the table of settings, with its defaults.
    std::u16string Read(const SettingDef& def) const;
    int32_t ReadInt(const SettingDef& def) const;
    bool ReadBool(const SettingDef& def) const;
    void Write(const SettingDef& def, std::u16string_view text) { WriteString(def.sectionName(), def.valueName(), text); }
    void WriteInt(const SettingDef& def, int32_t v);
    void WriteBool(const SettingDef& def, bool v);

    Registry& registry() const { return reg_; }

    // "Software\Tarvik Software\Kestrix\<section>", cut to 259 characters.
    static std::u16string SectionPath(std::u16string_view section);

private:
    std::u16string ReadStringIn(Hive hive, std::u16string_view section, std::u16string_view name,
                                std::u16string_view def) const;
    long WriteStringIn(Hive hive, std::u16string_view section, std::u16string_view name, std::u16string_view text);
    void DeleteValueIn(Hive hive, std::u16string_view section, std::u16string_view name);

    Registry& reg_;
};

// Parses the stored text of a number: optional white space and sign, then the
// leading digits. Text without a leading number gives 0.
int32_t ParseLeadingInt(std::u16string_view text);

}  // namespace kx

