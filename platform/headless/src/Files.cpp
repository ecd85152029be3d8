// File enumeration with Windows's rules: a wildcard pattern in the last part of the path,
// names matched without regard to case, "." and ".." listed, and the ANSI path limit.
// Entries come sorted by name, as NTFS returns them, so scans are repeatable.

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <mutex>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "Internal.h"

namespace plenvo::headless {
namespace {

struct FindState {
    std::vector<WIN32_FIND_DATAA> entries;
    std::size_t next = 0;
};

std::mutex g_mutex;
std::set<FindState*> g_finds;

char Fold(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

bool Matches(const char* pattern, const char* name) {
    if (*pattern == '\0') {
        return *name == '\0';
    }
    if (*pattern == '*') {
        for (const char* rest = name;; ++rest) {
            if (Matches(pattern + 1, rest)) {
                return true;
            }
            if (*rest == '\0') {
                return false;
            }
        }
    }
    if (*name == '\0') {
        return false;
    }
    if (*pattern == '?' || Fold(*pattern) == Fold(*name)) {
        return Matches(pattern + 1, name + 1);
    }
    return false;
}

// "*.*" is Windows's "every name", including names without a dot.
bool MatchesPattern(const std::string& pattern, const char* name) {
    if (pattern == "*.*" || pattern == "*") {
        return true;
    }
    return Matches(pattern.c_str(), name);
}

FILETIME ToFileTime(const timespec& ts) {
    // 100-nanosecond steps since 1601-01-01.
    const ULONGLONG steps = (static_cast<ULONGLONG>(ts.tv_sec) + 11644473600ULL) * 10000000ULL +
                            static_cast<ULONGLONG>(ts.tv_nsec) / 100;
    return FILETIME{static_cast<DWORD>(steps), static_cast<DWORD>(steps >> 32)};
}

DWORD Attributes(const std::string& path, const char* name, struct stat& st) {
    struct stat link {};
    const bool isLink = ::lstat(path.c_str(), &link) == 0 && S_ISLNK(link.st_mode);
    if (::stat(path.c_str(), &st) != 0) {
        st = link;
    }
    DWORD attributes = 0;
    if (S_ISDIR(st.st_mode)) {
        attributes |= FILE_ATTRIBUTE_DIRECTORY;
    }
    if (isLink) {
        attributes |= FILE_ATTRIBUTE_REPARSE_POINT;
    }
    if (name[0] == '.' && std::strcmp(name, ".") != 0 && std::strcmp(name, "..") != 0) {
        attributes |= FILE_ATTRIBUTE_HIDDEN;
    }
    if ((st.st_mode & 0222) == 0) {
        attributes |= FILE_ATTRIBUTE_READONLY;
    }
    return attributes == 0 ? FILE_ATTRIBUTE_NORMAL : attributes;
}

DWORD ErrorFromErrno(int error) {
    switch (error) {
        case EACCES:
        case EPERM:
            return ERROR_ACCESS_DENIED;
        case ENAMETOOLONG:
            return ERROR_FILENAME_EXCED_RANGE;
        case ENOENT:
        case ENOTDIR:
            return ERROR_PATH_NOT_FOUND;
        default:
            return ERROR_INVALID_FUNCTION;
    }
}

}  // namespace

int CountOpenFindHandles() {
    std::lock_guard lock(g_mutex);
    return static_cast<int>(g_finds.size());
}

}  // namespace plenvo::headless

using namespace plenvo::headless;

HANDLE WINAPI FindFirstFileA(LPCSTR lpFileName, LPWIN32_FIND_DATAA lpFindFileData) {
    if (lpFileName == nullptr || lpFindFileData == nullptr || lpFileName[0] == '\0') {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_HANDLE_VALUE;
    }
    // The ANSI functions take at most MAX_PATH characters including the terminator.
    if (std::strlen(lpFileName) >= MAX_PATH) {
        SetLastError(ERROR_FILENAME_EXCED_RANGE);
        return INVALID_HANDLE_VALUE;
    }
    const std::string path(lpFileName);
    const std::size_t cut = path.rfind('/');
    const std::string folder = cut == std::string::npos ? "." : (cut == 0 ? "/" : path.substr(0, cut));
    const std::string pattern = cut == std::string::npos ? path : path.substr(cut + 1);
    if (pattern.empty()) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }
    DIR* dir = ::opendir(folder.c_str());
    if (dir == nullptr) {
        SetLastError(ErrorFromErrno(errno));
        return INVALID_HANDLE_VALUE;
    }
    auto state = std::make_unique<FindState>();
    while (const dirent* entry = ::readdir(dir)) {
        if (!MatchesPattern(pattern, entry->d_name) || std::strlen(entry->d_name) >= MAX_PATH) {
            continue;
        }
        WIN32_FIND_DATAA data{};
        const std::string full = (folder == "/" ? "" : folder) + "/" + entry->d_name;
        struct stat st {};
        data.dwFileAttributes = Attributes(full, entry->d_name, st);
        data.ftCreationTime = ToFileTime(st.st_ctim);
        data.ftLastAccessTime = ToFileTime(st.st_atim);
        data.ftLastWriteTime = ToFileTime(st.st_mtim);
        const auto size = static_cast<ULONGLONG>(S_ISDIR(st.st_mode) ? 0 : st.st_size);
        data.nFileSizeHigh = static_cast<DWORD>(size >> 32);
        data.nFileSizeLow = static_cast<DWORD>(size);
        std::strcpy(data.cFileName, entry->d_name);
        state->entries.push_back(data);
    }
    ::closedir(dir);
    if (state->entries.empty()) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }
    std::sort(state->entries.begin(), state->entries.end(),
              [](const WIN32_FIND_DATAA& a, const WIN32_FIND_DATAA& b) {
                  const std::string fa = FoldCase(a.cFileName);
                  const std::string fb = FoldCase(b.cFileName);
                  return fa != fb ? fa < fb : std::strcmp(a.cFileName, b.cFileName) < 0;
              });
    *lpFindFileData = state->entries[0];
    state->next = 1;
    std::lock_guard lock(g_mutex);
    g_finds.insert(state.get());
    SetLastError(ERROR_SUCCESS);
    return state.release();
}

BOOL WINAPI FindNextFileA(HANDLE hFindFile, LPWIN32_FIND_DATAA lpFindFileData) {
    std::lock_guard lock(g_mutex);
    auto* state = static_cast<FindState*>(hFindFile);
    if (g_finds.count(state) == 0 || lpFindFileData == nullptr) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (state->next >= state->entries.size()) {
        SetLastError(ERROR_NO_MORE_FILES);
        return FALSE;
    }
    *lpFindFileData = state->entries[state->next++];
    return TRUE;
}

BOOL WINAPI FindClose(HANDLE hFindFile) {
    std::lock_guard lock(g_mutex);
    auto* state = static_cast<FindState*>(hFindFile);
    if (g_finds.erase(state) == 0) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    delete state;
    return TRUE;
}

DWORD WINAPI GetFileAttributesA(LPCSTR lpFileName) {
    if (lpFileName == nullptr || std::strlen(lpFileName) >= MAX_PATH) {
        SetLastError(lpFileName == nullptr ? ERROR_INVALID_PARAMETER : ERROR_FILENAME_EXCED_RANGE);
        return INVALID_FILE_ATTRIBUTES;
    }
    struct stat st {};
    if (::stat(lpFileName, &st) != 0) {
        SetLastError(errno == ENOENT ? ERROR_FILE_NOT_FOUND : ErrorFromErrno(errno));
        return INVALID_FILE_ATTRIBUTES;
    }
    std::string name(lpFileName);
    const std::size_t cut = name.rfind('/');
    if (cut != std::string::npos) {
        name = name.substr(cut + 1);
    }
    return Attributes(lpFileName, name.c_str(), st);
}
