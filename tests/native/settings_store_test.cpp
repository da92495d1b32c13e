#include <gtest/gtest.h>

#include <algorithm>

#include "base/text.h"
#include "platform/fake/memory_registry.h"
#include "tests/support/registry_fixture.h"

namespace kx::test {
namespace {

// A number reads its leading digits (an empty text means the default); a
// flag is true unless its text starts with the digit zero. Text longer than
// the read buffer reads as the default, an existing empty value does not.
TEST_P(RegistryTest, NumbersFlagsAndTextAsRead) {
    SettingsStore s(*reg);
    const struct { const char16_t* text; int32_t number; bool flagIfFalse, flagIfTrue; } cases[] = {
        {u"abc", 0, true, true}, {u"", 99, false, true},  {u"  -42px", -42, true, true},
        {u"+7", 7, true, true},  {u"00", 0, false, false}, {u"false", 0, true, true},
    };
    for (const auto& c : cases) {
        PutRaw(u"v", c.text);
        EXPECT_EQ(std::tuple(s.ReadInt(section, u"v", 99), s.ReadBool(section, u"v", false), s.ReadBool(section, u"v", true)),
                  std::tuple(c.number, c.flagIfFalse, c.flagIfTrue))
            << U8(c.text);
    }
    s.WriteInt(section, u"n", -2147483647 - 1);
    EXPECT_EQ(s.ReadString(section, u"n", u""), u"-2147483648");
    EXPECT_EQ(s.ReadInt(section, u"n", 0), -2147483647 - 1);
    s.WriteBool(section, u"w", false);
    s.WriteBool(section, u"t", true);
    EXPECT_EQ(s.ReadString(section, u"w", u"x") + s.ReadString(section, u"t", u"x"), u"01");

    const std::u16string t259(259, u'a'), t260(260, u'b');
    s.WriteString(section, u"a", t259);
    s.WriteString(section, u"b", t260);
    s.WriteString(section, u"e", u"");
    EXPECT_EQ(s.ReadString(section, u"a", u"def"), t259);
    EXPECT_EQ(s.ReadString(section, u"b", u"def"), u"def");
    EXPECT_EQ(s.ReadString(section, u"e", u"def"), u"");
    EXPECT_EQ(s.ReadString(section, u"missing", t260), t260.substr(1)) << "a default is cut like any text read";
    // Writing has no limit: the whole text is stored with its terminator.
    uint8_t buf[1024];
    uint32_t size = sizeof buf, type = 0;
    ASSERT_EQ(reg->QueryValue(Hive::CurrentUser, SettingsStore::SectionPath(section), u"b", buf, &size, &type), reg::kSuccess);
    EXPECT_EQ(std::tuple(size, type), std::tuple(522u, reg::kTypeSz));
}

// Deleting falls back to the underscore name only when the value is missing;
// reading and deleting in a missing section create nothing.
TEST_P(RegistryTest, DeletingAndReadingInMissingPlaces) {
    SettingsStore s(*reg);
    EXPECT_EQ(s.ReadInt(section, u"b", 3), 3);
    s.DeleteValue(section, u"d");
    EXPECT_FALSE(reg->KeyExists(Hive::CurrentUser, SettingsStore::SectionPath(section)));
    s.WriteString(section, u"_X", u"old");
    s.DeleteValue(section, u"X");
    EXPECT_EQ(s.ReadString(section, u"_X", u"gone"), u"gone");
    s.WriteString(section, u"Y", u"1");
    s.WriteString(section, u"_Y", u"2");
    s.DeleteValue(section, u"Y");
    EXPECT_EQ(s.ReadString(section, u"Y", u"gone") + s.ReadString(section, u"_Y", u"gone"), u"gone2");
}

// Group keys are listed and deleted whole; a key's value names are its own.
TEST_P(RegistryTest, SubkeysAndValueNames) {
    const std::u16string base = SettingsStore::SectionPath(section);
    SettingsStore s(*reg);
    s.WriteString(section + u"\\Default", u"loc", u"a");
    s.WriteString(section + u"\\Work\\Deeper", u"x", u"c");
    PutRaw(u"notepad.exe", u"Off");
    PutRaw(u"Teams.exe", u"Chat");
    auto keys = reg->SubKeys(Hive::CurrentUser, base);
    auto names = reg->ValueNames(Hive::CurrentUser, base);
    std::sort(keys.begin(), keys.end());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(keys, (std::vector<std::u16string>{u"Default", u"Work"}));
    EXPECT_EQ(names, (std::vector<std::u16string>{u"Teams.exe", u"notepad.exe"}));
    EXPECT_EQ(reg->DeleteTree(Hive::CurrentUser, base + u"\\Work"), reg::kSuccess);
    EXPECT_EQ(reg->SubKeys(Hive::CurrentUser, base), std::vector<std::u16string>{u"Default"});
    EXPECT_EQ(reg->DeleteTree(Hive::CurrentUser, base + u"\\Work"), reg::kFileNotFound);
}

TEST(SettingsPath, LongSectionPathsAreCut) {
    EXPECT_EQ(SettingsStore::SectionPath(std::u16string(300, u's')).size(), 259u);
}

INSTANTIATE_TEST_SUITE_P(Memory, RegistryTest,
                         ::testing::Values(RegistryFactory([] { return std::make_unique<MemoryRegistry>(); })));

}  // namespace
}  // namespace kx::test
