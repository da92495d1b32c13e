// kxtool backup and kxtool restore: Backup Data and Restore Data for an
// administrator, without the program running.
//
//   backup DATA_FOLDER DEST                         makes DEST/Kestrix_Backup_<date>
//   restore BACKUP DATA_FOLDER --overwrite|--skip [--user-hive FILE]
//                                                   restores BACKUP into DATA_FOLDER
//
// DATA_FOLDER is a user's data folder (the one holding "local"). kxtool.exe
// registers the groups a restore adds, and finds the groups that exist, in
// the registry of the user running it, or in the user's hive file given with
// --user-hive (their NTUSER.DAT, while they are logged off). The Linux
// kxtool has no registry: it refuses a backup that holds named groups rather
// than restore files that Kestrix would never find. Exit codes: 0 done,
// 2 usage, 3 refused (the program's message on standard error), 4 done with
// files left out or groups not written.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "base/text.h"
#include "core/backup.h"
#include "core/file_paths.h"
#include "core/group_registry.h"
#include "core/restore.h"
#include "core/backup_names.h"
#include "tools/kxtool/commands.h"
#include "tools/kxtool/local_clock.h"
#include "tools/kxtool/user_hive.h"
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

// The replaced files of a restore stay with the data folder restored into
// (no documents folder is given): an administrator restoring another user's
// folder keeps that user's files in that user's own data, not in their own.
struct Tool {
    SettingsStore settings;
    DataFolders folders;
    ConsolePrompt prompt;
    BackupContext ctx;

    Tool(const char* dataFolder, Registry& registry)
        : settings(registry),
          folders{U16(dataFolder), {}, JoinPath(CleanFolderText(U16(dataFolder)), u"local")},
          ctx{SystemFileSystem(), folders, prompt, settings, {}} {
        folders.user = CleanFolderText(folders.user);
    }
};

#if !defined(_WIN32)
// The named groups a restore of `backup` would register: the group files of
// its "local" folder other than the Default group's.
std::vector<std::u16string> GroupsToRegister(std::u16string_view backup) {
    std::vector<std::u16string> groups;
    for (const std::u16string& name : SystemFileSystem().ListFiles(JoinPath(CleanFolderText(backup), u"local")))
        if (IsGroupFileName(name) && !GroupNameOfFile(name).empty()) groups.push_back(GroupNameOfFile(name));
    return groups;
}
#endif

void PrintAll(const char* what, const std::vector<std::u16string>& items) {
    for (const auto& i : items) std::printf("%s %s\n", what, U8(i).c_str());
}

}  // namespace

int RunBackupCommand(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: kxtool backup DATA_FOLDER DEST\n");
        return kExitUsage;
    }
#if defined(_WIN32)
    Win32Registry registry;
#else
    MemoryRegistry registry;
#endif
    Tool tool(argv[0], registry);
    if (!tool.ctx.fs.IsFolder(tool.folders.user)) {
        std::fprintf(stderr, "kxtool: %s is not a folder\n", argv[0]);
        return kExitRefused;
    }
    const BackupOutcome out = MakeBackup(tool.ctx, U16(argv[1]), LocalClockNow());
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
    const char* hive = nullptr;
    bool usage = argc < 2;
    for (int i = 2; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--overwrite") && choice == ConflictChoice::None) choice = ConflictChoice::Overwrite;
        else if (!std::strcmp(argv[i], "--skip") && choice == ConflictChoice::None) choice = ConflictChoice::Skip;
        else if (!std::strcmp(argv[i], "--user-hive") && i + 1 < argc && !hive) hive = argv[++i];
        else usage = true;
    }
    if (usage || choice == ConflictChoice::None) {
        std::fprintf(stderr, "usage: kxtool restore BACKUP DATA_FOLDER --overwrite|--skip [--user-hive FILE]\n");
        return kExitUsage;
    }
#if defined(_WIN32)
    UserHive userHive;
    std::string error;
    if (hive && !userHive.Load(U16(hive), error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return kExitRefused;
    }
    Win32Registry registry(hive ? userHive.Root() : HKEY_CURRENT_USER);
    const std::string where = hive ? std::string(hive) : std::string("the registry of the user running kxtool");
#else
    if (hive) {
        std::fprintf(stderr, "kxtool: --user-hive needs kxtool.exe on Windows; the Linux kxtool has no registry\n");
        return kExitRefused;
    }
    // Restored without being registered, a named group's file would lie in
    // the data folder where Kestrix never finds it.
    const std::vector<std::u16string> groups = GroupsToRegister(U16(argv[0]));
    if (!groups.empty()) {
        std::string names;
        for (const auto& g : groups) names += (names.empty() ? "" : ", ") + U8(g);
        std::fprintf(stderr,
                     "kxtool: the backup holds the groups %s, which only kxtool.exe on Windows can register where"
                     " Kestrix finds them; nothing was restored\n",
                     names.c_str());
        return kExitRefused;
    }
    MemoryRegistry registry;
    const std::string where = "memory";  // never printed: nothing is registered here
#endif
    Tool tool(argv[1], registry);
    if (!EnsureFolder(tool.ctx.fs, tool.folders.user)) {
        std::fprintf(stderr, "kxtool: cannot create the data folder %s\n", argv[1]);
        return kExitRefused;
    }
    const RestoreOutcome out = RestoreBackup(tool.ctx, U16(argv[0]), choice, LocalClockNow());
    if (!out.done) return kExitRefused;
    PrintAll("restored", out.copied);
    PrintAll("skipped", out.skipped);
    // A group counts as registered when the registry gives it back.
    bool written = true;
#if defined(_WIN32)
    if (hive && !out.registered.empty()) written = userHive.Flush();
#endif
    const std::vector<ShortcutGroup> found = GroupRegistry(tool.settings).Groups();
    bool allRegistered = true;
    for (const auto& g : out.registered) {
        const bool there = written && std::any_of(found.begin(), found.end(), [&](const ShortcutGroup& f) {
                               return f.name == g;
                           });
        allRegistered = allRegistered && there;
        if (there) std::printf("registered group %s in %s\n", U8(g).c_str(), where.c_str());
        else std::fprintf(stderr, "kxtool: group %s could not be registered in %s\n", U8(g).c_str(), where.c_str());
    }
    if (!out.keptIn.empty()) std::printf("kept replaced files in %s\n", U8(out.keptIn).c_str());
    PrintAll("not restored", out.notKept);
    PrintAll("not a group", out.notGroups);
    return out.notKept.empty() && allRegistered ? kExitOk : kExitIncomplete;
}

}  // namespace kx
