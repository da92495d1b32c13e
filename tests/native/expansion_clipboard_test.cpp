// The expansion through a clipboard owner: formats offered for delayed
// rendering, the target's request awaited, and the user's clipboard given
// back when "RestoreClipboard" is on.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>

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

constexpr WindowHandle kTarget = 0x1000;
constexpr WindowHandle kOwnerWindow = 0x3000;
constexpr uint32_t kStart = 100000;

const std::string kCtrlV = "output SendInput [0x11 down, 0x56 down, 0x56 up, 0x11 up]";

Bytes Units(std::u16string_view s, size_t spare = 0) {
    Bytes b(s.size() * 2 + spare, 0);
    std::memcpy(b.data(), s.data(), s.size() * 2);
    return b;
}

struct Rig {
    Lines log;
    RecordingKeyInjector keys{[this](const std::string& l) { log.push_back(l); }};
    RecordingClipboard clip{[this](const std::string& l) { log.push_back(l); }};
    FakeClock clock{kStart};
    FakeWindows windows;
    MemoryRegistry registry;
    SettingsStore settings{registry};
    ScriptedClipboardOwner owner{clip, clock, kOwnerWindow};
    Lines diagnostics;
    KeystrokeOutput out{OutputPorts{keys, clip, clock, windows, nullptr, 0x2000, &owner, &settings,
                                    [this](std::string_view l) { diagnostics.emplace_back(l); }}};
    EngineState state;

    explicit Rig(bool restore) {
        windows.SetForeground(kTarget, u"Edit");
        settings.WriteBool(settings::RestoreClipboard, restore);
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
    int Expand(std::u16string_view keyword, EntryRef entry, char16_t trailing = u' ') {
        state.typed = keyword;
        ExpandRequest r;
        r.target = kTarget;
        r.isConsole = state.isConsole;
        r.entry = std::move(entry);
        r.trailing = trailing;
        return out.ExpandShortcut(state, r);
    }
        size_t IndexOf(const std::string& line, size_t from = 0) const {
        for (size_t i = from; i < log.size(); ++i)
            if (log[i] == line) return i;
        return log.size();
    }
};

EntryRef Text(std::u16string s) { return ShortcutEntry::Make(ShortcutKind::SimpleText, std::move(s)); }
Bytes RtfBlock(const std::string& rtf) {
    Bytes b(rtf.begin(), rtf.end());
    b.resize(rtf.size() + 4, 0);
    return b;
}

TEST(ExpansionClipboard, FormatsAreOfferedInOneOpeningAndRenderedOnTheTargetsRequest) {
    Rig rig(/*restore=*/false);
    rig.FillUserClipboard();
    EXPECT_EQ(rig.Expand(u"SIG", Text(u"Kind regards")), 11);
    // One opening empties the clipboard, places the formats that keep the
    // change out of clipboard history with their data (a history tool looks
    // at them before anyone pastes) and offers the text without data: no
    // copy of the user's clipboard is read with the setting off. Only the
    // target's request renders it, after the Ctrl+V.
    Lines clipboard;
    for (const auto& l : rig.log)
        if (l.rfind("clipboard RegisterFormat", 0) != 0 && l.rfind("output SendInput [0x08", 0) != 0) clipboard.push_back(l);
    EXPECT_EQ(clipboard, (Lines{"clipboard Open 0x3000", "clipboard Empty",
                                "clipboard SetData \"ExcludeClipboardContentFromMonitorProcessing\" 4 bytes",
                                "clipboard SetData \"CanIncludeInClipboardHistory\" 4 bytes",
                                "clipboard SetData \"CanUploadToCloudClipboard\" 4 bytes",
                                "clipboard OfferDelayed CF_UNICODETEXT", "clipboard Close", kCtrlV,
                                "clipboard Open 0x1000", "clipboard GetData CF_UNICODETEXT",
                                "clipboard Render CF_UNICODETEXT 28 bytes \"Kind regards \"", "clipboard Close"}));
    // With nothing to give back, the expansion ends at the target's request,
    // without waiting for the paste's quiet: the user's keys go on at once.
    EXPECT_EQ(rig.owner.providedFor, kTarget);
    EXPECT_EQ(rig.owner.waits, std::vector<uint32_t>{kPasteRequestLimitMs});
    // The expansion stays on the clipboard, still kept out of history.
    EXPECT_EQ(rig.clip.Text(), u"Kind regards ");
    EXPECT_EQ(rig.clip.Contents().size(), 4u);
    for (unsigned f : {0xC003u, 0xC004u, 0xC005u}) EXPECT_EQ(rig.clip.Contents().at(f), Bytes(4, 0));

    // Rich text is offered beside its text, and the target takes either;
    // the casing rule does not touch rich text's plain form.
    Rig rich(false);
    rich.owner.reads = {{0, {0xC000, kCfUnicodeText}}};
    rich.state.allCapitals = true;
    EXPECT_EQ(rich.Expand(u"BOLD", ShortcutEntry::Make(ShortcutKind::RichText, u"Plain Strong", "{\\rtf1 P}")), 11);
    EXPECT_EQ(rich.owner.pasted, (std::vector<std::optional<Bytes>>{RtfBlock("{\\rtf1 P}"), Units(u"Plain Strong ", 2)}));
}

TEST(ExpansionClipboard, RestoreGivesBackEveryKindOfFormatOnceThePasteIsDone) {
    Rig rig(/*restore=*/true);
    rig.FillUserClipboard();
    auto before = rig.clip.Contents();
    EXPECT_EQ(rig.Expand(u"SIG", Text(u"Kind regards")), 11);
    // The target got the expansion, not the old text.
    EXPECT_EQ(rig.owner.pasted, (std::vector<std::optional<Bytes>>{Units(u"Kind regards ", 2)}));
    // Everything is back byte for byte, but the forms the system makes
    // from others and the handle only its owner could copy.
    before.erase(kCfText);
    before.erase(kCfBitmap);
    before.erase(0x280);
    EXPECT_EQ(rig.clip.Contents(), before);
    EXPECT_TRUE(rig.clip.Delayed().empty());
    // Saved in the expansion's own opening; put back only after the target
    // closed the clipboard, in one more opening: two changes in all for
    // programs watching the clipboard.
    const size_t saved = rig.IndexOf("clipboard Formats");
    const size_t emptied = rig.IndexOf("clipboard Empty");
    EXPECT_LT(rig.IndexOf("clipboard Open 0x3000"), saved);
    EXPECT_LT(saved, emptied);
    const size_t targetClose = rig.IndexOf("clipboard Close", rig.IndexOf("clipboard Open 0x1000"));
    const size_t restored = rig.IndexOf("clipboard Empty", emptied + 1);
    EXPECT_LT(targetClose, restored);
    EXPECT_EQ(rig.log[restored - 1], "clipboard Open 0x3000");
    EXPECT_EQ(rig.log.back(), "clipboard Close");
    EXPECT_EQ(std::count(rig.log.begin(), rig.log.end(), "clipboard Empty"), 2);
}

// Every read of the paste gets the expansion, and the user's clipboard
// comes back once the paste has been quiet, or, when the target's own
// program was not seen asking, once a target has had its time to paste.
TEST(ExpansionClipboard, EveryReadOfAPasteGetsTheExpansionAndTheClipboardComesBackAfterIt) {
    const Bytes text = Units(u"Kind regards ", 2);
    struct Case {
        const char* what;
        std::function<void(Rig&)> arrange;
        uint32_t doneAfterMs;
        std::vector<std::optional<Bytes>> pasted;
        EntryRef entry = Text(u"Kind regards");
    };
    const Case cases[] = {
        {"one read", [](Rig&) {}, kPasteQuietMs, {text}},
        // Text first, then the rich form 50 ms later, in openings of their own.
        {"two reads", [](Rig& r) { r.owner.reads = {{0, {kCfUnicodeText}}, {50, {0xC000}}}; }, 50 + kPasteQuietMs,
         {text, RtfBlock("{\\rtf1 K}")}, ShortcutEntry::Make(ShortcutKind::RichText, u"Kind regards", "{\\rtf1 K}")},
        {"request just within the limit", [](Rig& r) { r.owner.reads = {{kPasteRequestLimitMs, {kCfUnicodeText}}}; },
         kPasteRequestLimitMs + kPasteQuietMs, {text}},
        // The target read what a viewer had rendered, without a request.
        {"viewer first", [](Rig& r) { r.owner.viewerReadsFirst = true; }, kUnseenPasteMs, {text}},
        // The target's engine, a program of its own.
        {"another process", [](Rig& r) { r.owner.targetReader = 0x6000, r.owner.reads = {{30, {kCfUnicodeText}}}; },
         kUnseenPasteMs, {text}},
        {"console", [](Rig& r) { r.state.isConsole = true; }, kConsolePasteDelayMs + kPasteQuietMs, {text}},
        // A history tool reading the user's last copy holds the clipboard.
        {"clipboard held a while", [](Rig& r) { r.clip.FailOpen(2, 10); }, 10 * 2 + kPasteQuietMs, {text}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Rig rig(true);
        rig.FillUserClipboard();
        c.arrange(rig);
        EXPECT_EQ(rig.Expand(u"SIG", c.entry), 11);
        rig.owner.Requests();  // any read still to come happens now
        EXPECT_EQ(rig.owner.pasted, c.pasted);
        if (rig.owner.viewerReadsFirst) EXPECT_EQ(rig.owner.viewed, text);
        EXPECT_EQ(rig.clip.Text(), u"old text");
        EXPECT_EQ(rig.clock.TickMs(), kStart + c.doneAfterMs);
    }

    // A console pastes through its menu once the clipboard holds the text.
    Rig console(true);
    console.state.isConsole = true;
    console.Expand(u"DW", Text(u"dir /w"));
    EXPECT_EQ(console.log[console.IndexOf("output PostMessage 0x1000 WM_COMMAND 0xFFF1 0") + 1], "clipboard Open 0x1000");

    // A clipboard that cannot be had: nothing erased.
    Rig held(true);
    held.FillUserClipboard();
    held.clip.FailOpen(2, 1000);
    EXPECT_EQ(held.Expand(u"SIG", Text(u"x")), 12);
    EXPECT_TRUE(held.keys.SendInputCalls().empty());
    EXPECT_EQ(held.clock.TickMs(), kStart + kClipboardOpenLimitMs);
}

TEST(ExpansionClipboard, SavingIsBoundInSizeAndInTime) {
    // A format over the limit is left out; the rest comes back.
    Rig big(true);
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
    Rig slow(true);
    slow.FillUserClipboard();
    slow.clip.SetReadCost(&slow.clock, kSaveLimitMs / 4);
    EXPECT_EQ(slow.Expand(u"SIG", Text(u"x")), 11);
    ASSERT_EQ(slow.owner.pasted.size(), 1u);
    EXPECT_EQ(slow.owner.pasted[0], Units(u"x ", 2));
    EXPECT_EQ(slow.clip.Text(), u"x ");
    EXPECT_EQ(slow.diagnostics,
              Lines{"Clipboard: saving it took over 500 ms; it is not given back after this expansion"});
}

// Whatever step fails once the user's clipboard is at stake, it comes back,
// the owner waits for no paste, and another program can paste at once.
TEST(ExpansionClipboard, NoFailureLeavesTheClipboardEmptiedOrTheOwnerWaiting) {
    struct Case {
        const char* name;
        std::function<void(Rig&)> fail;
        bool erased;  // keys were sent before the failure
    };
    const Case cases[] = {
        {"emptying", [](Rig& r) { r.clip.FailEmpty(true); }, false},
        {"offering", [](Rig& r) { r.clip.FailOffer(true); }, false},
        {"keeping it out of history", [](Rig& r) { r.clip.RefuseName(u"ExcludeClipboardContentFromMonitorProcessing"); },
         false},
        {"closing after the offer", [](Rig& r) { r.clip.FailClose(2, 1); }, false},
        {"erasing", [](Rig& r) { r.keys.FailSendInput(2, 0); }, true},
        {"pasting", [](Rig& r) { r.keys.FailSendInput(5, 2); }, true},
        {"giving back, first tries", [](Rig& r) { r.keys.FailSendInput(5, 0), r.clip.FailOpen(3, 5); }, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Rig rig(true);
        rig.FillUserClipboard();
        const auto before = rig.clip.Contents();
        c.fail(rig);
        EXPECT_EQ(rig.Expand(u"SIG", Text(u"x")), 12);
        EXPECT_EQ(!rig.keys.SendInputCalls().empty(), c.erased);
        EXPECT_FALSE(rig.owner.Awaiting());
        EXPECT_TRUE(rig.owner.waits.empty());
        EXPECT_FALSE(rig.clip.IsOpen());
        EXPECT_TRUE(rig.clip.Delayed().empty());
        EXPECT_EQ(rig.clip.Text(), u"old text");
        EXPECT_EQ(rig.clip.Contents().at(rig.clip.FormatOf(u"Kestrix Probe Bytes")),
                  before.at(rig.clip.FormatOf(u"Kestrix Probe Bytes")));
    }
}


TEST(ExpansionClipboard, AnExpansionNotTakenInTimeStaysAndHandsTheUsersClipboardToTheNext) {
    Rig rig(true);
    rig.FillUserClipboard();
    const auto before = rig.clip.Contents();
    rig.owner.targetPastes = false;
    EXPECT_EQ(rig.Expand(u"SIG", Text(u"first")), 11);
    // Waited exactly the limit, then left the expansion there, still to be
    // rendered when the target asks later, rather than the user's text.
    EXPECT_EQ(rig.clock.TickMs(), kStart + kPasteRequestLimitMs);
    EXPECT_EQ(rig.clip.Delayed(), std::set<unsigned>{kCfUnicodeText});
    EXPECT_EQ(rig.log.back(), kCtrlV);
    ASSERT_TRUE(rig.clip.Open(kTarget));
    EXPECT_EQ(rig.clip.GetData(kCfUnicodeText), Units(u"first ", 2));
    rig.clip.Close();
    // The next one finds its own earlier text on the clipboard and gives
    // back what the user had, not that.
    rig.owner.targetPastes = true;
    rig.Expand(u"SIG", Text(u"second"));
    EXPECT_EQ(rig.owner.pasted, (std::vector<std::optional<Bytes>>{Units(u"second ", 2)}));
    EXPECT_EQ(rig.clip.Contents().at(rig.clip.FormatOf(u"Kestrix Probe Bytes")),
              before.at(rig.clip.FormatOf(u"Kestrix Probe Bytes")));

    // Unless another program copied something meanwhile: that is what the
    // user has now.
    Rig other(true);
    other.FillUserClipboard();
    other.owner.targetPastes = false;
    other.Expand(u"SIG", Text(u"first"));
    other.clip.Open(0x5555);
    other.clip.Empty();
    other.clip.SetData(kCfUnicodeText, Units(u"copied since", 2));
    other.clip.Close();
    other.owner.targetPastes = true;
    other.Expand(u"SIG", Text(u"second"));
    EXPECT_EQ(other.clip.Text(), u"copied since");
    EXPECT_EQ(other.clip.Contents().size(), 1u);

    // An empty clipboard comes back empty.
    Rig empty(true);
    EXPECT_EQ(empty.Expand(u"SIG", Text(u"x")), 11);
    EXPECT_TRUE(empty.clip.Contents().empty());
}

TEST(ExpansionClipboard, TheClipboardGoesBackAsSoonAsTheTargetLetsGo) {
    // Opens: 1 the expansion, 2 the target; the target holds on to the
    // clipboard for the next 10 of ours.
    Rig rig(true);
    rig.FillUserClipboard();
    const unsigned opensSoFar = 1;  // FillUserClipboard's
    rig.clip.FailOpen(opensSoFar + 3, 10);
    EXPECT_EQ(rig.Expand(u"SIG", Text(u"x")), 11);
    EXPECT_EQ(rig.clip.Text(), u"old text");
    EXPECT_EQ(rig.clock.TickMs(), kStart + kPasteQuietMs + 10 * kPasteClosePollMs);

    // A target that never lets go: we give up and leave the expansion.
    Rig stuck(true);
    stuck.FillUserClipboard();
    stuck.clip.FailOpen(opensSoFar + 3, 100000);
    EXPECT_EQ(stuck.Expand(u"SIG", Text(u"x")), 11);
    EXPECT_EQ(stuck.clip.Text(), u"x ");
    EXPECT_EQ(stuck.clock.TickMs(), kStart + kPasteCloseLimitMs + kPasteClosePollMs);
}

}  // namespace
}  // namespace kx
