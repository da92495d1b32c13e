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

std::optional<ClipboardSnapshot> SaveOpenClipboard(Clipboard& clipboard, Clock& clock, const SaveLimits& limits) {
    const uint32_t start = clock.TickMs();
    auto overrun = [&] { return uint32_t(clock.TickMs() - start) > limits.ms; };
    ClipboardSnapshot saved;
    std::vector<unsigned> seen;
    for (unsigned format : clipboard.Formats()) {
        if (overrun()) return std::nullopt;
        if (WorthSaving(format, seen)) {
            // The size first: a large format is never copied.
            if (clipboard.DataSize(format) > limits.formatBytes) saved.tooLarge.push_back(format);
            else if (auto bytes = clipboard.GetData(format)) saved.formats.push_back({format, std::move(*bytes)});
        }
        seen.push_back(format);
    }
    if (overrun()) return std::nullopt;
    return saved;
}

bool RestoreOpenClipboard(Clipboard& clipboard, const ClipboardSnapshot& snapshot) {
    if (!clipboard.Empty()) return false;
    bool all = true;
    for (const ClipFormat& f : snapshot.formats) all = clipboard.SetData(f.format, f.bytes) && all;
    return all;
}

}  // namespace kx
