// "TempPrint.txt": every shortcut of one store as plain text, for the
// user's text viewer to search and print.
#pragma once

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

}  // namespace kx
