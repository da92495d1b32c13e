// "acdata.txt": the record lines, the loader's rules for damaged files, and
// the loaded rule that keeps a file that did not load from being replaced.
#include <gtest/gtest.h>

#include <filesystem>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <fstream>
#include <map>
#include <mutex>
#include <sstream>
#include <thread>

#include "base/text.h"
#include "core/base64.h"
#include "learn/acdata_record.h"
#include "learn/phrase_dictionary.h"
#include "platform/fake/fake_clock.h"
#include "tests/support/dictionary_options.h"

namespace kx {
namespace {

std::string TempPath(const char* name) { return testing::TempDir() + "kx_acdata_" + name; }

// Writes `bytes` to a scratch file and gives its path.
std::string WriteFile(const char* name, const std::string& bytes) {
    const std::string path = TempPath(name);
    std::remove(path.c_str());
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
}

std::string ReadFile(const std::string& path) {
    std::stringstream s;
    s << std::ifstream(path, std::ios::binary).rdbuf();
    return s.str();
}

// Gives way after every line: each look at the still clock finds the empty
// slice spent.
LoadPacing EveryLine(FakeClock& clock, std::function<bool(uint32_t)> giveWay) {
    LoadPacing p;
    p.clock = &clock;
    p.sliceMs = 0;
    p.giveWay = std::move(giveWay);
    return p;
}

// Each phrase with its statistics, "accepted last-seen impressions typed
// suggestable first-seen;", and its confidence bytes, a dot for each 100.
std::map<std::u16string, std::string> Entries(PhraseDictionary& d) {
    std::map<std::u16string, std::string> out;
    d.ForEachEntry([&](std::u16string_view p, const PhraseEntry& e) {
        const PhraseStats& s = e.stats;
        std::string& line = out[std::u16string(p)];
        for (uint32_t n : {s.accepted, s.lastSeen, s.impressions, s.typedCount, uint32_t(s.suggestable), s.firstSeen})
            line += (line.empty() ? "" : " ") + std::to_string(n);
        line += ";";
        for (uint32_t i = 0; i < e.confidenceCount; ++i)
            line += e.confidence[i] == 100 ? "." : std::to_string(e.confidence[i]) + ",";
    });
    return out;
}

std::vector<std::u16string> PhraseList(PhraseDictionary& d) {
    std::vector<std::u16string> out;
    for (const auto& [phrase, line] : Entries(d)) out.push_back(phrase);
    return out;
}
using List = std::vector<std::u16string>;

TEST(AcdataFile, ASavedDictionaryReadsBackTheSame) {
    const std::string path = TempPath("roundtrip.txt");
    std::map<std::u16string, std::string> before;
    {
        PhraseDictionary d(QuietDictionaryOptions());
        d.LoadFile(U16(TempPath("absent.txt")));  // absent: loaded and empty
        ASSERT_TRUE(d.Loaded());
        for (auto text : {u"thank you very much\n", u"caf\u00e9 au lait \u263A\n"})
            for (char16_t u : std::u16string(text)) d.FeedTypedUnit(u);
        d.TypingLearnerPass();
        d.SetPhraseStats(u"tab\there too", 1, 2, 3, 4, 1);
        d.SetPhraseStats(u"a phrase\r\nover two lines", 4, 9, 10, 11, 0);
        d.CountAccepted(u"thank you very much");
        d.RaiseConfidence(u"thank you very much", 3);
        before = Entries(d);
        ASSERT_EQ(d.Save(U16(path)), SaveResult::Saved);
        EXPECT_EQ(d.KeystrokeCounter(), 35u);
    }
    const std::string bytes = ReadFile(path);
    EXPECT_EQ(bytes.substr(0, 4), "35\r\n");
    EXPECT_NE(bytes.find("\r\ntab here too\t1\t3\t4\t2\t1\t2\t\r\n"), std::string::npos);
    std::vector<uint8_t> raised(19, 100);
    raised[2] = 160;
    EXPECT_NE(bytes.find("\r\nthank you very much\t1\t20\t0\t1\t1\t20\t" + Base64Encode(raised) + "\r\n"),
              std::string::npos);
    EXPECT_NE(bytes.find("\r\ncaf\xc3\xa9 au lait \xe2\x98\xba\t"), std::string::npos);

    PhraseDictionary back(QuietDictionaryOptions());
    back.LoadFile(U16(path));
    ASSERT_TRUE(back.Loaded());
    EXPECT_EQ(back.KeystrokeCounter(), 35u);
    // A tab, and the CR of a CR LF, become spaces: the record stays one line.
    // An entry without confidence bytes scores as 100 each; so it reads back.
    before[u"tab here too"] = before[u"tab\there too"] + std::string(12, '.');
    before.erase(u"tab\there too");
    before[u"a phrase \nover two lines"] = before[u"a phrase\r\nover two lines"] + std::string(24, '.');
    before.erase(u"a phrase\r\nover two lines");
    EXPECT_EQ(Entries(back), before);
}

// Each line of a damaged file loads as far as it can: a record needs five
// fields and two words; a missing or damaged field reads as 0, or as no
// confidence bytes (100 each); a number too large saturates; a phrase is cut
// to 259 units (one word left is no phrase); a NUL or the end of the file
// ends the records. A byte-order mark before the counter is skipped.
TEST(AcdataFile, ADamagedFileLoadsWhatItCan) {
    using namespace std::string_literals;
    std::vector<uint8_t> bytes(259);
    for (size_t k = 0; k < bytes.size(); ++k) bytes[k] = uint8_t(k);
    std::string confidence;
    for (uint8_t b : bytes) confidence += b == 100 ? "." : std::to_string(b) + ",";
    const std::string longest = std::string(200, 'a') + " " + std::string(58, 'b');
    const std::string path = WriteFile("damaged.txt", "\xEF\xBB\xBF" "77\r\n"
        "see you soon\t3\t400\t7\t5\t1\t20\tZGVm\r\n"
        "short\tline\r\n"
        "oneword\t1\t2\t3\t4\r\n"
        "four fields\t1\t2\t3\r\n"
        "five fields here\t1\t2\tx3\t4\r\n"
        "huge count\t99999999999\t2\t3\t4\r\n"
        "bad base64\t1\t2\t3\t4\t1\t5\tZGVm!!\textra\tfields\r\n"s +
        longest + "\t1\t2\t3\t4\t1\t5\t" + Base64Encode(bytes) + "\r\n" +
        // An ignored ninth field larger than the read buffer.
        "huge ninth field\t1\t2\t3\t4\t1\t5\t\t" + std::string(3000000, 'z') + "\r\n" +
        std::string(320, 'x') + " y\t1\t2\t3\t4\r\n" + std::string(250, 'a') + " " + std::string(50, 'b') +
        "\t1\t2\t3\t4\r\n"
        "lone cr\rin the middle\t1\t2\t3\t4\r\n"
        "after zero\t1\t2\t3\t4\r\nbefore\0zero\t1\t2\t3\t4\r\nnever read\t1\t2\t3\t4\r\n"
        "cut at the end\t1\t2"s);
    PhraseDictionary d(QuietDictionaryOptions());
    d.LoadFile(U16(path));
    EXPECT_TRUE(d.Loaded());
    EXPECT_EQ(d.KeystrokeCounter(), 77u);
    const auto loaded = Entries(d);
    EXPECT_EQ(loaded, (std::map<std::u16string, std::string>{
                          {u"see you soon", "3 400 7 5 1 20;.101,102,"},  // "ZGVm": 100, 101, 102
                          {u"five fields here", "1 2 0 4 0 0;" + std::string(16, '.')},
                          {u"huge count", "4294967295 2 3 4 0 0;.........."},
                          {u"bad base64", "1 2 3 4 1 5;.........."},
                          {U16(longest), "1 2 3 4 1 5;" + confidence},
                          {u"huge ninth field", "1 2 3 4 1 5;" + std::string(16, '.')},
                          {std::u16string(250, u'a') + u" " + std::u16string(8, u'b'), "1 2 3 4 0 0;" + std::string(259, '.')},
                          {u"lone cr\rin the middle", "1 2 3 4 0 0;" + std::string(21, '.')},
                          {u"after zero", "1 2 3 4 0 0;.........."},
                      }));
    EXPECT_EQ(d.PhraseCount(), loaded.size());
}

// A file that did not load (not yet, stopped half-way, or unreadable) is
// never saved over; a save can be cancelled, and one into a folder that does
// not exist fails. A save's hooks see each entry and the end of the walk.
TEST(AcdataFile, SaveRefusedBeforeLoadingCancelledOrUncreatable) {
    const std::string kept = "5\r\nkeep this phrase\t1\t2\t3\t4\r\n", path = WriteFile("kept.txt", kept);
    const std::string unreadable = TempPath("unreadable.txt"), temp = TempPath("keptTEMP.txt");
    std::remove(unreadable.c_str());
    std::filesystem::create_directory(unreadable);  // a folder in the file's place reads as no file
    PhraseDictionary d(QuietDictionaryOptions());
    d.SetPhraseStats(u"learned before loading", 1, 1, 1, 1, 1);
    EXPECT_EQ(d.Save(U16(path)), SaveResult::NotLoaded);
    FakeClock clock;
    d.LoadFile(U16(path), EveryLine(clock, [](uint32_t) { return true; }));  // stopped after the first line
    EXPECT_EQ(d.Save(U16(path)), SaveResult::NotLoaded);
    d.LoadFile(U16(unreadable));
    EXPECT_EQ(d.Save(U16(temp)), SaveResult::NotLoaded);
    std::filesystem::remove(unreadable);
    EXPECT_EQ(ReadFile(path), kept);

    d.LoadFile(U16(path));
    SaveControl hooks;
    hooks.cancelRequested = [] { return true; };
    EXPECT_EQ(d.Save(U16(temp), hooks), SaveResult::Cancelled);
    EXPECT_EQ(d.Save(U16(testing::TempDir() + "no-such-folder/acdata.txt")), SaveResult::CreateFailed);
    int finished = 0;
    hooks.cancelRequested = nullptr;
    hooks.beforeEntry = [&](std::u16string_view, PhraseEntry& e) { e.stats.suggestable = 0; };
    hooks.afterWalk = [&](const LockedStatsLookup&) { ++finished; };
    EXPECT_EQ(d.Save(U16(temp), hooks), SaveResult::Saved);
    EXPECT_EQ(finished, 1);
    EXPECT_EQ(ReadFile(temp), "5\r\nkeep this phrase\t1\t2\t3\t4\t0\t0\tZGRkZGRkZGRkZGRkZGRkZA==\r\n");
}

// Between two lines the loader lets the learners and the searcher in; one
// of them may remove the phrase the loader has just stored, whose prefix the
// next line shares.
TEST(AcdataFile, APhraseRemovedWhileTheLoaderPausesIsNotBuiltOnByTheNextLine) {
    const std::string path = WriteFile("removed_between.txt", "9\r\nalpha beta one\t1\t2\t3\t4\r\n"
                                       "alpha beta two\t1\t2\t3\t4\r\nalpha beta three\t1\t2\t3\t4\r\n");
    PhraseDictionary d(QuietDictionaryOptions());
    int pauses = 0;
    FakeClock clock;
    d.LoadFile(U16(path), EveryLine(clock, [&](uint32_t) { return ++pauses == 1 && !d.RemovePhrase(u"alpha beta one"); }));
    EXPECT_TRUE(d.Loaded());
    EXPECT_EQ(PhraseList(d), (List{u"alpha beta three", u"alpha beta two"}));
    EXPECT_TRUE(d.RemovePhrase(u"alpha beta two") && d.RemovePhrase(u"alpha beta three"));
    EXPECT_EQ(d.PhraseCount(), 0u);
}

// The loader's clock: its first look, when a load starts, holds that load
// until the test lets it go; after that every slice is spent at once.
struct HeldClock final : Clock {
    std::mutex m;
    std::condition_variable changed;
    bool held = false, released = false;
    uint32_t now = 100000;
    uint32_t TickMs() override {
        std::unique_lock<std::mutex> lock(m);
        if (!held) held = true, changed.notify_all(), changed.wait(lock, [this] { return released; });
        return now += kLoaderSliceMs;
    }
    void SleepMs(uint32_t) override {}
};

// A restore replaces "acdata.txt" while the start-up load still reads the
// old one: the restored file is what the dictionary ends up holding, so the
// save at exit does not write the old phrases over it.
TEST(AcdataFile, AFileLoadedWhileAnotherLoadRunsReplacesIt) {
    std::string old = "5\r\n";
    for (int k = 0; k < 50; ++k) old += "old phrase number " + std::to_string(k) + "\t1\t2\t3\t4\r\n";
    const std::string before = WriteFile("before_restore.txt", old);
    const std::string restored = WriteFile("restored.txt", "7\r\nrestored phrase here\t1\t2\t3\t4\r\n");
    HeldClock clock;
    DictionaryOptions options = QuietDictionaryOptions();
    options.clock = &clock;
    PhraseDictionary d(options);
    d.StartLoading(U16(before));
    std::unique_lock<std::mutex> lock(clock.m);
    clock.changed.wait(lock, [&] { return clock.held; });
    lock.unlock();
    std::thread letGo([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        std::lock_guard<std::mutex> hold(clock.m);
        clock.released = true;
        clock.changed.notify_all();
    });
    d.StartLoading(U16(restored));
    letGo.join();
    for (int ms = 0; ms < 10000 && !d.Loaded(); ++ms) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    ASSERT_TRUE(d.Loaded());
    EXPECT_EQ(PhraseList(d), List{u"restored phrase here"});
    EXPECT_EQ(d.KeystrokeCounter(), 7u);
}

// The loader gives way by the time it has worked, measured on the clock it
// is given; waiting for the lock again is not work.
TEST(LoaderPacing, ASliceEndsAfterItsTimeOfWorkWhateverTheTickCount) {
    const struct { uint32_t start, worked; bool spent; } steps[] = {
        {100000, 0, false}, {100000, 7, false}, {100000, 8, true}, {100000, 500, true},
        // The tick count wraps during the slice.
        {0xFFFFFFFCu, 7, false}, {0xFFFFFFFCu, 8, true},
    };
    for (const auto& step : steps) {
        FakeClock clock(step.start);
        WorkPacer pacer(clock, kLoaderSliceMs);
        clock.Advance(step.worked);
        EXPECT_EQ(pacer.SliceSpent(), step.spent) << step.start << " + " << step.worked;
    }
    FakeClock clock;
    WorkPacer pacer(clock, kLoaderSliceMs);
    clock.Advance(kLoaderSliceMs);
    ASSERT_TRUE(pacer.SliceSpent());
    clock.Advance(40);  // waited for the lock after giving way
    pacer.StartSlice();
    EXPECT_FALSE(pacer.SliceSpent());
}

TEST(LoaderPacing, ALoadGivesWayPerSliceNotPerLine) {
    std::string file = "3\r\n";
    for (int k = 0; k < 1000; ++k) file += "paced phrase number " + std::to_string(k) + "\t1\t2\t3\t4\r\n";
    const std::string path = WriteFile("paced.txt", file);
    // However many lines, a load that has not worked a slice long does not
    // give way: on Windows each give-way costs a tick.
    FakeClock still;
    PhraseDictionary d(QuietDictionaryOptions());
    LoadReport report;
    d.SetLoadedNotice([&](const LoadReport& r) { report = r; });
    int giveWays = 0;
    LoadPacing pacing;
    pacing.clock = &still;
    pacing.giveWay = [&](uint32_t) { return ++giveWays, false; };
    d.LoadFile(U16(path), pacing);
    EXPECT_EQ(giveWays, 0);
    ASSERT_TRUE(d.Loaded());
    EXPECT_TRUE(report.fileFound);
    EXPECT_EQ(report.phrases, 1000u);

    // Each slice spent: it gives way for the shortest wait, and says so.
    giveWays = 0;
    d.LoadFile(U16(path), EveryLine(still, [&](uint32_t ms) {
                   EXPECT_EQ(ms, kLoaderGiveWayMs);
                   return ++giveWays, false;
               }));
    EXPECT_EQ(giveWays, 1000);
    EXPECT_EQ(report.giveWays, 1000u);
    std::remove(path.c_str());
}

}  // namespace
}  // namespace kx
