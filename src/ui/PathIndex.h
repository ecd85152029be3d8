#pragma once

// The paths the batch dialog lists, kept in step with its rows so that the duplicate test
// costs one lookup instead of a pass over every row. Paths are equal as the file system
// tells files apart: on Windows without regard to case, elsewhere byte for byte, where
// "a.pdf" and "A.pdf" are two files.

#include <string>
#include <string_view>
#include <unordered_set>

namespace plenvo {

class PathIndex {
public:
    // False, changing nothing, when an equal path is listed already.
    bool Insert(std::string_view path);
    void Erase(std::string_view path);
    void Clear() { keys.clear(); }
    bool Contains(std::string_view path) const;

private:
    static std::string Key(std::string_view path);

    std::unordered_set<std::string> keys;
};

}  // namespace plenvo
