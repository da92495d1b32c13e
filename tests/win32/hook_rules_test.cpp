// The hook module's key translation and watchdog rule, the suspend rules and
// the named-mutex budget: the logic that needs no hooks to check.
#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "engine/hooklink/hook_watchdog.h"
#include "engine/hooklink/key_translation.h"
#include "engine/hooklink/named_mutex_win32.h"
#include "engine/hooklink/suspend_rules.h"
#include "tests/win32/win32_rig.h"

namespace kx {
namespace {

// A US layout in miniature: letters, control codes under CTRL as Windows
// gives them, and 0xBA a dead key. (CTRL+ALT letters and AltGr characters
// are the combination tests' and the hook suite's, which types them.)
class FakeLayout final : public KeyTranslator {
public:
    int asked = 0;
    int ToChars(uint32_t vk, uint32_t, bool shift, bool ctrl, bool alt, bool caps, char16_t* out, int) override {
        ++asked;
        if (vk == 0xBA) return -1;
        if (vk < 'A' || vk > 'Z' || (ctrl && alt)) return 0;
        out[0] = ctrl ? char16_t(vk - 'A' + 1) : char16_t(shift != caps ? vk : vk + 32);
        return 1;
    }
};

TEST(KeyTranslation, EventsCarryTheCharacterTheKeyTypes) {
    struct Row {
        const char* name;
        uint32_t vk, scan;
        bool shift, ctrl, alt, up;
        uint32_t vkOut;
        char16_t ch;
        uint8_t modifiers;
    } rows[] = {
        {"ctrl+C is the letter, not code 3", 'C', 0, false, true, false, false, 'C', u'c', mod::kCtrl},
        {"alt+shift+F", 'F', 0, true, false, true, false, 'F', u'F', mod::kAlt | mod::kShift},
        {"dead key", 0xBA, 0, false, false, false, false, 0xBA, 0, 0},
        {"left shift is shift", 0xA0, 0, false, false, false, false, 0x10, 0, 0},
        {"right ctrl is ctrl", 0xA3, 0, false, false, false, false, 0x11, 0, 0},
        {"left alt is alt, unmarked", 0xA4, 0, false, false, false, false, 0x12, 0, 0},
        {"right alt is marked", 0xA5, 0, false, false, false, false, 0x12, 0, mod::kAltFlag},
        {"unicode packet", kVkPacket, 0xE9, false, false, false, false, kVkPacket, u'\u00E9', 0},
        {"unicode packet released", kVkPacket, 0xE9, false, false, false, true, kVkPacket, 0, 0},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        FakeLayout layout;
        RawKey k;
        k.vk = r.vk;
        k.scan = r.scan;
        k.shift = r.shift, k.ctrl = r.ctrl, k.alt = r.alt, k.isUp = r.up;
        // Auto-repeat sends the same press again: every repeat is the same record.
        for (int repeat = 0; repeat < 2; ++repeat) {
            const KeyEvent e = BuildKeyEvent(k, layout);
            EXPECT_EQ(e.vk, r.vkOut);
            EXPECT_EQ(e.ch, r.ch);
            EXPECT_EQ(e.isDown, r.up ? 0 : 1);
            EXPECT_EQ(e.modifiers, r.modifiers);
        }
        if (r.vk == kVkPacket) {
            EXPECT_EQ(layout.asked, 0) << "a packet's character is in its scan field";
        }
    }
}

TEST(HookWatchdog, ReinstallsOnlyWhenInputWentUnseen) {
    struct Row {
        uint32_t now, lastInput, lastCallback;
        bool reinstall;
        uint32_t callbackAfter;
    } rows[] = {
        {12000, 10200, 10000, false, 10000},  // input the callbacks saw
        {11700, 11600, 10000, false, 10000},  // too fresh to judge
        {11400, 11000, 10000, true, 11400},   // a second unseen and settled
        {12400, 11000, 11400, false, 11400},  // the same old input: no second reinstall
        {0x00000100u, 0xFFFFFF80u, 0xFFFFFF00u, false, 0xFFFFFF00u},  // across the tick's wrap
        {0x00000800u, 0x00000400u, 0xFFFFFF00u, true, 0x00000800u},
    };
    HookWatchdog w;
    for (const Row& r : rows) {
        uint32_t lastCallback = r.lastCallback;
        EXPECT_EQ(w.Check(r.now, r.lastInput, lastCallback), r.reinstall) << r.now;
        EXPECT_EQ(lastCallback, r.callbackAfter) << r.now;
    }
}

// The answer is kept while the focus stays; every change of what the rules
// read must be seen, however small, or a password box would go unnoticed.
// (Which fields make a password box or one of ours is the native focus
// rules' table.)
TEST(SuspendRules, PasswordBoxesAndOwnWindowsMatchAndEveryChangeIsSeen) {
    test::FakeFocus focus;
    focus.d = {0x100, u"Edit", 0x20, 7, 9};
    SuspendRules rules(focus);
    const auto set = [&](auto change, bool expected, const char* what) {
        change(focus.d);
        EXPECT_EQ(rules.Matches(), expected) << what;
        EXPECT_EQ(rules.Matches(), expected) << what << ", asked again";
    };
    using D = FocusDescription;
    set([](D&) {}, true, "a password edit");
    set([](D& d) { d.style = 0; }, false, "the style alone changes");
    set([](D& d) { d.style = 0x20; }, true, "and back");
    set([](D& d) { d.className = u"RichEdit"; }, false, "the class alone changes");
    set([](D& d) { d.processId = 9; }, true, "the window's process changes: one of ours");
    set([](D& d) { d.focusWindow = 0; }, false, "no focus is not one of ours");
    set([](D& d) { d = {0x100, u"RichEdit", 0x20, 7, 9}; }, false, "a rich edit");
    set([](D& d) { d.ownProcessId = 7; }, true, "our own process id changes");
    set([](D& d) { d = {0x100, u"Chrome_RenderWidgetHostHWND", 0, 7, 9}; }, false, "a browser's page");
    set([](D& d) { d.reportsPassword = true; }, true, "its password field, in the same window");
}

TEST(NamedMutexLock, RetriesAccessDeniedWithinItsBudgetAndTimesOutWhenHeldElsewhere) {
    std::vector<DWORD> sleeps;
    int attempts = 0;
    auto denied = [&](const std::wstring&, DWORD& error) -> HANDLE {
        ++attempts;
        error = ERROR_ACCESS_DENIED;
        return nullptr;
    };
    EXPECT_FALSE(NamedMutexLock::Take(L"KxTestDenied", 200, denied, [&](DWORD ms) { sleeps.push_back(ms); }).Taken());
    EXPECT_EQ(attempts, 4);  // 200, 150, 100, then 50 is below 51
    EXPECT_EQ(sleeps, (std::vector<DWORD>{50, 50, 50}));

    attempts = 0;
    auto deniedOnce = [&](const std::wstring& name, DWORD& error) -> HANDLE {
        if (attempts++ == 0) return error = ERROR_ACCESS_DENIED, nullptr;
        return ::CreateMutexW(nullptr, FALSE, name.c_str());
    };
    NamedMutexLock lock = NamedMutexLock::Take(L"KxTestMutexBudget", 200, deniedOnce, [](DWORD) {});
    EXPECT_TRUE(lock.Taken());
    EXPECT_EQ(attempts, 2);
    bool otherTook = true;
    std::thread([&] { otherTook = NamedMutexLock::Take(L"KxTestMutexBudget", 60).Taken(); }).join();
    EXPECT_FALSE(otherTook);
}

}  // namespace
}  // namespace kx
