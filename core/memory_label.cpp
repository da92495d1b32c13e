#include "core/memory_label.h"

#include <cstdio>

namespace kx {
namespace {

std::u16string Widen(const char* ascii) {
    std::u16string out;
    for (const char* p = ascii; *p; ++p) out.push_back(char16_t(static_cast<unsigned char>(*p)));
    return out;
}

}  // namespace

std::u16string MemoryAmountText(double bytes) {
    char text[64];
    if (bytes < 1024.0) std::snprintf(text, sizeof text, "%d Bytes", int(bytes));
    else if (bytes < 1048576.0) std::snprintf(text, sizeof text, "%0.2f KB", bytes / 1024.0);
    else if (bytes < 1073741824.0) std::snprintf(text, sizeof text, "%0.2f MB", bytes / 1048576.0);
    else std::snprintf(text, sizeof text, "%0.2f GB", bytes / 1073741824.0);
    return Widen(text);
}

std::u16string MemoryLabelText(int position, uint32_t totalVirtual) {
    const double amount = position * 0.01 * double(totalVirtual);
    char head[32];
    std::snprintf(head, sizeof head, "%d%% .... ", position);
    return Widen(head) + MemoryAmountText(amount);
}

}  // namespace kx
