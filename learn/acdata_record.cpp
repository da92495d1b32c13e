#include "learn/acdata_record.h"

#include <charconv>
#include <cstring>

#include "base/text.h"
#include "core/base64.h"
#include "core/utf8_encode.h"

namespace kx {

namespace {

// Like the C library's reading of "%u": leading blanks, an optional sign,
// the digits; anything else reads as 0. Too large saturates.
template <class Unit>
uint32_t ReadNumber(const Unit* p, size_t size) {
    size_t k = 0;
    while (k < size && (p[k] == Unit(' ') || p[k] == Unit('\t'))) ++k;
    if (k < size && p[k] == Unit('+')) ++k;
    uint64_t value = 0;
    for (; k < size && p[k] >= Unit('0') && p[k] <= Unit('9'); ++k) {
        value = value * 10 + uint64_t(p[k] - Unit('0'));
        if (value > 0xFFFFFFFFull) return 0xFFFFFFFFu;
    }
    return uint32_t(value);
}

// A number field as its first 259 code units read. The bytes are split
// without decoding: a digit, blank or sign is one byte and one code unit, and
// reading stops at the first other character, so the first 259 bytes read
// as the first 259 code units do.
uint32_t FieldNumber(std::string_view f) {
    return ReadNumber(f.data(), std::min(f.size(), kAcdataFieldMax));
}

// The phrase field as at most 259 code units, cut to whole characters (half
// a surrogate pair would be written back as a replacement character).
void ReadPhrase(std::string_view f, std::u16string& out) {
    const size_t ascii = std::min(f.size(), kAcdataFieldMax);
    bool plain = true;
    for (size_t k = 0; k < ascii && plain; ++k) plain = uint8_t(f[k]) < 0x80;
    if (plain) {
        // Most phrases: one byte, one unit, nothing to decode.
        out.resize(ascii);
        for (size_t k = 0; k < ascii; ++k) out[k] = char16_t(uint8_t(f[k]));
        return;
    }
    out = Utf8ToUtf16(f);
    if (out.size() > kAcdataFieldMax) {
        size_t keep = kAcdataFieldMax;
        if (out[keep - 1] >= 0xD800 && out[keep - 1] <= 0xDBFF) --keep;
        out.resize(keep);
    }
}

constexpr char kBase64[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

char* WriteBase64(char* out, const uint8_t* data, size_t size) {
    size_t i = 0;
    for (; i + 3 <= size; i += 3) {
        const uint32_t v = uint32_t(data[i]) << 16 | uint32_t(data[i + 1]) << 8 | data[i + 2];
        *out++ = kBase64[v >> 18];
        *out++ = kBase64[(v >> 12) & 63];
        *out++ = kBase64[(v >> 6) & 63];
        *out++ = kBase64[v & 63];
    }
    if (size - i == 1) {
        const uint32_t v = uint32_t(data[i]) << 16;
        *out++ = kBase64[v >> 18];
        *out++ = kBase64[(v >> 12) & 63];
        *out++ = '=';
        *out++ = '=';
    } else if (size - i == 2) {
        const uint32_t v = uint32_t(data[i]) << 16 | uint32_t(data[i + 1]) << 8;
        *out++ = kBase64[v >> 18];
        *out++ = kBase64[(v >> 12) & 63];
        *out++ = kBase64[(v >> 6) & 63];
        *out++ = '=';
    }
    return out;
}

// A tab would split the fields and a CR LF the record: both become spaces
// (a line feed alone stays, the reader splits at CR LF only).
void BlankSeparators(char* begin, char* end) {
    for (char* p = begin; p < end; ++p)
        if (*p == '\t' || (*p == '\r' && p + 1 < end && p[1] == '\n')) *p = ' ';
}

char* WritePhrase(char* out, std::u16string_view phrase) {
    const size_t n = phrase.size();
    for (size_t k = 0; k < n; ++k) {
        const char16_t u = phrase[k];
        if (u >= 0x80) {
            // Past the first character outside ASCII: the encoder takes the
            // rest whole.
            char* at = out;
            out = reinterpret_cast<char*>(EncodeUtf8(phrase.substr(k), reinterpret_cast<uint8_t*>(out)));
            BlankSeparators(at, out);
            return out;
        }
        const bool blank = u == u'\t' || (u == u'\r' && k + 1 < n && phrase[k + 1] == u'\n');
        *out++ = blank ? ' ' : char(u);
    }
    return out;
}

char* WriteNumber(char* out, uint32_t value) {
    *out++ = '\t';
    return std::to_chars(out, out + 10, value).ptr;
}

}  // namespace

uint32_t ParseAcdataNumber(std::u16string_view field) { return ReadNumber(field.data(), field.size()); }

bool ParseAcdataRecord(std::string_view line, AcdataRecord& out) {
    // A tab is one byte that no longer character contains, so the fields are
    // split in UTF-8 and only the phrase is decoded.
    std::string_view fields[8];
    size_t count = 0;
    const char* p = line.data();
    const char* const end = p + line.size();
    for (;;) {
        const char* tab = static_cast<const char*>(std::memchr(p, '\t', size_t(end - p)));
        const char* stop = tab ? tab : end;
        if (count < 8) fields[count] = std::string_view(p, size_t(stop - p));
        ++count;
        if (!tab) break;
        p = tab + 1;
    }
    if (count < 5) return false;
    ReadPhrase(fields[0], out.phrase);
    out.stats.accepted = FieldNumber(fields[1]);
    out.stats.lastSeen = FieldNumber(fields[2]);
    out.stats.impressions = FieldNumber(fields[3]);
    out.stats.typedCount = FieldNumber(fields[4]);
    out.stats.suggestable = count > 5 ? uint8_t(FieldNumber(fields[5])) : 0;
    out.stats.firstSeen = count > 6 ? FieldNumber(fields[6]) : 0;
    out.confidence.clear();
    // The confidence bytes of the longest phrase a field holds take more
    // than 259 Base64 characters: that field keeps what they need. Anything
    // but Base64's ASCII fails to decode, so cutting bytes cuts as units do.
    if (count > 7 && !fields[7].empty()) {
        if (!Base64Decode(fields[7].substr(0, kAcdataConfidenceMax), out.confidence)) out.confidence.clear();
    }
    return true;
}

size_t AcdataRecordMaxBytes(std::u16string_view phrase, const PhraseEntry& e) {
    // Three bytes per unit at most (a pair takes four for two units), seven
    // tabs and six numbers of up to ten digits, the Base64, CR LF.
    return 3 * phrase.size() + 7 + 6 * 10 + (size_t(e.confidenceCount) + 2) / 3 * 4 + 2;
}

char* WriteAcdataRecord(char* out, std::u16string_view phrase, const PhraseEntry& e) {
    out = WritePhrase(out, phrase);
    out = WriteNumber(out, e.stats.accepted);
    out = WriteNumber(out, e.stats.lastSeen);
    out = WriteNumber(out, e.stats.impressions);
    out = WriteNumber(out, e.stats.typedCount);
    out = WriteNumber(out, e.stats.suggestable);
    out = WriteNumber(out, e.stats.firstSeen);
    *out++ = '\t';
    if (e.confidenceCount) out = WriteBase64(out, e.confidence.get(), e.confidenceCount);
    *out++ = '\r';
    *out++ = '\n';
    return out;
}

void AppendAcdataRecord(std::string& out, std::u16string_view phrase, const PhraseEntry& e) {
    const size_t at = out.size();
    out.resize(at + AcdataRecordMaxBytes(phrase, e));
    char* end = WriteAcdataRecord(out.data() + at, phrase, e);
    out.resize(size_t(end - out.data()));
}

}  // namespace kx
