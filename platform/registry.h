// The registry seam: the few registry calls the settings store and the group
// registration make, with the registry's own result codes, so the portable
// code above it keeps every rule of the real registry.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace kx {

enum class Hive { CurrentUser, LocalMachine };

// Result codes are the registry's own (Windows error numbers).
namespace reg {
inline constexpr long kSuccess = 0;
inline constexpr long kFileNotFound = 2;
inline constexpr long kAccessDenied = 5;
inline constexpr long kMoreData = 234;
inline constexpr uint32_t kTypeSz = 1;  // REG_SZ
}  // namespace reg

// Tells whether anything below a key changed since it was last asked.
class RegistryWatch {
public:
    virtual ~RegistryWatch() = default;
    // True on the first call and after any change; re-arms itself.
    virtual bool Changed() = 0;
};

class Registry {
public:
    virtual ~Registry() = default;

    // Queries a value of an existing key into `buffer` (capacity `*size` bytes).
    // On success `*size` holds the data's byte count and `*type` its type. When
    // the data does not fit: kMoreData with `*size` set to the needed count.
    // A missing key or value: kFileNotFound. Creates nothing.
    virtual long QueryValue(Hive hive, std::u16string_view keyPath, std::u16string_view name,
                            uint8_t* buffer, uint32_t* size, uint32_t* type) = 0;
    // Creates the key (and its parents) as needed and sets the value.
    // Returns the result of the create step.
    virtual long SetValue(Hive hive, std::u16string_view keyPath, std::u16string_view name,
                          uint32_t type, const uint8_t* data, uint32_t size) = 0;
    // kFileNotFound when the key or the value is missing.
    virtual long DeleteValue(Hive hive, std::u16string_view keyPath, std::u16string_view name) = 0;
    // Whether the key exists (opens it for reading).
    virtual bool KeyExists(Hive hive, std::u16string_view keyPath) = 0;
    // Names of the direct subkeys, in the registry's order.
    virtual std::vector<std::u16string> SubKeys(Hive hive, std::u16string_view keyPath) = 0;
    // Names of the key's values, in the registry's order; none when the key
    // is missing or cannot be read.
    virtual std::vector<std::u16string> ValueNames(Hive hive, std::u16string_view keyPath) = 0;
    // Deletes a key and everything below it; kFileNotFound when missing.
    virtual long DeleteTree(Hive hive, std::u16string_view keyPath) = 0;
    // Watches a key and its subkeys (creating the key if need be), so a reader
    // can keep values until they change and still see every write at once.
    virtual std::unique_ptr<RegistryWatch> WatchTree(Hive hive, std::u16string_view keyPath) = 0;
};

}  // namespace kx
