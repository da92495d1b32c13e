// The file-security seam: what the program learns of a file or folder in the
// machine-wide data folder before it shares it or copies from it, and the
// access it gives the machine's users there.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace kx {

// Facts of the object itself, read through one handle that was opened
// without following a reparse point.
struct FileFacts {
    bool folder = false;
    bool reparsePoint = false;  // a junction, symbolic link or mount point
    uint32_t linkCount = 1;     // names of the same file (hard links)
    std::u16string ownerSid;    // as text, "S-1-5-..."
    // Administrators, SYSTEM, the installer service, or a member of
    // Administrators; not looked up for this user's own objects.
    bool ownerIsAdmin = false;
};

enum class UsersAccess : uint8_t {
    Read,    // read and list
    Modify,  // read, write and delete, but not change the access list or owner
};

// One change to an access list. Rights use the Windows access-mask bits.
enum class Trustee : uint8_t { Everyone, Users };
struct AccessChange {
    Trustee who;
    bool allow;       // false: every explicit entry for `who` goes
    uint32_t rights;  // when allowing
    bool inherited;   // whether objects inside a folder inherit the entry
};

namespace file_rights {
inline constexpr uint32_t kReadData = 0x1, kWriteData = 0x2, kAppendData = 0x4, kReadEa = 0x8, kWriteEa = 0x10,
                          kExecute = 0x20, kReadAttributes = 0x80, kWriteAttributes = 0x100, kDelete = 0x10000,
                          kReadControl = 0x20000, kWriteDac = 0x40000, kWriteOwner = 0x80000,
                          kSynchronize = 0x100000;
inline constexpr uint32_t kGenericRead = kReadControl | kReadData | kReadAttributes | kReadEa | kSynchronize;
inline constexpr uint32_t kGenericWrite =
    kReadControl | kWriteData | kWriteAttributes | kWriteEa | kAppendData | kSynchronize;
inline constexpr uint32_t kGenericExecute = kReadControl | kReadAttributes | kExecute | kSynchronize;
}  // namespace file_rights

// The changes GiveUsers makes: Everyone's entries go (earlier versions gave
// Everyone full control, inherited by everything inside), and Users get
// `access` on the object alone.
std::vector<AccessChange> UsersAccessChanges(UsersAccess access);

// One opened file or folder. What is checked and what is changed is the
// same object: nothing can be swapped in between.
class HeldFile {
public:
    virtual ~HeldFile() = default;
    virtual const FileFacts& Facts() const = 0;
    // The whole content, when it is a file of at most `cap` bytes.
    virtual bool ReadAll(std::vector<uint8_t>& bytes, uint64_t cap) = 0;
    // Gives the machine's users `access` to this object alone (the entry is
    // not inherited by anything inside a folder) and takes away every entry
    // for Everyone. Returns whether the access list was written.
    virtual bool GiveUsers(UsersAccess access) = 0;
};

class FileSecurity {
public:
    virtual ~FileSecurity() = default;
    // Opens the file or folder named, never what a reparse point leads to;
    // null when there is none or it cannot be opened.
    virtual std::unique_ptr<HeldFile> Open(std::u16string_view path) = 0;
    // The security identifier of the user this program runs as, as text.
    virtual std::u16string CurrentUserSid() = 0;
};

}  // namespace kx
