#include "xmp/XmpText.h"

namespace plenvo {

std::string_view TrimXmpSpace(std::string_view text) {
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (begin < end && IsXmpSpace(text[begin])) ++begin;
    while (end > begin && IsXmpSpace(text[end - 1])) --end;
    return text.substr(begin, end - begin);
}

}  // namespace plenvo
