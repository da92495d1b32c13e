#include "core/save_with_notice.h"

#include "base/unicode_case.h"

namespace kx {

namespace {
bool IsSeparator(char16_t c) { return c == u'\\' || c == u'/'; }
}  // namespace

bool PathIsInside(std::u16string_view path, std::u16string_view folder) {
    while (!folder.empty() && IsSeparator(folder.back())) folder.remove_suffix(1);
    if (folder.empty() || path.size() <= folder.size() + 1) return false;
    return EqualsNoCase(path.substr(0, folder.size()), folder) && IsSeparator(path[folder.size()]);
}

bool SaveWithNotice(const ShortcutStore& store, std::u16string_view path, const DatabaseIo& io,
                    const SaveNoticeContext& context) {
    const std::u16string target(path.empty() ? std::u16string_view(store.FilePath()) : path);
    if (!ShortcutStore::Save(store, target, io)) {
        context.prompt.ShowError(u"File Save Error", u"Failed to save file!");
        return false;
    }
    return true;
}

}  // namespace kx
