#include "core/data_folders.h"

#include <vector>

#include "core/file_paths.h"

namespace kx {
namespace {

std::u16string ProductFolder(std::u16string_view base) {
    if (base.empty()) return {};
    return JoinPath(JoinPath(base, u"Tarvik Software"), u"Kestrix");
}

}  // namespace

DataFolders DataFolders::Resolve(KnownFolders& known) {
    DataFolders f;
    f.user = ProductFolder(known.RoamingAppData());
    f.machine = ProductFolder(known.CommonAppData());
    f.local = f.user.empty() ? std::u16string() : JoinPath(f.user, u"local");
    return f;
}

std::u16string DataFolders::DefaultGroupFile() const { return JoinPath(local, u"abbrev.dat"); }
std::u16string DataFolders::DefaultSharedFile() const { return JoinPath(machine, u"shared_abbrev.dat"); }
std::u16string DataFolders::MachineLocal() const { return JoinPath(machine, u"local"); }

std::u16string GroupFileIn(std::u16string_view folder, std::u16string_view groupName) {
    std::u16string name(groupName);
    name += u"_abbrev.dat";
    return JoinPath(folder, name);
}

bool EnsureFolder(FileSystem& fs, std::u16string_view folder) {
    while (!folder.empty() && IsPathSeparator(folder.back()) && folder.size() > 1) folder.remove_suffix(1);
    if (folder.empty()) return false;
    // Walk up to the first level that exists, then create downwards.
    std::vector<std::u16string_view> missing;
    std::u16string_view level = folder;
    while (!level.empty() && !fs.IsFolder(level)) {
        missing.push_back(level);
        level = FolderOf(level);
    }
    for (auto it = missing.rbegin(); it != missing.rend(); ++it) {
        if (!fs.MakeFolder(*it) && !fs.IsFolder(*it)) return false;
    }
    return true;
}

}  // namespace kx
