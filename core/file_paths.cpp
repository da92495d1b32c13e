#include "core/file_paths.h"

namespace kx {

std::u16string JoinPath(std::u16string_view folder, std::u16string_view name) {
    std::u16string p(folder);
    if (!p.empty() && !IsPathSeparator(p.back())) p.push_back(kPathSeparator);
    p += name;
    return p;
}

namespace {
size_t LastSeparator(std::u16string_view path) {
    for (size_t i = path.size(); i > 0; --i)
        if (IsPathSeparator(path[i - 1])) return i - 1;
    return std::u16string_view::npos;
}
}  // namespace

std::u16string_view FolderOf(std::u16string_view path) {
    size_t i = LastSeparator(path);
    return i == std::u16string_view::npos ? std::u16string_view() : path.substr(0, i);
}

std::u16string_view FileNameOf(std::u16string_view path) {
    size_t i = LastSeparator(path);
    return i == std::u16string_view::npos ? path : path.substr(i + 1);
}

}  // namespace kx
