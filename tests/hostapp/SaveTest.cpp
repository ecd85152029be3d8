#include <gtest/gtest.h>

#include <poll.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include <qpdf/QPDF.hh>

#include "HostControl.h"
#include "HostErrors.h"
#include "HostRuntime.h"
#include "SafeSave.h"
#include "host/HostFrame.h"
#include "support/HostFixture.h"
#include "support/PdfFactory.h"
#include "support/TempFolder.h"
#include "support/TestFiles.h"

namespace plenvo::hostapp {
namespace {

using namespace plenvo::host;

class SaveTest : public test::HostTest {
protected:
    test::TempDir dir;
    const std::string pdf = test::MakePdf({test::MetadataKind::kNone, ""});
};

// Saves an open document to `savePath`; answers the code raised, or 0.
ASErrorCode SaveCodeOf(const test::OpenedDocument& document, const std::string& savePath,
                       PDSaveFlags flags) {
    const ASFileSys fileSys = ASGetDefaultFileSys();
    const ASPathName target =
        ASFileSysCreatePathName(fileSys, ASAtomFromString("Cstring"), savePath.c_str(), nullptr);
    const ASErrorCode code = test::RaisedBy(
        [&] { PDDocSave(document.Get(), flags, target, fileSys, nullptr, nullptr); });
    ASFileSysReleasePath(fileSys, target);
    return code;
}

ASErrorCode SaveCode(const std::string& openPath, const std::string& savePath, PDSaveFlags flags) {
    const test::OpenedDocument document(openPath);
    return SaveCodeOf(document, savePath, flags);
}

ASErrorCode SaveCode(const std::string& path, PDSaveFlags flags = kPDSaveFull | kPDSaveLinearized) {
    return SaveCode(path, path, flags);
}

// Writes `path` as the one-page document with `bytes` of page content that does not
// compress, saved in full, so a save of it writes at least that much.
void WriteWithNoise(const std::string& path, const std::string& pdf, std::size_t bytes) {
    test::WriteBytes(path, pdf);
    std::string noise(bytes, '\0');
    std::uint64_t state = 1;
    for (char& c : noise) {
        state = state * 6364136223846793005u + 1442695040888963407u;
        c = static_cast<char>(state >> 56);
    }
    const test::OpenedDocument document(path);
    QPDFObjectHandle page = document.Pdf().getAllPages().front();
    page.getKey("/Contents").replaceStreamData(noise, QPDFObjectHandle::newNull(), QPDFObjectHandle::newNull());
    ASSERT_EQ(SaveCodeOf(document, path, kPDSaveFull), 0);
}

struct stat Stat(const std::string& path) {
    struct stat info {};
    EXPECT_EQ(::lstat(path.c_str(), &info), 0) << path;
    return info;
}

// Both ways of writing the new file: unnamed until complete, and, where the file system
// refuses that, a hidden named file from the start.
constexpr bool kUnnamedOrNot[] = {true, false};

const char* Mode(bool unnamed) { return unnamed ? "unnamed" : "named"; }

TEST_F(SaveTest, KeepsThePermissionBits) {
    for (const bool unnamed : kUnnamedOrNot) {
        RefuseUnnamedTempFiles(!unnamed);
        for (const mode_t mode : {0644, 0600, 0640, 0664, 0755, 0604}) {
            SCOPED_TRACE(std::string(Mode(unnamed)) + " " + std::to_string(mode));
            const std::string path = dir.File("mode.pdf");
            test::WriteBytes(path, pdf);
            ASSERT_EQ(::chmod(path.c_str(), mode), 0);
            ASSERT_EQ(SaveCode(path), 0);
            EXPECT_EQ(Stat(path).st_mode & 07777, mode);
            EXPECT_NE(test::ReadBytes(path), pdf);
            EXPECT_EQ(test::ListFolder(dir.Path()), std::vector<std::string>{"mode.pdf"});
        }
    }
}

TEST_F(SaveTest, NewFileHasNoNameWhileItIsWritten) {
    for (const bool unnamed : kUnnamedOrNot) {
        SCOPED_TRACE(Mode(unnamed));
        RefuseUnnamedTempFiles(!unnamed);
        const std::string path = dir.File("keep.pdf");
        test::WriteBytes(path, pdf);
        std::vector<std::string> whileWriting;
        SaveOver(path, [&](std::FILE* file) {
            std::fputs("new bytes", file);
            whileWriting = test::ListFolder(dir.Path());
        });
        ASSERT_EQ(whileWriting.size(), unnamed ? 1u : 2u);
        EXPECT_EQ(whileWriting[0].starts_with(".save-"), !unnamed);
        EXPECT_EQ(test::ReadBytes(path), "new bytes");
        EXPECT_EQ(test::ListFolder(dir.Path()), std::vector<std::string>{"keep.pdf"});
    }
}

TEST_F(SaveTest, KeepsTheOwnerAndGroup) {
    if (::geteuid() != 0) GTEST_SKIP() << "only root can give a file to another owner";
    const uid_t owner = 4321;
    const gid_t group = 8765;
    for (const bool unnamed : kUnnamedOrNot) {
        SCOPED_TRACE(Mode(unnamed));
        RefuseUnnamedTempFiles(!unnamed);
        const std::string path = dir.File("owned.pdf");
        test::WriteBytes(path, pdf);
        ASSERT_EQ(::chown(path.c_str(), owner, group), 0);
        // Set-id bits go when the owner changes, so they show the owner was set before the
        // mode.
        ASSERT_EQ(::chmod(path.c_str(), 06755), 0);

        ASSERT_EQ(SaveCode(path), 0);
        const struct stat after = Stat(path);
        EXPECT_EQ(after.st_uid, owner);
        EXPECT_EQ(after.st_gid, group);
        EXPECT_EQ(after.st_mode & 07777, 06755u);
        EXPECT_NE(test::ReadBytes(path), pdf);
        EXPECT_EQ(test::ListFolder(dir.Path()), std::vector<std::string>{"owned.pdf"});
    }
}

TEST_F(SaveTest, SavesThroughASymbolicLinkToTheFileItNames) {
    ASSERT_EQ(::mkdir(dir.File("real").c_str(), 0755), 0);
    const std::string target = dir.File("real/target.pdf");
    const std::string link = dir.File("link.pdf");
    test::WriteBytes(target, pdf);
    ASSERT_EQ(::symlink("real/target.pdf", link.c_str()), 0);

    ASSERT_EQ(SaveCode(link), 0);
    EXPECT_TRUE(S_ISLNK(Stat(link).st_mode));
    EXPECT_NE(test::ReadBytes(target), pdf);
    EXPECT_EQ(test::ListFolder(dir.File("real")), std::vector<std::string>{"target.pdf"});
    EXPECT_EQ(test::RunTool({"qpdf", "--check", target}).exitCode, 0);
}

TEST_F(SaveTest, ReadOnlyFileRaisesAndStaysAsItWas) {
    const std::string path = dir.File("locked.pdf");
    test::WriteBytes(path, pdf);
    ASSERT_EQ(::chmod(path.c_str(), 0444), 0);
    const struct stat before = Stat(path);

    EXPECT_EQ(SaveCode(path), kErrReadOnly);
    const struct stat after = Stat(path);
    EXPECT_EQ(test::ReadBytes(path), pdf);
    EXPECT_EQ(after.st_ino, before.st_ino);
    EXPECT_EQ(after.st_mode, before.st_mode);
    EXPECT_EQ(test::ListFolder(dir.Path()), std::vector<std::string>{"locked.pdf"});
}

TEST_F(SaveTest, FailedWriteLeavesTheFileAndFolderAsTheyWere) {
    for (const bool unnamed : kUnnamedOrNot) {
        SCOPED_TRACE(Mode(unnamed));
        RefuseUnnamedTempFiles(!unnamed);
        const std::string path = dir.File("keep.pdf");
        test::WriteBytes(path, pdf);
        const auto failingWrite = [](std::FILE* file) {
            std::fputs("%PDF-1.7 half a file", file);
            throw HostError(kErrDiskFull);
        };
        try {
            SaveOver(path, failingWrite);
            ADD_FAILURE() << "no failure";
        } catch (const HostError& failure) {
            EXPECT_EQ(failure.Code(), kErrDiskFull);
        }
        EXPECT_EQ(test::ReadBytes(path), pdf);
        EXPECT_EQ(test::ListFolder(dir.Path()), std::vector<std::string>{"keep.pdf"});
    }
}

// Runs `save` in a child process and kills it once `partWay` says so, at most after a
// minute; answers whether the child was killed rather than finishing on its own.
bool KillPartWay(const std::function<void()>& save, const std::function<bool(pid_t)>& partWay) {
    const pid_t child = ::fork();
    if (child == 0) {
        try {
            save();
        } catch (...) {
            ::_exit(2);
        }
        ::_exit(0);
    }
    bool killed = false;
    int status = 0;
    for (int poll = 0; poll < 120000; ++poll) {
        if (::waitpid(child, &status, WNOHANG) == child) return false;
        if (partWay(child)) {
            ::kill(child, SIGKILL);
            killed = true;
            break;
        }
        ::usleep(500);
    }
    if (!killed) ::kill(child, SIGKILL);
    ::waitpid(child, &status, 0);
    return killed && WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL;
}

// The bytes a process has written to a file of `folder` other than `original`.
std::uintmax_t BytesInNewFile(pid_t process, const std::string& folder,
                              const std::string& original) {
    namespace fs = std::filesystem;
    std::error_code error;
    const fs::path fds = "/proc/" + std::to_string(process) + "/fd";
    for (fs::directory_iterator entry(fds, error), end; !error && entry != end;
         entry.increment(error)) {
        std::error_code ignored;
        const std::string target = fs::read_symlink(entry->path(), ignored).string();
        if (!target.starts_with(folder + "/") || target == original) continue;
        struct stat info {};
        if (::stat(entry->path().c_str(), &info) == 0) return static_cast<std::uintmax_t>(info.st_size);
    }
    return 0;
}

TEST_F(SaveTest, SaveKilledPartWayLeavesOnlyTheFileAsItWas) {
    const std::string path = dir.File("keep.pdf");
    test::WriteBytes(path, pdf);
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const bool killed = KillPartWay(
        [&] {
            SaveOver(path, [&](std::FILE* file) {
                const std::string chunk(1 << 20, 'x');
                std::fwrite(chunk.data(), 1, chunk.size(), file);
                std::fflush(file);
                [[maybe_unused]] const ssize_t told = ::write(ready[1], "w", 1);
                for (;;) ::pause();
            });
        },
        [&](pid_t) {
            pollfd wait{ready[0], POLLIN, 0};
            return ::poll(&wait, 1, 0) == 1;
        });
    ::close(ready[0]);
    ::close(ready[1]);
    EXPECT_TRUE(killed);
    EXPECT_EQ(test::ReadBytes(path), pdf);
    EXPECT_EQ(test::ListFolder(dir.Path()), std::vector<std::string>{"keep.pdf"});
}

// The same for a real save of a large document, killed once it has written a megabyte.
TEST_F(SaveTest, DocumentSaveKilledPartWayLeavesTheFileWholeAndNothingElse) {
    const std::string path = dir.File("big.pdf");
    WriteWithNoise(path, pdf, 32 * 1024 * 1024);
    const std::string before = test::ReadBytes(path);

    const bool killed = KillPartWay([&] { ::_exit(SaveCode(path) == 0 ? 0 : 1); },
                                    [&](pid_t child) {
                                        return BytesInNewFile(child, dir.Path(), path) >= (1u << 20);
                                    });
    EXPECT_EQ(test::ListFolder(dir.Path()), std::vector<std::string>{"big.pdf"});
    if (killed) {
        EXPECT_EQ(test::ReadBytes(path), before);
    } else {
        // The save won the race: the file must then be complete.
        EXPECT_EQ(test::RunTool({"qpdf", "--check", path}).exitCode, 0);
    }
}

TEST_F(SaveTest, WriteFailingMidwayLeavesTheFileAsItWas) {
    const std::string path = dir.File("big.pdf");
    // Larger than the file-size limit set below, so that the writer meets a real write
    // error part way through the file.
    WriteWithNoise(path, pdf, 256 * 1024);
    const std::string before = test::ReadBytes(path);

    ASErrorCode code = 0;
    {
        const testing::ScopedFileSizeLimit limit(64 * 1024);
        code = SaveCode(path);
    }

    EXPECT_EQ(code, kErrFileWrite);
    EXPECT_EQ(test::ReadBytes(path), before);
    EXPECT_EQ(test::ListFolder(dir.Path()), std::vector<std::string>{"big.pdf"});
}

TEST_F(SaveTest, NewFileGetsTheModeTheUmaskAllows) {
    const mode_t mask = ::umask(0027);
    SaveOver(dir.File("new.pdf"), [](std::FILE* file) { std::fputs("bytes", file); });
    ::umask(mask);
    EXPECT_EQ(Stat(dir.File("new.pdf")).st_mode & 07777, 0640u);
    EXPECT_EQ(test::ReadBytes(dir.File("new.pdf")), "bytes");
}

TEST_F(SaveTest, LinearizesOnlyWhenAsked) {
    struct Case {
        PDSaveFlags flags;
        const char* expected;
    };
    for (const Case c : {Case{kPDSaveFull | kPDSaveLinearized, "no linearization errors"},
                         Case{kPDSaveFull, "is not linearized"}}) {
        SCOPED_TRACE(c.flags);
        const std::string path = dir.File("lin.pdf");
        test::WriteBytes(path, pdf);
        ASSERT_EQ(SaveCode(path, c.flags), 0);
        const test::ToolResult check = test::RunTool({"qpdf", "--check-linearization", path});
        EXPECT_NE(check.output.find(c.expected), std::string::npos) << check.output;
    }
}

TEST_F(SaveTest, SavesToAnotherPathLeavingTheSourceAlone) {
    const std::string source = dir.File("source.pdf");
    test::WriteBytes(source, pdf);
    ASSERT_EQ(SaveCode(source, dir.File("copy.pdf"), kPDSaveFull | kPDSaveLinearized), 0);
    EXPECT_EQ(test::ReadBytes(source), pdf);
    EXPECT_EQ(test::RunTool({"qpdf", "--check", dir.File("copy.pdf")}).exitCode, 0);
}

}  // namespace
}  // namespace plenvo::hostapp
