// Auto Complete without its window: the learning dictionary with its
// workers' passes called directly (learning, searching, statistics, memory,
// the node pool), the key stream's way into the dictionaries (which keys are fed, the fresh line on a change of window,
// the switches, the correction tracker), and the window's rules (how its rows
// stack, which candidates become rows and count as offered, what an
// insertion types and teaches the dictionary, and the keys: the double CTRL
// tap and ALT+UP/DOWN, timed by a fake clock).
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <map>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "app/autocomplete/ac_keys.h"
#include "app/autocomplete/ac_layout.h"
#include "app/autocomplete/ac_open_state.h"
#include "app/autocomplete/ac_rows.h"
#include "app/autocomplete/phrase_dictionary_port.h"
#include "base/text.h"
#include "learn/autocomplete_feed.h"
#include "learn/phrase_dictionary.h"
#include "learn/phrase_trie.h"
#include "platform/fake/fake_clock.h"
#include "platform/fake/fake_windows.h"
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

KeyEvent Key(char16_t ch, uint32_t vk = 0, uint8_t modifiers = 0, bool down = true) {
    KeyEvent e;
    e.ch = ch;
    e.vk = vk ? vk : (ch >= u'a' && ch <= u'z' ? uint32_t(ch - 32) : uint32_t(ch));
    e.modifiers = modifiers;
    e.isDown = down ? 1 : 0;
    return e;
}

TEST(AutoCompleteFeed, WhichKeysAreFed) {
    const struct {
        KeyEvent key;
        char16_t fed;
    } rows[] = {
        {Key(u'a'), u'a'}, {Key(u'\r', 0x0D), u'\n'} /* Enter is a line feed */, {Key(8, 0x08), 8},
        {Key(u'\t', 0x09), u'\t'}, {Key(u'a', 0, mod::kShift, false), 0} /* releases */,
        {Key(u'c', 0, mod::kCtrl), 0} /* commands */, {Key(3, 'C', mod::kCtrl), 0},
        {Key(u'@', 'Q', mod::kCtrl | mod::kAlt), u'@'} /* AltGr types */, {Key(27, 0x1B), 0}, {Key(127, 0x2E), 0},
        {Key(0, 0x25), 0},
    };
    for (const auto& r : rows) EXPECT_EQ(FedUnit(r.key), r.fed) << r.key.vk << " " << int(r.key.ch);
}

struct Keys final : AutoCompleteKeys {
    WindowHandle self = 0;
    int seen = 0, lost = 0;
    void OnKey(const KeyEvent&) override { ++seen; }
    void CancelDoubleCtrl() override {}
    bool IsAutoCompleteWindow(WindowHandle w) override { return w == self; }
    void OnTypingContextLost() override { ++lost; }
};

struct Switches final : FeedSwitches {
    bool off = false;
    bool BothOff() override { return off; }
};

struct Fixture {
    FakeWindows windows;
    PhraseDictionary learning{QuietDictionaryOptions()}, shortcutText{QuietDictionaryOptions()};
    AutoCompleteFeed feed{&learning, &shortcutText, windows};
    Keys keys;
    Switches switches;
    Fixture() {
        feed.SetWindowKeys(&keys);
        feed.SetSwitches(&switches);
        shortcutText.SetLearningEnabled(false);
    }
    void Type(std::u16string_view text) {
        for (char16_t c : text) feed.FeedKey(Key(c == u'\n' ? u'\r' : c, c == u'\n' ? 0x0D : 0));
        learning.TypingLearnerPass();
        shortcutText.TypingLearnerPass();
    }
    static std::u16string Line(PhraseDictionary& d) {
        std::u16string line;
        d.GetCurrentLine(line);
        return line;
    }
};

// Both dictionaries and the window's keys see every key; only the learning
// dictionary learns. Another window starts a fresh line; the Auto Complete
// window itself does not.
TEST(AutoCompleteFeed, BothDictionariesAreFedAndAnotherWindowStartsAFreshLine) {
    Fixture f;
    f.windows.SetForeground(0x10, u"Notepad");
    f.Type(u"see you");
    f.keys.self = 0x99;
    f.windows.SetForeground(0x99, u"SuggestionsFlyInDialog");
    f.Type(u" soon");
    EXPECT_EQ(f.Line(f.learning), u"see you soon");
    EXPECT_EQ(f.keys.lost, 0);
    f.windows.SetForeground(0x20, u"WordPadClass");
    f.Type(u" later\n");
    EXPECT_EQ(f.keys.lost, 1);
    EXPECT_EQ(f.Line(f.shortcutText), u" later\n");
    EXPECT_EQ(Phrases(f.learning), (std::map<std::u16string, uint32_t>{{u"see you", 1}}));
    EXPECT_EQ(f.shortcutText.PhraseCount(), 0u);
    EXPECT_EQ(f.keys.seen, 19);
}

// "user TAB password" is how a login is typed: neither side is learned,
// whatever the line ends with; the next line is learned again.
TEST(AutoCompleteFeed, ALineWithATabIsNeverLearned) {
    for (const char16_t* login : {u"anna.berg@example.com\tsecret horse battery\n",
                                  u"anna berg\tsecret horse battery staple.\n", u"\tsecret horse battery\n"}) {
        Fixture f;
        f.Type(login);
        EXPECT_EQ(f.learning.PhraseCount(), 0u);
        f.Type(u"kind regards to you\n");
        EXPECT_EQ(f.learning.PhraseCount(), 3u);
    }
}

TEST(AutoCompleteFeed, PausedFeedsNothingAndBothSwitchesOffFeedLineBreaks) {
    Fixture f;
    f.learning.SetFeedingPaused(true);
    EXPECT_FALSE(f.feed.LearningAvailable());
    f.Type(u"typed in the edit dialog\n");
    EXPECT_EQ(f.learning.KeystrokeCounter() + f.shortcutText.KeystrokeCounter(), 0u);
    f.learning.SetFeedingPaused(false);
    f.Type(u"half a ");
    f.switches.off = true;
    f.Type(u"line\n");  // every key a line break; each second one collapses
    f.switches.off = false;
    EXPECT_EQ(f.learning.KeystrokeCounter(), 10u);
    EXPECT_EQ(f.Line(f.learning), u"half a \n\n\n");
}

// An inserted phrase edited where it stands teaches the dictionary the
// edited text; typing elsewhere leaves it alone.
TEST(CorrectionTracker, AnEditAtTheEndRenamesAPhraseAndAnotherWindowEndsTracking) {
    Fixture f;
    ASSERT_TRUE(f.learning.SetPhraseStats(u"thank you very much", 1, 5, 9, 3, 1));
    CorrectionTracker t;
    t.Begin(u"thank you very much");
    t.OnKey(Key(u's'), &f.learning);
    t.OnKey(Key(u's', 0, 0, false), &f.learning);
    EXPECT_EQ(t.EditedText(), u"thank you very muchs");
    t.OnKey(Key(u' '), &f.learning);
    EXPECT_FALSE(t.Tracking());
    f.learning.TypingLearnerPass();  // the correction was queued with the keys
    EXPECT_EQ(Counts(f.learning, u"thank you very much"), std::tuple(-1, -1, -1));
    EXPECT_EQ(Counts(f.learning, u"thank you very muchs"), std::tuple(1, 3, 2));

    f.windows.SetForeground(0x10, u"Notepad");
    f.feed.BeginCorrection(u"thank you very muchs");
    f.windows.SetForeground(0x20, u"WordPadClass");
    for (char16_t c : std::u16string_view(u"thank ")) {
        f.feed.TrackEdit(Key(c));
        f.feed.FeedKey(Key(c));
    }
    EXPECT_FALSE(f.feed.Tracker().Tracking());
    EXPECT_EQ(Counts(f.learning, u"thank you very muchs"), std::tuple(1, 3, 2));
}

TEST(CorrectionTracker, EditsInsideThePhraseAndHowTrackingEnds) {
    PhraseDictionary d(QuietDictionaryOptions());
    ASSERT_TRUE(d.SetPhraseStats(u"see you on monday", 3, 5, 9, 4, 1));
    CorrectionTracker t;
    t.Begin(u"see you on monday");
    for (int k = 0; k < 7; ++k) t.OnKey(Key(0, 0x25), &d);  // Left to "on|"
    t.OnKey(Key(8, 0x08), &d);
    t.OnKey(Key(8, 0x08), &d);
    for (char16_t c : std::u16string(u"next")) t.OnKey(Key(c), &d);
    t.OnKey(Key(0, 0x2E), &d);  // Delete the space after it
    t.OnKey(Key(u' '), &d);     // a space inside the text edits it
    EXPECT_EQ(t.EditedText(), u"see you next monday");
    t.OnKey(Key(0, 0x28), &d);  // Down leaves the phrase
    EXPECT_FALSE(t.Tracking());
    d.TypingLearnerPass();
    PhraseStats s;
    ASSERT_TRUE(d.GetPhraseStats(u"see you next monday", s));
    EXPECT_EQ(std::tuple(s.accepted, s.typedCount, s.firstSeen), std::tuple(2u, 2u, 5u));
    // A line break inside the phrase abandons it unlearned; moving left out
    // of the phrase ends tracking.
    t.Begin(u"see you on monday");
    t.OnKey(Key(0, 0x25), &d);
    t.OnKey(Key(u'x'), &d);
    t.OnKey(Key(u'\r', 0x0D), &d);
    EXPECT_FALSE(t.Tracking());
    t.Begin(u"ab cd");
    for (int k = 0; k < 6; ++k) t.OnKey(Key(0, 0x25), &d);
    EXPECT_FALSE(t.Tracking());
    d.TypingLearnerPass();
    EXPECT_EQ(d.PhraseCount(), 2u);
}

TEST(AutoCompleteLayout, RowsStackInOrderAndTooTallOnesShareTheWorkAreaInWholeLines) {
    const int three[] = {1, 2, 0};  // an empty row still takes a line
    const AcLayout b = LayoutRows(three, 3, 990);
    const int line = b.rowHeight[0];
    EXPECT_EQ(b.rowHeight[1], 2 * line);
    EXPECT_EQ(b.rowHeight[2], line);
    for (int i = 0; i < 3; ++i) EXPECT_GT(i < 2 ? b.rowTop[i + 1] : b.hintTop, b.rowTop[i] + b.rowHeight[i]) << i;
    EXPECT_EQ(LayoutRows(three, 3, 990, 2).height, b.height + line) << "a hint on two lines takes both";
    const int lines[] = {40, 2, 12};
    const AcLayout l = LayoutRows(lines, 3, 400);
    EXPECT_LE(l.height, 400);
    EXPECT_TRUE(l.rowCut[0] && l.rowCut[2] && !l.rowCut[1]);
    EXPECT_EQ(l.rowLines[0], l.rowLines[2]);
    EXPECT_EQ(l.rowHeight[0], l.rowLines[0] * line);
    EXPECT_EQ(l.rowLines[1], 2);
}

struct RecordingOutput final : AcOutput {
    bool InsertPhrase(const std::u16string& text, unsigned replaceCount) override {
        typed.push_back(text);
        replaced.push_back(replaceCount);
        return true;
    }
    std::vector<std::u16string> typed;
    std::vector<unsigned> replaced;
};

AcCandidate Candidate(std::u16string typed, std::u16string phrase) {
    AcCandidate c;
    c.typedText = std::move(typed);
    c.phrase = std::move(phrase);
    return c;
}

// The window's rows over the learning dictionary, which knows every phrase
// offered.
struct Rows : Fixture {
    PhraseDictionary& d = learning;
    PhraseDictionaryPort port{learning};
    RecordingOutput out;
    AcRows rows{port};
    Rows() { Type(u"thank you very much\nthank you all\nyou know\nyes indeed\noh well\n"); }
    std::u16string Line() { return Fixture::Line(learning); }
    // The confidence byte of the phrase's first n characters.
    int Confidence(std::u16string_view phrase, size_t n) {
        int byte = -1;
        d.ForEachEntry([&](std::u16string_view p, const PhraseEntry& e) {
            if (p == phrase && n <= e.confidenceCount) byte = e.confidence[n - 1];
        });
        return byte;
    }
};

TEST(AutoCompleteRows, ShowsTheFirstThreeAndCountsEachNewlyShownPhraseOnce) {
    Rows r;
    ASSERT_TRUE(r.rows.Fill({Candidate(u"thank y", u"thank you very much"), Candidate(u"thank y", u"thank you all"),
                             Candidate(u"y", u"you know"), Candidate(u"y", u"yes indeed")},
                            true));
    ASSERT_EQ(r.rows.Rows().size(), 3u);
    for (bool up : {true, false, false, false, false}) r.rows.SelectStep(up);
    EXPECT_EQ(r.rows.Selection(), 2) << "the selection stops at the first and the last row";
    EXPECT_EQ(Counts(r.d, u"you know"), std::tuple(0, 1, 1));
    EXPECT_EQ(Counts(r.d, u"yes indeed"), std::tuple(0, 0, 1));
    // An offer lowers the confidence of the part typed.
    EXPECT_EQ(r.Confidence(u"thank you very much", 7), 70);
    EXPECT_EQ(r.Confidence(u"thank you very much", 8), 100);
    // Staying in the window across a fill is no new impression; a phrase
    // that comes back after it left is.
    r.rows.Fill({Candidate(u"thank yo", u"thank you very much"), Candidate(u"o", u"oh well")}, true);
    r.rows.Fill({Candidate(u"y", u"you know")}, true);
    EXPECT_EQ(Counts(r.d, u"thank you very much"), std::tuple(0, 1, 1));
    EXPECT_EQ(Counts(r.d, u"oh well"), std::tuple(0, 1, 1));
    EXPECT_EQ(Counts(r.d, u"you know"), std::tuple(0, 2, 1));
    // An empty result keeps the rows and marks them stale.
    EXPECT_FALSE(r.rows.Fill({}, true));
    EXPECT_TRUE(r.rows.Stale() && r.rows.IsReady());
    EXPECT_EQ(r.rows.RowPhrase(0), u"you know");
}

// An insertion types the rest of the phrase over what was typed since the
// row's search, so a key typed before the next search came back is not typed
// twice ("thank youou very much").
TEST(AutoCompleteRows, InsertingTypesTheRestOverWhatWasTypedSinceTheSearch) {
    Rows r;
    r.rows.Fill({Candidate(u"thank y", u"thank you very much")}, true);
    r.Type(u"well thank yo");
    ASSERT_TRUE(r.rows.InsertSelected(r.out));
    EXPECT_EQ(r.out.typed, std::vector<std::u16string>{u"ou very much"});
    EXPECT_EQ(r.out.replaced, std::vector<unsigned>{1});
    EXPECT_EQ(r.rows.LastInserted(), u"thank you very much");
    EXPECT_FALSE(r.rows.IsReady());
    // Accepted, the confidence raised again, and the line starts afresh.
    EXPECT_EQ(Counts(r.d, u"thank you very much"), std::tuple(1, 1, 1));
    EXPECT_EQ(r.Confidence(u"thank you very much", 7), 130);
    r.Type(u"");
    EXPECT_EQ(r.Line(), u"");
    // The same after a search that found nothing.
    r.rows.Fill({Candidate(u"thank y", u"thank you very much")}, true);
    r.rows.Fill({}, true);
    r.Type(u"thank yo");
    ASSERT_TRUE(r.rows.InsertSelected(r.out));
    EXPECT_EQ(r.out.replaced.back(), 1u);
    // The searched text is no longer in the line: nothing is inserted.
    r.rows.Fill({Candidate(u"thank y", u"thank you very much")}, true);
    r.Type(u"\nsomething else");
    EXPECT_FALSE(r.rows.InsertSelected(r.out));
    EXPECT_EQ(r.out.typed.size(), 2u);
    EXPECT_EQ(TypedSinceSearch(u"a b a b", u"a b"), 0);
}

// The window as the keys see it.
class FakeWindow final : public AcWindowPort {
public:
    bool IsOpen() override { return open; }
    bool IsReady() override { return open; }
    void SelectStep(bool up) override { selection = up ? std::max(selection - 1, 0) : std::min(selection + 1, 2); }
    bool InsertSelected() override { return ++inserts, true; }
    std::u16string GetLastInserted() override { return u"thank you very much"; }
    void Hide() override { open = false; }
    bool open = true;
    int selection = 0, inserts = 0;
};

struct KeysFixture {
    FakeWindow window;
    FakeClock clock;
    std::vector<std::u16string> corrections;
    int ringClears = 0;
    AcWindowKeys keys{window, clock,
                      {[this](const std::u16string& s) { corrections.push_back(s); }, [this] { ++ringClears; }}};

    void Press(uint32_t vk, uint8_t mods, char16_t ch = 0) {
        keys.OnKey(Key(ch, vk, mods));
        keys.OnKey(Key(ch, vk, mods, false));
    }
    // T: a CTRL tap held 20 ms; w, W, 1, 9, 5: 279, 280, 1, 149, 150 ms pass;
    // a: a tap with ALT held; A: the A key; C: CTRL+C; x: an expansion; c: the
    // window closes; l: the typing context is lost; r: a CTRL press repeated
    // as a held key repeats, then a tap; D, U: ALT+DOWN, ALT+UP; d: DOWN.
    void Step(char step) {
        const std::string waits = "wW195";
        const uint32_t ms[] = {279, 280, 1, 149, 150};
        if (waits.find(step) != std::string::npos) clock.Advance(ms[waits.find(step)]);
        if (step == 'D' || step == 'U' || step == 'd')
            keys.OnKey(Key(0, step == 'U' ? 0x26 : 0x28, step == 'd' ? 0 : mod::kAlt));
        if (step == 'l') keys.OnTypingContextLost();
        if (step == 'T')
            keys.OnKey(Key(0, 0x11, mod::kCtrl)), clock.Advance(20), keys.OnKey(Key(0, 0x11, mod::kCtrl, false));
        if (step == 'a') Press(0x11, mod::kCtrl | mod::kAlt);
        if (step == 'A') Press('A', 0, u'a');
        if (step == 'C')
            keys.OnKey(Key(0, 0x11, mod::kCtrl)), Press('C', mod::kCtrl), keys.OnKey(Key(0, 0x11, mod::kCtrl, false));
        if (step == 'x') keys.CancelDoubleCtrl();
        if (step == 'c') window.open = false;
        if (step == 'r') keys.OnKey(Key(0, 0x11, mod::kCtrl)), Step('T');
    }
};

// Two CTRL taps whose releases lie under 300 ms apart insert the selected
// row; ALT+DOWN and ALT+UP move the selection a row at most every 150 ms.
TEST(AutoCompleteKeys, QuickCtrlTapsInsertAndAltArrowsSelect) {
    const struct {
        const char* steps;
        int inserts, selection;
    } rows[] = {
        {"TT", 1, 0},  {"TwT", 1, 0},  // the second release 299 ms after the first
        {"TWT", 0, 0},                 // 300 ms: too slow...
        {"TWTT", 1, 0},                // ...but it starts a new pair
        {"Ta", 0, 0},  {"TAT", 0, 0},  // CTRL released with ALT held; a letter typed between
        {"CT", 0, 0},  {"TxT", 0, 0},  // the first release ended a key combination; an expansion between
        {"cTT", 0, 0},                 // the window is not open
        {"rT", 1, 0},                  // a CTRL held down repeats its press: the pair still counts
        {"D", 0, 1},   {"D9D", 0, 1},  {"D9D1D", 0, 2}, {"DD5U", 0, 0},
        {"D5d", 0, 1},                 // without ALT the arrows are the user's...
        {"lD", 0, 0},                  // ...and with the window closed
    };
    for (const auto& r : rows) {
        KeysFixture f;
        for (const char* step = r.steps; *step; ++step) f.Step(*step);
        EXPECT_EQ(f.window.inserts, r.inserts) << r.steps;
        EXPECT_EQ(f.window.selection, r.selection) << r.steps;
        if (r.inserts == 0) continue;
        EXPECT_EQ(f.corrections, std::vector<std::u16string>{u"thank you very much"}) << r.steps;
        EXPECT_EQ(f.ringClears, 1) << r.steps;
        EXPECT_FALSE(f.window.open) << r.steps;
    }
}

// The window's thread opens the window while the keystroke thread closes it:
// the hook's switch must end as the window's state ends, or ALT+DOWN would
// reach the user's program while the window is open, or be kept from it
// while it is closed.
TEST(AutoCompleteOpenState, TheHooksSwitchEndsAsTheWindowEnds) {
    for (const bool openFirst : {true, false}) {
        std::atomic<bool> switchOn{!openFirst}, started{false}, otherDone{false};
        std::thread other;
        AcOpenState* state = nullptr;
        AcOpenState open([&](bool on) {
            if (!started.exchange(true)) {
                // The other thread changes the state back while this change
                // is still setting the switch; it has every chance to finish.
                other = std::thread([&, on] {
                    on ? state->Close([] { return true; }) : state->Open([] { return true; });
                    otherDone = true;
                });
                for (int i = 0; i < 50 && !otherDone; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(2));
            }
            switchOn = on;
        });
        state = &open;
        openFirst ? open.Open([] { return true; }) : open.Close([] { return true; });
        other.join();
        EXPECT_EQ(switchOn.load(), open.IsOpen()) << (openFirst ? "opened, then closed" : "closed, then opened");
    }
    // A change its condition refuses leaves state and switch alone.
    int switched = 0;
    AcOpenState refused([&](bool) { ++switched; });
    EXPECT_FALSE(refused.Open([] { return false; }));
    EXPECT_FALSE(refused.IsOpen());
    EXPECT_EQ(switched, 0);
}

}  // namespace
}  // namespace kx
