#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

namespace plenvo {
namespace {

// Drive T: is an empty folder that the Wine runner maps for each run.
constexpr const char* kDrive = "T:\\";

bool EndsWithPdf(const std::string& path) {
    if (path.size() < 4) {
        return false;
    }
    return CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, path.c_str() + path.size() - 4, 4, ".pdf", 4) ==
           CSTR_EQUAL;
}

// The folder scan of the batch dialog, over the real FindFirstFileA: every file under
// `folder` whose name ends in ".pdf" in any case, skipping names that begin with a dot,
// each subfolder scanned whole where it is met.
void ScanFolder(const std::string& folder, bool recursive, std::vector<std::string>& found) {
    std::string base = folder;
    if (base.empty() || base.back() != '\\') {
        base += '\\';
    }
    WIN32_FIND_DATAA entry{};
    HANDLE find = FindFirstFileA((base + "*.*").c_str(), &entry);
    if (find == INVALID_HANDLE_VALUE) {
        return;
    }
    do {
        if (entry.cFileName[0] == '.') {
            continue;
        }
        const std::string full = base + entry.cFileName;
        if ((entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
            if (recursive) {
                ScanFolder(full, true, found);
            }
        } else if (EndsWithPdf(full)) {
            found.push_back(full);
        }
    } while (FindNextFileA(find, &entry));
    FindClose(find);
}

void MakeFolder(const std::string& path) { ASSERT_TRUE(CreateDirectoryA(path.c_str(), nullptr)) << path; }

void MakeFile(const std::string& path, DWORD attributes = FILE_ATTRIBUTE_NORMAL) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, attributes, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE) << path;
    DWORD written = 0;
    WriteFile(file, "%PDF-1.4\n", 9, &written, nullptr);
    CloseHandle(file);
}

class FolderScanTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        MakeFile("T:\\root.pdf");
        MakeFile("T:\\root.txt");
        MakeFolder("T:\\Docs");
        MakeFile("T:\\Docs\\x.PDF");
        MakeFile("T:\\Docs\\y.pdf");
        MakeFile("T:\\Docs\\z.pdfx");
        MakeFile("T:\\Docs\\notes.txt");
        MakeFile("T:\\Docs\\pdf");
        MakeFile("T:\\Docs\\a.pdf.txt");
        MakeFile("T:\\Docs\\.hidden.pdf");
        MakeFile("T:\\Docs\\.pdf");
        MakeFile("T:\\Docs\\R\xE9sum\xE9.pdf");
        // Attributes other than the folder one change nothing.
        MakeFile("T:\\Docs\\secret.pdf", FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
        MakeFile("T:\\Docs\\kept.pdf", FILE_ATTRIBUTE_READONLY);
        MakeFolder("T:\\Docs\\.cache");
        MakeFile("T:\\Docs\\.cache\\c.pdf");
        MakeFolder("T:\\Docs\\Sub");
        MakeFile("T:\\Docs\\Sub\\s.Pdf");
        MakeFolder("T:\\Docs\\Sub\\Deeper");
        MakeFile("T:\\Docs\\Sub\\Deeper\\d.pdf");
        // A folder whose name looks like a PDF file is a folder all the same.
        MakeFolder("T:\\Docs\\folder.pdf");
        MakeFile("T:\\Docs\\folder.pdf\\inner.pdf");
        MakeFolder("T:\\Empty");
    }
};

struct ScanCase {
    const char* name;
    std::string folder;
    bool recursive;
    std::vector<std::string> found;
};

const std::vector<std::string> kDocsOwn = {
    "T:\\Docs\\R\xE9sum\xE9.pdf", "T:\\Docs\\kept.pdf", "T:\\Docs\\secret.pdf", "T:\\Docs\\x.PDF",
    "T:\\Docs\\y.pdf",
};
const std::vector<std::string> kDocsBelow = {
    "T:\\Docs\\Sub\\Deeper\\d.pdf",
    "T:\\Docs\\Sub\\s.Pdf",
    "T:\\Docs\\folder.pdf\\inner.pdf",
};

std::vector<std::string> Joined(std::vector<std::string> a, const std::vector<std::string>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

TEST_F(FolderScanTest, FindsThePdfFilesAsTheFileSystemNamesThem) {
    const std::vector<ScanCase> cases = {
        {"OwnFilesOnly", "T:\\Docs", false, kDocsOwn},
        {"WithATrailingBackslash", "T:\\Docs\\", false, kDocsOwn},
        {"WithSubfolders", "T:\\Docs", true, Joined(kDocsOwn, kDocsBelow)},
        {"FolderNamedInAnotherCase", "t:\\docs", false,
         {"t:\\docs\\R\xE9sum\xE9.pdf", "t:\\docs\\kept.pdf", "t:\\docs\\secret.pdf", "t:\\docs\\x.PDF",
          "t:\\docs\\y.pdf"}},
        {"DriveRoot", kDrive, false, {"T:\\root.pdf"}},
        {"DriveRootWithoutBackslash", "T:", false, {"T:\\root.pdf"}},
        {"DriveRootWithSubfolders", kDrive, true, Joined(Joined({"T:\\root.pdf"}, kDocsOwn), kDocsBelow)},
        {"EmptyFolder", "T:\\Empty", true, {}},
        {"MissingFolder", "T:\\Missing", true, {}},
        {"AFileInsteadOfAFolder", "T:\\Docs\\y.pdf", true, {}},
    };
    for (const ScanCase& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<std::string> found;
        ScanFolder(c.folder, c.recursive, found);
        std::sort(found.begin(), found.end());
        std::vector<std::string> expected = c.found;
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(found, expected);
    }
}

// A subfolder's files come together, before the enumeration of its parent goes on.
TEST_F(FolderScanTest, ScansEachSubfolderWholeWhereItIsMet) {
    std::vector<std::string> found;
    ScanFolder("T:\\Docs", true, found);
    const auto inSub = [](const std::string& path) { return path.rfind("T:\\Docs\\Sub\\", 0) == 0; };
    std::vector<std::size_t> at;
    for (std::size_t i = 0; i < found.size(); ++i) {
        if (inSub(found[i])) {
            at.push_back(i);
        }
    }
    ASSERT_EQ(at.size(), 2u);
    EXPECT_EQ(at[1], at[0] + 1);
}

}  // namespace
}  // namespace plenvo
