// The Auto Complete window's rules without the window: where it sits, how
// its rows stack, which candidates become rows and count as offered, what an
// insertion types, and the keys (the double CTRL tap, ALT+UP/DOWN) timed by
// a fake clock.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "app/autocomplete/ac_keys.h"
#include "app/autocomplete/ac_layout.h"
#include "app/autocomplete/ac_open_state.h"
#include "app/autocomplete/ac_rows.h"
#include "platform/fake/fake_clock.h"

namespace kx {
namespace {

// Counts what the window asks of the dictionary, by request and phrase
// ("impression thank you", "lower 7 thank you").
class FakeDictionary final : public AcDictionary {
public:
    bool TakeCandidates(std::vector<AcCandidate>&) override { return false; }
    std::u16string GetCurrentLine() override { return line; }
    void ClearTypingRing() override { Note(u"clear"); }
    void FeedTypedUnit(char16_t unit) override { Note(u"feed " + std::u16string(1, unit ? unit : u'0')); }
    bool CountAccepted(const std::u16string& p) override { return Note(u"accepted " + p); }
    bool CountImpression(const std::u16string& p) override { return Note(u"impression " + p); }
    bool RaiseConfidence(const std::u16string& p, size_t n) override { return Note(u"raise " + Num(n) + p); }
    bool LowerConfidence(const std::u16string& p, size_t n) override { return Note(u"lower " + Num(n) + p); }
    bool RemovePhrase(const std::u16string& p) override { return Note(u"remove " + p); }
    bool RenamePhrase(const std::u16string& a, const std::u16string& b) override { return Note(a + u" -> " + b); }
    void SetFeedingPaused(bool) override {}

    // How many requests began with `prefix`.
    int Count(const std::u16string& prefix) const {
        int n = 0;
        for (const auto& [request, times] : asked) n += request.rfind(prefix, 0) == 0 ? times : 0;
        return n;
    }
    std::u16string line;
    std::map<std::u16string, int> asked;

private:
    static std::u16string Num(size_t n) {
        const std::string s = std::to_string(n) + " ";
        return {s.begin(), s.end()};
    }
    bool Note(const std::u16string& request) { return ++asked[request], true; }
};

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

struct Rows {
    FakeDictionary dict;
    RecordingOutput out;
    AcRows rows{dict};
};

TEST(AutoCompleteLayout, SitsInTheCornerOfTheWorkAreaAndWaitsBelowTheMonitor) {
    // A task bar at the bottom of a second monitor to the right.
    const AcGeometry g = MeasureGeometry({1280, 0, 2560, 990}, {1280, 0, 2560, 1024});
    EXPECT_EQ(g.x + g.width, 2560);
    EXPECT_EQ(g.hiddenY, 1024);
}

TEST(AutoCompleteLayout, RowsStackInOrderAboveTheHintAndFitTheWorkArea) {
    const int three[] = {1, 2, 0};  // an empty row still takes a line
    const AcLayout b = LayoutRows(three, 3, 990);
    const int line = b.rowHeight[0];
    EXPECT_EQ(b.rowHeight[1], 2 * line);
    EXPECT_EQ(b.rowHeight[2], line);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(b.gapTop[i], b.rowTop[i] + b.rowHeight[i]) << i;
        EXPECT_GT(i < 2 ? b.rowTop[i + 1] : b.hintTop, b.gapTop[i]) << i;
        EXPECT_FALSE(b.rowCut[i]) << i;
    }
    EXPECT_GT(b.height, b.hintTop);
    // A hint wrapped on two lines in a narrow window takes both.
    EXPECT_EQ(LayoutRows(three, 3, 990, 2).height, b.height + line);
    EXPECT_EQ(HintText(1), u"Hit CTRL twice to insert.");
    EXPECT_EQ(HintText(2), u"Use ALT+DOWN to select. Hit CTRL twice to insert.");
    EXPECT_EQ(HintText(3), HintText(2));

    // Rows too tall share the work area in whole lines; a short row keeps its own.
    const int lines[] = {40, 2, 12};
    const AcLayout l = LayoutRows(lines, 3, 400);
    EXPECT_LE(l.height, 400);
    EXPECT_TRUE(l.rowCut[0] && l.rowCut[2]);
    EXPECT_EQ(l.rowLines[0], l.rowLines[2]);
    EXPECT_EQ(l.rowHeight[0], l.rowLines[0] * line);
    EXPECT_EQ(l.rowLines[1], 2);
    EXPECT_FALSE(l.rowCut[1]);
    const int two[] = {40, 40};
    EXPECT_GT(LayoutRows(two, 2, 400).rowLines[1], l.rowLines[0]) << "two rows share the area between them";
}

TEST(AutoCompleteLayout, FadesInToOpaqueAndOutToNothing) {
    uint8_t a = 0;
    int last = -1;
    while (!FadeInStep(a)) {
        EXPECT_GT(int(a), last);
        last = a;
    }
    EXPECT_EQ(a, 255);
    while (!FadeOutStep(a)) EXPECT_LT(int(a), 255);
    EXPECT_EQ(a, 0);
}

TEST(AutoCompleteRows, ShowsTheFirstThreeAndCountsEachNewlyShownPhraseOnce) {
    Rows r;
    ASSERT_TRUE(r.rows.Fill({Candidate(u"thank y", u"thank you very much"), Candidate(u"thank y", u"thank you all"),
                             Candidate(u"y", u"you know"), Candidate(u"y", u"yes indeed")},
                            true));
    ASSERT_EQ(r.rows.Rows().size(), 3u);
    EXPECT_EQ(r.rows.Selection(), 0);
    EXPECT_TRUE(r.rows.IsReady());
    EXPECT_EQ(r.dict.Count(u"impression "), 3);
    EXPECT_EQ(r.dict.Count(u"lower 7 thank you very much"), 1);
    EXPECT_EQ(r.dict.Count(u"lower 1 you know"), 1);

    // Staying in the window across a fill is no new impression; a phrase
    // that comes back after it left is.
    r.dict.asked.clear();
    r.rows.Fill({Candidate(u"thank yo", u"thank you very much"), Candidate(u"o", u"oh well")}, true);
    EXPECT_EQ(r.dict.Count(u"impression "), 1);
    EXPECT_EQ(r.dict.Count(u"impression oh well"), 1);
    r.rows.Fill({Candidate(u"y", u"you know")}, true);
    EXPECT_EQ(r.dict.Count(u"impression you know"), 1);

    // An empty result keeps the rows and marks them stale.
    EXPECT_FALSE(r.rows.Fill({}, true));
    EXPECT_TRUE(r.rows.Stale());
    EXPECT_TRUE(r.rows.IsReady());
    EXPECT_EQ(r.rows.RowPhrase(0), u"you know");
}

TEST(AutoCompleteRows, SelectionStepsWithoutWrapping) {
    Rows r;
    r.rows.Fill({Candidate(u"a b", u"a b c"), Candidate(u"a b", u"a b d")}, true);
    r.rows.SelectStep(true);
    EXPECT_EQ(r.rows.Selection(), 0);
    r.rows.SelectStep(false);
    r.rows.SelectStep(false);
    EXPECT_EQ(r.rows.Selection(), 1);
    // A row chosen with the mouse is found again by its phrase.
    EXPECT_TRUE(r.rows.SelectPhrase(u"a b c"));
    EXPECT_EQ(r.rows.Selection(), 0);
    EXPECT_FALSE(r.rows.SelectPhrase(u"a b e"));
    EXPECT_EQ(r.rows.Selection(), 0);
    ASSERT_TRUE(r.rows.Hide());
    EXPECT_EQ(r.rows.Selection(), -1);
    EXPECT_FALSE(r.rows.IsReady());
}

TEST(AutoCompleteRows, InsertingTypesTheRestOfThePhraseAndCountsItAccepted) {
    Rows r;
    r.rows.Fill({Candidate(u"thank y", u"thank you very much")}, true);
    r.dict.line = u"thank y";
    ASSERT_TRUE(r.rows.InsertSelected(r.out));
    ASSERT_EQ(r.out.typed, std::vector<std::u16string>{u"ou very much"});
    EXPECT_EQ(r.out.replaced[0], 0u);
    EXPECT_EQ(r.rows.LastInserted(), u"thank you very much");
    // The ring starts afresh, and two zero units make the dictionary forget
    // the unit typed before the insertion.
    EXPECT_EQ(r.dict.asked, (std::map<std::u16string, int>{{u"accepted thank you very much", 1},
                                                           {u"clear", 1},
                                                           {u"feed 0", 2},
                                                           {u"impression thank you very much", 1},
                                                           {u"lower 7 thank you very much", 1},
                                                           {u"raise 7 thank you very much", 1}}));
    EXPECT_FALSE(r.rows.IsReady());
    // Hidden: a second insertion has nothing to insert.
    EXPECT_FALSE(r.rows.InsertSelected(r.out));
    EXPECT_EQ(r.out.typed.size(), 1u);
}

TEST(AutoCompleteRows, RowsReplaceWhatWasTypedSinceTheirSearch) {
    Rows r;
    // "o" typed, then CTRL CTRL before the next search came back.
    r.rows.Fill({Candidate(u"thank y", u"thank you very much")}, true);
    r.dict.line = u"well thank yo";
    ASSERT_TRUE(r.rows.InsertSelected(r.out));
    EXPECT_EQ(r.out.typed[0], u"ou very much");
    EXPECT_EQ(r.out.replaced[0], 1u);
    // The same after a search that found nothing.
    r.rows.Fill({Candidate(u"thank y", u"thank you very much")}, true);
    r.rows.Fill({}, true);
    ASSERT_TRUE(r.rows.InsertSelected(r.out));
    EXPECT_EQ(r.out.replaced[1], 1u);

    // The searched text is no longer in the line: nothing is inserted.
    r.rows.Fill({Candidate(u"thank y", u"thank you very much")}, true);
    r.rows.Fill({}, true);
    r.dict.line = u"something else";
    EXPECT_FALSE(r.rows.InsertSelected(r.out));
    EXPECT_EQ(r.out.typed.size(), 2u);
    EXPECT_EQ(TypedSinceSearch(u"a b a b", u"a b"), 0);
}

TEST(AutoCompleteRows, EditsAndRemovalsRefillFromTheWindowsOwnCopy) {
    Rows r;
    r.rows.Fill({Candidate(u"a b", u"a b c"), Candidate(u"a b", u"a b d")}, true);
    r.rows.SetEditing(true);
    EXPECT_FALSE(r.rows.Hide());  // an open editor keeps the window
    r.rows.SetEditing(false);
    r.rows.ReplaceRow(1, u"a b e");
    EXPECT_EQ(r.dict.Count(u"a b d -> a b e"), 1);
    EXPECT_EQ(r.rows.RowPhrase(1), u"a b e");
    r.rows.ReplaceRow(0, u"");
    EXPECT_EQ(r.dict.Count(u"remove a b c"), 1);
    ASSERT_EQ(r.rows.Rows().size(), 1u);
    EXPECT_EQ(r.rows.RowPhrase(0), u"a b e");
}

// The window as the keys see it.
class FakeWindow final : public AcWindowPort {
public:
    bool IsOpen() override { return open; }
    bool IsReady() override { return open; }
    void SelectStep(bool up) override { selection = up ? std::max(selection - 1, 0) : std::min(selection + 1, 2); }
    bool InsertSelected() override {
        ++inserts;
        return true;
    }
    std::u16string GetLastInserted() override { return u"thank you very much"; }
    void Hide() override { open = false; }
    bool open = true;
    int selection = 0;
    int inserts = 0;
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

    void Tap(uint32_t holdMs = 20) {
        keys.OnKey(Key(0x11, true, mod::kCtrl));
        clock.Advance(holdMs);
        keys.OnKey(Key(0x11, false, mod::kCtrl));
    }
    void Press(uint32_t vk, uint8_t mods, char16_t ch = 0) {
        keys.OnKey(Key(vk, true, mods, ch));
        keys.OnKey(Key(vk, false, mods, ch));
    }
    // T: a CTRL tap; a: one with ALT held; A: the A key; C: CTRL+C; x: an
    // expansion; c: the window closes; r: a CTRL press repeated as a held
    // key repeats, then released.
    void Step(char step) {
        if (step == 'T') Tap();
        if (step == 'a') Press(0x11, mod::kCtrl | mod::kAlt);
        if (step == 'A') Press('A', 0, u'a');
        if (step == 'C')
            keys.OnKey(Key(0x11, true, mod::kCtrl)), Press('C', mod::kCtrl), keys.OnKey(Key(0x11, false, mod::kCtrl));
        if (step == 'x') keys.CancelDoubleCtrl();
        if (step == 'c') window.open = false;
        if (step == 'r') keys.OnKey(Key(0x11, true, mod::kCtrl)), Tap();
    }
};

TEST(AutoCompleteKeys, TwoCtrlTapsWithin300MsInsert) {
    KeysFixture f;
    f.Tap();
    f.clock.Advance(299 - 20);
    f.Tap(20);  // the second release 299 ms after the first
    EXPECT_EQ(f.window.inserts, 1);
    EXPECT_EQ(f.corrections, std::vector<std::u16string>{u"thank you very much"});
    EXPECT_EQ(f.ringClears, 1);
    EXPECT_FALSE(f.window.open);

    KeysFixture g;
    g.Tap();
    g.clock.Advance(300 - 20);
    g.Tap(20);  // 300 ms: too slow, but it starts a new pair
    EXPECT_EQ(g.window.inserts, 0);
    EXPECT_TRUE(g.keys.CtrlPending());
    g.clock.Advance(100);
    g.Tap(20);
    EXPECT_EQ(g.window.inserts, 1);
}

TEST(AutoCompleteKeys, TapsDoNotInsertWithAltAKeyBetweenAClosedWindowOrAnExpansion) {
    const struct {
        const char* steps;
        int inserts;
    } rows[] = {
        {"Ta", 0},   // CTRL released with ALT held
        {"TAT", 0},  // a letter typed between the taps
        {"CT", 0},   // the first release ended a key combination
        {"TxT", 0},  // an expansion between the taps
        {"cTT", 0},  // the window is not open
        {"rT", 1},   // a CTRL held down repeats its press: the pair still counts
    };
    for (const auto& r : rows) {
        KeysFixture f;
        for (const char* step = r.steps; *step; ++step) f.Step(*step);
        EXPECT_EQ(f.window.inserts, r.inserts) << r.steps;
    }
}

TEST(AutoCompleteKeys, AltDownHeldMovesOneRowPer150MsAndStopsAtTheLast) {
    KeysFixture f;
    const KeyEvent altDown = Key(0x28, true, mod::kAlt);
    f.keys.OnKey(altDown);
    EXPECT_EQ(f.window.selection, 1);
    f.clock.Advance(149);
    f.keys.OnKey(altDown);  // a repeat too soon
    EXPECT_EQ(f.window.selection, 1);
    f.clock.Advance(1);
    f.keys.OnKey(altDown);
    EXPECT_EQ(f.window.selection, 2);
    f.clock.Advance(150);
    f.keys.OnKey(altDown);
    EXPECT_EQ(f.window.selection, 2);
    f.clock.Advance(150);
    f.keys.OnKey(Key(0x26, true, mod::kAlt));
    EXPECT_EQ(f.window.selection, 1);
    // Without ALT, or with the window closed, the arrows are the user's.
    f.clock.Advance(150);
    f.keys.OnKey(Key(0x28, true));
    EXPECT_EQ(f.window.selection, 1);
    f.keys.OnTypingContextLost();  // hides the window
    EXPECT_FALSE(f.window.open);
    EXPECT_FALSE(f.keys.IsAutoCompleteWindow(0)) << "before the window exists";
    f.keys.SetWindowHandle(42);
    EXPECT_TRUE(f.keys.IsAutoCompleteWindow(42) && !f.keys.IsAutoCompleteWindow(0));
    f.keys.OnKey(altDown);
    EXPECT_EQ(f.window.selection, 1);
}

// The window's thread opens the window while the keystroke thread closes it:
// the hook's switch must end as the window's state ends, or ALT+DOWN would
// reach the user's program while the window is open, or be kept from it
// while it is closed.
TEST(AutoCompleteOpenState, TheHooksSwitchEndsAsTheWindowEnds) {
    for (const bool openFirst : {true, false}) {
        std::atomic<bool> switchOn{!openFirst};
        std::atomic<bool> started{false}, otherDone{false};
        std::thread other;
        AcOpenState* state = nullptr;
        AcOpenState open([&](bool on) {
            if (!started.exchange(true)) {
                // The other thread changes the state back while this change
                // is still setting the switch; it has every chance to finish.
                other = std::thread([&, on] {
                    if (on) state->Close([] { return true; });
                    else state->Open([] { return true; });
                    otherDone = true;
                });
                for (int i = 0; i < 50 && !otherDone; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(2));
            }
            switchOn = on;
        });
        state = &open;
        if (openFirst) open.Open([] { return true; });
        else open.Close([] { return true; });
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
