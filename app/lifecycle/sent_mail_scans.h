// The program's two sent-mail scanners: started with the program when the
// user switched them on, started or stopped as the user switches them in
// the options, stopped at its exit once the learned phrases are saved. Each
// scanner's running flag is its thread's.
#pragma once

#include "learn/mail/mail_scanners.h"

namespace kx {

class FileSystem;
class KnownFolders;
class PhraseDictionary;
class SettingsStore;

class SentMailScans {
public:
    // `connectOutlook` makes the Outlook scan's mail source on the scanner's
    // thread (OutlookScanner::Connect).
    SentMailScans(SettingsStore& settings, FileSystem& fs, KnownFolders& folders, PhraseDictionary& learning,
                  OutlookScanner::Connect connectOutlook);

    // Start-up: each scan whose flag is on (an absent flag is off here: only
    // the user's choice starts one) and that is not running starts at the
    // lowest priority. Thunderbird's first; Outlook's waits for it.
    void StartSwitchedOn();
    // After the options: the scans switched on start as at start-up, and a
    // running scan switched off stops, its progress kept for when it is
    // switched on again.
    void FollowSwitches();
    // Exit: both scanners stop and are waited for. Their progress was
    // written after each message, so the next start resumes.
    void Stop();

    bool ThunderbirdRunning() const { return thunderbird_.IsRunning(); }
    bool OutlookRunning() const { return outlook_.IsRunning(); }

private:
    SettingsStore& settings_;
    ThunderbirdScanner thunderbird_;
    OutlookScanner outlook_;
};

}  // namespace kx
