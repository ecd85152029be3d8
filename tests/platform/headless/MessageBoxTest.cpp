#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include <windows.h>

#include "support/OwnerWindow.h"
#include "headless/Headless.h"
#include "headless/UserDriver.h"

namespace plenvo::headless {
namespace {


struct BoxCase {
    const char* name;
    UINT type;
    std::function<void(HWND)> act;
    int result;
};

void PrintTo(const BoxCase& c, std::ostream* os) { *os << c.name; }

class MessageBoxTest : public ::testing::TestWithParam<BoxCase> {};

TEST_P(MessageBoxTest, AnswersAsOnWindows) {
    const BoxCase& c = GetParam();
    HWND owner = test::MakeOwnerWindow();
    ScriptedDriver driver;
    driver.Then([&](HWND box) {
        EXPECT_EQ(KindOf(box), WindowKind::MessageBox);
        const MessageBoxView view = ReadMessageBox(box);
        EXPECT_EQ(view.text, "Line one.\n\nLine two.");
        EXPECT_EQ(view.caption, "Plenvo");
        EXPECT_EQ(view.type, c.type);
        EXPECT_FALSE(IsWindowEnabled(owner)) << "a box is modal to its owner";
        c.act(box);
    });
    DriverScope scope(driver);
    EXPECT_EQ(MessageBoxA(owner, "Line one.\n\nLine two.", "Plenvo", c.type), c.result);
    EXPECT_TRUE(IsWindowEnabled(owner));
    EXPECT_EQ(driver.Remaining(), 0u);
    EXPECT_TRUE(TakeStalls().empty());
    DestroyWindow(owner);
    EXPECT_EQ(CountOpen().windows, 0);
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, MessageBoxTest,
    ::testing::Values(
        BoxCase{"OkClicked", MB_OK | MB_ICONINFORMATION, [](HWND b) { AnswerMessageBox(b, IDOK); }, IDOK},
        BoxCase{"OkEscape", MB_OK | MB_ICONEXCLAMATION, [](HWND b) { PressKey(b, VK_ESCAPE); }, IDOK},
        BoxCase{"OkCloseBox", MB_OK | MB_ICONSTOP, [](HWND b) { CloseBox(b); }, IDOK},
        BoxCase{"YesNoEnterTakesFirst", MB_YESNO | MB_ICONQUESTION, [](HWND b) { PressKey(b, VK_RETURN); }, IDYES},
        BoxCase{"YesNoEnterTakesSecondDefault", MB_YESNO | MB_DEFBUTTON2,
                [](HWND b) { PressKey(b, VK_RETURN); }, IDNO},
        // Without a Cancel button, Escape and the close box do nothing; the user answers after.
        BoxCase{"YesNoIgnoresEscapeAndCloseBox", MB_YESNO | MB_ICONQUESTION,
                [](HWND b) {
                    PressKey(b, VK_ESCAPE);
                    CloseBox(b);
                    AnswerMessageBox(b, IDNO);
                },
                IDNO},
        BoxCase{"OkCancelEscape", MB_OKCANCEL, [](HWND b) { PressKey(b, VK_ESCAPE); }, IDCANCEL},
        BoxCase{"NoSuchButton", MB_OK,
                [](HWND b) {
                    EXPECT_FALSE(AnswerMessageBox(b, IDYES));
                    AnswerMessageBox(b, IDOK);
                },
                IDOK}),
    [](const ::testing::TestParamInfo<BoxCase>& p) { return std::string(p.param.name); });

TEST(MessageBoxStallTest, ABoxNobodyAnswersGivesUp) {
    ScriptedDriver nobody;
    DriverScope scope(nobody);
    EXPECT_EQ(MessageBoxA(nullptr, "text", nullptr, MB_OK), 0);
    EXPECT_EQ(TakeStalls(), std::vector<std::string>{"Error"}) << "a box without a caption is captioned Error";
    EXPECT_EQ(CountOpen().windows, 0);
}

}  // namespace
}  // namespace plenvo::headless
