#include "app/editors/editor_request.h"

#include <mutex>

#include "base/unicode_case.h"

namespace kx {

bool KeywordInUse(const ShortcutStore& store, std::u16string_view keyword, std::u16string_view editedKeyword) {
    std::lock_guard<std::mutex> guard(store.Lock());
    for (StoreIterator it = store.Begin(); !it.AtEnd(); it.Next()) {
        const std::u16string k = it.Keyword();
        if (k != editedKeyword && EqualsNoCase(k, keyword)) return true;
    }
    return false;
}

}  // namespace kx
