#include "app/lifecycle/exe_path.h"

#include "core/file_paths.h"

namespace kx {

std::u16string ModuleFolder(SettingsStore& settings, std::u16string_view runningProgram) {
    if (settings.Read(settings::ExePath) != runningProgram) settings.Write(settings::ExePath, runningProgram);
    std::u16string folder(FolderOf(runningProgram));
    folder.push_back(u'\\');
    return folder;
}

}  // namespace kx
