#include "xmp/ByteSearch.h"

#include <cstring>

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

}  // namespace plenvo
