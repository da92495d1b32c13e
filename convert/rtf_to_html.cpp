#include "convert/rtf_to_html.h"

#include "convert/rtf_link.h"
#include "convert/rtf_reader.h"
#include "base/text.h"

namespace kx {
namespace {

constexpr std::string_view kHead =
    "<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.01 Transitional//EN\" "
    "\"http://www.w3.org/TR/html4/loose.dtd\">\r\n"
    "<html>\r\n<head>\r\n"
    "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\">\r\n"
    "</head>\r\n<body>\r\n";
constexpr std::string_view kTail = "</body>\r\n</html>\r\n";

const char* GenericFamily(RtfFontFamily f) {
    switch (f) {
        case RtfFontFamily::Roman: return "serif";
        case RtfFontFamily::Swiss: return "sans-serif";
        case RtfFontFamily::Modern: return "monospace";
        case RtfFontFamily::Script: return "cursive";
        case RtfFontFamily::Decor: return "fantasy";
        default: return nullptr;
    }
}

// A font name made safe inside a single-quoted CSS string inside a
// double-quoted attribute.
std::string CssFontName(std::u16string_view name) {
    std::u16string kept;
    for (char16_t c : name) {
        if (c < 0x20 || c == 0x7F || c == u'\'' || c == u'"' || c == u'\\' || c == u'<' || c == u'>' ||
            c == u'&' || c == u';' || c == u'{' || c == u'}')
            continue;
        kept.push_back(c);
    }
    return Utf16ToUtf8(kept);
}

void AppendColor(std::string& out, const char* property, const RtfColor& c) {
    static const char kHex[] = "0123456789abcdef";
    out += property;
    out += ":#";
    for (uint8_t v : {c.red, c.green, c.blue}) {
        out += kHex[v >> 4];
        out += kHex[v & 15];
    }
    out += ';';
}

std::string SpanStyle(const RtfDocument& doc, const RtfCharFormat& f) {
    std::string css;
    if (const RtfFont* font = doc.FontAt(f.font)) {
        std::string name = CssFontName(font->name);
        const char* generic = GenericFamily(font->family);
        if (!name.empty() || generic) {
            css += "font-family:";
            if (!name.empty()) css += "'" + name + "'";
            if (!name.empty() && generic) css += ',';
            if (generic) css += generic;
            css += ';';
        }
    }
    css += "font-size:" + std::to_string(f.halfPoints / 2);
    if (f.halfPoints % 2) css += ".5";
    css += "pt;";
    if (const RtfColor* c = doc.ColorAt(f.color)) AppendColor(css, "color", *c);
    if (const RtfColor* c = doc.ColorAt(f.background)) AppendColor(css, "background-color", *c);
    if (f.bold) css += "font-weight:bold;";
    if (f.italic) css += "font-style:italic;";
    if (f.underline && f.strike) css += "text-decoration:underline line-through;";
    else if (f.underline) css += "text-decoration:underline;";
    else if (f.strike) css += "text-decoration:line-through;";
    if (f.vertical == RtfVertical::Super) css += "vertical-align:super;";
    if (f.vertical == RtfVertical::Sub) css += "vertical-align:sub;";
    css.pop_back();  // the last ';'
    return css;
}

void Append(std::u16string& out, std::string_view ascii) { out.append(ascii.begin(), ascii.end()); }

// Escapes a run's text. Browsers collapse blanks, while every blank in RTF
// counts, so a blank at the start of a line or after another becomes &nbsp;.
void AppendEscaped(std::u16string& out, std::u16string_view text, bool& lineStart, bool& afterBlank) {
    for (char16_t c : text) {
        bool blank = false;
        switch (c) {
            case u'&': Append(out, "&amp;"); break;
            case u'<': Append(out, "&lt;"); break;
            case u'>': Append(out, "&gt;"); break;
            case u'"': Append(out, "&quot;"); break;
            case u'\n': Append(out, "<br>"); lineStart = true; afterBlank = false; continue;
            case u'\t': Append(out, "<span style=\"white-space:pre\">\t</span>"); break;
            case u' ':
                if (lineStart || afterBlank) Append(out, "&nbsp;");
                else out.push_back(u' ');
                blank = true;
                break;
            default:
                if (c < 0x20 || (c >= 0x7F && c <= 0x9F)) continue;  // control characters
                out.push_back(c);
        }
        lineStart = false;
        afterBlank = blank;
    }
}

const char* AlignStyle(RtfAlign a) {
    switch (a) {
        case RtfAlign::Center: return ";text-align:center";
        case RtfAlign::Right: return ";text-align:right";
        case RtfAlign::Justify: return ";text-align:justify";
        default: return "";
    }
}

}  // namespace

std::string RenderHtml(const RtfDocument& doc) {
    std::string html(kHead);
    for (const RtfParagraph& p : doc.paragraphs) {
        html += "<p style=\"margin:0";
        html += AlignStyle(p.align);
        html += "\">";
        bool lineStart = true, afterBlank = false;
        // Runs that differ only in what HTML does not show (a colour index
        // past the table, say) share one span.
        std::string style;
        std::u16string text;
        std::u16string link;  // of the <a> open now, if any
        bool empty = true;
        auto flush = [&] {
            if (text.empty()) return;
            html += "<span style=\"" + style + "\">";
            html += Utf16ToUtf8(text);
            html += "</span>";
            text.clear();
            empty = false;
        };
        for (const RtfRun& run : p.runs) {
            std::string runStyle = SpanStyle(doc, run.format);
            if (runStyle != style || run.link != link) {
                flush();
                style = std::move(runStyle);
            }
            if (run.link != link) {
                if (!link.empty()) html += "</a>";
                if (!run.link.empty()) html += "<a href=\"" + HrefAttributeValue(run.link) + "\">";
                link = run.link;
            }
            AppendEscaped(text, run.text, lineStart, afterBlank);
        }
        flush();
        if (!link.empty()) html += "</a>";
        // An empty paragraph still takes a line.
        if (empty) html += "<br>";
        html += "</p>\r\n";
    }
    html += kTail;
    return html;
}

bool RtfToHtml(std::string_view rtf, std::string& html, std::string* error) {
    html.clear();
    RtfDocument doc;
    if (!ReadRtf(rtf, doc, error)) return false;
    html = RenderHtml(doc);
    return true;
}

}  // namespace kx
