#include "core/machine_folder_trust.h"

#include "core/file_paths.h"
#include "platform/stream_file.h"

namespace kx {

Distrust Judge(const FileFacts& facts, std::u16string_view me) {
    if (facts.reparsePoint) return Distrust::ReparsePoint;
    if (!facts.folder && facts.linkCount > 1) return Distrust::HardLinked;
    if (facts.ownerIsAdmin) return Distrust::None;
    if (facts.ownerSid.empty() || facts.ownerSid != me) return Distrust::ForeignOwner;
    return Distrust::None;
}

std::unique_ptr<HeldFile> OpenTrusted(FileSecurity& security, std::u16string_view path) {
    std::unique_ptr<HeldFile> held = security.Open(path);
    if (!held || Judge(held->Facts(), security.CurrentUserSid()) != Distrust::None) return nullptr;
    return held;
}

bool MachineFolderTrusted(FileSecurity& security, const DataFolders& folders) {
    if (folders.machine.empty()) return false;
    // A junction at the product level would carry the machine folder with it.
    for (std::u16string_view level : {FolderOf(folders.machine), std::u16string_view(folders.machine)}) {
        const auto held = OpenTrusted(security, level);
        if (!held || !held->Facts().folder) return false;
    }
    return true;
}

bool ShareWithUsers(FileSecurity& security, std::u16string_view path, UsersAccess access) {
    const auto held = OpenTrusted(security, path);
    return held && held->GiveUsers(access);
}

bool CopySeed(FileSecurity& security, FileSystem& fs, std::u16string_view from, std::u16string_view to) {
    const auto held = OpenTrusted(security, from);
    std::vector<uint8_t> bytes;
    if (!held || held->Facts().folder || !held->ReadAll(bytes, kSeedFileCap)) return false;
    FileError error = FileError::None;
    auto out = OpenStreamFile(to, StreamMode::Create, error);
    if (!out) return false;
    const bool written = out->Write(bytes.data(), bytes.size());
    if (out->Close() && written) return true;
    out.reset();
    fs.Remove(to);
    return false;
}

}  // namespace kx
