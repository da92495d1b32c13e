#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/database_io.h"
#include "core/file_paths.h"
#include "picture/legacy_conversion.h"
#include "picture/legacy_picture.h"
#include "platform/fake/fake_file_security.h"
#include "platform/fake/memory_registry.h"
#include "settings/settings_store.h"
#include "tests/native/picture_test_codec.h"

namespace kx::test {
namespace {

std::string HexOf(const std::string& bytes) {
    static const char kDigits[] = "0123456789ABCDEF";
    std::string s;
    for (unsigned char c : bytes) s += {kDigits[c >> 4], kDigits[c & 15]};
    return s;
}

// A picture shortcut as the older versions stored it: the picture file's
// own bytes in hexadecimal right after the name's group.
std::string LegacyDocument(const std::string& name, int goalw, int goalh, const std::string& file) {
    return "{\\rtf1\\ansi{\\*\\KestrixFileName{\\" + name + "}}" + HexOf(file) +
           "}{\\*\\shppict{\\pict\\pngblip\\picwgoal" + std::to_string(goalw) + "\\pichgoal" +
           std::to_string(goalh) + "{}}}}";
}

struct ConversionTest : ::testing::Test {
    PictureScratch scratch;
    TestCodec codec;
    MemoryRegistry registry;
    SettingsStore settings{registry};
    FakeFileSecurity grants;
    DataFolders folders;
    std::u16string password;

    void SetUp() override {
        std::filesystem::create_directories(scratch.Dir() / "machine");
        std::filesystem::create_directories(scratch.Dir() / "user" / "local");
        folders.machine = scratch.Path("machine");
        folders.user = scratch.Path("user");
        folders.local = JoinPath(folders.user, u"local");
    }

    LegacyConversion Pass() {
        return LegacyConversion{settings, SystemFileSystem(), grants, folders, SystemDatabaseIo(), codec,
                                scratch.Temp(), nullptr, nullptr};
    }

    void Save(const std::u16string& path, std::initializer_list<std::pair<std::u16string, EntryRef>> entries,
              bool password = false) {
        StoreRef store = ShortcutStore::Create();
        for (auto& [key, entry] : entries) store->Insert(key, entry);
        if (password) {
            store->SetCarriesPassword(true);
            store->SetAdminPassword(u"secret");
        }
        ASSERT_TRUE(ShortcutStore::Save(*store, path, SystemDatabaseIo()));
    }

    EntryRef Entry(const std::u16string& path, const std::u16string& key, std::u16string* password = nullptr) {
        StoreRef store = ShortcutStore::Create();
        uint32_t count = 0;
        EXPECT_EQ(ShortcutStore::Load(*store, path, password != nullptr, count, SystemDatabaseIo()), LoadOk);
        if (password) store->GetAdminPassword(*password);
        EntryRef e;
        store->Find(key, e);
        return e;
    }

    static EntryRef Picture(const std::string& rtf) {
        return ShortcutEntry::Make(ShortcutKind::Picture, u"", rtf);
    }
};

TEST_F(ConversionTest, OlderPicturesEverywhereAreEncodedAgain) {
    const std::string file = RawFile(Pattern(4, 2));
    const std::u16string shared = folders.DefaultSharedFile();
    const std::u16string group = JoinPath(folders.local, u"abbrev.dat");
    Save(shared, {{u"LOGO", Picture(LegacyDocument("logo.png", 600, 300, file))}}, true);
    // Goal sizes of 0 keep the picture's own size; a name with folders is
    // written into the temporary folder all the same.
    Save(group, {{u"A", Picture(LegacyDocument("..\\..\\sig.gif", 0, 0, file))},
                 {u"B", ShortcutEntry::Make(ShortcutKind::SimpleText, u"text {\\*\\shppict{ }}}")},
                 {u"C", Picture(LegacyDocument("broken.png", 30, 30, "not a picture"))}});
    WriteFile(scratch.Dir() / "user" / "local" / "readme.txt", "not a database");

    std::vector<std::pair<size_t, size_t>> progress;
    LegacyConversion pass = Pass();
    pass.progress = [&](size_t done, size_t total) { progress.emplace_back(done, total); };
    EXPECT_TRUE(ConvertLegacyPictures(pass));
    EXPECT_EQ(Entry(shared, u"LOGO", &password)->richText.rfind("{\\rtf1\\ansi\\deff0{\\*\\KestrixFileName{\\logo}}{\\pict\\wmetafile8\\picw600\\pich300"
              "\\picwgoal600\\pichgoal300 \r\n0100", 0), 0u);
    EXPECT_EQ(password, u"secret");
    ASSERT_EQ(grants.given.size(), 1u);
    EXPECT_EQ(grants.given[0], std::make_pair(shared, UsersAccess::Modify));
    EXPECT_EQ(Entry(group, u"A")->richText.rfind("{\\rtf1\\ansi\\deff0{\\*\\KestrixFileName{\\sig}}{\\pict\\wmetafile8\\picw60\\pich30"
              "\\picwgoal60\\pichgoal30 \r\n", 0), 0u);
    EXPECT_EQ(Entry(group, u"B")->plainText, u"text {\\*\\shppict{ }}}");
    // A picture that cannot be read again keeps its old document.
    EXPECT_EQ(Entry(group, u"C")->richText, LegacyDocument("broken.png", 30, 30, "not a picture"));
    EXPECT_EQ(ReadFile(scratch.Dir() / "user" / "local" / "readme.txt"), "not a database");
    EXPECT_TRUE(scratch.TempFiles().empty());
    EXPECT_TRUE(settings.ReadBool(settings::PicShortcutsConvertedToWindowMetaFile));
    EXPECT_EQ(progress.front(), std::make_pair(size_t(0), size_t(3)));
    EXPECT_EQ(progress.back(), std::make_pair(size_t(3), size_t(3)));

    // Once done, the pass leaves even new older pictures alone.
    Save(group, {{u"A", Picture(LegacyDocument("late.png", 0, 0, file))}});
    const std::string before = ReadFile(std::filesystem::path(group));
    EXPECT_TRUE(ConvertLegacyPictures(Pass()));
    EXPECT_EQ(ReadFile(std::filesystem::path(group)), before);
}

TEST(LegacyPicture, ReadsNameSizeAndBytes) {
    LegacyPicture p;
    ASSERT_TRUE(ReadLegacyPicture(LegacyDocument("caf\xc3\xa9.png", 1514, 755, "\x89PNG\x01"), p));
    EXPECT_EQ(p.fileName, u"caf\u00e9.png");
    EXPECT_EQ(p.width, 100);
    EXPECT_EQ(p.height, 50);
    EXPECT_EQ(p.bytes, "\x89PNG\x01");
    // The bytes end at the first pair that is not hexadecimal.
    ASSERT_TRUE(ReadLegacyPicture("{\\rtf1{\\*\\KestrixFileName{\\x.png}}0a0bzz0c}{\\*\\shppict{\\picwgoal15\\pichgoal15{}}}", p));
    EXPECT_EQ(p.bytes, "\x0a\x0b");
    // Without the picture group it is no older picture.
    EXPECT_FALSE(ReadLegacyPicture("{\\rtf1{\\*\\KestrixFileName{\\x.png}}0a0b}}}\\picwgoal15\\pichgoal15", p));
    EXPECT_EQ(SafeFileName(u"C:\\x\\..\\y.png"), u"y.png");
    EXPECT_EQ(SafeFileName(u"a/.."), u"");
    EXPECT_EQ(SafeFileName(u"a:b.png"), u"");
}

}  // namespace
}  // namespace kx::test
