#include "core/import/html_to_rtf.h"

#include <cstdint>

#include "base/text.h"

namespace kx {
namespace {

struct Entity {
    std::u16string_view name;
    char16_t ch;
};
constexpr Entity kEntities[] = {{u"amp", u'&'},  {u"lt", u'<'},    {u"gt", u'>'},     {u"quot", u'"'},
                                {u"apos", u'\''}, {u"nbsp", 0xA0}, {u"copy", 0xA9}, {u"reg", 0xAE},
                                {u"euro", 0x20AC}, {u"hellip", 0x2026}, {u"mdash", 0x2014}, {u"ndash", 0x2013}};

struct Writer {
    std::string rtf;
    bool spacePending = false;  // collapsed white space not yet written
    bool atLineStart = true;

    void Char(char32_t c) {
        if (spacePending && !atLineStart) Raw(" ");
        spacePending = false;
        atLineStart = false;
        if (c == '\\' || c == '{' || c == '}') {
            rtf += '\\';
            rtf += char(c);
        } else if (c == '\t') {
            rtf += "\\tab ";
        } else if (c < 0x80) {
            rtf += char(c);
        } else if (c > 0xFFFF) {
            const char32_t v = c - 0x10000;
            Unit(char16_t(0xD800 + (v >> 10)));
            Unit(char16_t(0xDC00 + (v & 0x3FF)));
        } else {
            Unit(char16_t(c));
        }
    }
    void Unit(char16_t u) { rtf += "\\u" + std::to_string(int16_t(u)) + "?"; }
    void Raw(const char* s) { rtf += s; }
    // A formatting change keeps the space before it: "Be <b>bold</b>".
    void Control(const char* word) {
        if (spacePending && !atLineStart) rtf += ' ';
        spacePending = false;
        rtf += word;
    }
    void Break(const char* word) {
        spacePending = false;
        rtf += word;
        atLineStart = true;
    }
};

bool NameIs(std::u16string_view tag, std::u16string_view name) { return EqualsNoCaseAscii(tag, name); }

}  // namespace

std::string HtmlToRtf(std::u16string_view html) {
    Writer w;
    w.rtf = "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fswiss Arial;}}\\f0\\fs20 ";
    bool anyParagraph = false;
    size_t skipUntil = std::u16string_view::npos;  // inside <script> or <style>
    std::u16string_view skipTag;
    for (size_t i = 0; i < html.size();) {
        const char16_t c = html[i];
        if (c == u'<') {
            const size_t close = html.find(u'>', i);
            if (close == std::u16string_view::npos) {
                w.Char(c);
                ++i;
                continue;
            }
            std::u16string_view tag = html.substr(i + 1, close - i - 1);
            i = close + 1;
            if (tag.substr(0, 3) == u"!--") {
                const size_t end = html.find(u"-->", i - 1);
                i = end == std::u16string_view::npos ? html.size() : end + 3;
                continue;
            }
            const bool closing = !tag.empty() && tag[0] == u'/';
            if (closing) tag.remove_prefix(1);
            size_t nameEnd = 0;
            while (nameEnd < tag.size() && tag[nameEnd] != u' ' && tag[nameEnd] != u'/' && tag[nameEnd] != u'\t' &&
                   tag[nameEnd] != u'\n' && tag[nameEnd] != u'\r')
                ++nameEnd;
            const std::u16string_view name = tag.substr(0, nameEnd);
            if (skipUntil != std::u16string_view::npos) {
                if (closing && NameIs(name, skipTag)) skipUntil = std::u16string_view::npos;
                continue;
            }
            if (!closing && (NameIs(name, u"script") || NameIs(name, u"style"))) {
                skipUntil = 0;
                skipTag = NameIs(name, u"script") ? u"script" : u"style";
            } else if (NameIs(name, u"b") || NameIs(name, u"strong")) {
                w.Control(closing ? "\\b0 " : "\\b ");
            } else if (NameIs(name, u"i") || NameIs(name, u"em")) {
                w.Control(closing ? "\\i0 " : "\\i ");
            } else if (NameIs(name, u"u") || NameIs(name, u"ins")) {
                w.Control(closing ? "\\ulnone " : "\\ul ");
            } else if (NameIs(name, u"s") || NameIs(name, u"strike") || NameIs(name, u"del")) {
                w.Control(closing ? "\\strike0 " : "\\strike ");
            } else if (NameIs(name, u"br")) {
                w.Break("\\line ");
            } else if (NameIs(name, u"p") || NameIs(name, u"div") || NameIs(name, u"li") || NameIs(name, u"tr") ||
                       (name.size() == 2 && (name[0] == u'h' || name[0] == u'H') && name[1] >= u'1' && name[1] <= u'6')) {
                const bool heading = name.size() == 2 && name[1] >= u'1' && name[1] <= u'6';
                if (!closing) {
                    if (anyParagraph && !w.atLineStart) w.Break("\\par ");
                    if (NameIs(name, u"li")) {
                        w.Char(0x2022);
                        w.Char(u' ');
                    }
                    if (heading) w.Control("\\b ");
                } else {
                    if (heading) w.Control("\\b0 ");
                    if (!w.atLineStart) w.Break("\\par ");
                }
                anyParagraph = true;
            }
            continue;
        }
        ++i;
        if (skipUntil != std::u16string_view::npos) continue;
        if (c == u' ' || c == u'\t' || c == u'\r' || c == u'\n') {
            w.spacePending = true;
            continue;
        }
        if (c == u'&') {
            const size_t semi = html.find(u';', i);
            if (semi != std::u16string_view::npos && semi - i <= 10) {
                const std::u16string_view ent = html.substr(i, semi - i);
                char32_t value = 0;
                if (!ent.empty() && ent[0] == u'#') {
                    const bool hex = ent.size() > 1 && (ent[1] == u'x' || ent[1] == u'X');
                    for (size_t k = hex ? 2 : 1; k < ent.size(); ++k) {
                        const int d = ent[k] < 0x80 ? HexDigitValue(char(ent[k])) : -1;
                        if (d < 0 || (!hex && d > 9)) {
                            value = 0;
                            break;
                        }
                        value = value * (hex ? 16 : 10) + char32_t(d);
                        if (value > 0x10FFFF) break;
                    }
                    if (value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) value = 0;
                } else {
                    for (const Entity& e : kEntities)
                        if (e.name == ent) value = e.ch;
                }
                if (value != 0) {
                    w.Char(value);
                    i = semi + 1;
                    continue;
                }
            }
        }
        // A surrogate pair arrives as two units; write each as its own \u.
        if (c >= 0xD800 && c <= 0xDFFF) {
            if (w.spacePending && !w.atLineStart) w.Raw(" ");
            w.spacePending = false;
            w.atLineStart = false;
            w.Unit(c);
            continue;
        }
        w.Char(c);
    }
    // A closing paragraph at the very end adds no empty line.
    constexpr std::string_view kPar = "\\par ";
    while (w.rtf.size() >= kPar.size() && w.rtf.compare(w.rtf.size() - kPar.size(), kPar.size(), kPar) == 0)
        w.rtf.resize(w.rtf.size() - kPar.size());
    w.rtf += "}";
    return w.rtf;
}

}  // namespace kx
