// Which sent messages teach the dictionary: replies and forwards repeat
// other people's text, so they are passed over.
#pragma once

#include <string>
#include <string_view>

namespace kx {

// Thunderbird writes "Re:" and "Fw:" as well as the capitals.
bool ThunderbirdFeedsSubject(std::u16string_view subject);
// Outlook: only "RE:" and "FW:", exactly in that case.
bool OutlookFeedsSubject(std::u16string_view subject);
// The body as a Thunderbird message is fed: "\r\n_" becomes "\r\n".
std::u16string ThunderbirdFeedText(std::u16string_view body);

}  // namespace kx
