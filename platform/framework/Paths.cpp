#include "framework/Paths.h"

namespace plenvo {

std::string WithTrailingSeparator(std::string_view folder) {
    std::string result(folder);
    if (result.empty() || result.back() != kPathSeparator) {
        result += kPathSeparator;
    }
    return result;
}

}  // namespace plenvo
