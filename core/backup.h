// Backup Data: a dated copy of the user's whole data folder, with the group
// files in its "local" subfolder, made in a folder the user chooses.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "core/backup_names.h"
#include "core/data_folders.h"
#include "platform/file_system.h"
#include "platform/user_prompt.h"
#include "settings/settings_store.h"

namespace kx {

// What backup and restore work with; the program and kxtool each make one.
struct BackupContext {
    FileSystem& fs;
    const DataFolders& folders;  // user and local are used
    MessagePrompt& prompt;
    SettingsStore& settings;     // the group registration
    // The user's documents folder: where a restore keeps the files it
    // replaces when the backup's own folder cannot be written.
    std::u16string documents;
};

// Copies every file and folder of `from` into `to`, creating `to` and its
// folders as needed and replacing files of the same name. A folder that is
// `to` itself, in any case of its letters, is not copied: a destination
// inside the source would otherwise be copied into itself, level after
// level. Each source file or folder that could not be copied is added to
// `failed` (the rest is still copied); false when any was.
bool CopyFolder(FileSystem& fs, std::u16string_view from, std::u16string_view to,
                std::vector<std::u16string>* failed = nullptr);

struct BackupOutcome {
    bool done = false;
    // A refused folder keeps the dialog open with the focus on its field;
    // a failure to create the backup keeps it open as it is.
    bool refusedFolder = false;
    std::u16string chosenFolder;  // the cleaned text, opened in the explorer after success
    std::u16string backupFolder;  // the dated folder made
    bool complete = false;        // every file was copied
    std::vector<std::u16string> failed;  // what could not be copied
};

// Checks the typed destination, creates "Kestrix_Backup_<date>" and its
// "local" subfolder there and copies the data, telling the user of each
// refusal and of the success.
BackupOutcome MakeBackup(const BackupContext& ctx, std::u16string_view typedFolder, const LocalTime& now);

}  // namespace kx
