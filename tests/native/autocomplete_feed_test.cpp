// The key stream's way into the dictionaries: which keys are fed, the clears
// on a change of window, the switches, and the correction tracker.
#include <gtest/gtest.h>

#include <map>
#include <tuple>

#include "learn/autocomplete_feed.h"
#include "learn/phrase_dictionary.h"
#include "platform/fake/fake_windows.h"
#include "tests/support/dictionary_options.h"

namespace kx {
namespace {

KeyEvent Key(char16_t ch, uint32_t vk = 0, uint8_t modifiers = 0, bool down = true) {
    KeyEvent e;
    e.ch = ch;
    e.vk = vk ? vk : (ch >= u'a' && ch <= u'z' ? uint32_t(ch - 32) : uint32_t(ch));
    e.modifiers = modifiers;
    e.isDown = down ? 1 : 0;
    return e;
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
    }
    void Type(std::u16string_view text) {
        for (char16_t c : text) feed.FeedKey(Key(c == u'\n' ? u'\r' : c, c == u'\n' ? 0x0D : 0));
        learning.TypingLearnerPass();
        shortcutText.TypingLearnerPass();
    }
    std::u16string Line(PhraseDictionary& d) {
        std::u16string line;
        d.GetCurrentLine(line);
        return line;
    }
};

TEST(AutoCompleteFeed, WhichKeysAreFed) {
    EXPECT_EQ(FedUnit(Key(u'a')), u'a');
    EXPECT_EQ(FedUnit(Key(u'\r', 0x0D)), u'\n');  // Enter is a line feed
    EXPECT_EQ(FedUnit(Key(8, 0x08)), 8);
    EXPECT_EQ(FedUnit(Key(u'\t', 0x09)), u'\t');
    EXPECT_EQ(FedUnit(Key(u'a', 0, mod::kShift, false)), 0);  // releases
    EXPECT_EQ(FedUnit(Key(u'c', 0, mod::kCtrl)), 0);          // commands
    EXPECT_EQ(FedUnit(Key(3, 'C', mod::kCtrl)), 0);
    EXPECT_EQ(FedUnit(Key(u'@', 'Q', mod::kCtrl | mod::kAlt)), u'@');  // AltGr types
    EXPECT_EQ(FedUnit(Key(27, 0x1B)), 0);
    EXPECT_EQ(FedUnit(Key(127, 0x2E)), 0);
    EXPECT_EQ(FedUnit(Key(0, 0x25)), 0);
}

TEST(AutoCompleteFeed, BothDictionariesAreFedAndOnlyTheLearningOneLearns) {
    Fixture f;
    f.shortcutText.SetLearningEnabled(false);
    f.Type(u"kind regards to you\n");
    f.Type(u"best wi");
    EXPECT_EQ(f.learning.PhraseCount(), 3u);
    EXPECT_EQ(f.shortcutText.PhraseCount(), 0u);
    EXPECT_EQ(f.Line(f.shortcutText), u"best wi");
    EXPECT_EQ(f.keys.seen, 27);
}

TEST(AutoCompleteFeed, AnotherWindowStartsAFreshLineButTheWindowItselfDoesNot) {
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
}

TEST(AutoCompleteFeed, TypingInAnotherWindowAfterAnInsertionLeavesThePhraseAlone) {
    Fixture f;
    ASSERT_TRUE(f.learning.SetPhraseStats(u"thank you all", 1, 5, 9, 3, 1));
    f.windows.SetForeground(0x10, u"Notepad");
    f.Type(u"thank y");
    f.feed.BeginCorrection(u"thank you all");
    f.windows.SetForeground(0x20, u"WordPadClass");
    for (char16_t c : std::u16string_view(u"thank ")) {
        f.feed.TrackEdit(Key(c));
        f.feed.FeedKey(Key(c));
    }
    EXPECT_FALSE(f.feed.Tracker().Tracking());
    EXPECT_EQ(Phrases(f.learning), (std::map<std::u16string, uint32_t>{{u"thank you all", 2}}));
}

// "user TAB password" is how a login is typed: neither side is learned,
// whatever the line ends with; the next line is learned again.
TEST(AutoCompleteFeed, ALineWithATabIsNeverLearned) {
    for (const char16_t* login : {u"anna.berg@example.com\tsecret horse battery\n",
                                  u"anna berg\tsecret horse battery staple.\n", u"\tsecret horse battery\n"}) {
        Fixture f;
        f.Type(login);
        EXPECT_EQ(f.learning.PhraseCount(), 0u);
        EXPECT_EQ(f.shortcutText.PhraseCount(), 0u);
        f.Type(u"kind regards to you\n");
        EXPECT_EQ(f.learning.PhraseCount(), 3u);
        EXPECT_FALSE(Phrases(f.learning).count(u"secret horse"));
    }
}

TEST(AutoCompleteFeed, PausedFeedsNothingAndBothSwitchesOffFeedLineBreaks) {
    Fixture f;
    f.learning.SetFeedingPaused(true);
    EXPECT_FALSE(f.feed.LearningAvailable());
    f.Type(u"typed in the edit dialog\n");
    EXPECT_EQ(f.learning.KeystrokeCounter(), 0u);
    EXPECT_EQ(f.shortcutText.KeystrokeCounter(), 0u);
    f.learning.SetFeedingPaused(false);
    EXPECT_TRUE(f.feed.LearningAvailable());

    f.Type(u"half a ");
    f.switches.off = true;
    f.Type(u"line\n");  // every key a line break; each second one collapses
    f.switches.off = false;
    EXPECT_EQ(f.learning.KeystrokeCounter(), 10u);
    EXPECT_EQ(f.Line(f.learning), u"half a \n\n\n");
}

TEST(CorrectionTracker, AnEditAtTheEndRenamesAPhraseAcceptedOnce) {
    PhraseDictionary d(QuietDictionaryOptions());
    ASSERT_TRUE(d.SetPhraseStats(u"thank you very much", 1, 5, 9, 3, 1));
    CorrectionTracker t;
    t.Begin(u"thank you very much");
    t.OnKey(Key(u's'), &d);
    t.OnKey(Key(u's', 0, 0, false), &d);
    EXPECT_TRUE(t.Tracking());
    EXPECT_EQ(t.EditedText(), u"thank you very muchs");
    t.OnKey(Key(u' '), &d);
    EXPECT_FALSE(t.Tracking());
    d.TypingLearnerPass();  // the correction was queued with the keys
    EXPECT_EQ(Counts(d, u"thank you very much"), std::tuple(-1, -1, -1));
    EXPECT_EQ(Counts(d, u"thank you very muchs"), std::tuple(1, 3, 2));
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
    EXPECT_TRUE(d.GetPhraseStats(u"see you on monday", s));

    // A line break inside the phrase abandons it unlearned.
    t.Begin(u"see you on monday");
    t.OnKey(Key(0, 0x25), &d);
    t.OnKey(Key(u'x'), &d);
    t.OnKey(Key(u'\r', 0x0D), &d);
    EXPECT_FALSE(t.Tracking());
    d.TypingLearnerPass();
    EXPECT_FALSE(d.GetPhraseStats(u"see you on mondxay", s));
    // Moving left out of the phrase ends tracking; unchanged text teaches nothing.
    t.Begin(u"ab cd");
    for (int k = 0; k < 6; ++k) t.OnKey(Key(0, 0x25), &d);
    EXPECT_FALSE(t.Tracking());
    EXPECT_EQ(d.PhraseCount(), 2u);
}

}  // namespace
}  // namespace kx
