// Starting with Windows: the value "Kestrix" under the Run key of the
// machine hive (every user) or of the user's hive (this user only), holding
// "\"<program path>\" -logon".
#pragma once

#include <string>
#include <string_view>

#include "platform/registry.h"

namespace kx {

inline constexpr char16_t kRunKey[] = u"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
inline constexpr char16_t kRunValue[] = u"Kestrix";

// Running the program elevated where the machine value needs it.
class Elevation {
public:
    virtual ~Elevation() = default;
    // Vista or later, the user is no administrator, and an administrator
    // installed the program.
    virtual bool Needed() = 0;
    // Starts the program with the verb "runas" and these arguments; whether
    // that start succeeded.
    virtual bool RunElevated(std::u16string_view arguments) = 0;
};

class RunEntries {
public:
    RunEntries(Registry& registry, std::u16string programPath) : reg_(registry), path_(std::move(programPath)) {}

    // "\"%s\" -logon" with the program's path.
    std::u16string CommandText() const;

    // Adds the machine value (through an elevated start where needed);
    // when the machine value does not read back as written, the user value.
    // Returns false when an elevated start was needed and failed.
    bool AddForAllUsers(Elevation* elevation);
    // Removes the user value if there is one, else the machine value
    // (through an elevated start where needed).
    bool Remove(Elevation* elevation);

    // The user value alone (the options' "this user only").
    void AddForThisUser() { Write(Hive::CurrentUser); }
    // Removes the machine value, through an elevated start where needed;
    // false when it is still there.
    bool RemoveForAllUsers(Elevation* elevation);

    // The start-up rule of a first run: all users, else this user.
    void AddAtFirstRun(Elevation* elevation);

    // What the elevated start does with "-setautorun X1" and "X0".
    void WriteMachineValue();
    void DeleteMachineValue();

    bool MachineValueExists() const { return !Read(Hive::LocalMachine).empty(); }
    bool UserValueExists() const { return !Read(Hive::CurrentUser).empty(); }
    std::u16string Read(Hive hive) const;

private:
    void Write(Hive hive);
    Registry& reg_;
    std::u16string path_;
};

}  // namespace kx
