// Sent mail as the scanners read it: headers, encodings, multipart, HTML and
// the subject rules.
#include <gtest/gtest.h>

#include "base/text.h"
#include "learn/mail/html_to_text.h"
#include "learn/mail/mime_decode.h"
#include "learn/mail/mime_message.h"
#include "learn/mail/subject_rules.h"

namespace kx {
namespace {

MailItem Parse(std::string_view message) {
    MailItem item;
    ParseMailMessage(message, item);
    return item;
}

TEST(MailMime, HeadersJoinContinuationsAndDecodeEncodedWords) {
    const MailItem item = Parse(
        "From: =?UTF-8?B?QW5uYSBNw7xsbGVy?= <anna@example.com>\r\n"
        "To:   bob@example.com  \r\n"
        "Subject: Quarterly\r\n"
        "\tfigures =?ISO-8859-1?Q?f=FCr_Q3?=\r\n"
        "  =?utf-8?q?and_Q4?=\r\n"
        "\r\n"
        "Body line\r\n");
    EXPECT_TRUE(item.valid);
    EXPECT_EQ(item.from, U16("Anna M\xC3\xBCller <anna@example.com>"));
    EXPECT_EQ(item.to, u"bob@example.com");
    // Blanks between two encoded words go; a continuation joins with one space.
    EXPECT_EQ(item.subject, U16("Quarterly figures f\xC3\xBCr Q3and Q4"));
    EXPECT_EQ(item.body, u"Body line\r\n");
}

TEST(MailMime, HeaderNamesAreCaseBlindAndMissingOnesEmpty) {
    const auto headers = ParseMailHeaders("SUBJECT: a: b\r\nX-Odd\r\n continued\r\nFrom:x\r\n");
    EXPECT_EQ(HeaderValue(headers, "subject"), u"a: b");
    EXPECT_EQ(HeaderValue(headers, "from"), u"x");
    EXPECT_EQ(HeaderValue(headers, "to"), u"");
    // A broken encoded word stays as written.
    EXPECT_EQ(DecodeHeaderValue("=?utf-8?X?abc?= =?utf-8?B?YWJj"), u"=?utf-8?X?abc?= =?utf-8?B?YWJj");
    // Openings without closings, and openings whose closing lies past a
    // blank, stay as written; a good word after them is still decoded.
    std::string many;
    for (int i = 0; i < 3000; ++i) many += "=?utf-8?q?a";
    EXPECT_EQ(DecodeHeaderValue(many), Utf8ToUtf16(many));
    EXPECT_EQ(DecodeHeaderValue(many + " x?= =?utf-8?q?caf=C3=A9?="), Utf8ToUtf16(many + " x?= ") + U16("caf\xC3\xA9"));
}

TEST(MailMime, TransferEncodingsAndCharsets) {
    EXPECT_EQ(Parse("Content-Transfer-Encoding: quoted-printable\r\n"
                    "Content-Type: text/plain; charset=\"utf-8\"\r\n\r\n"
                    "caf=C3=A9 is a very long line that the mailer =\r\nbroke, =3D kept, =ZZ too")
                  .body,
              U16("caf\xC3\xA9 is a very long line that the mailer broke, = kept, =ZZ too"));
    // Without a UTF-8 charset the decoded bytes are the characters.
    EXPECT_EQ(Parse("Content-Transfer-Encoding: quoted-printable\r\nContent-Type: text/plain; charset=iso-8859-1\r\n\r\n"
                    "caf=E9")
                  .body,
              u"caf\u00e9");
    EXPECT_EQ(Parse("Content-Transfer-Encoding: BASE64\r\n\r\nSGVsbG8s\r\nIHdvcmxk\r\nIQ==\r\n").body, u"Hello, world!");
    EXPECT_EQ(Parse("Content-Transfer-Encoding: 8bit\r\n\r\nplain =41 text").body, u"plain =41 text");
}

TEST(MailMime, MultipartFeedsTheFirstPartAndNestedPartsRecurse) {
    const MailItem item = Parse(
        "Subject: offer\r\n"
        "Content-Type: multipart/mixed;\r\n boundary=\"outer\"\r\n\r\n"
        "This is a multi-part message.\r\n"
        "--outer\r\n"
        "Content-Type: multipart/alternative; boundary=inner\r\n\r\n"
        "--inner\r\n"
        "Content-Type: text/plain; charset=utf-8\r\n"
        "Content-Transfer-Encoding: quoted-printable\r\n\r\n"
        "Plain part=2E\r\n"
        "--inner\r\n"
        "Content-Type: text/html\r\n\r\n"
        "<p>HTML part</p>\r\n"
        "--inner--\r\n"
        "--outer\r\n"
        "Content-Type: application/pdf\r\n\r\nJVBERi0=\r\n"
        "--outer--\r\n");
    EXPECT_EQ(item.body, u"Plain part.");

    const MailText html = ParseMailText(
        "Content-Type: multipart/alternative; boundary=b\r\n\r\n--b\r\nContent-Type: text/html\r\n\r\n"
        "<div>Hello&nbsp;there</div>\r\n--b--\r\n");
    EXPECT_TRUE(html.html);
    EXPECT_EQ(html.text, u"Hello\u00a0there\r\n");
    // A boundary that never appears leaves no text rather than the raw body.
    EXPECT_EQ(Parse("Content-Type: multipart/mixed; boundary=zz\r\n\r\nno parts here\r\n").body, u"");
}

TEST(MailHtml, TagsLinesAndBlanks) {
    EXPECT_EQ(HtmlToText(u"<html><body>\r\n  Hello   <b>big</b>\tworld<br>  next\nline<P>para</p>"
                         u"<ul><li>one<li>two</ul><span>x</span><h2>Head</h2><table><tr><th>t</th></tr></table>"),
              u"Hello big world\r\nnextline\r\npara\r\none\r\ntwox\r\nHead\r\nt\r\n");
    // Only whole tag names start lines: <pre>, <bread> and <hr> do not.
    EXPECT_EQ(HtmlToText(u"a<pre>b<bread>c<hr>d<img src=x>e"), u"abcd\r\ne");
    EXPECT_EQ(HtmlToText(u"unclosed <b"), u"unclosed");
}

TEST(MailHtml, CharacterReferences) {
    EXPECT_EQ(HtmlToText(u"&amp;copy;"), u"&copy;");
    EXPECT_EQ(HtmlToText(u"&copy 2026"), u"\u00a9 2026");
    // At most three digits: "&#0661;" is 'B' followed by "1;".
    EXPECT_EQ(HtmlToText(u"&#65;&#0661;"), u"AB1;");
    EXPECT_EQ(HtmlToText(u"&copyright &AElig;&aelig;&yuml;&frac34;&lt;b&gt;&quot;"),
              u"&copyright \u00c6\u00e6\u00ff\u00be<b>\"");
    EXPECT_EQ(HtmlToText(u"AT&T &# &unknown; &"), u"AT&T &# &unknown; &");
    // A capital after the name ends it; a following ';' is skipped once.
    EXPECT_EQ(HtmlToText(u"&ampX&amp;;"), u"&X&;");
}

// Each row: a subject, and whether the Thunderbird and the Outlook scans
// feed the message (replies and forwards are not the user's own words).
TEST(MailSubjects, ThunderbirdAndOutlookRules) {
    const struct {
        const char16_t* subject;
        bool thunderbird, outlook;
    } rows[] = {
        {u"RE: offer", false, false}, {u"FW:offer", false, false}, {u"Re: offer", false, true},
        {u"Fw: offer", false, true},  {u"re: offer", true, true},  {u"Fwd: offer", true, true},
        {u" RE: offer", true, true},
    };
    for (const auto& r : rows) {
        EXPECT_EQ(ThunderbirdFeedsSubject(r.subject), r.thunderbird) << U8(r.subject);
        EXPECT_EQ(OutlookFeedsSubject(r.subject), r.outlook) << U8(r.subject);
    }
    EXPECT_EQ(ThunderbirdFeedText(u"a\r\n_b\r\n__c_\n_d"), u"a\r\nb\r\n_c_\n_d");
}

}  // namespace
}  // namespace kx
