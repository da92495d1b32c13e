#include "core/print_listing.h"

#include <mutex>

#include "core/picture_name.h"
#include "core/utf8_encode.h"

namespace kx {
namespace {

void Append(std::string& out, std::u16string_view text) {
    const size_t at = out.size();
    out.resize(at + Utf8Length(text));
    EncodeUtf8(text, reinterpret_cast<uint8_t*>(out.data() + at));
}

}  // namespace

std::u16string ListingText(const ShortcutEntry& entry) {
    if (!entry.plainText.empty() || entry.richText.empty()) return entry.plainText;
    std::u16string name = PictureFileName(entry.richText);
    return name.empty() ? kImageNameNotFound : name;
}

std::string PrintListing(const ShortcutStore& store, bool shared) {
    std::string out;
    Append(out, shared ? kSharedListingHeading : kPrivateListingHeading);
    for (StoreIterator it = store.Begin(); !it.AtEnd(); it.Next()) {
        out += "Shortcut:\t\t";
        Append(out, it.Keyword());
        out += "\r\n";
        Append(out, ListingText(*it.Entry()));
        out += "\r\n\r\n";
    }
    return out;
}

void ExportListing(const ShortcutStore& store, bool shared, const ListingSteps& steps) {
    bool written = false;
    {
        std::lock_guard<std::mutex> hold(store.Lock());
        written = steps.write(PrintListing(store, shared));
    }
    if (!written) {
        steps.reportFailure();
        return;
    }
    steps.open();
    std::lock_guard<std::mutex> hold(store.Lock());
    steps.pause();
}

}  // namespace kx
