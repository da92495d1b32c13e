// Known folders through SHGetFolderPathW.
#pragma once

#include "platform/known_folders.h"

namespace kx {

class Win32KnownFolders final : public KnownFolders {
public:
    std::u16string RoamingAppData() override;  // CSIDL_APPDATA (0x1A)
    std::u16string CommonAppData() override;   // CSIDL_COMMON_APPDATA (0x23)
};

}  // namespace kx
