#include "platform/file_security.h"

namespace kx {

std::vector<AccessChange> UsersAccessChanges(UsersAccess access) {
    using namespace file_rights;
    // Modify lets a user replace the file (write, then delete the old one in
    // a rename) but never change who may use it.
    const uint32_t users = access == UsersAccess::Modify ? kGenericRead | kGenericWrite | kGenericExecute | kDelete
                                                         : kGenericRead | kGenericExecute;
    return {{Trustee::Everyone, false, 0, false}, {Trustee::Users, true, users, false}};
}

}  // namespace kx
