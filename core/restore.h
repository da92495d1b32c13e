// Restore Data: copies a backup folder back into the user's data, file by
// file, with the user's rule for groups that exist already. Every file it
// replaces is first kept in a dated "Kestrix_Before_Restore_<date>" folder,
// laid out like a backup so that it can be restored in turn, in the user's
// own documents or data folder: never beside the backup, which may lie on a
// share that others read.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "core/backup.h"
#include "core/data_context.h"

namespace kx {

enum class ConflictChoice : uint8_t {
    None,       // no choice ticked
    Overwrite,  // "Overwrite existing groups"
    Prompt,     // "Prompt before overwriting"
    Skip,       // "Do not overwrite any existing groups"
};

struct RestoreOutcome {
    bool done = false;
    bool refusedFolder = false;     // the dialog stays open, focus on the folder field
    bool autoCompleteReplaced = false;
    std::vector<std::u16string> copied;      // targets written
    std::vector<std::u16string> skipped;     // targets left as they were
    std::vector<std::u16string> registered;  // groups registered
    std::vector<std::u16string> notGroups;   // files of the backup's "local" that are no group's database
    // Where the replaced files were kept; empty when none was replaced.
    std::u16string keptIn;
    // Targets left as they were because the file they would replace could
    // not be kept anywhere.
    std::vector<std::u16string> notKept;
};

// Checks the typed folder and the conflict choice, then restores
// "shared_abbrev.dat", "acdata.txt" and every file of the backup's "local"
// folder, registering the groups that did not exist, and reports the result.
RestoreOutcome RestoreBackup(const BackupContext& ctx, std::u16string_view typedFolder, ConflictChoice choice,
                             const LocalTime& now);

// What follows a restore beyond the data layer.
struct RestoreFollowUp {
    // Re-encodes picture shortcuts of an older form that the restored files
    // may hold; runs only when the pass has not run yet.
    std::function<void()> checkPictures;
    // Loads the learned phrases again from the restored "acdata.txt".
    std::function<void(std::u16string_view acdataPath)> reloadPhrases;
};

// After the dialog closed with a restore done: the picture check, the first
// registered group selected (which loads both stores again) and, when it was
// replaced, the Auto Complete data loaded again.
void FinishRestore(const DataContext& ctx, LoadedStores& stores, const RestoreOutcome& outcome,
                   const RestoreFollowUp& followUp);

}  // namespace kx
