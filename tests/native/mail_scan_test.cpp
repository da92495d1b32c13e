// The two sent-mail scans over fake mail, a fake file system and an
// in-memory registry: what is fed, what is skipped, and resuming.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <tuple>

#include "base/text.h"
#include "learn/mail/mail_scan.h"
#include "learn/mail/mail_scanners.h"
#include "learn/phrase_dictionary.h"
#include "learn/mail/thunderbird_profiles.h"
#include "platform/fake/memory_registry.h"
#include "settings/settings_store.h"
#include "settings/settings_table.h"

namespace kx {
namespace {

namespace s = settings;

// Files hold their bytes; folders are listed in the order they were made.
class FakeFiles final : public FileSystem {
public:
    std::map<std::u16string, std::string> files;
    std::vector<std::u16string> folders;

    bool IsFolder(std::u16string_view p) override {
        return std::find(folders.begin(), folders.end(), p) != folders.end();
    }
    bool IsFile(std::u16string_view p) override { return files.count(std::u16string(p)) != 0; }
    bool MakeFolder(std::u16string_view) override { return false; }
    bool Copy(std::u16string_view, std::u16string_view, bool) override { return false; }
    std::vector<std::u16string> ListFiles(std::u16string_view folder) override { return Children(folder, false); }
    std::vector<std::u16string> ListFolders(std::u16string_view folder) override { return Children(folder, true); }
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
    MailboxOpener Opener() {
        return [this](std::u16string_view path) -> std::unique_ptr<StreamFile> {
            auto it = files.find(std::u16string(path));
            if (it == files.end()) return nullptr;
            return std::make_unique<Memory>(it->second);
        };
    }

private:
    struct Memory final : StreamFile {
        explicit Memory(std::string_view b) : bytes(b) {}
        bool Read(void* buffer, size_t size, size_t& got) override {
            got = std::min(size, bytes.size() - at);
            std::memcpy(buffer, bytes.data() + at, got);
            at += got;
            return true;
        }
        bool Write(const void*, size_t) override { return false; }
        bool Close() override { return true; }
        std::string_view bytes;
        size_t at = 0;
    };
    std::vector<std::u16string> Children(std::u16string_view folder, bool wantFolders) {
        std::vector<std::u16string> out;
        const std::u16string prefix = std::u16string(folder) + u"\\";
        auto consider = [&](const std::u16string& p) {
            if (p.compare(0, prefix.size(), prefix) != 0) return;
            const std::u16string rest = p.substr(prefix.size());
            if (rest.find(u'\\') == std::u16string::npos) out.push_back(rest);
        };
        if (wantFolders)
            for (const auto& f : folders) consider(f);
        else
            for (const auto& [p, b] : files) consider(p);
        return out;
    }
};

// Stops the scan after a number of its pauses; counts them.
struct FakeThread final : MailScanThread {
    int stopAfterWaits = -1;
    int waits = 0;
    bool stopped = false;  // a stop that came while text was fed
    bool StopRequested() override { return stopped || (stopAfterWaits >= 0 && waits >= stopAfterWaits); }
    bool WaitOrStop(uint32_t) override {
        ++waits;
        return StopRequested();
    }
};

const std::u16string kRoaming = u"C:\\Users\\ann\\AppData\\Roaming";
const std::u16string kProfiles = kRoaming + u"\\Thunderbird\\Profiles";

TEST(MailProfiles, EverySentBelowTheProfilesFolderInListingOrder) {
    FakeFiles fs;
    EXPECT_TRUE(FindThunderbirdMailboxes(fs, kRoaming).empty());
    fs.AddFile(kProfiles + u"\\a.default\\Mail\\Local Folders\\Sent", "");
    fs.AddFile(kProfiles + u"\\a.default\\Mail\\Local Folders\\Sent.msf", "");
    fs.AddFile(kProfiles + u"\\a.default\\ImapMail\\imap.example.com\\SENT", "");
    fs.AddFile(kProfiles + u"\\a.default\\sent", "");
    fs.AddFile(kProfiles + u"\\a.default\\Sent Items", "");
    fs.AddFile(kRoaming + u"\\Thunderbird\\Sent", "");  // outside the profiles
    const std::vector<std::u16string> expected = {
        kProfiles + u"\\a.default\\sent",
        kProfiles + u"\\a.default\\Mail\\Local Folders\\Sent",
        kProfiles + u"\\a.default\\ImapMail\\imap.example.com\\SENT",
    };
    EXPECT_EQ(FindThunderbirdMailboxes(fs, kRoaming), expected);
    EXPECT_TRUE(FindThunderbirdMailboxes(fs, u"").empty());
}

std::string Message(const std::string& subject, const std::string& body, bool first = false) {
    return std::string(first ? "" : "\r\n") + "From - Sat Dec 05 10:00:00 2026\r\nSubject: " + subject +
           "\r\nContent-Type: text/plain; charset=utf-8\r\n\r\n" + body;
}

struct ThunderbirdFixture : testing::Test {
    MemoryRegistry registry;
    SettingsStore settings{registry};
    FakeFiles fs;
    std::vector<std::u16string> fed;

    MailScanEnd Run(FakeThread& thread) {
        return RunThunderbirdScan(settings, fs, kRoaming, fs.Opener(),
                                  [this](std::u16string_view t, size_t from) {
                                      fed.emplace_back(t.substr(from));
                                      return t.size();
                                  },
                                  thread);
    }
};

TEST_F(ThunderbirdFixture, FeedsNewMailOnlyAndMarksTheScanDone) {
    FakeThread thread;
    EXPECT_EQ(Run(thread), MailScanEnd::NoMail);
    fs.AddFile(kProfiles + u"\\x.default\\Mail\\Local Folders\\Sent",
               Message("Lunch", "See you at noon.\r\n_Ann", true) + Message("RE: offer", "reply") +
                   Message("Re: offer", "reply") + Message("Fw: news", "fwd") + Message("FW: news", "fwd") +
                   Message("re: lower case", "fed too"));
    EXPECT_EQ(Run(thread), MailScanEnd::Done);
    EXPECT_EQ(fed, (std::vector<std::u16string>{u"See you at noon.\r\nAnn", u"fed too"}));
    EXPECT_TRUE(settings.ReadBool(s::ScanThunderbirdSentItemsDone));
    EXPECT_EQ(settings.ReadInt(s::ScanThunderbirdCurrentSentItem), 2);
    EXPECT_EQ(thread.waits, 6);  // one pause per message read
    // Done stays done.
    EXPECT_EQ(Run(thread), MailScanEnd::Off);
    EXPECT_EQ(fed.size(), 2u);
}

TEST_F(ThunderbirdFixture, SwitchedOffScansNothing) {
    fs.AddFile(kProfiles + u"\\p\\Sent", Message("Hello", "text", true));
    settings.WriteBool(s::ScanThunderbirdSentItems, false);
    FakeThread thread;
    EXPECT_EQ(Run(thread), MailScanEnd::Off);
    EXPECT_TRUE(fed.empty());
}

// Stopped after every possible message and started again, the scan feeds
// every message once, in order: the first message after a stop is the one
// read but not yet fed, and the saved position is its separator.
TEST_F(ThunderbirdFixture, ResumingFeedsEachMessageOnce) {
    std::string box;
    std::vector<std::u16string> all;
    for (int i = 0; i < 9; ++i) {
        const std::string subject = i % 3 == 1 ? "RE: n" + std::to_string(i) : "n" + std::to_string(i);
        box += Message(subject, "body " + std::to_string(i), i == 0);
        if (i % 3 != 1) all.push_back(U16("body " + std::to_string(i)));
    }
    fs.AddFile(kProfiles + u"\\p\\Sent", box);
    for (int stopAfter = 1; stopAfter <= 3; ++stopAfter) {
        registry.DeleteTree(Hive::CurrentUser, u"");
        settings.WriteBool(s::ScanThunderbirdSentItems, true);
        for (const auto& name : {s::ScanThunderbirdSentItemsDone, s::ScanThunderbirdCurrentSentItem,
                                 s::ScanThunderbirdSentItemsSeekPos})
            settings.Write(name, u"");
        fed.clear();
        int runs = 0;
        while (!settings.ReadBool(s::ScanThunderbirdSentItemsDone) && runs < 20) {
            FakeThread thread;
            thread.stopAfterWaits = stopAfter;
            Run(thread);
            ++runs;
            uint64_t pos = 0;
            if (!settings.ReadBool(s::ScanThunderbirdSentItemsDone)) {
                ASSERT_TRUE(DecodeMailPosition(settings.Read(s::ScanThunderbirdSentItemsSeekPos), pos));
                EXPECT_EQ(box.compare(pos, 9, "\r\nFrom - "), 0) << pos;
            }
        }
        EXPECT_EQ(fed, all) << "stopping after " << stopAfter;
        EXPECT_EQ(settings.ReadInt(s::ScanThunderbirdCurrentSentItem), int(all.size()));
    }
}

// The program ends while a message's text is still being learned: that
// message is not counted, and the next start goes on with it where the
// feeder was cut off, neither losing the rest nor learning the start twice.
TEST_F(ThunderbirdFixture, AStopWhileFeedingGoesOnWhereTheMessageWasCut) {
    const std::string box = Message("a", "one", true) + Message("b", "two") + Message("c", "three");
    fs.AddFile(kProfiles + u"\\p\\Sent", box);
    FakeThread thread;
    auto stopInTwo = [&](std::u16string_view t, size_t from) {
        if (t != u"two") return fed.emplace_back(t.substr(from)), t.size();
        fed.emplace_back(t.substr(from, 1));
        thread.stopped = true;
        return from + 1;
    };
    EXPECT_EQ(RunThunderbirdScan(settings, fs, kRoaming, fs.Opener(), stopInTwo, thread), MailScanEnd::Stopped);
    EXPECT_EQ(settings.ReadInt(s::ScanThunderbirdCurrentSentItem), 1);
    EXPECT_EQ(settings.ReadInt(s::ScanThunderbirdSentItemOffset), 1);
    uint64_t pos = 0;
    ASSERT_TRUE(DecodeMailPosition(settings.Read(s::ScanThunderbirdSentItemsSeekPos), pos));
    EXPECT_EQ(pos, box.find("\r\nFrom - ", 1));
    FakeThread again;
    EXPECT_EQ(Run(again), MailScanEnd::Done);
    EXPECT_EQ(fed, (std::vector<std::u16string>{u"one", u"t", u"wo", u"three"}));
    EXPECT_EQ(settings.ReadInt(s::ScanThunderbirdCurrentSentItem), 3);
    EXPECT_EQ(settings.ReadInt(s::ScanThunderbirdSentItemOffset), 0);
}

// The scanners hand each text to the dictionary's mail feeder and go on only
// once the feeder, ten units a second, has passed it all on: each pause of
// the thread here is one pass of the feeder (and, when asked, one of the
// mail learner, which runs as often).
struct FeederThread final : MailScanThread {
    PhraseDictionary& d;
    int stopAfterWaits;
    int waits = 0;
    // The wait after which the dictionary has loaded its file (-1: already).
    int loadedAfterWaits = -1;
    bool learn = false;
    FeederThread(PhraseDictionary& dictionary, int stopAfter) : d(dictionary), stopAfterWaits(stopAfter) {}
    bool StopRequested() override { return stopAfterWaits >= 0 && waits >= stopAfterWaits; }
    bool WaitOrStop(uint32_t ms) override {
        EXPECT_EQ(ms, kMailItemPauseMs);
        d.MailFeederPass();
        if (learn) d.MailLearnerPass();
        if (++waits == loadedAfterWaits) d.LoadFile(u"/nonexistent-folder/acdata.txt");
        return StopRequested();
    }
};

DictionaryOptions Unstarted() {
    DictionaryOptions o;
    o.startWorkers = false;
    o.totalVirtual = 0x80000000ull;
    return o;
}

TEST(MailFeedPace, WaitsUntilTheFeederPassedTheTextOn) {
    PhraseDictionary d(Unstarted());
    d.LoadFile(u"/nonexistent-folder/acdata.txt");
    FeederThread thread(d, -1);
    EXPECT_EQ(FeedMailAndWait(d, thread, u"see you.\r\n"), 10u);
    EXPECT_EQ(thread.waits, 10);  // one pause per code unit
    EXPECT_FALSE(d.MailTextPending());
    EXPECT_EQ(FeedMailAndWait(d, thread, u""), 0u);
    EXPECT_EQ(thread.waits, 10);

    // Stopped: how far the feeder got, and the rest taken back from it.
    FeederThread stopping(d, 3);
    EXPECT_EQ(FeedMailAndWait(d, stopping, u"thank you very much\n"), 3u);
    EXPECT_EQ(stopping.waits, 3);
    EXPECT_FALSE(d.MailTextPending());
}

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
    PhraseDictionary whole(Unstarted());
    whole.LoadFile(u"/nonexistent-folder/acdata.txt");
    FeederThread all(whole, -1);
    all.learn = true;
    EXPECT_EQ(FeedMailAndWait(whole, all, text), text.size());
    const auto expected = Learned(whole);
    ASSERT_TRUE(expected.count(u"see you at noon"));
    for (size_t cut = 1; cut < text.size(); ++cut) {
        PhraseDictionary before(Unstarted());
        before.LoadFile(u"/nonexistent-folder/acdata.txt");
        FeederThread stopping(before, int(cut));
        stopping.learn = true;
        const size_t reached = FeedMailAndWait(before, stopping, text);
        ASSERT_EQ(reached, cut);
        ASSERT_EQ(before.Save(file), SaveResult::Saved);

        PhraseDictionary after(Unstarted());
        after.LoadFile(file);
        FeederThread rest(after, -1);
        rest.learn = true;
        EXPECT_EQ(FeedMailAndWait(after, rest, text, reached), text.size());
        EXPECT_EQ(Learned(after), expected) << "cut after " << cut << " units";
        EXPECT_EQ(after.KeystrokeCounter(), whole.KeystrokeCounter()) << "cut after " << cut << " units";
    }
}

// Mail learned before "acdata.txt" has loaded would be emptied by the load
// or, when the save at exit is refused, lost, while the scan's progress says
// it was fed.
TEST(MailFeedPace, NothingIsFedUntilTheDictionaryHasLoaded) {
    PhraseDictionary d(Unstarted());
    FeederThread stopping(d, 5);
    EXPECT_EQ(FeedMailAndWait(d, stopping, u"see you.\r\n"), 0u);
    EXPECT_FALSE(d.MailTextPending());
    d.MailLearnerPass();
    EXPECT_EQ(d.KeystrokeCounter(), 0u);

    FeederThread thread(d, -1);
    thread.loadedAfterWaits = 3;
    EXPECT_EQ(FeedMailAndWait(d, thread, u"see you.\r\n"), 10u);
    EXPECT_EQ(thread.waits, 3 + 10);
    d.MailLearnerPass();
    EXPECT_EQ(d.KeystrokeCounter(), 9u);  // CR LF stored as one line feed
}

TEST_F(ThunderbirdFixture, WithoutAPositionTheFedCountIsSkipped) {
    fs.AddFile(kProfiles + u"\\p\\Sent", Message("a", "one", true) + Message("b", "two") + Message("c", "three"));
    settings.WriteInt(s::ScanThunderbirdCurrentSentItem, 2);
    settings.Write(s::ScanThunderbirdSentItemsSeekPos, u"not base64!");
    FakeThread thread;
    EXPECT_EQ(Run(thread), MailScanEnd::Done);
    EXPECT_EQ(fed, std::vector<std::u16string>{u"three"});
    EXPECT_EQ(settings.ReadInt(s::ScanThunderbirdCurrentSentItem), 3);
}

TEST(MailPosition, EightBytesLittleEndianInBase64) {
    EXPECT_EQ(EncodeMailPosition(0x0102030405060708ull), u"CAcGBQQDAgE=");
    uint64_t pos = 0;
    ASSERT_TRUE(DecodeMailPosition(u"CAcGBQQDAgE=", pos));
    EXPECT_EQ(pos, 0x0102030405060708ull);
    EXPECT_FALSE(DecodeMailPosition(u"AQID", pos));  // three bytes
    EXPECT_FALSE(DecodeMailPosition(u"", pos));
}

class FakeOutlook final : public OutlookMailSource {
public:
    explicit FakeOutlook(std::vector<std::u16string> subjects) : subjects_(std::move(subjects)) {}
    bool First(MailItem& item) override {
        at_ = 0;
        return Load(item);
    }
    bool Next(MailItem& item) override {
        ++at_;
        return Load(item);
    }

private:
    bool Load(MailItem& item) {
        if (at_ >= subjects_.size()) return false;
        item.valid = true;
        item.subject = subjects_[at_];
        item.body = u"body " + U16(std::to_string(at_));
        return true;
    }
    std::vector<std::u16string> subjects_;
    size_t at_ = 0;
};

struct OutlookFixture : testing::Test {
    MemoryRegistry registry;
    SettingsStore settings{registry};
    std::vector<std::u16string> fed;
    std::vector<std::u16string> mail;
    int connects = 0;

    void SetUp() override { settings.WriteBool(s::ScanThunderbirdSentItems, false); }
    MailScanEnd Run(FakeThread& thread) {
        return RunOutlookScan(
            settings,
            [this]() -> std::unique_ptr<OutlookMailSource> {
                ++connects;
                return mail.empty() ? nullptr : std::make_unique<FakeOutlook>(mail);
            },
            [this](std::u16string_view t, size_t from) {
                fed.emplace_back(t.substr(from));
                return t.size();
            },
            thread);
    }
};

TEST_F(OutlookFixture, SubjectRuleCountAndSettingsAfterEachItem) {
    FakeThread thread;
    EXPECT_EQ(Run(thread), MailScanEnd::NoMail);  // Outlook not there: tried again next time
    EXPECT_FALSE(settings.ReadBool(s::ScanOutlookSentItemsDone));
    mail = {u"Offer", u"RE: offer", u"Re: offer", u"FW: x", u"Fw: x", u"Last"};
    thread.stopAfterWaits = 2;
    EXPECT_EQ(Run(thread), MailScanEnd::Stopped);
    EXPECT_EQ(fed, (std::vector<std::u16string>{u"body 0"}));
    EXPECT_EQ(settings.ReadInt(s::ScanOutlookCurrentSentItem), 1);
    // Restarted: one item skipped (as many as were fed), then the rest.
    FakeThread again;
    EXPECT_EQ(Run(again), MailScanEnd::Done);
    EXPECT_EQ(fed, (std::vector<std::u16string>{u"body 0", u"body 2", u"body 4", u"body 5"}));
    EXPECT_EQ(settings.ReadInt(s::ScanOutlookCurrentSentItem), 4);
    EXPECT_TRUE(settings.ReadBool(s::ScanOutlookSentItemsDone));
}

TEST_F(OutlookFixture, WaitsForAnUnfinishedThunderbirdScanOnlyWhileItRuns) {
    settings.WriteBool(s::ScanThunderbirdSentItems, true);
    mail = {u"a"};
    auto connect = [this]() -> std::unique_ptr<OutlookMailSource> { return std::make_unique<FakeOutlook>(mail); };
    auto feed = [this](std::u16string_view t, size_t from) {
        fed.emplace_back(t.substr(from));
        return t.size();
    };
    // Thunderbird's scan runs for three steps, then ends without finishing
    // (it found no mailbox): Outlook's goes on after it.
    int running = 3;
    FakeThread thread;
    thread.stopAfterWaits = 20;
    EXPECT_EQ(RunOutlookScan(settings, connect, feed, thread, [&] { return running-- > 0; }), MailScanEnd::Done);
    EXPECT_EQ(thread.waits, 3 + 1);  // the three steps, then the pause after the item
    EXPECT_EQ(fed, (std::vector<std::u16string>{u"body 0"}));
    // While it runs unfinished, Outlook's feeds nothing until stopped.
    settings.WriteBool(s::ScanOutlookSentItemsDone, false);
    settings.WriteInt(s::ScanOutlookCurrentSentItem, 0);
    FakeThread stopped;
    stopped.stopAfterWaits = 50;
    EXPECT_EQ(RunOutlookScan(settings, connect, feed, stopped, [] { return true; }), MailScanEnd::Stopped);
    EXPECT_EQ(fed.size(), 1u);
}

TEST_F(OutlookFixture, AStopWhileFeedingGoesOnWhereTheItemWasCut) {
    mail = {u"a", u"b", u"c"};
    FakeThread thread;
    auto stopInOne = [&](std::u16string_view t, size_t from) {
        if (t != u"body 1") return fed.emplace_back(t.substr(from)), t.size();
        fed.emplace_back(t.substr(from, 3));
        thread.stopped = true;
        return from + 3;
    };
    auto connect = [this]() -> std::unique_ptr<OutlookMailSource> { return std::make_unique<FakeOutlook>(mail); };
    EXPECT_EQ(RunOutlookScan(settings, connect, stopInOne, thread), MailScanEnd::Stopped);
    EXPECT_EQ(settings.ReadInt(s::ScanOutlookCurrentSentItem), 1);
    EXPECT_EQ(settings.ReadInt(s::ScanOutlookSentItemOffset), 3);
    FakeThread again;
    EXPECT_EQ(Run(again), MailScanEnd::Done);
    EXPECT_EQ(fed, (std::vector<std::u16string>{u"body 0", u"bod", u"y 1", u"body 2"}));
    EXPECT_EQ(settings.ReadInt(s::ScanOutlookSentItemOffset), 0);
}

// The cap ends the scan for good: Done is written, and later starts do not
// connect, which would start Outlook for nothing.
TEST_F(OutlookFixture, AtMostFiveHundredEverAndNoConnectionAfter) {
    mail.assign(620, u"News");
    FakeThread thread;
    EXPECT_EQ(Run(thread), MailScanEnd::Done);
    EXPECT_EQ(fed.size(), 500u);
    EXPECT_EQ(fed.back(), u"body 499");
    EXPECT_EQ(settings.ReadInt(s::ScanOutlookCurrentSentItem), 500);
    EXPECT_TRUE(settings.ReadBool(s::ScanOutlookSentItemsDone));
    settings.WriteBool(s::ScanOutlookSentItemsDone, false);  // as written by an older version
    FakeThread again;
    EXPECT_EQ(Run(again), MailScanEnd::Done);
    EXPECT_EQ(connects, 1);
    EXPECT_TRUE(settings.ReadBool(s::ScanOutlookSentItemsDone));
    EXPECT_EQ(fed.size(), 500u);
}

TEST_F(OutlookFixture, WaitsForThunderbirdFirst) {
    mail = {u"Hello"};
    settings.WriteBool(s::ScanThunderbirdSentItems, true);
    FakeThread thread;
    thread.stopAfterWaits = 3;
    EXPECT_EQ(Run(thread), MailScanEnd::Stopped);
    EXPECT_EQ(connects, 0);
    EXPECT_EQ(thread.waits, 3);
    settings.WriteBool(s::ScanThunderbirdSentItemsDone, true);
    FakeThread after;
    EXPECT_EQ(Run(after), MailScanEnd::Done);
    EXPECT_EQ(fed, std::vector<std::u16string>{u"body 0"});
}

}  // namespace
}  // namespace kx
