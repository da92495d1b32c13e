#include <gtest/gtest.h>

#include <algorithm>

#include "base/text.h"
#include "platform/fake/memory_registry.h"
#include "tests/support/registry_fixture.h"

namespace kx::test {
namespace {

// A number reads its leading digits (an empty text means the default); a
// flag is true unless its text starts with the digit zero.
TEST_P(RegistryTest, NumbersAndFlagsReadFromText) {
    SettingsStore s(*reg);
    const struct { const char16_t* text; int32_t number; bool flagIfFalse, flagIfTrue; } cases[] = {
        {u"abc", 0, true, true},    {u"", 99, false, true},      {u"  -42px", -42, true, true},
        {u"+7", 7, true, true},     {u"true", 0, true, true},    {u"yes", 0, true, true},
        {u"00", 0, false, false},   {u"false", 0, true, true},
    };
    for (const auto& c : cases) {
        PutRaw(u"v", c.text);
        EXPECT_EQ(s.ReadInt(section, u"v", 99), c.number) << U8(c.text);
        EXPECT_EQ(s.ReadBool(section, u"v", false), c.flagIfFalse) << U8(c.text);
        EXPECT_EQ(s.ReadBool(section, u"v", true), c.flagIfTrue) << U8(c.text);
    }
    EXPECT_EQ(s.ReadInt(section, u"missing", -5), -5);
    s.WriteInt(section, u"n", -2147483647 - 1);
    EXPECT_EQ(s.ReadString(section, u"n", u""), u"-2147483648");
    EXPECT_EQ(s.ReadInt(section, u"n", 0), -2147483647 - 1);
    s.WriteBool(section, u"w", false);
    EXPECT_EQ(s.ReadString(section, u"w", u"x"), u"0");
    s.WriteBool(section, u"w", true);
    EXPECT_EQ(s.ReadString(section, u"w", u"x"), u"1");
}

// Text longer than the read buffer reads as the default; an existing empty
// value is not the default.
TEST_P(RegistryTest, TextLongerThanTheReadBufferReadsAsTheDefault) {
    SettingsStore s(*reg);
    const std::u16string t259(259, u'a'), t260(260, u'b'), t300(300, u'c');
    s.WriteString(section, u"a", t259);
    s.WriteString(section, u"b", t260);
    s.WriteString(section, u"c", t300);
    s.WriteString(section, u"e", u"");
    EXPECT_EQ(s.ReadString(section, u"a", u"def"), t259);
    EXPECT_EQ(s.ReadString(section, u"b", u"def"), u"def");
    EXPECT_EQ(s.ReadString(section, u"c", u"def"), u"def");
    EXPECT_EQ(s.ReadString(section, u"e", u"def"), u"");
    // Writing has no limit: the whole text is stored with its terminator.
    uint8_t buf[1024];
    uint32_t size = sizeof buf, type = 0;
    ASSERT_EQ(reg->QueryValue(Hive::CurrentUser, SettingsStore::SectionPath(section), u"c", buf, &size, &type), reg::kSuccess);
    EXPECT_EQ(size, 602u);
    EXPECT_EQ(type, reg::kTypeSz);
    // A default is cut like any other text read.
    EXPECT_EQ(s.ReadString(section, u"missing", t300).size(), 259u);
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

// Group keys are listed and deleted whole; a key's value names are its own.
TEST_P(RegistryTest, SubkeysAndValueNames) {
    const std::u16string base = SettingsStore::SectionPath(section);
    SettingsStore s(*reg);
    EXPECT_TRUE(reg->ValueNames(Hive::CurrentUser, base).empty());
    s.WriteString(section + u"\\Default", u"loc", u"a");
    s.WriteString(section + u"\\Work", u"loc", u"b");
    s.WriteString(section + u"\\Work\\Deeper", u"x", u"c");
    PutRaw(u"notepad.exe", u"Off");
    PutRaw(u"Teams.exe", u"Chat");
    auto keys = reg->SubKeys(Hive::CurrentUser, base);
    std::sort(keys.begin(), keys.end());
    EXPECT_EQ(keys, (std::vector<std::u16string>{u"Default", u"Work"}));
    auto names = reg->ValueNames(Hive::CurrentUser, base);
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::u16string>{u"Teams.exe", u"notepad.exe"}));
    EXPECT_EQ(reg->DeleteTree(Hive::CurrentUser, base + u"\\Work"), reg::kSuccess);
    EXPECT_EQ(reg->SubKeys(Hive::CurrentUser, base), std::vector<std::u16string>{u"Default"});
    EXPECT_EQ(reg->DeleteTree(Hive::CurrentUser, base + u"\\Work"), reg::kFileNotFound);
}

TEST(SettingsPath, LongSectionPathsAreCut) {
    std::u16string section(300, u's');
    EXPECT_EQ(SettingsStore::SectionPath(section).size(), 259u);
    EXPECT_EQ(SettingsStore::SectionPath(u"Settings"), u"Software\\Tarvik Software\\Kestrix\\Settings");
}

TEST(SettingsBrokenRegistry, EveryReadGivesItsDefault) {
    MemoryRegistry reg;
    SettingsStore s(reg);
    s.WriteBool(settings::DoubleSpace, true);
    s.Write(settings::ToggleExpansionsCombo, u"CTRL+M");
    s.WriteInt(settings::SuggestionLengthMaximum, 5);
    reg.SetBroken(true);
    EXPECT_EQ(s.ReadBool(settings::DoubleSpace), settings::DoubleSpace.intDefault != 0);
    EXPECT_EQ(s.Read(settings::ToggleExpansionsCombo), settings::ToggleExpansionsCombo.textDefault);
    EXPECT_EQ(s.ReadInt(settings::SuggestionLengthMaximum), settings::SuggestionLengthMaximum.intDefault);
}

INSTANTIATE_TEST_SUITE_P(Memory, RegistryTest,
                         ::testing::Values(RegistryFactory([] { return std::make_unique<MemoryRegistry>(); })));

}  // namespace
}  // namespace kx::test
