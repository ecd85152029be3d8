#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <functional>
#include <string>
#include <vector>

#include <qpdf/QPDF.hh>

#include "HostErrors.h"
#include "HostRuntime.h"
#include "SafeSave.h"
#include "host/HostFrame.h"
#include "support/HostFixture.h"
#include "support/PdfFactory.h"
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

struct stat Stat(const std::string& path) {
    struct stat info {};
    EXPECT_EQ(::lstat(path.c_str(), &info), 0) << path;
    return info;
}

TEST_F(SaveTest, KeepsThePermissionBits) {
    for (const mode_t mode : {0644, 0600, 0640, 0664, 0755, 0604}) {
        SCOPED_TRACE(mode);
        const std::string path = dir.File("mode.pdf");
        test::WriteBytes(path, pdf);
        ASSERT_EQ(::chmod(path.c_str(), mode), 0);
        ASSERT_EQ(SaveCode(path), 0);
        EXPECT_EQ(Stat(path).st_mode & 07777, mode);
        EXPECT_NE(test::ReadBytes(path), pdf);
        EXPECT_EQ(test::ListFolder(dir.Path()), std::vector<std::string>{"mode.pdf"});
    }
}

TEST_F(SaveTest, KeepsTheOwnerAndGroup) {
    if (::geteuid() != 0) GTEST_SKIP() << "only root can give a file to another owner";
    const uid_t owner = 4321;
    const gid_t group = 8765;
    const std::string path = dir.File("owned.pdf");
    test::WriteBytes(path, pdf);
    ASSERT_EQ(::chown(path.c_str(), owner, group), 0);
    // Set-id bits go when the owner changes, so they show the owner was set before the mode.
    ASSERT_EQ(::chmod(path.c_str(), 06755), 0);

    ASSERT_EQ(SaveCode(path), 0);
    const struct stat after = Stat(path);
    EXPECT_EQ(after.st_uid, owner);
    EXPECT_EQ(after.st_gid, group);
    EXPECT_EQ(after.st_mode & 07777, 06755u);
    EXPECT_NE(test::ReadBytes(path), pdf);
    EXPECT_EQ(test::ListFolder(dir.Path()), std::vector<std::string>{"owned.pdf"});
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

TEST_F(SaveTest, WriteFailingMidwayLeavesTheFileAsItWas) {
    const std::string path = dir.File("big.pdf");
    test::WriteBytes(path, pdf);
    {
        // Page content that does not compress and is larger than the file-size limit set
        // below, so that the writer meets a real write error part way through the file.
        std::string noise(256 * 1024, '\0');
        std::uint32_t state = 1;
        for (char& c : noise) {
            state = state * 1664525u + 1013904223u;
            c = static_cast<char>(state >> 24);
        }
        const test::OpenedDocument document(path);
        QPDFObjectHandle page = document.Pdf().getAllPages().front();
        page.getKey("/Contents")
            .replaceStreamData(noise, QPDFObjectHandle::newNull(), QPDFObjectHandle::newNull());
        ASSERT_EQ(SaveCodeOf(document, path, kPDSaveFull), 0);
    }
    const std::string before = test::ReadBytes(path);

    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit previous {};
    ::getrlimit(RLIMIT_FSIZE, &previous);
    struct rlimit limited = previous;
    limited.rlim_cur = 64 * 1024;
    ::setrlimit(RLIMIT_FSIZE, &limited);
    const ASErrorCode code = SaveCode(path);
    ::setrlimit(RLIMIT_FSIZE, &previous);
    std::signal(SIGXFSZ, previousHandler);

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
