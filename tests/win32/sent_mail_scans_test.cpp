// The program's start of the sent-mail scans: only a scan the user switched
// on starts (an absent flag is off here, though the scan itself reads it as
// on), at the lowest priority, once; and a running scan stops at exit, or
// when the user switches it off in the options.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include "app/lifecycle/sent_mail_scans.h"
#include "learn/phrase_dictionary.h"
#include "platform/fake/fixed_known_folders.h"
#include "platform/fake/memory_registry.h"
#include "platform/file_system.h"
#include "settings/settings_store.h"
#include "settings/settings_table.h"
#include "tests/native/database_test_support.h"
#include "tests/support/dictionary_options.h"

namespace kx {
namespace {

namespace s = settings;

bool EndsWithin(const SentMailScans& scans, int ms) {
    for (int waited = 0; waited < ms; waited += 10) {
        if (!scans.ThunderbirdRunning() && !scans.OutlookRunning()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}

struct SentMailScansTest : ::testing::Test {
    testing::ScratchDir dir;
    MemoryRegistry registry;
    SettingsStore settings{registry};
    PhraseDictionary dictionary{QuietDictionaryOptions()};
    FixedKnownFolders folders{dir.Path("Roaming"), dir.Path("Common")};
    int connects = 0;
    ThreadPriority connectPriority = ThreadPriority::Normal;
    SentMailScans scans{settings, SystemFileSystem(), folders, dictionary, [this] {
                            ++connects;
                            connectPriority = CurrentThreadPriority();
                            return std::unique_ptr<OutlookMailSource>();
                        }};

    void SetUp() override {
        // The scans feed only a dictionary that has loaded its file: a
        // missing file loads as an empty one.
        dictionary.LoadFile(u"C:\\nonexistent-folder\\acdata.txt");
        // One message without a body: the scan feeds nothing to wait for.
        const std::filesystem::path box(dir.Path("Roaming\\Thunderbird\\Profiles\\x.default\\Mail\\Sent"));
        std::filesystem::create_directories(box.parent_path());
        std::ofstream(box, std::ios::binary) << "From - Sat Dec 05 10:00:00 2026\r\nSubject: Hi\r\n\r\n";
    }
};

TEST_F(SentMailScansTest, AbsentFlagsStartNothing) {
    scans.StartSwitchedOn();
    EXPECT_FALSE(scans.ThunderbirdRunning());
    EXPECT_FALSE(scans.OutlookRunning());
    scans.Stop();
    EXPECT_FALSE(settings.ReadBool(s::ScanThunderbirdSentItemsDone));
    EXPECT_EQ(connects, 0);
}

TEST_F(SentMailScansTest, SwitchedOnScansRunAtTheLowestPriorityThunderbirdFirst) {
    settings.WriteBool(s::ScanThunderbirdSentItems, true);
    settings.WriteBool(s::ScanOutlookSentItems, true);
    scans.StartSwitchedOn();
    EXPECT_TRUE(scans.ThunderbirdRunning());
    scans.StartSwitchedOn();  // running already: not started again
    ASSERT_TRUE(EndsWithin(scans, 10000));
    EXPECT_TRUE(settings.ReadBool(s::ScanThunderbirdSentItemsDone));
    EXPECT_EQ(settings.ReadInt(s::ScanThunderbirdCurrentSentItem), 1);
    // Outlook's waited for Thunderbird's, then found no Outlook: not done,
    // so the next start tries again.
    EXPECT_EQ(connects, 1);
    EXPECT_EQ(connectPriority, ThreadPriority::Lowest);
    EXPECT_FALSE(settings.ReadBool(s::ScanOutlookSentItemsDone));
}

// No feeder runs here, so the scan waits for its first message to be
// learned until it is stopped, at exit (true) or by its box unticked in the
// options; the message is not counted as fed.
struct WaitingScanTest : SentMailScansTest, ::testing::WithParamInterface<bool> {};

TEST_P(WaitingScanTest, StopsWaitingForTheFeeder) {
    std::ofstream(std::filesystem::path(dir.Path("Roaming\\Thunderbird\\Profiles\\x.default\\Mail\\Sent")),
                  std::ios::binary)
        << "From - Sat Dec 05 10:00:00 2026\r\nSubject: Hi\r\n\r\nSee you there.\r\n";
    settings.WriteBool(s::ScanThunderbirdSentItems, true);
    scans.StartSwitchedOn();
    EXPECT_TRUE(scans.ThunderbirdRunning());
    for (int waited = 0; waited < 10000 && !dictionary.MailTextPending(); waited += 10)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    ASSERT_TRUE(dictionary.MailTextPending());
    if (GetParam()) {
        scans.Stop();
    } else {
        scans.FollowSwitches();  // still switched on: it goes on
        EXPECT_TRUE(scans.ThunderbirdRunning());
        settings.WriteBool(s::ScanThunderbirdSentItems, false);
        scans.FollowSwitches();
    }
    EXPECT_FALSE(scans.ThunderbirdRunning());
    EXPECT_EQ(settings.ReadInt(s::ScanThunderbirdCurrentSentItem), 0);
    EXPECT_FALSE(settings.ReadBool(s::ScanThunderbirdSentItemsDone));
}

INSTANTIATE_TEST_SUITE_P(AtExitOrSwitchedOff, WaitingScanTest, ::testing::Bool());

}  // namespace
}  // namespace kx
