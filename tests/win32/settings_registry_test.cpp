// The settings rules against the real registry.
#include <gtest/gtest.h>

#include "platform/win32/registry_win32.h"
#include "tests/support/registry_fixture.h"

namespace kx::test {
namespace {

INSTANTIATE_TEST_SUITE_P(Win32, RegistryTest,
                         ::testing::Values(RegistryFactory([] { return std::make_unique<Win32Registry>(); })));

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
