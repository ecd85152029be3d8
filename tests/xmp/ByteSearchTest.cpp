// The vectorised searches against std::string_view, with needles and matches placed on
// and across the edges of the sixteen-byte blocks they read.

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "xmp/ByteSearch.h"

namespace plenvo {
namespace {

constexpr auto npos = std::string_view::npos;

// Bytes of 0x80 and above as well, which compare differently as signed chars.
const std::string kNeedleBytes = "<rdf:Des\xE9\xFFription>";

TEST(ByteSearchTest, FindBytesAgreesWithFindWhereverTheNeedleFalls) {
    for (std::size_t k = 1; k <= kNeedleBytes.size(); ++k) {
        const std::string needle = kNeedleBytes.substr(0, k);
        for (std::size_t size = k; size <= 72; ++size) {
            for (std::size_t at = 0; at + k <= size; ++at) {
                // The needle itself, then the needle with each one of its bytes changed,
                // which only a search that compares every byte tells apart.
                for (std::size_t changed = 0; changed <= k; ++changed) {
                    std::string hay(size, 'x');
                    hay.replace(at, k, needle);
                    if (changed < k) hay[at + changed] = '#';
                    for (const std::size_t from : {std::size_t{0}, at, at + 1, size}) {
                        const std::size_t expected = std::string_view(hay).find(needle, from);
                        if (FindBytes(hay, needle, from) != expected) {
                            ADD_FAILURE() << "needle " << k << " bytes, hay " << size
                                          << " bytes, at " << at << ", byte " << changed
                                          << " changed, from " << from;
                            return;
                        }
                    }
                }
            }
        }
    }
}

TEST(ByteSearchTest, FindBytesAtTheLimits) {
    const std::string_view hay = "abcabc";
    EXPECT_EQ(FindBytes(hay, ""), 0u);
    EXPECT_EQ(FindBytes(hay, "", 6), 6u);
    EXPECT_EQ(FindBytes(hay, "", 7), npos);
    EXPECT_EQ(FindBytes(hay, "c", 3), 5u);
    EXPECT_EQ(FindBytes(hay, "abc", 4), npos);
    EXPECT_EQ(FindBytes(hay, "abcabcd"), npos);
    EXPECT_EQ(FindBytes("", "a"), npos);
    // Overlapping occurrences: the first one counts.
    EXPECT_EQ(FindBytes(std::string(40, 'a') + "aab", "aab"), 40u);
}

// Every position a candidate scan must visit, by plain reading of its contract.
std::vector<std::size_t> ExpectedCandidates(std::string_view hay, std::size_t from,
                                            std::string_view bytes,
                                            const std::vector<Anchor>& anchors) {
    std::vector<std::size_t> out;
    for (std::size_t i = from; i < hay.size(); ++i) {
        bool hit = bytes.find(hay[i]) != npos;
        for (const Anchor& a : anchors) {
            hit = hit || (hay[i] == a.first && i + a.lastOffset < hay.size() &&
                          hay[i + a.lastOffset] == a.last);
        }
        if (hit) out.push_back(i);
    }
    return out;
}

TEST(ByteSearchTest, ForEachCandidateVisitsExactlyTheCandidatesInOrder) {
    const Anchor tdm{'t', 'm', 2};
    const Anchor tdmRep{'T', '<', 6};
    const Anchor start{'<', 'n', 15};
    const std::string alphabet = "tmT<n\">'x\xE9";
    std::uint32_t state = 7;
    const auto next = [&] {
        state = state * 1664525u + 1013904223u;
        return state >> 8;
    };
    for (int round = 0; round < 3000; ++round) {
        std::string hay(next() % 90, ' ');
        for (char& c : hay) c = alphabet[next() % alphabet.size()];
        const std::size_t from = next() % (hay.size() + 2);
        const std::string_view bytes = round % 2 == 0 ? std::string_view("\"'>") : "";
        const std::vector<Anchor> anchors = {tdm, tdmRep, start};
        const std::vector<std::size_t> expected = ExpectedCandidates(hay, from, bytes, anchors);

        std::vector<std::size_t> visited;
        const std::size_t end = ForEachCandidate(hay, from, bytes, {tdm, tdmRep, start},
                                                 [&](std::size_t at) {
                                                     visited.push_back(at);
                                                     return true;
                                                 });
        ASSERT_EQ(visited, expected) << "round " << round << ", from " << from << ": " << hay;
        EXPECT_EQ(end, npos);

        // Stopping at the last candidate answers where it stopped.
        if (expected.empty()) continue;
        std::size_t seen = 0;
        const std::size_t stop = ForEachCandidate(hay, from, bytes, {tdm, tdmRep, start},
                                                  [&](std::size_t) {
                                                      return ++seen < expected.size();
                                                  });
        EXPECT_EQ(stop, expected.back()) << "round " << round;
    }
}

}  // namespace
}  // namespace plenvo
