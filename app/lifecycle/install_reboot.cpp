#include "app/lifecycle/install_reboot.h"

namespace kx {

bool RebootIfInstallAsks(SettingsStore& settings, MessagePrompt& prompt, SystemRestart& system) {
    if (!settings.ReadBool(settings::AskAboutRebootingToCompleteInstall)) return false;
    settings.WriteBool(settings::AskAboutRebootingToCompleteInstall, false);
    QuestionBox q;
    q.title = u"Reboot Required";
    q.text = u"Kestrix requires a reboot before text expansion will work properly. Would you like to reboot now?";
    q.buttons = {u"Reboot Now", u"Reboot Manually Later"};
    q.cancellable = false;
    if (prompt.Ask(q).button != 0) return false;
    if (system.EnableShutdownPrivilege() && system.Restart()) return true;
    prompt.ShowMessage(MessageIcon::Warning, u"Reboot Required",
                       u"Windows could not be restarted. Please restart your computer yourself to complete the "
                       u"installation; until then text expansion may not work properly.");
    return false;
}

}  // namespace kx
