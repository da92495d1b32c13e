#include "app/lifecycle/installer_switches.h"

#include "base/text.h"
#include "settings/settings_store.h"

namespace kx {
namespace {

// The note of an upgrade in progress, in the "Installer" key of the user
// who runs the package. It has to outlive the old package's removal: that
// removal cannot always tell it is half of an upgrade (see kestrix.wxs).
constexpr char16_t kInstallerSection[] = u"Installer";
constexpr char16_t kUpgradingValue[] = u"Upgrading";
constexpr char16_t kNotRunning[] = u"NotRunning";
constexpr char16_t kInTray[] = u"InTray";
constexpr char16_t kShown[] = u"Shown";

struct UpgradeNote {
    bool present = false;
    RunningCopy copy = RunningCopy::None;
};

UpgradeNote ReadNote(Registry& registry) {
    // The default is a text no note holds: a missing value reads as it.
    const std::u16string text = SettingsStore(registry).ReadString(kInstallerSection, kUpgradingValue, u"\x1");
    if (text == u"\x1") return {};
    if (text == kShown) return {true, RunningCopy::Shown};
    if (text == kInTray) return {true, RunningCopy::InTray};
    return {true, RunningCopy::None};
}

void WriteNote(Registry& registry, RunningCopy copy) {
    const char16_t* text = copy == RunningCopy::Shown ? kShown : copy == RunningCopy::InTray ? kInTray : kNotRunning;
    SettingsStore(registry).WriteString(kInstallerSection, kUpgradingValue, text);
}

void DeleteNote(Registry& registry) {
    registry.DeleteValue(Hive::CurrentUser, SettingsStore::SectionPath(kInstallerSection), kUpgradingValue);
}

// The program a run-at-log-on value starts: the quoted path before "-logon".
std::u16string ProgramOf(const std::u16string& command) {
    if (command.size() < 2 || command[0] != u'"') return command;
    const size_t close = command.find(u'"', 1);
    return close == std::u16string::npos ? command.substr(1) : command.substr(1, close - 1);
}

// An upgrade may move the program (the 64-bit package after the 32-bit one
// installs to the other Program Files): a value that starts a program no
// longer there is pointed at the new one; any other is the user's own.
void FollowMovedProgram(RunEntries& entries, FileSystem& fs) {
    const std::u16string own = entries.CommandText();
    const std::u16string user = entries.Read(Hive::CurrentUser);
    if (!user.empty() && !EqualsNoCaseAscii(user, own) && !fs.IsFile(ProgramOf(user))) entries.AddForThisUser();
    const std::u16string machine = entries.Read(Hive::LocalMachine);
    if (!machine.empty() && !EqualsNoCaseAscii(machine, own) && !fs.IsFile(ProgramOf(machine)))
        entries.WriteMachineValue();  // the package's own rights: it wrote the folder
}

void RemoveRunValues(RunEntries& entries, Registry& registry, Elevation* elevation) {
    // Both values: the program may have written either, or both over time.
    if (entries.UserValueExists()) registry.DeleteValue(Hive::CurrentUser, kRunKey, kRunValue);
    if (entries.MachineValueExists()) entries.Remove(elevation);
}

}  // namespace

InstallerRequest InstallerRequestFor(const std::vector<std::u16string>& args) {
    if (args.size() < 2) return InstallerRequest::None;
    if (EqualsNoCaseAscii(args[1], u"-upgrade")) return InstallerRequest::Upgrade;
    if (EqualsNoCaseAscii(args[1], u"-uninstall")) return InstallerRequest::Uninstall;
    if (EqualsNoCaseAscii(args[1], u"-upgraded")) return InstallerRequest::Upgraded;
    return InstallerRequest::None;
}

void CarryOutInstallerRequest(InstallerRequest request, const std::u16string& programPath, InstallerHost& host,
                              Registry& registry, FileSystem& fs, Elevation* elevation) {
    RunEntries entries(registry, programPath);
    switch (request) {
    case InstallerRequest::None:
        return;
    case InstallerRequest::Upgrade: {
        // One upgrade may ask twice: the new package before it replaces the
        // files, the old one's removal after. The second finds nothing
        // running and must not forget that the first did.
        const RunningCopy ended = host.EndRunningCopy();
        const UpgradeNote note = ReadNote(registry);
        if (!note.present || (note.copy == RunningCopy::None && ended != RunningCopy::None)) WriteNote(registry, ended);
        return;
    }
    case InstallerRequest::Uninstall:
        host.EndRunningCopy();
        // The note stays for the new package's "-upgraded", which clears it.
        if (!ReadNote(registry).present) RemoveRunValues(entries, registry, elevation);
        return;
    case InstallerRequest::Upgraded: {
        const UpgradeNote note = ReadNote(registry);
        if (!note.present) return;
        DeleteNote(registry);
        FollowMovedProgram(entries, fs);
        // "-logon" is the start the run-at-log-on value makes: in the tray.
        if (note.copy == RunningCopy::InTray) host.StartProgram(u"-logon");
        else if (note.copy == RunningCopy::Shown) host.StartProgram(u"-show");
        return;
    }
    }
}

void ForgetUnfinishedUpgrade(Registry& registry) { DeleteNote(registry); }

}  // namespace kx
