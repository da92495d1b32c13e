// The hold and replay of the user's keys around an expansion, driven with
// fake key events: a small model of the input stream, the target window,
// the program (which types its own keys while a hold is on) and the thread
// that replays what was held.
#include "engine/hooklink/key_hold.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <deque>
#include <string>
#include <vector>

namespace kx {
namespace {

using Source = KeyHold::Source;

// Modifier keys as the model types them (their virtual-key codes); shown
// as S, C and A.
constexpr char kShift = 0x10, kCtrl = 0x11, kAlt = 0x12;
char Modifier(char c) { return c == 'S' ? kShift : c == 'C' ? kCtrl : c == 'A' ? kAlt : c; }
std::string Shown(std::string keys) {
    for (char& c : keys) c = c == kShift ? 'S' : c == kCtrl ? 'C' : c == kAlt ? 'A' : c;
    return keys;
}

struct Machine {
    KeyHold hold;
    uint32_t now = 0;
    std::string window;    // what reached it: "x" for a key-down, "^x" for its release
    std::string reported;  // key-downs the program was told about
    std::vector<uint32_t> triggers;  // holds started, in order
    bool wake = false, keyboardOn = true;
    std::deque<HeldKey> onTheWay;    // replayed, not yet seen by the hook

    void Event(Source source, char c, bool up) {
        HeldKey k;
        k.vk = k.scan = uint16_t(c);
        if (up) k.flags |= heldflag::kKeyUp;
        const bool reportable = keyboardOn && source != Source::Own;
        const bool trigger = !up && (c == ' ' || c == '.' || c == '!');
        const KeyHold::Step step = hold.OnKey(source, k, reportable, trigger, now);
        wake = wake || step.wake;
        if (step.swallow) return;
        window += up ? std::string("^") + c : std::string(1, c);
        if (reportable && !up) reported += c;
        if (step.trigger) triggers.push_back(step.trigger);
    }
    void Press(Source source, const std::string& keys) {
        for (char c : keys) Event(source, c, false), Event(source, c, true);
    }
    // The releasing side takes what may go and injects it; the system
    // accepts the first `accepted` keys. Returns how many were taken.
    size_t Release(size_t accepted) {
        std::vector<HeldKey> keys;
        if (!hold.TakeReleasable(now, keys)) return 0;
        accepted = std::min(accepted, keys.size());
        onTheWay.insert(onTheWay.end(), keys.begin(), keys.begin() + ptrdiff_t(accepted));
        hold.Injected(keys, accepted, now);
        wake = false;
        return keys.size();
    }
    // The hook sees `n` of the replayed keys.
    void SeeReplays(size_t n) {
        for (; n-- > 0 && !onTheWay.empty(); onTheWay.pop_front())
            Event(Source::Replay, char(onTheWay.front().vk), onTheWay.front().flags & heldflag::kKeyUp);
    }

    // Steps separated by '|': "t:TEXT" the user types, "o:TEXT" the program
    // types, "e:N" the program erases N and pastes ('<' and 'P'), "dn:K" and
    // "up:K" the user presses or lets go of K, "end:I" and "deliver:I" the
    // program is done with, or at work on, hold I, "prog:B" a macro holds
    // the user's keys or not, "r:N" or "r:N/A" N keys are taken for replay
    // (A of them accepted), "see" or "see:N" replays reach the hook, "lost"
    // replays vanish, "now:MS", "+MS" the clock, "kb:B" the hook reports
    // keys or not, "clear" the window is cleared. Checks: "w=KEYS" the
    // window, "rep=KEYS" the reported keys, "wake:B", "pending:B", "trig:N".
    void Run(const std::string& script) {
        for (size_t start = 0, end; start <= script.size(); start = end + 1) {
            end = std::min(script.find('|', start), script.size());
            const std::string step = script.substr(start, end - start);
            SCOPED_TRACE(step);
            const size_t colon = step.find_first_of(":=");
            const std::string op = step.substr(0, colon), arg = colon == std::string::npos ? "" : step.substr(colon + 1);
            const long n = arg.empty() || !std::isdigit(static_cast<unsigned char>(arg[0])) ? -1 : std::stol(arg);
            if (op == "t") Press(Source::Physical, arg);
            else if (op == "o") Press(Source::Own, arg);
            else if (op == "e") Press(Source::Own, std::string(size_t(n), '<') + "P");
            else if (op == "dn" || op == "up") Event(Source::Physical, Modifier(arg[0]), op == "up");
            else if (op == "end") hold.EndHold(triggers.at(size_t(n)));
            else if (op == "deliver") hold.Delivering(triggers.at(size_t(n)));
            else if (op == "prog") hold.SetProgramHold(n == 1, now);
            else if (op == "r") {
                const size_t slash = arg.find('/');
                EXPECT_EQ(Release(slash == std::string::npos ? size_t(-1) : std::stoul(arg.substr(slash + 1))), size_t(n));
            } else if (op == "see") SeeReplays(n < 0 ? size_t(-1) : size_t(n));
            else if (op == "lost") onTheWay.clear();
            else if (op == "now") now = uint32_t(n);
            else if (op[0] == '+') now += uint32_t(std::stol(op.substr(1)));
            else if (op == "kb") keyboardOn = n == 1;
            else if (op == "clear") window.clear();
            else if (op == "w") EXPECT_EQ(Shown(window), arg);
            else if (op == "rep") EXPECT_EQ(Shown(reported), arg);
            else if (op == "wake") EXPECT_EQ(wake, n == 1);
            else if (op == "pending") EXPECT_EQ(hold.Pending(), n == 1);
            else if (op == "trig") EXPECT_EQ(triggers.size(), size_t(n));
            else ADD_FAILURE() << "unknown step";
        }
    }
};

TEST(KeyHold, KeysTypedDuringAHoldComeAfterTheProgramsKeysInTheirOrder) {
    const struct { const char* name; const char* script; } cases[] = {
        // A delimiter among the program's own keys starts nothing, is not held.
        {"own keys pass", "t:a.|t:b|o: .|w=a^a. ^ .^.|trig:1|end:0|r:3|see|w=a^a. ^ .^.^.b^b|rep=a.b"},
        // The replayed space after "ty" starts a hold of its own; the rest of
        // the replay is held again behind it, and keeps its place before a
        // key typed while part of the replay is still on its way.
        {"nested holds",
         "t:sig |t:ty x|e:4|end:0|r:9|see:6|trig:2|rep=sig ty |t:z|see|e:3|r:0|end:1|r:5|see|"
         "w=s^si^ig^g <^<<^<<^<<^<P^P^ t^ty^y <^<<^<<^<P^P^ x^xz^z|rep=sig ty xz|pending:0"},
        // No hold is on, but the replay has not come back yet: the user's key
        // must not overtake it. The last replayed key lets the held ones go.
        {"behind a replay on its way",
         "t:a |t:bc|end:0|r:5|t:d|r:0|see:4|wake:0|see:1|wake:1|r:2|see|w=a^a ^ b^bc^cd^d|rep=a bcd"},
        // A key held past the limit (a second) wakes the releasing thread; the program's
        // late answer does not end a later hold.
        {"the limit", "now:5000|t:a |t:b|now:5999|r:0|t:c|wake:0|now:6000|t:d|wake:1|r:7|see|w=a^a ^ b^bc^cd^d|"
                      "t:.|trig:2|end:0|t:e|r:0|end:1|r:3"},
        // The expansion waits for a slow target to take its paste: the keys
        // behind the delimiter stay held past the limit. The next hold, not
        // yet handled, ends by itself again.
        {"as long as the program handles its key",
         "now:5000|t:a |t:b|deliver:0|now:9000|t:c|wake:0|r:0|e:2|end:0|r:5|see|w=a^a <^<<^<P^P^ b^bc^c|t: d|+1000|r:3"},
        // The hold is over but its keys are not yet taken for replay: a key
        // typed now waits behind them.
        {"behind keys not yet taken", "t:a |t:b|end:0|t:c|w=a^a |r:5|see|w=a^a ^ b^bc^c"},
        {"a replay that never comes back", "t:a |t:b|end:0|now:100|r:3|lost|t:c|now:1099|r:0|now:1100|r:2|see|w=a^a c^c"},
        // Nothing went in, then only two: nothing lost, nothing overtaken.
        {"refused replays", "t:a |t:bc|end:0|r:5/0|pending:1|r:5/2|t:d|r:0|see|wake:1|r:5|see|w=a^a ^ b^bc^cd^d|"
                            "rep=a bcd|pending:0"},
        // X, typed with SHIFT still down, gets it back on replay; SHIFT ends up released.
        {"typed with the lifted modifier",
         "t:sig|dn:S|dn:!|t:X|up:S|e:4|end:0|r:4|see|w=s^si^ig^gS!^S<^<<^<<^<<^<P^PSX^X^S|rep=sigS!SX|pending:0"},
        // CTRL pressed and released within the hold is held in order.
        {"CTRL in a hold", "t:a |dn:C|t:b|up:C|dn:C|end:0|r:6|see|w=a^a ^ Cb^b^CC"},
        // ALT's release is held, so that the target never sees a lone ALT
        // press and release (its menu).
        {"ALT never lifted", "dn:A|t: |t:q|up:A|end:0|r:4|see|w=A ^ q^q^A"},
        // The switch starts no hold, but a pause of the keyboard while the
        // program types keeps one; held keys are reported when they come back.
        {"keyboard switched off", "kb:0|t:a b |trig:0|w=a^a ^ b^b ^ |kb:1|t:c |kb:0|t:d|end:0|kb:1|r:3|see|"
                                  "w=a^a ^ b^b ^ c^c ^ d^d|rep=c d"},
        // A macro holds the user's keys while it types, though letters
        // complete nothing; keys replayed before its next command began were
        // typed before its keys; a program that never says its keys went
        // lets the user's go by itself after ten seconds.
        {"a macro", "t:x|prog:1|t:ab|o:MN|r:0|prog:0|r:4|see|w=x^xM^MN^Na^ab^b|rep=xab|clear|"
                    "prog:1|t:c|prog:0|r:2|prog:1|see|o:M|w=c^cM^M|clear|"
                    "t:d|+9999|r:0|+1|r:2|see|w=d^d|pending:0"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Machine m;
        m.Run(c.script);
    }
}

TEST(KeyHold, OwnKeysAreToldApartTakeAllEmptiesAndAFullHoldLetsKeysThrough) {
    constexpr uintptr_t kReplay = hookproto::kReplaySignature;
    EXPECT_EQ(KeyHold::Classify(true, hookproto::kOwnInputSignature, kReplay), Source::Own);
    EXPECT_EQ(KeyHold::Classify(true, kReplay, kReplay), Source::Replay);
    // Another program's injected keys, and the other module's replays, are typing.
    EXPECT_EQ(KeyHold::Classify(true, 0, kReplay), Source::Physical);
    EXPECT_EQ(KeyHold::Classify(true, hookproto::kCompanionReplaySignature, kReplay), Source::Physical);
    EXPECT_EQ(KeyHold::Classify(false, kReplay, kReplay), Source::Physical);

    Machine m;
    m.Run("t:a |t:bc");
    std::vector<HeldKey> keys;
    m.hold.TakeAll(keys);
    ASSERT_EQ(keys.size(), 5u);
    EXPECT_EQ(keys[1].vk, 'b');
    EXPECT_EQ(keys[2].flags, heldflag::kKeyUp);
    m.Run("pending:0|t:d|w=a^a d^d");

    Machine full;
    full.Run("t: ");
    for (size_t i = 1; i < KeyHold::kCapacity; ++i) full.Event(Source::Physical, 'x', false);
    full.Run("w= |dn:y|w= y|end:0");
    EXPECT_EQ(full.Release(size_t(-1)), KeyHold::kCapacity);
}

}  // namespace
}  // namespace kx
