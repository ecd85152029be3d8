#include "SafeSave.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <random>
#include <string>
#include <utility>

#include "Documents_qpdf.h"
#include "HostControl_qpdf.h"

namespace plenvo::hostapp {
namespace {

bool g_refuseUnnamed = false;

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

// Names a hidden file in `folder` would have: ".save-" and six random letters.
std::string TemporaryName(const std::string& folder, std::mt19937_64& random) {
    static constexpr char kLetters[] =
        "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    std::string name = folder + "/.save-";
    for (int i = 0; i < 6; ++i) name += kLetters[random() % (sizeof kLetters - 1)];
    return name;
}

// The new file until it replaces the old one. Where the file system allows, it has no
// name while it is written: a save killed part way leaves nothing behind, as the kernel
// frees an unnamed file with its last descriptor. It is named only once complete and on
// disk, just before the rename. Elsewhere it is a hidden named file from the start.
// Closed, and removed when named, unless it was renamed into place.
class TempFile {
public:
    TempFile(std::string folder, bool unnamed) : folder_(std::move(folder)) {
        int fd = unnamed ? ::open(folder_.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600) : -1;
        if (fd < 0) {
            // The file system refuses unnamed files; a real failure shows again here.
            path_ = folder_ + "/.save-XXXXXX";
            fd = ::mkostemp(path_.data(), O_CLOEXEC);
            if (fd < 0) FailWithErrno(kErrFileWrite);
        }
        file_ = ::fdopen(fd, "wb");
        if (file_ == nullptr) {
            const int error = errno;
            ::close(fd);
            Unlink();
            errno = error;
            FailWithErrno(kErrFileWrite);
        }
    }
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;
    ~TempFile() {
        if (file_ != nullptr) std::fclose(file_);
        Unlink();
    }

    std::FILE* File() const { return file_; }
    int Fd() const { return ::fileno(file_); }

    // Gives an unnamed file a name of its own in its folder; a named one has one already.
    void Name() {
        if (!path_.empty()) return;
        const std::string self = "/proc/self/fd/" + std::to_string(Fd());
        std::mt19937_64 random(std::random_device{}());
        for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
            std::string name = TemporaryName(folder_, random);
            int linked = ::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW);
            // Without /proc, only a process that may open any file by handle can link it.
            if (linked != 0 && errno == ENOENT) {
                linked = ::linkat(Fd(), "", AT_FDCWD, name.c_str(), AT_EMPTY_PATH);
            }
            if (linked == 0) {
                path_ = std::move(name);
                return;
            }
            if (errno != EEXIST) FailWithErrno(kErrFileWrite);
        }
        FailWithErrno(kErrFileWrite);
    }

    void Close() {
        std::FILE* file = std::exchange(file_, nullptr);
        if (std::fclose(file) != 0) FailWithErrno(kErrFileWrite);
    }

    void RenameOver(const std::string& target) {
        if (::rename(path_.c_str(), target.c_str()) != 0) FailWithErrno(kErrFileWrite);
        path_.clear();
    }

private:
    static constexpr int kNameAttempts = 100;

    void Unlink() {
        if (!path_.empty()) ::unlink(path_.c_str());
    }

    std::string folder_;
    std::string path_;  // empty while the file has no name, and once it was renamed
    std::FILE* file_ = nullptr;
};

}  // namespace

void RefuseUnnamedTempFiles(bool refuse) { g_refuseUnnamed = refuse; }

void SaveOver(const std::string& path, const std::function<void(std::FILE*)>& write) {
    const std::string target = SaveTarget(path);
    struct stat info {};
    const bool exists = ::stat(target.c_str(), &info) == 0;
    if (!exists && errno != ENOENT) FailWithErrno(kErrFileWrite);
    if (exists && !S_ISREG(info.st_mode)) throw HostError(kErrNotAFile);
    if (exists && IsReadOnly(target, info)) throw HostError(kErrReadOnly);

    TempFile temp(FolderOf(target), !g_refuseUnnamed);
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
    temp.Name();
    temp.Close();
    temp.RenameOver(target);
}

}  // namespace plenvo::hostapp
