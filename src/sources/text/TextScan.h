#pragma once

#include <cstddef>
#include <cstring>
#include <string_view>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

// The first position at or after `from` that holds `a` or `b`, or text.size(). Lines and
// fields are found by jumping between delimiter and qualifier characters; looking at a
// whole file byte by byte costs more than the rest of reading it.
inline std::size_t FindEither(std::string_view text, std::size_t from, char a, char b)
{
    const std::size_t n = text.size();
    const char *data = text.data();
    if (a == b) {
        if (from >= n)
            return n;
        const void *hit = std::memchr(data + from, a, n - from);
        return hit ? static_cast<std::size_t>(static_cast<const char *>(hit) - data) : n;
    }
#if defined(__SSE2__)
    const __m128i va = _mm_set1_epi8(a);
    const __m128i vb = _mm_set1_epi8(b);
    for (; from + 16 <= n; from += 16) {
        const __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i *>(data + from));
        const int hits = _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(chunk, va), _mm_cmpeq_epi8(chunk, vb)));
        if (hits != 0)
            return from + static_cast<std::size_t>(__builtin_ctz(static_cast<unsigned>(hits)));
    }
#endif
    for (; from < n; ++from)
        if (data[from] == a || data[from] == b)
            return from;
    return n;
}
