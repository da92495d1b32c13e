#include <gtest/gtest.h>

#include <algorithm>

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

class FakeHooks final : public HookControl {
public:
    bool ModuleLoaded() override { return loaded; }
    void EnableHook(int index, bool enable) override { calls.emplace_back(index, enable); }
    bool loaded = true;
    std::vector<std::pair<int, bool>> calls;
};

// The target's text as an edit field makes it from the keys it gets: the
// caret, a selection made with SHIFT and the arrows, Backspace and Delete,
// and Ctrl+V or the console's paste command inserting the clipboard's text
// of that moment, a CR LF as one line break. A line break is '\n'; an
// Enter pressed without SHIFT is also counted (in a chat it sends).
struct TargetText {
    std::u16string text;
    size_t caret = text.size(), anchor = caret;
    bool shift = false, ctrl = false;
    int plainEnters = 0;

    bool EraseSelection() {
        if (anchor == caret) return false;
        const size_t lo = std::min(anchor, caret);
        text.erase(lo, std::max(anchor, caret) - lo);
        caret = anchor = lo;
        return true;
    }
    void Insert(std::u16string s) {
        for (size_t p; (p = s.find(u"\r\n")) != std::u16string::npos;) s.replace(p, 2, u"\n");
        EraseSelection();
        text.insert(caret, s);
        caret = anchor = caret + s.size();
    }
    void Key(const KeyRecord& r, const std::u16string& clipboard) {
        const bool up = r.flags & keyflag::kKeyUp;
        if (r.flags & 0x0004) {  // a character
            if (!up) Insert(std::u16string(1, char16_t(r.scan)));
            return;
        }
        if (r.vk == vk::kShift) shift = !up;
        if (r.vk == vk::kControl) ctrl = !up;
        if (up) return;
        switch (r.vk) {
            case 0x08: if (!EraseSelection() && caret) text.erase(caret = anchor = caret - 1, 1); break;
            case 0x2E: if (!EraseSelection() && caret < text.size()) text.erase(caret, 1); break;
            case 0x25: caret -= caret > 0; if (!shift) anchor = caret; break;
            case 0x20: Insert(u" "); break;
            case 0xBE: Insert(u"."); break;
            case 0x0D: plainEnters += !shift; Insert(u"\n"); break;
            case 0x56: if (ctrl) Insert(clipboard); break;
        }
    }
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
    std::u16string before;                 // the target's text before the output's keys
    std::vector<std::u16string> clipAt;    // the clipboard's text at each SendInput
    std::function<void()> atSend;

    OutputRig() {
        windows.SetForeground(kTarget, u"Edit");
        keys.onSendInput = [this](std::span<const KeyRecord>) {
            clipAt.push_back(clip.Text());
            if (atSend) atSend();
        };
    }

    // The keyword and its delimiter stand typed in the target.
    int Expand(std::u16string_view keyword, EntryRef entry, char16_t trailing = u' ', bool lastOverwrite = false) {
        state.typed = keyword;
        before = std::u16string(keyword) + (trailing == u'\r' ? u'\n' : trailing);
        ExpandRequest r;
        r.target = kTarget;
        r.lastOverwrite = lastOverwrite;
        r.isConsole = state.isConsole;
        r.entry = std::move(entry);
        r.trailing = trailing;
        return out.ExpandShortcut(state, r);
    }
    // What the target shows once the keys that went in have arrived.
    TargetText Target() const {
        TargetText t{before};
        size_t send = 0;
        for (const InjectedCall& c : keys.Calls()) {
            if (c.kind == InjectedCall::Kind::SendInput) {
                for (unsigned i = 0; i < c.inserted; ++i) t.Key(c.records[i], clipAt[send]);
                ++send;
            } else if (c.kind == InjectedCall::Kind::PostCommand && c.ok && c.wParam == kConsolePasteCommand) {
                t.Insert(clip.Text());
            }
        }
        return t;
    }
    std::u16string Screen() const { return Target().text; }
    Lines With(const std::string& prefix) const {
        Lines l;
        for (const auto& s : log)
            if (s.rfind(prefix, 0) == 0) l.push_back(s);
        return l;
    }
    size_t IndexOf(const std::string& prefix) const {
        for (size_t i = 0; i < log.size(); ++i)
            if (log[i].rfind(prefix, 0) == 0) return i;
        return log.size();
    }
    std::string Data(std::u16string_view formatName) const {
        auto it = clip.Contents().find(clip.FormatOf(formatName));
        return it == clip.Contents().end() ? "<none>" : std::string(it->second.begin(), it->second.end());
    }
};

EntryRef Text(std::u16string s) { return ShortcutEntry::Make(ShortcutKind::SimpleText, std::move(s)); }
EntryRef Rich(std::u16string plain, std::string rtf, std::string html = "") {
    auto e = ShortcutEntry::Make(ShortcutKind::RichText, std::move(plain), std::move(rtf));
    e->htmlClip = std::move(html);
    return e;
}
std::string Block(const std::string& s) { return s + std::string(4, '\0'); }

TEST(KeystrokeOutput, PlainEditErasesKeywordAndDelimiterThenPastes) {
    OutputRig rig;
    EXPECT_EQ(rig.Expand(u"ADDR", Text(u"12 Main Street")), 11);
    EXPECT_EQ(rig.Screen(), u"12 Main Street ");
    EXPECT_TRUE(rig.state.skipNextV);
    // One opening under the main window empties the clipboard and places
    // the formats that keep the expansion out of clipboard history beside
    // the text, all before the first key goes out.
    Lines clipboard;
    for (const auto& l : rig.With("clipboard"))
        if (l.rfind("clipboard RegisterFormat", 0) != 0) clipboard.push_back(l);
    EXPECT_EQ(clipboard, (Lines{"clipboard Open 0x2000", "clipboard Empty",
                                "clipboard SetData \"ExcludeClipboardContentFromMonitorProcessing\" 4 bytes",
                                "clipboard SetData \"CanIncludeInClipboardHistory\" 4 bytes",
                                "clipboard SetData \"CanUploadToCloudClipboard\" 4 bytes",
                                "clipboard SetData CF_UNICODETEXT 32 bytes \"12 Main Street \"", "clipboard Close"}));
    EXPECT_LT(rig.IndexOf("clipboard Close"), rig.IndexOf("output"));
    // Each of them a DWORD 0: "not in history", "not to the cloud".
    for (auto name : {u"ExcludeClipboardContentFromMonitorProcessing", u"CanIncludeInClipboardHistory",
                      u"CanUploadToCloudClipboard"})
        EXPECT_EQ(rig.Data(name), std::string(4, '\0'));
    // Hooks 1 and 0 paused around the whole expansion, hook 2 untouched.
    EXPECT_EQ(rig.hooks.calls, (std::vector<std::pair<int, bool>>{{1, false}, {0, false}, {1, true}, {0, true}}));

    // The delimiter overwrote a character: the keyword alone is erased.
    OutputRig over;
    EXPECT_EQ(over.Expand(u"ADDR", Text(u"x"), u' ', /*lastOverwrite=*/true), 11);
    EXPECT_EQ(over.keys.SendInputCalls().size(), 5u) << "four taps, then the paste";
}

TEST(KeystrokeOutput, WordProcessorsSelectTheKeywordAndDeleteTheHelperSpaces) {
    OutputRig rig;
    rig.state.isWordLike = true;
    EXPECT_EQ(rig.Expand(u"ADDR", Text(u"x")), 11);
    EXPECT_EQ(rig.Screen(), u"x ");
    EXPECT_TRUE(rig.With("output SendInput [0x08").empty()) << "selected and pasted over, not erased";

    // A failed paste leaves the spaces, and the keyword selected.
    OutputRig fail;
    fail.state.isWordLike = true;
    fail.keys.FailSendInput(6, 0);  // the Ctrl+V
    EXPECT_EQ(fail.Expand(u"ADDR", Text(u"x")), 12);
    EXPECT_EQ(fail.Screen(), u"ADDR   ");
    EXPECT_EQ(fail.keys.SendInputCalls().size(), 6u);
}

TEST(KeystrokeOutput, ConsoleGetsItsPasteCommandAfterASecond) {
    OutputRig rig;
    rig.state.isConsole = true;
    EXPECT_EQ(rig.Expand(u"ADDR", Text(u"dir /w")), 11);
    EXPECT_EQ(rig.Screen(), u"dir /w ");
    EXPECT_EQ(rig.With("output PostMessage"), Lines{"output PostMessage 0x1000 WM_COMMAND 0xFFF1 0"});
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
    EXPECT_TRUE(paste.keys.SendInputCalls().empty());
}

// Rich text and pictures go as RTF, or in a browser as HTML, beside their
// plain text (a picture's is a placeholder); the casing rule is for simple
// text only, and the rich form carries no delimiter.
TEST(KeystrokeOutput, RichFormsGoBesideThePlainText) {
    auto pic = ShortcutEntry::Make(ShortcutKind::Picture, u"", "{\\rtf1{\\pict\\wmetafile8 0102}}");
    pic->htmlClip = "Version:1.0 html";
    struct Case {
        const char* what;
        EntryRef entry;
        const char16_t* windowClass;
        char16_t trailing;
        std::string rtf, html;
        std::u16string text;
    };
    const Case cases[] = {
        {"picture", pic, u"Edit", u'.', Block("{\\rtf1{\\pict\\wmetafile8 0102}}"), "<none>",
         u"[This application does not support images]."},
        {"rich text", Rich(u"Bold text", "{\\rtf1 \\b Bold\\b0  text}", "Version:1.0 <b>Bold</b> text"), u"Edit",
         u',', Block("{\\rtf1 \\b Bold\\b0  text}"), "<none>", u"Bold text,"},
        {"browser", Rich(u"Bold", "{\\rtf1 \\b Bold}", "Version:1.0 <b>Bold</b>"), u"MozillaWindowClass", u' ',
         "<none>", Block("Version:1.0 <b>Bold</b>"), u"Bold "},
        // An empty HTML form still goes on the clipboard, as four zero bytes.
        {"empty html", Rich(u"", "{\\rtf1 x}"), u"Chrome_WidgetWin_1", u' ', "<none>", Block(""), u""},
    };
    for (const Case& c : cases) {
        OutputRig rig;
        rig.windows.SetForeground(kTarget, c.windowClass);
        rig.state.firstCapital = rig.state.allCapitals = true;
        EXPECT_EQ(rig.Expand(u"LOGO", c.entry, c.trailing), 11) << c.what;
        EXPECT_EQ(rig.Data(u"Rich Text Format"), c.rtf) << c.what;
        EXPECT_EQ(rig.Data(u"HTML Format"), c.html) << c.what;
        EXPECT_EQ(rig.clip.Text(), c.text) << c.what;
        EXPECT_EQ(rig.Screen(), c.text) << c.what;
        EXPECT_FALSE(rig.state.firstCapital || rig.state.allCapitals) << c.what;
    }
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
        EXPECT_EQ(rig.Expand(u"B", Rich(u"b", "{\\rtf1 b}")), 12);
        EXPECT_EQ(rig.Screen(), u"B ");  // the keyword stays on screen

        OutputRig text;
        text.clip.RefuseName(name);
        EXPECT_EQ(text.Expand(u"B", Text(u"b")), 11);
    }
}

TEST(KeystrokeOutput, HeldShiftIsReleasedBeforeTheClipboardIsFilled) {
    OutputRig rig;
    rig.keys.HoldKey(vk::kShift);
    EXPECT_EQ(rig.Expand(u"ADDR", Text(u"x"), u'!'), 11);
    EXPECT_EQ(rig.With("output keybd_event"), (Lines{"output keybd_event 0xA0 s2A up ext",
                                                      "output keybd_event 0xA1 s36 up ext",
                                                      "output keybd_event 0x10 s2A up"}));
    // Once the clipboard holds the expansion, before the first key goes out.
    EXPECT_EQ(rig.log[rig.IndexOf("output keybd_event") - 1], "clipboard Close");
    EXPECT_EQ(rig.IndexOf("output keybd_event") + 3, rig.IndexOf("output SendInput"));

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
        // The Enter typed after the keyword: a line break, CR LF on the
        // clipboard, which the one Backspace over the Enter had removed.
        {false, true, u"12 Main Street", u'\r', u"12 MAIN STREET\r\n"},
    };
    for (const Case& c : cases) {
        OutputRig rig;
        rig.state.firstCapital = c.first;
        rig.state.allCapitals = c.all;
        EXPECT_EQ(rig.Expand(u"ADDR", Text(c.text), c.trailing), 11);
        EXPECT_EQ(rig.clip.Text(), c.want);
        TargetText pasted;
        pasted.Insert(c.want);
        EXPECT_EQ(rig.Screen(), pasted.text);
        // Simple text keeps the flags until the next word begins.
        EXPECT_EQ(rig.state.allCapitals, c.all);
    }
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

    // A clipboard busy for a while is tried again every 2 ms.
    OutputRig busy;
    busy.clip.FailOpen(1, 10);
    EXPECT_EQ(busy.Expand(u"ADDR", Text(u"x")), 11);
    EXPECT_EQ(busy.clock.TickMs(), 100000u + 10 * 2);
    EXPECT_EQ(busy.Screen(), u"x ");
}

TEST(KeystrokeOutput, ShortSendInputStopsTheExpansion) {
    OutputRig rig;
    rig.keys.FailSendInput(3, 1);  // the third Backspace tap half inserted
    EXPECT_EQ(rig.Expand(u"ADDR", Text(u"x")), 12);
    EXPECT_EQ(rig.Screen(), u"AD") << "nothing sent after it";
    EXPECT_FALSE(rig.state.skipNextV);
    EXPECT_EQ(rig.hooks.calls.size(), 4u);
}

TEST(KeystrokeOutput, SkipNextVIsSetBeforeTheCtrlVGoesOut) {
    for (bool reported : {true, false}) {
        OutputRig rig;
        rig.keys.ownKeysReported = reported;
        std::vector<bool> seen;
        rig.atSend = [&] { seen.push_back(rig.state.skipNextV); };
        rig.Expand(u"AB", Text(u"x"));
        EXPECT_EQ(seen, (std::vector<bool>{false, false, false, true}));
        // Keys the hook module never reports cannot clear the flag themselves:
        // left set, it would swallow the user's next real V.
        EXPECT_EQ(rig.state.skipNextV, reported);
    }
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
    rig.before = u"word  ";
    ASSERT_TRUE(rig.out.SendDoubleSpaceFix());
    EXPECT_EQ(rig.Screen(), u"word. ");
    // The count is one less than the taps: 0 taps once, and 1 (what a SHIFT
    // combination sends to take back its character) twice.
    ASSERT_TRUE(rig.out.SendBackspaces(0));
    EXPECT_EQ(rig.Screen(), u"word.");
    ASSERT_TRUE(rig.out.SendBackspaces(1));
    EXPECT_EQ(rig.Screen(), u"wor");
}

TEST(KeystrokeOutput, InsertPhraseSelectsThePartWordAndPastesOverIt) {
    OutputRig rig;
    rig.state.foregroundWindow = 0x3000;
    rig.before = u"a tel";
    EXPECT_EQ(rig.out.InsertPhrase(rig.state, Text(u"telephone"), 3), 11);
    EXPECT_EQ(rig.Screen(), u"a telephone");
    EXPECT_EQ(rig.log[0], "output SetForegroundWindow 0x3000");
    // The selection is made while the clipboard is held, before it is emptied.
    EXPECT_LT(rig.IndexOf("clipboard Open"), rig.IndexOf("output SendInput"));
    EXPECT_LT(rig.IndexOf("output SendInput"), rig.IndexOf("clipboard Empty"));
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
    EXPECT_EQ(console.With("output PostMessage"), Lines{"output PostMessage 0x3000 WM_COMMAND 0xFFF1 0"});
}

TEST(KeystrokeOutput, TypeRuleTypesTheExpansionAndLeavesTheClipboardAlone) {
    struct Case {
        const char* name;
        EntryRef entry;
        char16_t trailing;
        Casing casing;
        std::u16string shown;
    };
    const Case cases[] = {
        // A surrogate pair is two units, each pressed and released; CR LF
        // and a lone LF are each one Enter.
        {"pair and breaks", Text(u"a\U0001F600\r\nb\nc"), u' ', {}, u"a\U0001F600\nb\nc "},
        {"Enter delimiter", Text(u"ok"), u'\r', {}, u"ok\n"},
        {"casing", Text(u"best"), u'.', {true, false}, u"Best."},
        {"rich as plain", Rich(u"bold", "{\\rtf1 \\b bold}"), u' ', {true, true}, u"bold "},
    };
    for (const Case& c : cases) {
        OutputRig rig;
        rig.state.programRule = {ProgramRuleKind::Type, 0};
        rig.state.firstCapital = c.casing.firstCapital;
        rig.state.allCapitals = c.casing.allCapitals;
        EXPECT_EQ(rig.Expand(u"SIG", c.entry, c.trailing), 11) << c.name;
        EXPECT_EQ(rig.Screen(), c.shown) << c.name;
        // Four Backspace taps, then the text in one call.
        EXPECT_EQ(rig.keys.SendInputCalls().size(), 5u) << c.name;
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
    EXPECT_EQ(calls[5].size(), 4u) << "the pair in one call";
    EXPECT_EQ(calls[6][0].time, start + 60);
    EXPECT_EQ(slow.clock.TickMs(), start + 90);
    EXPECT_EQ(slow.Screen(), u"a\U0001F600 ");

    // A held SHIFT would turn the typed Enter into SHIFT+Enter.
    OutputRig shift;
    shift.state.programRule = {ProgramRuleKind::Type, 0};
    shift.keys.HoldKey(0x10);
    shift.Expand(u"SIG", Text(u"x"), u'\r');
    EXPECT_EQ(shift.log[0].rfind("output keybd_event", 0), 0u) << shift.log[0];
}

TEST(KeystrokeOutput, ChatRulePastesEachLineWithShiftEnterBetween) {
    struct Case { const char16_t* text; char16_t trailing; const char16_t* shown; };
    const Case cases[] = {
        // The Enter that ended the keyword is not typed again: it would send.
        {u"line 1\r\n\r\nline 3", u'\r', u"line 1\n\nline 3"},
        {u"thanks", u'\r', u"thanks"},
        // Another delimiter follows the last line.
        {u"a\nb", u',', u"a\nb,"},
    };
    for (const Case& c : cases) {
        OutputRig rig;
        rig.state.programRule = {ProgramRuleKind::Chat, 0};
        EXPECT_EQ(rig.Expand(u"SIG", Text(c.text), c.trailing), 11);
        const TargetText shown = rig.Target();
        EXPECT_EQ(shown.text, c.shown);
        EXPECT_EQ(shown.plainEnters, 0) << "nothing sent";
    }
}

}  // namespace
}  // namespace kx
