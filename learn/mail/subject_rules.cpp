#include "learn/mail/subject_rules.h"

namespace kx {
namespace {

bool StartsWith(std::u16string_view s, std::u16string_view prefix) { return s.substr(0, prefix.size()) == prefix; }

}  // namespace

bool ThunderbirdFeedsSubject(std::u16string_view subject) {
    return !StartsWith(subject, u"RE:") && !StartsWith(subject, u"FW:") && !StartsWith(subject, u"Re:") &&
           !StartsWith(subject, u"Fw:");
}

bool OutlookFeedsSubject(std::u16string_view subject) {
    return !StartsWith(subject, u"RE:") && !StartsWith(subject, u"FW:");
}

std::u16string ThunderbirdFeedText(std::u16string_view body) {
    std::u16string out;
    out.reserve(body.size());
    for (size_t i = 0; i < body.size(); ++i) {
        out += body[i];
        if (body[i] == u'\n' && i > 0 && body[i - 1] == u'\r' && i + 1 < body.size() && body[i + 1] == u'_') ++i;
    }
    return out;
}

}  // namespace kx
