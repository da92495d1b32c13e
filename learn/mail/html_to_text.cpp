#include "learn/mail/html_to_text.h"

#include <array>

namespace kx {
namespace {

struct NamedReference {
    std::u16string_view name;
    char16_t unit;
};

// amp, lt, gt, quot, then U+00A0 to U+00FF in order.
constexpr std::array<std::u16string_view, 96> kLatin1Names = {
    u"nbsp",   u"iexcl",  u"cent",   u"pound",  u"curren", u"yen",    u"brvbar", u"sect",
    u"uml",    u"copy",   u"ordf",   u"laquo",  u"not",    u"shy",    u"reg",    u"macr",
    u"deg",    u"plusmn", u"sup2",   u"sup3",   u"acute",  u"micro",  u"para",   u"middot",
    u"cedil",  u"sup1",   u"ordm",   u"raquo",  u"frac14", u"frac12", u"frac34", u"iquest",
    u"Agrave", u"Aacute", u"Acirc",  u"Atilde", u"Auml",   u"Aring",  u"AElig",  u"Ccedil",
    u"Egrave", u"Eacute", u"Ecirc",  u"Euml",   u"Igrave", u"Iacute", u"Icirc",  u"Iuml",
    u"ETH",    u"Ntilde", u"Ograve", u"Oacute", u"Ocirc",  u"Otilde", u"Ouml",   u"times",
    u"Oslash", u"Ugrave", u"Uacute", u"Ucirc",  u"Uuml",   u"Yacute", u"THORN",  u"szlig",
    u"agrave", u"aacute", u"acirc",  u"atilde", u"auml",   u"aring",  u"aelig",  u"ccedil",
    u"egrave", u"eacute", u"ecirc",  u"euml",   u"igrave", u"iacute", u"icirc",  u"iuml",
    u"eth",    u"ntilde", u"ograve", u"oacute", u"ocirc",  u"otilde", u"ouml",   u"divide",
    u"oslash", u"ugrave", u"uacute", u"ucirc",  u"uuml",   u"yacute", u"thorn",  u"yuml",
};

constexpr NamedReference kMarkupNames[] = {
    {u"amp", u'&'}, {u"lt", u'<'}, {u"gt", u'>'}, {u"quot", u'"'}};

bool IsLowerLetter(char16_t c) { return c >= u'a' && c <= u'z'; }
bool IsNameChar(char16_t c) {
    return IsLowerLetter(c) || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9');
}
char16_t LowerAscii(char16_t c) { return (c >= u'A' && c <= u'Z') ? char16_t(c + 32) : c; }

// Whether `name` stands at `pos` and is not continued by a lower-case letter.
bool NameAt(std::u16string_view html, size_t pos, std::u16string_view name) {
    if (html.compare(pos, name.size(), name) != 0) return false;
    const size_t after = pos + name.size();
    return after >= html.size() || !IsLowerLetter(html[after]);
}

// The character of a reference starting after '&' at `pos`; sets `end` to
// the first unit after it (past a ';'). False for an '&' that stays.
bool TakeReference(std::u16string_view html, size_t pos, char16_t& unit, size_t& end) {
    size_t i = pos;
    if (i < html.size() && html[i] == u'#') {
        ++i;
        unsigned code = 0;
        size_t digits = 0;
        while (digits < 3 && i < html.size() && html[i] >= u'0' && html[i] <= u'9') {
            code = code * 10 + unsigned(html[i] - u'0');
            ++i;
            ++digits;
        }
        if (digits == 0) return false;
        unit = char16_t(code);
    } else {
        bool found = false;
        for (const NamedReference& r : kMarkupNames) {
            if (NameAt(html, i, r.name)) {
                unit = r.unit;
                i += r.name.size();
                found = true;
                break;
            }
        }
        for (size_t k = 0; !found && k < kLatin1Names.size(); ++k) {
            if (NameAt(html, i, kLatin1Names[k])) {
                unit = char16_t(0xA0 + k);
                i += kLatin1Names[k].size();
                found = true;
            }
        }
        if (!found) return false;
    }
    if (i < html.size() && html[i] == u';') ++i;
    end = i;
    return true;
}

bool StartsLine(std::u16string_view tag) {
    static constexpr std::u16string_view kTags[] = {u"br", u"div", u"h1", u"h2", u"h3", u"h4", u"h5", u"h6",
                                                    u"img", u"object", u"wbr", u"frame", u"p", u"th", u"li"};
    for (std::u16string_view t : kTags)
        if (tag == t) return true;
    return false;
}

struct TextOut {
    std::u16string text;
    bool pendingSpace = false;

    bool AtLineStart() const { return text.empty() || text.back() == u'\n'; }
    void Put(char16_t c) {
        if (pendingSpace && !AtLineStart()) text += u' ';
        pendingSpace = false;
        text += c;
    }
    void NewLine() {
        pendingSpace = false;
        if (!AtLineStart()) text += u"\r\n";
    }
};

}  // namespace

std::u16string HtmlToText(std::u16string_view html) {
    TextOut out;
    out.text.reserve(html.size() / 2);
    const size_t n = html.size();
    size_t i = 0;
    while (i < n) {
        const char16_t c = html[i];
        if (c == u'<') {
            const size_t close = html.find(u'>', i + 1);
            const size_t end = close == std::u16string_view::npos ? n : close;
            size_t k = i + 1;
            if (k < end && html[k] == u'/') ++k;
            std::u16string name;
            while (k < end && IsNameChar(html[k]) && name.size() < 8) name += LowerAscii(html[k++]);
            if ((k == end || !IsNameChar(html[k])) && StartsLine(name)) out.NewLine();
            i = close == std::u16string_view::npos ? n : close + 1;
        } else if (c == u'\r' || c == u'\n') {
            ++i;
        } else if (c == u' ' || c == u'\t') {
            out.pendingSpace = true;
            ++i;
        } else if (c == u'&') {
            char16_t unit = 0;
            size_t end = 0;
            if (TakeReference(html, i + 1, unit, end)) {
                if (unit != 0) out.Put(unit);
                i = end;
            } else {
                out.Put(u'&');
                ++i;
            }
        } else {
            out.Put(c);
            ++i;
        }
    }
    return out.text;
}

}  // namespace kx
