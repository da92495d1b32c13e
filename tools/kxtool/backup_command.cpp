// kxtool backup and kxtool restore: Backup Data and Restore Data for an
// administrator, without the program running.
//
//   backup DATA_FOLDER DEST                         makes DEST/Kestrix_Backup_<date>
//   restore BACKUP DATA_FOLDER --overwrite|--skip   restores BACKUP into DATA_FOLDER
//
// DATA_FOLDER is a user's data folder (the one holding "local"). Groups a
// restore adds are registered for the current user (kxtool.exe), or only
// listed (the Linux kxtool, which has no registry). Exit codes: 0 done,
// 2 usage, 3 refused (the program's message on standard error), 4 done with
// files left out.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>

#include "base/text.h"
#include "core/backup.h"
#include "core/file_paths.h"
#include "core/restore.h"
#include "tools/kxtool/commands.h"
#if defined(_WIN32)
#include "platform/win32/registry_win32.h"
#else
#include "platform/fake/memory_registry.h"
#endif

namespace kx {
namespace {

constexpr int kExitOk = 0;
constexpr int kExitUsage = 2;
constexpr int kExitRefused = 3;
constexpr int kExitIncomplete = 4;

// The program's messages as lines: its notices on standard output, its
// warnings and errors on standard error. No question is ever asked: the
// conflict rule is given on the command line.
struct ConsolePrompt final : MessagePrompt {
    void ShowMessage(MessageIcon icon, std::u16string_view title, std::u16string_view text) override {
        std::string line = U8(title) + ": " + U8(text);
        for (size_t at; (at = line.find("\r\n")) != std::string::npos;) line.replace(at, 2, "\n  ");
        std::fprintf(icon == MessageIcon::Information ? stdout : stderr, "%s\n", line.c_str());
    }
    QuestionAnswer Ask(const QuestionBox&) override { return {}; }
};

LocalTime Now() {
    const std::time_t t = std::time(nullptr);
    std::tm tm{};
#if defined(_WIN32)
    localtime_s(&tm, &t);
#else
    localtime_r(&t, &tm);
#endif
    return {tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec};
}

// The replaced files of a restore stay with the data folder restored into
// (no documents folder is given): an administrator restoring another user's
// folder keeps that user's files in that user's own data, not in their own.
struct Tool {
#if defined(_WIN32)
    Win32Registry registry;
#else
    MemoryRegistry registry;
#endif
    SettingsStore settings{registry};
    DataFolders folders;
    ConsolePrompt prompt;
    BackupContext ctx;

    explicit Tool(const char* dataFolder)
        : folders{U16(dataFolder), {}, JoinPath(CleanFolderText(U16(dataFolder)), u"local")},
          ctx{SystemFileSystem(), folders, prompt, settings, {}} {
        folders.user = CleanFolderText(folders.user);
    }
};

void PrintAll(const char* what, const std::vector<std::u16string>& items) {
    for (const auto& i : items) std::printf("%s %s\n", what, U8(i).c_str());
}

}  // namespace

int RunBackupCommand(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: kxtool backup DATA_FOLDER DEST\n");
        return kExitUsage;
    }
    Tool tool(argv[0]);
    if (!tool.ctx.fs.IsFolder(tool.folders.user)) {
        std::fprintf(stderr, "kxtool: %s is not a folder\n", argv[0]);
        return kExitRefused;
    }
    const BackupOutcome out = MakeBackup(tool.ctx, U16(argv[1]), Now());
    if (!out.done) return kExitRefused;
    std::printf("backup %s\n", U8(out.backupFolder).c_str());
    if (!out.complete) {
        std::fprintf(stderr, "kxtool: some files could not be copied\n");
        return kExitIncomplete;
    }
    return kExitOk;
}

int RunRestoreCommand(int argc, char** argv) {
    ConflictChoice choice = ConflictChoice::None;
    if (argc == 3 && !std::strcmp(argv[2], "--overwrite")) choice = ConflictChoice::Overwrite;
    if (argc == 3 && !std::strcmp(argv[2], "--skip")) choice = ConflictChoice::Skip;
    if (choice == ConflictChoice::None) {
        std::fprintf(stderr, "usage: kxtool restore BACKUP DATA_FOLDER --overwrite|--skip\n");
        return kExitUsage;
    }
    Tool tool(argv[1]);
    if (!EnsureFolder(tool.ctx.fs, tool.folders.user)) {
        std::fprintf(stderr, "kxtool: cannot create the data folder %s\n", argv[1]);
        return kExitRefused;
    }
    const RestoreOutcome out = RestoreBackup(tool.ctx, U16(argv[0]), choice, Now());
    if (!out.done) return kExitRefused;
    PrintAll("restored", out.copied);
    PrintAll("skipped", out.skipped);
    PrintAll("registered group", out.registered);
    if (!out.keptIn.empty()) std::printf("kept replaced files in %s\n", U8(out.keptIn).c_str());
    PrintAll("not restored", out.notKept);
    PrintAll("not a group", out.notGroups);
    return out.notKept.empty() ? kExitOk : kExitIncomplete;
}

}  // namespace kx
