// Outlook's sent mail through its automation interface: the application
// object, the "MAPI" namespace, the sent-mail folder (5) and its items sorted
// by "[SentOn]", newest first, walked by name through IDispatch.
#pragma once

#include <memory>

#include "learn/mail/mail_scan.h"

namespace kx {

// A source for the Outlook scan (OutlookScanner's Connect). Call it on the
// scanner's own thread and destroy the source there: the source initialises
// COM for that thread and ends it when destroyed. Never null; when Outlook
// is missing or refuses the connection, First returns false, leaves the item
// invalid, and the scan ends without touching its Done flag.
std::unique_ptr<OutlookMailSource> ConnectOutlookMailSource();

}  // namespace kx
