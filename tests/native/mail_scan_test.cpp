// The two sent-mail scans over fake mail, a fake file system and an
// in-memory registry: what is fed, what is skipped, and resuming.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <map>
#include <tuple>

#include "base/text.h"
#include "learn/mail/mail_scan.h"
#include "learn/mail/mail_scanners.h"
#include "learn/mail/thunderbird_profiles.h"
#include "learn/phrase_dictionary.h"
#include "platform/fake/memory_registry.h"
#include "settings/settings_store.h"
#include "settings/settings_table.h"
#include "tests/support/dictionary_options.h"

namespace kx {
namespace {

namespace s = settings;
using Texts = std::vector<std::u16string>;

// Files hold their bytes; folders are listed in the order they were made.
struct FakeFiles final : FileSystem {
    std::map<std::u16string, std::string> files;
    std::vector<std::u16string> folders;

    bool IsFolder(std::u16string_view p) override { return std::find(folders.begin(), folders.end(), p) != folders.end(); }
    bool IsFile(std::u16string_view p) override { return files.count(std::u16string(p)) != 0; }
    std::vector<std::u16string> ListFiles(std::u16string_view folder) override { return Children(folder, false); }
    std::vector<std::u16string> ListFolders(std::u16string_view folder) override { return Children(folder, true); }
    bool MakeFolder(std::u16string_view) override { return false; }
    bool Copy(std::u16string_view, std::u16string_view, bool) override { return false; }
    bool FileSize(std::u16string_view, uint64_t&) override { return false; }
    bool Remove(std::u16string_view) override { return false; }
    bool LastWriteTime(std::u16string_view, int64_t&) override { return false; }
    FileError MoveReplacing(std::u16string_view, std::u16string_view) override { return FileError::AccessDenied; }
    std::u16string MakeUniqueFile(std::u16string_view) override { return {}; }

    void AddFile(const std::u16string& path, std::string bytes) {
        files[path] = std::move(bytes);
        for (size_t i = path.find(u'\\'); i != std::u16string::npos; i = path.find(u'\\', i + 1))
            if (!IsFolder(path.substr(0, i))) folders.push_back(path.substr(0, i));
    }
    std::vector<std::u16string> Children(std::u16string_view folder, bool wantFolders) {
        std::vector<std::u16string> all = folders, out;
        if (!wantFolders) {
            all.clear();
            for (const auto& [p, bytes] : files) all.push_back(p);
        }
        const std::u16string prefix = std::u16string(folder) + u"\\";
        for (const auto& p : all)
            if (p.rfind(prefix, 0) == 0 && p.find(u'\\', prefix.size()) == std::u16string::npos)
                out.push_back(p.substr(prefix.size()));
        return out;
    }
    // The reader opens a copy of the file's bytes on disk.
    MailboxOpener Opener() {
        return [this](std::u16string_view path) -> std::unique_ptr<StreamFile> {
            auto it = files.find(std::u16string(path));
            if (it == files.end()) return nullptr;
            const std::string copy = testing::TempDir() + "kx_scan_mailbox";
            std::ofstream(copy, std::ios::binary | std::ios::trunc) << it->second;
            return OpenMailboxFile(U16(copy));
        };
    }
};

// Stops the scan after a number of its pauses; counts them.
struct FakeThread final : MailScanThread {
    int stopAfterWaits = -1;
    int waits = 0;
    bool stopped = false;  // a stop that came while text was fed
    bool StopRequested() override { return stopped || (stopAfterWaits >= 0 && waits >= stopAfterWaits); }
    bool WaitOrStop(uint32_t) override { return ++waits, StopRequested(); }
};

const std::u16string kRoaming = u"C:\\Users\\ann\\AppData\\Roaming";
const std::u16string kProfiles = kRoaming + u"\\Thunderbird\\Profiles";

TEST(MailProfiles, EverySentBelowTheProfilesFolderInListingOrder) {
    FakeFiles fs;
    EXPECT_TRUE(FindThunderbirdMailboxes(fs, kRoaming).empty());
    for (const char16_t* file : {u"\\a.default\\Mail\\Local Folders\\Sent", u"\\a.default\\Mail\\Local Folders\\Sent.msf",
                                 u"\\a.default\\ImapMail\\imap.example.com\\SENT", u"\\a.default\\sent",
                                 u"\\a.default\\Sent Items"})
        fs.AddFile(kProfiles + file, "");
    fs.AddFile(kRoaming + u"\\Thunderbird\\Sent", "");  // outside the profiles
    EXPECT_EQ(FindThunderbirdMailboxes(fs, kRoaming),
              (Texts{kProfiles + u"\\a.default\\sent", kProfiles + u"\\a.default\\Mail\\Local Folders\\Sent",
                     kProfiles + u"\\a.default\\ImapMail\\imap.example.com\\SENT"}));
    EXPECT_TRUE(FindThunderbirdMailboxes(fs, u"").empty());
}

std::string Message(const std::string& subject, const std::string& body, bool first = false) {
    return std::string(first ? "" : "\r\n") + "From - Sat Dec 05 10:00:00 2026\r\nSubject: " + subject +
           "\r\nContent-Type: text/plain; charset=utf-8\r\n\r\n" + body;
}

class FakeOutlook final : public OutlookMailSource {
public:
    explicit FakeOutlook(Texts subjects) : subjects_(std::move(subjects)) {}
    bool First(MailItem& item) override { return Load(item, at_ = 0); }
    bool Next(MailItem& item) override { return Load(item, ++at_); }

private:
    bool Load(MailItem& item, size_t at) {
        if (at >= subjects_.size()) return false;
        item.valid = true;
        item.subject = subjects_[at];
        item.body = u"body " + U16(std::to_string(at));
        return true;
    }
    Texts subjects_;
    size_t at_ = 0;
};

struct MailScan : testing::Test {
    MemoryRegistry registry;
    SettingsStore settings{registry};
    FakeFiles fs;
    Texts fed, mail;  // what was fed; Outlook's subjects (none: not there)
    int connects = 0;
    // Of this text only `cutAt` units are fed before the program ends.
    std::u16string cutText;
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
    // A scan's saved progress: the count fed, how far into a cut message,
    // and whether it is done.
    std::tuple<int, int, bool> Progress(const SettingDef& count, const SettingDef& offset, const SettingDef& done) {
        return {settings.ReadInt(count), settings.ReadInt(offset), settings.ReadBool(done)};
    }
    std::tuple<int, int, bool> TbProgress() {
        return Progress(s::ScanThunderbirdCurrentSentItem, s::ScanThunderbirdSentItemOffset,
                        s::ScanThunderbirdSentItemsDone);
    }
    std::tuple<int, int, bool> OlProgress() {
        return Progress(s::ScanOutlookCurrentSentItem, s::ScanOutlookSentItemOffset, s::ScanOutlookSentItemsDone);
    }
    MailScanEnd Thunderbird(FakeThread& thread) {
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

TEST_F(MailScan, ThunderbirdFeedsNewMailOnlyAndMarksTheScanDone) {
    FakeThread thread;
    EXPECT_EQ(Thunderbird(thread), MailScanEnd::NoMail);
    fs.AddFile(kProfiles + u"\\x.default\\Mail\\Local Folders\\Sent",
               Message("Lunch", "See you at noon.\r\n_Ann", true) + Message("RE: offer", "reply") +
                   Message("Re: offer", "reply") + Message("Fw: news", "fwd") + Message("FW: news", "fwd") +
                   Message("re: lower case", "fed too"));
    settings.WriteBool(s::ScanThunderbirdSentItems, false);
    EXPECT_EQ(Thunderbird(thread), MailScanEnd::Off);
    EXPECT_TRUE(fed.empty());
    settings.WriteBool(s::ScanThunderbirdSentItems, true);
    EXPECT_EQ(Thunderbird(thread), MailScanEnd::Done);
    EXPECT_EQ(fed, (Texts{u"See you at noon.\r\nAnn", u"fed too"}));
    EXPECT_EQ(TbProgress(), std::tuple(2, 0, true));
    EXPECT_EQ(thread.waits, 6);  // one pause per message read
    // Done stays done.
    EXPECT_EQ(Thunderbird(thread), MailScanEnd::Off);
    EXPECT_EQ(fed.size(), 2u);
}

// Stopped after every possible message and started again, the scan feeds
// every message once, in order: the first message after a stop is the one
// read but not yet fed, and the saved position is its separator.
TEST_F(MailScan, ThunderbirdResumingFeedsEachMessageOnce) {
    std::string box;
    Texts all;
    for (int i = 0; i < 9; ++i) {
        const std::string subject = i % 3 == 1 ? "RE: n" + std::to_string(i) : "n" + std::to_string(i);
        box += Message(subject, "body " + std::to_string(i), i == 0);
        if (i % 3 != 1) all.push_back(U16("body " + std::to_string(i)));
    }
    fs.AddFile(kProfiles + u"\\p\\Sent", box);
    for (int stopAfter = 1; stopAfter <= 3; ++stopAfter) {
        for (const auto& name : {s::ScanThunderbirdSentItemsDone, s::ScanThunderbirdCurrentSentItem,
                                 s::ScanThunderbirdSentItemsSeekPos})
            settings.Write(name, u"");
        fed.clear();
        for (int runs = 0; !settings.ReadBool(s::ScanThunderbirdSentItemsDone) && runs < 20; ++runs) {
            FakeThread thread;
            thread.stopAfterWaits = stopAfter;
            Thunderbird(thread);
            uint64_t pos = 0;
            if (!settings.ReadBool(s::ScanThunderbirdSentItemsDone)) {
                ASSERT_TRUE(DecodeMailPosition(settings.Read(s::ScanThunderbirdSentItemsSeekPos), pos));
                EXPECT_EQ(box.compare(pos, 9, "\r\nFrom - "), 0) << pos;
            }
        }
        EXPECT_EQ(fed, all) << "stopping after " << stopAfter;
        EXPECT_EQ(TbProgress(), std::tuple(int(all.size()), 0, true));
    }
}

// The program ends while a message's text is still being learned: that
// message is not counted, and the next start goes on with it where the
// feeder was cut off, neither losing the rest nor learning the start twice.
TEST_F(MailScan, ThunderbirdStoppedWhileFeedingGoesOnWhereTheMessageWasCut) {
    const std::string box = Message("a", "one", true) + Message("b", "two") + Message("c", "three");
    fs.AddFile(kProfiles + u"\\p\\Sent", box);
    cutText = u"two";
    cutAt = 1;
    FakeThread thread, again;
    EXPECT_EQ(Thunderbird(thread), MailScanEnd::Stopped);
    EXPECT_EQ(TbProgress(), std::tuple(1, 1, false));
    uint64_t pos = 0;
    ASSERT_TRUE(DecodeMailPosition(settings.Read(s::ScanThunderbirdSentItemsSeekPos), pos));
    EXPECT_EQ(pos, box.find("\r\nFrom - ", 1));
    EXPECT_EQ(Thunderbird(again), MailScanEnd::Done);
    EXPECT_EQ(fed, (Texts{u"one", u"t", u"wo", u"three"}));
    EXPECT_EQ(TbProgress(), std::tuple(3, 0, true));

    // Without a position that decodes, as many messages as were fed are skipped.
    settings.WriteBool(s::ScanThunderbirdSentItemsDone, false);
    settings.WriteInt(s::ScanThunderbirdCurrentSentItem, 2);
    settings.Write(s::ScanThunderbirdSentItemsSeekPos, u"not base64!");
    fed.clear();
    FakeThread third;
    EXPECT_EQ(Thunderbird(third), MailScanEnd::Done);
    EXPECT_EQ(fed, Texts{u"three"});
    EXPECT_EQ(TbProgress(), std::tuple(3, 0, true));
}

TEST(MailPosition, EightBytesLittleEndianInBase64) {
    EXPECT_EQ(EncodeMailPosition(0x0102030405060708ull), u"CAcGBQQDAgE=");
    uint64_t pos = 0;
    ASSERT_TRUE(DecodeMailPosition(u"CAcGBQQDAgE=", pos));
    EXPECT_EQ(pos, 0x0102030405060708ull);
    EXPECT_FALSE(DecodeMailPosition(u"AQID", pos));  // three bytes
    EXPECT_FALSE(DecodeMailPosition(u"", pos));
}

// The scanners hand each text to the dictionary's mail feeder and go on only
// once the feeder, ten units a second, has passed it all on: each pause of
// the thread here is one pass of the feeder and one of the mail learner,
// which runs as often.
struct FeederThread final : MailScanThread {
    PhraseDictionary& d;
    int stopAfterWaits;
    int waits = 0;
    // The wait after which the dictionary has loaded its file (-1: already).
    int loadedAfterWaits = -1;
    FeederThread(PhraseDictionary& dictionary, int stopAfter) : d(dictionary), stopAfterWaits(stopAfter) {}
    bool StopRequested() override { return stopAfterWaits >= 0 && waits >= stopAfterWaits; }
    bool WaitOrStop(uint32_t ms) override {
        EXPECT_EQ(ms, kMailItemPauseMs);
        d.MailFeederPass();
        d.MailLearnerPass();
        if (++waits == loadedAfterWaits) d.LoadFile(u"/nonexistent-folder/acdata.txt");
        return StopRequested();
    }
};

std::map<std::u16string, std::tuple<uint32_t, uint32_t, uint32_t>> Learned(PhraseDictionary& d) {
    std::map<std::u16string, std::tuple<uint32_t, uint32_t, uint32_t>> out;
    d.ForEachEntry([&](std::u16string_view p, const PhraseEntry& e) {
        out[std::u16string(p)] = {e.stats.typedCount, e.stats.firstSeen, e.stats.lastSeen};
    });
    return out;
}

// Cut by a stop anywhere, and the rest fed at the next start into the
// dictionary saved at exit, a message is learned as if it had been fed
// whole: the phrases before the cut are not counted again, and the ones
// that span it are learned whole.
TEST(MailFeedPace, AMessageCutAnywhereIsLearnedAsIfFedWhole) {
    const std::u16string text = u"thank you very much.\r\nsee you at noon\r\nby the fountain";
    const std::u16string file = U16(testing::TempDir() + "kx_mail_cut_acdata.txt");
    PhraseDictionary whole(QuietDictionaryOptions());
    whole.LoadFile(u"/nonexistent-folder/acdata.txt");
    FeederThread all(whole, -1);
    EXPECT_EQ(FeedMailAndWait(whole, all, text), text.size());
    EXPECT_EQ(all.waits, int(text.size()));  // one pause per code unit
    EXPECT_EQ(FeedMailAndWait(whole, all, u""), 0u);
    EXPECT_EQ(all.waits, int(text.size()));
    const auto expected = Learned(whole);
    ASSERT_TRUE(expected.count(u"see you at noon"));
    for (size_t cut = 1; cut < text.size(); ++cut) {
        PhraseDictionary before(QuietDictionaryOptions());
        before.LoadFile(u"/nonexistent-folder/acdata.txt");
        FeederThread stopping(before, int(cut));
        const size_t reached = FeedMailAndWait(before, stopping, text);
        ASSERT_EQ(reached, cut);
        EXPECT_FALSE(before.MailTextPending()) << "the rest is taken back from the feeder";
        ASSERT_EQ(before.Save(file), SaveResult::Saved);

        PhraseDictionary after(QuietDictionaryOptions());
        after.LoadFile(file);
        FeederThread rest(after, -1);
        EXPECT_EQ(FeedMailAndWait(after, rest, text, reached), text.size());
        EXPECT_EQ(Learned(after), expected) << "cut after " << cut << " units";
        EXPECT_EQ(after.KeystrokeCounter(), whole.KeystrokeCounter()) << "cut after " << cut << " units";
    }
}

// Mail learned before "acdata.txt" has loaded would be emptied by the load
// or, when the save at exit is refused, lost, while the scan's progress says
// it was fed.
TEST(MailFeedPace, NothingIsFedUntilTheDictionaryHasLoaded) {
    PhraseDictionary d(QuietDictionaryOptions());
    FeederThread stopping(d, 5);
    EXPECT_EQ(FeedMailAndWait(d, stopping, u"see you.\r\n"), 0u);
    EXPECT_FALSE(d.MailTextPending());
    EXPECT_EQ(d.KeystrokeCounter(), 0u);

    FeederThread thread(d, -1);
    thread.loadedAfterWaits = 3;
    EXPECT_EQ(FeedMailAndWait(d, thread, u"see you.\r\n\r\n"), 12u);
    EXPECT_EQ(thread.waits, 3 + 12);
    EXPECT_EQ(d.KeystrokeCounter(), 10u);  // each CR LF stored as one line feed
    // The text passed on is emptied: the next starts afresh.
    EXPECT_EQ(FeedMailAndWait(d, thread, u"x"), 1u);
    EXPECT_EQ(d.KeystrokeCounter(), 11u);
}

struct OutlookScan : MailScan {
    void SetUp() override { settings.WriteBool(s::ScanThunderbirdSentItems, false); }
};

TEST_F(OutlookScan, SubjectRuleCountAndSettingsAfterEachItem) {
    FakeThread thread, again;
    EXPECT_EQ(Outlook(thread), MailScanEnd::NoMail);  // Outlook not there: tried again next time
    EXPECT_EQ(OlProgress(), std::tuple(0, 0, false));
    mail = {u"Offer", u"RE: offer", u"Re: offer", u"FW: x", u"Fw: x", u"Last"};
    thread.stopAfterWaits = 2;
    EXPECT_EQ(Outlook(thread), MailScanEnd::Stopped);
    EXPECT_EQ(fed, (Texts{u"body 0"}));
    EXPECT_EQ(OlProgress(), std::tuple(1, 0, false));
    // Restarted: one item skipped (as many as were fed), then the rest.
    EXPECT_EQ(Outlook(again), MailScanEnd::Done);
    EXPECT_EQ(fed, (Texts{u"body 0", u"body 2", u"body 4", u"body 5"}));
    EXPECT_EQ(OlProgress(), std::tuple(4, 0, true));
}

TEST_F(OutlookScan, WaitsForThunderbirdOnlyWhileItsScanRunsUnfinished) {
    settings.WriteBool(s::ScanThunderbirdSentItems, true);
    mail = {u"a"};
    // Running, or unfinished with no way to tell: no connection until stopped.
    for (std::function<bool()> running : {std::function<bool()>(), std::function<bool()>([] { return true; })}) {
        FakeThread stopped;
        stopped.stopAfterWaits = 3;
        EXPECT_EQ(Outlook(stopped, running), MailScanEnd::Stopped);
        EXPECT_EQ(stopped.waits, 3);
        EXPECT_EQ(connects, 0);
    }
    // Thunderbird's scan runs for three steps, then ends without finishing
    // (it found no mailbox): Outlook's goes on after it.
    int steps = 3;
    FakeThread thread;
    thread.stopAfterWaits = 20;
    EXPECT_EQ(Outlook(thread, [&] { return steps-- > 0; }), MailScanEnd::Done);
    EXPECT_EQ(thread.waits, 3 + 1);  // the three steps, then the pause after the item
    EXPECT_EQ(fed, (Texts{u"body 0"}));
    // Once Thunderbird's is done, Outlook's does not wait.
    settings.WriteBool(s::ScanOutlookSentItemsDone, false);
    settings.WriteInt(s::ScanOutlookCurrentSentItem, 0);
    settings.WriteBool(s::ScanThunderbirdSentItemsDone, true);
    FakeThread after;
    EXPECT_EQ(Outlook(after), MailScanEnd::Done);
    EXPECT_EQ(after.waits, 1);
}

TEST_F(OutlookScan, StoppedWhileFeedingGoesOnWhereTheItemWasCut) {
    mail = {u"a", u"b", u"c"};
    cutText = u"body 1";
    cutAt = 3;
    FakeThread thread, again;
    EXPECT_EQ(Outlook(thread), MailScanEnd::Stopped);
    EXPECT_EQ(OlProgress(), std::tuple(1, 3, false));
    EXPECT_EQ(Outlook(again), MailScanEnd::Done);
    EXPECT_EQ(fed, (Texts{u"body 0", u"bod", u"y 1", u"body 2"}));
    EXPECT_EQ(OlProgress(), std::tuple(3, 0, true));
}

// The cap ends the scan for good: Done is written, and later starts do not
// connect, which would start Outlook for nothing.
TEST_F(OutlookScan, AtMostFiveHundredEverAndNoConnectionAfter) {
    mail.assign(620, u"News");
    FakeThread thread, again;
    EXPECT_EQ(Outlook(thread), MailScanEnd::Done);
    EXPECT_EQ(fed.size(), 500u);
    EXPECT_EQ(fed.back(), u"body 499");
    EXPECT_EQ(OlProgress(), std::tuple(500, 0, true));
    settings.WriteBool(s::ScanOutlookSentItemsDone, false);  // as written by an older version
    EXPECT_EQ(Outlook(again), MailScanEnd::Done);
    EXPECT_EQ(connects, 1);
    EXPECT_EQ(OlProgress(), std::tuple(500, 0, true));
    EXPECT_EQ(fed.size(), 500u);
}

}  // namespace
}  // namespace kx
