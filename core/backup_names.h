// Names around backups: the dated backup and before-restore folders, the
// folder text a user types, and the group a restored file belongs to.
#pragma once

#include <string>
#include <string_view>

namespace kx {

// A local date and time as the clock on the wall shows it.
struct LocalTime {
    int year = 0, month = 0, day = 0;
    int hour = 0, minute = 0, second = 0;
};

// "Kestrix_Backup_2026-12-05_01-28-19" for 5 December 2026, 01:28:19.
std::u16string BackupFolderName(const LocalTime& now);
// "Kestrix_Before_Restore_" with the same date form: where a restore keeps
// the files it replaces.
std::u16string BeforeRestoreFolderName(const LocalTime& now);

// The typed folder with spaces trimmed at both ends and one trailing
// separator removed.
std::u16string CleanFolderText(std::u16string_view typed);

// Whether `path` begins with `folder`, compared character by character as
// typed (a folder the data folder's name merely begins with counts too).
bool StartsWithFolder(std::u16string_view path, std::u16string_view folder);

// Whether a file of a backup's "local" folder is a group's database by its
// name: "abbrev.dat" or "<name>_abbrev.dat", in any case. Damaged copies
// ("abbrev.dat.damaged") and left-over "*.TEMP" files are not.
bool IsGroupFileName(std::u16string_view fileName);

// The group a restored file registers: its title without the extension, with
// every "_abbrev" and then every "abbrev" removed. Empty: the Default group.
std::u16string GroupNameOfFile(std::u16string_view fileName);

}  // namespace kx
