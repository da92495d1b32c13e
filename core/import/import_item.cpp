#include "core/import/import_item.h"

#include <cstdint>

#include "base/keyword_chars.h"
#include "base/text.h"

namespace kx {

void AddNote(ImportItem& item, std::u16string note) { item.notes.push_back(std::move(note)); }

void MarkChanged(ImportItem& item, std::u16string note) {
    if (item.status == ImportStatus::Imported) item.status = ImportStatus::Changed;
    item.notes.push_back(std::move(note));
}

void MarkSkipped(ImportItem& item, std::u16string note) {
    item.status = ImportStatus::Skipped;
    item.notes.push_back(std::move(note));
}

std::u16string Quoted(std::u16string_view text) { return u"\"" + std::u16string(text) + u"\""; }

namespace {

std::u16string DelimiterName(char16_t c) {
    switch (c) {
        case 9: return u"a tab";
        case 13: return u"a line break";
        case 27: return u"ESC";
        case u' ': return u"a space";
        default: return Quoted(std::u16string(1, c));
    }
}

}  // namespace

void ApplyKeywordRule(ImportItem& item) {
    std::u16string_view k = item.sourceKeyword;
    size_t begin = 0, end = k.size();
    while (begin < end && IsDelimiter(k[begin])) ++begin;
    while (end > begin && IsDelimiter(k[end - 1])) --end;
    const std::u16string_view word = k.substr(begin, end - begin);
    if (word.empty()) {
        MarkSkipped(item, u"The trigger " + Quoted(k) + u" has no word characters, and a keyword needs them.");
        return;
    }
    for (char16_t c : word) {
        if (IsDelimiter(c) || c == u'\n') {
            MarkSkipped(item, u"The trigger holds " + (c == u'\n' ? std::u16string(u"a line break") : DelimiterName(c)) +
                                  u", which ends a keyword, so it could never be typed.");
            return;
        }
    }
    if (word.size() > kMaxFieldChars) {
        MarkSkipped(item, u"The trigger is longer than a keyword may be (259 characters).");
        return;
    }
    item.keyword = AsciiUpper(word);
    if ((begin > 0 || end < k.size()) && item.status != ImportStatus::Skipped) {
        std::u16string removed;
        for (size_t i = 0; i < k.size(); ++i) {
            if (i >= begin && i < end) continue;
            const std::u16string name = DelimiterName(k[i]);
            if (removed.find(name) == std::u16string::npos) removed += (removed.empty() ? u"" : u", ") + name;
        }
        MarkChanged(item, u"Type " + Quoted(word) + u" then a space: " + removed +
                              u" ends a keyword in Kestrix, so it is not part of it.");
    }
}

bool DecodeTextFile(std::string_view bytes, std::u16string& out) {
    out.clear();
    if (bytes.size() >= 3 && bytes.substr(0, 3) == "\xEF\xBB\xBF") bytes.remove_prefix(3);
    // Strict UTF-8: no overlong forms, no surrogates, nothing past U+10FFFF.
    size_t i = 0;
    const size_t n = bytes.size();
    while (i < n) {
        const uint8_t b = uint8_t(bytes[i]);
        if (b == 0) return false;
        if (b < 0x80) { ++i; continue; }
        size_t len;
        uint32_t min;
        uint32_t cp;
        if ((b & 0xE0) == 0xC0) len = 2, min = 0x80, cp = b & 0x1F;
        else if ((b & 0xF0) == 0xE0) len = 3, min = 0x800, cp = b & 0x0F;
        else if ((b & 0xF8) == 0xF0) len = 4, min = 0x10000, cp = b & 0x07;
        else return false;
        if (i + len > n) return false;
        for (size_t j = 1; j < len; ++j) {
            const uint8_t c = uint8_t(bytes[i + j]);
            if ((c & 0xC0) != 0x80) return false;
            cp = (cp << 6) | (c & 0x3F);
        }
        if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
        i += len;
    }
    out = Utf8ToUtf16(bytes);
    return true;
}

std::u16string ToCrLf(std::u16string_view text) {
    std::u16string out;
    out.reserve(text.size() + text.size() / 16);
    for (size_t i = 0; i < text.size(); ++i) {
        const char16_t c = text[i];
        if (c == u'\r') {
            out += u"\r\n";
            if (i + 1 < text.size() && text[i + 1] == u'\n') ++i;
        } else if (c == u'\n') {
            out += u"\r\n";
        } else {
            out += c;
        }
    }
    return out;
}

}  // namespace kx
