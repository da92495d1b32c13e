// Access lists of files and folders through the Windows security API.
#pragma once

#include "platform/file_security.h"

namespace kx {

class Win32FileSecurity final : public FileSecurity {
public:
    bool GrantEveryoneFullAccess(std::u16string_view path) override;
};

}  // namespace kx
