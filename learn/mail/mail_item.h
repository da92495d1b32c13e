// One sent message as the mail scanners see it.
#pragma once

#include <string>

namespace kx {

// The longest `from`, `to` or `subject` kept.
inline constexpr size_t kMailFieldUnits = 260;

struct MailItem {
    bool valid = false;
    std::u16string from;
    std::u16string to;
    std::u16string subject;
    std::u16string body;  // plain text
};

}  // namespace kx
