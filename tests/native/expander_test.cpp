#include <gtest/gtest.h>

#include <memory>

#include "engine/hooklink/expander_sink.h"
#include "engine/matcher/classify.h"
#include "tests/support/engine_rig.h"

namespace kx::test {
namespace {

using Lines = std::vector<std::string>;

// The ExpandShortcut lines, cut to what a test compares.
std::string Expanded(const EngineRig& rig, size_t i = 0) {
    auto l = rig.Lines("output ExpandShortcut");
    return i < l.size() ? l[i] : "";
}

// The lookups of typed words, without those of key combinations.
Lines WordLookups(const EngineRig& rig) {
    Lines words;
    for (const auto& l : rig.Lines("lookup "))
        if (l.rfind("lookup CTRL+", 0) != 0 && l.rfind("lookup SHIFT+", 0) != 0 && l.rfind("lookup ALT+", 0) != 0)
            words.push_back(l);
    return words;
}

TEST(Matcher, CasingFlagsFollowHowTheKeywordWasTyped) {
    struct Case { const char* typed; const char* key; bool first, all; };
    for (Case c : {Case{"Sig ", "SIG", true, false}, Case{"SIG ", "SIG", true, true},
                   Case{"S1G ", "S1G", true, true}, Case{"sig ", "SIG", false, false},
                   // Any upper-case letter counts, not only A to Z.
                   Case{"\xc3\x89lan ", "\xc3\x89LAN", true, false}, Case{"\xc3\x89L\xc3\x81N ", "\xc3\x89L\xc3\x81N", true, true}}) {
        EngineRig rig;
        rig.SwitchOn({settings::ExpansionCasing});
        rig.Add(u"SIG", u"Best regards");
        rig.Add(u"S1G", u"x");
        rig.Add(u"\u00c9LAN", u"x");
        rig.Add(u"\u00c9L\u00c1N", u"x");
        rig.Run(std::string("type ") + c.typed);
        // Capitals are also tried as SHIFT combinations; the word lookup comes last.
        EXPECT_EQ(rig.Lines("lookup").back(), std::string("lookup ") + c.key + " hit") << c.typed;
        std::string want = std::string("firstcap=") + (c.first ? "1" : "0") + " allcaps=" + (c.all ? "1" : "0");
        EXPECT_NE(Expanded(rig).find(want), std::string::npos) << c.typed << ": " << Expanded(rig);
    }
    // Without the setting nothing is remembered.
    EngineRig rig;
    rig.Add(u"SIG", u"x");
    rig.Run("type SIG ");
    EXPECT_NE(Expanded(rig).find("firstcap=0 allcaps=0"), std::string::npos);
}

TEST(Matcher, BackspaceEditsTheWordAndBringsBackTheLastOne) {
    struct Case { const char* script; Lines lookups; };
    const Case cases[] = {
        {"type sig\nkey BACK\ntype n ", {"lookup SIN miss"}},
        // The Backspace removed the delimiter and restored the word.
        {"type sig \nkey BACK\ntype  ", {"lookup SIG miss", "lookup SIG miss"}},
        // A second space only counts; two Backspaces restore SIG, n extends it.
        {"type sig  \nkey BACK\nkey BACK\ntype n ", {"lookup SIG miss", "lookup SIGN miss"}},
        // Typing a word character forgets the previous word.
        {"type ab x\nkey BACK\nkey BACK\ntype  ", {"lookup AB miss"}},
    };
    for (const Case& c : cases) {
        EngineRig rig;
        rig.Run(c.script);
        EXPECT_EQ(rig.Lines("lookup"), c.lookups) << c.script;
    }
}

TEST(Matcher, DelimitersEndTheWordAndOtherCharactersExtendIt) {
    EngineRig rig;
    rig.Add(u"SIG", u"Best regards");
    rig.Run("type sig.");
    EXPECT_NE(Expanded(rig).find("keyword=SIG kind=0 trailing=U+002E"), std::string::npos) << Expanded(rig);
    EXPECT_EQ(rig.Lines("notice 3"), (Lines{"notice 3 10", "notice 3 10", "notice 3 10", "notice 3 11", "notice 3 10"}))
        << "each release of a key without a character is a break; the full stop expands";

    // A punctuation mark and a key without a character each end the word;
    // a hyphen and a digit are part of it.
    const struct { const char* script; const char* lookup; } rows[] = {
        {"type sig,", "lookup SIG miss"},
        {"type sig\nkey ENTER", "lookup SIG miss"},
        {"type sig-x ", "lookup SIG-X miss"},
        {"type sig7x ", "lookup SIG7X miss"},
    };
    for (const auto& r : rows) {
        EngineRig e;
        e.Run(r.script);
        EXPECT_EQ(WordLookups(e), Lines{r.lookup}) << r.script;
    }

    // CTRL with a delimiter discards; CTRL and ALT together (AltGr) type characters.
    EngineRig ctrl;
    ctrl.Run("type sig\ndown 0xBE '.' ctrl\ntype  ");
    EXPECT_EQ(ctrl.Lines("lookup"), Lines{"lookup CTRL+. miss"}) << "a combination, never the word";
    EngineRig altgr;
    altgr.Run("type ca\ndown 0x45 U+20AC ctrl alt\ntype  ");
    // The key's own name first, then the typed character's, as stored by
    // earlier versions; then the word.
    EXPECT_EQ(altgr.Lines("lookup"),
              (Lines{"lookup CTRL+ALT+E miss", "lookup CTRL+ALT+\u20ac miss", "lookup CA\u20ac miss"}));
}

// After a command key or a move of the caret, the text around the caret is
// not what we typed: a Backspace there must not bring an old word back.
TEST(Matcher, CommandAndCaretKeysForgetBothWords) {
    struct Case { const char* script; Lines lookups; };
    const Case cases[] = {
        // Select all and delete, then a delimiter: nothing to look up.
        {"type ty \nkey ctrl+A\nkey BACK\nkey ENTER", {"lookup TY miss"}},
        {"type ty \nkey ctrl+A\nkey BACK\nkey ESC", {"lookup TY miss"}},
        {"type ty \nkey ctrl+A\nkey BACK\nkey TAB", {"lookup TY miss"}},
        // A keyword typed after the clear stands on its own.
        {"type ty \nkey ctrl+A\nkey BACK\ntype sig ", {"lookup TY miss", "lookup SIG miss"}},
        {"type ty  \nkey ctrl+X\nkey BACK\nkey BACK\ntype  ", {"lookup TY miss"}},
        {"type ty \nkey ctrl+Z\nkey BACK\ntype  ", {"lookup TY miss"}},
        {"type ty \nkey alt+E\nkey BACK\ntype  ", {"lookup TY miss"}},
        {"type ty \nkey ctrl+BACK\nkey BACK\ntype  ", {"lookup TY miss"}},
        {"type ty \nkey ctrl+shift+LEFT\nkey BACK\ntype  ", {"lookup TY miss"}},
        {"type ty \ndown 0x20 ' ' ctrl\nup 0x20 ctrl\ntype sig ", {"lookup TY miss", "lookup SIG miss"}},
        // The word being typed goes too.
        {"type si\nkey ctrl+Z\ntype g ", {"lookup G miss"}},
        // Navigation and selection keys, with or without SHIFT.
        {"type ty \nkey LEFT\nkey BACK\ntype  ", {"lookup TY miss"}},
        {"type ty \nkey shift+HOME\nkey BACK\ntype  ", {"lookup TY miss"}},
        {"type ty \nkey END\nkey BACK\ntype  ", {"lookup TY miss"}},
        {"type ty \ndown 0x21\nup 0x21\nkey BACK\ntype  ", {"lookup TY miss"}},
        {"type ty \ndown 0x22 shift\nup 0x22 shift\nkey BACK\ntype  ", {"lookup TY miss"}},
        {"type ty \nkey shift+DOWN\nkey BACK\ntype  ", {"lookup TY miss"}},
        // CTRL pressed on its own is no command, nor is AltGr.
        {"type si\ndown 0x11 ctrl\nup 0x11\ntype g ", {"lookup SIG miss"}},
        {"type si\ndown 0x45 U+20AC ctrl alt\ntype g ", {"lookup SI\u20acG miss"}},
    };
    for (const Case& c : cases) {
        EngineRig rig;
        rig.Run(c.script);
        EXPECT_EQ(WordLookups(rig), c.lookups) << c.script;
    }

    // The clear says so.
    EngineRig notice;
    notice.Run("type ty \ndown 0x41 'a' ctrl");
    EXPECT_EQ(notice.log.lines.back(), "notice 3 10");

    // A command key that starts a macro is the macro's, and forgets nothing.
    EngineRig macro;
    macro.Add(u"CTRL+M", u"{TYPE x}", nullptr, ShortcutKind::Macro);
    macro.Run("type ty \nkey ctrl+M\nkey BACK\ntype  ");
    EXPECT_EQ(macro.Lines("lookup"), (Lines{"lookup TY miss", "lookup CTRL+M hit", "lookup TY miss"}));
}

TEST(Matcher, EventsReportTheirNotices) {
    EngineRig rig;
    rig.Add(u"TY", u"Thank you");
    rig.output.result = 12;
    rig.Run("down 0x54 't'\nup 0x54\ndown 0x59 'y'\ndown 0x20 ' '\nkey F5");
    EXPECT_EQ(rig.Lines("notice"),
              (Lines{"notice 2 84", "notice 3 10", "notice 2 89", "notice 3 12", "notice 3 10", "notice 3 10"}));
    // A failed expansion leaves the word state as a delivered one does.
    EngineRig again;
    again.Add(u"TY", u"x");
    again.output.result = 12;
    again.Run("type ty \nkey BACK\ntype  ");
    EXPECT_EQ(again.Lines("lookup").size(), 2u);
}

TEST(Matcher, OverwritingKeyReplacesTheCharacterAtItsPosition) {
    EngineRig rig;
    rig.Add(u"SUN", u"x");
    rig.Run("type sin\ndown 0x55 'u' pos=1\nup 0x55\ndown 0x20 ' ' pos=3");
    EXPECT_EQ(rig.Lines("lookup"), Lines{"lookup SUN hit"});
    EXPECT_NE(Expanded(rig).find("overwrite=1"), std::string::npos);
    // A position past the end appends.
    EngineRig past;
    past.Run("type ab\ndown 0x43 'c' pos=9\ntype  ");
    EXPECT_EQ(past.Lines("lookup"), Lines{"lookup ABC miss"});
}

TEST(Matcher, TargetWindowClassDecidesConsoleAndWordProcessorRules) {
    struct Case { const char16_t* cls; const char* flags; };
    for (Case c : {Case{u"OpusApp", "console=0 wordlike=1"}, Case{u"RCTRL_RENWND32", "console=0 wordlike=1"},
                   Case{u"wordpadclass", "console=0 wordlike=1"}, Case{u"consolewindowclass", "console=1 wordlike=0"},
                   Case{u"Notepad", "console=0 wordlike=0"}}) {
        EngineRig rig;
        rig.windows.SetForeground(0x42, c.cls);
        rig.Add(u"SIG", u"x");
        rig.Run("type sig ");
        EXPECT_NE(Expanded(rig).find(c.flags), std::string::npos) << Expanded(rig);
    }
    // While the Auto Complete window has the focus, the previous target stays.
    EngineRig rig;
    rig.windows.SetForeground(0x42, u"OpusApp");
    rig.Run("type a");
    rig.autoComplete.window = 0x77;
    rig.windows.SetForeground(0x77, u"LAutoComplete");
    rig.Run("type b");
    EXPECT_EQ(rig.expander.State().foregroundWindow, WindowHandle(0x42));
    EXPECT_TRUE(rig.expander.State().isWordLike);

    // With expansion switched off Auto Complete still inserts, into the
    // window typed in last, not the one typed in while expansion was on.
    EngineRig off;
    off.windows.SetForeground(0x50, u"ConsoleWindowClass");
    off.Run("type a");
    off.expander.SetShortcutsEnabled(false);
    off.windows.SetForeground(0x42, u"Notepad");
    off.Run("type b");
    EXPECT_EQ(off.expander.State().foregroundWindow, WindowHandle(0x42));
    EXPECT_FALSE(off.expander.State().isConsole);
}

TEST(Matcher, LookupOrderFollowsTheSharedSettings) {
    auto run = [](bool enabled, bool replace, bool sharedOnly) {
        EngineRig rig;
        rig.settings.WriteBool(settings::SharedEnabled, enabled);
        rig.settings.WriteBool(settings::SharedReplacesLocal, replace);
        if (!sharedOnly) rig.Add(u"SIG", u"local");
        rig.Add(u"SIG", u"shared", &rig.shared);
        rig.Run("type sig ");
        auto e = Expanded(rig);
        return e.empty() ? std::string("none") : e.substr(e.find("text="));
    };
    EXPECT_EQ(run(true, true, false), "text=\"shared\"");
    EXPECT_EQ(run(true, false, false), "text=\"local\"");
    EXPECT_EQ(run(false, true, false), "text=\"local\"");
    EXPECT_EQ(run(false, false, true), "none");
    EXPECT_EQ(run(true, false, true), "text=\"shared\"");

    // A change made while the program runs applies to the very next word.
    EngineRig rig;
    rig.Add(u"SIG", u"local");
    rig.Add(u"SIG", u"shared", &rig.shared);
    rig.Run("type sig ");
    rig.settings.WriteBool(settings::SharedEnabled, true);
    rig.settings.WriteBool(settings::SharedReplacesLocal, true);
    rig.Run("type sig ");
    rig.settings.DeleteValue(settings::kShared, u"sharedenabled");
    rig.Run("type sig ");
    auto l = rig.Lines("output ExpandShortcut");
    ASSERT_EQ(l.size(), 3u);
    EXPECT_NE(l[0].find("\"local\""), std::string::npos);
    EXPECT_NE(l[1].find("\"shared\""), std::string::npos);
    EXPECT_NE(l[2].find("\"local\""), std::string::npos);
}

TEST(Matcher, HotkeyTogglesAreAnnounced) {
    EngineRig rig;
    rig.SwitchOn({settings::ToggleExpansions});
    rig.Add(u"SIG", u"x");
    rig.Run("down 0x20 ' ' ctrl alt\nup 0x20 ctrl alt");
    EXPECT_FALSE(rig.expander.ShortcutsEnabled());
    EXPECT_EQ(rig.Lines("balloon"),
              Lines{"balloon \"Kestrix Shortcuts Disabled\" \"Kestrix shortcuts have been disabled. Press CTRL+ALT+SPACE to enable them again.\""});
    EXPECT_EQ(rig.Lines("icon"), Lines{"icon 23"});
    rig.log.Clear();
    rig.Run("type sig ");
    EXPECT_TRUE(rig.log.lines.empty()) << "matching stops while shortcuts are off";

    rig.log.Clear();
    rig.Run("sleep 151\ndown 0x20 ' ' ctrl alt\nup 0x20 ctrl alt");
    EXPECT_TRUE(rig.expander.ShortcutsEnabled());
    EXPECT_EQ(rig.Lines("balloon"),
              Lines{"balloon \"Kestrix shortcuts have been enabled.\" \"Kestrix shortcuts have been enabled. Press CTRL+ALT+SPACE to disable them.\""});
    EXPECT_EQ(rig.Lines("icon"), Lines{"icon 1"});

    // A combination typed differently in the settings still matches.
    EngineRig custom;
    custom.settings.Write(settings::ToggleExpansionsCombo, u"ctrl+shift+enter");
    custom.SwitchOn({settings::ToggleExpansions});
    custom.Run("down 0x0D U+000D ctrl shift");
    EXPECT_FALSE(custom.expander.ShortcutsEnabled());
    // The hotkey off: the combination is an ordinary key.
    EngineRig off;
    off.Run("down 0x20 ' ' ctrl alt");
    EXPECT_TRUE(off.expander.ShortcutsEnabled());
}

// Each press of a hotkey switches once: not its repeats while it is held,
// nor a second press soon after the last switch.
TEST(Matcher, HotkeysToggleOncePerPress) {
    struct Hotkey { const char* name; const char* down; const char* up; bool (Expander::*enabled)() const; };
    const Hotkey hotkeys[] = {{"shortcuts", "down 0x20 ' ' ctrl alt", "up 0x20 ctrl alt", &Expander::ShortcutsEnabled},
                              {"auto complete", "down 0x0D U+000D ctrl alt", "up 0x0D ctrl alt", &Expander::AutoCompleteEnabled}};
    // D and U: the hotkey's press and release. Held, the keyboard repeats
    // the press every 33 ms after 250 ms.
    const std::string held = "D\nsleep 250\n" + [] { std::string r; for (int i = 0; i < 8; ++i) r += "D\nsleep 33\n"; return r; }() + "U";
    struct Case { const char* what; std::string script; size_t switches; };
    const Case cases[] = {
        {"two presses 100 ms apart", "D\nU\nsleep 100\nD\nU", 1},
        {"two presses 200 ms apart", "D\nsleep 50\nU\nsleep 150\nD\nsleep 50\nU", 2},
        {"held", held, 1},
        {"held, released and pressed again", held + "\nsleep 200\nD\nU", 2},
        // A space typed just before, whose release never came (the hooks
        // were paused while it expanded), does not make the hotkey look held.
        {"after a space", "down 0x20 ' '\nsleep 200\nD", 1},
    };
    for (const Hotkey& h : hotkeys) {
        for (const Case& c : cases) {
            std::string script;
            for (size_t start = 0, end; start <= c.script.size(); start = end + 1) {
                end = std::min(c.script.find('\n', start), c.script.size());
                const std::string line = c.script.substr(start, end - start);
                script += (line == "D" ? h.down : line == "U" ? h.up : line) + std::string("\n");
            }
            EngineRig rig;
            rig.SwitchOn({settings::ToggleExpansions, settings::ToggleAutoComplete});
            script.pop_back();
            rig.Run(script);
            EXPECT_EQ(rig.Lines("balloon").size(), c.switches) << h.name << ", " << c.what;
            EXPECT_EQ((rig.expander.*h.enabled)(), c.switches % 2 == 0) << h.name << ", " << c.what;
        }
    }
}

TEST(Matcher, OneCombinationForBothHotkeysSwitchesBoth) {
    EngineRig rig;
    rig.settings.Write(settings::ToggleAutoCompleteCombo, u"CTRL+ALT+SPACE");
    rig.SwitchOn({settings::ToggleExpansions, settings::ToggleAutoComplete});
    rig.Run("down 0x20 ' ' ctrl alt");
    EXPECT_FALSE(rig.expander.ShortcutsEnabled());
    EXPECT_FALSE(rig.expander.AutoCompleteEnabled());
    EXPECT_EQ(rig.Lines("balloon"),
              Lines{"balloon \"Kestrix Disabled\" \"Kestrix has been disabled. Press CTRL+ALT+SPACE to enable it again.\""});
    EXPECT_EQ(rig.settings.ReadString(settings::kSettings, u"AutoCompleteEnabled", u"?"), u"0");
    EXPECT_EQ(rig.app.autoCompleteRefreshes, 1);
    EXPECT_TRUE(rig.Lines("icon").empty());
    rig.log.Clear();
    rig.Run("up 0x20 ctrl alt\nsleep 200\ndown 0x20 ' ' ctrl alt");
    EXPECT_EQ(rig.Lines("balloon"),
              Lines{"balloon \"Kestrix Disabled\" \"Kestrix has been enabled. Press CTRL+ALT+SPACE to disable it.\""});
    EXPECT_TRUE(rig.expander.AutoCompleteEnabled());
}

TEST(Matcher, AutoCompleteHotkeyAlone) {
    EngineRig rig;
    // A fresh install: the engine starts with Auto Complete on, and so does
    // the setting that the status bar, the toolbar and the options show.
    EXPECT_TRUE(rig.expander.AutoCompleteEnabled());
    EXPECT_TRUE(rig.settings.ReadBool(settings::AutoCompleteEnabled));
    rig.SwitchOn({settings::ToggleAutoComplete});
    rig.Run("down 0x0D U+000D ctrl alt");
    EXPECT_FALSE(rig.expander.AutoCompleteEnabled());
    EXPECT_EQ(rig.Lines("balloon"),
              Lines{"balloon \"Kestrix Auto Complete Disabled\" \"Kestrix Auto Complete has been disabled. Press CTRL+ALT+ENTER to enable it again.\""});
    EXPECT_EQ(rig.app.menuRefreshes, 1);

    // Without a learning dictionary Auto Complete simply stays on, unannounced.
    EngineRig paused;
    paused.autoComplete.learningAvailable = false;
    paused.SwitchOn({settings::ToggleAutoComplete});
    paused.expander.SetAutoCompleteEnabled(false);
    paused.Run("down 0x0D U+000D ctrl alt");
    EXPECT_TRUE(paused.expander.AutoCompleteEnabled());
    EXPECT_TRUE(paused.Lines("balloon").empty());
    EXPECT_EQ(paused.settings.ReadString(settings::kSettings, u"AutoCompleteEnabled", u"?"), u"1");
}

TEST(Matcher, DoubleSpaceInsertsOnePeriod) {
    auto fixes = [](const std::string& script, bool on = true) {
        EngineRig rig;
        rig.settings.WriteBool(settings::DoubleSpace, on);
        rig.Reload();
        rig.Add(u"SIG", u"x");
        rig.Run(script);
        return rig.Lines("output SendDoubleSpaceFix").size();
    };
    EXPECT_EQ(fixes("type word  "), 1u);
    EXPECT_EQ(fixes("type word    "), 1u) << "a third and fourth space send nothing more";
    EXPECT_EQ(fixes("type word.  "), 0u);
    EXPECT_EQ(fixes("type sig  "), 0u) << "right after an expansion";
    EXPECT_EQ(fixes("type word  ", false), 0u);
    EXPECT_EQ(fixes("type one  two  "), 2u);
}

TEST(Matcher, OurOwnPasteKeyIsDroppedBeforeAnythingSeesIt) {
    EngineRig rig;
    rig.expander.State().skipNextV = true;
    rig.Run("down 0x56 U+0016 ctrl\nup 0x56 ctrl");
    EXPECT_EQ(rig.autoComplete.fed, 1) << "only the release is seen";
    EXPECT_FALSE(rig.expander.State().skipNextV);
}

TEST(Matcher, KeyCombinationsStartMacros) {
    EngineRig rig;
    rig.Add(u"CTRL+ALT+M", u"{TYPE hello}", nullptr, ShortcutKind::Macro);
    rig.Run("down 0x4D ctrl alt");  // no AltGr character: the module reports none
    EXPECT_EQ(rig.Lines("lookup"), Lines{"lookup CTRL+ALT+M hit"});
    EXPECT_EQ(rig.Lines("output"), Lines{"output StartMacro \"{TYPE hello}\""});
    EXPECT_EQ(rig.Lines("notice"), Lines{"notice 2 11"});

    // A macro that does not type first leaves the notice value as it was.
    EngineRig shift;
    shift.Add(u"SHIFT+Q", u"script", nullptr, ShortcutKind::Macro);
    shift.macros.firstIsKeyboard = false;
    shift.Run("type Q");
    EXPECT_EQ(shift.Lines("notice").front(), "notice 2 81");

    // While a macro plays, typing is not matched at all.
    EngineRig busy;
    busy.Add(u"SIG", u"x");
    busy.macros.running = true;
    busy.Run("type sig ");
    EXPECT_TRUE(busy.log.lines.empty());
    EXPECT_GT(busy.autoComplete.fed, 0);
    EXPECT_EQ(busy.macros.stops, 0);

    // ESC stops it, on its press only, and even with expansion switched off.
    busy.Run("down 0x1B U+001B\nup 0x1B U+001B");
    EXPECT_EQ(busy.macros.stops, 1);
    busy.expander.SetShortcutsEnabled(false);
    busy.Run("down 0x1B U+001B");
    EXPECT_EQ(busy.macros.stops, 2);
    // Without a macro playing, ESC is an ordinary key.
    rig.Run("down 0x1B U+001B");
    EXPECT_EQ(rig.macros.stops, 0);
}

// The hook link hands the matcher every type-30 record (a mouse click, a
// change of the foreground window, records lost) and the end of the hooks
// as ResetTypedBuffer.
TEST(Matcher, DiscardRecordsForgetTheWordBeingTyped) {
    EngineRig rig;
    ExpanderSink sink(rig.expander, rig.app);
    rig.Add(u"SIG", u"x");
    rig.Run("type si");
    rig.log.Clear();
    sink.ResetTypedBuffer();
    EXPECT_EQ(rig.log.lines, Lines{"notice 3 10"});
    rig.Run("type g ");
    EXPECT_EQ(rig.Lines("lookup"), Lines{"lookup G miss"}) << "SI was typed in the other window";
    EXPECT_TRUE(rig.Lines("output").empty());

    // A finished word stays where it was: back in its window, a Backspace
    // over its delimiter still brings it back.
    EngineRig back;
    ExpanderSink backSink(back.expander, back.app);
    back.Run("type ty  ");
    backSink.ResetTypedBuffer();
    EXPECT_EQ(back.expander.State().previousWord, u"TY");
    EXPECT_EQ(back.expander.State().breakCount, 2);
    back.Run("key BACK\nkey BACK\ntype  ");
    EXPECT_EQ(back.Lines("lookup"), (Lines{"lookup TY miss", "lookup TY miss"}));
}

TEST(Matcher, ShiftCombinationTakesBackItsCharacter) {
    EngineRig rig;
    rig.Add(u"SHIFT+Q", u"script", nullptr, ShortcutKind::Macro);
    rig.Add(u"SIG", u"x");
    // SHIFT+Q typed a Q before we saw it: one Backspace tap takes it back
    // (SendBackspaces counts one less than its taps); a second would erase
    // the character before it.
    rig.Run("type Q");
    EXPECT_EQ(rig.Lines("output"), (Lines{"output SendBackspaces 0", "output StartMacro \"script\""}));
    // A capital that is no combination is just typed: nothing erased.
    rig.log.Clear();
    rig.Run("type Sig ");
    EXPECT_EQ(rig.Lines("lookup"), (Lines{"lookup SHIFT+S miss", "lookup SIG hit"}));
    EXPECT_TRUE(rig.Lines("output SendBackspaces").empty());
    // With CTRL or ALT the combination typed nothing, so nothing is erased.
    EngineRig ctrl;
    ctrl.Add(u"CTRL+SHIFT+Q", u"script", nullptr, ShortcutKind::Macro);
    ctrl.Run("key ctrl+shift+Q");
    EXPECT_EQ(ctrl.Lines("output"), Lines{"output StartMacro \"script\""});
}

// The shared file is written by others: its SHIFT-only combinations would
// fire on ordinary capitals, and its command lines would start programs as
// this user unless only an administrator can change it. Text kept under a
// combination's name is no script, wherever it is.
TEST(Matcher, SharedCombinationsCannotTakeOverTheUser) {
    EngineRig rig;
    rig.SwitchOn({settings::SharedEnabled, settings::SharedReplacesLocal});
    rig.Add(u"SHIFT+E", u"command \"x\"", &rig.shared, ShortcutKind::Macro);
    rig.Add(u"CTRL+ALT+E", u"kbrd_input \"a\"\ncommand \"x\"", &rig.shared, ShortcutKind::Macro);
    rig.Add(u"CTRL+ALT+T", u"command \"x\"", nullptr, ShortcutKind::SimpleText);
    rig.macros.hasProgram = true;
    rig.Run("type E");
    EXPECT_TRUE(rig.Lines("output").empty()) << "the capital stays and nothing plays";
    rig.Run("key ctrl+alt+E\nkey ctrl+alt+E\nkey ctrl+alt+T");
    const std::string refused = "output StartMacro \"kbrd_input \\\"a\\\"\\ncommand \\\"x\\\"\" without programs";
    EXPECT_EQ(rig.Lines("output StartMacro"), (Lines{refused, refused}));
    EXPECT_EQ(rig.Lines("balloon").size(), 1u) << "told the first time only";

    // The user's own SHIFT combination plays, even where the shared store
    // comes first; a shared file only administrators can change starts
    // programs.
    rig.Add(u"SHIFT+E", u"mine", nullptr, ShortcutKind::Macro);
    rig.shared->SetStartsPrograms(true);
    rig.log.Clear();
    rig.Run("type E\nkey ctrl+alt+E");
    EXPECT_EQ(rig.Lines("output StartMacro"), (Lines{"output StartMacro \"mine\"",
                                          "output StartMacro \"kbrd_input \\\"a\\\"\\ncommand \\\"x\\\"\""}));
}

TEST(Matcher, SharedRichTextIsCleanedBeforeItIsPasted) {
    EngineRig rig;
    rig.settings.WriteBool(settings::SharedEnabled, true);
    const std::string rtf = "{\\rtf1 a{\\object{\\*\\objdata 01}{\\result r}}}";
    rig.shared->Insert(u"SIG", ShortcutEntry::Make(ShortcutKind::RichText, u"ar", rtf));
    rig.local->Insert(u"MINE", ShortcutEntry::Make(ShortcutKind::RichText, u"ar", rtf));
    rig.Run("type sig ");
    ASSERT_TRUE(rig.output.last);
    EXPECT_EQ(rig.output.last->richText, "{\\rtf1 a{{r}}}");
    EntryRef stored;
    ASSERT_TRUE(rig.shared->Find(u"SIG", stored));
    EXPECT_EQ(stored->richText, rtf) << "the shared file keeps what its author saved";
    rig.Run("type mine ");
    EXPECT_EQ(rig.output.last->richText, rtf) << "the user's own rich text is the user's";
}

TEST(KeyClassification, KeysWithoutCharacters) {
    auto cls = [](uint32_t vk, uint8_t mods = 0, char16_t ch = 0) {
        KeyEvent e;
        e.vk = vk;
        e.ch = ch;
        e.modifiers = mods;
        Classified c = ClassifyKey(e);
        return std::to_string(int(c.cls)) + ":" + std::to_string(c.value);
    };
    EXPECT_EQ(cls(0x25), "1:10");                    // arrow
    EXPECT_EQ(cls(0xA0), "1:10");                    // left SHIFT code
    EXPECT_EQ(cls(0x10), "0:0");                     // SHIFT
    EXPECT_EQ(cls(0xAF), "0:0");                     // volume up
    EXPECT_EQ(cls(0x12), "1:10");                    // ALT alone
    EXPECT_EQ(cls(0x12, mod::kCtrl), "0:0");
    EXPECT_EQ(cls(0x12, mod::kAltFlag), "0:0");
    EXPECT_EQ(cls(0x41), "1:10");                    // a letter that types nothing
    EXPECT_EQ(cls(0x41, mod::kCtrl), "0:0");
    EXPECT_EQ(cls(0x41, mod::kCtrl, u'a'), "0:0");   // CTRL+A is a command
    EXPECT_EQ(cls(0x41, mod::kCtrl | mod::kAlt, u'a'), "0:97");
    EXPECT_EQ(cls(0x20, mod::kAlt, u' '), "1:10");
    EXPECT_EQ(cls(0x20, mod::kAlt | mod::kCtrl, u' '), "1:11");
    EXPECT_EQ(cls(0x08, 0, 8), "0:8");
}

}  // namespace
}  // namespace kx::test
