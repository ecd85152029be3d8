#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include <commctrl.h>
#include <windows.h>

#include "support/OwnerWindow.h"
#include "TestDialog.h"
#include "TestDialogIds.h"
#include "framework/Controls.h"
#include "framework/Dialog.h"
#include "framework/WinApp.h"
#include "headless/Headless.h"
#include "headless/UserDriver.h"

namespace plenvo {
namespace {

using namespace plenvo::headless;
using Log = std::vector<std::string>;
using test::CBrokenDlg;
using test::CTestDlg;

class DialogTest : public ::testing::Test {
protected:
    void SetUp() override { owner = test::MakeOwnerWindow(); }
    void TearDown() override {
        EXPECT_TRUE(IsWindowEnabled(owner)) << "the owner works again after the dialog";
        DestroyWindow(owner);
        EXPECT_EQ(driver.Remaining(), 0u) << "the script was not played to its end";
        EXPECT_TRUE(TakeStalls().empty());
        EXPECT_EQ(CountOpen().windows, 0);
    }

    INT_PTR Run(CDialog& dialog) {
        DriverScope scope(driver);
        return dialog.DoModal();
    }

    HWND owner = nullptr;
    ScriptedDriver driver;
};

TEST_F(DialogTest, InitialisationBindsTheControlsAndFocusesTheFirstTabStop) {
    CTestDlg dialog(owner);
    driver.Then([&](HWND d) {
        EXPECT_EQ(Caption(d), "Framework Test");
        EXPECT_EQ(ComboEntries(d, IDC_CHOICE), (std::vector<std::string>{"zero", "one"}));
        EXPECT_EQ(ComboSelection(d, IDC_CHOICE), 0);
        EXPECT_EQ(Text(d, IDC_STATUS), "Ready");
        EXPECT_TRUE(IsChecked(d, IDC_TICK));
        EXPECT_EQ(ListColumns(d, IDC_ROWS), (std::vector<std::string>{"Path", "State"}));
        const ProgressView bar = Progress(d, IDC_PROGRESS);
        EXPECT_EQ(bar.low, 0);
        EXPECT_EQ(bar.high, 100);
        EXPECT_EQ(bar.position, 0);
        EXPECT_EQ(FocusedId(d), IDC_CHOICE);
        EXPECT_FALSE(IsWindowEnabled(owner)) << "the owner is disabled while the dialog runs";
        PressKey(d, VK_ESCAPE);
    });
    EXPECT_EQ(Run(dialog), IDCANCEL);
    EXPECT_EQ(dialog.log, Log{"init"});
    EXPECT_EQ(dialog.GetSafeHwnd(), nullptr);
}

struct EndingCase {
    const char* name;
    std::vector<std::function<void(HWND)>> steps;
    INT_PTR result;
    Log log;
};

void PrintTo(const EndingCase& c, std::ostream* os) { *os << c.name; }

class DialogEndingTest : public DialogTest, public ::testing::WithParamInterface<EndingCase> {};

TEST_P(DialogEndingTest, KeysButtonsAndTheCloseBoxDoWhatAPersonExpects) {
    for (const auto& step : GetParam().steps) {
        driver.Then([step](HWND d) { step(d); });
    }
    CTestDlg dialog(owner);
    EXPECT_EQ(Run(dialog), GetParam().result);
    EXPECT_EQ(dialog.log, GetParam().log);
}

const auto kEscape = [](HWND d) { EXPECT_TRUE(PressKey(d, VK_ESCAPE)); };
const auto kEnter = [](HWND d) { EXPECT_TRUE(PressKey(d, VK_RETURN)); };

INSTANTIATE_TEST_SUITE_P(
    Endings, DialogEndingTest,
    ::testing::Values(
        EndingCase{"Escape", {kEscape}, IDCANCEL, {"init"}},
        EndingCase{"CloseBox", {[](HWND d) { EXPECT_TRUE(CloseBox(d)); }}, IDCANCEL, {"init"}},
        EndingCase{"CloseButton", {[](HWND d) { EXPECT_TRUE(Click(d, IDCANCEL)); }}, IDCANCEL, {"init"}},
        EndingCase{"EnterInTheEditBoxRunsTheDefaultButton",
                   {[](HWND d) { EXPECT_TRUE(TypeText(d, IDC_NAME, "typed")); }, kEnter},
                   IDC_APPLY,
                   {"init", "apply typed 0"}},
        EndingCase{"EnterOnTheCheckBoxRunsTheDefaultButton",
                   {[](HWND d) { EXPECT_TRUE(SetChecked(d, IDC_TICK, false)); },
                    [](HWND d) { EXPECT_FALSE(IsChecked(d, IDC_TICK)); }, kEnter},
                   IDC_APPLY,
                   {"init", "apply  0"}},
        EndingCase{"EnterOnAFocusedPushButtonPressesIt",
                   {[](HWND d) { EXPECT_TRUE(Click(d, IDC_COUNT)); }, kEnter, kEscape},
                   IDCANCEL,
                   {"init", "count 1", "count 2"}},
        EndingCase{"APickRaisesOneSelectionChange",
                   {[](HWND d) { EXPECT_TRUE(PickEntry(d, IDC_CHOICE, 1)); }, kEnter},
                   IDC_APPLY,
                   {"init", "choice 1", "apply  1"}},
        EndingCase{"DisabledDefaultAndCloseButtonsHoldTheDialog",
                   {[](HWND d) { EXPECT_TRUE(Click(d, IDC_LOCK)); },
                    [](HWND d) { EXPECT_TRUE(TypeText(d, IDC_NAME, "x")); }, kEnter,
                    [](HWND d) {
                        EXPECT_TRUE(CloseBox(d));
                        EXPECT_FALSE(Click(d, IDC_APPLY)) << "a person cannot click a disabled button";
                    },
                    kEscape},
                   IDCANCEL,
                   {"init", "lock"}}),
    [](const ::testing::TestParamInfo<EndingCase>& p) { return std::string(p.param.name); });

TEST_F(DialogTest, AHandlersMessageBoxIsModalToTheDialog) {
    CTestDlg dialog(owner);
    HWND shown = nullptr;
    driver.Then([&](HWND d) {
        shown = d;
        EXPECT_TRUE(Click(d, IDC_ASK));
    });
    driver.Then([&](HWND box) {
        const MessageBoxView view = ReadMessageBox(box);
        EXPECT_EQ(view.text, "Go on?");
        EXPECT_EQ(view.caption, "framework_tests") << "captioned with the application's name";
        EXPECT_EQ(view.type, static_cast<UINT>(MB_YESNO | MB_ICONQUESTION));
        EXPECT_FALSE(IsWindowEnabled(shown));
        EXPECT_FALSE(Click(shown, IDC_COUNT)) << "the dialog takes no clicks under its box";
        EXPECT_TRUE(AnswerMessageBox(box, IDNO));
    });
    driver.Then([&](HWND d) {
        EXPECT_EQ(d, shown);
        EXPECT_TRUE(IsWindowEnabled(d));
        EXPECT_EQ(Text(d, IDC_STATUS), "no");
        EXPECT_EQ(FocusedId(d), IDC_ASK) << "the focus comes back where it was";
        kEscape(d);
    });
    EXPECT_EQ(Run(dialog), IDCANCEL);
    EXPECT_EQ(dialog.log, (Log{"init", "ask no"}));
}

TEST_F(DialogTest, ClicksMadeDuringARunRunNestedInItsDrain) {
    CTestDlg dialog(owner);
    driver.Then([](HWND d) { EXPECT_TRUE(Click(d, IDC_RUN)); });
    driver.WhileBusy([](HWND d) { EXPECT_TRUE(Click(d, IDC_COUNT)); });
    // Keys reach the focused control directly: Escape ends nothing here.
    driver.WhileBusy([](HWND d) { EXPECT_TRUE(PressKey(d, VK_ESCAPE)); });
    driver.WhileBusy([](HWND d) { EXPECT_TRUE(Click(d, IDC_ASK)); });
    driver.Then([](HWND box) { EXPECT_TRUE(AnswerMessageBox(box, IDYES)); });
    driver.Then([](HWND d) {
        EXPECT_EQ(Text(d, IDC_STATUS), "step 3");
        EXPECT_EQ(Progress(d, IDC_PROGRESS).position, 3);
        kEscape(d);
    });
    EXPECT_EQ(Run(dialog), IDCANCEL);
    EXPECT_EQ(dialog.log, (Log{"init", "run", "count 1", "ask yes", "step 1", "count 2", "step 2", "step 3"}));
}

TEST_F(DialogTest, ClosingDuringARunEndsTheDialogAfterTheRun) {
    CTestDlg dialog(owner);
    driver.Then([](HWND d) { EXPECT_TRUE(Click(d, IDC_RUN)); });
    driver.WhileBusy([&](HWND d) {
        EXPECT_TRUE(Click(d, IDCANCEL));
    });
    EXPECT_EQ(Run(dialog), IDCANCEL);
    EXPECT_EQ(dialog.log, (Log{"init", "run", "step 1 hidden", "count 1", "step 2 hidden", "step 3 hidden"}));
}

TEST_F(DialogTest, AHandlersExceptionEndsTheDialogAndLeavesDoModal) {
    {
        CTestDlg dialog(owner);
        driver.Then([](HWND d) { EXPECT_TRUE(Click(d, IDC_FAIL)); });
        EXPECT_THROW(Run(dialog), std::runtime_error);
        EXPECT_EQ(CountOpen().windows, 1) << "only the owner is left";
    }
    // Thrown inside a run's drain, it stops the run at once.
    CTestDlg dialog(owner);
    driver.Then([](HWND d) { EXPECT_TRUE(Click(d, IDC_RUN)); });
    driver.WhileBusy([](HWND d) { EXPECT_TRUE(Click(d, IDC_FAIL)); });
    EXPECT_THROW(Run(dialog), std::runtime_error);
    EXPECT_EQ(dialog.log, (Log{"init", "run"}));
}

TEST_F(DialogTest, TemplatesThatDoNotFitFailLoudly) {
    CBrokenDlg broken;
    try {
        Run(broken);
        ADD_FAILURE() << "a control missing from the template went unnoticed";
    } catch (const std::logic_error& e) {
        EXPECT_STREQ(e.what(), "dialog 200 has no control 1002");
    }
    CDialog missing(999, owner);
    EXPECT_EQ(Run(missing), -1);
}

TEST_F(DialogTest, ADialogNobodyAnswersGivesUp) {
    CTestDlg dialog(owner);
    EXPECT_EQ(Run(dialog), -1);
    EXPECT_EQ(TakeStalls(), std::vector<std::string>{"Framework Test"});
}

TEST_F(DialogTest, ListRowsSelectionAndProgress) {
    CTestDlg dialog(owner);
    CListCtrl list;
    CProgressCtrl bar;
    const std::string longPath = "/data/" + std::string(400, 'x') + ".pdf";
    driver.Then([&](HWND d) {
        list.Attach(GetDlgItem(d, IDC_ROWS));
        for (int i = 0; i < 8; ++i) {
            const int row = list.InsertItem(list.GetItemCount(), i == 0 ? longPath : "/data/" + std::to_string(i) + ".pdf");
            list.SetItemText(row, 1, "state " + std::to_string(i));
        }
        EXPECT_TRUE(SelectRows(d, IDC_ROWS, std::vector<int>{2, 5, 7}));
    });
    driver.Then([&](HWND d) {
        EXPECT_EQ(SelectedRows(d, IDC_ROWS), (std::vector<int>{2, 5, 7}));
        std::vector<int> selected;
        for (int i = list.GetNextItem(-1, LVNI_SELECTED); i >= 0; i = list.GetNextItem(i, LVNI_SELECTED)) {
            selected.push_back(i);
        }
        ASSERT_EQ(selected, (std::vector<int>{2, 5, 7}));
        EXPECT_EQ(list.GetSelectedCount(), 3u);
        for (auto it = selected.rbegin(); it != selected.rend(); ++it) {
            list.DeleteItem(*it);
        }
        EXPECT_EQ(list.GetItemText(0, 0), longPath) << "texts longer than MAX_PATH come back whole";
        const auto rows = ListRows(d, IDC_ROWS);
        ASSERT_EQ(rows.size(), 5u);
        EXPECT_EQ(rows[1], (std::vector<std::string>{"/data/1.pdf", "state 1"}));
        EXPECT_EQ(rows[4], (std::vector<std::string>{"/data/6.pdf", "state 6"}));

        bar.Attach(GetDlgItem(d, IDC_PROGRESS));
        bar.SetRange32(0, 4);
        bar.SetPos(9);
        EXPECT_EQ(bar.GetPos(), 4) << "the position stays inside the range";
        int low = -1;
        int high = -1;
        bar.GetRange(low, high);
        EXPECT_EQ(low, 0);
        EXPECT_EQ(high, 4);
        kEscape(d);
    });
    EXPECT_EQ(Run(dialog), IDCANCEL);
}

}  // namespace
}  // namespace plenvo
