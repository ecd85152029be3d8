// The resource script's two templates, read back item by item through the headless
// template reader.

#include <gtest/gtest.h>

#include <commctrl.h>

#include "framework/WinApp.h"
#include "headless/Headless.h"
#include "headless/UserDriver.h"
#include "ui/resource.h"

namespace plenvo {
namespace {

using namespace plenvo::headless;

INT_PTR CALLBACK CancelOnly(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    if (message == WM_INITDIALOG) return TRUE;
    if (message == WM_COMMAND && LOWORD(wParam) == IDCANCEL) {
        EndDialog(dialog, IDCANCEL);
        return TRUE;
    }
    return FALSE;
}

struct Expected {
    const char* caption;
    LONG width;
    LONG height;
    std::vector<ItemView> items;
};

constexpr DWORD kChild = WS_CHILD | WS_VISIBLE;
constexpr DWORD kGroup = kChild | BS_GROUPBOX;
constexpr DWORD kLabel = kChild | SS_LEFT | WS_GROUP;
constexpr DWORD kPush = kChild | BS_PUSHBUTTON | WS_TABSTOP;
constexpr DWORD kDefault = kChild | BS_DEFPUSHBUTTON | WS_TABSTOP;
constexpr DWORD kCheck = kChild | BS_AUTOCHECKBOX | WS_TABSTOP;
constexpr DWORD kCombo = kChild | CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP;
constexpr DWORD kEdit = kChild | ES_LEFT | ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP;

ItemView Item(const char* cls, int id, const char* text, DWORD style, RECT rect, DWORD exStyle = 0) {
    return ItemView{cls, id, text, style, exStyle, rect, true, true};
}

const Expected kSingle = {
    "TDM Reservation (Text and Data Mining)", 340, 235,
    {
        Item("Button", -1, "Current Document Status", kGroup, {7, 7, 326, 50}),
        Item("Static", -1, "Reservation:", kLabel, {15, 22, 45, 8}),
        Item("Static", 1003, "Not set", kLabel, {65, 22, 260, 8}),
        Item("Static", -1, "Policy URL:", kLabel, {15, 36, 42, 8}),
        Item("Static", 1004, "Not set", kLabel, {65, 36, 260, 8}),
        Item("Button", -1, "Set TDM Reservation", kGroup, {7, 62, 326, 130}),
        Item("Static", -1, "Reservation:", kLabel, {15, 80, 45, 8}),
        Item("ComboBox", 1001, "", kCombo, {65, 77, 260, 80}),
        Item("Static", -1, "Policy URL:", kLabel, {15, 100, 42, 8}),
        Item("Edit", 1002, "", kEdit, {65, 97, 260, 14}),
        Item("Static", -1,
             "The policy URL should point to a machine-readable TDM policy\n"
             "(e.g. https://example.com/tdm-policy.json)",
             kLabel, {65, 115, 260, 18}),
        Item("Button", 1008, "Include PDF/A extension schema (recommended for PDF/A compliance)", kCheck,
             {15, 140, 310, 10}),
        Item("Static", -1,
             "Note: Setting reservation to 0 signals that text and data mining is\n"
             "permitted. Setting it to 1 reserves TDM rights (optionally with a policy).",
             kLabel, {15, 158, 310, 18}),
        Item("Button", 1005, "Apply", kDefault, {117, 200, 50, 14}),
        Item("Button", 1006, "Remove", kPush, {173, 200, 50, 14}),
        Item("Button", 1007, "Help...", kPush, {229, 200, 50, 14}),
        Item("Button", IDCANCEL, "Close", kPush, {283, 200, 50, 14}),
    }};

const Expected kBatch = {
    "TDM Reservation (Text and Data Mining) - Batch Processing", 460, 360,
    {
        Item("Button", -1, "PDF Files", kGroup, {7, 7, 446, 165}),
        Item(WC_LISTVIEWA, 2001, "", kChild | LVS_REPORT | LVS_SHOWSELALWAYS | WS_BORDER | WS_TABSTOP,
             {15, 20, 370, 143}),
        Item("Button", 2002, "Add Files...", kPush, {393, 20, 52, 14}),
        Item("Button", 2003, "Add Folder...", kPush, {393, 40, 52, 14}),
        Item("Button", 2004, "Remove", kPush, {393, 65, 52, 14}),
        Item("Button", 2005, "Clear All", kPush, {393, 85, 52, 14}),
        Item("Button", 2014, "Check Status", kPush, {393, 110, 52, 14}),
        Item("Button", 2013, "Include subfolders", kCheck, {393, 130, 52, 18}, WS_EX_RIGHT),
        Item("Button", -1, "TDM Reservation Settings", kGroup, {7, 177, 446, 95}),
        Item("Static", -1, "Reservation:", kLabel, {15, 195, 45, 8}),
        Item("ComboBox", 2006, "", kCombo, {65, 192, 378, 80}),
        Item("Static", -1, "Policy URL:", kLabel, {15, 215, 42, 8}),
        Item("Edit", 2007, "", kEdit, {65, 212, 378, 14}),
        Item("Button", 2008, "Include PDF/A extension schema", kCheck, {15, 235, 200, 10}),
        Item("Button", -1, "Progress", kGroup, {7, 277, 446, 42}),
        Item(PROGRESS_CLASSA, 2010, "", kChild | WS_BORDER, {15, 290, 430, 14}),
        Item("Static", 2011, "Ready", kLabel, {15, 306, 430, 8}),
        Item("Button", 2009, "Apply to All", kDefault, {225, 330, 55, 14}),
        Item("Button", 2015, "Remove All", kPush, {286, 330, 55, 14}),
        Item("Button", 2012, "Help...", kPush, {351, 330, 50, 14}),
        Item("Button", IDCANCEL, "Close", kPush, {405, 330, 48, 14}),
    }};

TEST(TemplateTest, BothTemplatesHoldExactlyTheirItemsInTabOrder) {
    for (const auto& [id, expected] : {std::pair{IDD_PLENVO, kSingle}, std::pair{IDD_PLENVO_BATCH, kBatch}}) {
        SCOPED_TRACE(expected.caption);
        ScriptedDriver driver;
        driver.Then([&](HWND d) {
            EXPECT_EQ(Caption(d), expected.caption);
            const auto style = static_cast<DWORD>(GetWindowLongA(d, GWL_STYLE));
            const DWORD frame = DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU;
            EXPECT_EQ(style & frame, frame);
            RECT size{0, 0, expected.width, expected.height};
            MapDialogRect(d, &size);
            RECT actual{};
            GetWindowRect(d, &actual);
            EXPECT_EQ(actual.right - actual.left, size.right);
            EXPECT_EQ(actual.bottom - actual.top, size.bottom);
            const std::vector<ItemView> items = Items(d);
            ASSERT_EQ(items.size(), expected.items.size());
            for (std::size_t i = 0; i < items.size(); ++i) {
                const ItemView& want = expected.items[i];
                SCOPED_TRACE(want.text + " " + std::to_string(want.id));
                EXPECT_EQ(items[i].className, want.className);
                EXPECT_EQ(items[i].id, want.id);
                EXPECT_EQ(items[i].text, want.text);
                EXPECT_EQ(items[i].style, want.style);
                EXPECT_EQ(items[i].exStyle, want.exStyle);
                EXPECT_EQ(items[i].unitRect.left, want.unitRect.left);
                EXPECT_EQ(items[i].unitRect.top, want.unitRect.top);
                EXPECT_EQ(items[i].unitRect.right, want.unitRect.right);
                EXPECT_EQ(items[i].unitRect.bottom, want.unitRect.bottom);
            }
            PressKey(d, VK_ESCAPE);
        });
        DriverScope scope(driver);
        EXPECT_EQ(DialogBoxParamA(AfxGetInstanceHandle(), MAKEINTRESOURCEA(id), nullptr, &CancelOnly, 0), IDCANCEL);
        EXPECT_TRUE(TakeStalls().empty());
    }
}

}  // namespace
}  // namespace plenvo
