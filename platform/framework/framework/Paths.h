#pragma once

#include <string>
#include <string_view>

namespace plenvo {

#ifdef _WIN32
inline constexpr char kPathSeparator = '\\';
#else
inline constexpr char kPathSeparator = '/';
#endif

// The folder with a separator at its end, added only when it has none ("D:\" and "/"
// stay as they are).
std::string WithTrailingSeparator(std::string_view folder);

}  // namespace plenvo
