// The expansion's output: the clipboard filled, the keyword erased or
// selected and the paste sent, at once or, through a clipboard owner, by
// delayed rendering with the user's clipboard given back afterwards.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "base/text.h"
#include "engine/matcher/expander.h"
#include "engine/output/keystroke_output.h"
#include "platform/fake/fake_clock.h"
#include "platform/fake/fake_windows.h"
#include "platform/fake/memory_registry.h"
#include "platform/fake/recording_clipboard.h"
#include "platform/fake/recording_key_injector.h"
#include "settings/settings_store.h"

namespace kx {
namespace {

using Lines = std::vector<std::string>;
using Bytes = std::vector<uint8_t>;

constexpr WindowHandle kAppWindow = 0x2000;
constexpr WindowHandle kTarget = 0x1000;
constexpr WindowHandle kOwnerWindow = 0x3000;
constexpr uint32_t kStart = 100000;

const std::string kCtrlV = "output SendInput [0x11 down, 0x56 down, 0x56 up, 0x11 up]";

Bytes Units(std::u16string_view s, size_t spare = 0) {
    Bytes b(s.size() * 2 + spare, 0);
    std::memcpy(b.data(), s.data(), s.size() * 2);
    return b;
}

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
// order of clipboard work and keystrokes can be checked together. With a
// clipboard owner the expansion is offered by delayed rendering, and
// "RestoreClipboard" is as given.
struct OutputRig {
    Lines log;
    RecordingKeyInjector keys{[this](const std::string& l) { log.push_back(l); }};
    RecordingClipboard clip{[this](const std::string& l) { log.push_back(l); }};
    FakeClock clock{kStart};
    FakeWindows windows;
    FakeHooks hooks;
    MemoryRegistry registry;
    SettingsStore settings{registry};
    ScriptedClipboardOwner owner{clip, clock, kOwnerWindow};
    Lines diagnostics;
    KeystrokeOutput out;
    EngineState state;
    std::u16string before;                 // the target's text before the output's keys
    std::vector<std::u16string> clipAt;    // the clipboard's text at each SendInput
    std::function<void()> atSend;
    bool overwrite = false;                // the delimiter overwrote a character

    explicit OutputRig(bool withOwner = false, bool restore = false)
        : out(OutputPorts{keys, clip, clock, windows, &hooks, kAppWindow, withOwner ? &owner : nullptr, &settings,
                          [this](std::string_view l) { diagnostics.emplace_back(l); }}) {
        windows.SetForeground(kTarget, u"Edit");
        settings.WriteBool(settings::RestoreClipboard, restore);
        keys.onSendInput = [this](std::span<const KeyRecord>) {
            clipAt.push_back(clip.Text());
            if (atSend) atSend();
        };
    }
    // What the user had copied: text, rich text, HTML, a packed bitmap, an
    // enhanced metafile, files and a private format, with the forms the
    // system makes from them (CF_TEXT, CF_BITMAP) and an owner-freed handle.
    void FillUserClipboard() {
        clip.Open(0x5555);
        clip.Empty();
        clip.SetData(kCfUnicodeText, Units(u"old text", 2));
        clip.SetData(clip.RegisterFormat(u"Rich Text Format"), Bytes{'{', '\\', 'r', 't', 'f', '1', '}', 0});
        clip.SetData(clip.RegisterFormat(u"HTML Format"), Bytes{'V', 'e', 'r', 0});
        clip.SetData(kCfDib, Bytes{40, 0, 0, 0, 1, 0, 0, 0, 0xFF, 0x80});
        clip.SetData(kCfEnhMetafile, Bytes{1, 0, 0, 0, 0x20, 0x45, 0x4D, 0x46});
        clip.SetData(kCfHdrop, Bytes{20, 0, 0, 0, 'C', 0, ':', 0, 0, 0, 0, 0});
        clip.SetData(clip.RegisterFormat(u"Kestrix Probe Bytes"), Bytes{0, 1, 0xFE, 0xFF, 0, 7});
        clip.SetData(kCfLocale, Bytes{9, 4, 0, 0});
        clip.SetData(kCfText, Bytes{'o', 'l', 'd', 0});
        clip.SetData(kCfBitmap, Bytes{1, 2, 3});
        clip.SetData(0x280, Bytes{9});
        clip.Close();
        log.clear();
    }

    // The keyword and its delimiter stand typed in the target.
    int Expand(std::u16string_view keyword, EntryRef entry, char16_t trailing = u' ') {
        state.typed = keyword;
        before = std::u16string(keyword) + (trailing == u'\r' ? u'\n' : trailing);
        ExpandRequest r;
        r.target = kTarget;
        r.lastOverwrite = overwrite;
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
    // The first line from `from` on that begins with `prefix`.
    size_t IndexOf(const std::string& prefix, size_t from = 0) const {
        for (size_t i = from; i < log.size(); ++i)
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
Bytes RtfBlock(const std::string& rtf) { const std::string b = Block(rtf); return Bytes(b.begin(), b.end()); }

const std::string kBack = "output SendInput [0x08 down, 0x08 up]";
const Lines kPrivacy = {"clipboard SetData \"ExcludeClipboardContentFromMonitorProcessing\" 4 bytes",
                        "clipboard SetData \"CanIncludeInClipboardHistory\" 4 bytes",
                        "clipboard SetData \"CanUploadToCloudClipboard\" 4 bytes"};
Lines operator+(Lines a, const Lines& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// One opening empties the clipboard and places, beside the text, the
// formats that keep it out of clipboard history (each a DWORD 0), all
// before the first key goes out. Through a clipboard owner the text is
// offered without data (no copy of the user's clipboard is read with
// "RestoreClipboard" off) and rendered on the target's request after the
// Ctrl+V; the expansion ends there, without waiting for the paste's quiet.
TEST(KeystrokeOutput, OneOpeningFillsTheClipboardBeforeTheKeysAndKeepsItOutOfHistory) {
    for (bool withOwner : {false, true}) {
        SCOPED_TRACE(withOwner ? "owner" : "no owner");
        OutputRig rig(withOwner);
        EXPECT_EQ(rig.Expand(u"SIG", Text(u"Kind regards")), 11);
        Lines calls;
        for (const auto& l : rig.log)
            if (l.rfind("clipboard RegisterFormat", 0) != 0) calls.push_back(l);
        const Lines want =
            withOwner ? Lines{"clipboard Open 0x3000", "clipboard Empty"} + kPrivacy +
                            Lines{"clipboard OfferDelayed CF_UNICODETEXT", "clipboard Close"} + Lines(4, kBack) +
                            Lines{kCtrlV, "clipboard Open 0x1000", "clipboard GetData CF_UNICODETEXT",
                                  "clipboard Render CF_UNICODETEXT 28 bytes \"Kind regards \"", "clipboard Close"}
                      : Lines{"clipboard Open 0x2000", "clipboard Empty"} + kPrivacy +
                            Lines{"clipboard SetData CF_UNICODETEXT 28 bytes \"Kind regards \"", "clipboard Close"} +
                            Lines(4, kBack) + Lines{kCtrlV};
        EXPECT_EQ(calls, want);
        EXPECT_EQ(rig.clip.Contents().size(), 4u) << "the expansion stays, still kept out of history";
        for (auto name : {u"ExcludeClipboardContentFromMonitorProcessing", u"CanIncludeInClipboardHistory",
                          u"CanUploadToCloudClipboard"})
            EXPECT_EQ(rig.Data(name), std::string(4, '\0'));
        // Hooks 1 and 0 paused around the whole expansion, hook 2 untouched.
        EXPECT_EQ(rig.hooks.calls, (std::vector<std::pair<int, bool>>{{1, false}, {0, false}, {1, true}, {0, true}}));
        if (withOwner) {
            EXPECT_EQ(rig.owner.providedFor, kTarget);
            EXPECT_EQ(rig.owner.waits, std::vector<uint32_t>{kPasteRequestLimitMs});
        }
    }
}

// What the target shows and the clipboard holds after an expansion of ADDR,
// however it went: each way of pasting, casing, and each step that can fail.
TEST(KeystrokeOutput, WhatTheTargetShowsAndTheClipboardHolds) {
    using Arrange = std::function<void(OutputRig&)>;
    const auto first = [](OutputRig& r) { r.state.firstCapital = true; };
    const auto all = [](OutputRig& r) { r.state.allCapitals = true; };
    struct Case {
        const char* name;
        Arrange arrange;
        EntryRef entry;
        char16_t trailing;
        int result;
        std::u16string screen, clip;
        bool skipV = false;
        size_t opens = 1;
    };
    const Case cases[] = {
        {"plain", {}, Text(u"12 Main Street"), u' ', 11, u"12 Main Street ", u"12 Main Street ", true},
        // Word processors get the keyword selected and pasted over.
        {"word processor", [](OutputRig& r) { r.state.isWordLike = true; }, Text(u"x"), u' ', 11, u"x ", u"x ", true},
        // A console gets its paste command, a second later.
        {"console", [](OutputRig& r) { r.state.isConsole = true; }, Text(u"dir /w"), u' ', 11, u"dir /w ", u"dir /w "},
        // Casing from the typed keyword, for any letter, the delimiter too;
        // the Enter typed after the keyword is CR LF on the clipboard.
        {"all capitals", all, Text(u"straße café"), u'x', 11, u"STRAßE CAFÉX", u"STRAßE CAFÉX", true},
        {"first capital", first, Text(u"émile zola"), u' ', 11, u"Émile zola ", u"Émile zola ", true},
        {"Enter", all, Text(u"12 Main Street"), u'\r', 11, u"12 MAIN STREET\n", u"12 MAIN STREET\r\n", true},
        // A clipboard busy for a while is tried again every 2 ms, for 125 ms.
        {"busy clipboard", [](OutputRig& r) { r.clip.FailOpen(1, 10); }, Text(u"x"), u' ', 11, u"x ", u"x ", true, 11},
        // A failed step stops the expansion with the keyword on screen; only
        // a filled clipboard keeps the text.
        {"open", [](OutputRig& r) { r.clip.FailOpen(1, 1000); }, Text(u"x"), u' ', 12, u"ADDR ", u"", false, 64},
        {"empty", [](OutputRig& r) { r.clip.FailEmpty(true); }, Text(u"x"), u' ', 12, u"ADDR ", u""},
        {"close", [](OutputRig& r) { r.clip.FailClose(1); }, Text(u"x"), u' ', 12, u"ADDR ", u"x "},
        {"set data", [](OutputRig& r) { r.clip.FailSetData(kCfUnicodeText); }, Text(u"x"), u' ', 12, u"ADDR ", u""},
        // Without the history exclusion the text does not go at all.
        {"privacy name", [](OutputRig& r) { r.clip.RefuseName(u"CanUploadToCloudClipboard"); }, Text(u"x"), u' ', 12,
         u"ADDR ", u""},
        {"privacy data", [](OutputRig& r) { r.clip.FailSetData(0xC002); }, Text(u"x"), u' ', 12, u"ADDR ", u""},
        // The third Backspace tap half inserted: nothing sent after it.
        {"short SendInput", [](OutputRig& r) { r.keys.FailSendInput(3, 1); }, Text(u"x"), u' ', 12, u"AD", u"x "},
        // A rich format that cannot be registered fails rich text only.
        {"no RTF", [](OutputRig& r) { r.clip.RefuseName(u"Rich Text Format"); }, Rich(u"b", "{\\rtf1 b}"), u' ', 12,
         u"ADDR ", u""},
        {"no HTML", [](OutputRig& r) { r.clip.RefuseName(u"HTML Format"); }, Rich(u"b", "{\\rtf1 b}"), u' ', 12,
         u"ADDR ", u""},
        {"no rich formats, plain text",
         [](OutputRig& r) { r.clip.RefuseName(u"Rich Text Format"), r.clip.RefuseName(u"HTML Format"); }, Text(u"b"),
         u' ', 11, u"b ", u"b ", true},
        // The delimiter overwrote a character: the keyword alone is erased,
        // one Backspace fewer.
        {"overwriting delimiter", [](OutputRig& r) { r.overwrite = true; }, Text(u"x"), u' ', 11, u"Ax ", u"x ", true},
        // A refused paste leaves the keyword selected and the helper spaces.
        {"word processor, paste refused",
         [](OutputRig& r) { r.state.isWordLike = true, r.keys.FailSendInput(6, 0); }, Text(u"x"), u' ', 12, u"ADDR   ",
         u"x "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        OutputRig rig;
        if (c.arrange) c.arrange(rig);
        const bool caps = rig.state.allCapitals;
        EXPECT_EQ(rig.Expand(u"ADDR", c.entry, c.trailing), c.result);
        // Simple text keeps the casing flags until the next word begins.
        EXPECT_EQ(rig.state.allCapitals, caps);
        // Word processors get the keyword selected and pasted over, not erased.
        if (rig.state.isWordLike) {
            EXPECT_TRUE(rig.With(kBack).empty());
        }
        EXPECT_EQ(rig.Screen(), c.screen);
        EXPECT_EQ(rig.clip.Text(), c.clip);
        EXPECT_EQ(rig.state.skipNextV, c.skipV);
        EXPECT_FALSE(rig.clip.IsOpen());
        EXPECT_EQ(rig.With("clipboard Open").size(), c.opens);
        EXPECT_EQ(rig.hooks.calls.size(), 4u);
    }
    // Upper-casing stops at the first zero unit of a text.
    OutputRig zero;
    all(zero);
    zero.Expand(u"ADDR", Text(std::u16string(u"ab\0cd", 5)));
    EXPECT_EQ(zero.clip.Contents().at(kCfUnicodeText), Units(std::u16string(u"AB\0cd ", 6), 2));
    // Paste only, in a console: no erase; a refused post fails the expansion.
    OutputRig paste;
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
    const struct {
        EntryRef entry;
        const char16_t* windowClass;
        char16_t trailing;
        std::string rtf, html;
        std::u16string text;
    } cases[] = {
        {pic, u"Edit", u'.', Block("{\\rtf1{\\pict\\wmetafile8 0102}}"), "<none>",
         u"[This application does not support images]."},
        // A picture's browser clip is made as it is expanded, never taken
        // from the entry: without a renderer there is none.
        {pic, u"Chrome_WidgetWin_1", u' ', "<none>", Block(""), u"[This application does not support images] "},
        {Rich(u"Bold text", "{\\rtf1 \\b Bold\\b0  text}", "Version:1.0 <b>Bold</b> text"), u"Edit", u',',
         Block("{\\rtf1 \\b Bold\\b0  text}"), "<none>", u"Bold text,"},
        {Rich(u"Bold", "{\\rtf1 \\b Bold}", "Version:1.0 <b>Bold</b>"), u"MozillaWindowClass", u' ', "<none>",
         Block("Version:1.0 <b>Bold</b>"), u"Bold "},
        // An empty HTML form still goes on the clipboard, as four zero bytes.
        {Rich(u"", "{\\rtf1 x}"), u"Chrome_WidgetWin_1", u' ', "<none>", Block(""), u""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(U8(c.text));
        OutputRig rig;
        rig.windows.SetForeground(kTarget, c.windowClass);
        rig.state.firstCapital = rig.state.allCapitals = true;
        EXPECT_EQ(rig.Expand(u"LOGO", c.entry, c.trailing), 11);
        EXPECT_EQ(rig.Data(u"Rich Text Format"), c.rtf);
        EXPECT_EQ(rig.Data(u"HTML Format"), c.html);
        EXPECT_EQ(rig.clip.Text(), c.text);
        EXPECT_EQ(rig.Screen(), c.text);
        EXPECT_FALSE(rig.state.firstCapital || rig.state.allCapitals);
    }
}

TEST(KeystrokeOutput, KeysAroundThePaste) {
    // A held SHIFT is released once the clipboard holds the expansion,
    // before the first key goes out.
    OutputRig rig;
    rig.keys.HoldKey(vk::kShift);
    EXPECT_EQ(rig.Expand(u"ADDR", Text(u"x"), u'!'), 11);
    const size_t at = rig.IndexOf("output keybd_event");
    EXPECT_EQ(Lines(rig.log.begin() + ptrdiff_t(at) - 1, rig.log.begin() + ptrdiff_t(at) + 4),
              (Lines{"clipboard Close", "output keybd_event 0xA0 s2A up ext", "output keybd_event 0xA1 s36 up ext",
                     "output keybd_event 0x10 s2A up", kBack}));

    // skipNextV is set before the Ctrl+V goes out. Keys the hook module
    // never reports, or a Ctrl+V refused, cannot clear it themselves: left
    // set, it would swallow the user's next real V.
    for (const auto& [reported, refused] : {std::pair{true, false}, {false, false}, {true, true}}) {
        OutputRig v;
        v.keys.ownKeysReported = reported;
        if (refused) v.keys.FailSendInput(4, 0);
        std::vector<bool> seen;
        v.atSend = [&] { seen.push_back(v.state.skipNextV); };
        v.Expand(u"AB", Text(u"x"));
        EXPECT_EQ(seen, (std::vector<bool>{false, false, false, true}));
        EXPECT_EQ(v.state.skipNextV, reported && !refused) << reported << refused;
    }

    // Without a hook module nothing is paused, nor without any of the
    // optional ports.
    OutputRig bare;
    bare.hooks.loaded = false;
    EXPECT_EQ(bare.Expand(u"AB", Text(u"x")), 11);
    EXPECT_TRUE(bare.hooks.calls.empty());
    KeystrokeOutput minimal(OutputPorts{bare.keys, bare.clip, bare.clock, bare.windows});
    ExpandRequest r;
    r.entry = Text(u"x");
    EXPECT_EQ(minimal.ExpandShortcut(bare.state, r), 11);

    // The double space fix, and Backspace taps one more than their count:
    // 0 taps once, and 1 (what a SHIFT combination sends to take back its
    // character) twice.
    OutputRig taps;
    taps.before = u"word  ";
    ASSERT_TRUE(taps.out.SendDoubleSpaceFix());
    EXPECT_EQ(taps.Screen(), u"word. ");
    ASSERT_TRUE(taps.out.SendBackspaces(0));
    ASSERT_TRUE(taps.out.SendBackspaces(1));
    EXPECT_EQ(taps.Screen(), u"wor");
}

TEST(KeystrokeOutput, InsertPhraseSelectsThePartWordAndPastesOverIt) {
    for (bool console : {false, true}) {
        OutputRig rig;
        rig.state.foregroundWindow = 0x3000;
        rig.state.isConsole = console;
        rig.before = u"a tel";
        EXPECT_EQ(rig.out.InsertPhrase(rig.state, Text(u"telephone"), 3), 11);
        EXPECT_EQ(rig.log[0], "output SetForegroundWindow 0x3000");
        if (console) {
            // The paste command goes to the window typed in.
            EXPECT_EQ(rig.With("output PostMessage"), Lines{"output PostMessage 0x3000 WM_COMMAND 0xFFF1 0"});
            continue;
        }
        EXPECT_EQ(rig.Screen(), u"a telephone");
        // The selection is made while the clipboard is held, before it is emptied.
        EXPECT_LT(rig.IndexOf("clipboard Open"), rig.IndexOf("output SendInput"));
        EXPECT_LT(rig.IndexOf("output SendInput"), rig.IndexOf("clipboard Empty"));
        EXPECT_TRUE(rig.state.skipNextV);
    }
    // A failed selection closes the clipboard and erases nothing further.
    OutputRig fail;
    fail.keys.FailSendInput(1, 0);
    EXPECT_EQ(fail.out.InsertPhrase(fail.state, Text(u"telephone"), 3), 12);
    EXPECT_FALSE(fail.clip.IsOpen());
    EXPECT_EQ(fail.keys.SendInputCalls().size(), 1u);
}

// The rules per program: Type types the expansion (a surrogate pair as two
// units, CR LF and a lone LF as one Enter each) and leaves the clipboard
// alone; Chat pastes each line with SHIFT+Enter between, and never types
// the Enter that ended the keyword again (it would send).
TEST(KeystrokeOutput, TypeAndChatRules) {
    const struct {
        ProgramRuleKind kind;
        EntryRef entry;
        char16_t trailing;
        bool first;
        std::u16string shown;
    } cases[] = {
        {ProgramRuleKind::Type, Text(u"a\U0001F600\r\nb\nc"), u' ', false, u"a\U0001F600\nb\nc "},
        {ProgramRuleKind::Type, Text(u"ok"), u'\r', false, u"ok\n"},
        {ProgramRuleKind::Type, Text(u"best"), u'.', true, u"Best."},
        {ProgramRuleKind::Type, Rich(u"bold", "{\\rtf1 \\b bold}"), u' ', true, u"bold "},
        {ProgramRuleKind::Chat, Text(u"line 1\r\n\r\nline 3"), u'\r', false, u"line 1\n\nline 3"},
        {ProgramRuleKind::Chat, Text(u"a\nb"), u',', false, u"a\nb,"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(U8(c.shown));
        OutputRig rig;
        rig.state.programRule = {c.kind, 0};
        rig.state.firstCapital = c.first;
        EXPECT_EQ(rig.Expand(u"SIG", c.entry, c.trailing), 11);
        const TargetText shown = rig.Target();
        EXPECT_EQ(shown.text, c.shown);
        EXPECT_EQ(shown.plainEnters, c.kind == ProgramRuleKind::Type ? int(std::count(c.shown.begin(), c.shown.end(), u'\n')) : 0);
        if (c.kind == ProgramRuleKind::Type) {
            EXPECT_EQ(rig.keys.SendInputCalls().size(), 5u) << "four Backspace taps, then the text in one call";
            EXPECT_TRUE(rig.With("clipboard").empty());
            EXPECT_FALSE(rig.state.skipNextV);
        }
    }
    // With a delay, one call per character and the pause after each.
    OutputRig slow;
    slow.state.programRule = {ProgramRuleKind::Type, 30};
    EXPECT_EQ(slow.Expand(u"SIG", Text(u"a\U0001F600"), u' '), 11);
    const auto calls = slow.keys.SendInputCalls();
    ASSERT_EQ(calls.size(), 4u + 3u);
    EXPECT_EQ(calls[5].size(), 4u) << "the pair in one call";
    EXPECT_EQ(calls[6][0].time, kStart + 60);
    EXPECT_EQ(slow.clock.TickMs(), kStart + 90);
    // A held SHIFT would turn the typed Enter into SHIFT+Enter.
    OutputRig shift;
    shift.state.programRule = {ProgramRuleKind::Type, 0};
    shift.keys.HoldKey(0x10);
    shift.Expand(u"SIG", Text(u"x"), u'\r');
    EXPECT_EQ(shift.log[0].rfind("output keybd_event", 0), 0u) << shift.log[0];
}

// With "RestoreClipboard" on, every read of the paste gets the expansion,
// and the user's clipboard comes back, byte for byte (but the forms the
// system makes from others and a handle only its owner could copy), once
// the paste has been quiet, or, when the target's own program was not seen
// asking, once a target has had its time to paste, or as soon as the target
// lets go of the clipboard; never if it holds on.
TEST(ExpansionClipboard, EveryReadOfAPasteGetsTheExpansionAndTheClipboardComesBackAfterIt) {
    const Bytes text = Units(u"Kind regards ", 2);
    const unsigned opensSoFar = 1;  // FillUserClipboard's
    struct Case {
        const char* what;
        std::function<void(OutputRig&)> arrange;
        uint32_t doneAfterMs;
        std::vector<std::optional<Bytes>> pasted;
        EntryRef entry = Text(u"Kind regards");
        bool restored = true;
    };
    const Case cases[] = {
        {"one read", [](OutputRig&) {}, kPasteQuietMs, {text}},
        // Text first, then the rich form 50 ms later, in openings of their own.
        {"two reads", [](OutputRig& r) { r.owner.reads = {{0, {kCfUnicodeText}}, {50, {0xC000}}}; }, 50 + kPasteQuietMs,
         {text, RtfBlock("{\\rtf1 K}")}, ShortcutEntry::Make(ShortcutKind::RichText, u"Kind regards", "{\\rtf1 K}")},
        // The target read what a viewer had rendered, without a request.
        {"viewer first", [](OutputRig& r) { r.owner.viewerReadsFirst = true; }, kUnseenPasteMs, {text}},
        {"console", [](OutputRig& r) { r.state.isConsole = true; }, kConsolePasteDelayMs + kPasteQuietMs, {text}},
        // A history tool reading the user's last copy holds the clipboard.
        {"clipboard held a while", [](OutputRig& r) { r.clip.FailOpen(2, 10); }, 10 * 2 + kPasteQuietMs, {text}},
        // Opens: 1 the expansion, 2 the target; the target holds on to the
        // clipboard for the next 10 of ours, or for good.
        {"target lets go late", [](OutputRig& r) { r.clip.FailOpen(opensSoFar + 3, 10); },
         kPasteQuietMs + 10 * kPasteClosePollMs, {text}},
        {"target never lets go", [](OutputRig& r) { r.clip.FailOpen(opensSoFar + 3, 100000); },
         kPasteCloseLimitMs + kPasteClosePollMs, {text}, Text(u"Kind regards"), false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        OutputRig rig(true, true);
        rig.FillUserClipboard();
        auto before = rig.clip.Contents();
        c.arrange(rig);
        EXPECT_EQ(rig.Expand(u"SIG", c.entry), 11);
        rig.owner.Requests();  // any read still to come happens now
        EXPECT_EQ(rig.owner.pasted, c.pasted);
        EXPECT_EQ(rig.owner.viewed, rig.owner.viewerReadsFirst ? std::optional<Bytes>(text) : std::nullopt);
        EXPECT_EQ(rig.clock.TickMs(), kStart + c.doneAfterMs);
        if (!c.restored) {
            EXPECT_EQ(rig.clip.Text(), u"Kind regards ");
            continue;
        }
        for (unsigned made : {kCfText, kCfBitmap, 0x280u}) before.erase(made);
        EXPECT_EQ(rig.clip.Contents(), before);
        EXPECT_TRUE(rig.clip.Delayed().empty());
        EXPECT_EQ(rig.With("clipboard Open").back(), "clipboard Open 0x3000") << "given back by the owner, last";
    }
}

TEST(ExpansionClipboard, SavingIsBoundInSizeAndInTime) {
    // A format over the limit is left out; the rest comes back.
    OutputRig big(true, true);
    big.FillUserClipboard();
    const unsigned bulk = big.clip.RegisterFormat(u"Bulk");
    big.clip.Open(0x5555);
    big.clip.SetData(bulk, Bytes(kSaveFormatLimitBytes + 1, 7));
    big.clip.Close();
    EXPECT_EQ(big.Expand(u"SIG", Text(u"x")), 11);
    EXPECT_EQ(big.clip.Text(), u"old text");
    EXPECT_FALSE(big.clip.Contents().count(bulk));
    EXPECT_EQ(big.diagnostics, Lines{"Clipboard: 1 format(s) over 16 MiB not saved"});

    // A copy whose program renders each format slowly: saving gives up, the
    // expansion still waits for its paste, and stays on the clipboard.
    OutputRig slow(true, true);
    slow.FillUserClipboard();
    slow.clip.SetReadCost(&slow.clock, kSaveLimitMs / 4);
    EXPECT_EQ(slow.Expand(u"SIG", Text(u"x")), 11);
    EXPECT_EQ(slow.owner.pasted, (std::vector<std::optional<Bytes>>{Units(u"x ", 2)}));
    EXPECT_EQ(slow.clip.Text(), u"x ");
    EXPECT_EQ(slow.diagnostics,
              Lines{"Clipboard: saving it took over 500 ms; it is not given back after this expansion"});
}

// Whatever step fails once the user's clipboard is at stake, it comes back,
// the owner waits for no paste, and another program can paste at once.
TEST(ExpansionClipboard, NoFailureLeavesTheClipboardEmptiedOrTheOwnerWaiting) {
    const struct {
        const char* name;
        std::function<void(OutputRig&)> fail;
        bool erased;  // keys were sent before the failure
    } cases[] = {
        {"opening", [](OutputRig& r) { r.clip.FailOpen(2, 1000); }, false},
        {"emptying", [](OutputRig& r) { r.clip.FailEmpty(true); }, false},
        {"offering", [](OutputRig& r) { r.clip.FailOffer(true); }, false},
        {"keeping it out of history", [](OutputRig& r) { r.clip.RefuseName(u"ExcludeClipboardContentFromMonitorProcessing"); },
         false},
        {"closing after the offer", [](OutputRig& r) { r.clip.FailClose(2); }, false},
        {"erasing", [](OutputRig& r) { r.keys.FailSendInput(2, 0); }, true},
        {"pasting", [](OutputRig& r) { r.keys.FailSendInput(5, 2); }, true},
        {"giving back, first tries", [](OutputRig& r) { r.keys.FailSendInput(5, 0), r.clip.FailOpen(3, 5); }, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        OutputRig rig(true, true);
        rig.FillUserClipboard();
        const Bytes probe = rig.clip.Contents().at(rig.clip.FormatOf(u"Kestrix Probe Bytes"));
        c.fail(rig);
        EXPECT_EQ(rig.Expand(u"SIG", Text(u"x")), 12);
        EXPECT_EQ(!rig.keys.SendInputCalls().empty(), c.erased);
        EXPECT_FALSE(rig.owner.Awaiting());
        EXPECT_TRUE(rig.owner.waits.empty());
        EXPECT_FALSE(rig.clip.IsOpen());
        EXPECT_TRUE(rig.clip.Delayed().empty());
        EXPECT_EQ(rig.clip.Text(), u"old text");
        EXPECT_EQ(rig.clip.Contents().at(rig.clip.FormatOf(u"Kestrix Probe Bytes")), probe);
    }
}

TEST(ExpansionClipboard, AnExpansionNotTakenInTimeStaysAndHandsTheUsersClipboardToTheNext) {
    for (bool copiedSince : {false, true}) {
        SCOPED_TRACE(copiedSince ? "copied since" : "nothing copied since");
        OutputRig rig(true, true);
        rig.FillUserClipboard();
        auto before = rig.clip.Contents();
        for (unsigned made : {kCfText, kCfBitmap, 0x280u}) before.erase(made);
        rig.owner.targetPastes = false;
        EXPECT_EQ(rig.Expand(u"SIG", Text(u"first")), 11);
        // Waited exactly the limit, then left the expansion there, still to be
        // rendered when the target asks later, rather than the user's text.
        EXPECT_EQ(rig.clock.TickMs(), kStart + kPasteRequestLimitMs);
        EXPECT_EQ(rig.log.back(), kCtrlV);
        ASSERT_TRUE(rig.clip.Open(kTarget));
        EXPECT_EQ(rig.clip.GetData(kCfUnicodeText), Units(u"first ", 2));
        rig.clip.Close();
        if (copiedSince) {
            rig.clip.Open(0x5555);
            rig.clip.Empty();
            rig.clip.SetData(kCfUnicodeText, Units(u"copied since", 2));
            rig.clip.Close();
        }
        // The next one finds its own earlier text on the clipboard and gives
        // back what the user had, not that; unless another program copied
        // something meanwhile: that is what the user has now.
        rig.owner.targetPastes = true;
        rig.Expand(u"SIG", Text(u"second"));
        EXPECT_EQ(rig.owner.pasted, (std::vector<std::optional<Bytes>>{Units(u"second ", 2)}));
        if (copiedSince) before = {{kCfUnicodeText, Units(u"copied since", 2)}};
        EXPECT_EQ(rig.clip.Contents(), before);
    }
    // An empty clipboard comes back empty.
    OutputRig empty(true, true);
    EXPECT_EQ(empty.Expand(u"SIG", Text(u"x")), 11);
    EXPECT_TRUE(empty.clip.Contents().empty());
}

}  // namespace
}  // namespace kx
