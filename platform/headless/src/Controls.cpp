// The controls: what each keeps and how it answers its messages and a person's input.

#include <commctrl.h>

#include <algorithm>
#include <cstring>

#include "Internal.h"
#include "Window.h"

namespace plenvo::headless {
namespace {

bool Usable(HWND control) { return IsWindowEnabled(control) && IsWindowVisible(control); }

DWORD ButtonType(const Window& w) { return w.style & BS_TYPEMASK; }

bool IsPushButton(const Window& w) {
    const DWORD type = ButtonType(w);
    return type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON || type == BS_PUSHBOX;
}

struct ButtonState {
    UINT check = BST_UNCHECKED;
    bool pushed = false;
};

struct EditState {
    int selStart = 0;
    int selEnd = 0;
    int limit = 30000;
};

struct ComboState {
    std::vector<std::pair<std::string, LPARAM>> items;
    int selection = -1;
};

struct ListRow {
    std::vector<std::string> texts;
    UINT state = 0;
    LPARAM param = 0;
};

struct ListState {
    std::vector<std::pair<std::string, int>> columns;  // heading, width
    std::vector<ListRow> rows;
    DWORD extendedStyle = 0;
};

struct ProgressState {
    int low = 0;
    int high = 100;
    int position = 0;
    int step = 10;
};

template <class T>
T& EnsureState(HWND handle) {
    Window* w = FindWindowRecord(handle);
    if (!w->state.has_value()) w->state = T{};
    return *std::any_cast<T>(&w->state);
}

}  // namespace

// ---- Buttons ---------------------------------------------------------------------------------

LRESULT CALLBACK ButtonProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    Window* w = FindWindowRecord(hwnd);
    ButtonState& s = EnsureState<ButtonState>(hwnd);
    switch (msg) {
        case WM_GETDLGCODE:
            if (IsPushButton(*w)) {
                return DLGC_BUTTON | (ButtonType(*w) == BS_DEFPUSHBUTTON ? DLGC_DEFPUSHBUTTON : DLGC_UNDEFPUSHBUTTON);
            }
            return ButtonType(*w) == BS_GROUPBOX ? DLGC_STATIC : DLGC_BUTTON;
        case BM_GETCHECK:
            return s.check;
        case BM_SETCHECK:
            s.check = static_cast<UINT>(wParam) & (BST_CHECKED | BST_INDETERMINATE);
            return 0;
        case BM_GETSTATE:
            return s.check | (s.pushed ? BST_PUSHED : 0) | (GetFocus() == hwnd ? BST_FOCUS : 0);
        case BM_SETSTYLE:
            w->style = (w->style & ~static_cast<DWORD>(0xFFFF)) | LOWORD(wParam);
            return 0;
        case BM_CLICK:
            SendMessageA(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, 0);
            SendMessageA(hwnd, WM_LBUTTONUP, 0, 0);
            return 0;
        case WM_LBUTTONDOWN:
            // Disabled windows get no mouse input.
            if (!Usable(hwnd) || ButtonType(*w) == BS_GROUPBOX) return 0;
            s.pushed = true;
            SetFocus(hwnd);
            return 0;
        case WM_LBUTTONUP: {
            if (!s.pushed) return 0;
            s.pushed = false;
            if (!Usable(hwnd)) return 0;
            const DWORD type = ButtonType(*w);
            if (type == BS_AUTOCHECKBOX) s.check = s.check == BST_CHECKED ? BST_UNCHECKED : BST_CHECKED;
            if (type == BS_AUTO3STATE) s.check = (s.check + 1) % 3;
            if (type == BS_AUTORADIOBUTTON) s.check = BST_CHECKED;
            NotifyParent(hwnd, BN_CLICKED);
            return 0;
        }
        case WM_KEYUP:
            // The space bar presses the focused button.
            if (wParam == VK_SPACE && Usable(hwnd)) {
                s.pushed = true;
                SendMessageA(hwnd, WM_LBUTTONUP, 0, 0);
            }
            return 0;
        default:
            return DefWindowProcA(hwnd, msg, wParam, lParam);
    }
}

// ---- Static text -----------------------------------------------------------------------------

LRESULT CALLBACK StaticProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_GETDLGCODE) return DLGC_STATIC;
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

// ---- Edit box ----------------------------------------------------------------------------------

LRESULT CALLBACK EditProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    Window* w = FindWindowRecord(hwnd);
    EditState& s = EnsureState<EditState>(hwnd);
    const int length = static_cast<int>(w->text.size());
    auto clampSel = [&] {
        s.selStart = std::clamp(s.selStart, 0, static_cast<int>(w->text.size()));
        s.selEnd = std::clamp(s.selEnd, 0, static_cast<int>(w->text.size()));
    };
    auto replace = [&](std::string_view with, bool notify) {
        clampSel();
        const int from = std::min(s.selStart, s.selEnd);
        const int to = std::max(s.selStart, s.selEnd);
        std::string next = w->text.substr(0, static_cast<std::size_t>(from));
        const std::size_t room = static_cast<std::size_t>(std::max(0, s.limit - (length - (to - from))));
        next.append(with.substr(0, room));
        next.append(w->text.substr(static_cast<std::size_t>(to)));
        const int caret = from + static_cast<int>(std::min(with.size(), room));
        const bool changed = next != w->text;
        w->text = std::move(next);
        s.selStart = s.selEnd = caret;
        if (changed && notify) {
            NotifyParent(hwnd, EN_UPDATE);
            NotifyParent(hwnd, EN_CHANGE);
        }
    };
    switch (msg) {
        case WM_GETDLGCODE:
            return DLGC_WANTCHARS | DLGC_HASSETSEL | DLGC_WANTARROWS;
        case WM_SETTEXT:
            w->text = lParam != 0 ? reinterpret_cast<const char*>(lParam) : "";
            s.selStart = s.selEnd = 0;
            NotifyParent(hwnd, EN_UPDATE);
            NotifyParent(hwnd, EN_CHANGE);
            return TRUE;
        case EM_GETSEL: {
            clampSel();
            if (wParam != 0) *reinterpret_cast<DWORD*>(wParam) = static_cast<DWORD>(s.selStart);
            if (lParam != 0) *reinterpret_cast<DWORD*>(lParam) = static_cast<DWORD>(s.selEnd);
            return MAKELONG(s.selStart, s.selEnd);
        }
        case EM_SETSEL: {
            const auto start = static_cast<int>(static_cast<INT_PTR>(wParam));
            const auto end = static_cast<int>(lParam);
            if (start < 0) {
                s.selStart = s.selEnd = length;
            } else {
                s.selStart = start;
                s.selEnd = end < 0 ? length : end;
            }
            clampSel();
            return 0;
        }
        case EM_REPLACESEL:
            replace(lParam != 0 ? reinterpret_cast<const char*>(lParam) : "", true);
            return 0;
        case EM_LIMITTEXT:
            s.limit = wParam == 0 ? 0x7FFFFFFE : static_cast<int>(wParam);
            return 0;
        case EM_GETLIMITTEXT:
            return s.limit;
        case EM_SETREADONLY:
            w->style = wParam ? (w->style | ES_READONLY) : (w->style & ~static_cast<DWORD>(ES_READONLY));
            return TRUE;
        case WM_LBUTTONDOWN:
            if (Usable(hwnd)) SetFocus(hwnd);
            return 0;
        case WM_CHAR: {
            if (!Usable(hwnd) || (w->style & ES_READONLY) != 0) return 0;
            const auto c = static_cast<unsigned char>(wParam);
            if (c == VK_BACK) {
                clampSel();
                if (s.selStart == s.selEnd && s.selStart > 0) --s.selStart;
                replace("", true);
            } else if (c >= 0x20 && c != 0x7F) {
                const char text[2] = {static_cast<char>(c), '\0'};
                replace(text, true);
            }
            return 0;
        }
        default:
            return DefWindowProcA(hwnd, msg, wParam, lParam);
    }
}

// ---- Combo box (drop-down list) --------------------------------------------------------------

LRESULT CALLBACK ComboBoxProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    ComboState& s = EnsureState<ComboState>(hwnd);
    const int count = static_cast<int>(s.items.size());
    const auto index = static_cast<int>(static_cast<INT_PTR>(wParam));
    auto text = [&](LPARAM p) { return std::string(p != 0 ? reinterpret_cast<const char*>(p) : ""); };
    if (msg == PickMessage()) {
        if (!Usable(hwnd) || index < 0 || index >= count) return CB_ERR;
        SetFocus(hwnd);
        NotifyParent(hwnd, CBN_DROPDOWN);
        s.selection = index;
        NotifyParent(hwnd, CBN_SELCHANGE);
        NotifyParent(hwnd, CBN_SELENDOK);
        NotifyParent(hwnd, CBN_CLOSEUP);
        return index;
    }
    switch (msg) {
        case WM_GETDLGCODE:
            return DLGC_WANTARROWS | DLGC_WANTCHARS;
        case CB_ADDSTRING:
            s.items.emplace_back(text(lParam), 0);
            return count;
        case CB_INSERTSTRING: {
            const int at = index < 0 || index > count ? count : index;
            if (index > count) return CB_ERR;
            s.items.insert(s.items.begin() + at, {text(lParam), 0});
            if (s.selection >= at) ++s.selection;
            return at;
        }
        case CB_DELETESTRING:
            if (index < 0 || index >= count) return CB_ERR;
            s.items.erase(s.items.begin() + index);
            if (s.selection == index) s.selection = -1;
            else if (s.selection > index) --s.selection;
            return count - 1;
        case CB_RESETCONTENT:
            s.items.clear();
            s.selection = -1;
            return CB_OKAY;
        case CB_GETCOUNT:
            return count;
        case CB_GETCURSEL:
            return s.selection;
        case CB_SETCURSEL:
            // Selecting from code raises no notification.
            if (index < 0 || index >= count) {
                s.selection = -1;
                return CB_ERR;
            }
            s.selection = index;
            return index;
        case CB_GETLBTEXT:
            if (index < 0 || index >= count || lParam == 0) return CB_ERR;
            std::memcpy(reinterpret_cast<char*>(lParam), s.items[static_cast<std::size_t>(index)].first.c_str(),
                        s.items[static_cast<std::size_t>(index)].first.size() + 1);
            return static_cast<LRESULT>(s.items[static_cast<std::size_t>(index)].first.size());
        case CB_GETLBTEXTLEN:
            if (index < 0 || index >= count) return CB_ERR;
            return static_cast<LRESULT>(s.items[static_cast<std::size_t>(index)].first.size());
        case CB_GETITEMDATA:
            if (index < 0 || index >= count) return CB_ERR;
            return s.items[static_cast<std::size_t>(index)].second;
        case CB_SETITEMDATA:
            if (index < 0 || index >= count) return CB_ERR;
            s.items[static_cast<std::size_t>(index)].second = lParam;
            return CB_OKAY;
        case CB_FINDSTRINGEXACT: {
            const std::string wanted = text(lParam);
            for (int i = 0; i < count; ++i) {
                const int at = (index + 1 + i + count) % count;
                if (EqualsNoCase(s.items[static_cast<std::size_t>(at)].first, wanted)) return at;
            }
            return CB_ERR;
        }
        case CB_GETDROPPEDSTATE:
            return FALSE;
        case WM_GETTEXT:
            return CopyOut(s.selection >= 0 ? s.items[static_cast<std::size_t>(s.selection)].first : "",
                           reinterpret_cast<char*>(lParam), static_cast<int>(wParam));
        case WM_GETTEXTLENGTH:
            return s.selection >= 0 ? static_cast<LRESULT>(s.items[static_cast<std::size_t>(s.selection)].first.size()) : 0;
        case WM_LBUTTONDOWN:
            if (Usable(hwnd)) SetFocus(hwnd);
            return 0;
        case WM_KEYDOWN:
            // The arrow keys move the selection of a closed list and notify.
            if ((wParam == VK_DOWN || wParam == VK_UP) && Usable(hwnd) && count > 0) {
                const int next = std::clamp(s.selection + (wParam == VK_DOWN ? 1 : -1), 0, count - 1);
                if (next != s.selection) {
                    s.selection = next;
                    NotifyParent(hwnd, CBN_SELCHANGE);
                }
            }
            return 0;
        default:
            return DefWindowProcA(hwnd, msg, wParam, lParam);
    }
}

// ---- List view (report view) -------------------------------------------------------------------

namespace {

void NotifyList(HWND hwnd, UINT code, int item, UINT newState, UINT oldState, UINT changed) {
    Window* w = FindWindowRecord(hwnd);
    if (w == nullptr || w->parent == nullptr) return;
    NMLISTVIEW nm{};
    nm.hdr.hwndFrom = hwnd;
    nm.hdr.idFrom = static_cast<UINT_PTR>(w->id);
    nm.hdr.code = code;
    nm.iItem = item;
    nm.uNewState = newState;
    nm.uOldState = oldState;
    nm.uChanged = changed;
    SendMessageA(w->parent, WM_NOTIFY, static_cast<WPARAM>(w->id), reinterpret_cast<LPARAM>(&nm));
}

void SetRowState(HWND hwnd, int row, UINT state, UINT mask) {
    ListState* s = StateOf<ListState>(hwnd);
    if (s == nullptr || row < 0 || row >= static_cast<int>(s->rows.size())) return;
    ListRow& r = s->rows[static_cast<std::size_t>(row)];
    const UINT old = r.state;
    r.state = (r.state & ~mask) | (state & mask);
    if (r.state != old) NotifyList(hwnd, LVN_ITEMCHANGED, row, r.state, old, LVIF_STATE);
}

}  // namespace

LRESULT CALLBACK ListViewProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    Window* w = FindWindowRecord(hwnd);
    ListState& s = EnsureState<ListState>(hwnd);
    const int count = static_cast<int>(s.rows.size());
    const auto index = static_cast<int>(static_cast<INT_PTR>(wParam));
    const std::size_t columns = std::max<std::size_t>(1, s.columns.size());
    if (msg == RowClickMessage()) {
        if (!Usable(hwnd) || index < 0 || index >= count) return FALSE;
        SetFocus(hwnd);
        const bool single = (w->style & LVS_SINGLESEL) != 0;
        if ((lParam & MK_CONTROL) != 0 && !single) {
            const bool selected = (s.rows[static_cast<std::size_t>(index)].state & LVIS_SELECTED) != 0;
            SetRowState(hwnd, index, selected ? 0 : LVIS_SELECTED, LVIS_SELECTED);
        } else {
            for (int i = 0; i < count; ++i) {
                if (i != index) SetRowState(hwnd, i, 0, LVIS_SELECTED | LVIS_FOCUSED);
            }
            SetRowState(hwnd, index, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
        }
        return TRUE;
    }
    switch (msg) {
        case WM_GETDLGCODE:
            return DLGC_WANTARROWS | DLGC_WANTCHARS;
        case WM_LBUTTONDOWN:
            if (Usable(hwnd)) SetFocus(hwnd);
            return 0;
        case LVM_SETEXTENDEDLISTVIEWSTYLE: {
            const DWORD old = s.extendedStyle;
            const auto mask = wParam == 0 ? ~DWORD{0} : static_cast<DWORD>(wParam);
            s.extendedStyle = (s.extendedStyle & ~mask) | (static_cast<DWORD>(lParam) & mask);
            return old;
        }
        case LVM_GETEXTENDEDLISTVIEWSTYLE:
            return s.extendedStyle;
        case LVM_INSERTCOLUMNA: {
            const auto* c = reinterpret_cast<const LVCOLUMNA*>(lParam);
            if (c == nullptr) return -1;
            const int at = std::clamp(index, 0, static_cast<int>(s.columns.size()));
            s.columns.insert(s.columns.begin() + at,
                             {(c->mask & LVCF_TEXT) != 0 && c->pszText != nullptr ? c->pszText : "",
                              (c->mask & LVCF_WIDTH) != 0 ? c->cx : 0});
            for (ListRow& r : s.rows) {
                if (r.texts.size() < s.columns.size()) r.texts.insert(r.texts.begin() + std::min<std::ptrdiff_t>(at, static_cast<std::ptrdiff_t>(r.texts.size())), "");
            }
            return at;
        }
        case LVM_GETCOLUMNA: {
            auto* c = reinterpret_cast<LVCOLUMNA*>(lParam);
            if (c == nullptr || index < 0 || index >= static_cast<int>(s.columns.size())) return FALSE;
            if ((c->mask & LVCF_TEXT) != 0) CopyOut(s.columns[static_cast<std::size_t>(index)].first, c->pszText, c->cchTextMax);
            if ((c->mask & LVCF_WIDTH) != 0) c->cx = s.columns[static_cast<std::size_t>(index)].second;
            return TRUE;
        }
        case LVM_GETCOLUMNWIDTH:
            if (index < 0 || index >= static_cast<int>(s.columns.size())) return 0;
            return s.columns[static_cast<std::size_t>(index)].second;
        case LVM_SETCOLUMNWIDTH:
            if (index < 0 || index >= static_cast<int>(s.columns.size())) return FALSE;
            s.columns[static_cast<std::size_t>(index)].second = static_cast<int>(LOWORD(lParam));
            return TRUE;
        case LVM_GETITEMCOUNT:
            return count;
        case LVM_INSERTITEMA: {
            const auto* item = reinterpret_cast<const LVITEMA*>(lParam);
            if (item == nullptr || item->iSubItem != 0) return -1;
            const int at = item->iItem < 0 || item->iItem > count ? count : item->iItem;
            ListRow row;
            row.texts.assign(columns, "");
            if ((item->mask & LVIF_TEXT) != 0 && item->pszText != nullptr) row.texts[0] = item->pszText;
            if ((item->mask & LVIF_STATE) != 0) row.state = item->state & item->stateMask;
            if ((item->mask & LVIF_PARAM) != 0) row.param = item->lParam;
            s.rows.insert(s.rows.begin() + at, std::move(row));
            NotifyList(hwnd, LVN_INSERTITEM, at, 0, 0, 0);
            return at;
        }
        case LVM_SETITEMA: {
            const auto* item = reinterpret_cast<const LVITEMA*>(lParam);
            if (item == nullptr || item->iItem < 0 || item->iItem >= count || item->iSubItem < 0 ||
                item->iSubItem >= static_cast<int>(columns)) {
                return FALSE;
            }
            ListRow& row = s.rows[static_cast<std::size_t>(item->iItem)];
            if ((item->mask & LVIF_TEXT) != 0) {
                row.texts[static_cast<std::size_t>(item->iSubItem)] = item->pszText != nullptr ? item->pszText : "";
            }
            if ((item->mask & LVIF_PARAM) != 0 && item->iSubItem == 0) row.param = item->lParam;
            if ((item->mask & LVIF_STATE) != 0 && item->iSubItem == 0) SetRowState(hwnd, item->iItem, item->state, item->stateMask);
            return TRUE;
        }
        case LVM_SETITEMTEXTA: {
            const auto* item = reinterpret_cast<const LVITEMA*>(lParam);
            if (item == nullptr || index < 0 || index >= count || item->iSubItem < 0 ||
                item->iSubItem >= static_cast<int>(columns)) {
                return FALSE;
            }
            s.rows[static_cast<std::size_t>(index)].texts[static_cast<std::size_t>(item->iSubItem)] =
                item->pszText != nullptr ? item->pszText : "";
            return TRUE;
        }
        case LVM_GETITEMTEXTA: {
            auto* item = reinterpret_cast<LVITEMA*>(lParam);
            if (item == nullptr || index < 0 || index >= count || item->iSubItem < 0 ||
                item->iSubItem >= static_cast<int>(columns)) {
                if (item != nullptr) CopyOut("", item->pszText, item->cchTextMax);
                return 0;
            }
            return CopyOut(s.rows[static_cast<std::size_t>(index)].texts[static_cast<std::size_t>(item->iSubItem)],
                           item->pszText, item->cchTextMax);
        }
        case LVM_GETITEMA: {
            auto* item = reinterpret_cast<LVITEMA*>(lParam);
            if (item == nullptr || item->iItem < 0 || item->iItem >= count || item->iSubItem < 0 ||
                item->iSubItem >= static_cast<int>(columns)) {
                return FALSE;
            }
            const ListRow& row = s.rows[static_cast<std::size_t>(item->iItem)];
            if ((item->mask & LVIF_TEXT) != 0) CopyOut(row.texts[static_cast<std::size_t>(item->iSubItem)], item->pszText, item->cchTextMax);
            if ((item->mask & LVIF_STATE) != 0) item->state = row.state & item->stateMask;
            if ((item->mask & LVIF_PARAM) != 0) item->lParam = row.param;
            return TRUE;
        }
        case LVM_DELETEITEM:
            if (index < 0 || index >= count) return FALSE;
            NotifyList(hwnd, LVN_DELETEITEM, index, 0, 0, 0);
            s.rows.erase(s.rows.begin() + index);
            return TRUE;
        case LVM_DELETEALLITEMS:
            NotifyList(hwnd, LVN_DELETEALLITEMS, -1, 0, 0, 0);
            s.rows.clear();
            return TRUE;
        case LVM_SETITEMSTATE: {
            const auto* item = reinterpret_cast<const LVITEMA*>(lParam);
            if (item == nullptr) return FALSE;
            if (index == -1) {
                for (int i = 0; i < count; ++i) SetRowState(hwnd, i, item->state, item->stateMask);
                return TRUE;
            }
            if (index < 0 || index >= count) return FALSE;
            SetRowState(hwnd, index, item->state, item->stateMask);
            return TRUE;
        }
        case LVM_GETITEMSTATE:
            if (index < 0 || index >= count) return 0;
            return s.rows[static_cast<std::size_t>(index)].state & static_cast<UINT>(lParam);
        case LVM_GETSELECTEDCOUNT:
            return std::count_if(s.rows.begin(), s.rows.end(), [](const ListRow& r) { return (r.state & LVIS_SELECTED) != 0; });
        case LVM_GETNEXTITEM: {
            const UINT flags = LOWORD(lParam);
            for (int i = index < 0 ? 0 : index + 1; i < count; ++i) {
                const UINT state = s.rows[static_cast<std::size_t>(i)].state;
                if ((flags & LVNI_SELECTED) != 0 && (state & LVIS_SELECTED) == 0) continue;
                if ((flags & LVNI_FOCUSED) != 0 && (state & LVIS_FOCUSED) == 0) continue;
                return i;
            }
            return -1;
        }
        case LVM_ENSUREVISIBLE:
            return index >= 0 && index < count ? TRUE : FALSE;
        default:
            return DefWindowProcA(hwnd, msg, wParam, lParam);
    }
}

// ---- Progress bar --------------------------------------------------------------------------------

LRESULT CALLBACK ProgressProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    ProgressState& s = EnsureState<ProgressState>(hwnd);
    auto clamp = [&] { s.position = std::clamp(s.position, std::min(s.low, s.high), std::max(s.low, s.high)); };
    switch (msg) {
        case PBM_SETRANGE: {
            const LRESULT old = MAKELONG(s.low, s.high);
            s.low = static_cast<int>(LOWORD(lParam));
            s.high = static_cast<int>(HIWORD(lParam));
            clamp();
            return old;
        }
        case PBM_SETRANGE32: {
            const LRESULT old = MAKELONG(s.low, s.high);
            s.low = static_cast<int>(wParam);
            s.high = static_cast<int>(lParam);
            clamp();
            return old;
        }
        case PBM_GETRANGE: {
            if (auto* range = reinterpret_cast<PBRANGE*>(lParam)) {
                range->iLow = s.low;
                range->iHigh = s.high;
            }
            return wParam != 0 ? s.low : s.high;
        }
        case PBM_SETPOS: {
            const int old = s.position;
            s.position = static_cast<int>(wParam);
            clamp();
            return old;
        }
        case PBM_DELTAPOS: {
            const int old = s.position;
            s.position += static_cast<int>(wParam);
            clamp();
            return old;
        }
        case PBM_SETSTEP: {
            const int old = s.step;
            s.step = static_cast<int>(wParam);
            return old;
        }
        case PBM_STEPIT: {
            const int old = s.position;
            s.position += s.step;
            if (s.position > s.high) s.position = s.low + (s.position - s.high);
            clamp();
            return old;
        }
        case PBM_GETPOS:
            return s.position;
        case PBM_GETSTEP:
            return s.step;
        default:
            return DefWindowProcA(hwnd, msg, wParam, lParam);
    }
}

}  // namespace plenvo::headless
