// Building and splitting file paths. Windows paths use the backslash; the
// native build, which serves the tools and tests, uses the slash. Splitting
// accepts either.
#pragma once

#include <string>
#include <string_view>

namespace kx {

#if defined(_WIN32)
inline constexpr char16_t kPathSeparator = u'\\';
#else
inline constexpr char16_t kPathSeparator = u'/';
#endif

inline bool IsPathSeparator(char16_t c) { return c == u'\\' || c == u'/'; }

// "folder" + separator + "name"; no doubled separator when the folder ends in one.
std::u16string JoinPath(std::u16string_view folder, std::u16string_view name);
// Everything before the last separator (empty when there is none).
std::u16string_view FolderOf(std::u16string_view path);
// Everything after the last separator.
std::u16string_view FileNameOf(std::u16string_view path);

}  // namespace kx
