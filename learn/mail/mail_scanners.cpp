#include "learn/mail/mail_scanners.h"

#include "learn/phrase_dictionary.h"
#include "platform/known_folders.h"

namespace kx {

void ThunderbirdScanner::RunWorker() {
    end_ = RunThunderbirdScan(
        settings_, fs_, folders_.RoamingAppData(), OpenMailboxFile,
        [this](std::u16string_view text) { dictionary_.FeedMailText(text); }, *this);
}

void OutlookScanner::RunWorker() {
    end_ = RunOutlookScan(
        settings_, connect_, [this](std::u16string_view text) { dictionary_.FeedMailText(text); }, *this);
}

}  // namespace kx
