// Files and folders of the machine-wide data folder through the Windows
// security API, each opened once with FILE_FLAG_OPEN_REPARSE_POINT.
#pragma once

#include "platform/file_security.h"

namespace kx {

class Win32FileSecurity final : public FileSecurity {
public:
    std::unique_ptr<HeldFile> Open(std::u16string_view path) override;
    std::u16string CurrentUserSid() override;

private:
    std::u16string me_;
};

}  // namespace kx
