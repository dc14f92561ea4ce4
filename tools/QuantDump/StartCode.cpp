// Start code search. Compressed video holds a 0x01 byte every few hundred bytes, so searching for
// that byte alone (memchr) stops far too often. The vector versions look at 64 or 128 positions at
// a time for two zero bytes in a row, which compressed video almost never holds outside start
// codes, and look closely only then.
#include "StartCode.h"

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define QUANTDUMP_X86 1
#endif

namespace quire::quantdump {

std::size_t findStartCodeScalar(const std::uint8_t* data, std::size_t from, std::size_t size) {
    for (std::size_t i = from; i + 2 < size; ++i) {
        if (data[i + 2] == 1 && data[i + 1] == 0 && data[i] == 0)
            return i;
    }
    return kNoStartCode;
}

#if defined(QUANTDUMP_X86) && defined(__SSE2__)

namespace {

inline __m128i load16(const std::uint8_t* at) {
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
}

// Lane k is set when at[k] and at[k + 1] are both zero (reads at[0, 17)).
inline __m128i zeroPairs16(const std::uint8_t* at) {
    const __m128i zero = _mm_setzero_si128();
    return _mm_and_si128(_mm_cmpeq_epi8(load16(at), zero), _mm_cmpeq_epi8(load16(at + 1), zero));
}

// Bit k is set when a prefix starts at at[k] (reads at[0, 18)).
inline unsigned prefixBits16(const std::uint8_t* at) {
    const __m128i ones = _mm_cmpeq_epi8(load16(at + 2), _mm_set1_epi8(1));
    return static_cast<unsigned>(_mm_movemask_epi8(_mm_and_si128(zeroPairs16(at), ones)));
}

} // namespace

std::size_t findStartCodeSse2(const std::uint8_t* data, std::size_t from, std::size_t size) {
    std::size_t i = from;
    if (size < 18 || i + 2 >= size)
        return findStartCodeScalar(data, from, size);
    for (; i + 66 <= size; i += 64) {
        const __m128i any = _mm_or_si128(_mm_or_si128(zeroPairs16(data + i), zeroPairs16(data + i + 16)),
                                         _mm_or_si128(zeroPairs16(data + i + 32), zeroPairs16(data + i + 48)));
        if (_mm_movemask_epi8(any) == 0)
            continue;
        for (std::size_t block = i; block < i + 64; block += 16) {
            if (const unsigned bits = prefixBits16(data + block))
                return block + static_cast<std::size_t>(__builtin_ctz(bits));
        }
    }
    for (; i + 18 <= size; i += 16) {
        if (const unsigned bits = prefixBits16(data + i))
            return i + static_cast<std::size_t>(__builtin_ctz(bits));
    }
    if (i + 2 < size) { // the last positions, in a window ending at the last byte
        const std::size_t window = size - 18;
        if (const unsigned bits = prefixBits16(data + window) >> (i - window))
            return i + static_cast<std::size_t>(__builtin_ctz(bits));
    }
    return kNoStartCode;
}

#else

std::size_t findStartCodeSse2(const std::uint8_t* data, std::size_t from, std::size_t size) {
    return findStartCodeScalar(data, from, size);
}

#endif

#if defined(QUANTDUMP_X86) && (defined(__GNUC__) || defined(__clang__))

namespace {

__attribute__((target("avx2"))) inline __m256i load32(const std::uint8_t* at) {
    return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(at));
}

__attribute__((target("avx2"))) inline __m256i zeroPairs32(const std::uint8_t* at) {
    const __m256i zero = _mm256_setzero_si256();
    return _mm256_and_si256(_mm256_cmpeq_epi8(load32(at), zero), _mm256_cmpeq_epi8(load32(at + 1), zero));
}

__attribute__((target("avx2"))) inline unsigned prefixBits32(const std::uint8_t* at) {
    const __m256i ones = _mm256_cmpeq_epi8(load32(at + 2), _mm256_set1_epi8(1));
    return static_cast<unsigned>(_mm256_movemask_epi8(_mm256_and_si256(zeroPairs32(at), ones)));
}

__attribute__((target("avx2"))) std::size_t findWithAvx2(const std::uint8_t* data, std::size_t from, std::size_t size) {
    std::size_t i = from;
    for (; i + 130 <= size; i += 128) {
        const __m256i any = _mm256_or_si256(_mm256_or_si256(zeroPairs32(data + i), zeroPairs32(data + i + 32)),
                                            _mm256_or_si256(zeroPairs32(data + i + 64), zeroPairs32(data + i + 96)));
        if (_mm256_testz_si256(any, any))
            continue;
        for (std::size_t block = i; block < i + 128; block += 32) {
            if (const unsigned bits = prefixBits32(data + block))
                return block + static_cast<std::size_t>(__builtin_ctz(bits));
        }
    }
    return findStartCodeSse2(data, i, size);
}

} // namespace

// Kept free of AVX2 code itself, so that calling it on an older processor is safe.
std::size_t findStartCodeAvx2(const std::uint8_t* data, std::size_t from, std::size_t size) {
    return processorHasAvx2() ? findWithAvx2(data, from, size) : findStartCodeSse2(data, from, size);
}

bool processorHasAvx2() {
    static const bool hasAvx2 = [] {
        __builtin_cpu_init(); // may run from a static initialiser, before the library's own
        return __builtin_cpu_supports("avx2") != 0;
    }();
    return hasAvx2;
}

namespace {

using Finder = std::size_t (*)(const std::uint8_t*, std::size_t, std::size_t);
const Finder bestFinder = processorHasAvx2() ? findWithAvx2 : findStartCodeSse2;

} // namespace

#else

std::size_t findStartCodeAvx2(const std::uint8_t* data, std::size_t from, std::size_t size) {
    return findStartCodeSse2(data, from, size);
}

bool processorHasAvx2() {
    return false;
}

namespace {

using Finder = std::size_t (*)(const std::uint8_t*, std::size_t, std::size_t);
const Finder bestFinder = findStartCodeSse2;

} // namespace

#endif

std::size_t findStartCode(const std::uint8_t* data, std::size_t from, std::size_t size) {
    return bestFinder(data, from, size);
}

} // namespace quire::quantdump
