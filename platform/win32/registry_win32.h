// The real registry.
#pragma once

#include <windows.h>

#include "platform/registry.h"

namespace kx {

class Win32Registry final : public Registry {
public:
    // `currentUser` stands for Hive::CurrentUser: by default the calling
    // user's, or the root of a hive file loaded with RegLoadAppKey (another
    // user's NTUSER.DAT), which the caller keeps open meanwhile.
    explicit Win32Registry(HKEY currentUser = HKEY_CURRENT_USER) : currentUser_(currentUser) {}
    long QueryValue(Hive hive, std::u16string_view keyPath, std::u16string_view name,
                    uint8_t* buffer, uint32_t* size, uint32_t* type) override;
    long SetValue(Hive hive, std::u16string_view keyPath, std::u16string_view name,
                  uint32_t type, const uint8_t* data, uint32_t size) override;
    long DeleteValue(Hive hive, std::u16string_view keyPath, std::u16string_view name) override;
    bool KeyExists(Hive hive, std::u16string_view keyPath) override;
    std::vector<std::u16string> SubKeys(Hive hive, std::u16string_view keyPath) override;
    std::vector<std::u16string> ValueNames(Hive hive, std::u16string_view keyPath) override;
    long DeleteTree(Hive hive, std::u16string_view keyPath) override;
    std::unique_ptr<RegistryWatch> WatchTree(Hive hive, std::u16string_view keyPath) override;

private:
    HKEY Root(Hive h) const { return h == Hive::CurrentUser ? currentUser_ : HKEY_LOCAL_MACHINE; }

    HKEY currentUser_;
};

}  // namespace kx
