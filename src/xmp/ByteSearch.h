#pragma once

// Substring searches over packet bytes, tuned for XML: "<" and letters are dense there,
// so a search that restarts on every match of a needle's first byte is slow.

#include <cstddef>
#include <string_view>

namespace plenvo {

// First occurrence of `needle` in `hay` at or after `from`; npos when there is none.
// Byte-wise and case-sensitive, like std::string_view::find.
std::size_t FindBytes(std::string_view hay, std::string_view needle, std::size_t from = 0);

// Where the earliest occurrence of any of up to three needles starts, at or after `from`,
// and which needle it is (its index); {npos, -1} when none occurs. Each needle holds at
// least one byte, and their first bytes differ, so at most one matches at any position.
struct NeedleHit {
    std::size_t pos;
    int which;
};
NeedleHit FindFirstOf(std::string_view hay, const std::string_view (&needles)[3],
                      std::size_t from = 0);

// First position at or after `from` holding one of the three bytes; npos when none.
std::size_t FindAnyOf(std::string_view hay, char a, char b, char c, std::size_t from = 0);

}  // namespace plenvo
