// One stored message (its bytes as the mailbox holds them) taken apart into
// headers and the plain text that a sent-mail scan feeds.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "learn/mail/mail_item.h"

namespace kx {

struct MailHeader {
    std::string name;      // lower case
    std::u16string value;  // trimmed, encoded words decoded
};

// The lines before the first empty one; a line starting with a blank
// continues the header before it (joined with one space).
std::vector<MailHeader> ParseMailHeaders(std::string_view headerBlock);
// The first header of that (lower-case) name; empty when there is none.
std::u16string HeaderValue(const std::vector<MailHeader>& headers, std::string_view name);

struct MailText {
    std::u16string text;  // plain text (an HTML part already converted)
    bool html = false;    // the text came from HTML
};

// The text of a message or part: the first part of a multipart, otherwise
// the body decoded by its transfer encoding (and from HTML when it is HTML).
MailText ParseMailText(std::string_view message);

// `from`, `to`, `subject` (each cut to 260 units) and `body`; `valid` on.
// Nothing in `message` makes it fail: what cannot be read stays empty.
void ParseMailMessage(std::string_view message, MailItem& item);

}  // namespace kx
