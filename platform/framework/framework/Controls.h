#pragma once
// The controls the dialogs use, as thin views over their window messages.

// windows.h comes first: the other system headers build on it.
#include <windows.h>

#include <commctrl.h>

#include <string>

#include "framework/Wnd.h"

namespace plenvo {

class CStatic : public CWnd {};

class CEdit : public CWnd {
public:
    void SetSel(int start, int end) const;
    void SetLimitText(UINT limit) const;
};

class CButton : public CWnd {
public:
    int GetCheck() const;
    void SetCheck(int check) const;
};

class CComboBox : public CWnd {
public:
    int AddString(const std::string& text) const;
    int InsertString(int index, const std::string& text) const;
    int GetCount() const;
    int GetCurSel() const;
    int SetCurSel(int index) const;
    std::string GetLBText(int index) const;
    void ResetContent() const;
};

class CListCtrl : public CWnd {
public:
    DWORD SetExtendedStyle(DWORD style) const;
    DWORD GetExtendedStyle() const;
    int InsertColumn(int index, const std::string& heading, int format, int width) const;
    int GetItemCount() const;
    int InsertItem(int index, const std::string& text) const;
    BOOL SetItemText(int row, int column, const std::string& text) const;
    std::string GetItemText(int row, int column) const;
    BOOL DeleteItem(int row) const;
    BOOL DeleteAllItems() const;
    // The next row after `start` (-1 for the first) with all of `flags` (LVNI_SELECTED).
    int GetNextItem(int start, int flags) const;
    UINT GetSelectedCount() const;
    BOOL SetItemState(int row, UINT state, UINT mask) const;
    UINT GetItemState(int row, UINT mask) const;
};

class CProgressCtrl : public CWnd {
public:
    void SetRange32(int low, int high) const;
    void GetRange(int& low, int& high) const;
    int SetPos(int position) const;
    int GetPos() const;
};

}  // namespace plenvo
