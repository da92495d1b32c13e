// The hook module's key translation and watchdog rule, the suspend rules and
// the named-mutex budget: the logic that needs no hooks to check.
#include <gtest/gtest.h>

#include <vector>

#include "engine/hooklink/hook_watchdog.h"
#include "engine/hooklink/key_translation.h"
#include "engine/hooklink/named_mutex_win32.h"
#include "engine/hooklink/suspend_rules.h"

namespace kx {
namespace {

// A US layout in miniature: letters, with AltGr+Q giving '@'; remembers the
// modifiers of each question.
class FakeLayout final : public KeyTranslator {
public:
    struct Ask { bool shift, ctrl, alt; };
    std::vector<Ask> asked;
    int ToChars(uint32_t vk, uint32_t, bool shift, bool ctrl, bool alt, bool caps, char16_t* out, int) override {
        asked.push_back({shift, ctrl, alt});
        if (vk == 0xBA) return -1;  // a dead key
        if (vk < 'A' || vk > 'Z') return 0;
        if (ctrl && alt) {
            if (vk != 'Q') return 0;
            out[0] = u'@';
            return 1;
        }
        if (ctrl) {
            out[0] = char16_t(vk - 'A' + 1);  // control codes, as Windows gives them
            return 1;
        }
        out[0] = char16_t((shift != caps) ? vk : vk + 32);
        return 1;
    }
};

RawKey Key(uint32_t vk, bool up = false) {
    RawKey k;
    k.vk = vk;
    k.isUp = up;
    return k;
}

TEST(KeyTranslation, PressCarriesCharacterAndReleaseNone) {
    FakeLayout layout;
    RawKey a = Key('A');
    a.shift = true;
    KeyEvent down = BuildKeyEvent(a, layout);
    EXPECT_EQ(down.ch, u'A');
    EXPECT_EQ(down.isDown, 1);
    EXPECT_EQ(down.modifiers, mod::kShift);

    a.isUp = true;
    KeyEvent up = BuildKeyEvent(a, layout);
    EXPECT_EQ(up.ch, 0);
    EXPECT_EQ(up.isDown, 0);
    EXPECT_EQ(up.modifiers, mod::kShift);
}

TEST(KeyTranslation, CtrlOrAltCombinationCarriesThePlainCharacter) {
    FakeLayout layout;
    // CTRL and ALT together without an AltGr character: nothing is typed,
    // so nothing may reach the word; the combination is matched by its key.
    RawKey m = Key('M');
    m.ctrl = m.alt = true;
    const KeyEvent ctrlAltM = BuildKeyEvent(m, layout);
    EXPECT_EQ(ctrlAltM.ch, 0);
    EXPECT_EQ(ctrlAltM.modifiers, mod::kCtrl | mod::kAlt);
    EXPECT_EQ(CombinationKey(ctrlAltM), u'M');

    RawKey c = Key('C');
    c.ctrl = true;
    EXPECT_EQ(BuildKeyEvent(c, layout).ch, u'c');  // not the control code 3
    RawKey f = Key('F');
    f.alt = true;
    f.shift = true;
    EXPECT_EQ(BuildKeyEvent(f, layout).ch, u'F');
}

TEST(KeyTranslation, HeldAndRepeatedCombinationRecords) {
    FakeLayout layout;
    // Auto-repeat sends the press again and again: every repeat is the same
    // full press record, and only the release differs (no character).
    RawKey m = Key('M');
    m.ctrl = m.alt = true;
    const KeyEvent first = BuildKeyEvent(m, layout);
    for (int i = 0; i < 3; ++i) {
        const KeyEvent again = BuildKeyEvent(m, layout);
        EXPECT_EQ(again.isDown, 1);
        EXPECT_EQ(again.vk, first.vk);
        EXPECT_EQ(again.ch, first.ch);
        EXPECT_EQ(again.modifiers, first.modifiers);
    }
    m.isUp = true;
    const KeyEvent up = BuildKeyEvent(m, layout);
    EXPECT_EQ(up.isDown, 0);
    EXPECT_EQ(up.ch, 0);
    EXPECT_EQ(CombinationKey(up), 0) << "a release cannot fire the combination again";
    // Held CTRL with a repeated C: the plain letter each time, never a control code.
    RawKey c = Key('C');
    c.ctrl = true;
    EXPECT_EQ(BuildKeyEvent(c, layout).ch, u'c');
    EXPECT_EQ(BuildKeyEvent(c, layout).ch, u'c');
}

TEST(KeyTranslation, AltGrCharacterIsKept) {
    FakeLayout layout;
    RawKey q = Key('Q');
    q.ctrl = q.alt = true;
    EXPECT_EQ(BuildKeyEvent(q, layout).ch, u'@');
}

TEST(KeyTranslation, UnicodePacketTakesCharacterFromScanField) {
    FakeLayout layout;
    RawKey p = Key(kVkPacket);
    p.scan = 0x00E9;  // é
    KeyEvent e = BuildKeyEvent(p, layout);
    EXPECT_EQ(e.vk, kVkPacket);
    EXPECT_EQ(e.ch, u'\u00E9');
    EXPECT_TRUE(layout.asked.empty());
    p.isUp = true;
    EXPECT_EQ(BuildKeyEvent(p, layout).ch, 0);
}

TEST(KeyTranslation, SidedModifierCodesBecomeGenericAndRightAltIsMarked) {
    FakeLayout layout;
    EXPECT_EQ(BuildKeyEvent(Key(0xA0), layout).vk, 0x10u);
    EXPECT_EQ(BuildKeyEvent(Key(0xA3), layout).vk, 0x11u);
    KeyEvent left = BuildKeyEvent(Key(0xA4), layout);
    EXPECT_EQ(left.vk, 0x12u);
    EXPECT_EQ(left.modifiers & mod::kAltFlag, 0);
    EXPECT_EQ(BuildKeyEvent(Key(0xA5), layout).modifiers & mod::kAltFlag, mod::kAltFlag);
}

TEST(KeyTranslation, DeadKeyGivesNoCharacter) {
    FakeLayout layout;
    EXPECT_EQ(BuildKeyEvent(Key(0xBA), layout).ch, 0);
}

TEST(HookWatchdog, ReinstallsOnlyWhenInputWentUnseen) {
    HookWatchdog w;
    uint32_t lastCallback = 10000;
    // Input the callbacks saw, or input too fresh to judge: nothing to do.
    EXPECT_FALSE(w.Check(12000, 10200, lastCallback));
    EXPECT_FALSE(w.Check(11700, 11600, lastCallback));
    // Input a second after the last callback, settled: the hook is gone.
    EXPECT_TRUE(w.Check(11400, 11000, lastCallback));
    EXPECT_EQ(lastCallback, 11400u);
    // The same old input does not trigger a second reinstall.
    EXPECT_FALSE(w.Check(12400, 11000, lastCallback));
}

TEST(HookWatchdog, SurvivesTickWrapAround) {
    HookWatchdog w;
    uint32_t lastCallback = 0xFFFFFF00u;
    EXPECT_FALSE(w.Check(0x00000100u, 0xFFFFFF80u, lastCallback));
    EXPECT_TRUE(w.Check(0x00000800u, 0x00000400u, lastCallback));
}

class FakeFocus final : public FocusProbe {
public:
    FocusDescription d;
    FocusDescription Describe() override { return d; }
};

TEST(SuspendRules, PasswordBoxesAndOwnWindowsMatch) {
    FakeFocus focus;
    focus.d = {0x100, u"Edit", 0x20, 7, 9};
    SuspendRules rules(focus);
    EXPECT_TRUE(rules.Matches());
    focus.d.className = u"tedit";
    EXPECT_TRUE(rules.Matches());
    focus.d.style = 0;  // a plain edit
    EXPECT_FALSE(rules.Matches());
    focus.d.className = u"RICHEDIT50W";
    focus.d.style = 0x20;  // the bit means something else in other classes
    EXPECT_FALSE(rules.Matches());
    focus.d.processId = 9;  // one of ours
    EXPECT_TRUE(rules.Matches());
}

// The answer is kept while the focus stays; any change of what the rules
// read must be seen, however small, or a password box would go unnoticed.
TEST(SuspendRules, EveryChangeOfTheFocusIsSeen) {
    FakeFocus focus;
    focus.d = {0x100, u"Edit", 0, 7, 9};
    SuspendRules rules(focus);
    EXPECT_FALSE(rules.Matches());
    EXPECT_FALSE(rules.Matches());
    focus.d.style = 0x20;
    EXPECT_TRUE(rules.Matches());
    focus.d.style = 0;
    EXPECT_FALSE(rules.Matches());
    focus.d.processId = 9;
    EXPECT_TRUE(rules.Matches());
    focus.d.focusWindow = 0;  // no focus at all is not one of our windows
    EXPECT_FALSE(rules.Matches());
    focus.d = {0x100, u"RichEdit", 0x20, 7, 9};
    EXPECT_FALSE(rules.Matches());
    focus.d.className = u"TEdit";
    EXPECT_TRUE(rules.Matches());
    focus.d.className = u"RichEdit";
    EXPECT_FALSE(rules.Matches());
    focus.d.ownProcessId = 7;
    EXPECT_TRUE(rules.Matches());
    // A browser's focus moves to its password field within the one window.
    focus.d = {0x100, u"Chrome_RenderWidgetHostHWND", 0, 7, 9};
    EXPECT_FALSE(rules.Matches());
    focus.d.reportsPassword = true;
    EXPECT_TRUE(rules.Matches());
}

TEST(NamedMutexLock, RetriesAccessDeniedWithinBudget) {
    std::vector<DWORD> sleeps;
    int attempts = 0;
    auto denied = [&](const std::wstring&, DWORD& error) -> HANDLE {
        ++attempts;
        error = ERROR_ACCESS_DENIED;
        return nullptr;
    };
    NamedMutexLock lock = NamedMutexLock::Take(L"KxTestDenied", 200, denied, [&](DWORD ms) { sleeps.push_back(ms); });
    EXPECT_FALSE(lock.Taken());
    EXPECT_EQ(attempts, 4);  // 200, 150, 100, then 50 is below 51
    EXPECT_EQ(sleeps, (std::vector<DWORD>{50, 50, 50}));
}

TEST(NamedMutexLock, TakesAfterAccessDeniedAndTimesOutWhenHeldElsewhere) {
    int attempts = 0;
    auto deniedOnce = [&](const std::wstring& name, DWORD& error) -> HANDLE {
        if (attempts++ == 0) {
            error = ERROR_ACCESS_DENIED;
            return nullptr;
        }
        return ::CreateMutexW(nullptr, FALSE, name.c_str());
    };
    NamedMutexLock lock = NamedMutexLock::Take(L"KxTestMutexBudget", 200, deniedOnce, [](DWORD) {});
    EXPECT_TRUE(lock.Taken());
    EXPECT_EQ(attempts, 2);

    // Held by another thread: the wait times out and the lock is not taken.
    bool otherTook = true;
    HANDLE thread = ::CreateThread(
        nullptr, 0,
        [](void* p) -> DWORD {
            *static_cast<bool*>(p) = NamedMutexLock::Take(L"KxTestMutexBudget", 60).Taken();
            return 0;
        },
        &otherTook, 0, nullptr);
    ::WaitForSingleObject(thread, 5000);
    ::CloseHandle(thread);
    EXPECT_FALSE(otherTook);
}

}  // namespace
}  // namespace kx
