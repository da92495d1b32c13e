// The ownership seam: who owns a file or folder, and what its access list
// lets each account do to it, as the file system reports them. The rules
// built on it (core/shared_trust) are portable and tested with a fake.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kx {

// The rights in an access entry that matter to whether an account can
// change what a file says (or swap it for another), as Windows numbers them.
namespace rights {
inline constexpr uint32_t kWriteData = 0x0002;    // FILE_WRITE_DATA
inline constexpr uint32_t kAppendData = 0x0004;   // FILE_APPEND_DATA
inline constexpr uint32_t kDeleteChild = 0x0040;  // FILE_DELETE_CHILD (folders)
inline constexpr uint32_t kDelete = 0x00010000;
inline constexpr uint32_t kWriteDac = 0x00040000;
inline constexpr uint32_t kWriteOwner = 0x00080000;
inline constexpr uint32_t kGenericAll = 0x10000000;
inline constexpr uint32_t kGenericWrite = 0x40000000;
}  // namespace rights

// One entry of an access list that applies to the object itself; entries
// that only pass down to the objects inside a folder are not reported.
struct AccessEntry {
    bool allows = true;  // false: the entry denies
    std::u16string sid;  // in string form, "S-1-5-32-545"
    uint32_t mask = 0;   // the rights as stored, generic bits included
};

struct OwnershipFacts {
    std::u16string ownerSid;
    // False for a descriptor without an access list, which lets everyone
    // do everything.
    bool hasList = true;
    std::vector<AccessEntry> entries;
};

class OwnershipQuery {
public:
    virtual ~OwnershipQuery() = default;
    // False when the object's owner and access list cannot be read.
    virtual bool Read(std::u16string_view path, OwnershipFacts& out) = 0;
};

}  // namespace kx
