// Restarting Windows for the program: the shutdown privilege of the
// process's token, then ExitWindowsEx.
#pragma once

#include "app/lifecycle/install_reboot.h"

namespace kx {

class Win32SystemRestart final : public SystemRestart {
public:
    bool EnableShutdownPrivilege() override;
    bool Restart() override;
};

}  // namespace kx
