#pragma once

// What the resource script's two templates hold, item by item in tab order: the table the
// dialogs are compared with, by the headless template test and by the one under Wine.

#include <windows.h>

#include <commctrl.h>

#include <string>
#include <vector>

#include "ui/resource.h"

namespace plenvo::test {

struct TemplateItem {
    TemplateItem(const char* cls, int itemId, const char* itemText, DWORD itemStyle, RECT rect, DWORD itemExStyle = 0)
        : className(cls), id(itemId), text(itemText), style(itemStyle), exStyle(itemExStyle), unitRect(rect) {}

    std::string className;
    int id;
    std::string text;
    DWORD style;
    DWORD exStyle;
    RECT unitRect;  // left, top, width and height in dialog units
};

struct TemplateView {
    int id;
    const char* caption;
    LONG width;
    LONG height;
    std::vector<TemplateItem> items;
};

inline constexpr DWORD kChild = WS_CHILD | WS_VISIBLE;
inline constexpr DWORD kGroup = kChild | BS_GROUPBOX;
inline constexpr DWORD kLabel = kChild | SS_LEFT | WS_GROUP;
inline constexpr DWORD kPush = kChild | BS_PUSHBUTTON | WS_TABSTOP;
inline constexpr DWORD kDefault = kChild | BS_DEFPUSHBUTTON | WS_TABSTOP;
inline constexpr DWORD kCheck = kChild | BS_AUTOCHECKBOX | WS_TABSTOP;
inline constexpr DWORD kCombo = kChild | CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP;
inline constexpr DWORD kEdit = kChild | ES_LEFT | ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP;

inline const TemplateView kSingleTemplate = {
    IDD_PLENVO, "TDM Reservation (Text and Data Mining)", 340, 235,
    {
        TemplateItem("Button", -1, "Current Document Status", kGroup, {7, 7, 326, 50}),
        TemplateItem("Static", -1, "Reservation:", kLabel, {15, 22, 45, 8}),
        TemplateItem("Static", 1003, "Not set", kLabel, {65, 22, 260, 8}),
        TemplateItem("Static", -1, "Policy URL:", kLabel, {15, 36, 42, 8}),
        TemplateItem("Static", 1004, "Not set", kLabel, {65, 36, 260, 8}),
        TemplateItem("Button", -1, "Set TDM Reservation", kGroup, {7, 62, 326, 130}),
        TemplateItem("Static", -1, "Reservation:", kLabel, {15, 80, 45, 8}),
        TemplateItem("ComboBox", 1001, "", kCombo, {65, 77, 260, 80}),
        TemplateItem("Static", -1, "Policy URL:", kLabel, {15, 100, 42, 8}),
        TemplateItem("Edit", 1002, "", kEdit, {65, 97, 260, 14}),
        TemplateItem("Static", -1,
             "The policy URL should point to a machine-readable TDM policy\n"
             "(e.g. https://example.com/tdm-policy.json)",
             kLabel, {65, 115, 260, 18}),
        TemplateItem("Button", 1008, "Include PDF/A extension schema (recommended for PDF/A compliance)", kCheck,
             {15, 140, 310, 10}),
        TemplateItem("Static", -1,
             "Note: Setting reservation to 0 signals that text and data mining is\n"
             "permitted. Setting it to 1 reserves TDM rights (optionally with a policy).",
             kLabel, {15, 158, 310, 18}),
        TemplateItem("Button", 1005, "Apply", kDefault, {117, 200, 50, 14}),
        TemplateItem("Button", 1006, "Remove", kPush, {173, 200, 50, 14}),
        TemplateItem("Button", 1007, "Help...", kPush, {229, 200, 50, 14}),
        TemplateItem("Button", IDCANCEL, "Close", kPush, {283, 200, 50, 14}),
    }};

inline const TemplateView kBatchTemplate = {
    IDD_PLENVO_BATCH, "TDM Reservation (Text and Data Mining) - Batch Processing", 460, 360,
    {
        TemplateItem("Button", -1, "PDF Files", kGroup, {7, 7, 446, 165}),
        TemplateItem(WC_LISTVIEWA, 2001, "", kChild | LVS_REPORT | LVS_SHOWSELALWAYS | WS_BORDER | WS_TABSTOP,
             {15, 20, 370, 143}),
        TemplateItem("Button", 2002, "Add Files...", kPush, {393, 20, 52, 14}),
        TemplateItem("Button", 2003, "Add Folder...", kPush, {393, 40, 52, 14}),
        TemplateItem("Button", 2004, "Remove", kPush, {393, 65, 52, 14}),
        TemplateItem("Button", 2005, "Clear All", kPush, {393, 85, 52, 14}),
        TemplateItem("Button", 2014, "Check Status", kPush, {393, 110, 52, 14}),
        // Two lines: the label does not fit beside the box on one.
        TemplateItem("Button", 2013, "Include subfolders", kCheck | BS_MULTILINE, {393, 130, 52, 18}, WS_EX_RIGHT),
        TemplateItem("Button", -1, "TDM Reservation Settings", kGroup, {7, 177, 446, 95}),
        TemplateItem("Static", -1, "Reservation:", kLabel, {15, 195, 45, 8}),
        TemplateItem("ComboBox", 2006, "", kCombo, {65, 192, 378, 80}),
        TemplateItem("Static", -1, "Policy URL:", kLabel, {15, 215, 42, 8}),
        TemplateItem("Edit", 2007, "", kEdit, {65, 212, 378, 14}),
        TemplateItem("Button", 2008, "Include PDF/A extension schema", kCheck, {15, 235, 200, 10}),
        TemplateItem("Button", -1, "Progress", kGroup, {7, 277, 446, 42}),
        TemplateItem(PROGRESS_CLASSA, 2010, "", kChild | WS_BORDER, {15, 290, 430, 14}),
        TemplateItem("Static", 2011, "Ready", kLabel, {15, 306, 430, 8}),
        TemplateItem("Button", 2009, "Apply to All", kDefault, {225, 330, 55, 14}),
        TemplateItem("Button", 2015, "Remove All", kPush, {286, 330, 55, 14}),
        TemplateItem("Button", 2012, "Help...", kPush, {351, 330, 50, 14}),
        TemplateItem("Button", IDCANCEL, "Close", kPush, {405, 330, 48, 14}),
    }};

// A dialog procedure that shows a template as it stands and closes on Cancel (Escape).
inline INT_PTR CALLBACK CancelOnly(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    if (message == WM_INITDIALOG) return TRUE;
    if (message == WM_COMMAND && LOWORD(wParam) == IDCANCEL) {
        EndDialog(dialog, IDCANCEL);
        return TRUE;
    }
    return FALSE;
}

}  // namespace plenvo::test
