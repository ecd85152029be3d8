#pragma once

// Substring searches over packet bytes, tuned for XML: "<" and letters are dense there,
// so a search that restarts on every match of a needle's first byte is slow. Both look at
// sixteen positions at a time where SSE2 is there, and byte by byte elsewhere.

#include <cstddef>
#include <initializer_list>
#include <string_view>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace plenvo {

// First occurrence of `needle` in `hay` at or after `from`; npos when there is none.
// Byte-wise and case-sensitive, like std::string_view::find.
std::size_t FindBytes(std::string_view hay, std::string_view needle, std::size_t from = 0);

// A cheap test for where a needle may start: its first byte, and its last byte at
// `lastOffset` (its length less one). Matches need confirming.
struct Anchor {
    char first;
    char last;
    std::size_t lastOffset;
};

// Calls `visit(pos)`, in order, for every position at or after `from` that holds one of
// `bytes` or where one of `anchors` may start, until `visit` answers false. Returns the
// position where it stopped, or npos when the text ran out first. One loop serves a whole
// scan, however many events it meets, which is what keeps short scans cheap. At most
// four bytes and three anchors.
template <class Visit>
std::size_t ForEachCandidate(std::string_view hay, std::size_t from, std::string_view bytes,
                             std::initializer_list<Anchor> anchors, Visit&& visit) {
    const char* base = hay.data();
    std::size_t reach = 0;
    for (const Anchor& anchor : anchors) reach = anchor.lastOffset > reach ? anchor.lastOffset : reach;
    std::size_t i = from;
#if defined(__SSE2__)
    const auto load = [&](std::size_t at) {
        return _mm_loadu_si128(reinterpret_cast<const __m128i*>(base + at));
    };
    __m128i byteVectors[4];
    __m128i firstVectors[3];
    __m128i lastVectors[3];
    std::size_t lastOffsets[3];
    const std::size_t byteCount = bytes.size() < 4 ? bytes.size() : 4;
    std::size_t anchorCount = 0;
    for (std::size_t b = 0; b < byteCount; ++b) byteVectors[b] = _mm_set1_epi8(bytes[b]);
    for (const Anchor& anchor : anchors) {
        if (anchorCount == 3) break;
        firstVectors[anchorCount] = _mm_set1_epi8(anchor.first);
        lastVectors[anchorCount] = _mm_set1_epi8(anchor.last);
        lastOffsets[anchorCount++] = anchor.lastOffset;
    }
    for (; i < hay.size() && hay.size() - i >= 16 + reach; i += 16) {
        const __m128i here = load(i);
        __m128i hits = _mm_setzero_si128();
        for (std::size_t b = 0; b < byteCount; ++b) {
            hits = _mm_or_si128(hits, _mm_cmpeq_epi8(here, byteVectors[b]));
        }
        for (std::size_t a = 0; a < anchorCount; ++a) {
            hits = _mm_or_si128(hits, _mm_and_si128(_mm_cmpeq_epi8(here, firstVectors[a]),
                                                    _mm_cmpeq_epi8(load(i + lastOffsets[a]),
                                                                   lastVectors[a])));
        }
        for (auto mask = static_cast<unsigned>(_mm_movemask_epi8(hits)); mask != 0;
             mask &= mask - 1) {
            const std::size_t at = i + static_cast<std::size_t>(__builtin_ctz(mask));
            if (!visit(at)) return at;
        }
    }
#endif
    for (; i < hay.size(); ++i) {
        bool hit = bytes.find(base[i]) != std::string_view::npos;
        for (const Anchor& anchor : anchors) {
            hit = hit || (base[i] == anchor.first && i + anchor.lastOffset < hay.size() &&
                          base[i + anchor.lastOffset] == anchor.last);
        }
        if (hit && !visit(i)) return i;
    }
    return std::string_view::npos;
}

}  // namespace plenvo
