#include "convert/rtf_link.h"

#include "base/text.h"

namespace kx {
namespace {

bool IsBlank(char16_t c) { return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n'; }

bool StartsNoCase(std::u16string_view s, std::u16string_view prefix) {
    return s.size() >= prefix.size() && EqualsNoCaseAscii(s.substr(0, prefix.size()), prefix);
}

}  // namespace

std::u16string HyperlinkTarget(std::u16string_view in) {
    size_t i = 0;
    while (i < in.size() && IsBlank(in[i])) ++i;
    constexpr std::u16string_view kWord = u"HYPERLINK";
    if (!StartsNoCase(in.substr(i), kWord)) return {};
    i += kWord.size();
    if (i >= in.size() || !IsBlank(in[i])) return {};
    while (i < in.size() && IsBlank(in[i])) ++i;

    std::u16string_view url;
    if (i < in.size() && in[i] == u'"') {
        size_t end = in.find(u'"', i + 1);
        if (end == std::u16string_view::npos) return {};
        url = in.substr(i + 1, end - i - 1);
    } else {
        size_t end = i;
        while (end < in.size() && !IsBlank(in[end])) ++end;
        url = in.substr(i, end - i);  // a switch such as \l gives no address
    }
    while (!url.empty() && IsBlank(url.front())) url.remove_prefix(1);
    while (!url.empty() && IsBlank(url.back())) url.remove_suffix(1);
    if (StartsNoCase(url, u"http://") || StartsNoCase(url, u"https://") || StartsNoCase(url, u"mailto:"))
        return std::u16string(url);
    return {};
}

std::string HrefAttributeValue(std::u16string_view url) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : Utf16ToUtf8(url)) {
        if (c == '&') {
            out += "&amp;";
        } else if (c <= 0x20 || c >= 0x7F || c == '"' || c == '\'' || c == '<' || c == '>' || c == '\\' ||
                   c == '^' || c == '`' || c == '{' || c == '|' || c == '}') {
            out += '%';
            out += kHex[c >> 4];
            out += kHex[c & 15];
        } else {
            out += char(c);
        }
    }
    return out;
}

}  // namespace kx
