#include "engine/output/clipboard_snapshot.h"

#include <algorithm>

namespace kx {
namespace {

// The formats the system converts between: only one of each family needs
// keeping.
int Family(unsigned format) {
    switch (format) {
    case kCfText: case kCfOemText: case kCfUnicodeText: return 1;
    case kCfBitmap: case kCfDib: case kCfDibV5: return 2;
    case kCfMetafilePict: case kCfEnhMetafile: return 3;
    default: return 0;
    }
}

}  // namespace

bool WorthSaving(unsigned format, const std::vector<unsigned>& earlier) {
    if (format == 0 || format == kCfOwnerDisplay) return false;
    if (format >= kCfPrivateFirst && format <= kCfPrivateLast) return false;
    if (format >= kCfGdiObjFirst && format <= kCfGdiObjLast) return false;
    const int family = Family(format);
    if (family == 0) return std::find(earlier.begin(), earlier.end(), format) == earlier.end();
    return std::none_of(earlier.begin(), earlier.end(), [family](unsigned f) { return Family(f) == family; });
}

ClipboardSnapshot SaveOpenClipboard(Clipboard& clipboard) {
    ClipboardSnapshot saved;
    std::vector<unsigned> seen;
    for (unsigned format : clipboard.Formats()) {
        if (WorthSaving(format, seen)) {
            if (auto bytes = clipboard.GetData(format)) saved.formats.push_back({format, std::move(*bytes)});
        }
        seen.push_back(format);
    }
    return saved;
}

bool RestoreOpenClipboard(Clipboard& clipboard, const ClipboardSnapshot& snapshot) {
    if (!clipboard.Empty()) return false;
    bool all = true;
    for (const ClipFormat& f : snapshot.formats) all = clipboard.SetData(f.format, f.bytes) && all;
    return all;
}

}  // namespace kx
