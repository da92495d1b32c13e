#include <gtest/gtest.h>

#include <memory>

#include "engine/hooklink/expander_sink.h"
#include "engine/matcher/classify.h"
#include "tests/support/engine_rig.h"

namespace kx::test {
namespace {

using Lines = std::vector<std::string>;

// The first ExpandShortcut line, or "".
std::string Expanded(const EngineRig& rig) {
    auto l = rig.Lines("output ExpandShortcut");
    return l.empty() ? "" : l[0];
}

// The lookups of typed words, without those of key combinations.
Lines WordLookups(const EngineRig& rig) {
    Lines words;
    for (const auto& l : rig.Lines("lookup "))
        if (l.rfind("lookup CTRL+", 0) != 0 && l.rfind("lookup SHIFT+", 0) != 0 && l.rfind("lookup ALT+", 0) != 0)
            words.push_back(l);
    return words;
}

TEST(Matcher, WordsAreLookedUpAsTypedEditedAndForgotten) {
    const struct { const char* script; Lines lookups; } cases[] = {
        // Backspace edits the word, and over a delimiter brings the last one back;
        // a second space only counts; typing a word character forgets it.
        {"type sig\nkey BACK\ntype n ", {"lookup SIN miss"}},
        {"type sig \nkey BACK\ntype  ", {"lookup SIG miss", "lookup SIG miss"}},
        {"type sig  \nkey BACK\nkey BACK\ntype n ", {"lookup SIG miss", "lookup SIGN miss"}},
        {"type ab x\nkey BACK\nkey BACK\ntype  ", {"lookup AB miss"}},
        // A punctuation mark and a key without a character end the word; a
        // hyphen and a digit are part of it.
        {"type sig,", {"lookup SIG miss"}},
        {"type sig\nkey ENTER", {"lookup SIG miss"}},
        {"type sig-x7 ", {"lookup SIG-X7 miss"}},
        // An overwriting key replaces the character at its position; past the end it appends.
        {"type ab\ndown 0x43 'c' pos=9\ntype  ", {"lookup ABC miss"}},
        // After a command key or a move of the caret, the text around the
        // caret is not what we typed: a Backspace must not bring an old word
        // back, and a delimiter after a clear has nothing to look up.
        {"type ty \nkey ctrl+A\nkey BACK\nkey ENTER", {"lookup TY miss"}},
        {"type ty \nkey ctrl+A\nkey BACK\nkey ESC", {"lookup TY miss"}},
        {"type ty \nkey ctrl+A\nkey BACK\nkey TAB", {"lookup TY miss"}},
        {"type ty \nkey ctrl+A\nkey BACK\ntype sig ", {"lookup TY miss", "lookup SIG miss"}},
        {"type ty  \nkey ctrl+X\nkey BACK\nkey BACK\ntype  ", {"lookup TY miss"}},
        {"type ty \ndown 0x20 ' ' ctrl\nup 0x20 ctrl\ntype sig ", {"lookup TY miss", "lookup SIG miss"}},
        {"type si\nkey ctrl+Z\ntype g ", {"lookup G miss"}},  // the word being typed goes too
        // CTRL pressed on its own is no command, nor is AltGr.
        {"type si\ndown 0x11 ctrl\nup 0x11\ntype g ", {"lookup SIG miss"}},
        {"type si\ndown 0x45 U+20AC ctrl alt\ntype g ", {"lookup SI\u20acG miss"}},
    };
    for (const auto& c : cases) {
        EngineRig rig;
        rig.Run(c.script);
        EXPECT_EQ(WordLookups(rig), c.lookups) << c.script;
    }
    // Each of these, between "ty " and a Backspace, leaves nothing to look up.
    for (const char* keys : {"key ctrl+Z", "key alt+E", "key ctrl+BACK", "key ctrl+shift+LEFT", "key LEFT", "key END",
                             "key shift+HOME", "key shift+DOWN", "down 0x21\nup 0x21", "down 0x22 shift\nup 0x22 shift"}) {
        EngineRig rig;
        rig.Run(std::string("type ty \n") + keys + "\nkey BACK\ntype  ");
        EXPECT_EQ(WordLookups(rig), Lines{"lookup TY miss"}) << keys;
    }
    // CTRL with a delimiter is a combination, never the word; AltGr's key
    // name comes first, then the typed character's (as stored by earlier
    // versions), then the word. A command key that starts a macro is the
    // macro's, and forgets nothing.
    const struct { const char* script; Lines lookups; } combinations[] = {
        {"type sig\ndown 0xBE '.' ctrl\ntype  ", {"lookup CTRL+. miss"}},
        {"type ca\ndown 0x45 U+20AC ctrl alt\ntype  ",
         {"lookup CTRL+ALT+E miss", "lookup CTRL+ALT+\u20ac miss", "lookup CA\u20ac miss"}},
        {"type ty \nkey ctrl+M\nkey BACK\ntype  ", {"lookup TY miss", "lookup CTRL+M hit", "lookup TY miss"}},
    };
    for (const auto& c : combinations) {
        EngineRig rig;
        rig.Add(u"CTRL+M", u"{TYPE x}", nullptr, ShortcutKind::Macro);
        rig.Run(c.script);
        EXPECT_EQ(rig.Lines("lookup"), c.lookups) << c.script;
    }
}

TEST(Matcher, TheExpansionIsAskedForWithHowTheKeywordWasTypedAndWhere) {
    const struct { const char* script; const char16_t* windowClass; const char* want; } cases[] = {
        // Casing flags: any upper-case letter counts, not only A to Z.
        {"type Sig ", u"Notepad", "firstcap=1 allcaps=0"},
        {"type SIG ", u"Notepad", "firstcap=1 allcaps=1"},
        {"type S1G ", u"Notepad", "firstcap=1 allcaps=1"},
        {"type sig ", u"Notepad", "firstcap=0 allcaps=0"},
        {"type \xc3\x89lan ", u"Notepad", "firstcap=1 allcaps=0"},
        {"type \xc3\x89L\xc3\x81N ", u"Notepad", "firstcap=1 allcaps=1"},
        // The target window's class decides the console and word processor rules.
        {"type sig.", u"OpusApp", "keyword=SIG kind=0 trailing=U+002E overwrite=0 console=0 wordlike=1"},
        {"type sig ", u"RCTRL_RENWND32", "console=0 wordlike=1"},
        {"type sig ", u"wordpadclass", "console=0 wordlike=1"},
        {"type sig ", u"consolewindowclass", "console=1 wordlike=0"},
        {"type sig ", u"Notepad", "console=0 wordlike=0"},
        // An overwriting key at its position.
        {"type sin\ndown 0x55 'u' pos=1\nup 0x55\ndown 0x20 ' ' pos=3", u"Notepad", "keyword=SUN kind=0 trailing=U+0020 overwrite=1"},
    };
    for (const auto& c : cases) {
        EngineRig rig;
        rig.SwitchOn({settings::ExpansionCasing});
        rig.windows.SetForeground(0x42, c.windowClass);
        for (auto key : {u"SIG", u"S1G", u"SUN", u"\u00c9LAN", u"\u00c9L\u00c1N"}) rig.Add(key, u"x");
        rig.Run(c.script);
        EXPECT_NE(Expanded(rig).find(c.want), std::string::npos) << c.script << ": " << Expanded(rig);
    }
    // Without the setting nothing is remembered.
    EngineRig plain;
    plain.Add(u"SIG", u"x");
    plain.Run("type SIG ");
    EXPECT_NE(Expanded(plain).find("firstcap=0 allcaps=0"), std::string::npos);

    // While the Auto Complete window has the focus, the previous target stays.
    EngineRig rig;
    rig.windows.SetForeground(0x42, u"OpusApp");
    rig.Run("type a");
    rig.autoComplete.window = 0x77;
    rig.windows.SetForeground(0x77, u"LAutoComplete");
    rig.Run("type b");
    EXPECT_EQ(rig.expander.State().foregroundWindow, WindowHandle(0x42));
    EXPECT_TRUE(rig.expander.State().isWordLike);
    // With expansion switched off the target still follows the typing, for
    // Auto Complete to insert into.
    rig.expander.SetShortcutsEnabled(false);
    rig.windows.SetForeground(0x50, u"ConsoleWindowClass");
    rig.Run("type c");
    EXPECT_EQ(rig.expander.State().foregroundWindow, WindowHandle(0x50));
    EXPECT_TRUE(rig.expander.State().isConsole);
}

TEST(Matcher, EventsReportTheirNotices) {
    // Each release of a key without a character is a break (3 10); a
    // character is 2 with its code; an expansion reports the output's result.
    EngineRig rig;
    rig.Add(u"TY", u"Thank you");
    rig.output.result = 12;
    rig.Run("down 0x54 't'\nup 0x54\ndown 0x59 'y'\ndown 0x20 ' '\nkey F5");
    EXPECT_EQ(rig.Lines("notice"),
              (Lines{"notice 2 84", "notice 3 10", "notice 2 89", "notice 3 12", "notice 3 10", "notice 3 10"}));
    // A failed expansion leaves the word state as a delivered one does.
    rig.Run("key BACK\ntype  ");
    EXPECT_EQ(rig.Lines("lookup").size(), 2u);
    // A clear by a command key says so.
    rig.Run("down 0x41 'a' ctrl");
    EXPECT_EQ(rig.log.lines.back(), "notice 3 10");
}

TEST(Matcher, LookupOrderFollowsTheSharedSettingsAtOnce) {
    const struct { bool enabled, replace, sharedOnly; const char* text; } cases[] = {
        {true, true, false, "\"shared\""}, {true, false, false, "\"local\""}, {false, true, false, "\"local\""},
        {false, false, true, ""}, {true, false, true, "\"shared\""},
    };
    for (const auto& c : cases) {
        EngineRig rig;
        rig.settings.WriteBool(settings::SharedEnabled, c.enabled);
        rig.settings.WriteBool(settings::SharedReplacesLocal, c.replace);
        if (!c.sharedOnly) rig.Add(u"SIG", u"local");
        rig.Add(u"SIG", u"shared", &rig.shared);
        rig.Run("type sig ");
        EXPECT_EQ(Expanded(rig).empty(), !*c.text);
        EXPECT_NE(Expanded(rig).find(c.text), std::string::npos) << Expanded(rig);
    }
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
    Lines texts;
    for (const auto& l : rig.Lines("output ExpandShortcut")) texts.push_back(l.substr(l.find("text=")));
    EXPECT_EQ(texts, (Lines{"text=\"local\"", "text=\"shared\"", "text=\"local\""}));
}

const std::string kOffSpace = "down 0x20 ' ' ctrl alt\nup 0x20 ctrl alt", kOffEnter = "down 0x0D U+000D ctrl alt\nup 0x0D ctrl alt";

TEST(Matcher, HotkeysSwitchOncePerPressAndSaySo) {
    const struct { const char16_t* combo; std::string press; Lines balloons, icons; } announced[] = {
        {nullptr, kOffSpace + "\nsleep 151\n" + kOffSpace,
         {"balloon \"Kestrix Shortcuts Disabled\" \"Kestrix shortcuts have been disabled. Press CTRL+ALT+SPACE to enable them again.\"",
          "balloon \"Kestrix shortcuts have been enabled.\" \"Kestrix shortcuts have been enabled. Press CTRL+ALT+SPACE to disable them.\""},
         {"icon 23", "icon 1"}},
        {nullptr, kOffEnter,
         {"balloon \"Kestrix Auto Complete Disabled\" \"Kestrix Auto Complete has been disabled. Press CTRL+ALT+ENTER to enable it again.\""},
         {}},
        // One combination for both hotkeys switches both.
        {u"CTRL+ALT+SPACE", kOffSpace + "\nsleep 200\n" + kOffSpace,
         {"balloon \"Kestrix Disabled\" \"Kestrix has been disabled. Press CTRL+ALT+SPACE to enable it again.\"",
          "balloon \"Kestrix Disabled\" \"Kestrix has been enabled. Press CTRL+ALT+SPACE to disable it.\""},
         {}},
    };
    for (const auto& c : announced) {
        EngineRig rig;
        if (c.combo) rig.settings.Write(settings::ToggleAutoCompleteCombo, c.combo);
        rig.SwitchOn({settings::ToggleExpansions, settings::ToggleAutoComplete});
        rig.Run(c.press);
        EXPECT_EQ(rig.Lines("balloon"), c.balloons) << c.press;
        EXPECT_EQ(rig.Lines("icon"), c.icons) << c.press;
    }
    // A combination typed differently in the settings still matches; with
    // the hotkey off it is an ordinary key.
    EngineRig custom, off;
    custom.settings.Write(settings::ToggleExpansionsCombo, u"ctrl+shift+enter");
    custom.SwitchOn({settings::ToggleExpansions});
    custom.Run("down 0x0D U+000D ctrl shift");
    EXPECT_FALSE(custom.expander.ShortcutsEnabled());
    off.Run(kOffSpace);
    EXPECT_TRUE(off.expander.ShortcutsEnabled());

    // Each press switches once: not its repeats while it is held, nor a
    // second press soon after the last switch. D and U: the hotkey's press
    // and release; held, the keyboard repeats the press every 33 ms after 250 ms.
    const std::string held = "D\nsleep 250\n" + [] { std::string r; for (int i = 0; i < 8; ++i) r += "D\nsleep 33\n"; return r; }() + "U";
    const struct { const char* what; std::string script; size_t switches; } presses[] = {
        {"two presses 100 ms apart", "D\nU\nsleep 100\nD\nU", 1},
        {"two presses 200 ms apart", "D\nsleep 50\nU\nsleep 150\nD\nsleep 50\nU", 2},
        {"held", held, 1},
        {"held, released and pressed again", held + "\nsleep 200\nD\nU", 2},
        // A space typed just before, whose release never came (the hooks
        // were paused while it expanded), does not make the hotkey look held.
        {"after a space", "down 0x20 ' '\nsleep 200\nD", 1},
    };
    for (const std::string& hotkey : {kOffSpace, kOffEnter}) {
        for (const auto& c : presses) {
            const std::string down = hotkey.substr(0, hotkey.find('\n')), up = hotkey.substr(hotkey.find('\n') + 1);
            std::string script;
            for (char ch : c.script) script += ch == 'D' ? down : ch == 'U' ? up : std::string(1, ch);
            EngineRig e;
            e.SwitchOn({settings::ToggleExpansions, settings::ToggleAutoComplete});
            e.Run(script);
            const bool on = hotkey == kOffSpace ? e.expander.ShortcutsEnabled() : e.expander.AutoCompleteEnabled();
            EXPECT_EQ(e.Lines("balloon").size(), c.switches) << hotkey << ", " << c.what;
            EXPECT_EQ(on, c.switches % 2 == 0) << hotkey << ", " << c.what;
        }
    }
}

TEST(Matcher, AutoCompleteHotkeyKeepsItsSettingAndNeedsADictionary) {
    // A fresh install: the engine starts with Auto Complete on, and so does
    // the setting that the status bar, the toolbar and the options show.
    EngineRig rig;
    EXPECT_TRUE(rig.expander.AutoCompleteEnabled());
    EXPECT_TRUE(rig.settings.ReadBool(settings::AutoCompleteEnabled));
    rig.SwitchOn({settings::ToggleAutoComplete});
    rig.Run(kOffEnter);
    EXPECT_EQ(rig.settings.ReadString(settings::kSettings, u"AutoCompleteEnabled", u"?"), u"0");
    EXPECT_EQ(rig.app.menuRefreshes, 1);
    EXPECT_EQ(rig.app.autoCompleteRefreshes, 1);
    // Without a learning dictionary Auto Complete simply stays on, unannounced.
    EngineRig paused;
    paused.autoComplete.learningAvailable = false;
    paused.SwitchOn({settings::ToggleAutoComplete});
    paused.expander.SetAutoCompleteEnabled(false);
    paused.Run(kOffEnter);
    EXPECT_TRUE(paused.expander.AutoCompleteEnabled());
    EXPECT_TRUE(paused.Lines("balloon").empty());
    EXPECT_EQ(paused.settings.ReadString(settings::kSettings, u"AutoCompleteEnabled", u"?"), u"1");
}

TEST(Matcher, DoubleSpaceInsertsOnePeriod) {
    const struct { const char* script; size_t fixes; } cases[] = {
        {"type word    ", 1},  // a third and fourth space send nothing more
        {"type word.  ", 0},
        {"type sig  ", 0},     // right after an expansion
        {"type one  two  ", 2},
    };
    for (const auto& c : cases) {
        EngineRig rig;
        rig.SwitchOn({settings::DoubleSpace});
        rig.Add(u"SIG", u"x");
        rig.Run(c.script);
        EXPECT_EQ(rig.Lines("output SendDoubleSpaceFix").size(), c.fixes) << c.script;
    }
}

TEST(Matcher, OurOwnPasteKeyIsDroppedBeforeAnythingSeesIt) {
    EngineRig rig;
    rig.expander.State().skipNextV = true;
    rig.Run("down 0x56 U+0016 ctrl\nup 0x56 ctrl");
    EXPECT_EQ(rig.autoComplete.fed, 1) << "only the release is seen";
    EXPECT_FALSE(rig.expander.State().skipNextV);
}

TEST(Matcher, KeyCombinationsStartMacrosAndEscStopsThem) {
    EngineRig rig;
    rig.Add(u"CTRL+ALT+M", u"{TYPE hello}", nullptr, ShortcutKind::Macro);
    rig.Add(u"SHIFT+Q", u"script", nullptr, ShortcutKind::Macro);
    rig.Add(u"CTRL+SHIFT+Q", u"script", nullptr, ShortcutKind::Macro);
    rig.Add(u"SIG", u"x");
    rig.Run("down 0x4D ctrl alt");  // no AltGr character: the module reports none
    EXPECT_EQ(rig.Lines("output"), Lines{"output StartMacro \"{TYPE hello}\""});
    EXPECT_EQ(rig.Lines("notice"), Lines{"notice 2 11"});
    // SHIFT+Q typed a Q before we saw it: one Backspace tap takes it back
    // (SendBackspaces counts one less than its taps); a second would erase
    // the character before it. With CTRL the combination typed nothing.
    rig.log.Clear();
    rig.macros.firstIsKeyboard = false;
    rig.Run("type Q\nkey ctrl+shift+Q");
    EXPECT_EQ(rig.Lines("output"), (Lines{"output SendBackspaces 0", "output StartMacro \"script\"",
                                          "output StartMacro \"script\""}));
    EXPECT_EQ(rig.Lines("notice").front(), "notice 2 81") << "a macro that does not type first leaves the value";
    // A capital that is no combination is just typed: nothing erased.
    rig.log.Clear();
    rig.Run("type Sig ");
    EXPECT_EQ(rig.Lines("lookup"), (Lines{"lookup SHIFT+S miss", "lookup SIG hit"}));
    EXPECT_TRUE(rig.Lines("output SendBackspaces").empty());
    // Without a macro playing, ESC is an ordinary key.
    rig.Run("down 0x1B U+001B");
    EXPECT_EQ(rig.macros.stops, 0);

    // While a macro plays, typing is not matched at all; ESC stops it, on
    // its press only, and even with expansion switched off.
    EngineRig busy;
    busy.Add(u"SIG", u"x");
    busy.macros.running = true;
    busy.Run("type sig \ndown 0x1B U+001B\nup 0x1B U+001B");
    EXPECT_TRUE(busy.log.lines.empty());
    EXPECT_GT(busy.autoComplete.fed, 0);
    EXPECT_EQ(busy.macros.stops, 1);
    busy.expander.SetShortcutsEnabled(false);
    busy.Run("down 0x1B U+001B");
    EXPECT_EQ(busy.macros.stops, 2);
}

// The hook link hands the matcher every type-30 record (a mouse click, a
// change of the foreground window, records lost) and the end of the hooks
// as ResetTypedBuffer.
TEST(Matcher, DiscardRecordsForgetTheWordBeingTypedButNotTheLastOne) {
    EngineRig rig;
    ExpanderSink sink(rig.expander, rig.app);
    rig.Add(u"SIG", u"x");
    rig.Run("type si");
    rig.log.Clear();
    sink.ResetTypedBuffer();
    EXPECT_EQ(rig.log.lines, Lines{"notice 3 10"});
    rig.Run("type g ");
    EXPECT_EQ(rig.Lines("lookup"), Lines{"lookup G miss"}) << "SI was typed in the other window";
    // A finished word stays: back in its window, a Backspace over its
    // delimiter still brings it back.
    rig.Run("type ty  ");
    sink.ResetTypedBuffer();
    rig.Run("key BACK\nkey BACK\ntype  ");
    EXPECT_EQ(rig.Lines("lookup"), (Lines{"lookup G miss", "lookup TY miss", "lookup TY miss"}));
}

// The shared file is written by others: its SHIFT-only combinations would
// fire on ordinary capitals, its command lines would start programs as
// this user unless only an administrator can change it, and its rich text
// may carry objects. Text kept under a combination's name is no script.
TEST(Matcher, SharedEntriesCannotTakeOverTheUser) {
    EngineRig rig;
    rig.SwitchOn({settings::SharedEnabled, settings::SharedReplacesLocal});
    rig.Add(u"SHIFT+E", u"command \"x\"", &rig.shared, ShortcutKind::Macro);
    rig.Add(u"CTRL+ALT+E", u"kbrd_input \"a\"\ncommand \"x\"", &rig.shared, ShortcutKind::Macro);
    rig.Add(u"CTRL+ALT+T", u"command \"x\"", nullptr, ShortcutKind::SimpleText);
    rig.macros.hasProgram = true;
    rig.Run("key ctrl+alt+E\nkey ctrl+alt+E\nkey ctrl+alt+T");
    const std::string refused = "output StartMacro \"kbrd_input \\\"a\\\"\\ncommand \\\"x\\\"\" without programs";
    EXPECT_EQ(rig.Lines("output StartMacro"), (Lines{refused, refused}));
    EXPECT_EQ(rig.Lines("balloon").size(), 1u) << "told the first time only";
    // The user's own SHIFT combination plays, even where the shared store
    // comes first; a shared file only administrators can change starts programs.
    rig.Add(u"SHIFT+E", u"mine", nullptr, ShortcutKind::Macro);
    rig.shared->SetStartsPrograms(true);
    rig.log.Clear();
    rig.Run("type E\nkey ctrl+alt+E");
    EXPECT_EQ(rig.Lines("output StartMacro"), (Lines{"output StartMacro \"mine\"",
                                          "output StartMacro \"kbrd_input \\\"a\\\"\\ncommand \\\"x\\\"\""}));

    const std::string rtf = "{\\rtf1 a{\\object{\\*\\objdata 01}{\\result r}}}";
    rig.shared->Insert(u"SIG", ShortcutEntry::Make(ShortcutKind::RichText, u"ar", rtf));
    rig.local->Insert(u"MINE", ShortcutEntry::Make(ShortcutKind::RichText, u"ar", rtf));
    rig.Run("type  sig ");
    ASSERT_TRUE(rig.output.last);
    EXPECT_EQ(rig.output.last->richText, "{\\rtf1 a{{r}}}");
    EntryRef stored;
    ASSERT_TRUE(rig.shared->Find(u"SIG", stored));
    EXPECT_EQ(stored->richText, rtf) << "the shared file keeps what its author saved";
    rig.Run("type mine ");
    EXPECT_EQ(rig.output.last->richText, rtf) << "the user's own rich text is the user's";
}

TEST(KeyClassification, KeysWithoutCharacters) {
    const struct { uint32_t vk; uint8_t mods; char16_t ch; const char* want; } cases[] = {
        {0x25, 0, 0, "1:10"},                    // arrow
        {0xA0, 0, 0, "1:10"},                    // left SHIFT code
        {0x10, 0, 0, "0:0"},                     // SHIFT
        {0xAF, 0, 0, "0:0"},                     // volume up
        {0x12, 0, 0, "1:10"},                    // ALT alone
        {0x12, mod::kCtrl, 0, "0:0"},
        {0x12, mod::kAltFlag, 0, "0:0"},
        {0x41, 0, 0, "1:10"},                    // a letter that types nothing
        {0x41, mod::kCtrl, 0, "0:0"},
        {0x41, mod::kCtrl, u'a', "0:0"},         // CTRL+A is a command
        {0x20, mod::kAlt, u' ', "1:10"},
        {0x08, 0, 8, "0:8"},
    };
    for (const auto& c : cases) {
        KeyEvent e;
        e.vk = c.vk;
        e.ch = c.ch;
        e.modifiers = c.mods;
        const Classified k = ClassifyKey(e);
        EXPECT_EQ(std::to_string(int(k.cls)) + ":" + std::to_string(k.value), c.want) << c.vk << " " << int(c.mods);
    }
}

}  // namespace
}  // namespace kx::test
