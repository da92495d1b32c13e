#include "core/mapped_file.h"

namespace kx {

bool MappedFile::Map(uint64_t size) {
    if (!file) return false;
    view = file->Map(size);
    return view && view->Data();
}

bool MappedFile::Unmap() {
    if (!view) return true;
    bool ok = view->Unmap();
    view.reset();
    return ok;
}

std::unique_ptr<OpenFile> OpenWithRetry(FileMapping& files, Clock& clock, std::u16string_view path,
                                        FileAccess access, FileShare share, FileDisposition disposition,
                                        uint32_t budgetMs, FileError* lastError) {
    uint32_t budget = budgetMs;
    uint32_t wait = uint32_t((uint64_t(budgetMs) + 127) / 128);
    for (;;) {
        FileError error = FileError::None;
        auto f = files.Open(path, access, share, disposition, error);
        if (lastError) *lastError = error;
        if (f || error != FileError::SharingViolation || budget <= wait) return f;
        clock.SleepMs(wait);
        budget -= wait;
        wait *= 2;
    }
}

}  // namespace kx
