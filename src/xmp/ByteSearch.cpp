#include "xmp/ByteSearch.h"

#include <algorithm>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace plenvo {
namespace {

constexpr auto npos = std::string_view::npos;

#if defined(__SSE2__)
__m128i Load(const char* p) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)); }
unsigned Mask(__m128i bytes) { return static_cast<unsigned>(_mm_movemask_epi8(bytes)); }
#endif

}  // namespace

// Sixteen candidate starts at a time: a start qualifies only when both the needle's first
// and last bytes match, which leaves few to confirm with memcmp.
std::size_t FindBytes(std::string_view hay, std::string_view needle, std::size_t from) {
    const std::size_t k = needle.size();
    if (from > hay.size() || hay.size() - from < k) return npos;
    if (k == 0) return from;
    const char* base = hay.data();
    if (k == 1) {
        const void* hit = std::memchr(base + from, needle[0], hay.size() - from);
        return hit ? static_cast<std::size_t>(static_cast<const char*>(hit) - base) : npos;
    }

    const std::size_t lastStart = hay.size() - k;
    std::size_t i = from;
#if defined(__SSE2__)
    const __m128i first = _mm_set1_epi8(needle[0]);
    const __m128i last = _mm_set1_epi8(needle[k - 1]);
    for (; i + 15 <= lastStart; i += 16) {
        unsigned mask = Mask(_mm_and_si128(_mm_cmpeq_epi8(Load(base + i), first),
                                           _mm_cmpeq_epi8(Load(base + i + k - 1), last)));
        while (mask != 0) {
            const std::size_t at = i + static_cast<std::size_t>(__builtin_ctz(mask));
            if (std::memcmp(base + at + 1, needle.data() + 1, k - 2) == 0) return at;
            mask &= mask - 1;
        }
    }
#endif
    for (; i <= lastStart; ++i) {
        if (base[i] == needle[0] && std::memcmp(base + i, needle.data(), k) == 0) return i;
    }
    return npos;
}

NeedleHit FindFirstOf(std::string_view hay, const std::string_view (&needles)[3],
                      std::size_t from) {
    const char* base = hay.data();
    std::size_t longest = 0;
    for (std::string_view n : needles) longest = std::max(longest, n.size());
    std::size_t i = from;
#if defined(__SSE2__)
    // The same first-and-last-byte filter as FindBytes, for the three needles at once.
    __m128i first[3];
    __m128i last[3];
    for (int n = 0; n < 3; ++n) {
        first[n] = _mm_set1_epi8(needles[n].front());
        last[n] = _mm_set1_epi8(needles[n].back());
    }
    for (; hay.size() >= longest && i + 15 <= hay.size() - longest; i += 16) {
        const __m128i here = Load(base + i);
        const auto matches = [&](int n) {
            return _mm_and_si128(_mm_cmpeq_epi8(here, first[n]),
                                 _mm_cmpeq_epi8(Load(base + i + needles[n].size() - 1), last[n]));
        };
        const __m128i m0 = matches(0);
        const __m128i m1 = matches(1);
        const __m128i m2 = matches(2);
        unsigned any = Mask(_mm_or_si128(_mm_or_si128(m0, m1), m2));
        if (any == 0) continue;
        const unsigned masks[3] = {Mask(m0), Mask(m1), Mask(m2)};
        while (any != 0) {
            const unsigned bit = static_cast<unsigned>(__builtin_ctz(any));
            const std::size_t at = i + bit;
            for (int n = 0; n < 3; ++n) {
                if ((masks[n] >> bit & 1) != 0 &&
                    std::memcmp(base + at, needles[n].data(), needles[n].size()) == 0) {
                    return {at, n};
                }
            }
            any &= any - 1;
        }
    }
#endif
    for (; i < hay.size(); ++i) {
        for (int n = 0; n < 3; ++n) {
            if (hay.substr(i).starts_with(needles[n])) {
                return {i, n};
            }
        }
    }
    return {npos, -1};
}

std::size_t FindAnyOf(std::string_view hay, char a, char b, char c, std::size_t from) {
    const char* base = hay.data();
    std::size_t i = from;
#if defined(__SSE2__)
    const __m128i va = _mm_set1_epi8(a);
    const __m128i vb = _mm_set1_epi8(b);
    const __m128i vc = _mm_set1_epi8(c);
    for (; i + 16 <= hay.size(); i += 16) {
        const __m128i bytes = Load(base + i);
        const unsigned mask = Mask(_mm_or_si128(
            _mm_or_si128(_mm_cmpeq_epi8(bytes, va), _mm_cmpeq_epi8(bytes, vb)),
            _mm_cmpeq_epi8(bytes, vc)));
        if (mask != 0) return i + static_cast<std::size_t>(__builtin_ctz(mask));
    }
#endif
    for (; i < hay.size(); ++i) {
        if (base[i] == a || base[i] == b || base[i] == c) return i;
    }
    return npos;
}

}  // namespace plenvo
