#include "learn/mail/mail_scan.h"

#include <algorithm>
#include <climits>
#include <string>

#include "base/text.h"
#include "core/base64.h"
#include "learn/mail/mime_message.h"
#include "learn/mail/subject_rules.h"
#include "learn/mail/thunderbird_profiles.h"
#include "settings/settings_store.h"
#include "settings/settings_table.h"

namespace kx {

std::u16string EncodeMailPosition(uint64_t position) {
    uint8_t bytes[8];
    for (int i = 0; i < 8; ++i) bytes[i] = uint8_t(position >> (8 * i));
    return U16(Base64Encode(bytes, sizeof bytes));
}

bool DecodeMailPosition(std::u16string_view text, uint64_t& position) {
    std::vector<uint8_t> bytes;
    if (!Base64Decode(U8(text), bytes) || bytes.size() != 8) return false;
    position = 0;
    for (int i = 0; i < 8; ++i) position |= uint64_t(bytes[i]) << (8 * i);
    return true;
}

MailScanEnd RunThunderbirdScan(SettingsStore& settings, FileSystem& fs, std::u16string_view roamingAppData,
                               const MailboxOpener& open, const MailFeed& feed, MailScanThread& thread) {
    namespace s = settings;
    if (!settings.ReadBool(s::ScanThunderbirdSentItemsForScan) || settings.ReadBool(s::ScanThunderbirdSentItemsDone))
        return MailScanEnd::Off;
    int32_t count = settings.ReadInt(s::ScanThunderbirdCurrentSentItem);
    uint64_t start = 0;
    // A position that does not decode starts again from the top, skipping
    // as many messages as were fed.
    const bool resumed = DecodeMailPosition(settings.Read(s::ScanThunderbirdSentItemsSeekPos), start);
    // How far the first message was fed before a stop.
    size_t from = size_t(std::max(settings.ReadInt(s::ScanThunderbirdSentItemOffset), 0));

    const std::vector<std::u16string> mailboxes = FindThunderbirdMailboxes(fs, roamingAppData);
    if (mailboxes.empty()) return MailScanEnd::NoMail;

    MboxReader reader(mailboxes, open);
    std::string message;
    bool loaded = reader.Start(start) && reader.Next(message);
    if (!resumed)
        for (int32_t i = 0; i < count && loaded && !thread.StopRequested(); ++i) loaded = reader.Next(message);
    if (thread.StopRequested()) return MailScanEnd::Stopped;
    if (!loaded) {
        // Nothing (more) to read: an empty or unreadable mailbox is finished.
        settings.WriteBool(s::ScanThunderbirdSentItemsDone, true);
        return MailScanEnd::Done;
    }

    while (loaded) {
        if (thread.StopRequested()) return MailScanEnd::Stopped;
        MailItem item;
        ParseMailMessage(message, item);
        if (ThunderbirdFeedsSubject(item.subject)) {
            const size_t reached = feed(ThunderbirdFeedText(item.body), from);
            // Stopped while the text was being learned: the saved position
            // still names this message, and the offset says how far it was
            // learned, so the next start goes on from there. Fed again from
            // its start, a long message's phrases would gain a count at every
            // stop until they were suggested for nothing.
            if (thread.StopRequested()) {
                settings.WriteInt(s::ScanThunderbirdSentItemOffset, int32_t(std::min<size_t>(reached, INT32_MAX)));
                return MailScanEnd::Stopped;
            }
            ++count;
        }
        from = 0;
        loaded = reader.Next(message);
        // The position of the message just read and not yet fed: a restart
        // begins with it.
        settings.Write(s::ScanThunderbirdSentItemsSeekPos, EncodeMailPosition(reader.MessageStart()));
        settings.WriteInt(s::ScanThunderbirdSentItemOffset, 0);
        settings.WriteInt(s::ScanThunderbirdCurrentSentItem, count);
        settings.WriteBool(s::ScanThunderbirdSentItemsDone, !loaded);
        if (thread.WaitOrStop(kMailItemPauseMs)) return loaded ? MailScanEnd::Stopped : MailScanEnd::Done;
    }
    return MailScanEnd::Done;
}

MailScanEnd RunOutlookScan(SettingsStore& settings, const std::function<std::unique_ptr<OutlookMailSource>()>& connect,
                           const MailFeed& feed, MailScanThread& thread,
                           const std::function<bool()>& thunderbirdRunning) {
    namespace s = settings;
    if (!settings.ReadBool(s::ScanOutlookSentItemsForScan) || settings.ReadBool(s::ScanOutlookSentItemsDone))
        return MailScanEnd::Off;
    int32_t count = settings.ReadInt(s::ScanOutlookCurrentSentItem);
    // At the cap nothing more is fed: connecting would start Outlook and
    // step through items for nothing, at every start.
    if (count >= kMaxOutlookFed) {
        settings.WriteBool(s::ScanOutlookSentItemsDone, true);
        return MailScanEnd::Done;
    }
    // Thunderbird goes first: the two scans never feed at the same time.
    if (settings.ReadBool(s::ScanThunderbirdSentItemsForScan))
        while (!settings.ReadBool(s::ScanThunderbirdSentItemsDone) && (!thunderbirdRunning || thunderbirdRunning()))
            if (thread.WaitOrStop(kOutlookWaitStepMs)) return MailScanEnd::Stopped;

    const std::unique_ptr<OutlookMailSource> source = connect();
    MailItem item;
    if (!source || !source->First(item)) return MailScanEnd::NoMail;
    bool loaded = true;
    // What was fed before is the newest mail: skip as many items.
    for (int32_t i = 0; i < count && loaded; ++i) {
        if (thread.StopRequested()) return MailScanEnd::Stopped;
        loaded = source->Next(item);
    }
    bool done = false;
    // How far the first item was fed before a stop.
    size_t from = size_t(std::max(settings.ReadInt(s::ScanOutlookSentItemOffset), 0));
    while (!thread.StopRequested() && loaded && count < kMaxOutlookFed) {
        if (OutlookFeedsSubject(item.subject)) {
            const size_t reached = feed(item.body, from);
            // As for Thunderbird: a message cut short counts as not fed, and
            // the next start goes on where it was cut.
            if (thread.StopRequested()) {
                settings.WriteInt(s::ScanOutlookSentItemOffset, int32_t(std::min<size_t>(reached, INT32_MAX)));
                return MailScanEnd::Stopped;
            }
            ++count;
        }
        from = 0;
        loaded = source->Next(item);
        done = !loaded || count >= kMaxOutlookFed;
        settings.WriteInt(s::ScanOutlookSentItemOffset, 0);
        settings.WriteInt(s::ScanOutlookCurrentSentItem, count);
        settings.WriteBool(s::ScanOutlookSentItemsDone, done);
        if (thread.WaitOrStop(kMailItemPauseMs)) break;
    }
    if (done) return MailScanEnd::Done;
    return thread.StopRequested() ? MailScanEnd::Stopped : MailScanEnd::Unfinished;
}

}  // namespace kx
