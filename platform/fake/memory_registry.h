// An in-memory registry for native builds and tests: keys are case-insensitive
// (ASCII) like the real registry, values keep their type and raw bytes.
#pragma once

#include <atomic>
#include <map>
#include <mutex>

#include "platform/registry.h"

namespace kx {

class MemoryRegistry final : public Registry {
public:
    long QueryValue(Hive hive, std::u16string_view keyPath, std::u16string_view name,
                    uint8_t* buffer, uint32_t* size, uint32_t* type) override;
    long SetValue(Hive hive, std::u16string_view keyPath, std::u16string_view name,
                  uint32_t type, const uint8_t* data, uint32_t size) override;
    long DeleteValue(Hive hive, std::u16string_view keyPath, std::u16string_view name) override;
    bool KeyExists(Hive hive, std::u16string_view keyPath) override;
    std::vector<std::u16string> SubKeys(Hive hive, std::u16string_view keyPath) override;
    std::vector<std::u16string> ValueNames(Hive hive, std::u16string_view keyPath) override;
    long DeleteTree(Hive hive, std::u16string_view keyPath) override;
    // Any change anywhere counts: coarse, but never misses one.
    std::unique_ptr<RegistryWatch> WatchTree(Hive hive, std::u16string_view keyPath) override;


private:
    struct NoCaseLess {
        using is_transparent = void;
        bool operator()(std::u16string_view a, std::u16string_view b) const;
    };
    struct Value { uint32_t type; std::basic_string<uint8_t> data; };
    struct Key {
        std::u16string name;  // as first created, for enumeration
        std::map<std::u16string, Value, NoCaseLess> values;
    };
    static std::u16string Normalise(Hive hive, std::u16string_view keyPath);

    mutable std::mutex lock_;
    std::map<std::u16string, Key, NoCaseLess> keys_;  // full path -> key
    std::atomic<uint64_t> generation_{0};
};

}  // namespace kx
