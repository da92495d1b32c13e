// The macro runner: jobs play their commands in order on their own thread,
// hold the user's keys around their input, wait for CTRL and ALT, stop on
// request and take themselves off the running list.
#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "engine/macro/macro_runner.h"
#include "macro_test_support.h"

namespace kx {
namespace {

using namespace macrotest;
using Clock = std::chrono::steady_clock;
using Lines = std::vector<std::string>;

std::string Spell(const KeyRecord& r) {
    std::string s = (r.flags & 0x0004) ? std::string(1, char(r.scan)) : "vk" + std::to_string(r.vk);
    return s + ((r.flags & 0x0002) ? "^" : "");
}

class RecordingMachine final : public MacroMachine {
public:
    unsigned SendInput(std::span<const KeyRecord> records) override {
        std::string line = "send";
        for (const KeyRecord& r : records) line += " " + Spell(r);
        Add(line);
        return unsigned(records.size());
    }
    bool KeyDown(int vk) override {
        std::lock_guard<std::mutex> g(lock_);
        ++keyTests;
        return keyDown && keyDown(vk, keyTests);
    }
    void ClearThreadKeyState() override {
        std::lock_guard<std::mutex> g(lock_);
        ++clears;
    }
    void ReportKeysStillDown() override { Add("report keys down"); }
    bool StartProgram(const std::u16string& commandLine) override {
        Add("start " + std::string(commandLine.begin(), commandLine.end()));
        return true;
    }
    void HoldUserKeys(bool on) override { Add(on ? "hold" : "release"); }

    Lines Log() {
        std::lock_guard<std::mutex> g(lock_);
        return log_;
    }
    int Clears() {
        std::lock_guard<std::mutex> g(lock_);
        return clears;
    }

    // (vk, how many tests so far) → down; set before a job starts.
    std::function<bool(int, int)> keyDown;
    int keyTests = 0;
    int clears = 0;

private:
    void Add(std::string line) {
        std::lock_guard<std::mutex> g(lock_);
        log_.push_back(std::move(line));
    }
    std::mutex lock_;
    Lines log_;
};

const ShortcutEntry& Macro(std::u16string script) {
    // Entries are counted references; the test keeps each one to the end.
    static std::vector<EntryRef> kept;
    kept.push_back(ShortcutEntry::Make(ShortcutKind::Macro, std::move(script)));
    return *kept.back();
}

// Waits, with a limit, until no job plays.
bool Finished(MacroRunner& runner, std::chrono::milliseconds limit = std::chrono::seconds(5)) {
    const auto end = Clock::now() + limit;
    while (runner.AnyRunning()) {
        if (Clock::now() > end) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

struct Rig {
    RecordingMachine machine;
    FakeMacroSystem system;
    MacroRunner runner{machine, system, ModifierWait{1, 50}};
};

TEST(MacroJob, PlaysEachCommandInOrderWithTheUsersKeysHeldAroundItsInput) {
    Rig rig;
    const bool typesFirst = rig.runner.Launch(Macro(
        u"kbrd_input \"ab\"\r\n// a comment\r\npause 1\r\ncommand \"notepad.exe x.txt\"\r\nkbrd_press 100 'a' 2\r\n"
        u"mouse_click 1\r\nkbrd_click 000 'q'"), {}).firstIsKeyboard;
    EXPECT_TRUE(typesFirst);
    ASSERT_TRUE(Finished(rig.runner));
    EXPECT_EQ(rig.machine.Log(), (Lines{
        "hold", "send a a^ b b^", "release",
        "start notepad.exe x.txt",
        "hold", "send vk17 A vk17^ A^", "release",
        // The press's keys let go after the hold time, all of them, backwards.
        "hold", "send A^ vk17^ A^ vk17^", "release",
        "send",  // the mouse command's empty list
        "hold", "send Q Q^", "release",
    }));
    EXPECT_FALSE(rig.runner.Launch(Macro(u"pause 1\nkbrd_input \"x\""), {}).firstIsKeyboard);
    EXPECT_TRUE(Finished(rig.runner));
}

// A macro from a file others can change plays its keys but starts nothing,
// and text stored under a combination's name never plays as a script.
TEST(MacroJob, WithoutTheRightToStartProgramsTheirLinesAreLeftOut) {
    Rig rig;
    const MacroStart shared =
        rig.runner.Launch(Macro(u"command \"calc\"\nkbrd_input \"a\"\ncommand \"cmd /c x\"\nkbrd_input \"b\""), {false});
    EXPECT_TRUE(shared.started);
    EXPECT_TRUE(shared.programRefused);
    EXPECT_TRUE(shared.firstIsKeyboard);  // what plays begins with keys
    ASSERT_TRUE(Finished(rig.runner));
    EXPECT_EQ(rig.machine.Log(), (Lines{"hold", "send a a^", "release", "hold", "send b b^", "release"}));

    EXPECT_FALSE(rig.runner.Launch(Macro(u"kbrd_input \"c\""), {false}).programRefused);
    ASSERT_TRUE(Finished(rig.runner));

    static const EntryRef text = ShortcutEntry::Make(ShortcutKind::SimpleText, u"command \"calc\"\nkbrd_input \"d\"");
    EXPECT_FALSE(rig.runner.Launch(*text, {}).started);
    EXPECT_FALSE(rig.runner.AnyRunning());
    EXPECT_EQ(rig.machine.Log().size(), 9u);  // only the second macro's "c" came since
}

TEST(MacroJob, AHundredAndFiftyLinesAllPlay) {
    Rig rig;
    std::u16string script;
    for (int i = 0; i < 150; ++i) script += u"kbrd_input \"" + std::u16string(1, char16_t(u'a' + i % 26)) + u"\"\n";
    rig.runner.Launch(Macro(script), {});
    ASSERT_TRUE(Finished(rig.runner));
    Lines sends;
    for (const std::string& l : rig.machine.Log())
        if (l.rfind("send", 0) == 0) sends.push_back(l);
    ASSERT_EQ(sends.size(), 150u);
    EXPECT_EQ(sends.back(), "send t t^");
}

TEST(MacroJob, KeyboardCommandsWaitForCtrlAndAltToBeLetGo) {
    // CTRL up at once, ALT let go at the fifth test: the command plays.
    Rig late;
    late.machine.keyDown = [](int vk, int tests) { return vk == 0x12 && tests < 10; };
    late.runner.Launch(Macro(u"kbrd_input \"a\""), {});
    ASSERT_TRUE(Finished(late.runner));
    EXPECT_EQ(late.machine.Log(), (Lines{"hold", "send a a^", "release"}));
    EXPECT_EQ(late.machine.Clears(), 4);

    // CTRL never let go: after fifty tests the user is told and the keyboard
    // command is skipped; the pause and the program start still run, and
    // so does the next keyboard command's own wait.
    Rig stuck;
    stuck.machine.keyDown = [](int vk, int) { return vk == 0x11; };
    stuck.runner.Launch(Macro(u"kbrd_input \"a\"\npause 1\ncommand \"calc\"\nkbrd_input \"b\""), {});
    ASSERT_TRUE(Finished(stuck.runner));
    EXPECT_EQ(stuck.machine.Log(), (Lines{"report keys down", "start calc", "report keys down"}));
    EXPECT_EQ(stuck.machine.keyTests, 100);
    EXPECT_EQ(stuck.machine.Clears(), 98);

    // SHIFT is no reason to wait.
    Rig shift;
    shift.machine.keyDown = [](int vk, int) { return vk == 0x10; };
    shift.runner.Launch(Macro(u"kbrd_input \"a\""), {});
    ASSERT_TRUE(Finished(shift.runner));
    EXPECT_EQ(shift.machine.Log(), (Lines{"hold", "send a a^", "release"}));
}

TEST(MacroJob, EscapeCutsAPauseShortAndNothingAfterItPlays) {
    Rig rig;
    rig.runner.Launch(Macro(u"kbrd_input \"a\"\npause 2710\nkbrd_input \"late\"\ncommand \"never\""), {});  // 10 s
    const auto until = Clock::now() + std::chrono::seconds(5);
    while (rig.machine.Log().size() < 3 && Clock::now() < until) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    ASSERT_TRUE(rig.runner.AnyRunning());
    const auto start = Clock::now();
    rig.runner.StopPlaying();
    ASSERT_TRUE(Finished(rig.runner, std::chrono::seconds(2)));
    EXPECT_LT(Clock::now() - start, std::chrono::seconds(2));
    EXPECT_EQ(rig.machine.Log(), (Lines{"hold", "send a a^", "release"}));

    // The next combination plays again.
    rig.runner.Launch(Macro(u"kbrd_input \"b\""), {});
    ASSERT_TRUE(Finished(rig.runner));
    EXPECT_EQ(rig.machine.Log().back(), "release");
    EXPECT_EQ(rig.machine.Log().size(), 6u);
}

TEST(MacroJob, TheExitStopsEveryJobAndWaitsForIt) {
    RecordingMachine machine;
    FakeMacroSystem system;
    Clock::time_point start;
    {
        MacroRunner runner(machine, system, ModifierWait{1, 50});
        runner.Launch(Macro(u"pause 2710\nkbrd_input \"late\""), {});
        ASSERT_TRUE(runner.AnyRunning());
        start = Clock::now();
        runner.StopAll();
        // Gone from the list at once, and its thread has ended.
        EXPECT_FALSE(runner.AnyRunning());
        // The runner's own end stops a job it started just before.
        runner.Launch(Macro(u"pause 2710\nkbrd_input \"later\""), {});
    }
    EXPECT_LT(Clock::now() - start, std::chrono::seconds(2));
    EXPECT_TRUE(machine.Log().empty());
}

TEST(MacroJob, APressHeldByTheUserWhileTheExitStopsItStillLetsGo) {
    Rig rig;
    rig.runner.Launch(Macro(u"kbrd_press 010 'x' 10000"), {});
    const auto until = Clock::now() + std::chrono::seconds(5);
    while (rig.machine.Log().size() < 3 && Clock::now() < until) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    rig.runner.StopAll();
    EXPECT_EQ(rig.machine.Log(), (Lines{"hold", "send vk18 X vk18^ X^", "release", "hold",
                                        "send X^ vk18^ X^ vk18^", "release"}));
}

}  // namespace
}  // namespace kx
