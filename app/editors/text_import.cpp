#include "app/editors/text_import.h"

#include <cstdio>

#include "convert/ansi_codepage.h"
#include "base/text.h"

namespace kx {
namespace {

bool IsValidUtf8(std::string_view s) {
    for (size_t i = 0; i < s.size();) {
        const auto c = static_cast<unsigned char>(s[i]);
        size_t extra = 0;
        if (c < 0x80) extra = 0;
        else if ((c & 0xE0) == 0xC0) extra = 1;
        else if ((c & 0xF0) == 0xE0) extra = 2;
        else if ((c & 0xF8) == 0xF0) extra = 3;
        else return false;
        if (extra > s.size() - i - 1) return false;
        for (size_t k = 1; k <= extra; ++k)
            if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return false;
        i += extra + 1;
    }
    return true;
}

}  // namespace

std::string RichTextFromImport(std::string_view bytes) {
    size_t start = 0;
    while (start < bytes.size() && (bytes[start] == 0 || (static_cast<unsigned char>(bytes[start]) & 0x80)))
        ++start;
    const std::string_view text = bytes.substr(start);
    if (!text.empty() && text.front() == '{') return std::string(text);
    // The space ends the control word; it is not part of the text. A brace
    // or backslash in the text is escaped, or it would end the document
    // early or start a control word of its own.
    std::string out = "{\\rtf1\\ansi\\pard ";
    for (char c : text) {
        if (c == '\\' || c == '{' || c == '}') out.push_back('\\');
        out.push_back(c);
    }
    return out + "}";
}

std::u16string PlainTextFromImport(std::string_view bytes) {
    const auto b = [&](size_t i) { return static_cast<unsigned char>(bytes[i]); };
    if (bytes.size() >= 2 && b(0) == 0xFF && b(1) == 0xFE) {
        std::u16string out;
        for (size_t i = 2; i + 1 < bytes.size(); i += 2) out.push_back(char16_t(b(i) | (b(i + 1) << 8)));
        return out;
    }
    if (bytes.size() >= 2 && b(0) == 0xFE && b(1) == 0xFF) {
        std::u16string out;
        for (size_t i = 2; i + 1 < bytes.size(); i += 2) out.push_back(char16_t((b(i) << 8) | b(i + 1)));
        return out;
    }
    if (bytes.size() >= 3 && b(0) == 0xEF && b(1) == 0xBB && b(2) == 0xBF) return Utf8ToUtf16(bytes.substr(3));
    if (IsValidUtf8(bytes)) return Utf8ToUtf16(bytes);
    std::u16string out;
    for (size_t i = 0; i < bytes.size(); ++i) out.push_back(AnsiByteToUtf16(1252, b(i)));
    return out;
}

std::string StoredRichText(std::string_view rtf) {
    return rtf.empty() ? std::string("{\\rtf1\\ansi\\pard}") : std::string(rtf);
}

std::string PlainTextToRtf(std::u16string_view text) {
    std::string out = "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Arial;}}\\pard\\f0\\fs20 ";
    for (size_t i = 0; i < text.size(); ++i) {
        const char16_t c = text[i];
        if (c == u'\r') {
            if (i + 1 < text.size() && text[i + 1] == u'\n') ++i;
            out += "\\par\n";
        } else if (c == u'\n') {
            out += "\\par\n";
        } else if (c == u'\t') {
            out += "\\tab ";
        } else if (c == u'\\' || c == u'{' || c == u'}') {
            out.push_back('\\');
            out.push_back(char(c));
        } else if (c < 0x80) {
            out.push_back(char(c));
        } else {
            char buffer[16];
            std::snprintf(buffer, sizeof buffer, "\\u%d?", int(int16_t(c)));
            out += buffer;
        }
    }
    out += "}";
    return out;
}

}  // namespace kx
