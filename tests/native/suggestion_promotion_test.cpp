// Promotion of frequent phrases while the dictionary is saved, and the merge
// into "ShortcutSuggestions.txt".
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "base/text.h"
#include "learn/suggestion_promotion.h"
#include "tests/support/dictionary_options.h"

namespace kx {
namespace {

std::string TempPath(const char* name) { return testing::TempDir() + "kx_suggest_" + name; }

void WriteFile(const std::string& path, const std::string& bytes) {
    std::filesystem::remove_all(path);
    std::ofstream(path, std::ios::binary) << bytes;
}

std::string ReadFile(const std::string& path) {
    std::stringstream s;
    s << std::ifstream(path, std::ios::binary).rdbuf();
    return s.str();
}

void TypeLine(PhraseDictionary& d, std::u16string_view text, int times) {
    for (int i = 0; i < times; ++i) {
        for (char16_t u : text) d.FeedTypedUnit(u);
        d.FeedTypedUnit(u'\n');
        d.TypingLearnerPass();
    }
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

}  // namespace
}  // namespace kx
