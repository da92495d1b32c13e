// The application's rules that need no window: the forwarded command line,
// the switches, the window placement, the list texts, imports and the run
// entries.
#include <windows.h>

#include <gtest/gtest.h>

#include "app/editors/editor_request.h"
#include "app/editors/text_import.h"
#include "app/lifecycle/command_line_block.h"
#include "app/lifecycle/switches.h"
#include "app/main/edit_keys.h"
#include "app/main/list_text.h"
#include "app/main/placement_rule.h"
#include "app/shell/run_entries.h"
#include "platform/fake/memory_registry.h"

namespace kx {
namespace {

TEST(ForwardedCommandLine, RoundTripsAndCutsCountAndLength) {
    std::vector<std::u16string> args(200, u"arg");
    args[0] = u"C:\\Program Files\\Kestrix\\kestrix.exe";
    args[1] = std::u16string(300, u'x');
    const std::vector<uint8_t> block = EncodeCommandLineBlock(args);
    ASSERT_EQ(block.size(), 0x10404u);
    std::vector<std::u16string> got;
    ASSERT_TRUE(DecodeCommandLineBlock(block.data(), block.size(), got));
    ASSERT_EQ(got.size(), 128u);
    EXPECT_EQ(got[0], args[0]);
    EXPECT_EQ(got[1], std::u16string(259, u'x'));
    EXPECT_EQ(got[127], u"arg");
}

TEST(ForwardedCommandLine, RefusesOtherSizesAndClampsCounts) {
    std::vector<uint8_t> block = EncodeCommandLineBlock({u"p", u"-show"});
    std::vector<std::u16string> got;
    EXPECT_FALSE(DecodeCommandLineBlock(block.data(), block.size() - 1, got));
    EXPECT_TRUE(got.empty());
    block[0] = 0xFF, block[1] = 0xFF, block[2] = 0xFF, block[3] = 0xFF;  // -1
    ASSERT_TRUE(DecodeCommandLineBlock(block.data(), block.size(), got));
    EXPECT_TRUE(got.empty());
    block[0] = 0x00, block[1] = 0x10, block[2] = 0, block[3] = 0;  // 4096
    ASSERT_TRUE(DecodeCommandLineBlock(block.data(), block.size(), got));
    EXPECT_EQ(got.size(), 128u);
}

TEST(Switches, LastRelevantWinsAndExitEndsAtOnce) {
    EXPECT_EQ(ActionForArguments({u"p"}), StartAction::Show);
    EXPECT_EQ(ActionForArguments({u"p", u"-SHOW", u"-hide"}), StartAction::Hide);
    EXPECT_EQ(ActionForArguments({u"p", u"-hide", u"-Show"}), StartAction::Show);
    EXPECT_EQ(ActionForArguments({u"p", u"-logon"}), StartAction::Hide);
    EXPECT_EQ(ActionForArguments({u"p", u"-show", u"-exit", u"-show"}), StartAction::Exit);
    EXPECT_EQ(ActionForArguments({u"p", u"/other"}), StartAction::None);
    EXPECT_TRUE(StartsAtLogon({u"p", u"-LOGON"}));
    EXPECT_FALSE(StartsAtLogon({u"p", u"-show", u"-logon"}));
    EXPECT_EQ(AutorunRequestFor({u"p", u"-setautorun", u"X1"}), AutorunRequest::Add);
    EXPECT_EQ(AutorunRequestFor({u"p", u"-setautorun", u"X0"}), AutorunRequest::Remove);
    EXPECT_EQ(AutorunRequestFor({u"p", u"-setautorun", u"X"}), AutorunRequest::Refused);
    EXPECT_EQ(AutorunRequestFor({u"p", u"-show"}), AutorunRequest::None);
}

TEST(Placement, DefaultsAreCentredAndFittedOnlyBeforeAnyWasStored) {
    const PlacementMetrics m{696, 325, 780, 377, {0, 0, 1280, 1000}};
    const PixelRect centred = MainWindowRect({}, m);
    EXPECT_EQ(centred.Width(), 780);
    EXPECT_EQ(centred.left, 640 - 390);
    const PixelRect small = MainWindowRect({10, 20, 100, 0}, m);
    EXPECT_EQ(small.Width(), 696);  // at least the minimum
    EXPECT_EQ(small.Height(), 377);  // 0 means the default
    EXPECT_EQ(small.left, 10);
    // A stored placement on a monitor that is gone stays where it was.
    const PixelRect away = MainWindowRect({3000, 2000, 800, 400}, m);
    EXPECT_EQ(away.left, 3000);
    EXPECT_EQ(away.top, 2000);
    // Without a stored height the rectangle is moved into the desktop.
    const PixelRect fitted = MainWindowRect({3000, 2000, 800, std::nullopt}, m);
    EXPECT_EQ(fitted.right, 1280);
    EXPECT_EQ(fitted.bottom, 1000);
}

// The search box edits with its keys; the window's commands keep theirs.
TEST(EditKeys, TheSearchBoxKeepsItsEditingKeys) {
    struct Row { unsigned vk; bool ctrl, alt, box; } rows[] = {
        {'X', true, false, true},        {'A', true, false, true},     {'V', true, false, true},
        {'Z', true, false, true},        {VK_DELETE, false, false, true}, {VK_BACK, false, false, true},
        {VK_DELETE, true, false, true},  {VK_LEFT, true, false, true}, {'Q', false, false, true},
        {'O', true, false, false},       {'P', true, false, false},    {'F', true, false, false},
        {VK_F1, false, false, false},    {'F', false, true, false},
    };
    for (const Row& r : rows) EXPECT_EQ(EditBoxOwnsKey(r.vk, r.ctrl, r.alt), r.box) << r.vk << " " << r.ctrl;
}

TEST(ListText, PreviewsLocationsAndTooltips) {
    EXPECT_EQ(PreviewText(u"a\r\nb\tc"), u"a  b c");
    EXPECT_EQ(PreviewText(std::u16string(300, u'z')).size(), 259u);
    EXPECT_EQ(LocationText(2 | 16), u"Shared is overriding");
    EXPECT_EQ(LocationText(1), u"Local");
    EXPECT_EQ(AutoCompleteHotkeyText(true, u"shift+alt+enter"), u"Shift + Alt + Enter");
    EXPECT_EQ(AutoCompleteHotkeyText(true, u"CTRL+SHIFT+Q"), u"Ctrl + Alt + Enter");
    EXPECT_EQ(AutoCompleteHotkeyText(false, u"CTRL+ALT+SPACE"), u"");
    EXPECT_EQ(AutoCompleteTooltip(true, u""), u"Turn Auto Complete text suggestions Off");
    EXPECT_EQ(AutoCompleteTooltip(false, u"Ctrl + Alt + Space"),
              u"Turn Auto Complete text suggestions On (Ctrl + Alt + Space)");
}

TEST(Import, SizeLimitRichDetectionAndPlainDecoding) {
    EXPECT_TRUE(ImportSizeAllowed(102400));
    EXPECT_FALSE(ImportSizeAllowed(102401));
    EXPECT_EQ(RichTextFromImport("\xEF\xBB\xBF{\\rtf1 x}"), "{\\rtf1 x}");
    EXPECT_EQ(RichTextFromImport("plain {words}\\"), "{\\rtf1\\ansi\\pard plain \\{words\\}\\\\}");
    EXPECT_EQ(PlainTextFromImport(std::string_view("\xFF\xFE" "h\0i\0", 6)), u"hi");
    EXPECT_EQ(PlainTextFromImport("caf\xC3\xA9"), u"caf\u00e9");
    EXPECT_EQ(PlainTextFromImport("caf\xE9"), u"caf\u00e9");  // ANSI
    EXPECT_EQ(StoredRichText(""), "{\\rtf1\\ansi\\pard}");
    const std::string rtf = PlainTextToRtf(u"a{b}\\\r\nline 2 \u00e9");
    EXPECT_NE(rtf.find("a\\{b\\}\\\\\\par\nline 2 \\u233?"), std::string::npos);
}

TEST(Editors, KeywordInUseIgnoresCaseButNotTheEditedOne) {
    StoreRef store = ShortcutStore::Create();
    store->Insert(u"SIG", ShortcutEntry::Make(ShortcutKind::SimpleText, u"x"));
    EXPECT_TRUE(KeywordInUse(*store, u"sig", u""));
    EXPECT_FALSE(KeywordInUse(*store, u"sig", u"SIG"));
    EXPECT_FALSE(KeywordInUse(*store, u"sigs", u""));
    // Every letter's case, not only ASCII's: Ä and ä, Ж and ж.
    store->Insert(u"\u00C4RGER", ShortcutEntry::Make(ShortcutKind::SimpleText, u"x"));
    store->Insert(u"\u0416\u0423\u041A", ShortcutEntry::Make(ShortcutKind::SimpleText, u"x"));
    EXPECT_TRUE(KeywordInUse(*store, u"\u00E4rger", u""));
    EXPECT_TRUE(KeywordInUse(*store, u"\u0436\u0443\u043A", u""));
}

class NoElevation final : public Elevation {
public:
    bool Needed() override { return needed; }
    bool RunElevated(std::u16string_view a) override {
        started.assign(a);
        return works;
    }
    bool needed = false, works = false;
    std::u16string started;
};

TEST(RunEntries, MachineEntryFirstUserEntryAsFallback) {
    MemoryRegistry registry;
    RunEntries entries(registry, u"C:\\Kestrix\\kestrix.exe");
    NoElevation elevation;
    entries.AddAtFirstRun(&elevation);
    EXPECT_EQ(entries.Read(Hive::LocalMachine), u"\"C:\\Kestrix\\kestrix.exe\" -logon");
    EXPECT_FALSE(entries.UserValueExists());
    EXPECT_TRUE(entries.Remove(&elevation));
    EXPECT_FALSE(entries.MachineValueExists());

    elevation.needed = true;  // the elevated start fails: the program writes what it can itself
    EXPECT_FALSE(entries.AddForAllUsers(&elevation));
    EXPECT_EQ(elevation.started, u"-setautorun X1");
    elevation.works = true;
    EXPECT_TRUE(entries.Remove(&elevation));
    EXPECT_EQ(elevation.started, u"-setautorun X0");
}

}  // namespace
}  // namespace kx
