// Suggestions from what the user types: frequent phrases promoted while the
// dictionary is saved and merged into "ShortcutSuggestions.txt", taken out of
// it for the window over real files (the Wine suite checks the window), and
// the reminder that a text being typed is already a shortcut, run as the
// one-second timer runs it.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <tuple>
#include <vector>

#include "base/text.h"
#include "learn/phrase_dictionary.h"
#include "learn/shortcut_reminder.h"
#include "learn/shortcut_text.h"
#include "learn/suggestion_promotion.h"
#include "learn/suggestion_take.h"
#include "tests/support/dictionary_options.h"

namespace kx {
namespace {

namespace fs = std::filesystem;
using Texts = std::vector<std::u16string>;

std::string TempPath(const char* name) { return testing::TempDir() + "kx_suggest_" + name; }

void WriteFile(const std::string& path, const std::string& bytes) {
    fs::remove_all(path);
    std::ofstream(path, std::ios::binary) << bytes;
}

// A file's bytes; "(none)" when there is no such file.
std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return in ? s.str() : "(none)";
}

std::string Lines(int from, int to) {
    std::string out;
    for (int i = from; i <= to; ++i) out += "suggestion number " + std::to_string(i) + "\r\n";
    return out;
}

// Each row: the file as found, and a temporary file left from before ("/":
// a folder that cannot be deleted stands in its place); what the window
// shows, and the file left behind.
TEST(SuggestionTake, ShowsTheFirstThreeAndKeepsTheNextUpToTwoHundred) {
    const fs::path folder = fs::path(testing::TempDir()) / "kx_take";
    const fs::path file = folder / "ShortcutSuggestions.txt", temp = folder / "ShortcutSuggestionsTemp.txt";
    const std::u16string longPhrase(300, u'\u00e9');
    const Texts three = {u"suggestion number 1", u"suggestion number 2", u"suggestion number 3"};
    const struct {
        const char* what;
        std::string file, temp;
        Texts shown;
        std::string left;
    } rows[] = {
        {"past 200", Lines(1, 205), "", three, Lines(4, 200)},
        {"an empty line stays; past 259 characters cut; bare LF; no last line end",
         "\r\n" + Utf16ToUtf8(longPhrase) + "\nthird\r\nfourth\nfifth", "", {longPhrase.substr(0, 259), u"third"},
         "\r\nfourth\r\nfifth\r\n"},
        {"the last leave an empty file", "only one\r\n", "", {u"only one"}, ""},
        {"no file: nothing made", "(none)", "", {}, "(none)"},
        {"a temporary file left before", Lines(1, 5), "left behind\r\nby a run that ended half-way\r\n", three,
         Lines(4, 5)},
        {"no temporary file can be made", Lines(1, 5), "/", {}, Lines(1, 5)},
    };
    for (const auto& r : rows) {
        fs::remove_all(folder);
        fs::create_directories(folder);
        if (r.file != "(none)") std::ofstream(file, std::ios::binary) << r.file;
        if (r.temp == "/") fs::create_directories(temp / "inside");
        else if (!r.temp.empty()) std::ofstream(temp, std::ios::binary) << r.temp;
        EXPECT_EQ(TakePendingSuggestions(SystemFileSystem(), folder.u16string()), r.shown) << r.what;
        EXPECT_EQ(ReadFile(file.string()), r.left) << r.what;
        EXPECT_FALSE(fs::is_regular_file(temp)) << r.what;
    }
    fs::remove_all(folder);
}

void TypeLine(PhraseDictionary& d, std::u16string_view text, int times) {
    for (int i = 0; i < times; ++i) TypeInto(d, std::u16string(text) + u'\n');
}

int Suggestable(PhraseDictionary& d, std::u16string_view phrase) {
    PhraseStats s;
    return d.GetPhraseStats(phrase, s) ? s.suggestable : -1;
}

// Saves `d` into a fresh "acdata.txt" with promotion into `file`; the
// dictionary as the next start reads it back.
std::unique_ptr<PhraseDictionary> SaveAndReload(PhraseDictionary& d, const std::string& file) {
    const std::string acdata = TempPath("acdata.txt");
    std::remove(acdata.c_str());
    SuggestionPromotion promotion(U16(file));
    SaveControl control;
    promotion.Attach(control);
    EXPECT_EQ(d.Save(U16(acdata), control), SaveResult::Saved);
    auto back = std::make_unique<PhraseDictionary>(QuietDictionaryOptions());
    back->LoadFile(U16(acdata));
    return back;
}

CompletionCandidate Scored(std::u16string phrase, int64_t score) {
    CompletionCandidate c;
    c.phrase = std::move(phrase);
    c.score = score;
    return c;
}

TEST(SuggestionPromotion, TheTwoRulesAtTheSaveWithTheFileMerged) {
    PhraseDictionary d(QuietDictionaryOptions());
    d.LoadFile(U16(TempPath("none.txt")));  // no file: loaded, empty
    TypeLine(d, u"see you there ok.", 5);      // 17 units: too short however often
    TypeLine(d, u"call me back soon.", 3);     // 18 units, three times
    TypeLine(d, u"talk to you later.", 2);     // 18 units, only twice
    // Sixty units and more need ten, acceptances counted with typings
    // (SetPhraseStats counts two typings).
    const std::u16string sixty = u"this sentence has sixty characters and no final punctuation";
    const std::u16string longNine = sixty + u"x", longTen = sixty + u"y";
    d.SetPhraseStats(longNine, 7, 1, 1, 0, 1);
    d.SetPhraseStats(longTen, 8, 1, 1, 0, 1);
    d.SetPhraseStats(u"thanks for all of it,", 2, 1, 1, 0, 1);
    d.SetPhraseStats(u"already suggested once.", 9, 1, 1, 0, 0);
    d.SetPhraseStats(u"known phrase in the file", 4, 1, 1, 0, 1);
    const std::string file = TempPath("rules.txt");
    WriteFile(file, "known phrase in the file\r\n");
    auto back = SaveAndReload(d, file);
    // Most frequent first: 10, then 6 (the dictionary's count for the line
    // already in the file), 4 and 3.
    EXPECT_EQ(ReadFile(file), U8(longTen) +
                                  "\r\nknown phrase in the file\r\nthanks for all of it,\r\ncall me back soon.\r\n");
    // The promoted ones are saved as suggested already.
    for (const auto& [phrase, suggestable] : {std::pair{u"call me back soon.", 0}, {longTen.c_str(), 0},
                                              {u"see you there ok.", 1}, {u"talk to you later.", 1},
                                              {longNine.c_str(), 1}, {u"known phrase in the file", 1}}) {
        EXPECT_EQ(Suggestable(d, phrase), suggestable) << U8(phrase);
        EXPECT_EQ(Suggestable(*back, phrase), suggestable) << U8(phrase);
    }
    // A phrase is promoted once: the next save only re-sorts the file.
    TypeLine(d, u"call me back soon.", 1);
    TypeLine(d, u"talk to you later.", 1);
    SaveAndReload(d, file);
    EXPECT_EQ(ReadFile(file), U8(longTen) +
                                  "\r\nknown phrase in the file\r\ncall me back soon.\r\nthanks for all of it,\r\n"
                                  "talk to you later.\r\n");
}

TEST(SuggestionPromotion, MergeOrderSkipsEmptyAndRepeatedLinesAndKeepsUnknownOnesLast) {
    const std::string file = TempPath("merge.txt");
    const std::string overlong(kSuggestionLineUnits + 500, 'w');
    WriteFile(file, "\xEF\xBB\xBFgone from the dictionary\r\n\r\nknown with five\r\ncaf\xC3\xA9 au lait, merci.\r\n"
                    "known with five\n" + overlong + "\r\nlast line without an end");
    const std::map<std::u16string, uint32_t> counts = {
        {u"known with five", 5}, {u"caf\u00e9 au lait, merci.", 7}, {u"last line without an end", 1}};
    const LockedStatsLookup find = [&](std::u16string_view phrase, PhraseStats& out) {
        auto it = counts.find(std::u16string(phrase));
        if (it == counts.end()) return false;
        out.accepted = 0;
        out.typedCount = it->second;
        return true;
    };
    CandidateList promoted;
    InsertByScore(promoted, Scored(u"new with five.", 5));
    InsertByScore(promoted, Scored(u"caf\u00e9 au lait, merci.", 7));
    ASSERT_TRUE(UpdateSuggestionFile(U16(file), promoted, find));
    // A line from the file goes before a promoted phrase of the same count.
    EXPECT_EQ(ReadFile(file), "caf\xC3\xA9 au lait, merci.\r\nknown with five\r\nnew with five.\r\n"
                              "last line without an end\r\n" +
                                  std::string(kSuggestionLineUnits, 'w') + "\r\ngone from the dictionary\r\n");
}

TEST(SuggestionPromotion, AtMost200LinesAreReadAndWritten) {
    const std::string file = TempPath("cap.txt");
    std::string lines;
    for (int i = 1; i <= 250; ++i) lines += "old line " + std::to_string(i) + "\r\n";
    WriteFile(file, lines);
    CandidateList promoted;
    InsertByScore(promoted, Scored(u"just promoted.", 1));
    ASSERT_TRUE(UpdateSuggestionFile(U16(file), promoted, {}));
    // Lines of equal count: each read one goes before those read earlier.
    // Lines 201 to 250 are never read; the 200th's place leaves line 1 out.
    std::string expected = "just promoted.\r\n";
    for (int i = 200; i >= 2; --i) expected += "old line " + std::to_string(i) + "\r\n";
    EXPECT_EQ(ReadFile(file), expected);
}

TEST(SuggestionPromotion, AFileThatCannotBeOpenedLosesThePromotedPhrasesButTheSaveSucceeds) {
    const std::string folder = TempPath("unopenable");
    std::filesystem::remove_all(folder);
    std::filesystem::create_directory(folder);  // stands where the file should be
    PhraseDictionary d(QuietDictionaryOptions());
    d.LoadFile(U16(TempPath("none.txt")));
    TypeLine(d, u"call me back soon.", 3);
    EXPECT_EQ(Suggestable(*SaveAndReload(d, folder), u"call me back soon."), 0);
    EXPECT_TRUE(std::filesystem::is_directory(folder));
}

struct RecordingBalloon final : ReminderBalloon {
    void Show(std::u16string_view title, std::u16string_view text) override {
        EXPECT_EQ(title, u"Shortcut Exists");
        shown.push_back(U8(text));
    }
    std::vector<std::string> shown;
};

const std::u16string kReport = u"please find the report attached for you";  // 39 units

struct Reminders {
    Reminders() {
        text.SetLearningEnabled(false);
        store->Insert(u"RPT", ShortcutEntry::Make(ShortcutKind::SimpleText, kReport));
        store->Insert(u"MAC", ShortcutEntry::Make(ShortcutKind::Macro, u"a macro script typed out"));
        RebuildShortcutText(text, index, *store, nullptr);
    }
    // Types `units` more characters, lets the dictionary's learner and
    // searcher run once, then the timer's check; what it showed.
    std::vector<std::string> TypeAndCheck(std::u16string_view units) {
        TypeInto(text, units);
        text.SearchPass();
        balloon.shown.clear();
        reminder.CheckTypingKnownShortcut(text, index, balloon);
        return balloon.shown;
    }
    // Types the report's characters from `from` up to `to`.
    std::vector<std::string> TypeReport(size_t from, size_t to) {
        return TypeAndCheck(std::u16string_view(kReport).substr(from, to - from));
    }

    PhraseDictionary text{QuietDictionaryOptions()};
    ExpansionIndex index;
    StoreRef store = ShortcutStore::Create();
    ShortcutReminder reminder;
    RecordingBalloon balloon;
};

using Shown = std::vector<std::string>;
const Shown kTyping = {"You are typing shortcut 'RPT'"};
const Shown kHint = {"You seem to be typing something that is already a shortcut as 'RPT'."};

TEST(ShortcutReminder, EarlyHintOnceThenTheReminderNearTheEndUntilFullyTyped) {
    Reminders r;
    // Half of 39 is 19: the hint needs 20 characters, and comes once.
    EXPECT_EQ(r.TypeReport(0, 19), Shown{});
    EXPECT_EQ(r.TypeReport(19, 20), kHint);
    EXPECT_EQ(r.TypeReport(20, 21), Shown{});
    // All but four typed: nothing; all but three or fewer: the reminder.
    EXPECT_EQ(r.TypeReport(21, 35), Shown{});
    EXPECT_EQ(r.TypeReport(35, 36), kTyping);
    // The same line at the next run shows nothing new; the next character
    // shows the reminder again while it still matches.
    EXPECT_EQ(r.TypeAndCheck(u""), Shown{});
    EXPECT_EQ(r.TypeReport(36, 38), kTyping);
    // Typed out in full it is no completion any more.
    EXPECT_EQ(r.TypeReport(38, 39), Shown{});

    // Loading the shortcuts again brings the early hint back.
    RebuildShortcutText(r.text, r.index, *r.store, nullptr);
    EXPECT_EQ(r.TypeAndCheck(u"\n" + kReport.substr(0, 25)), kHint);
}

TEST(ShortcutReminder, OnlyTextShortcutsStayingInAStoreAreReminded) {
    Reminders r;
    EXPECT_EQ(r.TypeAndCheck(u"a macro script typed"), Shown{});
    // The macro's text is not one of them.
    EXPECT_EQ(Phrases(r.text), (std::map<std::u16string, uint32_t>{{kReport, 2}}));
    EXPECT_EQ(Counts(r.text, kReport), std::tuple(2, 0, 2));

    // The first store's keyword wins for a text that both hold.
    StoreRef shared = ShortcutStore::Create();
    shared->Insert(u"REPORT", ShortcutEntry::Make(ShortcutKind::RichText, kReport, "{\\rtf1 x}"));
    shared->Insert(u"THX", ShortcutEntry::Make(ShortcutKind::RichText, u"thank you so much for it", "{\\rtf1 y}"));
    RebuildShortcutText(r.text, r.index, *r.store, shared.get());
    ASSERT_NE(r.index.Find(kReport), nullptr);
    EXPECT_EQ(*r.index.Find(kReport), u"RPT");
    EXPECT_EQ(r.TypeAndCheck(u"\nthank you so much for"), Shown{"You are typing shortcut 'THX'"});

    // A shortcut deleted and the shortcuts loaded again: its text is gone.
    r.store->Remove(u"RPT");
    RebuildShortcutText(r.text, r.index, *r.store, nullptr);
    EXPECT_TRUE(Phrases(r.text).empty());
    EXPECT_EQ(r.index.Find(kReport), nullptr);
    EXPECT_EQ(r.TypeAndCheck(u"\n" + kReport.substr(0, 37)), Shown{});
}

TEST(ShortcutReminder, AShortcutMadeFromAPhraseIsNoLongerSuggestedAndIsReminded) {
    Reminders r;
    PhraseDictionary learning(QuietDictionaryOptions());
    learning.SetPhraseStats(u"see you at the meeting.", 0, 1, 1, 0, 1);
    OnShortcutCreatedFromPhrase(learning, r.text, r.index, u"see you at the meeting.", u"MTG",
                                u"see you at the meeting!");
    PhraseStats stats;
    ASSERT_TRUE(learning.GetPhraseStats(u"see you at the meeting.", stats));
    EXPECT_EQ(stats.suggestable, 0);
    ASSERT_NE(r.index.Find(u"see you at the meeting!"), nullptr);
    EXPECT_EQ(r.TypeAndCheck(u"see you at the meetin"), Shown{"You are typing shortcut 'MTG'"});
}

}  // namespace
}  // namespace kx
