#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "convert/rtf_embedded_content.h"
#include "convert/rtf_reader.h"
#include "convert/rtf_to_html.h"
#include "convert/rtf_to_text.h"
#include "base/text.h"

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

TEST(RtfToHtml, WritesACompleteUtf8Document) {
    std::string html = Html("{\\rtf1\\ansi hello\\par}");
    EXPECT_EQ(html.rfind("<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.01 Transitional//EN\"", 0), 0u);
    EXPECT_NE(html.find("<html>"), std::string::npos);
    EXPECT_NE(html.find("charset=utf-8"), std::string::npos);
    EXPECT_NE(html.find("<body>"), std::string::npos);
    EXPECT_EQ(html.substr(html.size() - 18), "</body>\r\n</html>\r\n");
}

TEST(RtfToHtml, CharacterFormatsBecomeSpansAndGroupsRestoreThem) {
    std::string body = Body(
        "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\fswiss\\fcharset0 Arial;}{\\f1\\froman Times New Roman;}}"
        "\\f0\\fs20 plain {\\b bold {\\i both}} {\\ul under\\ulnone  off} {\\strike gone}"
        "\\f1\\fs23  roman\\par}");
    EXPECT_NE(body.find("<span style=\"font-family:'Arial',sans-serif;font-size:10pt\">plain </span>"),
              std::string::npos) << body;
    EXPECT_NE(body.find("font-size:10pt;font-weight:bold\">bold </span>"), std::string::npos) << body;
    EXPECT_NE(body.find("font-weight:bold;font-style:italic\">both</span>"), std::string::npos) << body;
    EXPECT_NE(body.find("text-decoration:underline\">under</span>"), std::string::npos) << body;
    EXPECT_NE(body.find("font-size:10pt\"> off </span>"), std::string::npos) << body;
    EXPECT_NE(body.find("text-decoration:line-through\">gone</span>"), std::string::npos) << body;
    EXPECT_NE(body.find("font-family:'Times New Roman',serif;font-size:11.5pt\"> roman"),
              std::string::npos) << body;
}

TEST(RtfToHtml, PlainResetsToTheDefaultFontAndTogglesTakeZero) {
    std::string body = Body(
        "{\\rtf1\\ansi\\deff1{\\fonttbl{\\f0 Arial;}{\\f1 Courier New;}}"
        "\\f0\\b\\i x\\b0 y\\plain z\\par}");
    EXPECT_NE(body.find("'Arial';font-size:12pt;font-weight:bold;font-style:italic\">x</span>"),
              std::string::npos) << body;
    EXPECT_NE(body.find("'Arial';font-size:12pt;font-style:italic\">y</span>"), std::string::npos) << body;
    EXPECT_NE(body.find("'Courier New';font-size:12pt\">z</span>"), std::string::npos) << body;
}

TEST(RtfToHtml, ColoursComeFromTheColourTable) {
    std::string body = Body(
        "{\\rtf1{\\colortbl ;\\red255\\green0\\blue0;\\red0\\green128\\blue255;}"
        "\\cf1 red \\cf0 auto \\highlight2 marked\\highlight0 {\\cb1 back} \\cf9 missing\\par}");
    EXPECT_NE(body.find("font-size:12pt;color:#ff0000\">red </span>"), std::string::npos) << body;
    EXPECT_NE(body.find("font-size:12pt\">auto </span>"), std::string::npos) << body;
    EXPECT_NE(body.find("background-color:#0080ff\">marked</span>"), std::string::npos) << body;
    EXPECT_NE(body.find("background-color:#ff0000\">back</span>"), std::string::npos) << body;
    EXPECT_NE(body.find("font-size:12pt\"> missing</span>"), std::string::npos) << body;
}

TEST(RtfToHtml, ParagraphsLinesAndAlignment) {
    std::string body = Body("{\\rtf1 one\\line two\\par\\pard\\qc mid\\par\\par\\pard last}");
    EXPECT_EQ(body,
              "\r\n<p style=\"margin:0\"><span style=\"font-size:12pt\">one<br>two</span></p>\r\n"
              "<p style=\"margin:0;text-align:center\"><span style=\"font-size:12pt\">mid</span></p>\r\n"
              "<p style=\"margin:0;text-align:center\"><br></p>\r\n"
              "<p style=\"margin:0\"><span style=\"font-size:12pt\">last</span></p>\r\n");
    EXPECT_EQ(Plain("{\\rtf1 one\\line two\\par\\pard\\qc mid\\par\\par\\pard last}"),
              "one\r\ntwo\r\nmid\r\n\r\nlast");
    // The final \par that RichEdit writes does not add an empty line.
    EXPECT_EQ(Plain("{\\rtf1 text\\par\r\n}"), "text");
}

TEST(RtfToHtml, TextIsEscapedForHtml) {
    std::string body = Body("{\\rtf1 a<b> & \"c\"\\tab d  e\\par}");
    EXPECT_NE(body.find("a&lt;b&gt; &amp; &quot;c&quot;<span style=\"white-space:pre\">\t</span>d &nbsp;e"),
              std::string::npos) << body;
}

TEST(RtfToHtml, FontNamesCannotBreakOutOfTheStyleAttribute) {
    std::string body = Body("{\\rtf1{\\fonttbl{\\f0 Evil\"'><script>;}}\\f0 x\\par}");
    EXPECT_NE(body.find("font-family:'Evilscript';"), std::string::npos) << body;
}

TEST(RtfToText, EscapesAndNamedCharacters) {
    EXPECT_EQ(Plain("{\\rtf1 \\{a\\}\\\\b\\~c\\-d\\_e}"), "{a}\\b\u00A0cd\u2011e");
    EXPECT_EQ(Plain("{\\rtf1 \\lquote x\\rquote  \\ldblquote y\\rdblquote  \\bullet \\emdash \\endash }"),
              "\u2018x\u2019 \u201Cy\u201D \u2022\u2014\u2013");
}

TEST(RtfToText, UnicodeFallbackIsSkippedNotDoubled) {
    EXPECT_EQ(Plain("{\\rtf1 caf\\u233?s}"), "caf\u00e9s");
    EXPECT_EQ(Plain("{\\rtf1 caf\\u233\\'e9s}"), "caf\u00e9s");
    EXPECT_EQ(Plain("{\\rtf1\\uc2 \\u8364 EUR}"), "\u20acR");
    EXPECT_EQ(Plain("{\\rtf1\\uc0 \\u8364 EUR}"), "\u20acEUR");
    // \uc belongs to the group.
    EXPECT_EQ(Plain("{\\rtf1{\\uc0 \\u8364}\\u8364?x}"), "\u20ac\u20acx");
    // A group brace ends the fallback early.
    EXPECT_EQ(Plain("{\\rtf1\\uc3 \\u8364{x}y}"), "\u20acxy");
    // Negative values and surrogate pairs, as RichEdit writes them.
    EXPECT_EQ(Plain("{\\rtf1 \\u-10179?\\u-8704?\\u-4064?}"), "\U0001F600\uF020");
}

TEST(RtfToText, AnsiBytesFollowTheDocumentAndFontCodePages) {
    EXPECT_EQ(Plain("{\\rtf1\\ansi\\ansicpg1252 caf\\'e9 \\'80\\'96\\'93}"), "caf\u00e9 \u20ac\u2013\u201c");
    EXPECT_EQ(Plain("{\\rtf1\\ansi\\ansicpg1251 \\'cf\\'f0\\'e8}"), "\u041f\u0440\u0438");
    EXPECT_EQ(Plain("{\\rtf1\\ansi\\ansicpg1253 \\'e1}"), "\u03b1");
    EXPECT_EQ(Plain("{\\rtf1\\ansi\\ansicpg1250 \\'b9}"), "\u0105");
    EXPECT_EQ(Plain("{\\rtf1\\ansi\\ansicpg1254 \\'fd}"), "\u0131");
    EXPECT_EQ(Plain("{\\rtf1\\ansi\\ansicpg1257 \\'e0}"), "\u0105");
    // A double-byte page is not tabled: its bytes read as 1252.
    EXPECT_EQ(Plain("{\\rtf1\\ansi\\ansicpg932 \\'e9}"), "\u00e9");
    // Raw 8-bit text goes through the same tables.
    EXPECT_EQ(Plain("{\\rtf1\\ansicpg1251 \xcf}"), "\u041f");
    // The font's character set wins over the document's code page.
    EXPECT_EQ(Plain("{\\rtf1\\ansi\\ansicpg1252{\\fonttbl{\\f0\\fcharset204 Arial;}{\\f1\\fcharset0 Arial;}}"
                    "\\f0\\'e0{\\f1\\'e0}}"),
              "\u0430\u00e0");
    // WordPad's bullets are Symbol's 0xB7.
    EXPECT_EQ(Plain("{\\rtf1{\\fonttbl{\\f1\\fcharset2 Symbol;}}{\\pntext\\f1\\'B7\\tab}item}"), "\u2022\titem");
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
    RtfDocument doc;
    ASSERT_TRUE(ReadRtf(rtf, doc, nullptr));
    ASSERT_NE(doc.FontAt(0), nullptr);
    EXPECT_EQ(doc.FontAt(0)->name, u"Arial");
    ASSERT_EQ(doc.colors.size(), 2u);
    EXPECT_TRUE(doc.colors[0].isAuto);
    EXPECT_EQ(doc.colors[1].blue, 3);
}

TEST(RtfToText, FontTableWithoutEntryGroups) {
    RtfDocument doc;
    ASSERT_TRUE(ReadRtf("{\\rtf1{\\fonttbl\\f0\\fswiss Arial ;\\f1\\fmodern Courier}\\f1 x}", doc, nullptr));
    ASSERT_NE(doc.FontAt(0), nullptr);
    ASSERT_NE(doc.FontAt(1), nullptr);
    EXPECT_EQ(doc.FontAt(0)->name, u"Arial");
    EXPECT_EQ(doc.FontAt(1)->name, u"Courier");
    EXPECT_EQ(doc.FontAt(1)->family, RtfFontFamily::Modern);
}

TEST(RtfToHtml, RejectsWhatIsNotRtf) {
    std::string html = "old", error;
    EXPECT_FALSE(RtfToHtml("hello", html, &error));
    EXPECT_TRUE(html.empty());
    EXPECT_NE(error.find("RTF"), std::string::npos);
    EXPECT_FALSE(RtfToHtml("", html, nullptr));
    EXPECT_FALSE(RtfToHtml("{\\rt", html, nullptr));
    EXPECT_TRUE(RtfToPlainText("{rtf1 x}").empty());
    // Leading blanks are allowed.
    EXPECT_EQ(Plain("\r\n {\\rtf1 x}"), "x");
}

TEST(RtfToText, UnbalancedBracesAndTruncatedInput) {
    // Missing closing braces: the text so far still counts.
    EXPECT_EQ(Plain("{\\rtf1 {\\b bold {\\i more"), "bold more");
    // Text after the outer group ends is not part of the document.
    EXPECT_EQ(Plain("{\\rtf1 in}}} out {"), "in");
    // Cut in the middle of escapes and parameters.
    // A broken \\' escape is dropped; what follows reads as text.
    EXPECT_EQ(Plain("{\\rtf1 a\\'e"), "ae");
    EXPECT_EQ(Plain("{\\rtf1 a\\'zz"), "azz");
    EXPECT_EQ(Plain("{\\rtf1 a\\"), "a\\");
    EXPECT_EQ(Plain("{\\rtf1 a\\u"), "a");
    EXPECT_EQ(Plain("{\\rtf1 a\\bin999999 xyz"), "a");
    // Parameters far beyond 32 bits are clamped, not wrapped.
    EXPECT_EQ(Plain("{\\rtf1\\uc99999999999 \\u99999999999 abcdefghijk}"), "\ufffdijk");
    EXPECT_EQ(Plain("{\\rtf1 \\u-99999 x}"), "\ufffd");
    std::string html = Html("{\\rtf1\\fs-5 a\\fs999999999999 b\\par}");
    EXPECT_NE(html.find("font-size:12pt\">a"), std::string::npos);
    EXPECT_NE(html.find("font-size:1638pt\">b"), std::string::npos);
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

TEST(RtfToHtml, RichEditDocument) {
    // As the RichEdit control of the editor writes a two-line shortcut.
    const char* rtf =
        "{\\rtf1\\ansi\\ansicpg1252\\deff0\\nouicompat\\deflang1033{\\fonttbl{\\f0\\fnil\\fcharset0 Calibri;}}\r\n"
        "{\\colortbl ;\\red0\\green0\\blue255;}\r\n"
        "{\\*\\generator Riched20 10.0.19041}\\viewkind4\\uc1 \r\n"
        "\\pard\\sa200\\sl276\\slmult1\\cf1\\b\\f0\\fs22\\lang9 Kind regards,\\cf0\\b0\\par\r\n"
        "\\i J\\u246?rg M\\'fcller\\i0\\par\r\n}\r\n";
    EXPECT_EQ(Plain(rtf), "Kind regards,\r\nJ\u00f6rg M\u00fcller");
    std::string body = Body(rtf);
    EXPECT_NE(body.find("<span style=\"font-family:'Calibri';font-size:11pt;color:#0000ff;font-weight:bold\">"
                        "Kind regards,</span>"),
              std::string::npos) << body;
    EXPECT_NE(body.find("font-style:italic\">J\u00f6rg M\u00fcller</span>"), std::string::npos) << body;
}

// A hyperlink field as RichEdit and Word write it: the instruction names the
// address, the result is the text shown.
std::string LinkRtf(std::string_view instruction, std::string_view shown = "the site") {
    return "{\\rtf1\\ansi see {\\field{\\*\\fldinst{" + std::string(instruction) + "}}{\\fldrslt{\\ul\\cf1 " +
           std::string(shown) + "}}} now\\par}";
}

TEST(RtfToHtml, HyperlinkFieldsBecomeLinks) {
    std::string body = Body(LinkRtf("HYPERLINK \"https://example.com/a?b=1&c=2\""));
    EXPECT_NE(body.find(">see </span><a href=\"https://example.com/a?b=1&amp;c=2\">"
                        "<span style=\"font-size:12pt;text-decoration:underline\">the site</span></a>"
                        "<span style=\"font-size:12pt\"> now</span>"),
              std::string::npos) << body;
    EXPECT_EQ(Plain(LinkRtf("HYPERLINK \"https://example.com/\"")), "see the site now");

    // Without the star, without quotes, in lower case, with switches after
    // the address, and mail addresses.
    EXPECT_NE(Body("{\\rtf1 {\\field{\\fldinst  hyperlink http://a.example/x }{\\fldrslt go}}\\par}")
                  .find("<a href=\"http://a.example/x\"><span style=\"font-size:12pt\">go</span></a>"),
              std::string::npos);
    EXPECT_NE(Body(LinkRtf("HYPERLINK \"mailto:j\\'f6rg@example.com\" \\o \"Mail\"")).find("<a href=\"mailto:j%C3%B6rg@example.com\">"),
              std::string::npos);
}

TEST(RtfToHtml, HyperlinkAddressesCannotBreakOutOfTheAttribute) {
    std::string body = Body(LinkRtf("HYPERLINK http://x.example/<b>\\'22onmouseover=alert(1)"));
    EXPECT_NE(body.find("<a href=\"http://x.example/%3Cb%3E%22onmouseover=alert(1)\">"), std::string::npos) << body;
    body = Body(LinkRtf("HYPERLINK \"http://x.example/a b\\'09c\\u233?\""));
    EXPECT_NE(body.find("<a href=\"http://x.example/a%20b%09c%C3%A9\">"), std::string::npos) << body;
}

TEST(RtfToHtml, OnlyWebAndMailLinksAreLinks) {
    for (std::string_view instruction :
         {"HYPERLINK \"javascript:alert(1)\"", "HYPERLINK \"file:///C:/x.txt\"", "HYPERLINK \\l \"mark\"",
          "HYPERLINK \" http\"", "HYPERLINKhttp://x.example/", "PAGE", "HYPERLINK \"https://open.example"}) {
        std::string body = Body(LinkRtf(instruction));
        EXPECT_EQ(body.find("<a"), std::string::npos) << instruction << body;
        EXPECT_NE(body.find("the site"), std::string::npos) << instruction << body;
    }
    // A field's result outside the field links nowhere, and text after a
    // link is plain again.
    std::string body = Body("{\\rtf1 {\\field{\\*\\fldinst HYPERLINK \"http://a.example/\"}{\\fldrslt one}}"
                            "{\\fldrslt two}\\par}");
    EXPECT_NE(body.find("one</span></a><span style=\"font-size:12pt\">two</span>"), std::string::npos) << body;
}

// Shared rich text loses what would make the pasting program act, and keeps
// what it shows.
TEST(StripEmbeddedContent, KeepsWhatIsShownAndDropsWhatActs) {
    struct Case {
        const char* what;
        std::string_view rtf, stripped;
    } cases[] = {
        {"plain formatting is untouched",
         "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}{\\*\\generator Riched20;}\\b bold\\b0  {}text\\par}",
         "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}{\\*\\generator Riched20;}\\b bold\\b0  {}text\\par}"},
        {"a picture and our own file name stay",
         "{\\rtf1{\\*\\KestrixFileName a.png}{\\pict\\wmetafile8\\picw10 0102}}",
         "{\\rtf1{\\*\\KestrixFileName a.png}{\\pict\\wmetafile8\\picw10 0102}}"},
        {"an object keeps only the picture it showed",
         "{\\rtf1 a{\\object\\objemb\\objw10{\\*\\objclass Package}{\\*\\objdata 0105}{\\result {\\pict 01}}}b}",
         "{\\rtf1 a{{{\\pict 01}}}b}"},
        {"a field keeps only its result text",
         "{\\rtf1 {\\field\\flddirty{\\*\\fldinst INCLUDETEXT \"\\\\\\\\srv\\\\x.doc\"}{\\fldrslt {\\b seen}}}.}",
         "{\\rtf1 {{{\\b seen}}}.}"},
        {"an unstarred instruction goes too",
         "{\\rtf1 {\\field{\\fldinst DDEAUTO c:\\\\windows\\\\system32\\\\cmd.exe}{\\fldrslt y}}}",
         "{\\rtf1 {{y}}}"},
        {"a field inside a result is stripped as well",
         "{\\field{\\*\\fldinst A}{\\fldrslt x{\\field{\\*\\fldinst B}{\\fldrslt y}}}}",
         "{{x{{y}}}}"},
        {"starred data and templates go, with their inner groups",
         "{\\rtf1{\\*\\template \\\\\\\\srv\\\\t.dotm}{\\*\\datastore {0105}}{\\*\\themedata 01}x}",
         "{\\rtf1x}"},
        {"a destination after formatting takes the rest of its group",
         "{\\rtf1{\\b\\*\\objdata 01}{\\i\\object{\\*\\objdata 02}{\\result r}}z}",
         "{\\rtf1{\\b}{\\i{r}}z}"},
        {"braces inside binary data do not end the group",
         "{\\rtf1{\\*\\objdata\\bin4 }}{{}x}",
         "{\\rtf1x}"},
        {"a star marks no word that follows a part left out",
         "{\\rtf1{\\*{\\objdata 1}\\datastore x}\\*{\\fldinst a}\\themedata y}",
         "{\\rtf1{\\datastore x}\\themedata y}"},
        {"stars that mark no word go", "{\\rtf1\\*\\*\\'41x{\\*\\*\\'42}}", "{\\rtf1\\'41x{\\'42}}"},
        {"an object cut short leaves nothing of it",
         "{\\rtf1 a{\\object{\\*\\objdata 01",
         "{\\rtf1 a{"},
    };
    for (const Case& c : cases) EXPECT_EQ(StripEmbeddedContent(c.rtf), c.stripped) << c.what;
}

}  // namespace
}  // namespace kx::test
