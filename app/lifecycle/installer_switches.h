// The switches the Windows Installer package runs the installed program with
// before it replaces or removes it. They end the start without opening a
// window, and start no copy of the program when none runs:
//   "-upgrade"    a newer package is about to replace the program: asks a
//                 running copy to end ("-exit") and waits for it; notes the
//                 upgrade for the removal of the old package that follows.
//   "-uninstall"  the package is being removed: asks a running copy to end,
//                 then deletes the run-at-log-on values "Kestrix" of this
//                 user and of the machine, unless the removal is the first
//                 half of an upgrade noted by "-upgrade" (the user's choice
//                 to start with Windows is a setting an upgrade keeps).
#pragma once

#include <string>
#include <vector>

namespace kx {

enum class InstallerRequest { None, Upgrade, Uninstall };

InstallerRequest InstallerRequestFor(const std::vector<std::u16string>& args);

// Carries out a request other than None.
void RunInstallerRequest(InstallerRequest request, const std::u16string& programPath);

}  // namespace kx
