#include "app/lifecycle/installer_switches.h"

#include <windows.h>

#include "app/lifecycle/single_instance.h"
#include "app/shell/elevation_win32.h"
#include "app/shell/run_entries.h"
#include "base/text.h"
#include "platform/win32/handles.h"
#include "platform/win32/registry_win32.h"

namespace kx {
namespace {

// Long enough for the running copy to save its learned phrases; a copy that
// does not end by then is left to the installer's files-in-use handling
// rather than killed with unsaved data.
constexpr DWORD kEndWaitMs = 30000;

// The note "-upgrade" leaves for the old package's removal. The removal
// cannot tell otherwise: not every msiexec passes UPGRADINGPRODUCTCODE on.
constexpr char16_t kInstallerKey[] = u"Software\\Tarvik Software\\Kestrix\\Installer";
constexpr char16_t kUpgradingValue[] = u"Upgrading";

void EndRunningCopy(const std::u16string& programPath) {
    HWND running = FindRunningInstance();
    if (!running) return;
    DWORD processId = 0;
    ::GetWindowThreadProcessId(running, &processId);
    UniqueHandle process(processId ? ::OpenProcess(SYNCHRONIZE, FALSE, processId) : nullptr);
    if (!ForwardCommandLine(running, {programPath, u"-exit"})) return;
    if (process) ::WaitForSingleObject(process.Get(), kEndWaitMs);
}

}  // namespace

InstallerRequest InstallerRequestFor(const std::vector<std::u16string>& args) {
    if (args.size() < 2) return InstallerRequest::None;
    if (EqualsNoCaseAscii(args[1], u"-upgrade")) return InstallerRequest::Upgrade;
    if (EqualsNoCaseAscii(args[1], u"-uninstall")) return InstallerRequest::Uninstall;
    return InstallerRequest::None;
}

void RunInstallerRequest(InstallerRequest request, const std::u16string& programPath) {
    if (request == InstallerRequest::None) return;
    EndRunningCopy(programPath);
    Win32Registry registry;
    if (request == InstallerRequest::Upgrade) {
        const uint8_t one[] = {'1', 0, 0, 0};
        registry.SetValue(Hive::CurrentUser, kInstallerKey, kUpgradingValue, reg::kTypeSz, one, sizeof(one));
        return;
    }
    if (registry.DeleteValue(Hive::CurrentUser, kInstallerKey, kUpgradingValue) == reg::kSuccess) return;
    RunEntries entries(registry, programPath);
    // Both values: the program may have written either, or both over time.
    if (entries.UserValueExists()) registry.DeleteValue(Hive::CurrentUser, kRunKey, kRunValue);
    if (entries.MachineValueExists()) {
        Win32Elevation elevation;
        entries.Remove(&elevation);
    }
}

}  // namespace kx
