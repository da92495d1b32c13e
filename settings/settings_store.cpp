#include "settings/settings_store.h"

#include <climits>
#include <cstring>

#include "base/text.h"

namespace kx {
namespace {

constexpr char16_t kProductKey[] = u"Software\\Tarvik Software\\Kestrix\\";
// The read buffer: 260 UTF-16 units. Longer data reads as unreadable.
constexpr uint32_t kReadBufferBytes = 520;

}  // namespace

std::u16string SettingsStore::SectionPath(std::u16string_view section) {
    std::u16string p = kProductKey;
    p += section;
    if (p.size() > kMaxFieldChars) p.resize(kMaxFieldChars);
    return p;
}

std::u16string SettingsStore::ReadStringIn(Hive hive, std::u16string_view section, std::u16string_view name,
                                           std::u16string_view def) const {
    alignas(char16_t) uint8_t buf[kReadBufferBytes];
    uint32_t size = kReadBufferBytes, type = 0;
    if (reg_.QueryValue(hive, SectionPath(section), name, buf, &size, &type) != reg::kSuccess)
        return std::u16string(CutToField(def));
    size_t units = size / 2;
    std::u16string out(reinterpret_cast<const char16_t*>(buf), units);
    // The stored text carries its own terminator; stop at the first NUL.
    auto nul = out.find(u'\0');
    if (nul != std::u16string::npos) out.resize(nul);
    if (out.size() > kMaxFieldChars) out.resize(kMaxFieldChars);
    return out;
}

long SettingsStore::WriteStringIn(Hive hive, std::u16string_view section, std::u16string_view name,
                                  std::u16string_view text) {
    std::u16string data(text);
    // REG_SZ with its terminating zero: 2 * (length + 1) bytes.
    return reg_.SetValue(hive, SectionPath(section), name, reg::kTypeSz,
                         reinterpret_cast<const uint8_t*>(data.c_str()), uint32_t(2 * (data.size() + 1)));
}

void SettingsStore::DeleteValueIn(Hive hive, std::u16string_view section, std::u16string_view name) {
    std::u16string path = SectionPath(section);
    if (reg_.DeleteValue(hive, path, name) == reg::kFileNotFound && reg_.KeyExists(hive, path)) {
        std::u16string alt = u"_";
        alt += name;
        reg_.DeleteValue(hive, path, alt);
    }
}

std::u16string SettingsStore::ReadString(std::u16string_view section, std::u16string_view name,
                                         std::u16string_view def) const {
    return ReadStringIn(Hive::CurrentUser, section, name, def);
}
long SettingsStore::WriteString(std::u16string_view section, std::u16string_view name, std::u16string_view text) {
    return WriteStringIn(Hive::CurrentUser, section, name, text);
}
void SettingsStore::DeleteValue(std::u16string_view section, std::u16string_view name) {
    DeleteValueIn(Hive::CurrentUser, section, name);
}
std::u16string SettingsStore::ReadMachineString(std::u16string_view section, std::u16string_view name,
                                                std::u16string_view def) const {
    return ReadStringIn(Hive::LocalMachine, section, name, def);
}
long SettingsStore::WriteMachineString(std::u16string_view section, std::u16string_view name,
                                       std::u16string_view text) {
    return WriteStringIn(Hive::LocalMachine, section, name, text);
}
void SettingsStore::DeleteMachineValue(std::u16string_view section, std::u16string_view name) {
    DeleteValueIn(Hive::LocalMachine, section, name);
}

int32_t ParseLeadingInt(std::u16string_view t) {
    size_t i = 0;
    while (i < t.size() && (t[i] == u' ' || (t[i] >= u'\t' && t[i] <= u'\r'))) ++i;
    bool neg = false;
    if (i < t.size() && (t[i] == u'+' || t[i] == u'-')) neg = t[i++] == u'-';
    int64_t v = 0;
    for (; i < t.size() && t[i] >= u'0' && t[i] <= u'9'; ++i) {
        v = v * 10 + (t[i] - u'0');
        if (v > int64_t(INT32_MAX) + 1) v = int64_t(INT32_MAX) + 1;  // saturate, like strtol
    }
    if (neg) v = -v;
    if (v > INT32_MAX) v = INT32_MAX;
    if (v < INT32_MIN) v = INT32_MIN;
    return int32_t(v);
}

int32_t SettingsStore::ReadInt(std::u16string_view section, std::u16string_view name, int32_t def) const {
    std::u16string t = ReadString(section, name, u"");
    return t.empty() ? def : ParseLeadingInt(t);
}

void SettingsStore::WriteInt(std::u16string_view section, std::u16string_view name, int32_t value) {
    std::string s = std::to_string(value);
    WriteString(section, name, std::u16string(s.begin(), s.end()));
}

bool SettingsStore::ReadBool(std::u16string_view section, std::u16string_view name, bool def) const {
    std::u16string t = ReadString(section, name, u"");
    return t.empty() ? def : t[0] != u'0';
}

void SettingsStore::WriteBool(std::u16string_view section, std::u16string_view name, bool value) {
    WriteString(section, name, value ? u"1" : u"0");
}

std::u16string SettingsStore::Read(const SettingDef& d) const {
    return ReadString(d.sectionName(), d.valueName(), d.textDefault);
}
int32_t SettingsStore::ReadInt(const SettingDef& d) const { return ReadInt(d.sectionName(), d.valueName(), d.intDefault); }
bool SettingsStore::ReadBool(const SettingDef& d) const { return ReadBool(d.sectionName(), d.valueName(), d.intDefault != 0); }
void SettingsStore::WriteInt(const SettingDef& d, int32_t v) { WriteInt(d.sectionName(), d.valueName(), v); }
void SettingsStore::WriteBool(const SettingDef& d, bool v) { WriteBool(d.sectionName(), d.valueName(), v); }

}  // namespace kx
