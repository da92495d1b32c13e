// Rich text as other programs read it: its HTML, its plain text, the
// "HTML Format" clip a browser is given, and what shared rich text keeps.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <string>

#include "convert/rtf_embedded_content.h"
#include "convert/rtf_reader.h"
#include "convert/rtf_to_html.h"
#include "convert/rtf_to_text.h"
#include "base/text.h"
#include "engine/output/browser_window.h"
#include "engine/output/html_clip.h"
#include "engine/output/rich_html_clip.h"

namespace kx::test {
namespace {

std::string Html(std::string_view rtf) {
    std::string html, error;
    EXPECT_TRUE(RtfToHtml(rtf, html, &error)) << error;
    return html;
}

std::string Plain(std::string_view rtf) { return Utf16ToUtf8(RtfToPlainText(rtf)); }

// The HTML between <body> and </body>.
std::string Body(std::string_view rtf) {
    std::string html = Html(rtf);
    size_t start = html.find("<body>");
    size_t end = html.find("</body>");
    EXPECT_NE(start, std::string::npos);
    EXPECT_NE(end, std::string::npos);
    return html.substr(start + 6, end - start - 6);
}

// A hyperlink field as RichEdit and Word write it: the instruction names the
// address, the result is the text shown.
std::string LinkRtf(std::string_view instruction, std::string_view shown = "the site") {
    return "{\\rtf1\\ansi see {\\field{\\*\\fldinst{" + std::string(instruction) + "}}{\\fldrslt{\\ul\\cf1 " +
           std::string(shown) + "}}} now\\par}";
}

// As the RichEdit control of the editor writes a two-line shortcut.
const char* const kRichEdit =
    "{\\rtf1\\ansi\\ansicpg1252\\deff0\\nouicompat\\deflang1033{\\fonttbl{\\f0\\fnil\\fcharset0 Calibri;}}\r\n"
    "{\\colortbl ;\\red0\\green0\\blue255;}\r\n"
    "{\\*\\generator Riched20 10.0.19041}\\viewkind4\\uc1 \r\n"
    "\\pard\\sa200\\sl276\\slmult1\\cf1\\b\\f0\\fs22\\lang9 Kind regards,\\cf0\\b0\\par\r\n"
    "\\i J\\u246?rg M\\'fcller\\i0\\par\r\n}\r\n";

// Each row: a document, and a piece its HTML body holds.
TEST(RtfToHtml, FormatsBecomeSpansThatGroupsRestoreAndTextIsEscaped) {
    const char* formats =
        "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\fswiss\\fcharset0 Arial;}{\\f1\\froman Times New Roman;}}"
        "\\f0\\fs20 plain {\\b bold {\\i both}} {\\ul under\\ulnone  off} {\\strike gone}\\f1\\fs23  roman\\par}";
    // \plain goes back to the default font; toggles take a zero.
    const char* plain = "{\\rtf1\\ansi\\deff1{\\fonttbl{\\f0 Arial;}{\\f1 Courier New;}}\\f0\\b\\i x\\b0 y\\plain z\\par}";
    const char* colours = "{\\rtf1{\\colortbl ;\\red255\\green0\\blue0;\\red0\\green128\\blue255;}"
                          "\\cf1 red \\cf0 auto \\highlight2 marked\\highlight0 {\\cb1 back} \\cf9 missing\\par}";
    const struct {
        std::string rtf;
        const char* part;
    } rows[] = {
        {formats, "<span style=\"font-family:'Arial',sans-serif;font-size:10pt\">plain </span>"},
        {formats, "font-size:10pt;font-weight:bold\">bold </span>"},
        {formats, "font-weight:bold;font-style:italic\">both</span>"},
        {formats, "text-decoration:underline\">under</span>"},
        {formats, "font-size:10pt\"> off </span>"},
        {formats, "text-decoration:line-through\">gone</span>"},
        {formats, "font-family:'Times New Roman',serif;font-size:11.5pt\"> roman"},
        {plain, "'Arial';font-size:12pt;font-weight:bold;font-style:italic\">x</span>"},
        {plain, "'Arial';font-size:12pt;font-style:italic\">y</span>"},
        {plain, "'Courier New';font-size:12pt\">z</span>"},
        {colours, "font-size:12pt;color:#ff0000\">red </span>"},
        {colours, "background-color:#0080ff\">marked</span>"},
        {colours, "background-color:#ff0000\">back</span>"},
        {colours, "font-size:12pt\"> missing</span>"},
        {"{\\rtf1 a<b> & \"c\"\\tab d  e\\par}",
         "a&lt;b&gt; &amp; &quot;c&quot;<span style=\"white-space:pre\">\t</span>d &nbsp;e"},
        // Font names cannot break out of the style attribute.
        {"{\\rtf1{\\fonttbl{\\f0 Evil\"'><script>;}}\\f0 x\\par}", "font-family:'Evilscript';"},
        // A font table without a group for each entry.
        {"{\\rtf1{\\fonttbl\\f0\\fswiss Arial ;\\f1\\fmodern Courier}\\f0 x\\f1 y\\par}", "'Arial',sans-serif;font-size:12pt\">x"},
        // Sizes far beyond 32 bits are clamped, not wrapped.
        {"{\\rtf1\\fs-5 a\\fs999999999999 b\\par}", "font-size:12pt\">a"},
        {"{\\rtf1\\fs-5 a\\fs999999999999 b\\par}", "font-size:1638pt\">b"},
        {kRichEdit, "<span style=\"font-family:'Calibri';font-size:11pt;color:#0000ff;font-weight:bold\">Kind regards,"},
        {kRichEdit, "font-style:italic\">J\u00f6rg M\u00fcller</span>"},
        // Hyperlink fields: with or without the star and the quotes, in lower
        // case, switches after the address, mail addresses; the address is
        // percent-encoded inside its attribute.
        {LinkRtf("HYPERLINK \"https://example.com/a?b=1&c=2\""),
         ">see </span><a href=\"https://example.com/a?b=1&amp;c=2\"><span style=\"font-size:12pt;"
         "text-decoration:underline\">the site</span></a><span style=\"font-size:12pt\"> now</span>"},
        {"{\\rtf1 {\\field{\\fldinst  hyperlink http://a.example/x }{\\fldrslt go}}\\par}",
         "<a href=\"http://a.example/x\"><span style=\"font-size:12pt\">go</span></a>"},
        {LinkRtf("HYPERLINK \"mailto:j\\'f6rg@example.com\" \\o \"Mail\""), "<a href=\"mailto:j%C3%B6rg@example.com\">"},
        {LinkRtf("HYPERLINK http://x.example/<b>\\'22onmouseover=alert(1)"),
         "<a href=\"http://x.example/%3Cb%3E%22onmouseover=alert(1)\">"},
        {LinkRtf("HYPERLINK \"http://x.example/a b\\'09c\\u233?\""), "<a href=\"http://x.example/a%20b%09c%C3%A9\">"},
        // A field's result outside the field links nowhere, and text after a
        // link is plain again.
        {"{\\rtf1 {\\field{\\*\\fldinst HYPERLINK \"http://a.example/\"}{\\fldrslt one}}{\\fldrslt two}\\par}",
         "one</span></a><span style=\"font-size:12pt\">two</span>"},
    };
    for (const auto& r : rows) {
        const std::string body = Body(r.rtf);
        EXPECT_NE(body.find(r.part), std::string::npos) << r.part << "\nin " << body;
    }
}

TEST(RtfToHtml, ParagraphsLinesAndAlignment) {
    std::string body = Body("{\\rtf1 one\\line two\\par\\pard\\qc mid\\par\\par\\pard last}");
    EXPECT_EQ(body,
              "\r\n<p style=\"margin:0\"><span style=\"font-size:12pt\">one<br>two</span></p>\r\n"
              "<p style=\"margin:0;text-align:center\"><span style=\"font-size:12pt\">mid</span></p>\r\n"
              "<p style=\"margin:0;text-align:center\"><br></p>\r\n"
              "<p style=\"margin:0\"><span style=\"font-size:12pt\">last</span></p>\r\n");
}

// Each row: a document and its plain text.
TEST(RtfToText, EscapesUnicodeCodePagesAndBrokenInput) {
    const struct {
        std::string rtf;
        const char* text;
    } rows[] = {
        {kRichEdit, "Kind regards,\r\nJ\u00f6rg M\u00fcller"},
        {LinkRtf("HYPERLINK \"https://example.com/\""), "see the site now"},
        {"{\\rtf1 one\\line two\\par\\pard\\qc mid\\par\\par\\pard last}", "one\r\ntwo\r\nmid\r\n\r\nlast"},
        {"{\\rtf1 text\\par\r\n}", "text"},  // RichEdit's final \par adds no empty line
        {"\r\n {\\rtf1 x}", "x"},            // leading blanks are allowed
        {"{\\rtf1 \\{a\\}\\\\b\\~c\\-d\\_e}", "{a}\\b\u00A0cd\u2011e"},
        {"{\\rtf1 \\lquote x\\rquote  \\ldblquote y\\rdblquote  \\bullet \\emdash \\endash }",
         "\u2018x\u2019 \u201Cy\u201D \u2022\u2014\u2013"},
        // The Unicode fallback is skipped, not doubled; \uc belongs to the
        // group, and a brace ends the fallback early.
        {"{\\rtf1 caf\\u233?s}", "caf\u00e9s"},
        {"{\\rtf1 caf\\u233\\'e9s}", "caf\u00e9s"},
        {"{\\rtf1\\uc2 \\u8364 EUR}", "\u20acR"},
        {"{\\rtf1\\uc0 \\u8364 EUR}", "\u20acEUR"},
        {"{\\rtf1{\\uc0 \\u8364}\\u8364?x}", "\u20ac\u20acx"},
        {"{\\rtf1\\uc3 \\u8364{x}y}", "\u20acxy"},
        {"{\\rtf1 \\u-10179?\\u-8704?\\u-4064?}", "\U0001F600\uF020"},  // negative, and surrogate pairs
        // ANSI bytes follow the document's code page, then the font's.
        {"{\\rtf1\\ansi\\ansicpg1252 caf\\'e9 \\'80\\'96\\'93}", "caf\u00e9 \u20ac\u2013\u201c"},
        {"{\\rtf1\\ansi\\ansicpg1251 \\'cf\\'f0\\'e8}", "\u041f\u0440\u0438"},
        {"{\\rtf1\\ansi\\ansicpg932 \\'e9}", "\u00e9"},  // a double-byte page is not tabled: 1252
        {"{\\rtf1\\ansicpg1251 \xcf}", "\u041f"},         // raw 8-bit text too
        {"{\\rtf1\\ansi\\ansicpg1252{\\fonttbl{\\f0\\fcharset204 Arial;}{\\f1\\fcharset0 Arial;}}\\f0\\'e0{\\f1\\'e0}}",
         "\u0430\u00e0"},
        {"{\\rtf1{\\fonttbl{\\f1\\fcharset2 Symbol;}}{\\pntext\\f1\\'B7\\tab}item}", "\u2022\titem"},  // WordPad's bullets
        // Missing closing braces keep the text so far; text after the outer
        // group is no part of it; input cut inside escapes and parameters.
        {"{\\rtf1 {\\b bold {\\i more", "bold more"},
        {"{\\rtf1 in}}} out {", "in"},
        {"{\\rtf1 a\\'e", "ae"},
        {"{\\rtf1 a\\bin999999 xyz", "a"},
        {"{\\rtf1\\uc99999999999 \\u99999999999 abcdefghijk}", "\ufffdijk"},  // clamped, not wrapped
        {"{\\rtf1 \\u-99999 x}", "\ufffd"},
    };
    for (const auto& r : rows) EXPECT_EQ(Plain(r.rtf), r.text) << r.rtf;
}

TEST(RtfToText, NonTextDestinationsAreSkipped) {
    const char* rtf =
        "{\\rtf1\\ansi{\\fonttbl{\\f0\\fnil{\\*\\panose 020b0604020202020204}Arial{\\*\\falt Helv};}}"
        "{\\colortbl;\\red1\\green2\\blue3;}{\\stylesheet{\\s0 Normal;}}"
        "{\\info{\\title T}{\\author A}}{\\*\\generator Riched20;}{\\header head}"
        "{\\*\\unknownthing secret {\\nested more}}"
        "{\\pict\\wmetafile8\\picw10 0102030405}{\\object{\\*\\objdata 00}{\\result}}"
        "{\\field{\\*\\fldinst HYPERLINK \"http://x\"}{\\fldrslt link}}"
        "{\\*\\bkmkstart b}visible{\\v hidden}\\bin3 }}}"
        " end}";
    EXPECT_EQ(Plain(rtf), "linkvisible end");
    // The font's name is read past its alternatives, and its colour too.
    const std::string body = Body(std::string(rtf).replace(std::string(rtf).find("visible"), 0, "\\f0\\cf1 "));
    EXPECT_NE(body.find("<span style=\"font-family:'Arial';font-size:12pt;color:#010203\">visible"), std::string::npos) << body;
}

TEST(RtfToHtml, WritesAWholeUtf8DocumentOrNoneForWhatIsNotRtf) {
    const std::string doc = Html("{\\rtf1\\ansi hello\\par}");
    EXPECT_EQ(doc.rfind("<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.01 Transitional//EN\"", 0), 0u);
    EXPECT_NE(doc.find("charset=utf-8"), std::string::npos);
    EXPECT_EQ(doc.substr(doc.size() - 18), "</body>\r\n</html>\r\n");
    std::string html = "old", error;
    EXPECT_FALSE(RtfToHtml("hello", html, &error));
    EXPECT_TRUE(html.empty());
    EXPECT_NE(error.find("RTF"), std::string::npos);
    EXPECT_FALSE(RtfToHtml("", html, nullptr));
    EXPECT_FALSE(RtfToHtml("{\\rt", html, nullptr));
    EXPECT_TRUE(RtfToPlainText("{rtf1 x}").empty());
}

TEST(RtfToText, DeepNestingIsBoundedAndFormatsRecover) {
    const size_t kDeep = kMaxRtfGroupDepth + 100;
    std::string rtf = "{\\rtf1 a";
    rtf += std::string(kDeep, '{') + "\\b x" + std::string(kDeep, '}');
    rtf += "y}";
    RtfDocument doc;
    ASSERT_TRUE(ReadRtf(rtf, doc, nullptr));
    ASSERT_EQ(doc.paragraphs.size(), 1u);
    const auto& runs = doc.paragraphs[0].runs;
    ASSERT_EQ(runs.size(), 3u);
    EXPECT_EQ(runs[1].text, u"x");
    EXPECT_TRUE(runs[1].format.bold);
    EXPECT_EQ(runs[2].text, u"y");
    EXPECT_FALSE(runs[2].format.bold);

    // A million open braces finish quickly.
    std::string huge = "{\\rtf1 " + std::string(1000000, '{') + "z";
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(Plain(huge), "z");
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
}

TEST(RtfToHtml, OnlyWebAndMailLinksAreLinks) {
    for (std::string_view instruction :
         {"HYPERLINK \"javascript:alert(1)\"", "HYPERLINK \"file:///C:/x.txt\"", "HYPERLINK \\l \"mark\"",
          "HYPERLINK \" http\"", "HYPERLINKhttp://x.example/", "PAGE", "HYPERLINK \"https://open.example"}) {
        std::string body = Body(LinkRtf(instruction));
        EXPECT_EQ(body.find("<a"), std::string::npos) << instruction << body;
        EXPECT_NE(body.find("the site"), std::string::npos) << instruction << body;
    }
}

// The four numbers of a clip's header.
struct Header {
    unsigned long long startHtml, endHtml, startFragment, endFragment;
};

Header ParseHeader(const std::string& clip) {
    Header h{};
    EXPECT_GE(clip.size(), kHtmlClipHeaderSize);
    EXPECT_EQ(std::sscanf(clip.c_str(),
                          "Version:1.0\r\nStartHTML:%10llu\r\nEndHTML:%10llu\r\n"
                          "StartFragment:%10llu\r\nEndFragment:%10llu\r\n\r\n",
                          &h.startHtml, &h.endHtml, &h.startFragment, &h.endFragment),
              4);
    return h;
}

// The fragment the header marks: between the body tags, or in the picture
// form between the fragment comments; without them the whole document but
// its last byte, as the ending offsets count.
TEST(HtmlClip, FragmentWithMissingMarkersAndInThePictureForm) {
    const std::string comments = "<body>ab<!--StartFragment-->IMG<!--EndFragment--></body>";
    const struct {
        std::string html;
        bool picture;
        std::string fragment;
    } rows[] = {
        {"<p>hi</p>", false, "<p>hi</p"},
        {comments, true, "IMG"},
        {comments, false, "ab<!--StartFragment-->IMG<!--EndFragment-->"},
        {"<body>no comments</body>", true, "<body>no comments</body"},
        {"", false, ""},
    };
    for (const auto& r : rows) {
        const std::string clip = MakeHtmlClip(r.html, r.picture);
        ASSERT_EQ(clip.size(), r.html.size() + 108) << r.html;
        const Header h = ParseHeader(clip);
        EXPECT_EQ(h.startHtml, 107u);
        EXPECT_EQ(h.endHtml, 106u + r.html.size()) << r.html;
        const size_t length = h.endFragment > h.startFragment ? h.endFragment - h.startFragment : 0;
        EXPECT_EQ(clip.substr(h.startFragment, length), r.fragment) << r.html;
        EXPECT_EQ(clip.substr(h.startHtml), r.html + '\0') << r.html;
    }
}

TEST(BrowserWindow, ClassNameRules) {
    for (const char16_t* name : {u"Chrome_WidgetWin_1", u"MozillaWindowClass", u"IEFrame", u"xxchromexx",
                                 u"myMOZILLAapp", u"{1c03b488-d53b-4a81-97f8-754559640193}",
                                 u"{1C03B488-D53B-4A81-97F8-754559640193}"})
        EXPECT_TRUE(IsBrowserWindowClass(name)) << std::string(name, name + std::char_traits<char16_t>::length(name));
    for (const char16_t* name : {u"ie-frame", u"OpusApp", u"", u"Chrom", u"{1C03B488-D53B-4a81-97F8-754559640193}x",
                                 u"Moz illa"})
        EXPECT_FALSE(IsBrowserWindowClass(name)) << std::string(name, name + std::char_traits<char16_t>::length(name));
    // Only the first 259 characters of a class name count.
    EXPECT_FALSE(IsBrowserWindowClass(std::u16string(259, u'a') + u"chrome"));
    EXPECT_TRUE(IsBrowserWindowClass(std::u16string(253, u'a') + u"chrome"));
}

// A rich expansion into a browser: the clip's fragment is the converted body.
TEST(RichHtmlClip, ConvertsTheRichTextIntoAClipAndNoRtfIntoNone) {
    auto entry = ShortcutEntry::Make(ShortcutKind::RichText, u"", "{\\rtf1\\ansi {\\b Hello} w\\'f6rld\\par}");
    entry->htmlClip = "previous";
    ASSERT_TRUE(BuildRichHtmlClip(*entry));
    const Header h = ParseHeader(entry->htmlClip);
    EXPECT_EQ(entry->htmlClip.substr(h.startFragment, h.endFragment - h.startFragment), Body(entry->richText));
    EXPECT_EQ(entry->htmlClip.substr(h.startHtml), Html(entry->richText) + '\0');
    entry->richText = "plain words, no RTF";
    EXPECT_FALSE(BuildRichHtmlClip(*entry));
    EXPECT_TRUE(entry->htmlClip.empty());
}

// Shared rich text loses what would make the pasting program act, and keeps
// what it shows.
TEST(StripEmbeddedContent, KeepsWhatIsShownAndDropsWhatActs) {
    struct Case {
        const char* what;
        std::string_view rtf, stripped;
    } cases[] = {
        {"plain formatting is untouched", "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}{\\*\\generator Riched20;}\\b bold\\b0  {}x}",
         "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}{\\*\\generator Riched20;}\\b bold\\b0  {}x}"},
        {"a picture and our own file name stay", "{\\rtf1{\\*\\KestrixFileName a.png}{\\pict\\wmetafile8\\picw10 0102}}",
         "{\\rtf1{\\*\\KestrixFileName a.png}{\\pict\\wmetafile8\\picw10 0102}}"},
        {"an object keeps only the picture it showed",
         "{\\rtf1 a{\\object\\objemb\\objw10{\\*\\objclass Package}{\\*\\objdata 0105}{\\result {\\pict 01}}}b}",
         "{\\rtf1 a{{{\\pict 01}}}b}"},
        {"a field keeps only its result text",
         "{\\rtf1 {\\field\\flddirty{\\*\\fldinst INCLUDETEXT \"\\\\\\\\srv\\\\x.doc\"}{\\fldrslt {\\b seen}}}.}",
         "{\\rtf1 {{{\\b seen}}}.}"},
        {"an unstarred instruction too", "{\\rtf1 {\\field{\\fldinst DDEAUTO c:\\\\cmd.exe}{\\fldrslt y}}}", "{\\rtf1 {{y}}}"},
        {"a field inside a result", "{\\field{\\*\\fldinst A}{\\fldrslt x{\\field{\\*\\fldinst B}{\\fldrslt y}}}}",
         "{{x{{y}}}}"},
        {"starred data and templates go, with their inner groups",
         "{\\rtf1{\\*\\template \\\\\\\\srv\\\\t.dotm}{\\*\\datastore {0105}}{\\*\\themedata 01}x}", "{\\rtf1 x}"},
        // Found by the fuzzer: a left-out part ran "\fldi" on into "nst".
        {"what is left out never joins the words around it",
         "{\\rtf1\\fldi{\\*\\datastore x}nst y\\b\\*z a\\\\b{\\*\\datastore 1}c}", "{\\rtf1\\fldi nst y\\b z a\\\\bc}"},
        {"a destination after formatting takes the rest of its group",
         "{\\rtf1{\\b\\*\\objdata 01}{\\i\\object{\\*\\objdata 02}{\\result r}}z}", "{\\rtf1{\\b}{\\i{r}}z}"},
        {"braces inside binary data do not end the group", "{\\rtf1{\\*\\objdata\\bin4 }}{{}x}", "{\\rtf1 x}"},
        {"a star marks no word that follows a part left out",
         "{\\rtf1{\\*{\\objdata 1}\\datastore x}\\*{\\fldinst a}\\themedata y}", "{\\rtf1{\\datastore x}\\themedata y}"},
        {"stars that mark no word go", "{\\rtf1\\*\\*\\'41x{\\*\\*\\'42}}", "{\\rtf1\\'41x{\\'42}}"},
        {"an object cut short leaves nothing of it", "{\\rtf1 a{\\object{\\*\\objdata 01", "{\\rtf1 a{"},
    };
    for (const Case& c : cases) EXPECT_EQ(StripEmbeddedContent(c.rtf), c.stripped) << c.what;
}

}  // namespace
}  // namespace kx::test
