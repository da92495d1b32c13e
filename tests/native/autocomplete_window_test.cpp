// The Auto Complete window's rules without the window: how its rows stack,
// which candidates become rows and count as offered, what an insertion types
// and teaches the dictionary, and the keys (the double CTRL tap, ALT+UP/DOWN)
// timed by a fake clock.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "app/autocomplete/ac_keys.h"
#include "app/autocomplete/ac_layout.h"
#include "app/autocomplete/ac_open_state.h"
#include "app/autocomplete/ac_rows.h"
#include "app/autocomplete/phrase_dictionary_port.h"
#include "platform/fake/fake_clock.h"
#include "tests/support/dictionary_options.h"

namespace kx {
namespace {

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

// The window's rows over a learning dictionary that knows every phrase offered.
struct Rows {
    PhraseDictionary d{QuietDictionaryOptions()};
    PhraseDictionaryPort port{d};
    RecordingOutput out;
    AcRows rows{port};
    Rows() { Type(u"thank you very much\nthank you all\nyou know\nyes indeed\noh well\n"); }
    void Type(std::u16string_view text) {
        for (char16_t u : text) d.FeedTypedUnit(u);
        d.TypingLearnerPass();
    }
    std::u16string Line() {
        std::u16string line;
        d.GetCurrentLine(line);
        return line;
    }
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

KeyEvent Key(uint32_t vk, bool down, uint8_t mods = 0, char16_t ch = 0) {
    KeyEvent e;
    e.vk = vk;
    e.isDown = down;
    e.modifiers = mods;
    e.ch = ch;
    return e;
}

struct KeysFixture {
    FakeWindow window;
    FakeClock clock;
    std::vector<std::u16string> corrections;
    int ringClears = 0;
    AcWindowKeys keys{window, clock,
                      {[this](const std::u16string& s) { corrections.push_back(s); }, [this] { ++ringClears; }}};

    void Press(uint32_t vk, uint8_t mods, char16_t ch = 0) {
        keys.OnKey(Key(vk, true, mods, ch));
        keys.OnKey(Key(vk, false, mods, ch));
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
            keys.OnKey(Key(step == 'U' ? 0x26 : 0x28, true, step == 'd' ? 0 : mod::kAlt));
        if (step == 'l') keys.OnTypingContextLost();
        if (step == 'T')
            keys.OnKey(Key(0x11, true, mod::kCtrl)), clock.Advance(20), keys.OnKey(Key(0x11, false, mod::kCtrl));
        if (step == 'a') Press(0x11, mod::kCtrl | mod::kAlt);
        if (step == 'A') Press('A', 0, u'a');
        if (step == 'C')
            keys.OnKey(Key(0x11, true, mod::kCtrl)), Press('C', mod::kCtrl), keys.OnKey(Key(0x11, false, mod::kCtrl));
        if (step == 'x') keys.CancelDoubleCtrl();
        if (step == 'c') window.open = false;
        if (step == 'r') keys.OnKey(Key(0x11, true, mod::kCtrl)), Step('T');
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
