// The file-security seam: files in the machine-wide data folder are opened up
// to every user of the machine.
#pragma once

#include <string_view>

namespace kx {

class FileSecurity {
public:
    virtual ~FileSecurity() = default;
    // Adds an access-allowed entry for Everyone (the world identifier) with
    // generic-all rights, inherited by objects and containers, to the file's
    // or folder's access list. Returns whether the list was written.
    virtual bool GrantEveryoneFullAccess(std::u16string_view path) = 0;
};

}  // namespace kx
