// kxtool: the command line over the program's portable core, for
// administrators, for the tests, and for anyone reproducing a problem.
#include <cstdio>
#include <cstring>

#include "tools/kxtool/commands.h"

namespace {

struct Command {
    const char* name;
    int (*run)(int, char**);
    const char* usage;
};

const Command kCommands[] = {
    {"acdata", kx::RunAcdataCommand,
     "acdata dump FILE | acdata sample FILE\n"
     "      Prints the phrases of a phrase file (acdata.txt) with their statistics,\n"
     "      one tab-separated line each, as the program loads them; or writes a\n"
     "      phrase file of generated phrases at the 100 MiB memory cap."},
    {"db", kx::RunDbCommand,
     "db dump FILE | db build JSON OUT | db check FILE\n"
     "      Prints a shortcut database as JSON, writes one from that JSON, or checks one."},
    {"macro", kx::RunMacroCommand,
     "macro [--date-order mdy|dmy|ymd] [--now YYYY-MM-DDTHH:MM:SS] FILE\n"
     "      Prints the commands a macro script parses into, with their input records,\n"
     "      and the first error the macro editor shows for it (exit 1), if any."},
    {"replay", kx::RunReplayCommand,
     "replay [--shortcut KEY=TEXT]... [--shared KEY=TEXT]... [--macro KEY=SCRIPT]...\n"
     "         [--setting SECTION/NAME=VALUE]... [--window CLASS] [FILE]\n"
     "      Runs key events (FILE or standard input) through the matcher and prints\n"
     "      every lookup, notice, output call and balloon."},
    {"rtf2html", kx::RunRtf2HtmlCommand,
     "rtf2html FILE\n"
     "      Prints the HTML document that the RTF in FILE converts to."},
    {"picture", kx::RunPictureCommand,
     "picture FILE [WIDTH HEIGHT]\n"
     "      Prints the RTF document a picture shortcut stores for FILE, at WIDTH by\n"
     "      HEIGHT pixels (0 or none: the picture's own size). kxtool.exe reads JPEG,\n"
     "      PNG, BMP and GIF files; the Linux kxtool reads BMP files only."},
    {"backup", kx::RunBackupCommand,
     "backup DATA_FOLDER DEST\n"
     "      Copies a user's data folder into DEST/Kestrix_Backup_<date>, as Backup Data does."},
    {"restore", kx::RunRestoreCommand,
     "restore BACKUP DATA_FOLDER --overwrite|--skip [--user-hive FILE]\n"
     "      Restores a backup folder into a user's data folder, as Restore Data does,\n"
     "      overwriting or skipping groups that exist. Replaced files are kept in\n"
     "      DATA_FOLDER/Kestrix_Before_Restore_<date>; files of BACKUP/local that are no\n"
     "      group's database are named and not restored. kxtool.exe registers new groups\n"
     "      for the user running it, or with --user-hive in FILE, the NTUSER.DAT of the\n"
     "      user whose folder it is (logged off). The Linux kxtool has no registry and\n"
     "      refuses a backup that holds named groups."},
    {"import", kx::RunImportCommand,
     "import espanso|beeftext|autohotkey|textexpander|csv PATH --data DATA_FOLDER --group NAME\n"
     "         [--dry-run] [--suffix]\n"
     "      Adds another text expander's shortcuts to a group of a user's data folder and\n"
     "      prints what became of each. A keyword in use is skipped, or with --suffix\n"
     "      numbered. A new group's file goes into DATA_FOLDER/local and kxtool.exe\n"
     "      registers it; the Linux kxtool takes --group Default only. With --dry-run\n"
     "      nothing is written. Exit 0 done, 1 done with skips, 2 nothing imported."},
    {"export-csv", kx::RunExportCsvCommand,
     "export-csv DATA_FOLDER GROUP OUT\n"
     "      Writes a group's shortcuts to OUT as CSV rows \"keyword\",\"text\",\"name\" (UTF-8);\n"
     "      rich text as its plain text, pictures and macros left out."},
    {"mail", kx::RunMailCommand,
     "mail FILE\n"
     "      Prints what the Thunderbird sent-mail scan makes of a mailbox: per message its\n"
     "      number, fed or skipped, the subject and the start of its text."},
};

void Usage(FILE* to) {
    std::fprintf(to, "usage: kxtool COMMAND [ARGS]\n\ncommands:\n");
    for (const Command& c : kCommands) std::fprintf(to, "  %s\n", c.usage);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2 || !std::strcmp(argv[1], "--help") || !std::strcmp(argv[1], "-h")) {
        Usage(argc < 2 ? stderr : stdout);
        return argc < 2 ? 2 : 0;
    }
    for (const Command& c : kCommands)
        if (!std::strcmp(argv[1], c.name)) return c.run(argc - 2, argv + 2);
    std::fprintf(stderr, "kxtool: unknown command '%s'\n", argv[1]);
    Usage(stderr);
    return 2;
}
