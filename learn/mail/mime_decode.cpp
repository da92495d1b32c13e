#include "learn/mail/mime_decode.h"

#include "base/text.h"

namespace kx {
namespace {

int Base64Value(char c) {
    if (c >= 'A' && c <= 'Z') return c - 'A';
    if (c >= 'a' && c <= 'z') return c - 'a' + 26;
    if (c >= '0' && c <= '9') return c - '0' + 52;
    if (c == '+') return 62;
    if (c == '/') return 63;
    return -1;
}

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? char(c + 32) : c; }

bool IsUtf8Name(std::string_view charset) {
    std::string lower;
    for (char c : charset)
        if (c != '-' && c != '_') lower += LowerAscii(c);
    return lower == "utf8";
}

// The Q form: '_' is a space, "=XX" a byte.
std::string DecodeQWord(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '_') {
            out += ' ';
        } else if (c == '=' && i + 2 < text.size() && HexDigitValue(text[i + 1]) >= 0 && HexDigitValue(text[i + 2]) >= 0) {
            out += char(HexDigitValue(text[i + 1]) * 16 + HexDigitValue(text[i + 2]));
            i += 2;
        } else {
            out += c;
        }
    }
    return out;
}

// Where the next "?=" and the next blank stand from a given offset on. The
// offsets a header's encoded words are tried from only grow, so each answer
// is searched for once and kept while it still lies ahead: a header full of
// "=?" openings without their closings is read in linear time, not once
// more to its end for every opening.
struct CachedFind {
    size_t at = 0, from = 0;
    bool known = false;

    template <class Find>
    size_t Next(size_t start, Find find) {
        if (!known || start < from || (at != std::string_view::npos && at < start)) {
            at = find(start);
            from = start;
            known = true;
        }
        return at;
    }
};

struct AheadFinder {
    std::string_view raw;
    CachedFind close, blank;

    size_t NextClose(size_t from) {
        return close.Next(from, [&](size_t f) { return raw.find("?=", f); });
    }
    size_t NextBlank(size_t from) {
        return blank.Next(from, [&](size_t f) { return raw.find_first_of(" \t\r\n", f); });
    }
};

// Reads one encoded word at `pos` ("=?cs?X?text?="); on success sets `end`
// past it and appends its text.
bool TakeEncodedWord(std::string_view raw, size_t pos, AheadFinder& ahead, size_t& end, std::u16string& out) {
    if (raw.compare(pos, 2, "=?") != 0) return false;
    const size_t q1 = raw.find('?', pos + 2);
    if (q1 == std::string_view::npos || q1 + 2 >= raw.size() || raw[q1 + 2] != '?') return false;
    const char form = LowerAscii(raw[q1 + 1]);
    if (form != 'b' && form != 'q') return false;
    const size_t close = ahead.NextClose(q1 + 3);
    if (close == std::string_view::npos) return false;
    // An encoded word holds no blank.
    if (ahead.NextBlank(q1 + 3) < close) return false;
    std::string_view charset = raw.substr(pos + 2, q1 - pos - 2);
    // RFC 2231 adds "*language" to the charset.
    charset = charset.substr(0, charset.find('*'));
    const std::string_view text = raw.substr(q1 + 3, close - q1 - 3);
    const std::string bytes = form == 'b' ? DecodeBase64Lenient(text) : DecodeQWord(text);
    out += BytesInCharset(bytes, charset);
    end = close + 2;
    return true;
}

}  // namespace

std::string DecodeQuotedPrintable(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    const size_t n = text.size();
    for (size_t i = 0; i < n; ++i) {
        const char c = text[i];
        if (c != '=') {
            out += c;
            continue;
        }
        if (i + 2 < n && HexDigitValue(text[i + 1]) >= 0 && HexDigitValue(text[i + 2]) >= 0) {
            out += char(HexDigitValue(text[i + 1]) * 16 + HexDigitValue(text[i + 2]));
            i += 2;
            continue;
        }
        // A soft line break: '=', maybe trailing blanks, then the line's end.
        size_t j = i + 1;
        while (j < n && (text[j] == ' ' || text[j] == '\t')) ++j;
        if (j < n && text[j] == '\r') ++j;
        if (j < n && text[j] == '\n') {
            i = j;
            continue;
        }
        if (j == n) break;
        out += c;
    }
    return out;
}

std::string DecodeBase64Lenient(std::string_view text) {
    std::string out;
    out.reserve(text.size() / 4 * 3 + 3);
    uint32_t acc = 0;
    int bits = 0;
    for (char c : text) {
        if (c == '=') break;
        const int v = Base64Value(c);
        if (v < 0) continue;
        acc = (acc << 6) | uint32_t(v);
        bits += 6;
        if (bits >= 8) {
            bits -= 8;
            out += char((acc >> bits) & 0xFF);
        }
    }
    return out;
}

std::u16string BytesInCharset(std::string_view bytes, std::string_view charset) {
    if (IsUtf8Name(charset)) return Utf8ToUtf16(bytes);
    std::u16string out(bytes.size(), u'\0');
    for (size_t i = 0; i < bytes.size(); ++i) out[i] = char16_t(uint8_t(bytes[i]));
    return out;
}

std::u16string DecodeHeaderValue(std::string_view raw) {
    if (raw.find("=?") == std::string_view::npos) return Utf8ToUtf16(raw);
    std::u16string out;
    size_t plainFrom = 0;  // start of text not yet copied
    size_t pos = 0;
    bool lastWasWord = false;
    AheadFinder ahead{raw, {}, {}};
    while (pos < raw.size()) {
        const size_t at = raw.find("=?", pos);
        if (at == std::string_view::npos) break;
        std::u16string word;
        size_t end = 0;
        if (!TakeEncodedWord(raw, at, ahead, end, word)) {
            pos = at + 2;
            lastWasWord = false;
            continue;
        }
        const std::string_view between = raw.substr(plainFrom, at - plainFrom);
        bool onlyBlanks = true;
        for (char c : between) onlyBlanks = onlyBlanks && IsBlank(c);
        if (!(lastWasWord && onlyBlanks)) out += Utf8ToUtf16(between);
        out += word;
        plainFrom = pos = end;
        lastWasWord = true;
    }
    out += Utf8ToUtf16(raw.substr(plainFrom));
    return out;
}

}  // namespace kx
