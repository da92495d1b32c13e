#include "picture/legacy_conversion.h"

#include <vector>

#include "core/file_paths.h"
#include "core/machine_folder_trust.h"
#include "core/whole_file.h"
#include "picture/legacy_picture.h"
#include "picture/picture_encoder.h"

namespace kx {
namespace {

enum class FileOutcome { Done, Cancelled };

// Writes the old picture out under its own name, encodes it as a metafile
// picture and puts the new document in `rtf`. False leaves `rtf` as it was.
bool ReencodePicture(const LegacyConversion& pass, std::string& rtf) {
    LegacyPicture old;
    if (!ReadLegacyPicture(rtf, old)) return false;
    std::u16string name = SafeFileName(old.fileName);
    if (name.empty()) return false;
    const std::u16string path = JoinPath(pass.tempFolder, name);
    if (!WriteWholeFile(std::filesystem::path(path), old.bytes)) return false;
    std::string document;
    bool ok = EncodePicture(document, path, old.width, old.height, pass.codec, pass.tempFolder);
    pass.files.Remove(path);
    if (ok) rtf = std::move(document);
    return ok;
}

FileOutcome ConvertFile(const LegacyConversion& pass, const std::u16string& path, bool shared) {
    StoreRef store = ShortcutStore::Create();
    uint32_t count = 0;
    DatabaseIo io = pass.io;
    io.clips = nullptr;  // the store only passes through: no clipboard forms
    // The shared file is read with its password so that it is written back
    // with it.
    if (ShortcutStore::Load(*store, path, shared, count, io) != LoadOk) return FileOutcome::Done;

    bool changed = false;
    for (StoreIterator it = store->Begin(); !it.AtEnd(); it.Next()) {
        EntryRef entry = it.Entry();
        if (entry->kind == ShortcutKind::Picture && IsLegacyPicture(entry->richText))
            changed |= ReencodePicture(pass, entry->richText);
        if (pass.cancelRequested && pass.cancelRequested()) return FileOutcome::Cancelled;
    }
    // A file without older pictures is left as it is, byte for byte.
    if (changed && ShortcutStore::Save(*store, path, io) &&
        EqualsNoCaseAscii(FolderOf(path), pass.folders.machine))
        ShareWithUsers(pass.security, path, UsersAccess::Modify);
    return FileOutcome::Done;
}

}  // namespace

bool ConvertLegacyPictures(const LegacyConversion& pass) {
    if (pass.settings.ReadBool(settings::PicShortcutsConvertedToWindowMetaFile)) return true;

    struct Target {
        std::u16string path;
        bool shared;
    };
    std::vector<Target> targets{{pass.folders.DefaultSharedFile(), true}};
    for (const std::u16string& name : pass.files.ListFiles(pass.folders.local))
        targets.push_back({JoinPath(pass.folders.local, name), false});

    for (size_t i = 0; i < targets.size(); ++i) {
        if (pass.progress) pass.progress(i, targets.size());
        if (ConvertFile(pass, targets[i].path, targets[i].shared) == FileOutcome::Cancelled) return false;
    }
    if (pass.progress) pass.progress(targets.size(), targets.size());
    pass.settings.WriteBool(settings::PicShortcutsConvertedToWindowMetaFile, true);
    return true;
}

}  // namespace kx
