// Sent mail from the mailbox to the dictionary: the mailbox reader against
// mailboxes written here (separators, blocks, resume positions, several
// mailboxes, overlong messages); messages as the scanners read them
// (headers, encodings, multipart, HTML, the subject rules); and the two scans
// over fake mail, fake files and an in-memory registry: what is fed, what is
// skipped, and how a stopped scan resumes.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <map>
#include <set>
#include <tuple>

#include "base/text.h"
#include "learn/mail/html_to_text.h"
#include "learn/mail/mail_scan.h"
#include "learn/mail/mail_scanners.h"
#include "learn/mail/mbox_reader.h"
#include "learn/mail/mime_decode.h"
#include "learn/mail/mime_message.h"
#include "learn/mail/subject_rules.h"
#include "learn/mail/thunderbird_profiles.h"
#include "learn/phrase_dictionary.h"
#include "platform/fake/memory_registry.h"
#include "settings/settings_store.h"
#include "settings/settings_table.h"
#include "tests/support/dictionary_options.h"

namespace kx {
namespace {

std::string WriteMailbox(const char* name, const std::string& bytes) {
    const std::string path = testing::TempDir() + "kx_mbox_" + name;
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
}

struct Read {
    std::string text;
    uint64_t start;
    bool operator==(const Read& o) const { return text == o.text && start == o.start; }
};
void PrintTo(const Read& r, std::ostream* os) { *os << r.start << ": \"" << r.text.substr(0, 60) << "\""; }
using Reads = std::vector<Read>;

Reads ReadAll(MboxReader& reader) {
    Reads out;
    for (std::string m; reader.Next(m);) out.push_back({m, reader.MessageStart()});
    return out;
}

Reads ReadFile(const std::string& path, uint64_t from = 0, size_t block = kMailBlockBytes) {
    MboxReader reader({U16(path)}, OpenMailboxFile, block);
    EXPECT_TRUE(reader.Start(from));
    return ReadAll(reader);
}

TEST(MailMbox, SeparatorsOnlyAtLineStarts) {
    const std::string box =
        "From - Mon Dec 01 10:00:00 2026\r\nSubject: one\r\n\r\nsays From - here\r\n"
        "\r\nFrom - Tue Dec 02 10:00:00 2026\r\nSubject: two\r\n\r\nline\nFrom - after a bare LF\n"
        "\r\nFrom - Wed\r\n"  // a separator line with an empty message
        "\r\nFrom - Thu\r\nSubject: four\r\n\r\nlast";
    EXPECT_EQ(ReadFile(WriteMailbox("lines", box)),
              (Reads{{"Subject: one\r\n\r\nsays From - here\r\n", 0},
                     {"Subject: two\r\n\r\nline\nFrom - after a bare LF\n", box.find("\r\nFrom - Tue")},
                     {"", box.find("\r\nFrom - Wed")},
                     {"Subject: four\r\n\r\nlast", box.find("\r\nFrom - Thu")}}));
    // Text before the first separator is no message, in blocks of 3 bytes too.
    for (size_t block : {size_t(3), kMailBlockBytes})
        EXPECT_EQ(ReadFile(WriteMailbox("late", "junk\r\nFrom - x\r\nbody"), 0, block), (Reads{{"body", 4}}));
    EXPECT_TRUE(ReadFile(WriteMailbox("nosep", "no separator at all\r\n")).empty());
}

// A separator and multi-byte characters laid across the 1 MiB boundary
// between two blocks.
TEST(MailMbox, SeparatorsAndCharactersAcrossBlocks) {
    const std::string head = "From - a\r\n\r\nfirst\r\nFrom - b\r\nContent-Type: text/plain; charset=utf-8\r\n\r\n";
    // U+00E9 (2 bytes) and U+1F600 (4 bytes) each straddle the boundary.
    for (const auto& [bytes, ending] : {std::pair{std::string("\xC3\xA9"), std::u16string(u"\u00e9 end")},
                                        std::pair{std::string("\xF0\x9F\x98\x80"), std::u16string(u"\U0001F600 end")}}) {
        const std::string b = head + std::string(kMailBlockBytes - bytes.size() / 2 - head.size(), 'y') + bytes +
                              " end\r\nFrom - c\r\nthird";
        const Reads got = ReadFile(WriteMailbox("blocks", b));
        ASSERT_EQ(got.size(), 3u);
        MailItem item;
        ParseMailMessage(got[1].text, item);
        EXPECT_EQ(item.body.substr(item.body.size() - ending.size()), ending);
        EXPECT_EQ(item.body.find(u'\uFFFD'), std::u16string::npos);
        EXPECT_EQ(got[1].start, head.find("\r\nFrom - b"));
        EXPECT_EQ(got[2], (Read{"third", b.find("\r\nFrom - c")}));
    }
    // The separator itself cut by the boundary, at each of its bytes.
    for (size_t cut = 1; cut < 9; ++cut) {
        std::string b = "From - a\r\n" + std::string(kMailBlockBytes - cut - 10, 'q');
        const size_t sep = b.size();
        b += "\r\nFrom - b\r\nsecond";
        EXPECT_EQ(ReadFile(WriteMailbox("sepcut", b)), (Reads{{b.substr(10, sep - 10), 0}, {"second", sep}})) << cut;
    }
}

TEST(MailMbox, StartingAtAMessagesSeparatorReadsFromThatMessageOn) {
    std::string box;
    for (int i = 0; i < 40; ++i)
        box += (i ? "\r\nFrom - " : "From - ") + std::to_string(i) + "\r\n\r\n" + std::string(size_t(i * 37), 'm');
    const std::string path = WriteMailbox("resume", box);
    const Reads all = ReadFile(path);
    ASSERT_EQ(all.size(), 40u);
    for (size_t block : {size_t(7), kMailBlockBytes})
        for (size_t k = 0; k < all.size(); k += 7)
            EXPECT_EQ(ReadFile(path, all[k].start, block), Reads(all.begin() + long(k), all.end())) << block << " " << k;
    // A position inside a message (the mailbox changed) goes on at the next one.
    EXPECT_EQ(ReadFile(path, all[5].start + 3).at(0).start, all[6].start);
    MboxReader past({U16(path)});
    EXPECT_FALSE(past.Start(box.size() + 10));
}

TEST(MailMbox, SeveralMailboxesCountOnAndAMissingOneEndsTheStream) {
    const std::string a = WriteMailbox("a", "From - 1\r\none\r\nFrom - 2\r\ntwo");
    const std::string b = WriteMailbox("b", "From - 3\r\nthree");
    const std::string none = testing::TempDir() + "kx_mbox_missing";
    std::remove(none.c_str());
    MboxReader reader({U16(a), U16(b), U16(none), U16(b)});
    ASSERT_TRUE(reader.Start(0));
    // The second mailbox's first byte counts on from the first's size.
    EXPECT_EQ(ReadAll(reader), (Reads{{"one", 0}, {"two", 13}, {"three", 28}}));
    ASSERT_TRUE(reader.Start(28));
    EXPECT_EQ(ReadAll(reader), (Reads{{"three", 28}}));
    MboxReader missingFirst({U16(none), U16(a)});
    EXPECT_FALSE(missingFirst.Start(0));
}

TEST(MailMbox, OverlongMessagesArePassedOver) {
    std::string box = "From - 1\r\nshort\r\nFrom - 2\r\n" + std::string(kMaxMailMessageUnits + 1, 'L');
    box += "\r\nFrom - 3\r\n" + std::string(kMaxMailMessageUnits - 2, 'K');  // with its CR LF: the limit exactly
    box += "\r\n\r\nFrom - 4\r\n";
    // Three bytes per unit: longer in bytes than the limit, but not in units.
    for (int i = 0; i < 400000; ++i) box += "\xE2\x82\xAC";
    box += "\r\nFrom - 5\r\n" + std::string(4 * kMaxMailMessageUnits, 'H');  // dropped while still being read
    box += "\r\nFrom - 6\r\nlast";
    MboxReader reader({U16(WriteMailbox("long", box))});
    ASSERT_TRUE(reader.Start(0));
    const Reads got = ReadAll(reader);
    ASSERT_EQ(got.size(), 4u);
    EXPECT_EQ(got[0], (Read{"short", 0}));
    EXPECT_EQ(got[1].text.size(), kMaxMailMessageUnits);
    EXPECT_EQ(got[2].text.size(), 1200000u);
    EXPECT_EQ(got[3], (Read{"last", box.find("\r\nFrom - 6")}));
    EXPECT_EQ(reader.OversizedSkipped(), 2u);
}

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

namespace s = settings;
using Texts = std::vector<std::u16string>;

// Files hold their bytes; a folder is any path a file lies below. Listings
// come in name order.
struct FakeFiles final : FileSystem {
    std::map<std::u16string, std::string> files;

    std::vector<std::u16string> List(std::u16string_view folder, bool folders) {
        std::set<std::u16string> out;
        const std::u16string prefix = std::u16string(folder) + u"\\";
        for (const auto& [p, bytes] : files) {
            const size_t slash = p.find(u'\\', prefix.size());
            if (p.rfind(prefix, 0) == 0 && folders == (slash != std::u16string::npos))
                out.insert(p.substr(prefix.size(), slash - prefix.size()));
        }
        return {out.begin(), out.end()};
    }
    bool IsFolder(std::u16string_view p) override { return !List(p, true).empty() || !List(p, false).empty(); }
    bool IsFile(std::u16string_view p) override { return files.count(std::u16string(p)) != 0; }
    std::vector<std::u16string> ListFiles(std::u16string_view f) override { return List(f, false); }
    std::vector<std::u16string> ListFolders(std::u16string_view f) override { return List(f, true); }
    bool MakeFolder(std::u16string_view) override { return false; }
    bool Copy(std::u16string_view, std::u16string_view, bool) override { return false; }
    bool FileSize(std::u16string_view, uint64_t&) override { return false; }
    bool Remove(std::u16string_view) override { return false; }
    bool LastWriteTime(std::u16string_view, int64_t&) override { return false; }
    FileError MoveReplacing(std::u16string_view, std::u16string_view) override { return FileError::AccessDenied; }
    std::u16string MakeUniqueFile(std::u16string_view) override { return {}; }

    // The reader opens a copy of the file's bytes on disk.
    MailboxOpener Opener() {
        return [this](std::u16string_view path) -> std::unique_ptr<StreamFile> {
            auto it = files.find(std::u16string(path));
            return it == files.end() ? nullptr : OpenMailboxFile(U16(WriteMailbox("scan", it->second)));
        };
    }
};

// Stops the scan after a number of its pauses, or once a feed was cut. With
// a dictionary, each pause is one pass of its mail feeder (ten units a
// second) and one of its mail learner, and the dictionary loads its file
// after `loadedAfterWaits` pauses (-1: loaded before).
struct FakeThread final : MailScanThread {
    FakeThread(PhraseDictionary* dictionary = nullptr, int stopAfter = -1, int loadedAfter = -1)
        : d(dictionary), stopAfterWaits(stopAfter), loadedAfterWaits(loadedAfter) {}
    PhraseDictionary* d;
    int stopAfterWaits, waits = 0, loadedAfterWaits;
    bool stopped = false;
    bool StopRequested() override { return stopped || (stopAfterWaits >= 0 && waits >= stopAfterWaits); }
    bool WaitOrStop(uint32_t) override {
        if (d) d->MailFeederPass(), d->MailLearnerPass();
        if (++waits == loadedAfterWaits) d->LoadFile(u"/nonexistent-folder/acdata.txt");
        return StopRequested();
    }
};

const std::u16string kRoaming = u"C:\\Users\\ann\\AppData\\Roaming";
const std::u16string kProfiles = kRoaming + u"\\Thunderbird\\Profiles";

TEST(MailProfiles, EverySentBelowTheProfilesFolderAFoldersFilesBeforeItsFolders) {
    FakeFiles fs;
    EXPECT_TRUE(FindThunderbirdMailboxes(fs, kRoaming).empty());
    for (const char16_t* file : {u"\\a\\Mail\\Local Folders\\Sent", u"\\a\\Mail\\Local Folders\\Sent.msf",
                                 u"\\a\\ImapMail\\imap.example.com\\SENT", u"\\a\\sent", u"\\a\\Sent Items"})
        fs.files[kProfiles + file] = "";
    fs.files[kRoaming + u"\\Thunderbird\\Sent"] = "";  // outside the profiles
    EXPECT_EQ(FindThunderbirdMailboxes(fs, kRoaming),
              (Texts{kProfiles + u"\\a\\sent", kProfiles + u"\\a\\ImapMail\\imap.example.com\\SENT",
                     kProfiles + u"\\a\\Mail\\Local Folders\\Sent"}));
    EXPECT_TRUE(FindThunderbirdMailboxes(fs, u"").empty());
}

std::string Message(const std::string& subject, const std::string& body, bool first = false) {
    return std::string(first ? "" : "\r\n") + "From - Sat Dec 05 10:00:00 2026\r\nSubject: " + subject +
           "\r\nContent-Type: text/plain; charset=utf-8\r\n\r\n" + body;
}

struct FakeOutlook final : OutlookMailSource {
    Texts subjects;
    size_t at = 0;
    explicit FakeOutlook(Texts s) : subjects(std::move(s)) {}
    bool First(MailItem& item) override { return Load(item, at = 0); }
    bool Next(MailItem& item) override { return Load(item, ++at); }
    bool Load(MailItem& item, size_t i) {
        if (i >= subjects.size()) return false;
        item.valid = true;
        item.subject = subjects[i];
        item.body = u"body " + U16(std::to_string(i));
        return true;
    }
};

struct MailScan : testing::Test {
    MemoryRegistry registry;
    SettingsStore settings{registry};
    FakeFiles fs;
    Texts fed, mail;  // what was fed; Outlook's subjects (none: Outlook is not there)
    int connects = 0;
    std::u16string cutText;  // of this text only `cutAt` units are fed, then the program ends
    size_t cutAt = 0;

    MailFeed Feed(FakeThread& thread) {
        return [this, &thread](std::u16string_view t, size_t from) {
            if (t != cutText) return fed.emplace_back(t.substr(from)), t.size();
            fed.emplace_back(t.substr(from, cutAt));
            thread.stopped = true;
            cutText.clear();
            return from + cutAt;
        };
    }
    // A scan's saved progress: the count fed, how far into a cut message, done.
    std::tuple<int, int, bool> Progress(bool thunderbird) {
        if (thunderbird)
            return {settings.ReadInt(s::ScanThunderbirdCurrentSentItem),
                    settings.ReadInt(s::ScanThunderbirdSentItemOffset),
                    settings.ReadBool(s::ScanThunderbirdSentItemsDone)};
        return {settings.ReadInt(s::ScanOutlookCurrentSentItem), settings.ReadInt(s::ScanOutlookSentItemOffset),
                settings.ReadBool(s::ScanOutlookSentItemsDone)};
    }
    MailScanEnd Thunderbird(FakeThread&& thread = {}) {
        return RunThunderbirdScan(settings, fs, kRoaming, fs.Opener(), Feed(thread), thread);
    }
    MailScanEnd Outlook(FakeThread& thread, std::function<bool()> thunderbirdRunning = {}) {
        auto connect = [this]() -> std::unique_ptr<OutlookMailSource> {
            ++connects;
            return mail.empty() ? nullptr : std::make_unique<FakeOutlook>(mail);
        };
        return RunOutlookScan(settings, connect, Feed(thread), thread, thunderbirdRunning);
    }
};

// The program ends while a message's text is still being learned: that
// message is not counted, and the next start goes on with it where the
// feeder was cut off, neither losing the rest nor learning the start twice.
TEST_F(MailScan, ThunderbirdStoppedWhileFeedingGoesOnWhereTheMessageWasCut) {
    EXPECT_EQ(Thunderbird(), MailScanEnd::NoMail);
    const std::string box = Message("a", "one\r\n_Ann", true) + Message("b", "two") + Message("c", "three") +
                            Message("RE: offer", "reply");
    fs.files[kProfiles + u"\\p\\Sent"] = box;
    settings.WriteBool(s::ScanThunderbirdSentItems, false);
    EXPECT_EQ(Thunderbird(), MailScanEnd::Off);
    settings.WriteBool(s::ScanThunderbirdSentItems, true);
    cutText = u"two";
    cutAt = 1;
    EXPECT_EQ(Thunderbird(), MailScanEnd::Stopped);
    EXPECT_EQ(Progress(true), std::tuple(1, 1, false));
    // The position is the separator's offset, its 8 bytes least significant first.
    EXPECT_EQ(settings.Read(s::ScanThunderbirdSentItemsSeekPos),
              EncodeMailPosition(box.rfind("\r\nFrom - ", box.find("Subject: b"))));
    EXPECT_EQ(EncodeMailPosition(0x0102030405060708ull), u"CAcGBQQDAgE=");
    EXPECT_EQ(Thunderbird(), MailScanEnd::Done);
    EXPECT_EQ(fed, (Texts{u"one\r\nAnn", u"t", u"wo", u"three"}));
    EXPECT_EQ(Progress(true), std::tuple(3, 0, true));
    EXPECT_EQ(Thunderbird(), MailScanEnd::Off);  // done stays done

    // Without a position that decodes, as many messages as were fed are skipped.
    settings.WriteBool(s::ScanThunderbirdSentItemsDone, false);
    settings.WriteInt(s::ScanThunderbirdCurrentSentItem, 2);
    settings.Write(s::ScanThunderbirdSentItemsSeekPos, u"not base64!");
    fed.clear();
    EXPECT_EQ(Thunderbird(), MailScanEnd::Done);
    EXPECT_EQ(fed, Texts{u"three"});
}

std::map<std::u16string, std::tuple<uint32_t, uint32_t, uint32_t>> Learned(PhraseDictionary& d) {
    std::map<std::u16string, std::tuple<uint32_t, uint32_t, uint32_t>> out;
    d.ForEachEntry([&](std::u16string_view p, const PhraseEntry& e) {
        out[std::u16string(p)] = {e.stats.typedCount, e.stats.firstSeen, e.stats.lastSeen};
    });
    return out;
}

// Cut by a stop anywhere, saved, and the rest fed at the next start, a
// message is learned as if it had been fed whole.
TEST(MailFeedPace, AMessageCutAnywhereIsLearnedAsIfFedWhole) {
    const std::u16string text = u"thank you very much.\r\nsee you at noon\r\nby the fountain";
    const std::u16string file = U16(testing::TempDir() + "kx_mail_cut_acdata.txt");
    PhraseDictionary whole(QuietDictionaryOptions());
    whole.LoadFile(u"/nonexistent-folder/acdata.txt");
    FakeThread all{&whole};
    EXPECT_EQ(FeedMailAndWait(whole, all, text), text.size());
    EXPECT_EQ(all.waits, int(text.size()));  // one pause per code unit
    const auto expected = Learned(whole);
    ASSERT_TRUE(expected.count(u"see you at noon"));
    for (size_t cut = 1; cut < text.size(); ++cut) {
        PhraseDictionary before(QuietDictionaryOptions());
        before.LoadFile(u"/nonexistent-folder/acdata.txt");
        FakeThread stopping{&before, int(cut)};
        const size_t reached = FeedMailAndWait(before, stopping, text);
        ASSERT_EQ(reached, cut);
        EXPECT_FALSE(before.MailTextPending()) << "the rest is taken back from the feeder";
        ASSERT_EQ(before.Save(file), SaveResult::Saved);
        PhraseDictionary after(QuietDictionaryOptions());
        after.LoadFile(file);
        FakeThread rest{&after};
        EXPECT_EQ(FeedMailAndWait(after, rest, text, reached), text.size());
        EXPECT_EQ(Learned(after), expected) << "cut after " << cut;
        EXPECT_EQ(after.KeystrokeCounter(), whole.KeystrokeCounter()) << "cut after " << cut;
    }
}

// Mail learned before "acdata.txt" has loaded would be emptied by the load,
// or lost with a refused save, while the scan's progress says it was fed.
TEST(MailFeedPace, NothingIsFedUntilTheDictionaryHasLoaded) {
    PhraseDictionary d(QuietDictionaryOptions());
    FakeThread stopping{&d, 5};
    EXPECT_EQ(FeedMailAndWait(d, stopping, u"see you.\r\n"), 0u);
    EXPECT_FALSE(d.MailTextPending());
    EXPECT_EQ(d.KeystrokeCounter(), 0u);
    FakeThread thread{&d, -1, 3};
    EXPECT_EQ(FeedMailAndWait(d, thread, u"see you.\r\n\r\n"), 12u);
    EXPECT_EQ(thread.waits, 3 + 12);
    EXPECT_EQ(d.KeystrokeCounter(), 10u);  // each CR LF stored as one line feed
}

struct OutlookScan : MailScan {
    void SetUp() override { settings.WriteBool(s::ScanThunderbirdSentItems, false); }
};

// Stopped inside an item, the scan skips the items it fed and goes on inside
// the cut one; replies and forwards in capitals are passed over, not counted.
TEST_F(OutlookScan, StoppedWhileFeedingGoesOnWhereTheItemWasCut) {
    FakeThread thread, again;
    mail = {u"Offer", u"Next", u"RE: offer", u"Re: offer", u"FW: x", u"Fw: x", u"Last"};
    cutText = u"body 1";
    cutAt = 3;
    EXPECT_EQ(Outlook(thread), MailScanEnd::Stopped);
    EXPECT_EQ(Progress(false), std::tuple(1, 3, false));
    EXPECT_EQ(Outlook(again), MailScanEnd::Done);
    EXPECT_EQ(fed, (Texts{u"body 0", u"bod", u"y 1", u"body 3", u"body 5", u"body 6"}));
    EXPECT_EQ(Progress(false), std::tuple(5, 0, true));
}

TEST_F(OutlookScan, WaitsForThunderbirdOnlyWhileItsScanRunsUnfinished) {
    settings.WriteBool(s::ScanThunderbirdSentItems, true);
    mail = {u"a"};
    // Running, or unfinished with no way to tell: no connection until stopped.
    for (std::function<bool()> running : {std::function<bool()>(), std::function<bool()>([] { return true; })}) {
        FakeThread stopped{nullptr, 3};
        EXPECT_EQ(Outlook(stopped, running), MailScanEnd::Stopped);
        EXPECT_EQ(connects, 0);
    }
    // Thunderbird's scan runs three steps, then ends unfinished (no mailbox).
    int steps = 3;
    FakeThread thread{nullptr, 20};
    EXPECT_EQ(Outlook(thread, [&] { return steps-- > 0; }), MailScanEnd::Done);
    EXPECT_EQ(thread.waits, 3 + 1);  // the three steps, then the pause after the item
    // Once Thunderbird's is done, Outlook's does not wait.
    settings.WriteBool(s::ScanOutlookSentItemsDone, false);
    settings.WriteInt(s::ScanOutlookCurrentSentItem, 0);
    settings.WriteBool(s::ScanThunderbirdSentItemsDone, true);
    FakeThread after;
    EXPECT_EQ(Outlook(after), MailScanEnd::Done);
    EXPECT_EQ(after.waits, 1);
    EXPECT_EQ(fed, (Texts{u"body 0", u"body 0"}));
}

// The cap ends the scan for good: later starts do not connect, which would
// start Outlook for nothing.
TEST_F(OutlookScan, AtMostFiveHundredEverAndNoConnectionAfter) {
    mail.assign(620, u"News");
    FakeThread thread, again;
    EXPECT_EQ(Outlook(thread), MailScanEnd::Done);
    EXPECT_EQ(fed.size(), 500u);
    EXPECT_EQ(fed.back(), u"body 499");
    settings.WriteBool(s::ScanOutlookSentItemsDone, false);  // as written by an older version
    EXPECT_EQ(Outlook(again), MailScanEnd::Done);
    EXPECT_EQ(connects, 1);
    EXPECT_EQ(Progress(false), std::tuple(500, 0, true));
    EXPECT_EQ(fed.size(), 500u);
}

}  // namespace
}  // namespace kx
