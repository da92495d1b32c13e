// The restart of Windows that an installation asks for at the next start
// ("AskAboutRebootingToCompleteInstall").
#pragma once

#include "platform/user_prompt.h"
#include "settings/settings_store.h"

namespace kx {

// Restarting Windows, as the program may: the shutdown privilege has to be
// enabled in the process's token before the restart is asked for.
class SystemRestart {
public:
    virtual ~SystemRestart() = default;
    virtual bool EnableShutdownPrivilege() = 0;
    virtual bool Restart() = 0;
};

// Asks once ("Reboot Required") when the installation left the request.
// Returns true when Windows is restarting, so that the start-up stops; false
// to start normally, also when the restart failed (which it says).
bool RebootIfInstallAsks(SettingsStore& settings, MessagePrompt& prompt, SystemRestart& system);

}  // namespace kx
