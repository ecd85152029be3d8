#include "UserActions.h"

#include <commctrl.h>

#include <array>

namespace plenvo::wine {
namespace {

// The message box's text is the static control with this id, on Windows as in Wine.
constexpr int kMessageBoxTextId = 0xFFFF;
// The file-open dialog's file name box: a combo box (cmb13) or, in older templates, an
// edit box (edt1), as <dlgs.h> numbers them.
constexpr int kFileNameCombo = 0x47C;
constexpr int kFileNameEdit = 0x480;

HWND FileNameBox(HWND picker) {
    HWND box = GetDlgItem(picker, kFileNameCombo);
    return box != nullptr ? box : GetDlgItem(picker, kFileNameEdit);
}

// A control a person can reach: it and its window are shown and enabled.
HWND Reachable(HWND window, int id) {
    if (window == nullptr || !IsWindowVisible(window) || !IsWindowEnabled(window)) {
        return nullptr;
    }
    HWND control = GetDlgItem(window, id);
    if (control == nullptr || !IsWindowVisible(control) || !IsWindowEnabled(control)) {
        return nullptr;
    }
    return control;
}

std::string WindowText(HWND window) {
    std::string text(static_cast<std::size_t>(GetWindowTextLengthA(window)) + 1, '\0');
    const int n = GetWindowTextA(window, text.data(), static_cast<int>(text.size()));
    text.resize(n > 0 ? static_cast<std::size_t>(n) : 0);
    return text;
}

std::string ListText(HWND list, int row, int column) {
    std::array<char, 4096> buffer{};
    LVITEMA item{};
    item.iSubItem = column;
    item.pszText = buffer.data();
    item.cchTextMax = static_cast<int>(buffer.size());
    const auto n = SendMessageA(list, LVM_GETITEMTEXTA, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
    return std::string(buffer.data(), static_cast<std::size_t>(n));
}

bool SetRowSelected(HWND list, int row, bool selected) {
    LVITEMA item{};
    item.stateMask = LVIS_SELECTED;
    item.state = selected ? LVIS_SELECTED : 0;
    return SendMessageA(list, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item)) != 0;
}

}  // namespace

bool Click(HWND window, int id) {
    HWND button = Reachable(window, id);
    if (button == nullptr) {
        return false;
    }
    SendMessageA(button, BM_CLICK, 0, 0);
    return true;
}

bool PostClick(HWND window, int id) {
    HWND button = Reachable(window, id);
    return button != nullptr && PostMessageA(button, BM_CLICK, 0, 0);
}

bool TypeText(HWND window, int id, std::string_view text) {
    HWND edit = Reachable(window, id);
    if (edit == nullptr) {
        return false;
    }
    SetFocus(edit);
    const std::string copy(text);
    return SendMessageA(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(copy.c_str())) != 0;
}

bool PickEntry(HWND window, int id, int index) {
    HWND combo = Reachable(window, id);
    if (combo == nullptr || SendMessageA(combo, CB_SETCURSEL, static_cast<WPARAM>(index), 0) != index) {
        return false;
    }
    SendMessageA(window, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo));
    return true;
}

bool SetChecked(HWND window, int id, bool checked) {
    HWND box = Reachable(window, id);
    if (box == nullptr) {
        return false;
    }
    // An automatic check box turns over on a click, as a person's click does.
    if ((SendMessageA(box, BM_GETCHECK, 0, 0) == BST_CHECKED) != checked) {
        SendMessageA(box, BM_CLICK, 0, 0);
    }
    return (SendMessageA(box, BM_GETCHECK, 0, 0) == BST_CHECKED) == checked;
}

bool PressKey(HWND window, UINT virtualKey) {
    if (window == nullptr || !IsWindowVisible(window) || !IsWindowEnabled(window)) {
        return false;
    }
    HWND focus = GetFocus();
    HWND target = focus != nullptr && (focus == window || IsChild(window, focus)) ? focus : window;
    const LPARAM scan = static_cast<LPARAM>(MapVirtualKeyA(virtualKey, MAPVK_VK_TO_VSC)) << 16;
    return PostMessageA(target, WM_KEYDOWN, virtualKey, scan | 1) &&
           PostMessageA(target, WM_KEYUP, virtualKey, scan | 1 | (LPARAM{3} << 30));
}

bool CloseBox(HWND window) {
    if (window == nullptr || !IsWindowVisible(window) || (GetWindowLongA(window, GWL_STYLE) & WS_SYSMENU) == 0) {
        return false;
    }
    return PostMessageA(window, WM_SYSCOMMAND, SC_CLOSE, 0);
}

bool SelectRows(HWND window, int id, std::span<const int> rows) {
    HWND list = Reachable(window, id);
    if (list == nullptr || !SetRowSelected(list, -1, false)) {
        return false;
    }
    for (int row : rows) {
        if (!SetRowSelected(list, row, true)) {
            return false;
        }
    }
    return true;
}

bool AnswerMessageBox(HWND box, int buttonId) { return IsMessageBox(box) && Click(box, buttonId); }

bool ChooseFiles(HWND picker, std::string_view folder, const std::vector<std::string>& names) {
    HWND box = FileNameBox(picker);
    if (box == nullptr || !IsWindowEnabled(picker)) {
        return false;
    }
    const std::string folderText(folder);
    SendMessageA(box, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(folderText.c_str()));
    if (!Click(picker, IDOK) || !IsWindow(picker)) {
        return false;
    }
    std::string chosen;
    for (const std::string& name : names) {
        chosen += (chosen.empty() ? "\"" : " \"") + name + "\"";
    }
    SendMessageA(box, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(chosen.c_str()));
    return Click(picker, IDOK);
}

std::string Caption(HWND window) { return WindowText(window); }

std::string ClassName(HWND window) {
    char name[256] = {};
    const int n = GetClassNameA(window, name, sizeof name);
    return std::string(name, n > 0 ? static_cast<std::size_t>(n) : 0);
}

std::string Text(HWND window, int id) {
    HWND control = GetDlgItem(window, id);
    return control != nullptr ? WindowText(control) : std::string();
}

bool IsEnabled(HWND window, int id) {
    HWND control = GetDlgItem(window, id);
    return control != nullptr && IsWindowEnabled(control);
}

bool IsChecked(HWND window, int id) { return IsDlgButtonChecked(window, id) == BST_CHECKED; }

int ComboSelection(HWND window, int id) { return static_cast<int>(SendDlgItemMessageA(window, id, CB_GETCURSEL, 0, 0)); }

std::vector<std::string> ComboEntries(HWND window, int id) {
    std::vector<std::string> entries;
    const auto count = SendDlgItemMessageA(window, id, CB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        const auto length = SendDlgItemMessageA(window, id, CB_GETLBTEXTLEN, static_cast<WPARAM>(i), 0);
        std::string text(static_cast<std::size_t>(length) + 1, '\0');
        SendDlgItemMessageA(window, id, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text.data()));
        text.resize(static_cast<std::size_t>(length));
        entries.push_back(text);
    }
    return entries;
}

std::vector<std::string> ListColumns(HWND window, int id) {
    std::vector<std::string> columns;
    HWND list = GetDlgItem(window, id);
    for (int i = 0;; ++i) {
        std::array<char, 256> buffer{};
        LVCOLUMNA column{};
        column.mask = LVCF_TEXT;
        column.pszText = buffer.data();
        column.cchTextMax = static_cast<int>(buffer.size());
        if (list == nullptr || !SendMessageA(list, LVM_GETCOLUMNA, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&column))) {
            return columns;
        }
        columns.emplace_back(buffer.data());
    }
}

std::vector<std::vector<std::string>> ListRows(HWND window, int id) {
    std::vector<std::vector<std::string>> rows;
    HWND list = GetDlgItem(window, id);
    const std::size_t columns = ListColumns(window, id).size();
    const auto count = list != nullptr ? SendMessageA(list, LVM_GETITEMCOUNT, 0, 0) : 0;
    for (int row = 0; row < count; ++row) {
        std::vector<std::string> cells;
        for (std::size_t column = 0; column < columns; ++column) {
            cells.push_back(ListText(list, row, static_cast<int>(column)));
        }
        rows.push_back(cells);
    }
    return rows;
}

std::vector<int> SelectedRows(HWND window, int id) {
    std::vector<int> rows;
    HWND list = GetDlgItem(window, id);
    if (list == nullptr) {
        return rows;
    }
    for (auto row = SendMessageA(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED); row >= 0;
         row = SendMessageA(list, LVM_GETNEXTITEM, static_cast<WPARAM>(row), LVNI_SELECTED)) {
        rows.push_back(static_cast<int>(row));
    }
    return rows;
}

ProgressView Progress(HWND window, int id) {
    HWND bar = GetDlgItem(window, id);
    PBRANGE range{};
    SendMessageA(bar, PBM_GETRANGE, TRUE, reinterpret_cast<LPARAM>(&range));
    return ProgressView{range.iLow, range.iHigh, static_cast<int>(SendMessageA(bar, PBM_GETPOS, 0, 0))};
}

int FocusedId(HWND window) {
    HWND focus = GetFocus();
    return focus != nullptr && IsChild(window, focus) ? GetDlgCtrlID(focus) : 0;
}

bool IsMessageBox(HWND window) {
    return window != nullptr && ClassName(window) == "#32770" && GetDlgItem(window, kMessageBoxTextId) != nullptr;
}

MessageBoxView ReadMessageBox(HWND box) {
    MessageBoxView view;
    view.caption = Caption(box);
    view.text = Text(box, kMessageBoxTextId);
    for (int id = IDOK; id <= IDCONTINUE; ++id) {
        HWND button = GetDlgItem(box, id);
        if (button != nullptr && IsWindowVisible(button)) {
            view.buttons.push_back(id);
        }
    }
    // The box shows one of the system's shared icons, so the handles compare.
    static const std::array<LPCSTR, 4> kIcons = {IDI_HAND, IDI_QUESTION, IDI_EXCLAMATION, IDI_ASTERISK};
    for (HWND child = GetWindow(box, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
        if ((GetWindowLongA(child, GWL_STYLE) & SS_TYPEMASK) != SS_ICON) {
            continue;
        }
        const auto shown = reinterpret_cast<HICON>(SendMessageA(child, STM_GETICON, 0, 0));
        for (LPCSTR icon : kIcons) {
            if (shown != nullptr && shown == LoadIconA(nullptr, icon)) {
                view.icon = icon;
            }
        }
    }
    return view;
}

bool IsFilePicker(HWND window) {
    return window != nullptr && ClassName(window) == "#32770" && FileNameBox(window) != nullptr;
}

HWND ActiveDialog() {
    struct Search {
        HWND found = nullptr;
    } search;
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND window, LPARAM data) -> BOOL {
            auto* s = reinterpret_cast<Search*>(data);
            if (IsWindowVisible(window) && IsWindowEnabled(window) && ClassName(window) == "#32770") {
                s->found = window;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

}  // namespace plenvo::wine
