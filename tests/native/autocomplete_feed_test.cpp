// The key stream's way into the dictionaries: which keys are fed, the fresh
// line on a change of window, the switches, and the correction tracker.
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

}  // namespace
}  // namespace kx
