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

TEST(SaveWithNotice, ReportsFailure) {
    ScratchDir user;
    RecordingPrompt prompt;
    SaveNoticeContext context{prompt};
    DatabaseIo io = SystemDatabaseIo();
    auto store = ShortcutStore::Create();

    store->SetFilePath(user.Path("abbrev.dat"));
    EXPECT_TRUE(SaveWithNotice(*store, u"", io, context));
    EXPECT_TRUE(prompt.shown.empty());
    EXPECT_FALSE(SaveWithNotice(*store, user.Path("no-such-folder/abbrev.dat"), io, context));
    EXPECT_EQ(prompt.shown, std::vector<std::u16string>{u"File Save Error|Failed to save file!"});
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
