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

class RecordingMachine final : public MacroMachine {
public:
    unsigned SendInput(std::span<const KeyRecord> records) override {
        std::string line = "send";
        for (const KeyRecord& r : records)
            line += " " + ((r.flags & 0x0004) ? std::string(1, char(r.scan)) : "vk" + std::to_string(r.vk)) +
                    ((r.flags & 0x0002) ? "^" : "");
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
        Add("start " + U8(commandLine));
        return true;
    }
    void HoldUserKeys(bool on) override { Add(on ? "hold" : "release"); }

    Lines Log() {
        std::lock_guard<std::mutex> g(lock_);
        return log_;
    }
    // (vk, how many tests so far) → down; set before a job starts.
    std::function<bool(int, int)> keyDown;
    int keyTests = 0, clears = 0;  // read once the jobs have ended

private:
    void Add(std::string line) {
        std::lock_guard<std::mutex> g(lock_);
        log_.push_back(std::move(line));
    }
    std::mutex lock_;
    Lines log_;
};

const ShortcutEntry& Macro(std::u16string script, ShortcutKind kind = ShortcutKind::Macro) {
    // Entries are counted references; the test keeps each one to the end.
    static std::vector<EntryRef> kept;
    kept.push_back(ShortcutEntry::Make(kind, std::move(script)));
    return *kept.back();
}

// Waits, with a limit, until `done` holds.
bool Within(std::chrono::milliseconds limit, const std::function<bool()>& done) {
    for (const auto end = Clock::now() + limit; !done();) {
        if (Clock::now() > end) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

struct Rig {
    RecordingMachine machine;
    FakeMacroSystem system;
    MacroRunner runner{machine, system, ModifierWait{1, 50}};
    // Plays a script to its end; what the machine was asked to do.
    Lines Play(std::u16string script, MacroRights rights = {}) {
        runner.Launch(Macro(std::move(script)), rights);
        EXPECT_TRUE(Within(std::chrono::seconds(5), [&] { return !runner.AnyRunning(); }));
        return machine.Log();
    }
};

TEST(MacroJob, PlaysEachCommandInOrderWithTheUsersKeysHeldAroundItsInput) {
    Rig rig;
    EXPECT_EQ(rig.Play(u"kbrd_input \"ab\"\r\n// a comment\r\npause 1\r\ncommand \"notepad.exe x.txt\"\r\n"
                       u"kbrd_press 100 'a' 2\r\nmouse_click 1\r\nkbrd_click 000 'q'"),
              (Lines{
                  "hold", "send a a^ b b^", "release", "start notepad.exe x.txt",
                  "hold", "send vk17 A vk17^ A^", "release",
                  // The press's keys let go after the hold time, all of them, backwards.
                  "hold", "send A^ vk17^ A^ vk17^", "release",
                  "send",  // the mouse command's empty list
                  "hold", "send Q Q^", "release",
              }));
    EXPECT_TRUE(rig.runner.Launch(Macro(u"kbrd_input \"x\""), {}).firstIsKeyboard);
    EXPECT_FALSE(rig.runner.Launch(Macro(u"pause 1\nkbrd_input \"x\""), {}).firstIsKeyboard);
}

// A macro from a file others can change plays its keys but starts nothing,
// and text stored under a combination's name never plays as a script.
TEST(MacroJob, WithoutTheRightToStartProgramsTheirLinesAreLeftOut) {
    Rig rig;
    const MacroStart shared =
        rig.runner.Launch(Macro(u"command \"calc\"\nkbrd_input \"a\"\ncommand \"cmd /c x\"\nkbrd_input \"b\""), {false});
    EXPECT_TRUE(shared.started && shared.programRefused && shared.firstIsKeyboard);
    ASSERT_TRUE(Within(std::chrono::seconds(5), [&] { return !rig.runner.AnyRunning(); }));
    EXPECT_EQ(rig.Play(u"kbrd_input \"c\""),
              (Lines{"hold", "send a a^", "release", "hold", "send b b^", "release", "hold", "send c c^", "release"}));
    EXPECT_FALSE(rig.runner.Launch(Macro(u"kbrd_input \"c\""), {false}).programRefused);
    EXPECT_FALSE(rig.runner.Launch(Macro(u"command \"calc\"", ShortcutKind::SimpleText), {}).started);
}

TEST(MacroJob, KeyboardCommandsWaitForCtrlAndAltToBeLetGo) {
    // ALT let go at the tenth test: the command plays.
    Rig late;
    late.machine.keyDown = [](int vk, int tests) { return vk == 0x12 && tests < 10; };
    EXPECT_EQ(late.Play(u"kbrd_input \"a\""), (Lines{"hold", "send a a^", "release"}));
    EXPECT_EQ(late.machine.clears, 4);
    // CTRL never let go: after fifty tests the user is told and the keyboard
    // command is skipped; the pause and the program start still run, and
    // so does the next keyboard command's own wait.
    Rig stuck;
    stuck.machine.keyDown = [](int vk, int) { return vk == 0x11; };
    EXPECT_EQ(stuck.Play(u"kbrd_input \"a\"\npause 1\ncommand \"calc\"\nkbrd_input \"b\""),
              (Lines{"report keys down", "start calc", "report keys down"}));
    EXPECT_EQ(stuck.machine.keyTests, 100);
    EXPECT_EQ(stuck.machine.clears, 98);
    // SHIFT is no reason to wait.
    Rig shift;
    shift.machine.keyDown = [](int vk, int) { return vk == 0x10; };
    EXPECT_EQ(shift.Play(u"kbrd_input \"a\""), (Lines{"hold", "send a a^", "release"}));
}

TEST(MacroJob, StoppingCutsAPauseShortAndLetsGoOfAPressedKey) {
    Rig rig;
    rig.runner.Launch(Macro(u"kbrd_input \"a\"\npause 2710\nkbrd_input \"late\"\ncommand \"never\""), {});  // 10 s
    ASSERT_TRUE(Within(std::chrono::seconds(5), [&] { return rig.machine.Log().size() >= 3; }));
    rig.runner.StopPlaying();  // ESC
    ASSERT_TRUE(Within(std::chrono::seconds(2), [&] { return !rig.runner.AnyRunning(); }));
    // The next combination plays again.
    EXPECT_EQ(rig.Play(u"kbrd_input \"b\""), (Lines{"hold", "send a a^", "release", "hold", "send b b^", "release"}));

    // The exit stops a key the macro holds down, and it still lets go.
    Rig press;
    press.runner.Launch(Macro(u"kbrd_press 010 'x' 10000"), {});
    ASSERT_TRUE(Within(std::chrono::seconds(5), [&] { return press.machine.Log().size() >= 3; }));
    press.runner.StopAll();
    EXPECT_EQ(press.machine.Log(),
              (Lines{"hold", "send vk18 X vk18^ X^", "release", "hold", "send X^ vk18^ X^ vk18^", "release"}));
}

TEST(MacroJob, TheExitStopsEveryJobAndWaitsForIt) {
    RecordingMachine machine;
    FakeMacroSystem system;
    const auto start = Clock::now();
    {
        MacroRunner runner(machine, system, ModifierWait{1, 50});
        runner.Launch(Macro(u"pause 2710\nkbrd_input \"late\""), {});
        ASSERT_TRUE(runner.AnyRunning());
        runner.StopAll();
        EXPECT_FALSE(runner.AnyRunning()) << "gone from the list at once, its thread ended";
        // The runner's own end stops a job it started just before.
        runner.Launch(Macro(u"pause 2710\nkbrd_input \"later\""), {});
    }
    EXPECT_LT(Clock::now() - start, std::chrono::seconds(2));
    EXPECT_TRUE(machine.Log().empty());
}

}  // namespace
}  // namespace kx
