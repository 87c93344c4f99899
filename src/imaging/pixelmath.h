// Small pixel helpers shared by the bitmap and its BMP reader and writer.
#pragma once

#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstdint>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace imaging_detail {

// sums[i] += bytes[i] (Add) or sums[i] = bytes[i], sixteen at a time where the processor
// can; at most 257 rows added before a flush keep every sum within 16 bits.
template <bool Add>
inline void widenBytesInto(const std::uint8_t* bytes, std::uint16_t* sums, std::size_t n) {
    std::size_t i = 0;
#if defined(__SSE2__)
    const __m128i zero = _mm_setzero_si128();
    for (; i + 16 <= n; i += 16) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + i));
        auto* s = reinterpret_cast<__m128i*>(sums + i);
        __m128i low = _mm_unpacklo_epi8(v, zero), high = _mm_unpackhi_epi8(v, zero);
        if constexpr (Add) {
            low = _mm_add_epi16(_mm_loadu_si128(s), low);
            high = _mm_add_epi16(_mm_loadu_si128(s + 1), high);
        }
        _mm_storeu_si128(s, low);
        _mm_storeu_si128(s + 1, high);
    }
#endif
    for (; i < n; ++i)
        sums[i] = static_cast<std::uint16_t>(Add ? sums[i] + bytes[i] : bytes[i]);
}

inline void addBytes(const std::uint8_t* bytes, std::uint16_t* sums, std::size_t n) {
    widenBytesInto<true>(bytes, sums, n);
}

// Exact round-down division by one divisor, without a division instruction each time, for
// the sums of pixel levels (quotients of a few bits, products well inside 64 bits): an
// estimate from the reciprocal, corrected by a step either way.
class Divider {
public:
    explicit Divider(std::uint64_t divisor)
        : m_divisor(divisor), m_inverse(1.0 / static_cast<double>(divisor)) {}
    std::uint32_t operator()(std::uint64_t n) const {
        auto q = static_cast<std::uint64_t>(static_cast<double>(n) * m_inverse);
        if (q * m_divisor > n)
            --q;
        else if ((q + 1) * m_divisor <= n)
            ++q;
        return static_cast<std::uint32_t>(q);
    }

private:
    std::uint64_t m_divisor;
    double m_inverse;
};

// round(c * a / 255) for bytes, exact.
inline std::uint32_t mulDiv255(std::uint32_t c, std::uint32_t a) {
    const std::uint32_t t = c * a + 128;
    return (t + (t >> 8)) >> 8;
}

inline std::uint32_t premultiply(std::uint32_t argb) {
    const std::uint32_t a = argb >> 24;
    return (a << 24) | (mulDiv255((argb >> 16) & 0xFF, a) << 16) |
           (mulDiv255((argb >> 8) & 0xFF, a) << 8) | mulDiv255(argb & 0xFF, a);
}

// Straight colour from a premultiplied one, to the nearest integer; alpha 0 gives 0.
inline std::uint32_t unpremultiply(std::uint32_t argb) {
    const std::uint32_t a = argb >> 24;
    if (a == 0)
        return 0;
    auto div = [a](std::uint32_t c) { return std::min<std::uint32_t>(255, (c * 255 + a / 2) / a); };
    return (a << 24) | (div((argb >> 16) & 0xFF) << 16) | (div((argb >> 8) & 0xFF) << 8) |
           div(argb & 0xFF);
}

// One channel of a bit-field pixel, scaled to and from 0..255.
struct MaskChannel {
    std::uint32_t mask = 0;
    int shift = 0;
    std::uint64_t max = 0;
    explicit MaskChannel(std::uint32_t m) : mask(m) {
        if (m != 0) {
            shift = std::countr_zero(m);
            max = m >> shift;
        }
    }
    std::uint32_t decode(std::uint32_t v) const {
        if (max == 0)
            return 0;
        return static_cast<std::uint32_t>((((v & mask) >> shift) * 255 + max / 2) / max);
    }
    std::uint32_t encode(std::uint32_t c) const {
        if (max == 0)
            return 0;
        return static_cast<std::uint32_t>((c * max + 127) / 255) << shift;
    }
};

// A mask whose set bits are one run, or no bits at all.
inline bool contiguousMask(std::uint32_t m) {
    if (m == 0)
        return true;
    const std::uint32_t run = m >> std::countr_zero(m);
    return (run & (run + 1)) == 0;
}

} // namespace imaging_detail
