#include "app/lifecycle/exe_path.h"

#include "core/file_paths.h"

namespace kx {

std::u16string ModuleFolder(SettingsStore& settings, FileSystem& fs, std::u16string_view runningProgram) {
    std::u16string program = settings.Read(settings::ExePath);
    if (program.empty() || !fs.IsFile(program)) {
        program.assign(runningProgram);
        settings.Write(settings::ExePath, program);
    }
    std::u16string folder(FolderOf(program));
    folder.push_back(u'\\');
    return folder;
}

}  // namespace kx
