#include "learn/mail/mail_scanners.h"

#include "learn/phrase_dictionary.h"
#include "platform/known_folders.h"

namespace kx {

bool FeedMailAndWait(PhraseDictionary& dictionary, MailScanThread& thread, std::u16string_view text) {
    // Until "acdata.txt" has loaded, what is learned is not saved at exit
    // (and a starting load empties the dictionary), while the scan would
    // write its progress past the message as if it had been learned.
    while (!dictionary.Loaded())
        if (thread.WaitOrStop(kMailItemPauseMs)) return false;
    dictionary.FeedMailText(text);
    while (dictionary.MailTextPending())
        if (thread.WaitOrStop(kMailItemPauseMs)) return false;
    return !thread.StopRequested();
}

void ThunderbirdScanner::RunWorker() {
    end_ = RunThunderbirdScan(
        settings_, fs_, folders_.RoamingAppData(), OpenMailboxFile,
        [this](std::u16string_view text) { FeedMailAndWait(dictionary_, *this, text); }, *this);
}

void OutlookScanner::RunWorker() {
    end_ = RunOutlookScan(
        settings_, connect_, [this](std::u16string_view text) { FeedMailAndWait(dictionary_, *this, text); }, *this,
        thunderbirdRunning_);
}

}  // namespace kx
