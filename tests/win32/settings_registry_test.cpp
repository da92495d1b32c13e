// The settings rules against the real registry.
#include <gtest/gtest.h>

#include "platform/win32/handles.h"
#include "platform/win32/registry_win32.h"
#include "tests/support/registry_fixture.h"

namespace kx::test {
namespace {

INSTANTIATE_TEST_SUITE_P(Win32, RegistryTest,
                         ::testing::Values(RegistryFactory([] { return std::make_unique<Win32Registry>(); })));

// kxtool restore's --user-hive gives the registry the root of another
// user's hive file; a key of the test's own stands in for that root here.
const wchar_t kOtherUser[] = L"Software\\KxTest_OtherUserHive";

HKEY OtherUserRoot() {
    static UniqueKey root = [] {
        HKEY k = nullptr;
        ::RegCreateKeyExW(HKEY_CURRENT_USER, kOtherUser, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k, nullptr);
        return UniqueKey(k);
    }();
    return root.Get();
}

INSTANTIATE_TEST_SUITE_P(Win32OtherUser, RegistryTest, ::testing::Values(RegistryFactory([] {
                             return std::make_unique<Win32Registry>(OtherUserRoot());
                         })));

TEST(Win32Registry, AnotherUsersRootTakesWhatWouldGoToTheCurrentUser) {
    Win32Registry other(OtherUserRoot());
    SettingsStore s(other);
    s.WriteString(u"KxTest_Root", u"v", u"theirs");
    const std::u16string section = SettingsStore::SectionPath(u"KxTest_Root");
    const std::wstring below = std::wstring(kOtherUser) + L"\\" + reinterpret_cast<const wchar_t*>(section.c_str());
    UniqueKey theirs, mine;
    HKEY k = nullptr;
    EXPECT_EQ(::RegOpenKeyExW(HKEY_CURRENT_USER, below.c_str(), 0, KEY_READ, &k), ERROR_SUCCESS);
    theirs.Reset(k);
    k = nullptr;
    EXPECT_NE(::RegOpenKeyExW(HKEY_CURRENT_USER, reinterpret_cast<const wchar_t*>(section.c_str()), 0, KEY_READ, &k),
              ERROR_SUCCESS);
    mine.Reset(k);
    EXPECT_EQ(s.ReadString(u"KxTest_Root", u"v", u""), u"theirs");
    other.DeleteTree(Hive::CurrentUser, section);
}

// The matcher keeps the shared switches until the registry reports a change;
// a missed notification would leave a stale lookup order.
TEST(Win32RegistryWatch, ReportsEveryChangeBelowTheKey) {
    Win32Registry reg;
    SettingsStore s(reg);
    const std::u16string path = SettingsStore::SectionPath(u"KxTest_Watch");
    reg.DeleteTree(Hive::CurrentUser, path);
    auto watch = reg.WatchTree(Hive::CurrentUser, path);
    EXPECT_TRUE(watch->Changed()) << "the first call always reads";
    EXPECT_FALSE(watch->Changed());
    s.WriteBool(u"KxTest_Watch", u"flag", true);
    EXPECT_TRUE(watch->Changed());
    EXPECT_FALSE(watch->Changed());
    s.WriteString(u"KxTest_Watch\\Sub", u"v", u"x");
    EXPECT_TRUE(watch->Changed());
    s.DeleteValue(u"KxTest_Watch", u"flag");
    EXPECT_TRUE(watch->Changed());
    EXPECT_FALSE(watch->Changed());
    reg.DeleteTree(Hive::CurrentUser, path);
}

}  // namespace
}  // namespace kx::test
