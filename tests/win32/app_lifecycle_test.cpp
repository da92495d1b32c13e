// Start-up rules of the application: where the hook module is loaded from,
// the restart an installation asks for, and the rich text editor's template
// where only the older rich edit library exists.
#include <gtest/gtest.h>

#include <windows.h>

#include <fstream>

#include "app/editors/rich_edit_template.h"
#include "app/lifecycle/exe_path.h"
#include "app/lifecycle/install_reboot.h"
#include "app/resource_ids.h"
#include "platform/fake/memory_registry.h"
#include "tests/support/data_rig.h"

namespace kx {
namespace {

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
    bool EnableShutdownPrivilege() override {
        calls += "privilege ";
        return privilege;
    }
    bool Restart() override {
        calls += "restart ";
        return restarts;
    }
};

struct RebootTest : ::testing::Test {
    MemoryRegistry reg;
    SettingsStore settings{reg};
    test::ScriptedPrompt prompt;
    RecordingRestart system;
    void SetUp() override { settings.WriteBool(settings::AskAboutRebootingToCompleteInstall, true); }
};

TEST_F(RebootTest, RebootNowEnablesTheShutdownPrivilegeFirstAndAsksOnce) {
    prompt.Answer(0);
    EXPECT_TRUE(RebootIfInstallAsks(settings, prompt, system));
    EXPECT_EQ(system.calls, "privilege restart ");
    ASSERT_EQ(prompt.asked.size(), 1u);
    EXPECT_EQ(prompt.asked[0].title, u"Reboot Required");
    EXPECT_EQ(prompt.asked[0].buttons, (std::vector<std::u16string>{u"Reboot Now", u"Reboot Manually Later"}));
    EXPECT_TRUE(prompt.shown.empty());
    EXPECT_FALSE(settings.ReadBool(settings::AskAboutRebootingToCompleteInstall));
    EXPECT_FALSE(RebootIfInstallAsks(settings, prompt, system));  // no second question
}

TEST_F(RebootTest, AFailedRestartIsReportedAndTheStartGoesOn) {
    system.restarts = false;
    prompt.Answer(0);
    EXPECT_FALSE(RebootIfInstallAsks(settings, prompt, system));
    ASSERT_EQ(prompt.shown.size(), 1u);
    EXPECT_NE(prompt.shown[0].find(u"Windows could not be restarted"), std::u16string::npos);

    // Without the privilege the restart is not even tried.
    settings.WriteBool(settings::AskAboutRebootingToCompleteInstall, true);
    system = {};
    system.privilege = false;
    prompt.Answer(0);
    EXPECT_FALSE(RebootIfInstallAsks(settings, prompt, system));
    EXPECT_EQ(system.calls, "privilege ");
    EXPECT_EQ(prompt.shown.size(), 2u);
}

TEST_F(RebootTest, RebootManuallyLaterRestartsNothing) {
    prompt.Answer(1);
    EXPECT_FALSE(RebootIfInstallAsks(settings, prompt, system));
    EXPECT_EQ(system.calls, "");
    EXPECT_TRUE(prompt.shown.empty());
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

}  // namespace
}  // namespace kx
