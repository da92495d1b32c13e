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
        "tO:   bob@example.com  \r\n"
        "Subject: Quarterly\r\n\tfigures =?ISO-8859-1?Q?f=FCr_Q3?=\r\n  =?utf-8?q?and_Q4?=\r\n"
        "\r\nBody line\r\n");
    EXPECT_TRUE(item.valid);
    EXPECT_EQ(item.from, U16("Anna M\xC3\xBCller <anna@example.com>"));
    EXPECT_EQ(item.to, u"bob@example.com");
    // Blanks between two encoded words go; a continuation joins with one space.
    EXPECT_EQ(item.subject, U16("Quarterly figures f\xC3\xBCr Q3and Q4"));
    EXPECT_EQ(item.body, u"Body line\r\n");
    // Broken encoded words stay as written, and thousands of openings without
    // a closing leave a good word after them decoded.
    EXPECT_EQ(DecodeHeaderValue("=?utf-8?X?abc?= =?utf-8?B?YWJj"), u"=?utf-8?X?abc?= =?utf-8?B?YWJj");
    std::string many;
    for (int i = 0; i < 3000; ++i) many += "=?utf-8?q?a";
    EXPECT_EQ(DecodeHeaderValue(many + " x?= =?utf-8?q?caf=C3=A9?="), Utf8ToUtf16(many + " x?= ") + U16("caf\xC3\xA9"));
}

// Each row: a message, and the body the scanners feed.
TEST(MailMime, BodiesThroughEncodingsCharsetsAndParts) {
    const struct {
        std::string message;
        std::u16string body;
    } rows[] = {
        {"Content-Transfer-Encoding: quoted-printable\r\nContent-Type: text/plain; charset=\"utf-8\"\r\n\r\n"
         "caf=C3=A9 is a long line that the mailer =\r\nbroke, =3D kept, =ZZ too",
         U16("caf\xC3\xA9 is a long line that the mailer broke, = kept, =ZZ too")},
        // Without a UTF-8 charset the decoded bytes are the characters.
        {"Content-Transfer-Encoding: quoted-printable\r\nContent-Type: text/plain; charset=iso-8859-1\r\n\r\ncaf=E9",
         u"caf\u00e9"},
        {"Content-Transfer-Encoding: BASE64\r\n\r\nSGVsbG8s\r\nIHdvcmxk\r\nIQ==\r\n", u"Hello, world!"},
        {"Content-Transfer-Encoding: 8bit\r\n\r\nplain =41 text", u"plain =41 text"},
        // The first part is fed, and nested parts recurse.
        {"Content-Type: multipart/mixed;\r\n boundary=\"outer\"\r\n\r\nThis is a multi-part message.\r\n--outer\r\n"
         "Content-Type: multipart/alternative; boundary=inner\r\n\r\n--inner\r\n"
         "Content-Type: text/plain; charset=utf-8\r\nContent-Transfer-Encoding: quoted-printable\r\n\r\n"
         "Plain part=2E\r\n--inner\r\nContent-Type: text/html\r\n\r\n<p>HTML part</p>\r\n--inner--\r\n"
         "--outer\r\nContent-Type: application/pdf\r\n\r\nJVBERi0=\r\n--outer--\r\n",
         u"Plain part."},
        {"Content-Type: multipart/alternative; boundary=b\r\n\r\n--b\r\nContent-Type: text/html\r\n\r\n"
         "<div>Hello&nbsp;there</div>\r\n--b--\r\n",
         u"Hello\u00a0there\r\n"},
        // A boundary that never appears leaves no text rather than the raw body.
        {"Content-Type: multipart/mixed; boundary=zz\r\n\r\nno parts here\r\n", u""},
    };
    for (const auto& r : rows) EXPECT_EQ(Parse(r.message).body, r.body) << r.message;
}

// Each row: HTML, and its text.
TEST(MailHtml, TagsLinesBlanksAndCharacterReferences) {
    const struct {
        std::u16string html, text;
    } rows[] = {
        {u"<html><body>\r\n  Hello   <b>big</b>\tworld<br>  next\nline<P>para</p>"
         u"<ul><li>one<li>two</ul><span>x</span><h2>Head</h2><table><tr><th>t</th></tr></table>",
         u"Hello big world\r\nnextline\r\npara\r\none\r\ntwox\r\nHead\r\nt\r\n"},
        // Only whole tag names start lines: <pre>, <bread> and <hr> do not.
        {u"a<pre>b<bread>c<hr>d<img src=x>e", u"abcd\r\ne"},
        {u"unclosed <b", u"unclosed"},
        {u"&amp;copy;", u"&copy;"},
        {u"&copy 2026", u"\u00a9 2026"},
        {u"&#65;&#0661;", u"AB1;"},  // at most three digits
        {u"&copyright &AElig;&aelig;&yuml;&frac34;&lt;b&gt;&quot;", u"&copyright \u00c6\u00e6\u00ff\u00be<b>\""},
        {u"AT&T &# &unknown; &", u"AT&T &# &unknown; &"},
        {u"&ampX&amp;;", u"&X&;"},  // a capital after the name ends it; a ';' after it is skipped once
    };
    for (const auto& r : rows) EXPECT_EQ(HtmlToText(r.html), r.text) << U8(r.html);
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
