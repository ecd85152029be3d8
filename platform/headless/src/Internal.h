#pragma once
// Shared pieces of the headless layer's own sources.

#include <windows.h>

#include <string>
#include <string_view>

namespace plenvo::headless {

// ASCII case folding, as Windows compares key, value, class and file names.
std::string FoldCase(std::string_view text);
bool EqualsNoCase(std::string_view a, std::string_view b);

// Copies `text` into a caller's buffer of `size` bytes, always terminated when size > 0;
// returns the number of bytes copied without the terminator.
int CopyOut(std::string_view text, char* buffer, int size);

}  // namespace plenvo::headless
