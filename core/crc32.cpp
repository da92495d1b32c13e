#include "core/crc32.h"

#include <array>

#if (defined(__x86_64__) || defined(__i386__)) && (defined(__GNUC__) || defined(__clang__))
#define KX_CRC32_CLMUL 1
#include <cpuid.h>
#include <immintrin.h>
#endif

namespace kx {
namespace {

constexpr uint32_t kPolynomial = 0xEDB88320u;

// Eight tables for slicing by 8, the fallback when there is no carry-less
// multiply: the database file's checksum covers the whole file.
using Tables = std::array<std::array<uint32_t, 256>, 8>;

constexpr Tables MakeTables() {
    Tables t{};
    for (uint32_t i = 0; i < 256; ++i) {
        uint32_t c = i;
        for (int k = 0; k < 8; ++k) c = (c & 1) ? kPolynomial ^ (c >> 1) : c >> 1;
        t[0][i] = c;
    }
    for (uint32_t i = 0; i < 256; ++i)
        for (size_t s = 1; s < 8; ++s) t[s][i] = (t[s - 1][i] >> 8) ^ t[0][t[s - 1][i] & 0xFF];
    return t;
}

constexpr Tables kTables = MakeTables();

// The CRC register (not complemented) carried over n bytes.
uint32_t TableUpdate(uint32_t crc, const uint8_t* p, size_t n) {
    while (n >= 8) {
        uint32_t lo = crc ^ (uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24);
        uint32_t hi = uint32_t(p[4]) | uint32_t(p[5]) << 8 | uint32_t(p[6]) << 16 | uint32_t(p[7]) << 24;
        crc = kTables[7][lo & 0xFF] ^ kTables[6][(lo >> 8) & 0xFF] ^ kTables[5][(lo >> 16) & 0xFF] ^
              kTables[4][lo >> 24] ^ kTables[3][hi & 0xFF] ^ kTables[2][(hi >> 8) & 0xFF] ^
              kTables[1][(hi >> 16) & 0xFF] ^ kTables[0][hi >> 24];
        p += 8;
        n -= 8;
    }
    while (n--) crc = kTables[0][(crc ^ *p++) & 0xFF] ^ (crc >> 8);
    return crc;
}

// Polynomials modulo P in the reflected order the register uses: bit 31 is
// the coefficient of x^0. Multiplies a and b modulo P.
constexpr uint32_t MultiplyModP(uint32_t a, uint32_t b) {
    uint32_t product = 0;
    for (uint32_t m = 1u << 31; m != 0; m >>= 1) {
        if (a & m) product ^= b;
        b = (b & 1) ? (b >> 1) ^ kPolynomial : b >> 1;
    }
    return product;
}

// x^(8 * 2^k) modulo P for k = 0..63: appending 2^k zero bytes multiplies
// the register by the k-th entry.
using ZeroPowers = std::array<uint32_t, 64>;

constexpr ZeroPowers MakeZeroPowers() {
    ZeroPowers t{};
    t[0] = 1u << 23;  // x^8
    for (size_t k = 1; k < t.size(); ++k) t[k] = MultiplyModP(t[k - 1], t[k - 1]);
    return t;
}

constexpr ZeroPowers kZeroPowers = MakeZeroPowers();

#if KX_CRC32_CLMUL

// Folding with carry-less multiplication (after Intel's "Fast CRC Computation
// for Generic Polynomials Using PCLMULQDQ"). The constants are x^n mod P,
// bit-reflected into 33 bits: x^544 and x^480 fold 64 bytes ahead, x^160 and
// x^96 fold 16 bytes ahead, x^64 takes 96 bits to 64; then a Barrett
// reduction by P and by floor(x^64 / P). Takes the register; n is a multiple
// of 16 and at least 64.
#define KX_CLMUL_TARGET __attribute__((target("pclmul,sse4.1")))

KX_CLMUL_TARGET inline __m128i Load(const uint8_t* at) {
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
}

// The 128 bits in x carried ahead by the pair of constants in k, added to next.
KX_CLMUL_TARGET inline __m128i Fold(__m128i x, __m128i k, __m128i next) {
    return _mm_xor_si128(_mm_xor_si128(_mm_clmulepi64_si128(x, k, 0x00), _mm_clmulepi64_si128(x, k, 0x11)), next);
}

#if defined(__i386__)
__attribute__((force_align_arg_pointer))  // 32-bit Windows keeps the stack only 4-byte aligned
#endif
KX_CLMUL_TARGET uint32_t ClmulUpdate(uint32_t crc, const uint8_t* p, size_t n) {
    const __m128i k1k2 = _mm_set_epi64x(0x1c6e41596, 0x154442bd4);
    const __m128i k3k4 = _mm_set_epi64x(0x0ccaa009e, 0x1751997d0);
    const __m128i k5 = _mm_set_epi64x(0, 0x163cd6124);
    const __m128i poly = _mm_set_epi64x(0x1f7011641, 0x1db710641);
    const __m128i low32 = _mm_setr_epi32(-1, 0, -1, 0);

    __m128i x1 = _mm_xor_si128(Load(p), _mm_cvtsi32_si128(int(crc)));
    __m128i x2 = Load(p + 16);
    __m128i x3 = Load(p + 32);
    __m128i x4 = Load(p + 48);
    p += 64;
    n -= 64;
    while (n >= 64) {
        x1 = Fold(x1, k1k2, Load(p));
        x2 = Fold(x2, k1k2, Load(p + 16));
        x3 = Fold(x3, k1k2, Load(p + 32));
        x4 = Fold(x4, k1k2, Load(p + 48));
        p += 64;
        n -= 64;
    }
    x1 = Fold(x1, k3k4, x2);
    x1 = Fold(x1, k3k4, x3);
    x1 = Fold(x1, k3k4, x4);
    while (n >= 16) {
        x1 = Fold(x1, k3k4, Load(p));
        p += 16;
        n -= 16;
    }

    // 128 bits to 64.
    __m128i x2b = _mm_clmulepi64_si128(x1, k3k4, 0x10);
    x1 = _mm_xor_si128(_mm_srli_si128(x1, 8), x2b);
    x2b = _mm_srli_si128(x1, 4);
    x1 = _mm_xor_si128(_mm_clmulepi64_si128(_mm_and_si128(x1, low32), k5, 0x00), x2b);

    // Barrett reduction to 32 bits.
    x2b = _mm_clmulepi64_si128(_mm_and_si128(x1, low32), poly, 0x10);
    x2b = _mm_clmulepi64_si128(_mm_and_si128(x2b, low32), poly, 0x00);
    x1 = _mm_xor_si128(x1, x2b);
    return uint32_t(_mm_extract_epi32(x1, 1));
}

uint32_t ClmulCrc32(const uint8_t* p, size_t n, uint32_t crc) {
    uint32_t reg = ~crc;
    if (n >= 64) {
        const size_t blocks = n & ~size_t(15);
        reg = ClmulUpdate(reg, p, blocks);
        p += blocks;
        n -= blocks;
    }
    return ~TableUpdate(reg, p, n);
}

bool HasClmul() {
    unsigned a = 0, b = 0, c = 0, d = 0;
    if (!__get_cpuid(1, &a, &b, &c, &d)) return false;
    return (c & bit_PCLMUL) && (c & bit_SSE4_1);
}

#endif  // KX_CRC32_CLMUL

crc32_paths::Function Choose() {
    if (crc32_paths::Function hw = crc32_paths::Hardware()) return hw;
    return crc32_paths::Portable;
}

}  // namespace

namespace crc32_paths {

uint32_t Portable(const uint8_t* p, size_t n, uint32_t crc) { return ~TableUpdate(~crc, p, n); }

Function Hardware() {
#if KX_CRC32_CLMUL
    static const bool has = HasClmul();
    return has ? ClmulCrc32 : nullptr;
#else
    return nullptr;
#endif
}

}  // namespace crc32_paths

uint32_t Crc32(const uint8_t* p, size_t n, uint32_t crc) {
    static const crc32_paths::Function chosen = Choose();
    return chosen(p, n, crc);
}

uint32_t Crc32Zeros(uint64_t count, uint32_t crc) {
    uint32_t reg = ~crc;
    for (size_t k = 0; count != 0; ++k, count >>= 1)
        if (count & 1) reg = MultiplyModP(kZeroPowers[k], reg);
    return ~reg;
}

}  // namespace kx
