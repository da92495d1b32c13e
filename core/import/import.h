// Moving in from another text expander, and moving out again.
//
// An import first builds a preview: every shortcut found in the other
// program's files, with the keyword Kestrix will store it under, the start of
// its text, and whether it will be imported as it is, imported with a change,
// or skipped, with the reason for every change or skip. Nothing is written
// until the preview is applied to a group. The CSV export writes a group's
// shortcuts in the three columns other expanders read: keyword, text, name.
//
// The File menu's dialogs and kxtool both use these functions.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/backup_names.h"
#include "core/data_context.h"
#include "core/shortcut_store.h"

namespace kx {

class ImageCodec;
class FileSystem;

enum class ImportSource : uint8_t { Espanso, Beeftext, AutoHotkey, TextExpander, Csv };

inline constexpr ImportSource kImportSources[] = {ImportSource::Espanso, ImportSource::Beeftext,
                                                  ImportSource::AutoHotkey, ImportSource::TextExpander,
                                                  ImportSource::Csv};

// kxtool's word for a source: "espanso", "beeftext", "autohotkey",
// "textexpander", "csv".
const char* ImportSourceWord(ImportSource source);
bool ParseImportSource(std::string_view word, ImportSource& out);
// The source as the dialog names it, and the name of a new group made for
// it: "espanso", "Beeftext", "AutoHotkey", "TextExpander", "CSV".
std::u16string ImportSourceName(ImportSource source);
// The name a new group gets for an import from `path`: the source's name,
// or for a TextExpander file (one file per group) the file's title.
std::u16string ImportGroupName(ImportSource source, std::u16string_view path);
// Whether the source is read from a folder (espanso's "match" folder, or
// the legacy layout's root) rather than from one file. An espanso source
// also takes a single match file.
bool ImportSourceIsFolder(ImportSource source);

// The folders the system names for the user.
struct ImportFolders {
    std::u16string appData;       // %APPDATA%
    std::u16string localAppData;  // %LOCALAPPDATA%
};
// Where the source keeps its shortcuts by default; empty for the sources
// that have no fixed place (an AutoHotkey script, a CSV file).
std::u16string DefaultImportLocation(ImportSource source, const ImportFolders& folders);

enum class ImportStatus : uint8_t { Imported, Changed, Skipped };
// "imported", "changed", "skipped": the status column's text.
const char16_t* ImportStatusText(ImportStatus status);

struct ImportItem {
    std::u16string sourceKeyword;  // the trigger as the other program holds it
    std::u16string keyword;        // as Kestrix stores it; empty when none could be made
    ShortcutKind kind = ShortcutKind::SimpleText;
    std::u16string text;   // the expansion; for rich text its plain text
    std::string richText;  // the RTF document of rich text and pictures
    std::u16string name;   // the other program's label or name, if any
    std::u16string origin;  // the file it came from, and its line where known
    ImportStatus status = ImportStatus::Imported;
    // Why it is changed or skipped, one sentence each; notes on an imported
    // item tell what works differently in Kestrix.
    std::vector<std::u16string> notes;
};

struct ImportPreview {
    ImportSource source = ImportSource::Csv;
    std::u16string path;
    std::vector<ImportItem> items;
    // What went wrong with the input as a whole (a file that cannot be read,
    // damaged YAML, JSON of a newer version), one line each.
    std::vector<std::u16string> problems;
};

// What a preview needs beyond the files.
struct ImportEnvironment {
    LocalTime now;  // fills espanso's date variables
    // Encodes espanso's image_path pictures; without one they are skipped.
    ImageCodec* codec = nullptr;
    std::u16string tempFolder;  // for the picture encoder's copies
    FileSystem* fs = nullptr;   // the system's when null
};

// Reads the source at `path` (a file, or for espanso a folder or a file) and
// tells what an import would do. Never writes anything.
ImportPreview PreviewImport(ImportSource source, std::u16string_view path, const ImportEnvironment& env);

struct ImportCounts {
    size_t imported = 0, changed = 0, skipped = 0;
};
ImportCounts CountImport(const ImportPreview& preview);
// "N imported, M changed, K skipped"
std::u16string ImportSummaryText(const ImportCounts& counts);
// The preview's text column: the text's first line, cut to `maxChars`.
std::u16string ImportTextStart(const ImportItem& item, size_t maxChars = 60);
// The whole preview as text, for "Copy report" and kxtool: the problems,
// then one line per shortcut (keyword, status, text start, notes separated
// by "; "), then the summary.
std::u16string ImportReportText(const ImportPreview& preview);

// What happens to a shortcut whose keyword the group already has.
enum class ImportConflict : uint8_t {
    Skip,    // skipped, with a note
    Suffix,  // imported under the keyword with 2, 3, ... added, with a note
};

// Adds the preview's items that are not skipped to `store` with the editors'
// rules: the keyword upper case and unique without regard to case, checked
// and inserted under the store's lock. Updates each item's status and notes
// to what happened and returns the counts. Does not save the store.
ImportCounts ApplyImport(ShortcutStore& store, ImportPreview& preview, ImportConflict conflict);

struct GroupImportOutcome {
    bool done = false;     // applied and saved
    bool created = false;  // the group was new and is now registered
    std::u16string file;   // the group's database file
    ImportCounts counts;
    std::u16string error;  // why it was not done
};

// Applies the preview to the group `groupName` and saves it. An existing
// group's file is loaded, added to and saved; when it is the group loaded
// in `live` (may be null), the live store is changed in place. A new group
// gets its file in the data folder's "local" folder, named as the program
// names a group's file, and is registered. The Default group is "Default".
GroupImportOutcome ImportIntoGroup(const DataContext& ctx, std::u16string_view groupName, ImportPreview& preview,
                                   ImportConflict conflict, LoadedStores* live);

struct CsvExportOutcome {
    bool written = false;
    size_t rows = 0;
    size_t picturesSkipped = 0;
    size_t macrosSkipped = 0;
    std::u16string error;
};

// The CSV rows of a store, UTF-8 without header, each row ending in CR LF:
// "keyword","text","name". Rich text is written as its plain text; pictures
// and macros are left out and counted.
void AppendCsvRows(const ShortcutStore& store, std::u16string_view name, std::string& out,
                   CsvExportOutcome& counts);
// Writes the named groups (their database files as registered) into one CSV
// file at `path`, the group's name in the name column.
CsvExportOutcome ExportGroupsToCsv(const DataContext& ctx, const std::vector<std::u16string>& groups,
                                   std::u16string_view path);

}  // namespace kx
