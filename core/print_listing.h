// "TempPrint.txt": every shortcut of one store as plain text, for the
// user's text viewer to search and print.
#pragma once

#include <functional>
#include <string>

#include "core/shortcut_store.h"

namespace kx {

inline constexpr char16_t kPrivateListingHeading[] = u"Private Shortcuts:\r\n\r\n";
inline constexpr char16_t kSharedListingHeading[] = u"Shared Shortcuts:\r\n\r\n";
inline constexpr char16_t kImageNameNotFound[] = u"Image Name not Found";

// The text a shortcut is listed with: its text, or for one that has only
// stored rich text (a picture), the picture's file name.
std::u16string ListingText(const ShortcutEntry& entry);

// The whole listing as UTF-8: the heading, then for each shortcut in store
// order "Shortcut:\t\t", the keyword, CR LF, the text, CR LF CR LF. The
// caller holds the store's lock.
std::string PrintListing(const ShortcutStore& store, bool shared);

// What Search/Print does beyond making the listing's text.
struct ListingSteps {
    std::function<bool(const std::string& listing)> write;  // the listing file; false when it failed
    std::function<void()> reportFailure;                    // "Failed to save file!"
    std::function<void()> open;                             // the viewer for text files
    std::function<void()> pause;                            // while the viewer starts
};

// Writes the store's listing and opens it. The store's lock is held while
// the listing is made and written and during the pause, so that no edit
// changes the store then; never while the failure is reported or the
// viewer is started, which may wait on the user: a held lock would stop
// every expansion, and a shared-file reload on this thread would deadlock.
void ExportListing(const ShortcutStore& store, bool shared, const ListingSteps& steps);

}  // namespace kx
