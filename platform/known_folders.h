// The known-folder seam: where the system keeps the user's roaming
// application data and the data shared by all users.
#pragma once

#include <string>

namespace kx {

class KnownFolders {
public:
    virtual ~KnownFolders() = default;
    // The roaming application-data folder of the current user; empty when the
    // system cannot name it.
    virtual std::u16string RoamingAppData() = 0;
    // The application-data folder common to all users; empty when unknown.
    virtual std::u16string CommonAppData() = 0;
};

}  // namespace kx
