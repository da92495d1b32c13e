#include "learn/mail/thunderbird_profiles.h"

#include "base/text.h"

namespace kx {
namespace {

// Deep enough for any profile; a link loop in the folders must still end.
constexpr int kMaxFolderDepth = 32;

std::u16string Join(std::u16string_view folder, std::u16string_view name) {
    std::u16string path(folder);
    if (!path.empty() && path.back() != u'\\' && path.back() != u'/') path += u'\\';
    path += name;
    return path;
}

void Collect(FileSystem& fs, const std::u16string& folder, int depth, std::vector<std::u16string>& out) {
    for (const std::u16string& name : fs.ListFiles(folder))
        if (EqualsNoCaseAscii(name, u"Sent")) out.push_back(Join(folder, name));
    if (depth >= kMaxFolderDepth) return;
    for (const std::u16string& name : fs.ListFolders(folder)) Collect(fs, Join(folder, name), depth + 1, out);
}

}  // namespace

std::vector<std::u16string> FindThunderbirdMailboxes(FileSystem& fs, std::u16string_view roamingAppData) {
    std::vector<std::u16string> mailboxes;
    if (roamingAppData.empty()) return mailboxes;
    const std::u16string profiles = Join(Join(roamingAppData, u"Thunderbird"), u"Profiles");
    if (!fs.IsFolder(profiles)) return mailboxes;
    Collect(fs, profiles, 0, mailboxes);
    return mailboxes;
}

}  // namespace kx
