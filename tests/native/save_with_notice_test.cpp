#include "tests/native/database_test_support.h"

#include "core/save_with_notice.h"

namespace kx {
namespace {

using namespace kx::testing;

struct RecordingPrompt final : UserPrompt {
    std::vector<std::u16string> shown;
    void ShowError(std::u16string_view title, std::u16string_view text) override {
        shown.push_back(std::u16string(title) + u"|" + std::u16string(text));
    }
};
struct RecordingSecurity final : FileSecurity {
    std::vector<std::u16string> granted;
    bool GrantEveryoneFullAccess(std::u16string_view path) override {
        granted.emplace_back(path);
        return true;
    }
};

TEST(SaveWithNotice, ReportsFailureAndOpensMachineWideFilesToEveryone) {
    ScratchDir machine, user;
    RecordingPrompt prompt;
    RecordingSecurity security;
    const std::u16string machineFolder = machine.Path("");
    SaveNoticeContext context{prompt, security, machineFolder};
    DatabaseIo io = SystemDatabaseIo();
    auto store = ShortcutStore::Create();

    EXPECT_TRUE(SaveWithNotice(*store, user.Path("abbrev.dat"), io, context));
    EXPECT_TRUE(security.granted.empty());

    const std::u16string shared = machine.Path("shared_abbrev.dat");
    store->SetFilePath(shared);
    EXPECT_TRUE(SaveWithNotice(*store, u"", io, context));
    EXPECT_EQ(security.granted, std::vector<std::u16string>{shared});
    EXPECT_TRUE(prompt.shown.empty());

    EXPECT_FALSE(SaveWithNotice(*store, user.Path("no-such-folder/abbrev.dat"), io, context));
    EXPECT_EQ(prompt.shown, std::vector<std::u16string>{u"File Save Error|Failed to save file!"});
    EXPECT_EQ(security.granted.size(), 1u);
}

TEST(SaveWithNotice, PathIsInsideNeedsAWholeFolderName) {
    EXPECT_TRUE(PathIsInside(u"C:\\ProgramData\\Tarvik\\shared_abbrev.dat", u"c:\\programdata\\tarvik"));
    EXPECT_TRUE(PathIsInside(u"C:\\ProgramData\\Tarvik\\local\\a.dat", u"C:\\ProgramData\\Tarvik\\"));
    EXPECT_FALSE(PathIsInside(u"C:\\ProgramData\\Tarvik2\\a.dat", u"C:\\ProgramData\\Tarvik"));
    EXPECT_FALSE(PathIsInside(u"C:\\ProgramData\\Tarvik", u"C:\\ProgramData\\Tarvik"));
    EXPECT_FALSE(PathIsInside(u"C:\\a.dat", u""));
    // Folder names in any script compare as Windows compares them.
    EXPECT_TRUE(PathIsInside(u"C:\\Donn\u00c9es\\\u0414\u0410\u041d\u041d\u042b\\a.dat",
                             u"c:\\donn\u00e9es\\\u0434\u0430\u043d\u043d\u044b"));
    EXPECT_FALSE(PathIsInside(u"C:\\Donn\u00c9es\\a.dat", u"C:\\Donnees"));
}

}  // namespace
}  // namespace kx
