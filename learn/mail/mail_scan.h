// The two sent-mail scans as plain functions over their seams: the settings
// that hold their progress, the mail they read, the dictionary they feed and
// the thread that paces and stops them. The scanner threads (and the tests)
// supply the seams.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "learn/mail/mail_item.h"
#include "learn/mail/mbox_reader.h"

namespace kx {

class FileSystem;
class SettingsStore;

// What a scan needs of the thread that runs it.
class MailScanThread {
public:
    virtual ~MailScanThread() = default;
    virtual bool StopRequested() = 0;
    // Sleeps up to `ms`; true when the scan is to stop.
    virtual bool WaitOrStop(uint32_t ms) = 0;
};

// Feeds `text` from unit `from` on (the units before were fed before a
// stop) and returns how far it got: text.size() unless the scan was stopped.
using MailFeed = std::function<size_t(std::u16string_view text, size_t from)>;

enum class MailScanEnd {
    Off,          // switched off, or finished before
    NoMail,       // no mailbox, or the mail program could not be reached
    Stopped,      // stopped part way; the progress is saved
    Done,         // the Done flag was written
    Unfinished,   // the mail ran out while skipping, or the count limit was reached
};

// Outlook's sent mail, newest first, as its automation interface walks it.
class OutlookMailSource {
public:
    virtual ~OutlookMailSource() = default;
    // Connects and loads the first item; false when Outlook cannot be
    // reached or has no sent mail.
    virtual bool First(MailItem& item) = 0;
    // Loads the next item; false at the end.
    virtual bool Next(MailItem& item) = 0;
};

// At most this many Outlook messages are fed, ever.
inline constexpr int32_t kMaxOutlookFed = 500;
inline constexpr uint32_t kMailItemPauseMs = 100;
inline constexpr uint32_t kOutlookWaitStepMs = 500;

MailScanEnd RunThunderbirdScan(SettingsStore& settings, FileSystem& fs, std::u16string_view roamingAppData,
                               const MailboxOpener& open, const MailFeed& feed, MailScanThread& thread);

// `connect` is called on the scanning thread once Thunderbird's scan allows
// it; it may return null when Outlook cannot be reached. The scan waits for
// an unfinished Thunderbird scan only while `thunderbirdRunning` says it
// runs (unset: as long as it is unfinished): one that ended without
// finishing, having found no mailbox, would otherwise hold Outlook's forever.
MailScanEnd RunOutlookScan(SettingsStore& settings, const std::function<std::unique_ptr<OutlookMailSource>()>& connect,
                           const MailFeed& feed, MailScanThread& thread,
                           const std::function<bool()>& thunderbirdRunning = {});

// The resume position as the setting holds it: Base64 of its 8 bytes,
// least significant first. Decoding fails on anything but 8 bytes.
std::u16string EncodeMailPosition(uint64_t position);
bool DecodeMailPosition(std::u16string_view text, uint64_t& position);

}  // namespace kx
