// Runs the settings tests against any registry: the in-memory one natively,
// the real one under Wine. Each test works in a section of its own and
// removes it afterwards.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

#include "settings/settings_store.h"
#include "platform/registry.h"

namespace kx::test {

using RegistryFactory = std::function<std::unique_ptr<Registry>()>;

class RegistryTest : public ::testing::TestWithParam<RegistryFactory> {
protected:
    void SetUp() override {
        reg = GetParam()();
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        std::string n = std::string("KxTest_") + info->name();
        for (auto& c : n) if (c == '/') c = '_';
        section = std::u16string(n.begin(), n.end());
        Cleanup();
    }
    void TearDown() override { Cleanup(); }
    void Cleanup() { reg->DeleteTree(Hive::CurrentUser, SettingsStore::SectionPath(section)); }
    // Writes raw text without going through the store.
    void PutRaw(std::u16string_view name, std::u16string_view text) {
        std::u16string data(text);
        reg->SetValue(Hive::CurrentUser, SettingsStore::SectionPath(section), name, reg::kTypeSz,
                      reinterpret_cast<const uint8_t*>(data.c_str()), uint32_t(2 * (data.size() + 1)));
    }

    std::unique_ptr<Registry> reg;
    std::u16string section;
};

}  // namespace kx::test
