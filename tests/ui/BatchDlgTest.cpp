// The batch dialog's file list: gathering files by hand and by folder, removing them.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include <commctrl.h>

#include "UiTestSupport.h"
#include "headless/Headless.h"
#include "settings/Settings.h"
#include "ui/Commands.h"
#include "ui/resource.h"

namespace plenvo::test {
namespace {

using namespace plenvo::headless;
namespace fs = std::filesystem;

constexpr int kNeedRows[] = {IDC_APPLY_TO_ALL, IDC_REMOVE_ALL, IDC_CHECK_STATUS, IDC_REMOVE_SELECTED, IDC_CLEAR_ALL};
constexpr int kAlwaysThere[] = {IDC_ADD_FILES, IDC_ADD_FOLDER, IDC_BATCH_HELP, IDCANCEL};

std::vector<std::string> Paths(HWND d) {
    std::vector<std::string> paths;
    for (const auto& row : ListRows(d, IDC_FILE_LIST)) paths.push_back(row[0]);
    return paths;
}

std::vector<std::string> Sorted(std::vector<std::string> paths) {
    std::sort(paths.begin(), paths.end());
    return paths;
}

class BatchDlgTest : public UiTest {
protected:
    void RunDialog() {
        driver.Then([](HWND d) { EXPECT_TRUE(Click(d, IDCANCEL)); });
        Run([] { RunBatchCommand(); });
    }

    // Steps that pick files through Add Files..., all in one folder.
    void AddFiles(std::vector<std::string> paths) {
        driver.Then([](HWND d) { EXPECT_TRUE(Click(d, IDC_ADD_FILES)); });
        driver.Then([paths](HWND picker) { EXPECT_TRUE(AnswerFileOpen(picker, paths)); });
    }

    void AddFolder(const std::string& folder, bool subfolders) {
        driver.Then([subfolders](HWND d) { EXPECT_TRUE(SetChecked(d, IDC_INCLUDE_SUBFOLDERS, subfolders)); });
        driver.Then([](HWND d) { EXPECT_TRUE(Click(d, IDC_ADD_FOLDER)); });
        driver.Then([folder](HWND browser) {
            EXPECT_EQ(ReadMessageBox(browser).text, "");  // not a message box
            EXPECT_TRUE(AnswerFolderBrowser(browser, folder));
        });
    }

    void Look(Step step) { driver.Then(std::move(step)); }
};

TEST_F(BatchDlgTest, OpensEmptyWithTheStoredChoices) {
    SaveSettings({0, "https://stored.example/p.json", false});
    Look([&](HWND d) {
        EXPECT_EQ(Caption(d), "TDM Reservation (Text and Data Mining) - Batch Processing");
        EXPECT_FALSE(IsWindowEnabled(mainWindow));
        EXPECT_EQ(ListColumns(d, IDC_FILE_LIST), (std::vector<std::string>{"File Path", "Reservation", "Policy URL"}));
        const DWORD extended =
            static_cast<DWORD>(SendDlgItemMessageA(d, IDC_FILE_LIST, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0));
        EXPECT_EQ(extended & (LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT), DWORD{LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT});
        EXPECT_TRUE(ListRows(d, IDC_FILE_LIST).empty());
        EXPECT_EQ(ComboSelection(d, IDC_BATCH_RESERVATION), 0);
        EXPECT_EQ(Text(d, IDC_BATCH_POLICY), "https://stored.example/p.json");
        EXPECT_FALSE(IsEnabled(d, IDC_BATCH_POLICY));
        EXPECT_FALSE(IsChecked(d, IDC_BATCH_INCLUDE_SCHEMA));
        EXPECT_TRUE(IsChecked(d, IDC_INCLUDE_SUBFOLDERS));
        EXPECT_EQ(Text(d, IDC_STATUS_LINE), "Ready");
        const ProgressView bar = Progress(d, IDC_PROGRESS);
        EXPECT_EQ(bar.low, 0);
        EXPECT_EQ(bar.high, 100);
        EXPECT_EQ(bar.position, 0);
        for (int id : kNeedRows) EXPECT_FALSE(IsEnabled(d, id)) << id;
        for (int id : kAlwaysThere) EXPECT_TRUE(IsEnabled(d, id)) << id;
        EXPECT_EQ(FocusedId(d), IDC_FILE_LIST);
    });
    Look([](HWND d) { EXPECT_TRUE(PickEntry(d, IDC_BATCH_RESERVATION, 1)); });
    Look([](HWND d) { EXPECT_TRUE(IsEnabled(d, IDC_BATCH_POLICY)); });
    RunDialog();
}

TEST_F(BatchDlgTest, AddFilesKeepsOrderAndSkipsPathsAlreadyListed) {
    const std::string a = Pdf("a.pdf");
    const std::string b = Pdf("b.pdf");
    const std::string upper = Pdf("A.pdf");  // another file where case tells names apart
    const std::string notes = files.File("notes.txt");
    WriteBytes(notes, "not a PDF");
    AddFiles({b, a});
    AddFiles({a, upper, notes});
    Look([&](HWND d) {
        EXPECT_EQ(Paths(d), (std::vector<std::string>{b, a, upper, notes}));
        for (const auto& row : ListRows(d, IDC_FILE_LIST)) EXPECT_EQ(row, (std::vector<std::string>{row[0], "", ""}));
        for (int id : kNeedRows) EXPECT_TRUE(IsEnabled(d, id)) << id;
    });
    // Cancelling adds nothing.
    AddFiles({});
    Look([&](HWND d) { EXPECT_EQ(Paths(d).size(), 4u); });
    RunDialog();
}

TEST_F(BatchDlgTest, AChoiceTooLargeForTheBufferIsReportedAndAddsNothing) {
    // Enough long names that the picked list cannot fit the dialog's buffer.
    std::vector<std::string> many;
    for (int i = 0; i < 260; ++i) {
        many.push_back(Pdf(std::string(200, 'a' + i % 26) + "-" + std::to_string(i) + ".pdf"));
    }
    AddFiles(many);
    Look(Expect("Too many files were selected at once, so none were added.\n\n"
                "Select fewer files at a time, or use Add Folder... to add a whole folder.",
                MB_OK | MB_ICONWARNING));
    Look([](HWND d) {
        EXPECT_TRUE(ListRows(d, IDC_FILE_LIST).empty());
        EXPECT_FALSE(IsEnabled(d, IDC_APPLY_TO_ALL));
    });
    RunDialog();
}

TEST_F(BatchDlgTest, FolderScansFindPdfFilesAndSkipDotNamesAndLinkedFolders) {
    const std::string root = files.File("docs");
    for (const char* name : {"x.PDF", "y.pdf", "z.pdfx", "notes.txt", ".hidden.pdf", ".cache/in-cache.pdf",
                             "sub/deep/b.pdf", "sub/c.Pdf", "target/linked-to.pdf"}) {
        fs::create_directories(fs::path(root + "/" + name).parent_path());
        WriteBytes(root + "/" + name, "%PDF-1.4\n");
    }
    // A link back to the top would list the same files again and again.
    fs::create_directory_symlink(root, root + "/sub/loop");
    fs::create_symlink(root + "/target/linked-to.pdf", root + "/link.pdf");
    fs::create_directory_symlink(root + "/target", root + "/linked-folder");

    struct Case {
        const char* name;
        bool subfolders;
        std::vector<std::string> expected;
    };
    const std::vector<Case> cases = {
        {"with subfolders", true,
         {root + "/link.pdf", root + "/sub/c.Pdf", root + "/sub/deep/b.pdf", root + "/target/linked-to.pdf",
          root + "/x.PDF", root + "/y.pdf"}},
        {"without subfolders", false, {root + "/link.pdf", root + "/x.PDF", root + "/y.pdf"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        AddFolder(root, c.subfolders);
        Look([&](HWND d) {
            EXPECT_EQ(Sorted(Paths(d)), c.expected);
            // Scanning again adds no duplicates.
            EXPECT_TRUE(Click(d, IDC_ADD_FOLDER));
        });
        Look([&](HWND browser) { EXPECT_TRUE(AnswerFolderBrowser(browser, root + "/")); });
        Look([&](HWND d) {
            EXPECT_EQ(Paths(d).size(), c.expected.size());
            EXPECT_TRUE(Click(d, IDC_CLEAR_ALL));
        });
        // A cancelled browser adds nothing.
        AddFolder("", c.subfolders);
        Look([](HWND d) { EXPECT_TRUE(ListRows(d, IDC_FILE_LIST).empty()); });
    }
    RunDialog();
}

TEST_F(BatchDlgTest, RemoveDeletesExactlyTheSelectedRowsAndClearAllEmptiesTheList) {
    std::vector<std::string> paths;
    for (int i = 0; i < 9; ++i) paths.push_back(Pdf("f" + std::to_string(i) + ".pdf"));
    AddFiles(paths);
    Look([](HWND d) {
        // Remove with nothing selected deletes nothing.
        EXPECT_TRUE(Click(d, IDC_REMOVE_SELECTED));
    });
    Look([&](HWND d) {
        EXPECT_EQ(Paths(d), paths);
        EXPECT_TRUE(SelectRows(d, IDC_FILE_LIST, std::vector<int>{2, 5, 7}));
    });
    Look([](HWND d) { EXPECT_TRUE(Click(d, IDC_REMOVE_SELECTED)); });
    Look([&](HWND d) {
        EXPECT_EQ(Paths(d), (std::vector<std::string>{paths[0], paths[1], paths[3], paths[4], paths[6], paths[8]}));
        EXPECT_TRUE(IsEnabled(d, IDC_REMOVE_SELECTED)) << "Remove stays enabled while there are rows";
    });
    // A removed path can be added again; it goes to the end.
    AddFiles({paths[5]});
    Look([&](HWND d) {
        EXPECT_EQ(Paths(d).back(), paths[5]);
        EXPECT_EQ(Paths(d).size(), 7u);
        EXPECT_TRUE(Click(d, IDC_CLEAR_ALL));
    });
    Look([&](HWND d) {
        EXPECT_TRUE(ListRows(d, IDC_FILE_LIST).empty());
        for (int id : kNeedRows) EXPECT_FALSE(IsEnabled(d, id)) << id;
        for (int id : kAlwaysThere) EXPECT_TRUE(IsEnabled(d, id)) << id;
        EXPECT_EQ(Text(d, IDC_STATUS_LINE), "Ready");
    });
    AddFiles({paths[0]});
    Look([&](HWND d) { EXPECT_EQ(Paths(d), std::vector<std::string>{paths[0]}); });
    RunDialog();
}

TEST_F(BatchDlgTest, HelpOpensTheBatchPage) {
    Look([](HWND d) { EXPECT_TRUE(Click(d, IDC_BATCH_HELP)); });
    Look([&](HWND d) {
        EXPECT_EQ(opened, std::vector<std::string>{"https://help.example.com/plenvo/Plenvo-Batch.html"});
        EXPECT_EQ(KindOf(d), WindowKind::Dialog);
    });
    RunDialog();
}

}  // namespace
}  // namespace plenvo::test
