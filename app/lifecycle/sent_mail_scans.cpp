#include "app/lifecycle/sent_mail_scans.h"

#include "settings/settings_store.h"
#include "settings/settings_table.h"

namespace kx {

SentMailScans::SentMailScans(SettingsStore& settings, FileSystem& fs, KnownFolders& folders,
                             PhraseDictionary& learning, OutlookScanner::Connect connectOutlook)
    : settings_(settings),
      thunderbird_(settings, fs, folders, learning),
      outlook_(settings, std::move(connectOutlook), learning, [this] { return thunderbird_.IsRunning(); }) {}

void SentMailScans::StartSwitchedOn() {
    if (settings_.ReadBool(settings::ScanThunderbirdSentItems) && !thunderbird_.IsRunning())
        thunderbird_.Start(ThreadPriority::Lowest);
    if (settings_.ReadBool(settings::ScanOutlookSentItems) && !outlook_.IsRunning())
        outlook_.Start(ThreadPriority::Lowest);
}

void SentMailScans::FollowSwitches() {
    const bool thunderbirdOff = !settings_.ReadBool(settings::ScanThunderbirdSentItems);
    const bool outlookOff = !settings_.ReadBool(settings::ScanOutlookSentItems);
    if (thunderbirdOff) thunderbird_.RequestStop();
    if (outlookOff) outlook_.RequestStop();
    if (thunderbirdOff) thunderbird_.Stop();
    if (outlookOff) outlook_.Stop();
    StartSwitchedOn();
}

void SentMailScans::Stop() {
    // Both stop events first, so neither waits for the other's current step.
    thunderbird_.RequestStop();
    outlook_.RequestStop();
    thunderbird_.Stop();
    outlook_.Stop();
}

}  // namespace kx
