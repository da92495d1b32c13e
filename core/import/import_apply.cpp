// Reading a source into a preview, and applying a preview to a group.
#include <string>

#include "base/text.h"
#include "core/file_paths.h"
#include "core/group_commands.h"
#include "core/data_folders.h"
#include "core/database_io.h"
#include "core/group_registry.h"
#include "core/import/ahk_import.h"
#include "core/import/beeftext_import.h"
#include "core/import/csv_import.h"
#include "core/import/espanso_import.h"
#include "core/import/import.h"
#include "core/import/import_item.h"
#include "core/whole_file.h"
#include "picture/picture_encoder.h"

namespace kx {

std::u16string ImportGroupName(ImportSource source, std::u16string_view path) {
    if (source == ImportSource::TextExpander) {
        const std::u16string_view title = FileTitleOf(path);
        if (!title.empty() && !HasInvalidGroupChar(title)) return std::u16string(title);
    }
    return ImportSourceName(source);
}

ImportPreview PreviewImport(ImportSource source, std::u16string_view path, const ImportEnvironment& env) {
    ImportPreview p;
    p.source = source;
    p.path = std::u16string(path);
    if (source == ImportSource::Espanso) {
        ReadEspansoImport(path, env, p);
        return p;
    }
    std::string bytes;
    if (path.empty() || !ReadWholeFile(std::filesystem::path(std::u16string(path)), bytes)) {
        p.problems.push_back(Quoted(path) + u" cannot be read.");
        return p;
    }
    const std::u16string name(FileNameOf(path));
    if (bytes.empty()) {
        p.problems.push_back(Quoted(name) + u" is empty.");
        return p;
    }
    switch (source) {
        case ImportSource::Beeftext: ReadBeeftextImport(bytes, name, p); break;
        case ImportSource::AutoHotkey: ReadAutoHotkeyImport(bytes, name, p); break;
        default: ReadCsvImport(bytes, name, p); break;
    }
    return p;
}

namespace {

// `clips`, when given, makes a rich-text entry's browser clip before the
// entry goes in, as a load would: the matcher may expand it at once.
ImportCounts ApplyWithClips(ShortcutStore& store, ImportPreview& preview, ImportConflict conflict,
                            ClipBuilder* clips) {
    std::vector<ShortcutStore::NewShortcut> adds;
    std::vector<ImportItem*> from;
    for (ImportItem& item : preview.items) {
        if (item.status == ImportStatus::Skipped || item.keyword.empty()) continue;
        EntryRef entry = ShortcutEntry::Make(item.kind, item.kind == ShortcutKind::Picture ? u"" : item.text,
                                             item.richText);
        if (!entry) {
            MarkSkipped(item, u"There was not enough memory to add it.");
            continue;
        }
        if (clips && item.kind == ShortcutKind::RichText) clips->BuildRich(*entry);
        adds.push_back({item.keyword, std::move(entry)});
        from.push_back(&item);
    }
    // A keyword in use: given up, or SIG2, SIG3, ... as long as a keyword may be.
    const auto next = [conflict](const std::u16string& keyword, int attempt) -> std::u16string {
        if (conflict == ImportConflict::Skip || attempt >= 10000) return {};
        std::u16string candidate = keyword + U16(std::to_string(attempt + 1));
        return candidate.size() <= kMaxFieldChars ? candidate : std::u16string();
    };
    // The editors' rule, unique without regard to case, checked and applied
    // under one hold of the store's lock.
    store.InsertAllUnique(adds, next);
    for (size_t i = 0; i < adds.size(); ++i) {
        ImportItem& item = *from[i];
        const ShortcutStore::NewShortcut& add = adds[i];
        if (add.result == ShortcutStore::InsertResult::Failed) {
            MarkSkipped(item, u"There was not enough memory to add it.");
        } else if (add.result == ShortcutStore::InsertResult::KeywordInUse) {
            MarkSkipped(item, conflict == ImportConflict::Skip
                                  ? u"The keyword " + Quoted(item.keyword) + u" is in use in the group."
                                  : u"The keyword " + Quoted(item.keyword) +
                                        u" is in use in the group, and no free number could be added to it.");
        } else if (add.keyword != item.keyword) {
            MarkChanged(item, u"Imported as " + Quoted(add.keyword) + u": " + Quoted(item.keyword) +
                                  u" is in use in the group.");
            item.keyword = add.keyword;
        }
    }
    return CountImport(preview);
}

}  // namespace

ImportCounts ApplyImport(ShortcutStore& store, ImportPreview& preview, ImportConflict conflict) {
    return ApplyWithClips(store, preview, conflict, nullptr);
}

GroupImportOutcome ImportIntoGroup(const DataContext& ctx, std::u16string_view groupName, ImportPreview& preview,
                                   ImportConflict conflict, LoadedStores* live) {
    GroupImportOutcome o;
    const std::u16string_view name = TrimSpaces(groupName);
    if (name.empty()) {
        o.error = u"Please enter the name for the shortcut group.";
        return o;
    }
    if (HasInvalidGroupChar(name) || name.size() > kMaxGroupNameChars) {
        o.error = u"The name cannot contain invalid characters /\\:*?\"<>|";
        return o;
    }
    GroupRegistry groups(ctx.settings);
    std::u16string registeredName;
    for (const std::u16string& n : groups.Names())
        if (EqualsNoCaseAscii(n, name)) registeredName = n;
    const bool isDefault = EqualsNoCaseAscii(name, kDefaultGroupName);
    if (!registeredName.empty()) o.file = groups.LocationOf(registeredName);
    if (o.file.empty() && isDefault) o.file = ctx.folders.DefaultGroupFile();
    const bool isNew = registeredName.empty() && !isDefault;
    if (o.file.empty()) o.file = GroupFileIn(ctx.folders.local, name);

    const bool isLive = live && live->localLoaded && !isNew && EqualsNoCaseAscii(live->groupName, name);
    StoreRef store = isLive ? live->local : ShortcutStore::Create();
    if (isLive) {
        o.file = live->groupPath;
    } else if (ctx.fs.IsFile(o.file)) {
        uint32_t count = 0;
        if (ShortcutStore::Load(*store, o.file, false, count, ctx.io) != LoadOk) {
            o.error = u"The group's file " + Quoted(o.file) + u" cannot be read, so nothing was added to it.";
            return o;
        }
    }
    o.counts = ApplyWithClips(*store, preview, conflict, ctx.io.clips);
    if (!EnsureFolder(ctx.fs, FolderOf(o.file)) || !ShortcutStore::Save(*store, o.file, ctx.io)) {
        o.error = u"The group's file " + Quoted(o.file) + u" cannot be written.";
        return o;
    }
    if (isNew) {
        groups.Register(name, o.file);
        o.created = true;
    }
    o.done = true;
    return o;
}

}  // namespace kx
