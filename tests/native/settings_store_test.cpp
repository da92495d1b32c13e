#include <gtest/gtest.h>

#include <algorithm>

#include "platform/fake/memory_registry.h"
#include "tests/support/registry_fixture.h"

namespace kx::test {
namespace {

TEST_P(RegistryTest, NumbersReadTheirLeadingDigitsAndEmptyMeansDefault) {
    SettingsStore s(*reg);
    PutRaw(u"abc", u"abc");
    PutRaw(u"empty", u"");
    PutRaw(u"mixed", u"  -42px");
    PutRaw(u"plus", u"+7");
    EXPECT_EQ(s.ReadInt(section, u"abc", 99), 0);
    EXPECT_EQ(s.ReadInt(section, u"empty", 99), 99);
    EXPECT_EQ(s.ReadInt(section, u"mixed", 99), -42);
    EXPECT_EQ(s.ReadInt(section, u"plus", 99), 7);
    EXPECT_EQ(s.ReadInt(section, u"missing", -5), -5);

    s.WriteInt(section, u"n", -2147483647 - 1);
    EXPECT_EQ(s.ReadString(section, u"n", u""), u"-2147483648");
    EXPECT_EQ(s.ReadInt(section, u"n", 0), -2147483647 - 1);
}

TEST_P(RegistryTest, FlagsAreTrueUnlessTheTextStartsWithZero) {
    SettingsStore s(*reg);
    PutRaw(u"t", u"true");
    PutRaw(u"y", u"yes");
    PutRaw(u"z", u"00");
    PutRaw(u"f", u"false");  // does not start with the digit zero
    PutRaw(u"e", u"");
    EXPECT_TRUE(s.ReadBool(section, u"t", false));
    EXPECT_TRUE(s.ReadBool(section, u"y", false));
    EXPECT_FALSE(s.ReadBool(section, u"z", true));
    EXPECT_TRUE(s.ReadBool(section, u"f", false));
    EXPECT_TRUE(s.ReadBool(section, u"e", true));
    EXPECT_FALSE(s.ReadBool(section, u"e", false));
    s.WriteBool(section, u"w", false);
    EXPECT_EQ(s.ReadString(section, u"w", u"x"), u"0");
    s.WriteBool(section, u"w", true);
    EXPECT_EQ(s.ReadString(section, u"w", u"x"), u"1");
}

TEST_P(RegistryTest, TextLongerThanTheReadBufferReadsAsTheDefault) {
    SettingsStore s(*reg);
    const std::u16string t259(259, u'a'), t260(260, u'b'), t300(300, u'c');
    s.WriteString(section, u"a", t259);
    s.WriteString(section, u"b", t260);
    s.WriteString(section, u"c", t300);
    EXPECT_EQ(s.ReadString(section, u"a", u"def"), t259);
    EXPECT_EQ(s.ReadString(section, u"b", u"def"), u"def");
    EXPECT_EQ(s.ReadString(section, u"c", u"def"), u"def");
    // Writing has no limit: the whole text is stored with its terminator.
    uint8_t buf[1024];
    uint32_t size = sizeof buf, type = 0;
    ASSERT_EQ(reg->QueryValue(Hive::CurrentUser, SettingsStore::SectionPath(section), u"c", buf, &size, &type), reg::kSuccess);
    EXPECT_EQ(size, 602u);
    EXPECT_EQ(type, reg::kTypeSz);
    // A default is cut like any other text read.
    EXPECT_EQ(s.ReadString(section, u"missing", t300).size(), 259u);
}

TEST_P(RegistryTest, AnExistingEmptyValueIsNotTheDefault) {
    SettingsStore s(*reg);
    s.WriteString(section, u"e", u"");
    EXPECT_EQ(s.ReadString(section, u"e", u"default"), u"");
    EXPECT_EQ(s.ReadString(section, u"other", u"default"), u"default");
}

TEST_P(RegistryTest, DeleteFallsBackToTheUnderscoreName) {
    SettingsStore s(*reg);
    s.WriteString(section, u"_X", u"old");
    s.DeleteValue(section, u"X");
    EXPECT_EQ(s.ReadString(section, u"_X", u"gone"), u"gone");

    // When the value itself exists, only it goes.
    s.WriteString(section, u"Y", u"1");
    s.WriteString(section, u"_Y", u"2");
    s.DeleteValue(section, u"Y");
    EXPECT_EQ(s.ReadString(section, u"Y", u"gone"), u"gone");
    EXPECT_EQ(s.ReadString(section, u"_Y", u"gone"), u"2");
}

TEST_P(RegistryTest, ReadingAndDeletingInAMissingSectionCreatesNothing) {
    SettingsStore s(*reg);
    EXPECT_EQ(s.ReadString(section, u"a", u"d"), u"d");
    EXPECT_EQ(s.ReadInt(section, u"b", 3), 3);
    EXPECT_TRUE(s.ReadBool(section, u"c", true));
    s.DeleteValue(section, u"d");
    EXPECT_FALSE(reg->KeyExists(Hive::CurrentUser, SettingsStore::SectionPath(section)));
}

TEST_P(RegistryTest, WindowPositionExistsEvenWhenTooLongToRead) {
    SettingsStore s(*reg);
    EXPECT_FALSE(s.ValueExists());
    s.WriteString(u"MainWindow", u"Height", std::u16string(400, u'9'));
    EXPECT_TRUE(s.ValueExists());
    s.WriteInt(u"MainWindow", u"Height", 300);
    EXPECT_TRUE(s.ValueExists());
}

TEST_P(RegistryTest, GroupKeysAreListedAndDeletedWhole) {
    SettingsStore s(*reg);
    const std::u16string base = SettingsStore::SectionPath(section);
    s.WriteString(section + u"\\Default", u"loc", u"a");
    s.WriteString(section + u"\\Work", u"loc", u"b");
    s.WriteString(section + u"\\Work\\Deeper", u"x", u"c");
    auto keys = reg->SubKeys(Hive::CurrentUser, base);
    std::sort(keys.begin(), keys.end());
    EXPECT_EQ(keys, (std::vector<std::u16string>{u"Default", u"Work"}));
    EXPECT_EQ(reg->DeleteTree(Hive::CurrentUser, base + u"\\Work"), reg::kSuccess);
    EXPECT_EQ(reg->SubKeys(Hive::CurrentUser, base), std::vector<std::u16string>{u"Default"});
    EXPECT_EQ(reg->DeleteTree(Hive::CurrentUser, base + u"\\Work"), reg::kFileNotFound);
}

TEST_P(RegistryTest, ValueNamesListTheKeysOwnValuesOnly) {
    const std::u16string base = SettingsStore::SectionPath(section);
    EXPECT_TRUE(reg->ValueNames(Hive::CurrentUser, base).empty());
    PutRaw(u"notepad.exe", u"Off");
    PutRaw(u"Teams.exe", u"Chat");
    SettingsStore(*reg).WriteString(section + u"\\Below", u"hidden.exe", u"Off");
    auto names = reg->ValueNames(Hive::CurrentUser, base);
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::u16string>{u"Teams.exe", u"notepad.exe"}));
}

TEST(SettingsPath, LongSectionPathsAreCut) {
    std::u16string section(300, u's');
    EXPECT_EQ(SettingsStore::SectionPath(section).size(), 259u);
    EXPECT_EQ(SettingsStore::SectionPath(u"Settings"), u"Software\\Tarvik Software\\Kestrix\\Settings");
}

TEST(SettingsBrokenRegistry, EveryReadGivesItsDefault) {
    MemoryRegistry reg;
    SettingsStore s(reg);
    s.WriteString(u"Settings", u"DoubleSpace", u"1");
    reg.SetBroken(true);
    EXPECT_FALSE(s.ReadBool(settings::DoubleSpace));
    EXPECT_EQ(s.Read(settings::ToggleExpansionsCombo), u"CTRL+ALT+SPACE");
    EXPECT_EQ(s.ReadInt(settings::SuggestionLengthMaximum), 260);
}

INSTANTIATE_TEST_SUITE_P(Memory, RegistryTest,
                         ::testing::Values(RegistryFactory([] { return std::make_unique<MemoryRegistry>(); })));

}  // namespace
}  // namespace kx::test
