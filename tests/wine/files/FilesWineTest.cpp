// The batch dialog's file list over the real file system: its folder scan through the real
// FindFirstFileA, and its duplicate test, which tells paths apart as Windows does.

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "support/OwnerWindow.h"
#include "support/UserActions.h"
#include "support/WindowScript.h"
#include "ui/PlenvoBatchDlg.h"
#include "ui/resource.h"

namespace plenvo {
namespace {

using namespace plenvo::wine;

constexpr const char* kBatchCaption = "TDM Reservation (Text and Data Mining) - Batch Processing";
// Drive T: is an empty folder that the Wine runner maps for each run.
constexpr const char* kDrive = "T:\\";

void MakeFolder(const std::string& path) { ASSERT_TRUE(CreateDirectoryA(path.c_str(), nullptr)) << path; }

void MakeFile(const std::string& path, DWORD attributes = FILE_ATTRIBUTE_NORMAL) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, attributes, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE) << path;
    DWORD written = 0;
    WriteFile(file, "%PDF-1.4\n", 9, &written, nullptr);
    CloseHandle(file);
}

// The paths the list shows, in the order of its rows.
std::vector<std::string> Listed(HWND dialog) {
    std::vector<std::string> paths;
    for (const auto& row : ListRows(dialog, IDC_FILE_LIST)) paths.push_back(row.at(0));
    return paths;
}

class FolderScanTest : public ::testing::Test {
protected:
    // Runs the batch dialog, plays `step` on it with the dialog object, and closes it.
    void WithDialog(const std::function<void(CPlenvoBatchDlg&, HWND)>& step) {
        HWND owner = test::MakeOwnerWindow();
        CPlenvoBatchDlg dialog(owner);
        WindowScript script;
        script.Then(kBatchCaption, [&](HWND d) {
            step(dialog, d);
            EXPECT_TRUE(Click(d, IDCANCEL));
        });
        EXPECT_EQ(dialog.DoModal(), IDCANCEL);
        EXPECT_EQ(script.Remaining(), 0u);
        EXPECT_EQ(script.TakeStalls(), std::vector<std::string>{});
        DestroyWindow(owner);
    }

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
    WithDialog([&](CPlenvoBatchDlg& dialog, HWND d) {
        for (const ScanCase& c : cases) {
            SCOPED_TRACE(c.name);
            // As Add Folder... does once the user picked the folder.
            dialog.ScanFolder(c.folder, c.recursive);
            dialog.UpdateButtons();
            std::vector<std::string> found = Listed(d);
            std::sort(found.begin(), found.end());
            std::vector<std::string> expected = c.found;
            std::sort(expected.begin(), expected.end());
            EXPECT_EQ(found, expected);
            EXPECT_TRUE(Click(d, IDC_CLEAR_ALL) || expected.empty());
        }
    });
}

// A subfolder's files come together, before the enumeration of its parent goes on.
TEST_F(FolderScanTest, ScansEachSubfolderWholeWhereItIsMet) {
    std::vector<std::string> found;
    WithDialog([&](CPlenvoBatchDlg& dialog, HWND d) {
        dialog.ScanFolder("T:\\Docs", true);
        found = Listed(d);
    });
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

// Windows tells paths apart without regard to case, so the list does too: the same file
// named in other letters is listed once, under the name it was first listed with.
TEST_F(FolderScanTest, APathListedInOtherLettersIsNotAddedAgain) {
    WithDialog([](CPlenvoBatchDlg& dialog, HWND d) {
        dialog.AddFileToList("c:\\docs\\a.PDF");
        dialog.AddFileToList("C:\\Docs\\A.pdf");
        dialog.AddFileToList("C:\\Docs\\b.pdf");
        // Letters beyond ASCII fold as the ANSI code page (1252 here) folds them.
        dialog.AddFileToList("C:\\Docs\\R\xE9sum\xE9.pdf");
        dialog.AddFileToList("C:\\DOCS\\R\xC9SUM\xC9.PDF");
        EXPECT_EQ(Listed(d), (std::vector<std::string>{"c:\\docs\\a.PDF", "C:\\Docs\\b.pdf",
                                                        "C:\\Docs\\R\xE9sum\xE9.pdf"}));

        // A folder scanned again, in other letters, adds nothing either.
        dialog.ScanFolder("T:\\Docs\\Sub", true);
        dialog.ScanFolder("t:\\DOCS\\sub", true);
        EXPECT_EQ(Listed(d).size(), 5u);

        // A row removed can be added again.
        dialog.UpdateButtons();
        const int rows[] = {0};
        EXPECT_TRUE(SelectRows(d, IDC_FILE_LIST, rows));
        EXPECT_TRUE(Click(d, IDC_REMOVE_SELECTED));
        dialog.AddFileToList("C:\\DOCS\\A.PDF");
        EXPECT_EQ(Listed(d).back(), "C:\\DOCS\\A.PDF");
        EXPECT_EQ(Listed(d).size(), 5u);
    });
}

}  // namespace
}  // namespace plenvo
