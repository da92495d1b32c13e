#include "learn/acdata_record.h"

#include <cstdio>

#include "base/text.h"
#include "core/base64.h"
#include "core/utf8_encode.h"

namespace kx {

uint32_t ParseAcdataNumber(std::u16string_view field) {
    // Like the C library's reading of "%u": leading blanks, an optional
    // sign, the digits; anything else reads as 0. Too large saturates.
    size_t k = 0;
    while (k < field.size() && (field[k] == u' ' || field[k] == u'\t')) ++k;
    if (k < field.size() && field[k] == u'+') ++k;
    uint64_t value = 0;
    for (; k < field.size() && field[k] >= u'0' && field[k] <= u'9'; ++k) {
        value = value * 10 + uint64_t(field[k] - u'0');
        if (value > 0xFFFFFFFFull) return 0xFFFFFFFFu;
    }
    return uint32_t(value);
}

bool ParseAcdataRecord(std::string_view line, AcdataRecord& out) {
    const std::u16string text = Utf8ToUtf16(line);
    std::u16string_view fields[8];
    size_t count = 0, start = 0;
    for (size_t k = 0; k <= text.size(); ++k) {
        if (k < text.size() && text[k] != u'\t') continue;
        if (count < 8) {
            std::u16string_view f(text.data() + start, k - start);
            // The confidence bytes of the longest phrase a field holds take
            // more than 259 Base64 characters: that field keeps what they need.
            const size_t max = count == 7 ? kAcdataConfidenceMax : kAcdataFieldMax;
            if (f.size() > max) {
                // Cut to whole characters: half a surrogate pair would be
                // written back as a replacement character.
                size_t keep = max;
                if (f[keep - 1] >= 0xD800 && f[keep - 1] <= 0xDBFF) --keep;
                f = f.substr(0, keep);
            }
            fields[count] = f;
        }
        ++count;
        start = k + 1;
    }
    if (count < 5) return false;
    out.phrase.assign(fields[0]);
    out.stats.accepted = ParseAcdataNumber(fields[1]);
    out.stats.lastSeen = ParseAcdataNumber(fields[2]);
    out.stats.impressions = ParseAcdataNumber(fields[3]);
    out.stats.typedCount = ParseAcdataNumber(fields[4]);
    out.stats.suggestable = count > 5 ? uint8_t(ParseAcdataNumber(fields[5])) : 0;
    out.stats.firstSeen = count > 6 ? ParseAcdataNumber(fields[6]) : 0;
    out.confidence.clear();
    if (count > 7 && !fields[7].empty()) {
        const std::string ascii = Utf16ToUtf8(fields[7]);
        if (!Base64Decode(ascii, out.confidence)) out.confidence.clear();
    }
    return true;
}

void AppendAcdataRecord(std::string& out, std::u16string_view phrase, const PhraseEntry& e) {
    const size_t at = out.size();
    out.resize(at + Utf8Length(phrase));
    EncodeUtf8(phrase, reinterpret_cast<uint8_t*>(out.data() + at));
    // A tab would split the fields and a CR LF the record: both become
    // spaces (a line feed alone stays, the reader splits at CR LF only).
    for (size_t k = at; k < out.size(); ++k)
        if (out[k] == '\t' || (out[k] == '\r' && k + 1 < out.size() && out[k + 1] == '\n')) out[k] = ' ';
    char numbers[96];
    const int n = std::snprintf(numbers, sizeof numbers, "\t%u\t%u\t%u\t%u\t%u\t%u\t", e.stats.accepted,
                                e.stats.lastSeen, e.stats.impressions, e.stats.typedCount, unsigned(e.stats.suggestable),
                                e.stats.firstSeen);
    out.append(numbers, size_t(n));
    if (e.confidenceCount) out += Base64Encode(e.confidence.get(), e.confidenceCount);
    out += "\r\n";
}

}  // namespace kx
