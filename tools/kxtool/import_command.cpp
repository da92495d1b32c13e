// kxtool import and kxtool export-csv: moving shortcuts in from another text
// expander, and out as CSV, without the program running.
//
//   import SOURCE PATH --data DATA_FOLDER --group NAME [--dry-run] [--suffix]
//   export-csv DATA_FOLDER GROUP OUT
//
// DATA_FOLDER is a user's data folder (the one holding "local"). A new group's
// file goes into its "local" folder, named as the program names a group's
// file, and kxtool.exe registers it for the user running it, as kxtool
// restore does. The Linux kxtool has no registry: it imports into and
// exports the Default group only. Import's exit codes: 0 done, 1 done with
// skips, 2 nothing imported or bad input.
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "base/text.h"
#include "core/backup_names.h"
#include "core/data_context.h"
#include "core/file_paths.h"
#include "core/group_registry.h"
#include "core/import/import.h"
#include "picture/picture_encoder.h"
#include "platform/fake/fake_file_security.h"
#include "tools/kxtool/commands.h"
#include "tools/kxtool/local_clock.h"
#if defined(_WIN32)
#include "platform/win32/registry_win32.h"
#else
#include "platform/fake/memory_registry.h"
#endif

namespace kx {
namespace {

constexpr int kExitDone = 0;
constexpr int kExitSkips = 1;
constexpr int kExitNothing = 2;

struct SilentPrompt final : MessagePrompt {
    void ShowMessage(MessageIcon, std::u16string_view, std::u16string_view) override {}
    QuestionAnswer Ask(const QuestionBox&) override { return {}; }
};

// The data context of a user's data folder. The import reads and writes
// database files only: it changes no access list, so no real file
// security is needed.
struct DataTool {
#if defined(_WIN32)
    Win32Registry registry;
#else
    MemoryRegistry registry;
#endif
    SettingsStore settings{registry};
    DataFolders folders;
    FakeFileSecurity security;
    DatabaseIo io = SystemDatabaseIo();
    SilentPrompt prompt;
    DataContext ctx{settings, folders, SystemFileSystem(), security, io, prompt};

    explicit DataTool(const char* dataFolder) {
        folders.user = CleanFolderText(U16(dataFolder));
        folders.local = JoinPath(folders.user, u"local");
    }
};

void PrintLines(std::u16string_view text, FILE* to) {
    std::string s = U8(text);
    for (size_t at; (at = s.find("\r\n")) != std::string::npos;) s.erase(at, 1);
    std::fputs(s.c_str(), to);
}

#if !defined(_WIN32)
// Without a registry a named group's file would never be found by Kestrix.
bool RefuseNamedGroup(const std::u16string& group) {
    if (EqualsNoCaseAscii(group, kDefaultGroupName)) return false;
    std::fprintf(stderr,
                 "kxtool: the group %s would need registering, which only kxtool.exe on Windows can do where"
                 " Kestrix finds it; use --group Default here\n",
                 U8(group).c_str());
    return true;
}
#endif

}  // namespace

int RunImportCommand(int argc, char** argv) {
    const char* data = nullptr;
    const char* group = nullptr;
    bool dryRun = false, usage = argc < 2;
    ImportConflict conflict = ImportConflict::Skip;
    ImportSource source = ImportSource::Csv;
    if (!usage && !ParseImportSource(argv[0], source)) usage = true;
    for (int i = 2; i < argc && !usage; ++i) {
        if (!std::strcmp(argv[i], "--data") && i + 1 < argc && !data) data = argv[++i];
        else if (!std::strcmp(argv[i], "--group") && i + 1 < argc && !group) group = argv[++i];
        else if (!std::strcmp(argv[i], "--dry-run")) dryRun = true;
        else if (!std::strcmp(argv[i], "--suffix")) conflict = ImportConflict::Suffix;
        else usage = true;
    }
    if (usage || !data || !group) {
        std::fprintf(stderr,
                     "usage: kxtool import espanso|beeftext|autohotkey|textexpander|csv PATH --data DATA_FOLDER"
                     " --group NAME [--dry-run] [--suffix]\n");
        return kExitNothing;
    }
    const std::u16string groupName = U16(group);
#if !defined(_WIN32)
    if (!dryRun && RefuseNamedGroup(groupName)) return kExitNothing;
#endif
    std::unique_ptr<ImageCodec> codec = MakeSystemImageCodec();
    ImportEnvironment env;
    env.now = LocalClockNow();
    env.codec = codec.get();
    env.tempFolder = SystemTempFolder();
    ImportPreview preview = PreviewImport(source, U16(argv[1]), env);
    ImportCounts counts = CountImport(preview);
    if (dryRun) {
        PrintLines(ImportReportText(preview), stdout);
        std::printf("dry run: nothing was written\n");
    } else if (counts.imported + counts.changed > 0) {
        DataTool tool(data);
        const GroupImportOutcome o = ImportIntoGroup(tool.ctx, groupName, preview, conflict, nullptr);
        PrintLines(ImportReportText(preview), stdout);
        if (!o.done) {
            std::fprintf(stderr, "kxtool: %s\n", U8(o.error).c_str());
            return kExitNothing;
        }
        counts = o.counts;
        std::printf("%s %s\n", o.created ? "created group file" : "added to group file", U8(o.file).c_str());
        if (o.created) std::printf("registered group %s\n", U8(groupName).c_str());
    } else {
        PrintLines(ImportReportText(preview), stdout);
    }
    if (counts.imported + counts.changed == 0) return kExitNothing;
    return counts.skipped > 0 || !preview.problems.empty() ? kExitSkips : kExitDone;
}

int RunExportCsvCommand(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: kxtool export-csv DATA_FOLDER GROUP OUT\n");
        return kExitNothing;
    }
    const std::u16string group = U16(argv[1]);
#if !defined(_WIN32)
    if (RefuseNamedGroup(group)) return kExitNothing;
#endif
    DataTool tool(argv[0]);
    const CsvExportOutcome o = ExportGroupsToCsv(tool.ctx, {group}, U16(argv[2]));
    if (!o.written) {
        std::fprintf(stderr, "kxtool: %s\n", U8(o.error).c_str());
        return kExitNothing;
    }
    std::printf("exported %zu shortcuts to %s; left out %zu pictures and %zu macros\n", o.rows, argv[2],
                o.picturesSkipped, o.macrosSkipped);
    return kExitDone;
}

}  // namespace kx
