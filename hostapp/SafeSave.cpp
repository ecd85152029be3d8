#include "SafeSave.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <utility>

#include "HostRuntime.h"

namespace plenvo::hostapp {
namespace {

[[noreturn]] void FailWithErrno(host::ASErrorCode otherwise) {
    throw HostError(CodeForErrno(errno, otherwise));
}

// The file a save replaces: the one a symbolic link names, or the path itself.
std::string SaveTarget(const std::string& path) {
    struct stat link {};
    if (::lstat(path.c_str(), &link) != 0 || !S_ISLNK(link.st_mode)) return path;
    char resolved[PATH_MAX];
    if (::realpath(path.c_str(), resolved) == nullptr) FailWithErrno(kErrFileWrite);
    return resolved;
}

std::string FolderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

// Root may write to any file, so the permission bits decide as well: a file nobody may
// write to is read-only, as its owner meant it to be.
bool IsReadOnly(const std::string& path, const struct stat& info) {
    return ::access(path.c_str(), W_OK) != 0 || (info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0;
}

mode_t NewFileMode() {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

// The temporary file: closed and removed unless it was renamed into place.
class TempFile {
public:
    explicit TempFile(std::string folder) : path_(std::move(folder) + "/.save-XXXXXX") {
        const int fd = ::mkostemp(path_.data(), O_CLOEXEC);
        if (fd < 0) FailWithErrno(kErrFileWrite);
        file_ = ::fdopen(fd, "wb");
        if (file_ == nullptr) {
            ::close(fd);
            ::unlink(path_.c_str());
            FailWithErrno(kErrFileWrite);
        }
    }
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;
    ~TempFile() {
        if (file_ != nullptr) std::fclose(file_);
        if (!renamed_) ::unlink(path_.c_str());
    }

    std::FILE* File() const { return file_; }
    int Fd() const { return ::fileno(file_); }

    void Close() {
        std::FILE* file = std::exchange(file_, nullptr);
        if (std::fclose(file) != 0) FailWithErrno(kErrFileWrite);
    }

    void RenameOver(const std::string& target) {
        if (::rename(path_.c_str(), target.c_str()) != 0) FailWithErrno(kErrFileWrite);
        renamed_ = true;
    }

private:
    std::string path_;
    std::FILE* file_ = nullptr;
    bool renamed_ = false;
};

}  // namespace

void SaveOver(const std::string& path, const std::function<void(std::FILE*)>& write) {
    const std::string target = SaveTarget(path);
    struct stat info {};
    const bool exists = ::stat(target.c_str(), &info) == 0;
    if (!exists && errno != ENOENT) FailWithErrno(kErrFileWrite);
    if (exists && !S_ISREG(info.st_mode)) throw HostError(kErrNotAFile);
    if (exists && IsReadOnly(target, info)) throw HostError(kErrReadOnly);

    TempFile temp(FolderOf(target));
    write(temp.File());
    if (std::fflush(temp.File()) != 0) FailWithErrno(kErrFileWrite);
    // A failed write can leave the stream's error flag as its only trace: the writer may
    // have been told every byte went out, and the flush then finds nothing left to write.
    if (std::ferror(temp.File())) {
        throw HostError(errno == ENOSPC || errno == EDQUOT ? kErrDiskFull : kErrFileWrite);
    }
    if (exists) {
        // Owner first: changing it may clear the set-id bits that the mode then restores.
        [[maybe_unused]] const int owned = ::fchown(temp.Fd(), info.st_uid, info.st_gid);
        if (::fchmod(temp.Fd(), info.st_mode & 07777) != 0) FailWithErrno(kErrFileWrite);
    } else if (::fchmod(temp.Fd(), NewFileMode()) != 0) {
        FailWithErrno(kErrFileWrite);
    }
    // The data reaches the disk before the name does. The folder is not synced: a crash
    // may then undo the rename, which leaves the old file whole.
    if (::fsync(temp.Fd()) != 0) FailWithErrno(kErrFileWrite);
    temp.Close();
    temp.RenameOver(target);
}

}  // namespace plenvo::hostapp
