#include <gtest/gtest.h>

#include <dlgs.h>
#include <filesystem>

#include <string>
#include <vector>

#include <commdlg.h>
#include <shlobj.h>
#include <windows.h>

#include "framework/CommonDialogs.h"
#include "framework/Paths.h"
#include "framework/WinApp.h"
#include "headless/Headless.h"
#include "headless/UserDriver.h"
#include "support/TempFolder.h"

namespace plenvo {
namespace {

using namespace plenvo::headless;
using plenvo::testing::TempFolder;

// The test program's application object, named after its module like the plug-in's.
class TestApp : public CWinApp {
public:
    BOOL InitInstance() override {
        ++initialised;
        return CWinApp::InitInstance();
    }
    int ExitInstance() override {
        ++exited;
        return CWinApp::ExitInstance();
    }
    int initialised = 0;
    int exited = 0;
};

TestApp g_app;

TEST(WinAppTest, TheApplicationIsNamedAfterItsModule) {
    EXPECT_EQ(AfxGetApp(), &g_app);
    EXPECT_EQ(g_app.AppName(), "framework_tests");
    EXPECT_EQ(AfxGetInstanceHandle(), GetModuleHandleA(nullptr));
    CWinApp named("Named");
    EXPECT_EQ(named.AppName(), "Named");
}

TEST(WinAppTest, ModuleNamesLoseFolderAndExtension) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"C:\\Program Files\\Adobe\\plug_ins\\Plenvo.api", "Plenvo"},
        {"/usr/lib/plenvo/Plenvo.so", "Plenvo"},
        {"Plenvo", "Plenvo"},
        {"a.b.c", "a.b"},
        {".hidden", ".hidden"},
        {"C:\\dir.x\\noext", "noext"},
    };
    for (const auto& [file, name] : cases) {
        EXPECT_EQ(ModuleBaseName(file), name) << file;
    }
}

TEST(WinAppTest, TheModuleEntryRunsInitialisationAndExit) {
    const int before = g_app.initialised;
    EXPECT_TRUE(FrameworkDllMain(GetModuleHandleA(nullptr), DLL_PROCESS_ATTACH));
    EXPECT_EQ(g_app.initialised, before + 1);
    EXPECT_TRUE(FrameworkDllMain(GetModuleHandleA(nullptr), DLL_PROCESS_DETACH));
    EXPECT_EQ(g_app.exited, 1);
}

TEST(FileDialogResultTest, BecomesFullPaths) {
    struct Case {
        std::string buffer;
        std::vector<std::string> paths;
    };
    const std::string sep(1, kPathSeparator);
    const std::vector<Case> cases = {
        {std::string("/docs/a.pdf\0\0", 13), {"/docs/a.pdf"}},
        {std::string("/docs\0a.pdf\0b c.pdf\0\0", 21), {"/docs" + sep + "a.pdf", "/docs" + sep + "b c.pdf"}},
        {std::string(1, kPathSeparator) + std::string("\0a.pdf\0b.pdf\0\0", 14), {sep + "a.pdf", sep + "b.pdf"}},
        {std::string("\0\0", 2), {}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(SplitFileDialogResult(c.buffer.data(), c.buffer.size()), c.paths);
    }
    EXPECT_EQ(WithTrailingSeparator("D:"), "D:" + sep);
    EXPECT_EQ(WithTrailingSeparator(sep), sep);
}

class CommonDialogsTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* name : {"a.pdf", "b.pdf", "c d.pdf", "notes.txt"}) folder.Write(name, "%PDF-1.4\n");
    }
    void TearDown() override {
        EXPECT_EQ(driver.Remaining(), 0u);
        EXPECT_TRUE(TakeStalls().empty());
        EXPECT_EQ(CountOpen().windows, 0);
        EXPECT_EQ(CountOpen().taskMemoryBlocks, 0) << "the folder browser's item list was not freed";
    }

    CFileDialog PdfDialog(DWORD bufferSize = 50001) {
        return CFileDialog("pdf", nullptr, OFN_EXPLORER | OFN_ALLOWMULTISELECT | OFN_FILEMUSTEXIST | OFN_HIDEREADONLY,
                           "PDF Files (*.pdf)|*.pdf|All Files (*.*)|*.*||", nullptr, bufferSize);
    }

    TempFolder folder;
    ScriptedDriver driver;
};

TEST_F(CommonDialogsTest, SeveralFilesComeBackAsFullPathsInTheirOrder) {
    const std::vector<std::string> chosen = {folder / "c d.pdf", folder / "a.pdf", folder / "notes.txt"};
    driver.Then([&](HWND d) {
        EXPECT_EQ(KindOf(d), WindowKind::FileOpen);
        EXPECT_EQ(ComboEntries(d, 0x0470), (std::vector<std::string>{"PDF Files (*.pdf)", "All Files (*.*)"}));
        EXPECT_EQ(ComboSelection(d, 0x0470), 0);
        EXPECT_TRUE(AnswerFileOpen(d, chosen));
    });
    DriverScope scope(driver);
    CFileDialog dialog = PdfDialog();
    EXPECT_EQ(dialog.DoModal(), IDOK);
    EXPECT_EQ(dialog.GetPathNames(), chosen);
}

TEST_F(CommonDialogsTest, OneFileAndCancelling) {
    driver.Then([&](HWND d) { EXPECT_TRUE(AnswerFileOpen(d, std::vector<std::string>{folder / "b.pdf"})); });
    driver.Then([&](HWND d) { EXPECT_TRUE(AnswerFileOpen(d, std::vector<std::string>{})); });
    DriverScope scope(driver);
    CFileDialog dialog = PdfDialog();
    EXPECT_EQ(dialog.DoModal(), IDOK);
    EXPECT_EQ(dialog.GetPathNames(), std::vector<std::string>{folder / "b.pdf"});
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
    EXPECT_TRUE(dialog.GetPathNames().empty());
    EXPECT_EQ(dialog.GetError(), 0u);
}

TEST_F(CommonDialogsTest, AMissingFileIsReportedAndTheDialogStays) {
    driver.Then([&](HWND d) {
        EXPECT_TRUE(TypeText(d, edt1, folder / "absent.pdf"));
        EXPECT_TRUE(Click(d, IDOK));
    });
    driver.Then([](HWND box) {
        EXPECT_EQ(ReadMessageBox(box).text, "absent.pdf\nFile not found.\nCheck the file name and try again.");
        EXPECT_TRUE(AnswerMessageBox(box, IDOK));
    });
    // The default extension completes a name typed without one.
    driver.Then([&](HWND d) {
        EXPECT_EQ(KindOf(d), WindowKind::FileOpen);
        EXPECT_TRUE(TypeText(d, edt1, folder / "a"));
        EXPECT_TRUE(Click(d, IDOK));
    });
    DriverScope scope(driver);
    CFileDialog dialog = PdfDialog();
    EXPECT_EQ(dialog.DoModal(), IDOK);
    EXPECT_EQ(dialog.GetPathNames(), std::vector<std::string>{folder / "a.pdf"});
}

TEST_F(CommonDialogsTest, AChoiceTooLongForTheBufferIsNotHandedBack) {
    driver.Then([&](HWND d) { EXPECT_TRUE(AnswerFileOpen(d, std::vector<std::string>{folder / "a.pdf", folder / "b.pdf"})); });
    DriverScope scope(driver);
    CFileDialog dialog = PdfDialog(static_cast<DWORD>(folder.Path().string().size() + 8));
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
    EXPECT_EQ(dialog.GetError(), static_cast<DWORD>(FNERR_BUFFERTOOSMALL));
    EXPECT_TRUE(dialog.GetPathNames().empty());
}

TEST_F(CommonDialogsTest, TheFolderBrowserAnswersAPathOrNothing) {
    const std::string deep = folder / std::string(250, 'f');
    std::filesystem::create_directories(deep);
    ASSERT_GE(deep.size(), static_cast<std::size_t>(MAX_PATH));
    driver.Then([&](HWND d) {
        EXPECT_EQ(KindOf(d), WindowKind::FolderBrowser);
        EXPECT_EQ(Items(d)[0].text, "Select folder containing PDF files:");
        EXPECT_TRUE(AnswerFolderBrowser(d, folder.Path().string()));
    });
    driver.Then([](HWND d) { EXPECT_TRUE(AnswerFolderBrowser(d, "")); });
    driver.Then([&](HWND d) { EXPECT_TRUE(AnswerFolderBrowser(d, folder / "absent")); });
    driver.Then([](HWND box) { EXPECT_TRUE(AnswerMessageBox(box, IDOK)); });
    driver.Then([&](HWND d) { EXPECT_TRUE(AnswerFolderBrowser(d, deep)); });
    DriverScope scope(driver);
    const UINT flags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE;
    EXPECT_EQ(BrowseForFolder(nullptr, "Select folder containing PDF files:", flags), folder.Path().string());
    EXPECT_EQ(BrowseForFolder(nullptr, "Select folder containing PDF files:", flags), std::nullopt);
    EXPECT_EQ(BrowseForFolder(nullptr, "Select folder containing PDF files:", flags), std::nullopt)
        << "a path longer than MAX_PATH has no place in the caller's buffer";
}

}  // namespace
}  // namespace plenvo
