// The hold and replay of the user's keys around an expansion, driven with
// fake key events: a small model of the input stream, the target window,
// the program (which types its own keys while a hold is on) and the thread
// that replays what was held.
#include "engine/hooklink/key_hold.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <string>
#include <vector>

namespace kx {
namespace {

using Source = KeyHold::Source;
constexpr uintptr_t kReplay = hookproto::kReplaySignature;

bool IsTriggerChar(char c) { return c == ' ' || c == '.' || c == '!'; }

// Modifier keys as the model types them (their virtual-key codes).
constexpr char kShift = 0x10, kCtrl = 0x11, kAlt = 0x12;

// The window's keys with the modifiers written as S, C and A.
std::string Shown(std::string keys) {
    for (char& c : keys) c = c == kShift ? 'S' : c == kCtrl ? 'C' : c == kAlt ? 'A' : c;
    return keys;
}

class Machine {
public:
    KeyHold hold;
    uint32_t now = 0;
    // What reached the window, in order: "x" for a key-down, "^x" for its release.
    std::string window;
    // Key-downs the program was told about, in order.
    std::string reported;
    std::vector<uint32_t> triggers;  // holds started, in order
    bool wake = false;
    bool keyboardOn = true;
    std::deque<HeldKey> onTheWay;    // replayed, not yet seen by the hook

    void Event(Source source, char c, bool up) {
        HeldKey k;
        k.vk = uint16_t(c);
        k.scan = uint16_t(c);
        if (up) k.flags |= heldflag::kKeyUp;
        const bool reportable = keyboardOn && source != Source::Own;
        const KeyHold::Step step = hold.OnKey(source, k, reportable, !up && IsTriggerChar(c), now);
        wake = wake || step.wake;
        if (step.swallow) return;
        window += up ? std::string("^") + c : std::string(1, c);
        if (reportable && !up) reported += c;
        if (step.trigger) triggers.push_back(step.trigger);
    }
    void Press(Source source, char c) {
        Event(source, c, false);
        Event(source, c, true);
    }
    // The user types `text` on the physical keyboard.
    void Type(const std::string& text) {
        for (char c : text) Press(Source::Physical, c);
    }
    // The program's own keys: `erase` Backspaces ('<') and a paste ('P').
    void Expand(int erase) {
        for (int i = 0; i < erase; ++i) Press(Source::Own, '<');
        Press(Source::Own, 'P');
    }
    // The releasing side: takes what may go and injects it; the system
    // accepts the first `accepted` keys (all by default). Returns how many
    // were taken.
    size_t Release(size_t accepted = size_t(-1)) {
        std::vector<HeldKey> keys;
        if (!hold.TakeReleasable(now, keys)) return 0;
        accepted = std::min(accepted, keys.size());
        for (size_t i = 0; i < accepted; ++i) onTheWay.push_back(keys[i]);
        hold.Injected(keys, accepted, now);
        wake = false;
        return keys.size();
    }
    // The hook sees `n` (or all) of the replayed keys.
    void SeeReplays(size_t n = size_t(-1)) {
        while (n-- > 0 && !onTheWay.empty()) {
            const HeldKey k = onTheWay.front();
            onTheWay.pop_front();
            Event(Source::Replay, char(k.vk), k.flags & heldflag::kKeyUp);
        }
    }
};

TEST(KeyHold, KeysTypedDuringAnExpansionComeAfterIt) {
    Machine m;
    m.Type("omw ");
    ASSERT_EQ(m.triggers.size(), 1u);
    // The user goes on typing before the program has answered.
    m.Type("on");
    // The program erases the keyword and its space and pastes: its keys pass.
    m.Expand(4);
    EXPECT_EQ(m.Release(), 0u) << "the hold is on until the program has handled the key";
    m.hold.EndHold(m.triggers[0]);
    EXPECT_EQ(m.Release(), 5u);
    m.SeeReplays();
    EXPECT_EQ(m.window, "o^om^mw^w <^<<^<<^<<^<P^P^ o^on^n");
    EXPECT_EQ(m.reported, "omw on") << "each key is reported exactly once";
    EXPECT_FALSE(m.hold.Pending());
}

TEST(KeyHold, OwnKeysAreNeverHeldNorReported) {
    EXPECT_EQ(KeyHold::Classify(true, hookproto::kOwnInputSignature, kReplay), Source::Own);
    EXPECT_EQ(KeyHold::Classify(true, kReplay, kReplay), Source::Replay);
    // Another program's injected keys, and the other module's replays, are typing.
    EXPECT_EQ(KeyHold::Classify(true, 0, kReplay), Source::Physical);
    EXPECT_EQ(KeyHold::Classify(true, hookproto::kCompanionReplaySignature, kReplay), Source::Physical);
    EXPECT_EQ(KeyHold::Classify(false, kReplay, kReplay), Source::Physical);

    Machine m;
    m.Type("a.");
    m.Type("b");
    // A delimiter among the program's own keys starts nothing and is not held.
    m.Press(Source::Own, ' ');
    m.Press(Source::Own, '.');
    EXPECT_EQ(m.window, "a^a. ^ .^.");
    EXPECT_EQ(m.triggers.size(), 1u);
    m.hold.EndHold(m.triggers[0]);
    EXPECT_EQ(m.Release(), 3u) << "only the user's keys were held";
    m.SeeReplays();
    EXPECT_EQ(m.window, "a^a. ^ .^.^.b^b");
    EXPECT_EQ(m.reported, "a.b");
}

TEST(KeyHold, OrderHoldsAcrossNestedHolds) {
    Machine m;
    m.Type("sig ");
    // Typed while "sig" expands: another keyword, its space, more.
    m.Type("ty x");
    m.Expand(4);
    m.hold.EndHold(m.triggers[0]);
    EXPECT_EQ(m.Release(), 9u);
    // The replayed space after "ty" starts a hold of its own; the rest of
    // the replay is held again behind it.
    m.SeeReplays(6);
    ASSERT_EQ(m.triggers.size(), 2u);
    EXPECT_EQ(m.reported, "sig ty ");
    // The user types on meanwhile, while part of the replay is still on its way.
    m.Type("z");
    m.SeeReplays();
    m.Expand(3);
    EXPECT_EQ(m.Release(), 0u);
    m.hold.EndHold(m.triggers[1]);
    EXPECT_EQ(m.Release(), 5u);
    m.SeeReplays();
    // The rest of the replay keeps its place before the key typed after it.
    EXPECT_EQ(m.window, "s^si^ig^g <^<<^<<^<<^<P^P^ t^ty^y <^<<^<<^<P^P^ x^xz^z");
    EXPECT_EQ(m.reported, "sig ty xz");
    EXPECT_FALSE(m.hold.Pending());
}

TEST(KeyHold, KeysBehindAReplayOnItsWayAreHeld) {
    Machine m;
    m.Type("a ");
    m.Type("bc");
    m.hold.EndHold(m.triggers[0]);
    EXPECT_EQ(m.Release(), 5u);
    // No hold is on, but the replay has not come back yet: the user's key
    // must not overtake it.
    m.Type("d");
    EXPECT_EQ(m.Release(), 0u);
    m.SeeReplays(4);
    EXPECT_FALSE(m.wake);
    m.SeeReplays(1);
    EXPECT_TRUE(m.wake) << "the last replayed key lets the held ones go";
    EXPECT_EQ(m.Release(), 2u);
    m.SeeReplays();
    EXPECT_EQ(m.window, "a^a ^ b^bc^cd^d");
    EXPECT_EQ(m.reported, "a bcd");
}

TEST(KeyHold, AHoldEndsByItselfAfterTheLimit) {
    Machine m;
    m.now = 5000;
    m.Type("a ");
    m.Type("b");
    m.now = 5000 + KeyHold::kLimitMs - 1;
    EXPECT_EQ(m.Release(), 0u);
    m.Type("c");
    EXPECT_FALSE(m.wake);
    m.now = 5000 + KeyHold::kLimitMs;
    m.Type("d");
    EXPECT_TRUE(m.wake) << "a key held past the limit wakes the releasing thread";
    EXPECT_EQ(m.Release(), 7u);
    m.SeeReplays();
    EXPECT_EQ(m.window, "a^a ^ b^bc^cd^d");
    // The program's late answer does not end a later hold.
    m.Type(".");
    ASSERT_EQ(m.triggers.size(), 2u);
    m.hold.EndHold(m.triggers[0]);
    m.Type("e");
    EXPECT_EQ(m.Release(), 0u);
    m.hold.EndHold(m.triggers[1]);
    EXPECT_EQ(m.Release(), 3u);
}

TEST(KeyHold, AHoldLastsAsLongAsTheProgramHandlesItsKey) {
    // The expansion waits for a slow target to take its paste: the keys
    // typed behind the delimiter stay held past the limit and come after it.
    Machine m;
    m.now = 5000;
    m.Type("a ");
    m.Type("b");
    m.hold.Delivering(m.triggers[0]);
    m.now = 5000 + 4 * KeyHold::kLimitMs;
    m.Type("c");
    EXPECT_FALSE(m.wake);
    EXPECT_EQ(m.Release(), 0u);
    m.Expand(2);
    m.hold.EndHold(m.triggers[0]);
    EXPECT_EQ(m.Release(), 5u);
    m.SeeReplays();
    EXPECT_EQ(m.window, "a^a <^<<^<P^P^ b^bc^c");
    // The next hold, not yet handled, ends by itself again.
    m.Type(" d");
    m.now += KeyHold::kLimitMs;
    EXPECT_EQ(m.Release(), 3u);
}

TEST(KeyHold, AReplayThatNeverComesBackIsGivenUpAfterTheLimit) {
    Machine m;
    m.Type("a ");
    m.Type("b");
    m.hold.EndHold(m.triggers[0]);
    m.now = 100;
    EXPECT_EQ(m.Release(), 3u);
    m.onTheWay.clear();  // swallowed by someone else on the way
    m.Type("c");
    m.now = 100 + KeyHold::kLimitMs - 1;
    EXPECT_EQ(m.Release(), 0u);
    m.now = 100 + KeyHold::kLimitMs;
    EXPECT_EQ(m.Release(), 2u);
    m.SeeReplays();
    EXPECT_EQ(m.window, "a^a c^c");
}

TEST(KeyHold, KeysTheSystemRefusedAreRetriedInTheirPlace) {
    Machine m;
    m.Type("a ");
    m.Type("bc");
    m.hold.EndHold(m.triggers[0]);
    // Nothing went in: everything is held again, and nothing is lost.
    EXPECT_EQ(m.Release(0), 5u);
    EXPECT_TRUE(m.hold.Pending());
    // Then only the first two went in.
    EXPECT_EQ(m.Release(2), 5u);
    // A key typed now must not overtake the refused ones.
    m.Type("d");
    EXPECT_EQ(m.Release(), 0u) << "the accepted keys are still on their way";
    m.SeeReplays();
    EXPECT_TRUE(m.wake);
    EXPECT_EQ(m.Release(), 5u);
    m.SeeReplays();
    EXPECT_EQ(m.window, "a^a ^ b^bc^cd^d");
    EXPECT_EQ(m.reported, "a bcd");
    EXPECT_FALSE(m.hold.Pending());
}

TEST(KeyHold, ShiftReleasedDuringAnExpansionGoesThroughAtOnce) {
    Machine m;
    // "sig!": the SHIFT of "!" is let go while the program is still at work.
    m.Type("sig");
    m.Event(Source::Physical, kShift, false);
    m.Press(Source::Physical, '!');
    m.Event(Source::Physical, kShift, true);
    ASSERT_EQ(m.triggers.size(), 1u);
    // The release reached the window before the program's Backspaces and
    // Ctrl+V, so they come without SHIFT.
    m.Expand(4);
    m.hold.EndHold(m.triggers[0]);
    EXPECT_EQ(m.Release(), 1u) << "only the release of ! was held";
    m.SeeReplays();
    EXPECT_EQ(Shown(m.window), "s^si^ig^gS!^S<^<<^<<^<<^<P^P^!");
    EXPECT_FALSE(m.hold.Pending());
}

TEST(KeyHold, KeysTypedWithTheLiftedModifierGetItBackOnReplay) {
    Machine m;
    m.Type("sig");
    m.Event(Source::Physical, kShift, false);
    m.Event(Source::Physical, '!', false);
    // Still holding SHIFT, the user types X, then lets SHIFT go.
    m.Press(Source::Physical, 'X');
    m.Event(Source::Physical, kShift, true);
    m.Expand(4);
    m.hold.EndHold(m.triggers[0]);
    EXPECT_EQ(m.Release(), 4u);
    m.SeeReplays();
    // X is typed with SHIFT down again, and SHIFT ends up released.
    EXPECT_EQ(Shown(m.window), "s^si^ig^gS!^S<^<<^<<^<<^<P^PSX^X^S");
    EXPECT_EQ(m.reported, "sig" + std::string(1, kShift) + "!" + std::string(1, kShift) + "X");
    EXPECT_FALSE(m.hold.Pending());
}

TEST(KeyHold, ModifiersPressedDuringAHoldStayInOrderAndAltIsNeverLifted) {
    Machine m;
    m.Type("a ");
    // CTRL pressed and released within the hold: both held, in order.
    m.Event(Source::Physical, kCtrl, false);
    m.Press(Source::Physical, 'b');
    m.Event(Source::Physical, kCtrl, true);
    // And pressed again: held like any key.
    m.Event(Source::Physical, kCtrl, false);
    // ALT down before the hold, released during it: held, so that the
    // target never sees a lone ALT press and release (its menu).
    Machine n;
    n.Event(Source::Physical, kAlt, false);
    n.Type(" ");
    n.Press(Source::Physical, 'q');
    n.Event(Source::Physical, kAlt, true);
    n.hold.EndHold(n.triggers[0]);
    EXPECT_EQ(n.Release(), 4u);
    n.SeeReplays();
    EXPECT_EQ(Shown(n.window), "A ^ q^q^A");

    m.hold.EndHold(m.triggers[0]);
    EXPECT_EQ(m.Release(), 6u);
    m.SeeReplays();
    EXPECT_EQ(Shown(m.window), "a^a ^ Cb^b^CC");
}

TEST(KeyHold, KeyboardSwitchOffStartsNoHoldButKeepsOne) {
    Machine m;
    m.keyboardOn = false;
    m.Type("a b ");
    EXPECT_TRUE(m.triggers.empty());
    EXPECT_EQ(m.window, "a^a ^ b^b ^ ");
    m.keyboardOn = true;
    m.Type("c ");
    // The program pauses the keyboard while it types; the hold goes on.
    m.keyboardOn = false;
    m.Type("d");
    m.hold.EndHold(m.triggers[0]);
    m.keyboardOn = true;
    EXPECT_EQ(m.Release(), 3u);
    m.SeeReplays();
    EXPECT_EQ(m.window, "a^a ^ b^b ^ c^c ^ d^d");
    EXPECT_EQ(m.reported, "c d") << "held keys are reported when they come back";
}

TEST(KeyHold, TakeAllEndsTheHoldAndReturnsEverything) {
    Machine m;
    m.Type("a ");
    m.Type("bc");
    std::vector<HeldKey> keys;
    m.hold.TakeAll(keys);
    ASSERT_EQ(keys.size(), 5u);
    EXPECT_EQ(keys[1].vk, 'b');
    EXPECT_EQ(keys[2].flags, heldflag::kKeyUp);
    EXPECT_FALSE(m.hold.Pending());
    m.Type("d");
    EXPECT_EQ(m.window, "a^a d^d");
}

TEST(KeyHold, AFullHoldLetsKeysThroughRatherThanLoseThem) {
    Machine m;
    m.Type(" ");
    for (size_t i = 1; i < KeyHold::kCapacity; ++i) m.Event(Source::Physical, 'x', false);
    EXPECT_EQ(m.window, " ");
    m.Event(Source::Physical, 'y', false);
    EXPECT_EQ(m.window, " y");
    m.hold.EndHold(m.triggers[0]);
    EXPECT_EQ(m.Release(), KeyHold::kCapacity);
}

TEST(KeyHold, AMacroHoldsTheUsersKeysWhileItTypesAndLetsThemGoBetweenCommands) {
    Machine m;
    m.Type("x");
    m.hold.SetProgramHold(true, m.now);
    // Letters complete nothing, yet they wait behind the macro's keys.
    m.Type("ab");
    m.Press(Source::Own, 'M');
    m.Press(Source::Own, 'N');
    EXPECT_EQ(m.Release(), 0u) << "held while the macro types";
    m.hold.SetProgramHold(false, m.now);
    EXPECT_EQ(m.Release(), 4u);
    m.SeeReplays();
    EXPECT_EQ(Shown(m.window), "x^xM^MN^Na^ab^b");
    EXPECT_EQ(m.reported, "xab");

    // Keys replayed before the next command began were typed before its
    // keys: they are not held again.
    m.window.clear();
    m.hold.SetProgramHold(true, m.now);
    m.Type("c");
    m.hold.SetProgramHold(false, m.now);
    EXPECT_EQ(m.Release(), 2u);
    m.hold.SetProgramHold(true, m.now);
    m.SeeReplays();
    m.Press(Source::Own, 'M');
    EXPECT_EQ(m.window, "c^cM^M");

    // A program that never says its keys went lets the user's go by itself.
    m.window.clear();
    m.Type("d");
    m.now += KeyHold::kProgramLimitMs - 1;
    EXPECT_EQ(m.Release(), 0u);
    m.now += 1;
    EXPECT_EQ(m.Release(), 2u);
    m.SeeReplays();
    EXPECT_EQ(m.window, "d^d");
    EXPECT_FALSE(m.hold.Pending());
}

}  // namespace
}  // namespace kx
