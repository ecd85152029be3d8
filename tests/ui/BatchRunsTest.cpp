// The batch runs over real files: what they ask, show while they work, write into the
// rows and the files, and sum up.

#include <gtest/gtest.h>

#include <algorithm>

#include "HostControl.h"
#include "HostErrors.h"
#include "UiTestSupport.h"
#include "document/FileOperations.h"
#include "headless/Headless.h"
#include "settings/Settings.h"
#include "support/BatchTexts.h"
#include "ui/Commands.h"
#include "ui/resource.h"

namespace plenvo::test {
namespace {

using namespace plenvo::headless;
using Rows = std::vector<std::vector<std::string>>;

constexpr UINT kWarning = MB_OK | MB_ICONWARNING;
constexpr UINT kInformation = MB_OK | MB_ICONINFORMATION;
constexpr UINT kQuestion = MB_YESNO | MB_ICONQUESTION;

// The error line a per-file operation gives for a file it cannot open; the file stays as
// it was, so the line can be taken before the run.
std::string ApplyError(const std::string& path) {
    std::string error;
    EXPECT_FALSE(ApplyTdmToFile(path, 1, "", true, error));
    return error;
}

class BatchRunsTest : public UiTest {
protected:
    void AddFiles(const std::vector<std::string>& paths) {
        driver.Then([](HWND d) { EXPECT_TRUE(Click(d, IDC_ADD_FILES)); });
        driver.Then([paths](HWND picker) { EXPECT_TRUE(AnswerFileOpen(picker, paths)); });
    }
    void Press(int id) {
        driver.Then([id](HWND d) { EXPECT_TRUE(Click(d, id)); });
    }
    void Look(Step step) { driver.Then(std::move(step)); }
    void WhileBusy(Step step) { driver.WhileBusy(std::move(step)); }

    void RunDialog() {
        driver.Then([](HWND d) { EXPECT_TRUE(Click(d, IDCANCEL)); });
        Run([] { RunBatchCommand(); });
    }

    std::string NotAPdf(const std::string& name) const {
        const std::string path = files.File(name);
        WriteBytes(path, "this is no PDF file\n");
        return path;
    }
};

// What a person sees on the dialog while file `i` of `n` is worked on.
Step Busy(const std::string& status, int i, int n, std::vector<int> disabled, std::vector<int> enabled) {
    return [=](HWND d) {
        EXPECT_EQ(Text(d, IDC_STATUS_LINE), status);
        const ProgressView bar = Progress(d, IDC_PROGRESS);
        EXPECT_EQ(bar.low, 0);
        EXPECT_EQ(bar.high, n);
        EXPECT_EQ(bar.position, i) << "the file being worked on counts as done";
        for (int id : disabled) EXPECT_FALSE(IsEnabled(d, id)) << status << ": " << id;
        for (int id : enabled) EXPECT_TRUE(IsEnabled(d, id)) << status << ": " << id;
    };
}

Step Finished(const std::string& status, int n) {
    return [=](HWND d) {
        EXPECT_EQ(Text(d, IDC_STATUS_LINE), status);
        const ProgressView bar = Progress(d, IDC_PROGRESS);
        EXPECT_EQ(bar.high, n);
        EXPECT_EQ(bar.position, n) << "the bar stays full after a run";
        for (int id : {IDC_APPLY_TO_ALL, IDC_REMOVE_ALL, IDC_CHECK_STATUS, IDC_ADD_FILES, IDC_ADD_FOLDER, IDCANCEL}) {
            EXPECT_TRUE(IsEnabled(d, id)) << status << ": " << id;
        }
    };
}

const std::vector<int> kApplyDisables = {IDC_APPLY_TO_ALL, IDC_ADD_FILES, IDC_ADD_FOLDER, IDCANCEL};
const std::vector<int> kApplyLeaves = {IDC_REMOVE_ALL, IDC_CHECK_STATUS, IDC_CLEAR_ALL, IDC_REMOVE_SELECTED};

TEST_F(BatchRunsTest, ApplyToAllStampsEveryFileShowsProgressAndStoresTheChoice) {
    const std::vector<std::string> paths = {Pdf("a.pdf"), StampedPdf("b.pdf", 0, ""), Pdf("c.pdf")};
    AddFiles(paths);
    Press(IDC_CHECK_STATUS);
    Look([](HWND d) { EXPECT_TRUE(PickEntry(d, IDC_BATCH_RESERVATION, 1)); });
    Look([](HWND d) { EXPECT_TRUE(TypeText(d, IDC_BATCH_POLICY, " " + kPolicy + " ")); });
    Look([](HWND d) { EXPECT_TRUE(SetChecked(d, IDC_BATCH_INCLUDE_SCHEMA, false)); });
    Press(IDC_APPLY_TO_ALL);
    Look(Expect(ApplyQuestion(3, 1, kPolicy), kQuestion, IDYES));
    for (int i = 0; i < 3; ++i) {
        WhileBusy(Busy("Processing " + std::to_string(i + 1) + " of 3: " + paths[i], i + 1, 3, kApplyDisables,
                       kApplyLeaves));
    }
    Look(Expect(Summary("Batch processing complete.", 3, 0), kInformation));
    Look(Finished("Complete", 3));
    Look([&](HWND d) {
        // The rows keep what the check wrote before the apply.
        EXPECT_EQ(ListRows(d, IDC_FILE_LIST), (Rows{{paths[0], "Not set", ""},
                                                     {paths[1], "0 (not reserved)", ""},
                                                     {paths[2], "Not set", ""}}));
    });
    RunDialog();
    for (const std::string& path : paths) {
        EXPECT_EQ(ExifTdm(path), "Reservation: 1\nPolicy: " + kPolicy + "\n") << path;
        EXPECT_EQ(RunTool({"qpdf", "--check", path}).exitCode, 0) << path;
    }
    EXPECT_EQ(Stored(), (ReservationRecord{1, kPolicy, false}));
}

TEST_F(BatchRunsTest, ApplyToAllReportsFailuresAndStoresTheChoiceOnlyAfterASuccess) {
    SaveSettings({0, "", true});
    struct Case {
        const char* name;
        std::vector<std::string> paths;
        const char* failingSave;  // the save that fails, if any, by its number
        std::vector<bool> succeeds;
        bool stored;
    };
    const std::string notA = NotAPdf("not-a.pdf");
    const std::string notB = NotAPdf("not-b.pdf");
    const std::vector<Case> cases = {
        {"the second of three cannot be saved", {Pdf("one.pdf"), Pdf("two.pdf"), Pdf("three.pdf")}, "2",
         {true, false, true}, true},
        {"every file fails", {notA, notB}, nullptr, {false, false}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string errors;
        std::vector<std::string> before;
        for (const std::string& path : c.paths) before.push_back(ReadBytes(path));
        for (std::size_t i = 0; i < c.paths.size(); ++i) {
            if (c.succeeds[i]) continue;
            errors += c.failingSave != nullptr
                          ? "Error processing " + c.paths[i] + ": " + hostapp::ErrorText(hostapp::kErrDiskFull)
                          : ApplyError(c.paths[i]);
            errors += "\n";
        }
        const auto failed = static_cast<int>(std::count(c.succeeds.begin(), c.succeeds.end(), false));
        const int n = static_cast<int>(c.paths.size());
        hostapp::ClearCallRecord();
        if (c.failingSave != nullptr) hostapp::FailCall("PDDocSave", std::stoi(c.failingSave), hostapp::kErrDiskFull);
        AddFiles(c.paths);
        Look([](HWND d) { EXPECT_TRUE(PickEntry(d, IDC_BATCH_RESERVATION, 1)); });
        Press(IDC_APPLY_TO_ALL);
        Look(Expect(ApplyQuestion(n, 1, "(none)"), kQuestion, IDYES));
        Look(Expect(Summary("Batch processing complete.", n - failed, failed, errors), kWarning));
        Look(Finished("Complete", n));
        RunDialog();
        for (std::size_t i = 0; i < c.paths.size(); ++i) {
            if (c.succeeds[i]) {
                EXPECT_EQ(ExifTdm(c.paths[i]), "Reservation: 1\n") << c.paths[i];
            } else {
                EXPECT_EQ(ReadBytes(c.paths[i]), before[i]) << "a failed file stays as it was: " << c.paths[i];
            }
        }
        EXPECT_EQ(Stored(), (c.stored ? ReservationRecord{1, "", true} : ReservationRecord{0, "", true}));
        hostapp::ClearFaults();
        SaveSettings({0, "", true});
    }
}

TEST_F(BatchRunsTest, ReservationZeroAppliesNoPolicyWhateverTheDisabledBoxHolds) {
    const std::string path = StampedPdf("stamped.pdf", 1, kPolicy);
    AddFiles({path});
    Look([](HWND d) { EXPECT_TRUE(PickEntry(d, IDC_BATCH_RESERVATION, 1)); });
    Look([](HWND d) { EXPECT_TRUE(TypeText(d, IDC_BATCH_POLICY, kPolicy)); });
    Look([](HWND d) { EXPECT_TRUE(PickEntry(d, IDC_BATCH_RESERVATION, 0)); });
    Press(IDC_APPLY_TO_ALL);
    Look(Expect(ApplyQuestion(1, 0, "(none)"), kQuestion, IDYES));
    Look(Expect(Summary("Batch processing complete.", 1, 0), kInformation));
    RunDialog();
    EXPECT_EQ(ExifTdm(path), "Reservation: 0\n");
    EXPECT_EQ(Stored(), (ReservationRecord{0, "", true}));
}

TEST_F(BatchRunsTest, NoToAConfirmationChangesNothing) {
    struct Case {
        const char* name;
        int button;
        std::string question;
    };
    const std::string path = StampedPdf("stamped.pdf", 1, kPolicy);
    const std::string bytes = ReadBytes(path);
    for (const Case& c : {Case{"apply", IDC_APPLY_TO_ALL, ApplyQuestion(1, 1, "(none)")},
                          Case{"remove", IDC_REMOVE_ALL, RemoveQuestion(1)}}) {
        SCOPED_TRACE(c.name);
        AddFiles({path});
        Press(c.button);
        Look(Expect(c.question, kQuestion, IDNO));
        Look([](HWND d) {
            EXPECT_EQ(Text(d, IDC_STATUS_LINE), "Ready");
            const ProgressView bar = Progress(d, IDC_PROGRESS);
            EXPECT_EQ(bar.high, 100);
            EXPECT_EQ(bar.position, 0);
            EXPECT_EQ(ListRows(d, IDC_FILE_LIST)[0][1], "");
            for (int id : {IDC_APPLY_TO_ALL, IDC_REMOVE_ALL, IDC_CHECK_STATUS, IDC_ADD_FILES, IDCANCEL}) {
                EXPECT_TRUE(IsEnabled(d, id)) << id;
            }
        });
        RunDialog();
        EXPECT_EQ(ReadBytes(path), bytes);
        EXPECT_EQ(RegistryBytes(), "");
    }
}

TEST_F(BatchRunsTest, CheckStatusFillsTheRowsAndChangesNoFile) {
    const std::vector<std::string> paths = {StampedPdf("one.pdf", 1, kPolicy), StampedPdf("zero.pdf", 0, ""),
                                            Pdf("plain.pdf"), NotAPdf("broken.pdf")};
    std::vector<std::string> before;
    for (const std::string& path : paths) before.push_back(ReadBytes(path));
    std::string openError;
    ReservationRecord ignored;
    EXPECT_FALSE(CheckTdmOfFile(paths[3], ignored, openError));
    AddFiles(paths);
    Press(IDC_CHECK_STATUS);
    for (int i = 1; i <= 4; ++i) {
        WhileBusy(Busy("Checking " + std::to_string(i) + " of 4...", i, 4, {IDC_CHECK_STATUS},
                       {IDC_APPLY_TO_ALL, IDC_REMOVE_ALL, IDC_ADD_FILES, IDC_ADD_FOLDER, IDCANCEL}));
    }
    Look(Finished("Check complete", 4));
    Look([&](HWND d) {
        EXPECT_EQ(ListRows(d, IDC_FILE_LIST), (Rows{{paths[0], "1 (reserved)", kPolicy},
                                                     {paths[1], "0 (not reserved)", ""},
                                                     {paths[2], "Not set", ""},
                                                     {paths[3], "Error", openError}}));
    });
    RunDialog();
    for (std::size_t i = 0; i < paths.size(); ++i) EXPECT_EQ(ReadBytes(paths[i]), before[i]);
    EXPECT_EQ(RegistryBytes(), "") << "a check stores nothing";
}

TEST_F(BatchRunsTest, RemoveAllStripsEveryFileAndMarksTheRows) {
    const std::vector<std::string> paths = {StampedPdf("one.pdf", 1, kPolicy), NotAPdf("broken.pdf"),
                                            StampedPdf("zero.pdf", 0, "")};
    std::string removeError;
    EXPECT_FALSE(RemoveTdmFromFile(paths[1], removeError));
    AddFiles(paths);
    Press(IDC_REMOVE_ALL);
    Look(Expect(RemoveQuestion(3), kQuestion, IDYES));
    for (int i = 1; i <= 3; ++i) {
        WhileBusy(Busy("Removing " + std::to_string(i) + " of 3: " + paths[i - 1], i, 3,
                       {IDC_REMOVE_ALL, IDC_APPLY_TO_ALL, IDC_ADD_FILES, IDC_ADD_FOLDER, IDCANCEL},
                       {IDC_CHECK_STATUS, IDC_CLEAR_ALL}));
    }
    Look(Expect(Summary("Batch removal complete.", 2, 1, removeError + "\n"), kWarning));
    Look(Finished("Removal complete", 3));
    Look([&](HWND d) {
        EXPECT_EQ(ListRows(d, IDC_FILE_LIST),
                  (Rows{{paths[0], "Removed", ""}, {paths[1], "Error", removeError}, {paths[2], "Removed", ""}}));
    });
    RunDialog();
    EXPECT_EQ(ExifTdm(paths[0]), "");
    EXPECT_EQ(ExifTdm(paths[2]), "");
    EXPECT_EQ(RegistryBytes(), "") << "a removal stores nothing";
}

TEST_F(BatchRunsTest, RemoveAllPressedDuringApplyToAllRunsNestedBetweenTwoFiles) {
    const std::vector<std::string> paths = {Pdf("a.pdf"), Pdf("b.pdf"), Pdf("c.pdf")};
    AddFiles(paths);
    Press(IDC_APPLY_TO_ALL);
    Look(Expect(ApplyQuestion(3, 1, "(none)"), kQuestion, IDYES));
    // Before the first file: the user presses Remove All, which the apply leaves enabled.
    WhileBusy([](HWND d) { EXPECT_TRUE(Click(d, IDC_REMOVE_ALL)); });
    Look(Expect(RemoveQuestion(3), kQuestion, IDYES));
    Look(Expect(Summary("Batch removal complete.", 3, 0), kInformation));
    WhileBusy([](HWND) {});  // the rest of that wait: the first file is stamped next
    // Back in the apply, before its second file: the inner run enabled the apply's controls.
    WhileBusy(Busy("Processing 2 of 3: " + paths[1], 2, 3, {},
                   {IDC_APPLY_TO_ALL, IDC_ADD_FILES, IDC_ADD_FOLDER, IDCANCEL}));
    Look(Expect(Summary("Batch processing complete.", 3, 0), kInformation));
    Look([&](HWND d) {
        EXPECT_EQ(Text(d, IDC_STATUS_LINE), "Complete");
        EXPECT_EQ(ListRows(d, IDC_FILE_LIST),
                  (Rows{{paths[0], "Removed", ""}, {paths[1], "Removed", ""}, {paths[2], "Removed", ""}}));
    });
    RunDialog();
    // Every file was stripped first, then stamped by the apply that went on.
    for (const std::string& path : paths) EXPECT_EQ(ExifTdm(path), "Reservation: 1\n") << path;
}

TEST_F(BatchRunsTest, ARunWhoseListShrinksEndsAtTheFirstRowThatIsGone) {
    const std::vector<std::string> paths = {Pdf("a.pdf"), Pdf("b.pdf"), Pdf("c.pdf")};
    const std::string untouched = ReadBytes(paths[2]);
    AddFiles(paths);
    Press(IDC_APPLY_TO_ALL);
    Look(Expect(ApplyQuestion(3, 1, "(none)"), kQuestion, IDYES));
    WhileBusy([](HWND) {});
    // Before the second file the user clears the list; the file already read is processed.
    WhileBusy([](HWND d) { EXPECT_TRUE(Click(d, IDC_CLEAR_ALL)); });
    Look(Expect(Summary("Batch processing complete.", 2, 0), kInformation));
    Look([](HWND d) {
        EXPECT_EQ(Text(d, IDC_STATUS_LINE), "Complete");
        // The run enables its controls again whatever the list holds now.
        EXPECT_TRUE(IsEnabled(d, IDC_APPLY_TO_ALL));
        EXPECT_FALSE(IsEnabled(d, IDC_REMOVE_ALL));
    });
    Press(IDC_APPLY_TO_ALL);
    Look(Expect("No files in the list.", kWarning));
    RunDialog();
    EXPECT_EQ(ExifTdm(paths[0]), "Reservation: 1\n");
    EXPECT_EQ(ExifTdm(paths[1]), "Reservation: 1\n");
    EXPECT_EQ(ReadBytes(paths[2]), untouched);
}

TEST_F(BatchRunsTest, AnOutcomeGoesOnlyIntoTheRowOfItsOwnFile) {
    const std::vector<std::string> paths = {StampedPdf("a.pdf", 1, ""), StampedPdf("b.pdf", 1, ""),
                                            StampedPdf("c.pdf", 0, "")};
    AddFiles(paths);
    Press(IDC_CHECK_STATUS);
    // While the first file is checked its row is removed: b moves up to row 0.
    WhileBusy([](HWND d) { EXPECT_TRUE(SelectRows(d, IDC_FILE_LIST, std::vector<int>{0})); });
    WhileBusy([](HWND d) { EXPECT_TRUE(Click(d, IDC_REMOVE_SELECTED)); });
    Look([&](HWND d) {
        EXPECT_EQ(Text(d, IDC_STATUS_LINE), "Check complete");
        EXPECT_EQ(Progress(d, IDC_PROGRESS).position, 2) << "the run ended at its third row, which was gone";
        // Row 1 now holds c, which the run reached at index 1; b was never at an index the
        // run visited after it moved.
        EXPECT_EQ(ListRows(d, IDC_FILE_LIST), (Rows{{paths[1], "", ""}, {paths[2], "0 (not reserved)", ""}}));
    });
    RunDialog();
}

TEST_F(BatchRunsTest, CloseDuringCheckStatusEndsTheDialogAfterTheLastFile) {
    const std::vector<std::string> paths = {Pdf("a.pdf"), Pdf("b.pdf"), Pdf("c.pdf")};
    AddFiles(paths);
    Press(IDC_CHECK_STATUS);
    WhileBusy([](HWND d) { EXPECT_TRUE(Click(d, IDCANCEL)); });
    hostapp::ClearCallRecord();
    Run([] { RunBatchCommand(); });
    const std::vector<std::string> trace = hostapp::CallTrace();
    EXPECT_EQ(std::count(trace.begin(), trace.end(), "PDDocOpen"), 3) << "the run went on to its last file";
}

}  // namespace
}  // namespace plenvo::test
