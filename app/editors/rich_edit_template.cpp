#include "app/editors/rich_edit_template.h"

#include <algorithm>
#include <cstring>

namespace kx {

const wchar_t* AvailableRichEditClass() {
    WNDCLASSEXW info{};
    info.cbSize = sizeof(info);
    return ::GetClassInfoExW(nullptr, kRichEdit50Class, &info) ? kRichEdit50Class : kRichEdit20Class;
}

std::vector<uint8_t> TemplateWithRichEditClass(HMODULE module, int templateId, std::wstring_view className) {
    HRSRC found = ::FindResourceW(module, MAKEINTRESOURCEW(templateId), MAKEINTRESOURCEW(5) /* RT_DIALOG */);
    HGLOBAL loaded = found ? ::LoadResource(module, found) : nullptr;
    const void* data = loaded ? ::LockResource(loaded) : nullptr;
    if (!data) return {};
    const auto* begin = static_cast<const uint8_t*>(data);
    std::vector<uint8_t> copy(begin, begin + ::SizeofResource(module, found));
    const std::wstring_view from(kRichEdit50Class);
    if (className.size() != from.size() || className == from) return copy;
    // Class names are stored as UTF-16 strings at even offsets.
    const size_t bytes = from.size() * sizeof(wchar_t);
    for (size_t at = 0; at + bytes <= copy.size(); at += 2) {
        if (std::memcmp(copy.data() + at, from.data(), bytes) != 0) continue;
        std::memcpy(copy.data() + at, className.data(), bytes);
        at += bytes - 2;
    }
    return copy;
}

}  // namespace kx
