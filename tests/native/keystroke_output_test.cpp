#include <gtest/gtest.h>

#include "engine/matcher/expander.h"
#include "engine/output/keystroke_output.h"
#include "engine/output/png_encoder.h"
#include "platform/fake/fake_clock.h"
#include "platform/fake/fake_windows.h"
#include "platform/fake/recording_clipboard.h"
#include "platform/fake/recording_key_injector.h"

namespace kx {
namespace {

using Lines = std::vector<std::string>;

constexpr WindowHandle kAppWindow = 0x2000;
constexpr WindowHandle kTarget = 0x1000;

const std::string kBackTap = "output SendInput [0x08 down, 0x08 up]";
const std::string kCtrlV = "output SendInput [0x11 down, 0x56 down, 0x56 up, 0x11 up]";

class FakeHooks final : public HookControl {
public:
    bool ModuleLoaded() override { return loaded; }
    void EnableHook(int index, bool enable) override { calls.emplace_back(index, enable); }
    bool loaded = true;
    std::vector<std::pair<int, bool>> calls;
};

// The output over recording fakes; both fakes write into one log so the
// order of clipboard work and keystrokes can be checked together.
struct OutputRig {
    Lines log;
    RecordingKeyInjector keys{[this](const std::string& l) { log.push_back(l); }};
    RecordingClipboard clip{[this](const std::string& l) { log.push_back(l); }};
    FakeClock clock;
    FakeWindows windows;
    FakeHooks hooks;
    KeystrokeOutput out{OutputPorts{keys, clip, clock, windows, &hooks, kAppWindow}};
    EngineState state;

    OutputRig() { windows.SetForeground(kTarget, u"Edit"); }

    int Expand(std::u16string_view keyword, EntryRef entry, char16_t trailing = u' ', bool lastOverwrite = false) {
        state.typed = keyword;
        ExpandRequest r;
        r.target = kTarget;
        r.lastOverwrite = lastOverwrite;
        r.isConsole = state.isConsole;
        r.entry = std::move(entry);
        r.trailing = trailing;
        return out.ExpandShortcut(state, r);
    }
    Lines Keys() const { return keys.Lines(); }
    Lines With(const std::string& prefix) const {
        Lines l;
        for (const auto& s : log)
            if (s.rfind(prefix, 0) == 0) l.push_back(s);
        return l;
    }
    std::string Data(std::u16string_view formatName) const {
        auto it = clip.Contents().find(clip.FormatOf(formatName));
        return it == clip.Contents().end() ? "<none>" : std::string(it->second.begin(), it->second.end());
    }
};

EntryRef Text(std::u16string s) { return ShortcutEntry::Make(ShortcutKind::SimpleText, std::move(s)); }

Lines Repeat(const std::string& line, int n) { return Lines(size_t(n), line); }
Lines Concat(std::initializer_list<Lines> parts) {
    Lines all;
    for (const auto& p : parts) all.insert(all.end(), p.begin(), p.end());
    return all;
}

TEST(KeystrokeOutput, PlainEditErasesKeywordAndDelimiterThenPastes) {
    OutputRig rig;
    EXPECT_EQ(rig.Expand(u"ADDR", Text(u"12 Main Street")), 11);
    EXPECT_EQ(rig.Keys(), Concat({Repeat(kBackTap, 5), {kCtrlV}}));
    EXPECT_EQ(rig.clip.Text(), u"12 Main Street ");
    EXPECT_TRUE(rig.state.skipNextV);
    // One opening under the main window empties the clipboard and places
    // the formats that keep the expansion out of clipboard history beside
    // the text, all before the first key goes out.
    EXPECT_EQ(rig.log, Concat({{"clipboard Open 0x2000", "clipboard RegisterFormat \"Rich Text Format\" 0xC000",
                                "clipboard RegisterFormat \"HTML Format\" 0xC001", "clipboard Empty",
                                "clipboard RegisterFormat \"ExcludeClipboardContentFromMonitorProcessing\" 0xC002",
                                "clipboard SetData \"ExcludeClipboardContentFromMonitorProcessing\" 4 bytes",
                                "clipboard RegisterFormat \"CanIncludeInClipboardHistory\" 0xC003",
                                "clipboard SetData \"CanIncludeInClipboardHistory\" 4 bytes",
                                "clipboard RegisterFormat \"CanUploadToCloudClipboard\" 0xC004",
                                "clipboard SetData \"CanUploadToCloudClipboard\" 4 bytes",
                                "clipboard SetData CF_UNICODETEXT 32 bytes \"12 Main Street \"", "clipboard Close"},
                               Repeat(kBackTap, 5),
                               {kCtrlV}}));
    // The text block is the text, the delimiter and a zero unit.
    const auto& block = rig.clip.Contents().at(kCfUnicodeText);
    EXPECT_EQ(block.size(), 14u * 2 + 4);
    EXPECT_EQ(block[30], 0);
    EXPECT_EQ(block[31], 0);
    // Each of them a DWORD 0: "not in history", "not to the cloud".
    for (unsigned f : {0xC002u, 0xC003u, 0xC004u}) EXPECT_EQ(rig.clip.Contents().at(f), std::vector<uint8_t>(4, 0));
    // Hooks 1 and 0 paused around the whole expansion, hook 2 untouched.
    EXPECT_EQ(rig.hooks.calls, (std::vector<std::pair<int, bool>>{{1, false}, {0, false}, {1, true}, {0, true}}));
}

TEST(KeystrokeOutput, OverwrittenDelimiterErasesTheKeywordOnly) {
    OutputRig rig;
    EXPECT_EQ(rig.Expand(u"ADDR", Text(u"x"), u' ', /*lastOverwrite=*/true), 11);
    EXPECT_EQ(rig.Keys(), Concat({Repeat(kBackTap, 4), {kCtrlV}}));
}

TEST(KeystrokeOutput, WordProcessorsSelectTheKeywordAndDeleteTheHelperSpaces) {
    OutputRig rig;
    rig.state.isWordLike = true;
    EXPECT_EQ(rig.Expand(u"ADDR", Text(u"x")), 11);
    EXPECT_EQ(rig.Keys(),
              Concat({Repeat("output SendInput [0x20 down, 0x20 up]", 2),
                      Repeat("output SendInput [0x25 down, 0x25 up]", 2),
                      {"output SendInput [0x10 down, 0x25 down ext, 0x25 up ext, 0x25 down ext, 0x25 up ext, "
                       "0x25 down ext, 0x25 up ext, 0x25 down ext, 0x25 up ext, 0x25 down ext, 0x25 up ext, 0x10 up]",
                       kCtrlV},
                      Repeat("output SendInput [0x2E down, 0x2E up]", 2)}));
}

TEST(KeystrokeOutput, WordProcessorPasteFailureLeavesTheSpaces) {
    OutputRig rig;
    rig.state.isWordLike = true;
    rig.keys.FailSendInput(6, 0);  // the Ctrl+V
    EXPECT_EQ(rig.Expand(u"ADDR", Text(u"x")), 12);
    EXPECT_EQ(rig.keys.SendInputCalls().size(), 6u);
}

TEST(KeystrokeOutput, ConsoleGetsItsPasteCommandAfterASecond) {
    OutputRig rig;
    rig.state.isConsole = true;
    EXPECT_EQ(rig.Expand(u"ADDR", Text(u"dir /w")), 11);
    EXPECT_EQ(rig.Keys(), Concat({Repeat(kBackTap, 5), {"output PostMessage 0x1000 WM_COMMAND 0xFFF1 0"}}));
    EXPECT_EQ(rig.clock.TickMs(), 100000u + 1000u);
    EXPECT_FALSE(rig.state.skipNextV);  // no Ctrl+V went out

    // Paste only: no erase; a refused post fails the expansion.
    OutputRig paste;
    paste.state.isConsole = true;
    paste.keys.FailPostCommand(true);
    ExpandRequest r;
    r.target = kTarget;
    r.isConsole = true;
    r.entry = Text(u"phrase");
    r.pasteOnly = true;
    EXPECT_EQ(paste.out.ExpandShortcut(paste.state, r), 12);
    EXPECT_EQ(paste.Keys(), Lines{"output PostMessage 0x1000 WM_COMMAND 0xFFF1 0 failed"});
}

TEST(KeystrokeOutput, PictureGoesAsRichTextBesideAPlaceholderText) {
    OutputRig rig;
    auto pic = ShortcutEntry::Make(ShortcutKind::Picture, u"", "{\\rtf1{\\pict\\wmetafile8 0102}}");
    pic->htmlClip = "Version:1.0 html";
    rig.state.firstCapital = rig.state.allCapitals = true;
    EXPECT_EQ(rig.Expand(u"LOGO", pic, u'.'), 11);
    EXPECT_EQ(rig.Data(u"Rich Text Format"), std::string("{\\rtf1{\\pict\\wmetafile8 0102}}") + std::string(4, '\0'));
    EXPECT_EQ(rig.Data(u"HTML Format"), "<none>");
    // The casing rule is for simple text: the placeholder keeps its case.
    EXPECT_EQ(rig.clip.Text(), u"[This application does not support images].");
    EXPECT_FALSE(rig.state.firstCapital);
    EXPECT_FALSE(rig.state.allCapitals);
    EXPECT_EQ(rig.Keys(), Concat({Repeat(kBackTap, 5), {kCtrlV}}));
}

TEST(KeystrokeOutput, RichTextGoesAsRtfBesideItsPlainText) {
    OutputRig rig;
    rig.state.firstCapital = rig.state.allCapitals = true;
    auto rich = ShortcutEntry::Make(ShortcutKind::RichText, u"Bold text", "{\\rtf1 \\b Bold\\b0  text}");
    rich->htmlClip = "Version:1.0 <b>Bold</b> text";
    EXPECT_EQ(rig.Expand(u"BT", rich, u','), 11);
    EXPECT_EQ(rig.Data(u"Rich Text Format"), std::string("{\\rtf1 \\b Bold\\b0  text}") + std::string(4, '\0'));
    EXPECT_EQ(rig.Data(u"HTML Format"), "<none>");
    // The rich form carries no delimiter; the plain text does, uncased.
    EXPECT_EQ(rig.clip.Text(), u"Bold text,");
    EXPECT_EQ(rig.Keys(), Concat({Repeat(kBackTap, 3), {kCtrlV}}));
}

TEST(KeystrokeOutput, BrowsersGetTheHtmlFormInstead) {
    OutputRig rig;
    rig.windows.SetForeground(kTarget, u"MozillaWindowClass");
    auto rich = ShortcutEntry::Make(ShortcutKind::RichText, u"Bold", "{\\rtf1 \\b Bold}");
    rich->htmlClip = "Version:1.0 <b>Bold</b>";
    EXPECT_EQ(rig.Expand(u"B", rich), 11);
    EXPECT_EQ(rig.Data(u"HTML Format"), "Version:1.0 <b>Bold</b>" + std::string(4, '\0'));
    EXPECT_EQ(rig.Data(u"Rich Text Format"), "<none>");
    EXPECT_EQ(rig.clip.Text(), u"Bold ");

    // An empty HTML form still goes on the clipboard, as four zero bytes.
    OutputRig empty;
    empty.windows.SetForeground(kTarget, u"Chrome_WidgetWin_1");
    EXPECT_EQ(empty.Expand(u"B", ShortcutEntry::Make(ShortcutKind::RichText, u"", "{\\rtf1 x}")), 11);
    EXPECT_EQ(empty.Data(u"HTML Format"), std::string(4, '\0'));
    EXPECT_EQ(empty.clip.Text(), u"");
}

// A picture's clip for a browser is rendered when it is expanded, from the
// picture itself: the stores hold none.
TEST(KeystrokeOutput, APicturesBrowserClipIsRenderedAsItIsExpanded) {
    struct Renderer final : PngEncoder {
        std::vector<std::vector<uint8_t>> seen;
        bool RenderPng(const std::vector<uint8_t>& picture, std::string& png) override {
            seen.push_back(picture);
            png = "PNG";
            return true;
        }
    } renderer;
    const std::string rtf =
        "{\\rtf1{\\*\\KestrixFileName{\\logo}}{\\pict\\wmetafile8\\picwgoal300\\pichgoal150 \r\n0a0b\r\n}}";
    auto pic = ShortcutEntry::Make(ShortcutKind::Picture, u"", rtf);
    for (bool withRenderer : {true, false}) {
        OutputRig rig;
        rig.windows.SetForeground(kTarget, u"Chrome_WidgetWin_1");
        KeystrokeOutput out(OutputPorts{rig.keys, rig.clip, rig.clock, rig.windows, &rig.hooks, kAppWindow, nullptr,
                                        nullptr, {}, withRenderer ? &renderer : nullptr});
        rig.state.typed = u"LOGO";
        ExpandRequest r;
        r.target = kTarget;
        r.entry = pic;
        r.trailing = u' ';
        EXPECT_EQ(out.ExpandShortcut(rig.state, r), 11);
        const std::string html = rig.Data(u"HTML Format");
        EXPECT_EQ(html.find("<img width=20 height=10 src=\"data:image/png;base64,UE5H\"") != std::string::npos,
                  withRenderer)
            << html;
        EXPECT_EQ(rig.Data(u"Rich Text Format"), "<none>");
    }
    ASSERT_EQ(renderer.seen.size(), 1u);
    EXPECT_EQ(renderer.seen[0], (std::vector<uint8_t>{0x0a, 0x0b}));
    EXPECT_EQ(pic->htmlClip, "");  // nothing kept in the shared entry
}

TEST(KeystrokeOutput, UnregisteredRichFormatFailsOnlyRichShortcuts) {
    for (auto name : {u"Rich Text Format", u"HTML Format"}) {
        OutputRig rig;
        rig.clip.RefuseName(name);
        EXPECT_EQ(rig.Expand(u"B", ShortcutEntry::Make(ShortcutKind::RichText, u"b", "{\\rtf1 b}")), 12);
        EXPECT_TRUE(rig.Keys().empty());  // the keyword stays on screen

        OutputRig text;
        text.clip.RefuseName(name);
        EXPECT_EQ(text.Expand(u"B", Text(u"b")), 11);
    }
}

TEST(KeystrokeOutput, HeldShiftIsReleasedBeforeTheClipboardIsFilled) {
    OutputRig rig;
    rig.keys.HoldKey(vk::kShift);
    EXPECT_EQ(rig.Expand(u"ADDR", Text(u"x"), u'!'), 11);
    const Lines released = {"output keybd_event 0xA0 s2A up ext", "output keybd_event 0xA1 s36 up ext",
                            "output keybd_event 0x10 s2A up"};
    EXPECT_EQ(rig.With("output keybd_event"), released);
    // Once the clipboard holds the expansion, before the first key goes out.
    auto at = std::find(rig.log.begin(), rig.log.end(), released[0]) - rig.log.begin();
    ASSERT_GE(at, 1);
    EXPECT_EQ(rig.log[size_t(at) - 1], "clipboard Close");
    EXPECT_EQ(rig.log[size_t(at) + 3], kBackTap);
    ASSERT_EQ(rig.keys.Calls()[0].kind, InjectedCall::Kind::KeybdEvent);
    EXPECT_EQ(rig.keys.Calls()[0].flags, 0x0003u);
    EXPECT_EQ(rig.keys.Calls()[2].flags, 0x0002u);

    OutputRig up;
    up.Expand(u"ADDR", Text(u"x"));
    EXPECT_TRUE(up.With("output keybd_event").empty());
}

TEST(KeystrokeOutput, CasingFollowsTheTypedKeyword) {
    struct Case { bool first, all; const char16_t* text; char16_t trailing; const char16_t* want; };
    const Case cases[] = {
        {true, true, u"straße café", u'x', u"STRAßE CAFÉX"},  // the delimiter too
        {true, false, u"émile zola", u' ', u"Émile zola "},
        {false, false, u"émile zola", u' ', u"émile zola "},
        {false, true, u"щи и каша", u';', u"ЩИ И КАША;"},
    };
    for (const Case& c : cases) {
        OutputRig rig;
        rig.state.firstCapital = c.first;
        rig.state.allCapitals = c.all;
        EXPECT_EQ(rig.Expand(u"ADDR", Text(c.text), c.trailing), 11);
        EXPECT_EQ(rig.clip.Text(), c.want);
        // Simple text keeps the flags until the next word begins.
        EXPECT_EQ(rig.state.allCapitals, c.all);
    }
}

TEST(KeystrokeOutput, EnterAsDelimiterPastesALineBreak) {
    OutputRig rig;
    rig.state.allCapitals = true;
    EXPECT_EQ(rig.Expand(u"ADDR", Text(u"12 Main Street"), u'\r'), 11);
    EXPECT_EQ(rig.clip.Text(), u"12 MAIN STREET\r\n");
    // The Enter key inserted one line break, which one Backspace removes.
    EXPECT_EQ(rig.Keys(), Concat({Repeat(kBackTap, 5), {kCtrlV}}));
}

TEST(KeystrokeOutput, ClipboardFailuresLeaveTheKeywordOnScreen) {
    struct Case {
        const char* what;
        std::function<void(RecordingClipboard&)> arm;
        size_t opens;
        bool textStays = false;
    };
    const Case cases[] = {
        // The first opening is tried every 2 ms for 125 ms.
        {"first open", [](RecordingClipboard& c) { c.FailOpen(1, 1000); }, 64},
        {"empty", [](RecordingClipboard& c) { c.FailEmpty(true); }, 1},
        {"close", [](RecordingClipboard& c) { c.FailClose(1, 1); }, 1, true},
        {"set data", [](RecordingClipboard& c) { c.FailSetData(kCfUnicodeText); }, 1},
        // Without the history exclusion the text does not go at all.
        {"privacy name", [](RecordingClipboard& c) { c.RefuseName(u"CanUploadToCloudClipboard"); }, 1},
        {"privacy data", [](RecordingClipboard& c) { c.FailSetData(0xC002); }, 1},
    };
    for (const Case& c : cases) {
        OutputRig rig;
        c.arm(rig.clip);
        EXPECT_EQ(rig.Expand(u"ADDR", Text(u"x")), 12) << c.what;
        EXPECT_TRUE(rig.keys.SendInputCalls().empty()) << c.what;
        EXPECT_FALSE(rig.clip.IsOpen()) << c.what;
        EXPECT_EQ(rig.With("clipboard Open").size(), c.opens) << c.what;
        EXPECT_EQ(rig.hooks.calls.size(), 4u) << c.what;
        EXPECT_FALSE(rig.state.skipNextV) << c.what;
        // Only a failed close leaves the text, with what keeps it out of history.
        EXPECT_EQ(rig.clip.Text(), c.textStays ? u"x " : u"") << c.what;
        if (c.textStays) EXPECT_EQ(rig.clip.Contents().count(0xC004), 1u) << c.what;
    }
}

TEST(KeystrokeOutput, BusyClipboardIsTriedAgainEveryTwoMs) {
    OutputRig rig;
    rig.clip.FailOpen(1, 10);
    EXPECT_EQ(rig.Expand(u"ADDR", Text(u"x")), 11);
    EXPECT_EQ(rig.clock.TickMs(), 100000u + 10 * 2);
    EXPECT_EQ(rig.clip.Text(), u"x ");
}

TEST(KeystrokeOutput, ShortSendInputStopsTheExpansion) {
    OutputRig rig;
    rig.keys.FailSendInput(3, 1);  // the third Backspace tap half inserted
    EXPECT_EQ(rig.Expand(u"ADDR", Text(u"x")), 12);
    EXPECT_EQ(rig.keys.SendInputCalls().size(), 3u);
    EXPECT_FALSE(rig.state.skipNextV);
    EXPECT_EQ(rig.hooks.calls.size(), 4u);
}

TEST(KeystrokeOutput, SkipNextVIsSetBeforeTheCtrlVGoesOut) {
    OutputRig rig;
    std::vector<bool> seen;
    rig.keys.onSendInput = [&](std::span<const KeyRecord> r) { seen.push_back(rig.state.skipNextV); };
    rig.Expand(u"AB", Text(u"x"));
    EXPECT_EQ(seen, (std::vector<bool>{false, false, false, true}));

    // Keys the hook module never reports cannot clear the flag themselves:
    // left set, it would swallow the user's next real V.
    OutputRig marked;
    marked.keys.ownKeysReported = false;
    seen.clear();
    marked.keys.onSendInput = [&](std::span<const KeyRecord> r) { seen.push_back(marked.state.skipNextV); };
    marked.Expand(u"AB", Text(u"x"));
    EXPECT_EQ(seen.back(), true);
    EXPECT_FALSE(marked.state.skipNextV);
}

TEST(KeystrokeOutput, WithoutAHookModuleNothingIsPaused) {
    OutputRig rig;
    rig.hooks.loaded = false;
    EXPECT_EQ(rig.Expand(u"AB", Text(u"x")), 11);
    EXPECT_TRUE(rig.hooks.calls.empty());

    RecordingKeyInjector keys;
    RecordingClipboard clip;
    FakeClock clock;
    FakeWindows windows;
    KeystrokeOutput out(OutputPorts{keys, clip, clock, windows});
    EngineState state;
    state.typed = u"AB";
    ExpandRequest r;
    r.entry = Text(u"x");
    EXPECT_EQ(out.ExpandShortcut(state, r), 11);
}

TEST(KeystrokeOutput, DoubleSpaceFixAndBackspaceTaps) {
    OutputRig rig;
    ASSERT_TRUE(rig.out.SendDoubleSpaceFix());
    ASSERT_EQ(rig.keys.SendInputCalls().size(), 1u);
    const uint32_t t = rig.clock.TickMs();
    const std::vector<KeyRecord> want = {{0x08, 0, 0, t}, {0x08, 0, 2, t}, {0x08, 0, 0, t}, {0x08, 0, 2, t},
                                         {0xBE, 0, 0, t}, {0xBE, 0, 2, t}, {0x20, 0, 0, t}, {0x20, 0, 2, t}};
    EXPECT_EQ(rig.keys.SendInputCalls()[0], want);
    // The count is one less than the taps: 0 taps once, and 1 (what a SHIFT
    // combination sends to take back its character) twice.
    ASSERT_TRUE(rig.out.SendBackspaces(0));
    EXPECT_EQ(rig.keys.SendInputCalls().size(), 2u);
    ASSERT_TRUE(rig.out.SendBackspaces(1));
    ASSERT_EQ(rig.keys.SendInputCalls().size(), 4u);
    const std::vector<KeyRecord> tap = {{0x08, 0, 0, t}, {0x08, 0, 2, t}};
    EXPECT_EQ(rig.keys.SendInputCalls()[2], tap);
    EXPECT_EQ(rig.keys.SendInputCalls()[3], tap);
}

TEST(KeystrokeOutput, InsertPhraseSelectsThePartWordAndPastesOverIt) {
    OutputRig rig;
    rig.state.foregroundWindow = 0x3000;
    rig.state.typed = u"TEL";
    EXPECT_EQ(rig.out.InsertPhrase(rig.state, Text(u"telephone"), 3), 11);
    EXPECT_EQ(rig.Keys(), (Lines{"output SetForegroundWindow 0x3000",
                                 "output SendInput [0x10 down, 0x25 down ext, 0x25 up ext, 0x25 down ext, 0x25 up ext, "
                                 "0x25 down ext, 0x25 up ext, 0x10 up]",
                                 kCtrlV}));
    // The selection is made while the clipboard is held, before it is emptied.
    EXPECT_EQ(rig.log[2].rfind("output SendInput [0x10 down", 0), 0u);
    EXPECT_EQ(rig.log[3], "clipboard RegisterFormat \"Rich Text Format\" 0xC000");
    EXPECT_EQ(rig.clip.Text(), u"telephone");
    EXPECT_TRUE(rig.state.skipNextV);

    // A failed selection closes the clipboard and erases nothing further.
    OutputRig fail;
    fail.keys.FailSendInput(1, 0);
    EXPECT_EQ(fail.out.InsertPhrase(fail.state, Text(u"telephone"), 3), 12);
    EXPECT_FALSE(fail.clip.IsOpen());
    EXPECT_EQ(fail.keys.SendInputCalls().size(), 1u);

    // In a console the paste command goes to the window typed in.
    OutputRig console;
    console.state.foregroundWindow = 0x3000;
    console.state.isConsole = true;
    EXPECT_EQ(console.out.InsertPhrase(console.state, Text(u"telephone"), 3), 11);
    EXPECT_EQ(console.Keys().back(), "output PostMessage 0x3000 WM_COMMAND 0xFFF1 0");
}

// The records of text typed as characters, with the clock's time.
std::vector<KeyRecord> Typed(std::initializer_list<char16_t> units, uint32_t t) {
    std::vector<KeyRecord> r;
    for (char16_t c : units) {
        if (c == u'\r') {
            r.push_back({0x0D, 0, 0, t});
            r.push_back({0x0D, 0, 2, t});
        } else {
            r.push_back({0, uint16_t(c), 4, t});
            r.push_back({0, uint16_t(c), 6, t});
        }
    }
    return r;
}

TEST(KeystrokeOutput, TypeRuleTypesTheExpansionAndLeavesTheClipboardAlone) {
    struct Case {
        const char* name;
        EntryRef entry;
        char16_t trailing;
        Casing casing;
        std::initializer_list<char16_t> typed;
    };
    const Case cases[] = {
        // A surrogate pair is two units, each pressed and released; CR LF
        // and a lone LF are each one Enter.
        {"pair and breaks", Text(u"a\U0001F600\r\nb\nc"), u' ', {},
         {u'a', 0xD83D, 0xDE00, u'\r', u'b', u'\r', u'c', u' '}},
        {"Enter delimiter", Text(u"ok"), u'\r', {}, {u'o', u'k', u'\r'}},
        {"casing", Text(u"best"), u'.', {true, false}, {u'B', u'e', u's', u't', u'.'}},
        {"rich as plain", ShortcutEntry::Make(ShortcutKind::RichText, u"bold", "{\\rtf1 \\b bold}"), u' ', {true, true},
         {u'b', u'o', u'l', u'd', u' '}},
    };
    for (const Case& c : cases) {
        OutputRig rig;
        rig.state.programRule = {ProgramRuleKind::Type, 0};
        rig.state.firstCapital = c.casing.firstCapital;
        rig.state.allCapitals = c.casing.allCapitals;
        EXPECT_EQ(rig.Expand(u"SIG", c.entry, c.trailing), 11) << c.name;
        const auto calls = rig.keys.SendInputCalls();
        ASSERT_EQ(calls.size(), 5u) << c.name;  // four Backspace taps, then one call
        EXPECT_EQ(calls.back(), Typed(c.typed, rig.clock.TickMs())) << c.name;
        EXPECT_TRUE(rig.With("clipboard").empty()) << c.name;
        EXPECT_FALSE(rig.state.skipNextV) << c.name;
    }

    // With a delay, one call per character and the pause after each.
    OutputRig slow;
    slow.state.programRule = {ProgramRuleKind::Type, 30};
    const uint32_t start = slow.clock.TickMs();
    EXPECT_EQ(slow.Expand(u"SIG", Text(u"a\U0001F600"), u' '), 11);
    const auto calls = slow.keys.SendInputCalls();
    ASSERT_EQ(calls.size(), 4u + 3u);
    EXPECT_EQ(calls[4], Typed({u'a'}, start));
    EXPECT_EQ(calls[5], Typed({0xD83D, 0xDE00}, start + 30));
    EXPECT_EQ(calls[6], Typed({u' '}, start + 60));
    EXPECT_EQ(slow.clock.TickMs(), start + 90);

    // A held SHIFT would turn the typed Enter into SHIFT+Enter.
    OutputRig shift;
    shift.state.programRule = {ProgramRuleKind::Type, 0};
    shift.keys.HoldKey(0x10);
    shift.Expand(u"SIG", Text(u"x"), u'\r');
    EXPECT_EQ(shift.Keys()[0].rfind("output keybd_event", 0), 0u) << shift.Keys()[0];
}

TEST(KeystrokeOutput, ChatRulePastesEachLineWithShiftEnterBetween) {
    OutputRig rig;
    rig.state.programRule = {ProgramRuleKind::Chat, 0};
    Lines pasted;
    rig.keys.onSendInput = [&](std::span<const KeyRecord> r) {
        if (r.size() == 4 && r[1].vk == 0x56) pasted.push_back(Utf16ToUtf8(rig.clip.Text()));
    };
    // The Enter that ended the keyword is not typed again: it would send.
    EXPECT_EQ(rig.Expand(u"SIG", Text(u"line 1\r\n\r\nline 3"), u'\r'), 11);
    const std::string shiftEnter = "output SendInput [0x10 down, 0x0D down, 0x0D up, 0x10 up]";
    EXPECT_EQ(rig.Keys(), Concat({Repeat(kBackTap, 4), {kCtrlV, shiftEnter, shiftEnter, kCtrlV}}));
    EXPECT_EQ(pasted, (Lines{"line 1", "line 3"}));

    // One line is pasted as it is, without the Enter.
    OutputRig one;
    one.state.programRule = {ProgramRuleKind::Chat, 0};
    EXPECT_EQ(one.Expand(u"SIG", Text(u"thanks"), u'\r'), 11);
    EXPECT_EQ(one.clip.Text(), u"thanks");
    // Another delimiter follows the last line.
    OutputRig comma;
    comma.state.programRule = {ProgramRuleKind::Chat, 0};
    EXPECT_EQ(comma.Expand(u"SIG", Text(u"a\nb"), u','), 11);
    EXPECT_EQ(comma.clip.Text(), u"b,");
}

}  // namespace
}  // namespace kx
