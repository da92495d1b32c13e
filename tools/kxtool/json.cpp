#include "tools/kxtool/json.h"

#include <cstdio>

#include "base/text.h"

namespace kx::json {

namespace {

void Escape(std::string& out, char16_t c) {
    char buf[8];
    std::snprintf(buf, sizeof buf, "\\u%04x", unsigned(c));
    out += buf;
}

bool EscapeCommon(std::string& out, char16_t c) {
    switch (c) {
        case u'"': out += "\\\""; return true;
        case u'\\': out += "\\\\"; return true;
        case u'\n': out += "\\n"; return true;
        case u'\r': out += "\\r"; return true;
        case u'\t': out += "\\t"; return true;
        default:
            if (c < 0x20) { Escape(out, c); return true; }
            return false;
    }
}

}  // namespace

std::string Quote(std::u16string_view text) {
    std::string out = "\"";
    for (size_t i = 0; i < text.size(); ++i) {
        const char16_t c = text[i];
        if (EscapeCommon(out, c)) continue;
        if (c < 0x80) { out.push_back(char(c)); continue; }
        const bool high = c >= 0xD800 && c <= 0xDBFF;
        const bool pair = high && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF;
        if (pair) {
            out += Utf16ToUtf8(text.substr(i, 2));
            ++i;
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            Escape(out, c);
        } else {
            out += Utf16ToUtf8(text.substr(i, 1));
        }
    }
    out.push_back('"');
    return out;
}

std::string QuoteBytes(std::string_view bytes) {
    std::string out = "\"";
    for (char ch : bytes) {
        const char16_t c = uint8_t(ch);
        if (EscapeCommon(out, c)) continue;
        if (c >= 0x7F) Escape(out, c);
        else out.push_back(ch);
    }
    out.push_back('"');
    return out;
}

bool StringToBytes(std::u16string_view text, std::string& out) {
    out.clear();
    out.reserve(text.size());
    for (char16_t c : text) {
        if (c > 0xFF) return false;
        out.push_back(char(uint8_t(c)));
    }
    return true;
}

}  // namespace kx::json
