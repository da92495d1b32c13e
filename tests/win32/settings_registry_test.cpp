// The settings rules against the real registry.
#include <gtest/gtest.h>

#include "platform/win32/registry_win32.h"
#include "tests/support/registry_fixture.h"

namespace kx::test {
namespace {

INSTANTIATE_TEST_SUITE_P(Win32, RegistryTest,
                         ::testing::Values(RegistryFactory([] { return std::make_unique<Win32Registry>(); })));

}  // namespace
}  // namespace kx::test
