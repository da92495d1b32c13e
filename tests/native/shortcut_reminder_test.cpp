// The shortcut-text dictionary, the expansion index, the shortcut-created
// hook and the reminder run as the one-second timer runs it.
#include <gtest/gtest.h>

#include <map>
#include <tuple>
#include <vector>

#include "base/text.h"
#include "learn/phrase_dictionary.h"
#include "learn/shortcut_reminder.h"
#include "learn/shortcut_text.h"
#include "tests/support/dictionary_options.h"

namespace kx {
namespace {

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
        for (char16_t u : units) text.FeedTypedUnit(u);
        text.TypingLearnerPass();
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
