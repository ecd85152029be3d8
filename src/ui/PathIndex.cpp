#include "ui/PathIndex.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace plenvo {

std::string PathIndex::Key(std::string_view path) {
    std::string key(path);
#ifdef _WIN32
    // Folds letters as the ANSI code page knows them, not only ASCII ones.
    if (!key.empty()) ::CharUpperBuffA(key.data(), static_cast<DWORD>(key.size()));
#endif
    return key;
}

bool PathIndex::Insert(std::string_view path) { return keys.insert(Key(path)).second; }

void PathIndex::Erase(std::string_view path) { keys.erase(Key(path)); }

bool PathIndex::Contains(std::string_view path) const { return keys.contains(Key(path)); }

}  // namespace plenvo
