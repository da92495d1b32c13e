// The transfer and header encodings of mail: quoted-printable, Base64 as
// mailers write it, RFC 2047 encoded words, and bytes in a named charset.
#pragma once

#include <string>
#include <string_view>

namespace kx {

// "=XX" becomes the byte, "=" at the end of a line joins it to the next;
// a '=' that starts neither stays as it is.
std::string DecodeQuotedPrintable(std::string_view text);
// Skips line breaks and anything outside the alphabet; stops at '='.
std::string DecodeBase64Lenient(std::string_view text);
// UTF-8 for a charset named "utf-8" or "utf8" (any case), otherwise the
// bytes become code units one for one.
std::u16string BytesInCharset(std::string_view bytes, std::string_view charset);
// A header value as stored (UTF-8) with its "=?charset?B?...?=" and
// "=?charset?Q?...?=" words decoded; blanks between two encoded words go.
std::u16string DecodeHeaderValue(std::string_view raw);

}  // namespace kx
