#include "core/damaged_copy.h"

#include <cstring>
#include <string>

#include "core/mapped_file.h"
#include "base/text.h"

namespace kx {

namespace {

// More copies of one file than anyone would look through.
constexpr int kMaxCopies = 999;

bool SameBytes(FileMapping& files, std::u16string_view a, std::u16string_view b) {
    MappedFile fa, fb;
    FileError error = FileError::None;
    fa.file = files.Open(a, FileAccess::Read, FileShare::ReadWrite, FileDisposition::OpenExisting, error);
    fb.file = files.Open(b, FileAccess::Read, FileShare::ReadWrite, FileDisposition::OpenExisting, error);
    uint64_t sa = 0, sb = 0;
    if (!fa.file || !fb.file || !fa.file->Size(sa) || !fb.file->Size(sb) || sa != sb) return false;
    if (sa == 0) return true;
    if (!fa.Map(0) || !fb.Map(0) || fa.Size() != fb.Size()) return false;
    return std::memcmp(fa.Data(), fb.Data(), size_t(fa.Size())) == 0;
}

}  // namespace

std::u16string KeepDamagedCopy(FileSystem& fs, FileMapping& files, std::u16string_view path) {
    if (path.empty()) return {};
    for (int n = 1; n <= kMaxCopies; ++n) {
        std::u16string copy(path);
        copy += u".damaged";
        if (n > 1) copy += u"-" + Utf8ToUtf16(std::to_string(n));
        if (fs.IsFile(copy)) {
            if (SameBytes(files, copy, path)) return copy;
            continue;
        }
        // The copy fails rather than replace a file that appeared meanwhile.
        if (fs.Copy(path, copy, false)) return copy;
        if (!fs.IsFile(copy)) return {};
    }
    return {};
}

std::u16string WithDamagedCopyNote(std::u16string_view message, std::u16string_view lineBreak,
                                   std::u16string_view copy) {
    std::u16string text(message);
    if (copy.empty()) return text;
    text += lineBreak;
    text += FormatS(u"A copy of the damaged file was kept as %s.", copy);
    return text;
}

}  // namespace kx
