#include "core/utf8_encode.h"

#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace kx {

namespace {

#if defined(__SSE2__)
// Whether no bit of `mask` is set in `v`.
bool NoneSet(__m128i v, __m128i mask) {
    return _mm_movemask_epi8(_mm_cmpeq_epi8(_mm_and_si128(v, mask), _mm_setzero_si128())) == 0xFFFF;
}
#endif

bool IsHigh(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLow(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

// Expansions are mostly ASCII: copies the run of ASCII code units that starts
// at s[i] (to `out` when it is not null) and returns how many there were.
size_t AsciiRun(const char16_t* s, size_t size, size_t i, uint8_t* out) {
    const size_t start = i;
#if defined(__SSE2__)
    const __m128i high = _mm_set1_epi16(short(0xFF80));
    auto load = [s](size_t at) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + at)); };
    // Sixteen units a step while they are all ASCII.
    while (i + 16 <= size) {
        const __m128i a = load(i), b = load(i + 8);
        if (!NoneSet(_mm_or_si128(a, b), high)) break;
        if (out) _mm_storeu_si128(reinterpret_cast<__m128i*>(out + (i - start)), _mm_packus_epi16(a, b));
        i += 16;
    }
    // Then eight, and where those are not all ASCII, the ones before the
    // first that is not: found from the comparison's mask.
    while (i + 8 <= size) {
        const __m128i v = load(i);
        const unsigned ascii = unsigned(_mm_movemask_epi8(_mm_cmpeq_epi16(_mm_and_si128(v, high), _mm_setzero_si128())));
        if (ascii != 0xFFFF) {
            const size_t n = size_t(__builtin_ctz(~ascii)) / 2;
            if (out) {
                alignas(16) uint8_t packed[16];
                _mm_store_si128(reinterpret_cast<__m128i*>(packed), _mm_packus_epi16(v, v));
                std::memcpy(out + (i - start), packed, n);
            }
            return i + n - start;
        }
        if (out) _mm_storel_epi64(reinterpret_cast<__m128i*>(out + (i - start)), _mm_packus_epi16(v, v));
        i += 8;
    }
#endif
    while (i < size && s[i] < 0x80) {
        if (out) out[i - start] = uint8_t(s[i]);
        ++i;
    }
    return i - start;
}

}  // namespace

size_t Utf8Length(std::u16string_view s) {
    size_t n = 0;
    const size_t size = s.size();
    for (size_t i = 0; i < size; ++i) {
        const size_t run = AsciiRun(s.data(), size, i, nullptr);
        n += run;
        i += run;
        if (i >= size) break;
        const char16_t c = s[i];
        if (c < 0x800) n += 2;
        else if (IsHigh(c) && i + 1 < size && IsLow(s[i + 1])) { n += 4; ++i; }
        else n += 3;  // the rest of the BMP, and U+FFFD for an unpaired surrogate
    }
    return n;
}

uint8_t* EncodeUtf8(std::u16string_view s, uint8_t* out) {
    const size_t size = s.size();
    for (size_t i = 0; i < size; ++i) {
        const size_t run = AsciiRun(s.data(), size, i, out);
        out += run;
        i += run;
        if (i >= size) break;
        char32_t c = s[i];
        if (c < 0x800) {
            *out++ = uint8_t(0xC0 | (c >> 6));
            *out++ = uint8_t(0x80 | (c & 0x3F));
        } else if (IsHigh(char16_t(c)) && i + 1 < size && IsLow(s[i + 1])) {
            c = 0x10000 + ((c - 0xD800) << 10) + (s[++i] - 0xDC00);
            *out++ = uint8_t(0xF0 | (c >> 18));
            *out++ = uint8_t(0x80 | ((c >> 12) & 0x3F));
            *out++ = uint8_t(0x80 | ((c >> 6) & 0x3F));
            *out++ = uint8_t(0x80 | (c & 0x3F));
        } else {
            if (c >= 0xD800 && c <= 0xDFFF) c = 0xFFFD;
            *out++ = uint8_t(0xE0 | (c >> 12));
            *out++ = uint8_t(0x80 | ((c >> 6) & 0x3F));
            *out++ = uint8_t(0x80 | (c & 0x3F));
        }
    }
    return out;
}

}  // namespace kx
