// The switches the Windows Installer package runs the installed program with
// around replacing or removing it. They end the start without opening a
// window:
//   "-upgrade"    a newer package is about to replace the program: asks a
//                 running copy to end ("-exit") and waits for it, and notes
//                 the upgrade, with how the copy was running, in the user's
//                 "Installer" key ("Upgrading").
//   "-uninstall"  the package is being removed: asks a running copy to end,
//                 then deletes the run-at-log-on values "Kestrix" of this
//                 user and of the machine, unless an upgrade is noted (the
//                 user's choice to start with Windows is a setting an upgrade
//                 keeps).
//   "-upgraded"   the newer package has been installed: clears the note and
//                 starts the new program again as the old one was running
//                 (in the tray, or with its window), and only if it was.
// The package decides which switch runs (installer/kestrix.wxs); what each
// switch does is decided here, over the registry and process seams, so that
// both can be tried together without Windows Installer.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "app/shell/run_entries.h"
#include "platform/file_system.h"
#include "platform/registry.h"

namespace kx {

enum class InstallerRequest { None, Upgrade, Uninstall, Upgraded };

InstallerRequest InstallerRequestFor(const std::vector<std::u16string>& args);

// How the copy that an installer ended was running.
enum class RunningCopy { None, InTray, Shown };

// The running program and the starting of the installed one.
class InstallerHost {
public:
    virtual ~InstallerHost() = default;
    // Asks this session's running copy to end and waits for it; how it was
    // running (None when no copy ran).
    virtual RunningCopy EndRunningCopy() = 0;
    // Starts the installed program for the user of this desktop with these
    // arguments, unless a copy already runs.
    virtual void StartProgram(std::u16string_view arguments) = 0;
};

// Carries out a request other than None for the program at programPath.
void CarryOutInstallerRequest(InstallerRequest request, const std::u16string& programPath, InstallerHost& host,
                              Registry& registry, FileSystem& fs, Elevation* elevation);

// An ordinary start of the program: an upgrade still noted never finished
// (the new package failed and rolled back), and must not keep a later real
// removal from deleting the run-at-log-on values.
void ForgetUnfinishedUpgrade(Registry& registry);

// Carries out a request through the Win32 host of this session.
void RunInstallerRequest(InstallerRequest request, const std::u16string& programPath);

}  // namespace kx
