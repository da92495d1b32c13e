#include "core/backup_names.h"

#include <cstdio>

#include "base/text.h"
#include "base/unicode_case.h"
#include "core/file_paths.h"
#include "core/group_commands.h"

namespace kx {
namespace {

// The date and time joined by a space, then ":" and " " made safe for a
// folder name.
std::u16string DatedName(const char16_t* prefix, const LocalTime& t) {
    char date[32], time[32];
    std::snprintf(date, sizeof date, "%.4d-%.2d-%.2d", t.year, t.month, t.day);
    std::snprintf(time, sizeof time, "%.2d:%.2d:%.2d", t.hour, t.minute, t.second);
    std::u16string stamp = U16(std::string(date) + " " + time);
    for (char16_t& c : stamp) {
        if (c == u':') c = u'-';
        else if (c == u' ') c = u'_';
    }
    return prefix + stamp;
}

void RemoveAll(std::u16string& text, std::u16string_view part) {
    for (size_t at; (at = text.find(part)) != std::u16string::npos;) text.erase(at, part.size());
}

}  // namespace

std::u16string BackupFolderName(const LocalTime& now) { return DatedName(u"Kestrix_Backup_", now); }
std::u16string BeforeRestoreFolderName(const LocalTime& now) { return DatedName(u"Kestrix_Before_Restore_", now); }

std::u16string CleanFolderText(std::u16string_view typed) {
    std::u16string_view folder = TrimSpaces(typed);
    if (!folder.empty() && IsPathSeparator(folder.back())) folder.remove_suffix(1);
    return std::u16string(folder);
}

bool StartsWithFolder(std::u16string_view path, std::u16string_view folder) {
    return !folder.empty() && path.substr(0, folder.size()) == folder;
}

bool IsGroupFileName(std::u16string_view fileName) {
    constexpr std::u16string_view kDefault = u"abbrev.dat", kSuffix = u"_abbrev.dat";
    if (EqualsNoCase(fileName, kDefault)) return true;
    return fileName.size() > kSuffix.size() && EqualsNoCase(fileName.substr(fileName.size() - kSuffix.size()), kSuffix);
}

std::u16string GroupNameOfFile(std::u16string_view fileName) {
    std::u16string title(fileName);
    if (const size_t dot = title.rfind(u'.'); dot != std::u16string::npos) title.erase(dot);
    RemoveAll(title, u"_abbrev");
    RemoveAll(title, u"abbrev");
    return title;
}

}  // namespace kx
