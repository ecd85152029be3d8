#pragma once

// Replacing a file without ever losing it.

#include <cstdio>
#include <functional>
#include <string>

namespace plenvo::hostapp {

// Has `write` fill a temporary file in the folder of `path` (unnamed until it is complete,
// where the file system allows), flushes it to disk, gives it the permission bits (and,
// where allowed, the owner) of the file it replaces, and renames it over that file. A symbolic link is followed: the file it names is replaced and the
// link stays. A read-only file is left alone. On any failure the temporary file goes and
// the file at `path` is as it was. Throws HostError.
void SaveOver(const std::string& path, const std::function<void(std::FILE*)>& write);

}  // namespace plenvo::hostapp
