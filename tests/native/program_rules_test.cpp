#include <gtest/gtest.h>

#include "core/program_rules.h"
#include "tests/support/engine_rig.h"

namespace kx::test {
namespace {

using Lines = std::vector<std::string>;
constexpr ProgramRule kNone{};
constexpr ProgramRule kOff{ProgramRuleKind::Off, 0};
constexpr ProgramRule kChat{ProgramRuleKind::Chat, 0};
constexpr ProgramRule Type(uint32_t ms) { return {ProgramRuleKind::Type, ms}; }

void WriteRaw(Registry& reg, std::u16string_view name, std::u16string_view data, uint32_t type = reg::kTypeSz) {
    const std::u16string text(data);
    reg.SetValue(Hive::CurrentUser, ProgramRuleStore::KeyPath(), name, type,
                 reinterpret_cast<const uint8_t*>(text.c_str()), uint32_t(2 * (text.size() + 1)));
}

TEST(ProgramRules, TextAndDialogInputAreReadStrictly) {
    const struct { std::u16string_view data; ProgramRule rule; } texts[] = {
        {u"off", kOff}, {u" Chat ", kChat}, {u"Type", Type(0)}, {u"Type 100", Type(100)}, {u"Type  007", Type(7)},
        // Unknown data is no rule: never a guess at what it meant.
        {u"Type 101", kNone}, {u"Type -1", kNone}, {u"Type 5ms", kNone}, {u"Type5", kNone}, {u"Offline", kNone},
    };
    for (const auto& c : texts) {
        EXPECT_EQ(ParseProgramRule(c.data), c.rule) << Utf16ToUtf8(c.data);
        if (c.rule.kind != ProgramRuleKind::None) { EXPECT_EQ(ParseProgramRule(ProgramRuleText(c.rule)), c.rule); }
    }
    const std::u16string tooLong(256, u'a');
    const struct { std::u16string_view program; ProgramRuleKind kind; std::u16string_view delay; RuleProblem problem; } inputs[] = {
        {u"Teams", ProgramRuleKind::Chat, u"", RuleProblem::None},
        {u"vmconnect.exe", ProgramRuleKind::Type, u"fast", RuleProblem::DelayOutOfRange},
        {u"", ProgramRuleKind::Off, u"", RuleProblem::NotAFileName},
        {u"what?.exe", ProgramRuleKind::Off, u"", RuleProblem::NotAFileName},
        {u"notepad.", ProgramRuleKind::Off, u"", RuleProblem::NotAFileName},
        {tooLong, ProgramRuleKind::Off, u"", RuleProblem::NotAFileName},
        {u"notepad.exe", ProgramRuleKind::None, u"", RuleProblem::NoRule},
    };
    for (const auto& c : inputs)
        EXPECT_EQ(CheckProgramRuleInput(c.program, c.kind, c.delay, nullptr), c.problem) << Utf16ToUtf8(c.program);
    ProgramRule out;
    EXPECT_EQ(CheckProgramRuleInput(u"x.exe", ProgramRuleKind::Type, u" 30 ", &out), RuleProblem::None);
    EXPECT_EQ(out, Type(30));
}

TEST(ProgramRules, StoreKeepsOneValuePerProgramWithoutRegardToCaseAndSkipsWhatIsNoRule) {
    MemoryRegistry reg;
    Lines log;
    ProgramRuleStore store(reg, [&](std::string_view l) { log.emplace_back(l); });
    EXPECT_EQ(store.Set(u"Notepad.exe", kOff), RuleProblem::None);
    EXPECT_EQ(store.Set(u"mstsc.exe", Type(20)), RuleProblem::None);
    EXPECT_EQ(store.Set(u"NOTEPAD.EXE", kChat), RuleProblem::None);  // replaces, takes the new spelling
    EXPECT_EQ(store.Set(u"x.exe", Type(500)), RuleProblem::DelayOutOfRange);
    auto list = store.List();
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[1].program, u"NOTEPAD.EXE");
    EXPECT_EQ(store.Find(u"notepad.exe"), kChat);
    // The registry holds what an administrator would write by hand.
    alignas(char16_t) uint8_t buf[64];
    uint32_t size = sizeof buf, type = 0;
    ASSERT_EQ(reg.QueryValue(Hive::CurrentUser, u"Software\\Tarvik Software\\Kestrix\\Settings\\Programs", u"mstsc.exe",
                             buf, &size, &type), reg::kSuccess);
    EXPECT_EQ(std::u16string(reinterpret_cast<const char16_t*>(buf)), u"Type 20");
    // The tray's toggle: Chat becomes Off, Off goes away.
    EXPECT_EQ(store.ToggleOff(u"notepad.EXE"), kOff);
    EXPECT_EQ(store.ToggleOff(u"Notepad.exe"), kNone);
    EXPECT_FALSE(store.Remove(u"notepad.exe"));
    EXPECT_TRUE(store.Remove(u"MSTSC.exe"));
    EXPECT_TRUE(store.List().empty());
    EXPECT_TRUE(log.empty());

    WriteRaw(reg, u"good.exe", u"Type 5");
    WriteRaw(reg, u"later.exe", u"Slow 5");            // a rule of a later version
    WriteRaw(reg, u"slow.exe", u"Type 500");           // out of range
    WriteRaw(reg, u"dword.exe", u"Off", 4);            // not a string
    WriteRaw(reg, u"C:\\x\\y.exe", u"Off");            // not a file name
    WriteRaw(reg, u"long.exe", std::u16string(200, u'O'));  // longer than any rule
    list = store.List();
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list[0].rule, Type(5));
    ASSERT_EQ(log.size(), 5u);
    EXPECT_EQ(log[0].find("Programs: the value \""), 0u) << log[0];
}

// The matcher over a fake window seam: each window belongs to a program.
struct RulesRig : EngineRig {
    static constexpr WindowHandle kNotepad = 0x42, kChatApp = 0x43, kRemote = 0x44, kAdmin = 0x45;
    ProgramRuleStore store{registry, [](std::string_view) {}};
    RulesRig() {
        programs.Set(kNotepad, u"notepad.exe");
        programs.Set(kChatApp, u"Teams.exe");
        programs.Set(kRemote, u"mstsc.exe");
        programs.Set(kAdmin, u"regedit.exe", true);
        Add(u"SIG", u"Best regards");
        Front(kNotepad);
    }
    void Front(WindowHandle w) { windows.SetForeground(w, u"Edit"); }
    // The rule each expansion was handed ("" for none), one per expansion.
    std::vector<std::string> Rules() const {
        std::vector<std::string> out;
        for (const auto& l : Lines("output ExpandShortcut")) {
            const size_t at = l.find(" rule=");
            out.push_back(at == std::string::npos ? "" : l.substr(at + 6, l.find(" text=") - at - 6));
        }
        return out;
    }
};

TEST(ProgramRulesMatcher, EachProgramGetsItsOwnRuleAndOffSeesNothing) {
    RulesRig rig;
    rig.SwitchOn({settings::ToggleExpansions});
    rig.store.Set(u"NOTEPAD.EXE", kOff);
    rig.store.Set(u"teams.exe", kChat);
    rig.store.Set(u"mstsc.exe", Type(10));
    for (WindowHandle w : {RulesRig::kChatApp, RulesRig::kRemote, WindowHandle(0x99), RulesRig::kNotepad}) {
        rig.Front(w);
        rig.Run("type sig ");
    }
    EXPECT_EQ(rig.Rules(), (Lines{"\"Chat\"", "\"Type 10\"", ""}));
    EXPECT_EQ(rig.Lines("lookup SIG").size(), 3u) << "nothing looked up in notepad";
    EXPECT_EQ(rig.expander.CurrentProgram().program, u"notepad.exe");
    EXPECT_EQ(rig.expander.CurrentProgram().rule, kOff);
    // Nor fed to Auto Complete; and a word begun elsewhere is forgotten
    // there, not taken up again after.
    rig.autoComplete.fed = 0;
    rig.Front(RulesRig::kChatApp);
    rig.Run("type si");
    const int fed = rig.autoComplete.fed;
    rig.Front(RulesRig::kNotepad);
    rig.Run("type g");
    EXPECT_EQ(rig.autoComplete.fed, fed);
    rig.Front(RulesRig::kChatApp);
    rig.Run("type  ");
    EXPECT_TRUE(rig.Lines("lookup SI").size() == 3u && rig.Rules().size() == 3u);
    // The hotkeys still work there.
    rig.Front(RulesRig::kNotepad);
    rig.Run("down 0x20 U+0020 ctrl alt");
    EXPECT_FALSE(rig.expander.ShortcutsEnabled());
}

TEST(ProgramRulesMatcher, ProgramIsAskedOncePerForegroundChangeAndRulesFollowTheStoresWrites) {
    RulesRig rig;
    rig.Run("type abc");
    // A rule written while the window stays in front applies to the next key.
    rig.store.Set(u"notepad.exe", kOff);
    rig.Run("type sig ");
    EXPECT_TRUE(rig.Rules().empty());
    EXPECT_EQ(rig.programs.asked, 1);
    EXPECT_EQ(rig.Lines("notice 4 20").size(), 2u) << "notepad came to the front, then its rule changed";
}

TEST(ProgramRulesMatcher, ProgramsThatCannotTakeTheExpansionAreToldOfOncePerProgram) {
    // Wine runs every process at one level and cannot stand in for an
    // elevated window: the decision is tested here with the fake seam.
    EXPECT_TRUE(InputBlockedByElevation(true, false, false));
    EXPECT_FALSE(InputBlockedByElevation(true, false, true)) << "uiAccess may drive higher windows";
    RulesRig rig;
    rig.Front(RulesRig::kAdmin);
    rig.Run("type sig \ntype sig ");
    EXPECT_TRUE(rig.Lines("output").empty()) << "nothing erased, nothing pasted";
    EXPECT_EQ(rig.Lines("notice 4 22").size(), 1u);
    EXPECT_EQ(rig.Lines("notice 3 12").size(), 2u);
    auto notices = rig.expander.TakeProgramNotices();
    ASSERT_EQ(notices.size(), 1u);
    EXPECT_EQ(notices[0].program, u"regedit.exe");
    EXPECT_TRUE(rig.expander.TakeProgramNotices().empty());

    // Rich text where only plain text can go.
    rig.store.Set(u"mstsc.exe", Type(0));
    rig.store.Set(u"teams.exe", kChat);
    rig.Add(u"RICH", u"one line", nullptr, ShortcutKind::RichText);
    rig.Add(u"RICH2", u"two\r\nlines", nullptr, ShortcutKind::RichText);
    rig.Front(RulesRig::kRemote);
    rig.Run("type rich rich sig ");
    rig.Front(RulesRig::kChatApp);
    rig.Run("type rich rich2 rich2 ");
    rig.Front(RulesRig::kNotepad);
    rig.Run("type rich ");
    notices = rig.expander.TakeProgramNotices();
    ASSERT_EQ(notices.size(), 2u);
    EXPECT_EQ(notices[0].what, notice::kProgramPlainText);
    EXPECT_EQ(notices[0].program, u"mstsc.exe");
    EXPECT_EQ(notices[1].program, u"Teams.exe");
    EXPECT_EQ(rig.Rules().size(), 7u);
}

}  // namespace
}  // namespace kx::test
