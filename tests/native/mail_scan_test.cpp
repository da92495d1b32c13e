// The two sent-mail scans over fake mail, fake files and an in-memory
// registry: what is fed, what is skipped, and how a stopped scan resumes.
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <set>
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
            if (it == files.end()) return nullptr;
            const std::string copy = testing::TempDir() + "kx_scan_mailbox";
            std::ofstream(copy, std::ios::binary | std::ios::trunc) << it->second;
            return OpenMailboxFile(U16(copy));
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
    FakeThread absent, thread, again;
    EXPECT_EQ(Outlook(absent), MailScanEnd::NoMail);  // tried again next time
    EXPECT_EQ(Progress(false), std::tuple(0, 0, false));
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
