#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <commctrl.h>
#include <windows.h>

#include "headless/Headless.h"
#include "headless/UserDriver.h"

namespace plenvo::headless {
namespace {

const char kIds[] = R"(#ifndef TEST_IDS_H
#define TEST_IDS_H
#define IDD_SAMPLE 101
#define IDC_BASE 1000
#define IDC_LIST (IDC_BASE + 1)
#define IDC_NAME 1002
#define IDC_CHECK 1003
#define IDC_NOTE "unused text"
#endif
)";

const char kScript[] = R"(// A sample of what the module's scripts hold.
#include <winres.h>
#include <commctrl.h>
#include "ids.h"

LANGUAGE 9, 1

IDD_SAMPLE DIALOGEX DISCARDABLE 0, 0, 200, 120
STYLE DS_SETFONT | DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU
CAPTION "Sample ""quoted"" caption"
FONT 8, "MS Shell Dlg", 400, 0, 0x1
BEGIN
    GROUPBOX        "Group", IDC_STATIC, 7, 7, 186, 50
    LTEXT           "Two\nlines", -1, 15, 20, 80, 16
    CONTROL         "", IDC_LIST, "SysListView32", LVS_REPORT | LVS_SHOWSELALWAYS | WS_BORDER | WS_TABSTOP,
                    15, 40, 100, 30
    EDITTEXT        IDC_NAME, 15, 75, 100, 14, ES_AUTOHSCROLL | NOT WS_TABSTOP
    CONTROL         "Tick", IDC_CHECK, "Button", BS_AUTOCHECKBOX | BS_LEFTTEXT | WS_TABSTOP, 120, 75, 60, 10,
                    WS_EX_RIGHT
    COMBOBOX        1004, 120, 20, 60, 80, CBS_DROPDOWNLIST | WS_VSCROLL
    DEFPUSHBUTTON   "Apply", 1005, 90, 100, 50, 14
    PUSHBUTTON      "Close", IDCANCEL, 143, 100, 50, 14, WS_DISABLED
    CONTROL         "", 1006, PROGRESS_CLASS, WS_BORDER, 15, 92, 60, 6
END

STRINGTABLE
BEGIN
    1 "ignored"
END

1 ICON "plenvo.ico"

"NAMED" DIALOG 0, 0, 50, 20
CAPTION "Named"
BEGIN
    PUSHBUTTON "OK", IDOK, 5, 5, 40, 10
END
)";

class DialogTemplateTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(RegisterResourceScript(&kFiles, kFiles, &error)) << error;
    }
    void TearDown() override {
        UnregisterResourceScript(&kFiles);
        EXPECT_EQ(CountOpen().windows, 0);
        EXPECT_TRUE(TakeStalls().empty());
    }

    // Opens a template, lets `look` read it, then closes it with Escape.
    INT_PTR Show(LPCSTR name, std::function<void(HWND)> look) {
        ScriptedDriver driver;
        driver.Then([&](HWND dialog) {
            look(dialog);
            PressKey(dialog, VK_ESCAPE);
        });
        DriverScope scope(driver);
        return DialogBoxParamA(GetModuleHandleA(nullptr), name, nullptr, &CancelOnly, 0);
    }

    static INT_PTR CALLBACK CancelOnly(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
        if (message == WM_INITDIALOG) return TRUE;
        if (message == WM_COMMAND && LOWORD(wParam) == IDCANCEL) {
            EndDialog(dialog, IDCANCEL);
            return TRUE;
        }
        return FALSE;
    }

    static constexpr ScriptFile kFiles[] = {{"sample.rc", kScript, sizeof kScript - 1}, {"ids.h", kIds, sizeof kIds - 1}};
};

TEST_F(DialogTemplateTest, ItemsKeepClassIdTextStyleAndPlaceInTabOrder) {
    const DWORD child = WS_CHILD | WS_VISIBLE;
    const std::vector<ItemView> expected = {
        {"Button", -1, "Group", child | BS_GROUPBOX, 0, {7, 7, 186, 50}, true, true},
        {"Static", -1, "Two\nlines", child | SS_LEFT | WS_GROUP, 0, {15, 20, 80, 16}, true, true},
        {WC_LISTVIEWA, 1001, "", child | LVS_REPORT | LVS_SHOWSELALWAYS | WS_BORDER | WS_TABSTOP, 0,
         {15, 40, 100, 30}, true, true},
        {"Edit", 1002, "", child | ES_LEFT | ES_AUTOHSCROLL | WS_BORDER, 0, {15, 75, 100, 14}, true, true},
        {"Button", 1003, "Tick", child | BS_AUTOCHECKBOX | BS_LEFTTEXT | WS_TABSTOP, WS_EX_RIGHT, {120, 75, 60, 10},
         true, true},
        {"ComboBox", 1004, "", child | CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, 0, {120, 20, 60, 80}, true, true},
        {"Button", 1005, "Apply", child | BS_DEFPUSHBUTTON | WS_TABSTOP, 0, {90, 100, 50, 14}, true, true},
        {"Button", IDCANCEL, "Close", child | BS_PUSHBUTTON | WS_TABSTOP | WS_DISABLED, 0, {143, 100, 50, 14}, false,
         true},
        {PROGRESS_CLASSA, 1006, "", child | WS_BORDER, 0, {15, 92, 60, 6}, true, true},
    };
    const INT_PTR result = Show(MAKEINTRESOURCEA(101), [&](HWND dialog) {
        EXPECT_EQ(KindOf(dialog), WindowKind::Dialog);
        EXPECT_EQ(Caption(dialog), "Sample \"quoted\" caption");
        const std::vector<ItemView> items = Items(dialog);
        ASSERT_EQ(items.size(), expected.size());
        for (std::size_t i = 0; i < items.size(); ++i) {
            SCOPED_TRACE(expected[i].text + " " + std::to_string(expected[i].id));
            EXPECT_EQ(items[i].className, expected[i].className);
            EXPECT_EQ(items[i].id, expected[i].id);
            EXPECT_EQ(items[i].text, expected[i].text);
            EXPECT_EQ(items[i].style, expected[i].style);
            EXPECT_EQ(items[i].exStyle, expected[i].exStyle);
            EXPECT_EQ(items[i].unitRect.left, expected[i].unitRect.left);
            EXPECT_EQ(items[i].unitRect.top, expected[i].unitRect.top);
            EXPECT_EQ(items[i].unitRect.right, expected[i].unitRect.right);
            EXPECT_EQ(items[i].unitRect.bottom, expected[i].unitRect.bottom);
            EXPECT_EQ(items[i].enabled, expected[i].enabled);
        }
        // The first tab stop has the focus; the edit box was taken out of the tab order.
        EXPECT_EQ(FocusedId(dialog), 1001);
    });
    EXPECT_EQ(result, IDCANCEL);
}

TEST_F(DialogTemplateTest, NamedTemplatesAndMissingOnes) {
    EXPECT_EQ(Show("named", [](HWND dialog) { EXPECT_EQ(Caption(dialog), "Named"); }), IDCANCEL);
    for (LPCSTR name : std::vector<LPCSTR>{MAKEINTRESOURCEA(102), "Other"}) {
        SetLastError(0);
        EXPECT_EQ(DialogBoxParamA(GetModuleHandleA(nullptr), name, nullptr, &CancelOnly, 0), -1);
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_RESOURCE_NAME_NOT_FOUND));
    }
    // Templates belong to the module that registered them.
    HMODULE other = reinterpret_cast<HMODULE>(reinterpret_cast<ULONG_PTR>(GetModuleHandleA(nullptr)) + 0x1000);
    EXPECT_EQ(DialogBoxParamA(other, MAKEINTRESOURCEA(101), nullptr, &CancelOnly, 0), -1);
}

TEST(DialogTemplateErrorsTest, BrokenScriptsSayWhereAndWhy) {
    struct Case {
        const char* name;
        std::string script;
        std::string error;
    };
    const std::vector<Case> cases = {
        {"UnknownSymbol", "1 DIALOG 0,0,10,10\nBEGIN\n LTEXT \"a\", IDC_NOWHERE, 0,0,1,1\nEND\n",
         "bad.rc:3: unknown symbol IDC_NOWHERE"},
        {"MissingInclude", "#include \"absent.h\"\n", "bad.rc:1: cannot find included file \"absent.h\""},
        {"UnknownClass", "1 DIALOG 0,0,10,10\nBEGIN\n CONTROL \"\", 5, Fancy, 0, 0,0,1,1\nEND\n",
         "bad.rc:3: unknown control class Fancy"},
        {"MissingEnd", "1 DIALOG 0,0,10,10\nBEGIN\n PUSHBUTTON \"a\", 5, 0,0,1,1\n", "missing END"},
        {"OpenString", "1 DIALOG 0,0,10,10\nCAPTION \"open\n", "bad.rc:2: string without its closing quote"},
        {"MissingComma", "1 DIALOG 0,0,10,10\nBEGIN\n PUSHBUTTON \"a\" 5, 0,0,1,1\nEND\n", "bad.rc:3: expected ','"},
        {"Twice", "1 DIALOG 0,0,1,1\nBEGIN\nEND\n1 DIALOG 0,0,1,1\nBEGIN\nEND\n", "bad.rc:4: dialog 1 is defined twice"},
        {"OpenIf", "#ifdef X\n", "#if without #endif"},
        {"UnknownType", "1 WIDGET 0,0,1,1\n", "bad.rc:1: unknown resource type WIDGET"},
        // windres knows IDC_STATIC only from winres.h; so does the headless layer.
        {"StaticWithoutWinres", "#include <windows.h>\n1 DIALOG 0,0,9,9\nBEGIN\n LTEXT \"a\", IDC_STATIC, 0,0,1,1\nEND\n",
         "bad.rc:4: unknown symbol IDC_STATIC"},
    };
    for (const Case& c : cases) {
        const ScriptFile files[] = {{"bad.rc", c.script.data(), c.script.size()}};
        std::string error;
        EXPECT_FALSE(RegisterResourceScript(&c, files, &error)) << c.name;
        EXPECT_NE(error.find(c.error), std::string::npos) << c.name << ": " << error;
    }
}

}  // namespace
}  // namespace plenvo::headless
