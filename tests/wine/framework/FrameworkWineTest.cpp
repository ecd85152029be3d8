#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include <windows.h>

#include <commctrl.h>

#include "TestDialog.h"
#include "TestDialogIds.h"
#include "framework/Controls.h"
#include "framework/Dialog.h"
#include "framework/WinApp.h"
#include "support/OwnerWindow.h"
#include "support/UserActions.h"
#include "support/WindowScript.h"

namespace plenvo {
namespace {

using namespace plenvo::wine;
using test::CBrokenDlg;
using test::CTestDlg;
using test::Log;

constexpr const char* kCaption = "Framework Test";
// Message boxes are captioned with the application's name: this program's file name.
constexpr const char* kAppName = "framework_wine_tests";

CWinApp g_app;

class FrameworkWineTest : public ::testing::Test {
protected:
    void SetUp() override { owner = test::MakeOwnerWindow(); }
    void TearDown() override {
        EXPECT_TRUE(IsWindowEnabled(owner)) << "the owner works again after the dialog";
        DestroyWindow(owner);
        EXPECT_EQ(script.Remaining(), 0u) << "the script was not played to its end";
        EXPECT_EQ(script.TakeStalls(), std::vector<std::string>{});
    }

    HWND owner = nullptr;
    WindowScript script;
};

TEST_F(FrameworkWineTest, TheApplicationIsNamedAfterItsProgram) {
    EXPECT_EQ(AfxGetApp(), &g_app);
    EXPECT_EQ(g_app.AppName(), kAppName);
    EXPECT_EQ(AfxGetInstanceHandle(), GetModuleHandleA(nullptr));
}

TEST_F(FrameworkWineTest, TheTemplateComesUpWithItsControlsBound) {
    CTestDlg dialog(owner);
    HWND shown = nullptr;
    script.Then(kCaption, [&](HWND d) {
        shown = d;
        EXPECT_EQ(GetParent(d), owner) << "owned by the window it was given";
        EXPECT_FALSE(IsWindowEnabled(owner)) << "the owner is disabled while the dialog runs";
        EXPECT_EQ(ComboEntries(d, IDC_CHOICE), (std::vector<std::string>{"zero", "one"}));
        EXPECT_EQ(ComboSelection(d, IDC_CHOICE), 0);
        EXPECT_EQ(Text(d, IDC_STATUS), "Ready");
        EXPECT_TRUE(IsChecked(d, IDC_TICK));
        EXPECT_EQ(ListColumns(d, IDC_ROWS), (std::vector<std::string>{"Path", "State"}));
        EXPECT_EQ(ClassName(GetDlgItem(d, IDC_ROWS)), "SysListView32");
        const ProgressView bar = Progress(d, IDC_PROGRESS);
        EXPECT_EQ(bar.low, 0);
        EXPECT_EQ(bar.high, 100);
        EXPECT_EQ(bar.position, 0);
        EXPECT_EQ(FocusedId(d), IDC_CHOICE) << "the first tab stop has the focus";
        EXPECT_TRUE(PressKey(d, VK_ESCAPE));
    });
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
    EXPECT_EQ(dialog.log, Log{"init"});
    EXPECT_EQ(dialog.GetSafeHwnd(), nullptr);
    EXPECT_FALSE(IsWindow(shown)) << "the dialog's window is gone";
}

struct EndingCase {
    const char* name;
    std::vector<std::function<void(HWND)>> steps;
    INT_PTR result;
    Log log;
};

void PrintTo(const EndingCase& c, std::ostream* os) { *os << c.name; }

class FrameworkEndingTest : public FrameworkWineTest, public ::testing::WithParamInterface<EndingCase> {};

TEST_P(FrameworkEndingTest, KeysButtonsAndTheCloseBoxDoWhatAPersonExpects) {
    for (const auto& step : GetParam().steps) {
        script.Then(kCaption, step);
    }
    CTestDlg dialog(owner);
    EXPECT_EQ(dialog.DoModal(), GetParam().result);
    EXPECT_EQ(dialog.log, GetParam().log);
}

const auto kEscape = [](HWND d) { EXPECT_TRUE(PressKey(d, VK_ESCAPE)); };
const auto kEnter = [](HWND d) { EXPECT_TRUE(PressKey(d, VK_RETURN)); };

INSTANTIATE_TEST_SUITE_P(
    Endings, FrameworkEndingTest,
    ::testing::Values(
        EndingCase{"Escape", {kEscape}, IDCANCEL, {"init"}},
        EndingCase{"CloseBox", {[](HWND d) { EXPECT_TRUE(CloseBox(d)); }}, IDCANCEL, {"init"}},
        EndingCase{"CloseButton", {[](HWND d) { EXPECT_TRUE(Click(d, IDCANCEL)); }}, IDCANCEL, {"init"}},
        EndingCase{"EnterInTheEditBoxRunsTheDefaultButton",
                   {[](HWND d) { EXPECT_TRUE(TypeText(d, IDC_NAME, "typed")); }, kEnter},
                   IDC_APPLY,
                   {"init", "apply typed 0"}},
        EndingCase{"EnterOnTheChoiceRunsTheDefaultButton", {kEnter}, IDC_APPLY, {"init", "apply  0"}},
        // The dialog manager makes a push button it moves the focus to the default one.
        EndingCase{"EnterOnAPushButtonTabbedToPressesIt",
                   {[](HWND d) {
                        for (int i = 0; i < 7; ++i) {
                            EXPECT_TRUE(PressKey(d, VK_TAB));
                        }
                    },
                    [](HWND d) {
                        EXPECT_EQ(FocusedId(d), IDC_COUNT) << "the tab order is the template's";
                        EXPECT_TRUE(PressKey(d, VK_RETURN));
                    },
                    kEscape},
                   IDCANCEL,
                   {"init", "count 1"}},
        EndingCase{"APickRaisesOneSelectionChange",
                   {[](HWND d) { EXPECT_TRUE(PickEntry(d, IDC_CHOICE, 1)); }, kEnter},
                   IDC_APPLY,
                   {"init", "choice 1", "apply  1"}},
        EndingCase{"DisabledDefaultButtonHoldsTheDialog",
                   {[](HWND d) { EXPECT_TRUE(Click(d, IDC_LOCK)); },
                    [](HWND d) { EXPECT_TRUE(TypeText(d, IDC_NAME, "x")); }, kEnter,
                    [](HWND d) {
                        EXPECT_FALSE(Click(d, IDC_APPLY)) << "a person cannot click a disabled button";
                        EXPECT_EQ(Text(d, IDC_NAME), "x");
                    },
                    kEscape},
                   IDCANCEL,
                   {"init", "lock"}}),
    [](const ::testing::TestParamInfo<EndingCase>& p) { return std::string(p.param.name); });

TEST_F(FrameworkWineTest, AHandlersMessageBoxIsFoundByItsCaptionAndAnswered) {
    CTestDlg dialog(owner);
    HWND shown = nullptr;
    script.Then(kCaption, [&](HWND d) {
        shown = d;
        EXPECT_TRUE(Click(d, IDC_ASK));
    });
    script.Then(kAppName, [&](HWND box) {
        ASSERT_TRUE(IsMessageBox(box));
        const MessageBoxView view = ReadMessageBox(box);
        EXPECT_EQ(view.text, "Go on?");
        EXPECT_EQ(view.buttons, (std::vector<int>{IDYES, IDNO}));
        EXPECT_EQ(view.icon, IDI_QUESTION);
        EXPECT_EQ(GetWindow(box, GW_OWNER), shown) << "modal to the dialog";
        EXPECT_FALSE(IsWindowEnabled(shown));
        EXPECT_FALSE(Click(shown, IDC_COUNT)) << "the dialog takes no clicks under its box";
        EXPECT_TRUE(AnswerMessageBox(box, IDNO));
    });
    script.Then(kCaption, [&](HWND d) {
        EXPECT_EQ(d, shown);
        EXPECT_EQ(Text(d, IDC_STATUS), "no");
        EXPECT_EQ(FocusedId(d), IDC_ASK) << "the focus comes back where it was";
        kEscape(d);
    });
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
    EXPECT_EQ(dialog.log, (Log{"init", "ask no"}));
}

// A run drains the queue between its steps: clicks waiting there run nested in the run,
// a message box among them too; a key goes to its control without the dialog manager.
TEST_F(FrameworkWineTest, ClicksWaitingInTheQueueRunBetweenTwoStepsOfARun) {
    CTestDlg dialog(owner);
    script.Then(kCaption, [](HWND d) {
        EXPECT_TRUE(PostClick(d, IDC_COUNT));
        EXPECT_TRUE(PressKey(d, VK_ESCAPE));
        EXPECT_TRUE(PostClick(d, IDC_ASK));
        EXPECT_TRUE(Click(d, IDC_RUN));
    });
    script.Then(kAppName, [](HWND box) { EXPECT_TRUE(AnswerMessageBox(box, IDYES)); });
    script.Then(kCaption, [](HWND d) {
        EXPECT_EQ(Text(d, IDC_STATUS), "step 3");
        EXPECT_EQ(Progress(d, IDC_PROGRESS).position, 3);
        kEscape(d);
    });
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
    EXPECT_EQ(dialog.log, (Log{"init", "run", "count 1", "ask yes", "step 1", "count 2", "step 2", "step 3"}));
}

TEST_F(FrameworkWineTest, ClosingDuringARunEndsTheDialogAfterTheRun) {
    CTestDlg dialog(owner);
    script.Then(kCaption, [](HWND d) {
        EXPECT_TRUE(PostClick(d, IDCANCEL));
        EXPECT_TRUE(Click(d, IDC_RUN));
    });
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
    EXPECT_EQ(dialog.log, (Log{"init", "run", "step 1 hidden", "count 1", "step 2 hidden", "step 3 hidden"}));
}

TEST_F(FrameworkWineTest, AHandlersExceptionEndsTheDialogAndLeavesDoModal) {
    const std::vector<std::function<void(HWND)>> ways = {
        [](HWND d) { EXPECT_TRUE(Click(d, IDC_FAIL)); },
        // Thrown inside a run's drain, it stops the run at once.
        [](HWND d) {
            EXPECT_TRUE(PostClick(d, IDC_FAIL));
            EXPECT_TRUE(Click(d, IDC_RUN));
        },
    };
    const std::vector<Log> logs = {{"init"}, {"init", "run"}};
    for (std::size_t i = 0; i < ways.size(); ++i) {
        SCOPED_TRACE(i);
        CTestDlg dialog(owner);
        HWND shown = nullptr;
        script.Then(kCaption, [&](HWND d) {
            shown = d;
            ways[i](d);
        });
        EXPECT_THROW(dialog.DoModal(), std::runtime_error);
        EXPECT_EQ(dialog.log, logs[i]);
        EXPECT_FALSE(IsWindow(shown));
    }
}

TEST_F(FrameworkWineTest, TemplatesThatDoNotFitFailLoudly) {
    CBrokenDlg broken;
    try {
        broken.DoModal();
        ADD_FAILURE() << "a control missing from the template went unnoticed";
    } catch (const std::logic_error& e) {
        EXPECT_STREQ(e.what(), "dialog 200 has no control 1002");
    }
    CDialog missing(999, owner);
    EXPECT_EQ(missing.DoModal(), -1);
}

TEST_F(FrameworkWineTest, ListRowsSelectionAndProgress) {
    CTestDlg dialog(owner);
    CListCtrl list;
    CProgressCtrl bar;
    const std::string longPath = "C:\\data\\" + std::string(400, 'x') + ".pdf";
    script.Then(kCaption, [&](HWND d) {
        list.Attach(GetDlgItem(d, IDC_ROWS));
        for (int i = 0; i < 8; ++i) {
            const int row = list.InsertItem(list.GetItemCount(), i == 0 ? longPath : "C:\\data\\" + std::to_string(i) + ".pdf");
            list.SetItemText(row, 1, "state " + std::to_string(i));
        }
        EXPECT_TRUE(SelectRows(d, IDC_ROWS, std::vector<int>{2, 5, 7}));
    });
    script.Then(kCaption, [&](HWND d) {
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
        EXPECT_EQ(rows[1], (std::vector<std::string>{"C:\\data\\1.pdf", "state 1"}));
        EXPECT_EQ(rows[4], (std::vector<std::string>{"C:\\data\\6.pdf", "state 6"}));

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
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
}

}  // namespace
}  // namespace plenvo
