// The phrase dictionary with its workers' passes called directly.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "base/text.h"
#include "learn/phrase_dictionary.h"
#include "learn/phrase_trie.h"
#include "tests/support/dictionary_options.h"

namespace kx {
namespace {

using Typed = std::map<std::u16string, uint32_t>;

bool Has(PhraseDictionary& d, std::u16string_view phrase) { return Phrases(d).count(std::u16string(phrase)) != 0; }

CandidateList Search(PhraseDictionary& d) {
    d.SearchPass();
    CandidateList out;
    d.TakeCandidates(out);
    return out;
}

TEST(PhraseLearning, AWordEndLearnsTheLineAndItsTailsWithinTheLengthBounds) {
    DictionaryOptions o = QuietDictionaryOptions();
    o.minimum = 4;
    o.maximum = 20;
    PhraseDictionary d(o);
    TypeInto(d, u"one two\r\n");
    EXPECT_EQ(d.KeystrokeCounter(), 8u);  // seven units and one line feed
    TypeInto(d, u"\n\n");
    EXPECT_EQ(d.KeystrokeCounter(), 9u);  // line breaks collapse
    TypeInto(d, u"ab c\nab cd\nsupercalifragilistic \nsee you very soon ");
    // "ab c": not more than the minimum; one word is no phrase; a word end
    // learns the line and each shorter tail of it.
    EXPECT_EQ(Phrases(d), (Typed{{u"ab cd", 1}, {u"one two", 1}, {u"see you very soon", 1}, {u"very soon", 1},
                                 {u"you very soon", 1}}));
    // A line longer than the ring learns nothing; the next line learns again.
    TypeInto(d, u"\nthree four five six seven eight nine ");
    EXPECT_FALSE(Has(d, u"eight nine"));
    TypeInto(d, u"\nnine ten ");
    EXPECT_TRUE(Has(d, u"nine ten"));
    // The file and SetPhraseStats take phrases beyond the maximum, never one word.
    EXPECT_TRUE(d.SetPhraseStats(u"aaaa bbbb ccc dddd eeee", 2, 0, 0, 0, 1));
    EXPECT_FALSE(d.SetPhraseStats(u"onewordonly", 2, 0, 0, 0, 1));
}

TEST(PhraseLearning, BackspaceAfterAFinishedWordUnlearnsItsPhrases) {
    PhraseDictionary d(QuietDictionaryOptions());
    TypeInto(d, u"see you soon \nsee you soon ");
    TypeInto(d, u"\b");
    EXPECT_EQ(Phrases(d), (Typed{{u"see you soon", 1}, {u"you soon", 1}}));
    TypeInto(d, u"\b");  // inside the word: only a step back
    TypeInto(d, u"n ");
    EXPECT_EQ(Phrases(d)[u"see you soon"], 2u);
    TypeInto(d, u"\nbye for now ");
    ASSERT_TRUE(d.CountAccepted(u"for now"));
    TypeInto(d, u"\b");
    // Typed once and never accepted: gone. Accepted once: kept at 0.
    EXPECT_EQ(Phrases(d), (Typed{{u"for now", 0}, {u"see you soon", 2}, {u"you soon", 2}}));
}

TEST(CompletionSearch, ScoresRanksAndWhenToSearch) {
    PhraseDictionary d(QuietDictionaryOptions());
    for (int k = 0; k < 3; ++k) TypeInto(d, u"thank you very much\nthanks a lot for it.\n");
    TypeInto(d, u"thank you all of you\nthank you for the music\nthank you for the music\n");
    ASSERT_TRUE(d.RaiseConfidence(u"thank you very much", 7));
    TypeInto(d, u"thank y");
    CandidateList c = Search(d);
    // Typed once, a phrase scores 0 (base 1 less 1 for a short text) and is
    // no candidate.
    ASSERT_EQ(c.size(), 2u);
    EXPECT_EQ(c[0].phrase, u"thank you very much");
    EXPECT_EQ(c[0].typedText, u"thank y");
    // confidence × span 2·(19−7)·(7−2) × base (3 typed − 1 for a short text)
    EXPECT_EQ(c[0].confidence, 160);
    EXPECT_EQ(c[0].score, 160 * 120 * 2);
    EXPECT_EQ(c[1].score, 100 * 160 * 1);
    // Nothing is searched after a sentence end or a line break, and the
    // empty result is still announced.
    for (std::u16string_view end : {u"ou.", u" ", u"\n"}) {
        TypeInto(d, end);
        d.SearchPass();
        EXPECT_TRUE(d.CandidatesReady()) << U8(end);
        d.TakeCandidates(c);
        EXPECT_TRUE(c.empty()) << U8(end);
    }
    // After a full stop and a space the next sentence searches again; the
    // ending full stop doubles the span.
    TypeInto(d, u"Fine. thank");
    c = Search(d);
    ASSERT_GE(c.size(), 2u);
    EXPECT_EQ(c[0].phrase, u"thanks a lot for it.");
    EXPECT_EQ(c[0].score, 100 * (2 * (20 - 5) * 3 * 2) * 2);
    EXPECT_EQ(c[1].score, 100 * (2 * (19 - 5) * 3) * 2);
    // No change to the ring, or the search suspended: no new search.
    d.SearchPass();
    EXPECT_FALSE(d.CandidatesReady());
    d.SetSearchSuspended(true);
    TypeInto(d, u"k");
    d.SearchPass();
    EXPECT_FALSE(d.CandidatesReady());
}

TEST(CompletionSearch, ShortPhrasesInsideBetterOnesAndStaleOnesGiveWay) {
    PhraseDictionary d(QuietDictionaryOptions());
    for (int k = 0; k < 2; ++k) TypeInto(d, u"see you later today\nsee you later\n");
    TypeInto(d, u"see y");
    CandidateList c = Search(d);
    // Equal use: the shorter phrase inside the longer one scores 0.
    ASSERT_EQ(c.size(), 1u);
    EXPECT_EQ(c[0].phrase, u"see you later today");
    // A phrase offered far more often than taken is removed by the search
    // that reaches it.
    for (int k = 0; k < 3; ++k) TypeInto(d, u"\ngood morning all\ngood morning team\n");
    for (int k = 0; k < 100; ++k) d.CountImpression(u"good morning all");
    TypeInto(d, u"good m");
    EXPECT_EQ(Search(d).size(), 2u);
    d.CountImpression(u"good morning all");
    d.CountAccepted(u"good morning team");
    for (int k = 0; k < 200; ++k) d.CountImpression(u"good morning team");
    TypeInto(d, u"o");
    c = Search(d);
    ASSERT_EQ(c.size(), 1u);
    EXPECT_EQ(c[0].phrase, u"good morning team");
    EXPECT_FALSE(Has(d, u"good morning all"));
    // Confidence 0 scores 0.
    for (int k = 0; k < 4; ++k) d.LowerConfidence(u"good morning team", 7);
    TypeInto(d, u"r\b");
    EXPECT_TRUE(Search(d).empty());
}

// A correction carries the counts to the new text (the correction tracker's
// tests check them); of a phrase no longer stored it learns nothing.
TEST(Statistics, CorrectionsOfGonePhrasesRenamesAndRemovals) {
    PhraseDictionary d(QuietDictionaryOptions());
    TypeInto(d, u"thank you very much\n");
    d.LearnCorrection(u"gone phrase here", u"other text");
    d.TypingLearnerPass();
    EXPECT_FALSE(Has(d, u"other text"));
    EXPECT_TRUE(d.RenamePhrase(u"thank you very much", u"thanks very much indeed"));
    EXPECT_EQ(Counts(d, u"thanks very much indeed"), std::tuple(0, 0, 1));
    EXPECT_TRUE(d.RemovePhrase(u"thanks very much indeed"));
    EXPECT_FALSE(d.RemovePhrase(u"thanks very much indeed"));
    EXPECT_FALSE(d.CountAccepted(u"thanks very much indeed"));
}

TEST(Memory, PruningDropsTheLeastRecentlySeenBelowTheLimit) {
    EXPECT_EQ(MemoryLimitFor(15, 2147483648ull), kMemoryLimitCap);
    DictionaryOptions o = QuietDictionaryOptions();
    o.trackbar = 1;
    o.totalVirtual = 600000;  // a 6000-byte limit
    PhraseDictionary d(o);
    TypeInto(d, u"ab cd\n");
    // One new phrase: 2·(34·5 + 5) + 126; removing it frees 68 per node.
    EXPECT_EQ(d.MemoryUsed(), 476u);
    d.RemovePhrase(u"ab cd");
    EXPECT_EQ(d.MemoryUsed(), 476u - 6 * 68);
    for (int k = 0; k < 20; ++k) TypeInto(d, u"phrase " + U16(std::to_string(1000 + k)) + u" x\n");
    ASSERT_GE(d.MemoryUsed(), d.MemoryLimit());
    d.MaintenancePass();
    EXPECT_LT(d.MemoryUsed(), 4200u);
    EXPECT_GE(d.MemoryUsed(), 4200u - 500);
    EXPECT_FALSE(Has(d, u"phrase 1000 x"));
    EXPECT_TRUE(Has(d, u"phrase 1019 x"));
    const uint32_t left = d.PhraseCount();
    d.MaintenancePass();
    EXPECT_EQ(d.PhraseCount(), left);
}

TEST(Feeding, TheKeystrokeThreadNeverWaitsOnTheDictionary) {
    PhraseDictionary d(QuietDictionaryOptions());
    // A save holds the lock for its whole run; here it waits inside.
    TypeInto(d, u"hold the lock\n");
    std::atomic<bool> inside{false}, release{false};
    SaveControl control;
    control.cancelRequested = [&] {
        inside = true;
        while (!release) std::this_thread::sleep_for(std::chrono::milliseconds(1));
        return true;
    };
    // Not loaded: the save would refuse at once, so load "nothing" first.
    d.LoadFile(u"/nonexistent-folder/acdata.txt");
    std::thread saver([&] { d.Save(U16(testing::TempDir()) + u"lock_probe.txt", control); });
    while (!inside) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    // The typist runs on a thread of its own, so that a feed that waited on
    // the lock fails this test instead of hanging it.
    std::atomic<bool> fed{false};
    std::thread typist([&] {
        for (char16_t u : std::u16string(u"typed while saving ")) d.FeedTypedUnit(u);
        d.LearnCorrection(u"hold the lock", u"held the lock");
        d.ClearTypingRing();
        d.SetFeedingPaused(false);
        fed = true;
    });
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    while (!fed && std::chrono::steady_clock::now() < deadline) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    const bool fedWhileLocked = fed;
    release = true;
    saver.join();
    typist.join();
    EXPECT_TRUE(fedWhileLocked);
    // The clear was queued behind the units: they never reach a phrase.
    d.TypingLearnerPass();
    EXPECT_FALSE(Has(d, u"typed while saving"));
}

TEST(PhraseTrie, RemovedNodesAreTakenAgainBeforeThePoolGrows) {
    PhraseTrie trie;
    uint32_t missing = 0;
    bool created = false;
    std::vector<PhraseEntry*> first;
    for (int k = 0; k < 3000; ++k) first.push_back(trie.Insert(U16("phrase number " + std::to_string(k)), missing, created));
    const size_t pooled = trie.PooledNodes();
    for (PhraseEntry* e : first) trie.Remove(e);
    EXPECT_EQ(trie.FreeNodes(), pooled);
    // One unit shorter a prefix: one node fewer than before is needed.
    for (int k = 0; k < 3000; ++k) trie.Insert(U16("other phrase " + std::to_string(k)), missing, created);
    EXPECT_EQ(trie.PooledNodes(), pooled);
    EXPECT_EQ(trie.FreeNodes(), 1u);
    EXPECT_NE(trie.Find(u"other phrase 2999"), nullptr);
    EXPECT_EQ(trie.Find(u"phrase number 2999"), nullptr);
}

TEST(PhraseTrie, ACursorBuildsOnTheSharedPrefixUntilSomethingIsRemoved) {
    PhraseTrie trie;
    PhraseCursor cursor;
    uint32_t missing = 0;
    bool created = false;
    PhraseEntry* two = trie.Insert(u"alpha beta two", missing, created, &cursor);
    EXPECT_EQ(missing, 14u);
    PhraseEntry* three = trie.Insert(u"alpha beta three", missing, created, &cursor);
    EXPECT_EQ(trie.Find(u"alpha beta three"), three);
    EXPECT_EQ(missing, 4u);  // "hree" below "alpha beta t"
    // A known phrase through the cursor is found, not made again.
    EXPECT_EQ(trie.Insert(u"alpha beta two", missing, created, &cursor), two);
    EXPECT_FALSE(created);
    PhraseEntry* one = trie.Insert(u"alpha beta one", missing, created, &cursor);
    EXPECT_EQ(trie.Find(u"alpha beta one"), one);
    EXPECT_EQ(missing, 3u);
    // The removal frees the nodes the cursor's path ends in ("ne" and the
    // "o" before it), and another phrase takes the "o" again at the root: a
    // cursor that went on trusting its path would hang the next phrase below
    // that root "o".
    trie.Remove(one);
    ASSERT_NE(trie.Insert(u"o x y", missing, created), nullptr);
    PhraseEntry* again = trie.Insert(u"alpha beta one again", missing, created, &cursor);
    EXPECT_EQ(trie.Find(u"alpha beta one again"), again);
    EXPECT_EQ(trie.Find(u"one again"), nullptr);
}

}  // namespace
}  // namespace kx
