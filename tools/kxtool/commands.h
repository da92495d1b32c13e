// The sub-commands of kxtool. Each takes the arguments after its own name
// and returns the process exit code.
#pragma once

namespace kx {

int RunMacroCommand(int argc, char** argv);
int RunReplayCommand(int argc, char** argv);
int RunRtf2HtmlCommand(int argc, char** argv);
int RunDbCommand(int argc, char** argv);
int RunAcdataCommand(int argc, char** argv);
int RunPictureCommand(int argc, char** argv);
int RunBackupCommand(int argc, char** argv);
int RunRestoreCommand(int argc, char** argv);
int RunMailCommand(int argc, char** argv);
int RunImportCommand(int argc, char** argv);
int RunExportCsvCommand(int argc, char** argv);

}  // namespace kx
