// Single-byte Windows ("ANSI") code pages, for the 8-bit text inside RTF.
//
// RTF names the document's code page with \ansicpg and a font's character set
// with \fcharset; \'hh bytes and raw 8-bit text are read through them. The
// double-byte East Asian pages are not tabled: their bytes fall back to 1252.
#pragma once

#include <cstdint>

namespace kx {

inline constexpr int kDefaultAnsiCodePage = 1252;

// Whether `codePage` is one of the tabled pages (874, 1250 to 1258).
bool IsSupportedCodePage(int codePage);

// The character for `byte` in `codePage`. ASCII bytes map to themselves;
// bytes the page leaves undefined give U+FFFD; an untabled page reads as 1252.
char16_t AnsiByteToUtf16(int codePage, uint8_t byte);

// The code page of an RTF/GDI character set number (\fcharsetN), or 0 when
// the character set names none of its own (DEFAULT_CHARSET, SYMBOL_CHARSET,
// unknown numbers): the document's code page applies then.
int CodePageForCharset(int charset);

}  // namespace kx
