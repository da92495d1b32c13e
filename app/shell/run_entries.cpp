#include "app/shell/run_entries.h"

#include <vector>

#include "base/text.h"

namespace kx {

std::u16string RunEntries::CommandText() const { return u"\"" + path_ + u"\" -logon"; }

std::u16string RunEntries::Read(Hive hive) const {
    std::vector<uint8_t> buffer(2048);
    uint32_t size = uint32_t(buffer.size()), type = 0;
    if (reg_.QueryValue(hive, kRunKey, kRunValue, buffer.data(), &size, &type) != reg::kSuccess) return {};
    std::u16string text;
    for (uint32_t i = 0; i + 1 < size; i += 2) {
        const char16_t c = char16_t(buffer[i] | (buffer[i + 1] << 8));
        if (c == 0) break;
        text.push_back(c);
    }
    return text;
}

void RunEntries::Write(Hive hive) {
    std::u16string text = CommandText();
    std::vector<uint8_t> bytes;
    for (char16_t c : text) {
        bytes.push_back(uint8_t(c));
        bytes.push_back(uint8_t(c >> 8));
    }
    bytes.push_back(0);
    bytes.push_back(0);
    reg_.SetValue(hive, kRunKey, kRunValue, reg::kTypeSz, bytes.data(), uint32_t(bytes.size()));
}

void RunEntries::WriteMachineValue() { Write(Hive::LocalMachine); }

void RunEntries::DeleteMachineValue() { reg_.DeleteValue(Hive::LocalMachine, kRunKey, kRunValue); }

bool RunEntries::AddForAllUsers(Elevation* elevation) {
    bool elevatedStartFailed = false;
    if (elevation && elevation->Needed()) {
        if (elevation->RunElevated(u"-setautorun X1")) return true;
        elevatedStartFailed = true;
    }
    Write(Hive::LocalMachine);
    if (!EqualsNoCaseAscii(Read(Hive::LocalMachine), CommandText())) Write(Hive::CurrentUser);
    return !elevatedStartFailed;
}

bool RunEntries::Remove(Elevation* elevation) {
    if (elevation && elevation->Needed() && elevation->RunElevated(u"-setautorun X0")) return true;
    if (UserValueExists()) return reg_.DeleteValue(Hive::CurrentUser, kRunKey, kRunValue) == reg::kSuccess;
    return reg_.DeleteValue(Hive::LocalMachine, kRunKey, kRunValue) == reg::kSuccess;
}

bool RunEntries::RemoveForAllUsers(Elevation* elevation) {
    if (!MachineValueExists()) return true;
    if (!(elevation && elevation->Needed() && elevation->RunElevated(u"-setautorun X0")))
        reg_.DeleteValue(Hive::LocalMachine, kRunKey, kRunValue);
    return !MachineValueExists();
}

void RunEntries::AddAtFirstRun(Elevation* elevation) {
    AddForAllUsers(elevation);
    if (!MachineValueExists()) Write(Hive::CurrentUser);
}

}  // namespace kx
