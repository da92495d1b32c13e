// The application's rules, checked without its windows: the forwarded
// command line, the switches, the window placement, the list texts, imports,
// the run entries, the picture editor's fields, the start-up rules (with the
// rich text editor's template on a dialog of our own) and the comparison
// without regard to case.
#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "app/editors/editor_request.h"
#include "app/editors/picture_fields.h"
#include "app/editors/rich_edit_template.h"
#include "app/editors/text_import.h"
#include "app/lifecycle/command_line_block.h"
#include "app/lifecycle/exe_path.h"
#include "app/lifecycle/install_reboot.h"
#include "app/lifecycle/switches.h"
#include "app/main/edit_keys.h"
#include "app/main/list_text.h"
#include "app/main/placement_rule.h"
#include "app/resource_ids.h"
#include "app/shell/run_entries.h"
#include "base/text.h"
#include "base/unicode_case.h"
#include "platform/fake/memory_registry.h"
#include "tests/support/data_rig.h"

namespace kx {
namespace {

// A second start's command line goes to the running program as a block of
// one size: at most 128 arguments of 259 units each. (A block of another
// size, and an argument past the 128th, are the GUI suite's.)
TEST(ForwardedCommandLine, RoundTripsAndCuts) {
    std::vector<std::u16string> args(200, u"arg");
    args[0] = u"C:\\Program Files\\Kestrix\\kestrix.exe";
    args[1] = std::u16string(300, u'x');
    std::vector<uint8_t> block = EncodeCommandLineBlock(args);
    ASSERT_EQ(block.size(), 0x10404u);
    std::vector<std::u16string> got;
    ASSERT_TRUE(DecodeCommandLineBlock(block.data(), block.size(), got));
    ASSERT_EQ(got.size(), 128u);
    EXPECT_EQ(got[0], args[0]);
    EXPECT_EQ(got[1], std::u16string(259, u'x'));
    for (auto [count, expected] : {std::pair{0xFFFFFFFFu, 0u}, {0x1000u, 128u}}) {  // -1 and 4096
        for (int i = 0; i < 4; ++i) block[size_t(i)] = uint8_t(count >> (8 * i));
        ASSERT_TRUE(DecodeCommandLineBlock(block.data(), block.size(), got));
        EXPECT_EQ(got.size(), expected);
    }
}

TEST(Switches, LastRelevantWinsAndExitEndsAtOnce) {
    const std::pair<std::vector<std::u16string>, StartAction> rows[] = {
        {{u"p"}, StartAction::Show},
        {{u"p", u"-SHOW", u"-hide"}, StartAction::Hide},
        {{u"p", u"-hide", u"-Show"}, StartAction::Show},
        {{u"p", u"-logon"}, StartAction::Hide},
        {{u"p", u"-show", u"-exit", u"-show"}, StartAction::Exit},
        {{u"p", u"/other"}, StartAction::None},
    };
    for (const auto& [args, action] : rows) EXPECT_EQ(ActionForArguments(args), action) << Utf16ToUtf8(args.back());
    EXPECT_TRUE(StartsAtLogon({u"p", u"-LOGON"}));
    EXPECT_FALSE(StartsAtLogon({u"p", u"-show", u"-logon"}));
    EXPECT_EQ(AutorunRequestFor({u"p", u"-setautorun", u"X1"}), AutorunRequest::Add);
    EXPECT_EQ(AutorunRequestFor({u"p", u"-setautorun", u"X0"}), AutorunRequest::Remove);
    EXPECT_EQ(AutorunRequestFor({u"p", u"-setautorun", u"X"}), AutorunRequest::Refused);
    EXPECT_EQ(AutorunRequestFor({u"p", u"-show"}), AutorunRequest::None);
}

// The first start's centred window and a stored one past the desktop's edge
// are the GUI suite's.
TEST(Placement, DefaultsFillWhatIsMissingAndFitOnlyBeforeAnyWasStored) {
    const PlacementMetrics m{696, 325, 780, 377, {0, 0, 1280, 1000}};
    EXPECT_EQ(MainWindowRect({}, m).Width(), 780);
    const PixelRect small = MainWindowRect({10, 20, 100, 0}, m);
    EXPECT_EQ(small.Width(), 696);  // at least the minimum
    EXPECT_EQ(small.Height(), 377);  // 0 means the default
    EXPECT_EQ(small.left, 10);
    // Without a stored height the rectangle is moved into the desktop.
    const PixelRect fitted = MainWindowRect({3000, 2000, 800, std::nullopt}, m);
    EXPECT_EQ(fitted.right, 1280);
    EXPECT_EQ(fitted.bottom, 1000);
}

// The search box edits with its keys; the window's commands keep theirs.
// (Ctrl+A, Ctrl+X and Ctrl+V typed into the box are the options suite's.)
TEST(EditKeys, TheSearchBoxKeepsItsEditingKeys) {
    struct Row { unsigned vk; bool ctrl, alt, box; } rows[] = {
        {'Z', true, false, true},        {VK_DELETE, false, false, true}, {VK_BACK, false, false, true},
        {VK_DELETE, true, false, true},  {VK_LEFT, true, false, true}, {'Q', false, false, true},
        {'O', true, false, false},       {'P', true, false, false},    {'F', true, false, false},
        {VK_F1, false, false, false},    {'F', false, true, false},
    };
    for (const Row& r : rows) EXPECT_EQ(EditBoxOwnsKey(r.vk, r.ctrl, r.alt), r.box) << r.vk << " " << r.ctrl;
}

TEST(ListText, PreviewsAndHotkeyNames) {
    EXPECT_EQ(PreviewText(u"a\r\nb\tc"), u"a  b c");
    EXPECT_EQ(PreviewText(std::u16string(300, u'z')).size(), 259u);
    EXPECT_EQ(AutoCompleteHotkeyText(true, u"shift+alt+enter"), u"Shift + Alt + Enter");
    EXPECT_EQ(AutoCompleteHotkeyText(true, u"CTRL+SHIFT+Q"), u"Ctrl + Alt + Enter");
    EXPECT_EQ(AutoCompleteHotkeyText(false, u"CTRL+ALT+SPACE"), u"");
}

TEST(Import, SizeLimitRichDetectionAndPlainDecoding) {
    EXPECT_TRUE(ImportSizeAllowed(102400));
    EXPECT_FALSE(ImportSizeAllowed(102401));
    EXPECT_EQ(RichTextFromImport("\xEF\xBB\xBF{\\rtf1 x}"), "{\\rtf1 x}");
    EXPECT_EQ(RichTextFromImport("plain {words}\\"), "{\\rtf1\\ansi\\pard plain \\{words\\}\\\\}");
    EXPECT_EQ(PlainTextFromImport(std::string_view("\xFF\xFE" "h\0i\0", 6)), u"hi");
    EXPECT_EQ(PlainTextFromImport("caf\xC3\xA9"), u"caf\u00e9");
    EXPECT_EQ(PlainTextFromImport("caf\xE9"), u"caf\u00e9");  // ANSI
    const std::string rtf = PlainTextToRtf(u"a{b}\\\r\nline 2 \u00e9");
    EXPECT_NE(rtf.find("a\\{b\\}\\\\\\par\nline 2 \\u233?"), std::string::npos);
}

TEST(Editors, KeywordInUseIgnoresCaseButNotTheEditedOne) {
    StoreRef store = ShortcutStore::Create();
    store->Insert(u"SIG", ShortcutEntry::Make(ShortcutKind::SimpleText, u"x"));
    EXPECT_TRUE(KeywordInUse(*store, u"sig", u""));
    EXPECT_FALSE(KeywordInUse(*store, u"sig", u"SIG"));
    EXPECT_FALSE(KeywordInUse(*store, u"sigs", u""));
    // Every letter's case, not only ASCII's.
    store->Insert(u"\u00C4RGER", ShortcutEntry::Make(ShortcutKind::SimpleText, u"x"));
    EXPECT_TRUE(KeywordInUse(*store, u"\u00E4rger", u""));
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

// The picture editor's rules: which file and sizes it refuses, and how the
// percentage, the width and the height follow one another.

TEST(PictureFields, RefusalsInTheOrderTheUserMeetsThem) {
    const struct {
        const char16_t *path, *width, *height;
        bool exists;
        PictureFieldCheck expected;
    } rows[] = {
        {u"", u"0", u"0", false, PictureFieldCheck::NoPath},
        {u"C:\\gone.txt", u"0", u"0", false, PictureFieldCheck::PathMissing},
        {u"C:\\notes.txt", u"0", u"0", true, PictureFieldCheck::Unsupported},
        {u"C:\\pictures", u"0", u"0", true, PictureFieldCheck::Unsupported},  // no extension
        {u"C:\\a.png", u"05", u"0", true, PictureFieldCheck::WidthZero},
        {u"C:\\a.png", u"2001", u"0", true, PictureFieldCheck::HeightZero},
        {u"C:\\a.png", u"2001", u"2001", true, PictureFieldCheck::WidthTooLarge},
        {u"C:\\a.png", u"2000", u"2001", true, PictureFieldCheck::HeightTooLarge},
        {u"C:\\a.png", u"2000", u"2000", true, PictureFieldCheck::Ok},
        {u"C:\\a.png", u"", u"", true, PictureFieldCheck::Ok},  // the picture's own size
        {u"C:\\a.png", u"5", u"99999999999999", true, PictureFieldCheck::HeightTooLarge},
    };
    for (const auto& r : rows)
        EXPECT_EQ(CheckPictureFields(r.path, r.exists, r.width, r.height), r.expected)
            << Utf16ToUtf8(r.path) << " " << Utf16ToUtf8(r.width) << " x " << Utf16ToUtf8(r.height);
    EXPECT_EQ(SizeFieldValue(u"12a"), 0);
    for (auto path : {u"a.jpeg", u"a.JPG", u"a.Png", u"a.bmp", u"a.GIF", u"C:\\x.y\\Logo.JpEg"})
        EXPECT_TRUE(IsPictureExtension(path)) << Utf16ToUtf8(path);
    for (auto path : {u"a.tif", u"a.png.txt", u"png", u"C:\\x.png\\file", u"a.jpe"})
        EXPECT_FALSE(IsPictureExtension(path)) << Utf16ToUtf8(path);
}

// The slider's percentage of the picture's own size, or the side typed with
// the other in proportion; beyond the slider's 1 to 200% its end is taken.
TEST(PictureSizes, PercentWidthAndHeightFollowOneAnother) {
    const struct {
        const char* what;
        PictureSize size;
        int percent, width, height;
    } rows[] = {
        {"50%", SizeAtPercent(300, 151, 50), 50, 150, 75},
        {"250%", SizeAtPercent(300, 151, 250), 200, 600, 302},
        {"0%", SizeAtPercent(300, 151, 0), 1, 3, 1},
        {"width 100", SizeForWidth(400, 200, 100), 25, 100, 50},
        {"height 300", SizeForHeight(400, 200, 300), 150, 600, 300},
        {"width 1000", SizeForWidth(400, 200, 1000), 200, 800, 400},
        {"height 1", SizeForHeight(400, 200, 1), 1, 4, 2},
    };
    for (const auto& r : rows) {
        EXPECT_EQ(r.size.percent, r.percent) << r.what;
        EXPECT_EQ(r.size.width, r.width) << r.what;
        EXPECT_EQ(r.size.height, r.height) << r.what;
    }
}

// Start-up rules of the application: where the hook module is loaded from,
// the restart an installation asks for, and the rich text editor's template
// where only the older rich edit library exists.

TEST(ExePath, ModulesComeFromTheRunningProgramsFolderWhateverTheValueNames) {
    testing::ScratchDir dir;
    const std::u16string elsewhere = dir.Path("kestrix.exe");
    std::ofstream(std::filesystem::path(elsewhere)) << "MZ";
    const std::u16string running = u"C:\\Running\\kestrix.exe";
    MemoryRegistry reg;
    SettingsStore settings(reg);

    // Another existing program (an installer's, or one on a share), nothing,
    // a folder: the running program's folder, and its path written in place.
    for (const std::u16string& value : {elsewhere, std::u16string(), std::u16string(FolderOf(elsewhere)),
                                        std::u16string(u"\\\\server\\share\\kestrix.exe")}) {
        settings.Write(settings::ExePath, value);
        EXPECT_EQ(ModuleFolder(settings, running), u"C:\\Running\\");
        EXPECT_EQ(settings.Read(settings::ExePath), running);
    }
}

// Records the order of the calls; each step answers as told.
struct RecordingRestart final : SystemRestart {
    std::string calls;
    bool privilege = true, restarts = true;
    bool EnableShutdownPrivilege() override { return calls += "privilege ", privilege; }
    bool Restart() override { return calls += "restart ", restarts; }
};

TEST(Reboot, TheInstallsQuestionIsAskedOnceAndTheShutdownPrivilegeComesFirst) {
    const struct {
        int answer;
        bool privilege, restarts, restarted;
        const char* calls;
        bool reported;  // "Windows could not be restarted"
    } rows[] = {
        {0, true, true, true, "privilege restart ", false},   // Reboot Now
        {0, true, false, false, "privilege restart ", true},  // the restart fails: the start goes on
        {0, false, true, false, "privilege ", true},          // without the privilege it is not even tried
        {1, true, true, false, "", false},                    // Reboot Manually Later
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.calls);
        MemoryRegistry reg;
        SettingsStore settings{reg};
        settings.WriteBool(settings::AskAboutRebootingToCompleteInstall, true);
        test::ScriptedPrompt prompt;
        RecordingRestart system;
        system.privilege = r.privilege, system.restarts = r.restarts;
        prompt.Answer(r.answer);
        EXPECT_EQ(RebootIfInstallAsks(settings, prompt, system), r.restarted);
        EXPECT_EQ(system.calls, r.calls);
        EXPECT_EQ(prompt.asked.size(), 1u);
        EXPECT_EQ(prompt.shown.size(), r.reported ? 1u : 0u);
        EXPECT_EQ(!prompt.shown.empty() && prompt.shown[0].find(u"could not be restarted") != std::u16string::npos,
                  r.reported);
        EXPECT_FALSE(settings.ReadBool(settings::AskAboutRebootingToCompleteInstall));
        EXPECT_FALSE(RebootIfInstallAsks(settings, prompt, system));
        EXPECT_EQ(prompt.asked.size(), 1u) << "no second question";
    }
}

INT_PTR CALLBACK PlainDialog(HWND, UINT message, WPARAM, LPARAM) { return message == WM_INITDIALOG; }

std::wstring ClassOf(HWND w) {
    wchar_t name[64] = {};
    ::GetClassNameW(w, name, 64);
    return name;
}

// The rich text editor's own template, taken from the built program.
TEST(RichEditTemplate, WithoutMsfteditTheEditorRunsOnRichEdit20W) {
    const std::wstring program = std::filesystem::path(KX_BINARY_DIR "/app/kestrix.exe").wstring();
    HMODULE resources =
        ::LoadLibraryExW(program.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    ASSERT_NE(resources, nullptr) << "kestrix.exe is built beside the tests";
    HMODULE riched20 = ::LoadLibraryW(L"riched20.dll");
    ASSERT_NE(riched20, nullptr);

    std::vector<uint8_t> copy = TemplateWithRichEditClass(resources, IDD_RICH_TEXT, kRichEdit20Class);
    ASSERT_FALSE(copy.empty());
    HWND dialog = ::CreateDialogIndirectParamW(::GetModuleHandleW(nullptr),
                                               reinterpret_cast<LPCDLGTEMPLATEW>(copy.data()), nullptr,
                                               &PlainDialog, 0);
    ASSERT_NE(dialog, nullptr);
    HWND edit = ::GetDlgItem(dialog, IDC_RICH_EXPANSION);
    EXPECT_EQ(ClassOf(edit), kRichEdit20Class);
    // The other controls are where they were.
    EXPECT_EQ(ClassOf(::GetDlgItem(dialog, IDC_EDIT_KEYWORD)), L"Edit");
    ::DestroyWindow(dialog);

    // With the newer class asked for, the template is unchanged.
    EXPECT_EQ(TemplateWithRichEditClass(resources, IDD_RICH_TEXT, kRichEdit50Class).size(), copy.size());
    EXPECT_NE(TemplateWithRichEditClass(resources, IDD_RICH_TEXT, kRichEdit50Class), copy);
    ::FreeLibrary(resources);
}

// The comparison without regard to case that the Windows build asks
// CompareStringOrdinal for, against the generated tables the other builds
// use: both must call the same letters equal.

// Every pair of units within each block, and every unit against its table
// upper and lower case (which may lie in another block, as Georgian's
// capitals do).
TEST(UnicodeCaseWin32, CompareStringOrdinalAgreesWithTheTables) {
    const std::pair<char16_t, char16_t> blocks[] = {
        {0x00C0, 0x00FF}, {0x0100, 0x017F}, {0x0180, 0x024F}, {0x0370, 0x03FF},  // Latin-1, Extended-A, -B, Greek
        {0x0400, 0x04FF}, {0x0530, 0x058F}, {0x10A0, 0x10FF}, {0x1C90, 0x1CBF},  // Cyrillic, Armenian, Georgian
    };
    for (const auto& [first, last] : blocks) {
        std::string differ;
        for (wchar_t a = first; a <= last; ++a) {
            std::vector<wchar_t> others{wchar_t(ToUpperUnit(a)), wchar_t(ToLowerUnit(a))};
            for (wchar_t c = first; c <= last; ++c) others.push_back(c);
            for (wchar_t b : others) {
                const bool table = OrdinalUpperUnit(a) == OrdinalUpperUnit(b);
                if ((::CompareStringOrdinal(&a, 1, &b, 1, TRUE) == CSTR_EQUAL) != table && differ.size() < 400)
                    differ += "\n  U+" + std::to_string(unsigned(a)) + " U+" + std::to_string(unsigned(b)) +
                              (table ? ": tables say equal" : ": tables say different");
            }
        }
        EXPECT_EQ(differ, "") << "block from " << unsigned(first);
    }
    // Texts order by their upper-cased units, as the portable rule orders
    // them: U+00C0 before U+00C1. (The native comparison tests run here too.)
    EXPECT_LT(CompareNoCase(u"\u00e0", u"\u00c1"), 0);
}

}  // namespace
}  // namespace kx
