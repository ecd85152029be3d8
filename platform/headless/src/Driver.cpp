// The user driver's hands and eyes: actions posted as input messages, readers that ask
// the controls.

#include <commctrl.h>
#include <dlgs.h>

#include <algorithm>

#include "Internal.h"
#include "Window.h"

namespace plenvo::headless {
namespace {

// A control a person can reach: it and every window above it visible and enabled.
HWND Reachable(HWND window, int id) {
    HWND control = GetDlgItem(window, id);
    if (control == nullptr || !IsWindowVisible(control)) return nullptr;
    for (HWND w = control; w != nullptr; w = GetAncestor(w, GA_PARENT)) {
        if (!IsWindowEnabled(w)) return nullptr;
    }
    return control;
}

bool IsClass(HWND control, std::string_view name) {
    Window* w = FindWindowRecord(control);
    return w != nullptr && EqualsNoCase(w->className, name);
}

std::string WindowText(HWND window) {
    std::string text(static_cast<std::size_t>(GetWindowTextLengthA(window)) + 1, '\0');
    text.resize(static_cast<std::size_t>(GetWindowTextA(window, text.data(), static_cast<int>(text.size()))));
    return text;
}

}  // namespace

bool Click(HWND window, int id) {
    HWND control = Reachable(window, id);
    if (control == nullptr || !IsClass(control, "Button")) return false;
    return PostMessageA(control, BM_CLICK, 0, 0) != FALSE;
}

bool SetChecked(HWND window, int id, bool checked) {
    HWND control = Reachable(window, id);
    if (control == nullptr || !IsClass(control, "Button")) return false;
    if ((SendMessageA(control, BM_GETCHECK, 0, 0) == BST_CHECKED) == checked) return true;
    return PostMessageA(control, BM_CLICK, 0, 0) != FALSE;
}

bool PickEntry(HWND window, int id, int index) {
    HWND control = Reachable(window, id);
    if (control == nullptr || !IsClass(control, "ComboBox") || index < 0 ||
        index >= SendMessageA(control, CB_GETCOUNT, 0, 0)) {
        return false;
    }
    return PostMessageA(control, PickMessage(), static_cast<WPARAM>(index), 0) != FALSE;
}

bool PickEntryText(HWND window, int id, std::string_view text) {
    const std::vector<std::string> entries = ComboEntries(window, id);
    auto it = std::find(entries.begin(), entries.end(), text);
    return it != entries.end() && PickEntry(window, id, static_cast<int>(it - entries.begin()));
}

bool TypeText(HWND window, int id, std::string_view text) {
    HWND control = Reachable(window, id);
    if (control == nullptr || !IsClass(control, "Edit")) return false;
    PostMessageA(control, WM_LBUTTONDOWN, MK_LBUTTON, 0);
    PostMessageA(control, EM_SETSEL, 0, -1);
    if (text.empty()) {
        PostMessageA(control, WM_CHAR, VK_BACK, 0);
    }
    for (char c : text) {
        PostMessageA(control, WM_CHAR, static_cast<WPARAM>(static_cast<unsigned char>(c)), 0);
    }
    return true;
}

bool PressKey(HWND window, UINT virtualKey) {
    if (!IsWindowVisible(window) || !IsWindowEnabled(window)) return false;
    HWND focus = GetFocus();
    HWND target = focus != nullptr && (focus == window || IsChild(window, focus)) ? focus : window;
    PostMessageA(target, WM_KEYDOWN, virtualKey, 1);
    PostMessageA(target, WM_KEYUP, virtualKey, static_cast<LPARAM>(0xC0000001u));
    return true;
}

bool CloseBox(HWND window) {
    if (!IsWindowVisible(window) || !IsWindowEnabled(window) ||
        (GetWindowLongA(window, GWL_STYLE) & WS_SYSMENU) == 0) {
        return false;
    }
    return PostMessageA(window, WM_SYSCOMMAND, SC_CLOSE, 0) != FALSE;
}

bool SelectRows(HWND window, int id, std::span<const int> rows) {
    HWND control = Reachable(window, id);
    if (control == nullptr || !IsClass(control, WC_LISTVIEWA) || rows.empty()) return false;
    const auto count = static_cast<int>(SendMessageA(control, LVM_GETITEMCOUNT, 0, 0));
    for (int row : rows) {
        if (row < 0 || row >= count) return false;
    }
    PostMessageA(control, RowClickMessage(), static_cast<WPARAM>(rows[0]), 0);
    for (std::size_t i = 1; i < rows.size(); ++i) {
        PostMessageA(control, RowClickMessage(), static_cast<WPARAM>(rows[i]), MK_CONTROL);
    }
    return true;
}

bool AnswerMessageBox(HWND box, int buttonId) {
    return KindOf(box) == WindowKind::MessageBox && Click(box, buttonId);
}

bool AnswerFileOpen(HWND dialog, std::span<const std::string> paths) {
    if (KindOf(dialog) != WindowKind::FileOpen) return false;
    if (paths.empty()) return Click(dialog, IDCANCEL);
    if (paths.size() == 1) return TypeText(dialog, edt1, paths[0]) && Click(dialog, IDOK);
    // Several files are picked in one folder: go there, then name them.
    const std::string& first = paths[0];
    const std::string folder = first.substr(0, std::max<std::size_t>(1, first.rfind('/')));
    std::string names;
    for (const std::string& path : paths) {
        const std::size_t cut = path.rfind('/');
        if (path.substr(0, std::max<std::size_t>(1, cut)) != folder) return false;
        names += "\"" + path.substr(cut + 1) + "\" ";
    }
    return TypeText(dialog, edt1, folder) && Click(dialog, IDOK) && TypeText(dialog, edt1, names) &&
           Click(dialog, IDOK);
}

bool AnswerFolderBrowser(HWND browser, const std::string& folder) {
    if (KindOf(browser) != WindowKind::FolderBrowser) return false;
    if (folder.empty()) return Click(browser, IDCANCEL);
    return TypeText(browser, 0x3744, folder) && Click(browser, IDOK);
}

// ---- Readers ---------------------------------------------------------------------------------

WindowKind KindOf(HWND window) {
    Window* w = FindWindowRecord(window);
    return w == nullptr ? WindowKind::None : w->kind;
}

std::string Caption(HWND window) { return IsWindow(window) ? WindowText(window) : std::string(); }

std::vector<ItemView> Items(HWND window) {
    std::vector<ItemView> items;
    Window* w = FindWindowRecord(window);
    if (w == nullptr) return items;
    for (HWND child : w->children) {
        Window* c = FindWindowRecord(child);
        items.push_back(ItemView{c->className, c->id, WindowText(child), c->style, c->exStyle, c->unitRect,
                                 IsWindowEnabled(child) != FALSE, IsWindowVisible(child) != FALSE});
    }
    return items;
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

int ComboSelection(HWND window, int id) {
    return static_cast<int>(SendDlgItemMessageA(window, id, CB_GETCURSEL, 0, 0));
}

std::vector<std::string> ComboEntries(HWND window, int id) {
    std::vector<std::string> entries;
    const auto count = static_cast<int>(SendDlgItemMessageA(window, id, CB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        std::string text(static_cast<std::size_t>(SendDlgItemMessageA(window, id, CB_GETLBTEXTLEN, i, 0)) + 1, '\0');
        SendDlgItemMessageA(window, id, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text.data()));
        text.resize(text.size() - 1);
        entries.push_back(text);
    }
    return entries;
}

namespace {
std::string ItemText(HWND control, int row, int column) {
    std::string text(64, '\0');
    while (true) {
        LVITEMA item{};
        item.iSubItem = column;
        item.pszText = text.data();
        item.cchTextMax = static_cast<int>(text.size());
        const auto n = static_cast<std::size_t>(SendMessageA(control, LVM_GETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item)));
        if (n + 1 < text.size()) {
            text.resize(n);
            return text;
        }
        text.resize(text.size() * 2);
    }
}
}  // namespace

std::vector<std::vector<std::string>> ListRows(HWND window, int id) {
    std::vector<std::vector<std::string>> rows;
    HWND control = GetDlgItem(window, id);
    if (control == nullptr) return rows;
    const auto count = static_cast<int>(SendMessageA(control, LVM_GETITEMCOUNT, 0, 0));
    const std::size_t columns = std::max<std::size_t>(1, ListColumns(window, id).size());
    for (int r = 0; r < count; ++r) {
        std::vector<std::string> row;
        for (std::size_t c = 0; c < columns; ++c) row.push_back(ItemText(control, r, static_cast<int>(c)));
        rows.push_back(std::move(row));
    }
    return rows;
}

std::vector<int> SelectedRows(HWND window, int id) {
    std::vector<int> rows;
    HWND control = GetDlgItem(window, id);
    for (int i = -1; control != nullptr;) {
        i = static_cast<int>(SendMessageA(control, LVM_GETNEXTITEM, static_cast<WPARAM>(i), LVNI_SELECTED));
        if (i < 0) break;
        rows.push_back(i);
    }
    return rows;
}

std::vector<std::string> ListColumns(HWND window, int id) {
    std::vector<std::string> columns;
    HWND control = GetDlgItem(window, id);
    for (int i = 0; control != nullptr; ++i) {
        char text[256] = {};
        LVCOLUMNA column{};
        column.mask = LVCF_TEXT;
        column.pszText = text;
        column.cchTextMax = sizeof text;
        if (!SendMessageA(control, LVM_GETCOLUMNA, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&column))) break;
        columns.emplace_back(text);
    }
    return columns;
}

ProgressView Progress(HWND window, int id) {
    ProgressView view;
    HWND control = GetDlgItem(window, id);
    if (control == nullptr) return view;
    PBRANGE range{};
    SendMessageA(control, PBM_GETRANGE, FALSE, reinterpret_cast<LPARAM>(&range));
    view.low = range.iLow;
    view.high = range.iHigh;
    view.position = static_cast<int>(SendMessageA(control, PBM_GETPOS, 0, 0));
    return view;
}

int FocusedId(HWND window) {
    HWND focus = GetFocus();
    return focus != nullptr && IsChild(window, focus) ? GetDlgCtrlID(focus) : 0;
}

MessageBoxView ReadMessageBox(HWND box) {
    MessageBoxView view;
    Window* w = FindWindowRecord(box);
    if (w == nullptr || w->kind != WindowKind::MessageBox) return view;
    view.text = Text(box, 0xFFFF);
    view.caption = Caption(box);
    view.type = MessageBoxType(box);
    return view;
}

std::string FileOpenFolder(HWND dialog) { return KindOf(dialog) == WindowKind::FileOpen ? Text(dialog, stc1) : ""; }

// ---- The scripted driver ---------------------------------------------------------------------

ScriptedDriver& ScriptedDriver::Then(Step step) {
    steps_.push_back({std::move(step), false});
    return *this;
}

ScriptedDriver& ScriptedDriver::WhileBusy(Step step) {
    steps_.push_back({std::move(step), true});
    return *this;
}

bool ScriptedDriver::Act(Moment moment, HWND top) {
    if (next_ >= steps_.size()) return false;
    if (moment == Moment::QueueEmpty && !steps_[next_].busy) return false;
    Step step = std::move(steps_[next_++].step);
    step(top);
    return true;
}

}  // namespace plenvo::headless
