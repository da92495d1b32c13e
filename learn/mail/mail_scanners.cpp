#include "learn/mail/mail_scanners.h"

#include <algorithm>

#include "learn/phrase_dictionary.h"
#include "platform/known_folders.h"

namespace kx {

size_t FeedMailAndWait(PhraseDictionary& dictionary, MailScanThread& thread, std::u16string_view text,
                       size_t from) {
    from = std::min(from, text.size());
    // Until "acdata.txt" has loaded, what is learned is not saved at exit
    // (and a starting load empties the dictionary), while the scan would
    // write its progress past the message as if it had been learned.
    while (!dictionary.Loaded())
        if (thread.WaitOrStop(kMailItemPauseMs)) return from;
    dictionary.FeedMailText(text, from);
    while (dictionary.MailTextPending())
        if (thread.WaitOrStop(kMailItemPauseMs)) break;
    return text.size() - dictionary.WithdrawMailText();
}

void ThunderbirdScanner::RunWorker() {
    end_ = RunThunderbirdScan(
        settings_, fs_, folders_.RoamingAppData(), OpenMailboxFile,
        [this](std::u16string_view text, size_t from) { return FeedMailAndWait(dictionary_, *this, text, from); },
        *this);
}

void OutlookScanner::RunWorker() {
    end_ = RunOutlookScan(
        settings_, connect_,
        [this](std::u16string_view text, size_t from) { return FeedMailAndWait(dictionary_, *this, text, from); }, *this,
        thunderbirdRunning_);
}

}  // namespace kx
