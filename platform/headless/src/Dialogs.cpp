// Dialogs: templates registered per module, creation from a template, the default dialog
// procedure, the dialog manager's keyboard rules, modal loops and the message box.

#include <dlfcn.h>

#include <algorithm>
#include <map>
#include <memory>
#include <utility>
#include <mutex>

#include "Internal.h"
#include "ResourceScript.h"
#include "Window.h"

namespace plenvo::headless {
namespace {

struct Registration {
    const void* anchor;
    HMODULE module;
    std::vector<DialogTemplate> dialogs;
};

std::mutex g_templateMutex;
std::vector<Registration> g_registrations;

UserDriver* g_driver = nullptr;
std::mutex g_stallMutex;
std::vector<std::string> g_stalls;
thread_local bool t_inDriver = false;
thread_local std::vector<HWND> t_modalStack;

std::optional<DialogTemplate> FindTemplate(HINSTANCE instance, LPCSTR name) {
    std::lock_guard lock(g_templateMutex);
    for (const Registration& r : g_registrations) {
        if (r.module != instance) continue;
        for (const DialogTemplate& d : r.dialogs) {
            if (IS_INTRESOURCE(name) ? d.id == static_cast<int>(reinterpret_cast<ULONG_PTR>(name))
                                     : (d.id < 0 && d.name == FoldCase(name))) {
                return d;
            }
        }
    }
    return std::nullopt;
}

RECT ToPixels(const RECT& units) {
    // left, top, width, height in dialog units, as a template gives them
    return RECT{units.left * 6 / 4, units.top * 13 / 8, (units.left + units.right) * 6 / 4,
                (units.top + units.bottom) * 13 / 8};
}

HWND CreateFromItems(WindowKind kind, const std::string& caption, DWORD style, DWORD exStyle,
                     const RECT& unitRect, const std::vector<ItemTemplate>& items, HINSTANCE instance,
                     HWND owner, DLGPROC proc, LPARAM param) {
    const RECT pixels = ToPixels(unitRect);
    HWND dialog = CreateWindowExA(exStyle, "#32770", caption.c_str(), style & ~static_cast<DWORD>(WS_VISIBLE | WS_CHILD),
                                  pixels.left, pixels.top, pixels.right - pixels.left,
                                  pixels.bottom - pixels.top, TopLevelOf(owner), nullptr, instance, nullptr);
    if (dialog == nullptr) return nullptr;
    Window* w = FindWindowRecord(dialog);
    w->kind = kind;
    w->unitRect = unitRect;
    for (const ItemTemplate& item : items) {
        const RECT r = ToPixels(item.rect);
        HWND control = CreateWindowExA(item.exStyle, item.className.c_str(), item.text.c_str(),
                                       item.style | WS_CHILD, r.left, r.top, r.right - r.left, r.bottom - r.top,
                                       dialog, reinterpret_cast<HMENU>(static_cast<INT_PTR>(item.id)), instance, nullptr);
        if (control == nullptr) {
            const DWORD error = GetLastError();
            DestroyWindow(dialog);
            SetLastError(error);
            return nullptr;
        }
        FindWindowRecord(control)->unitRect = item.rect;
    }
    w = FindWindowRecord(dialog);
    w->dialogProc = proc;
    // The dialog procedure may give the focus away itself by answering FALSE.
    HWND first = GetNextDlgTabItem(dialog, nullptr, FALSE);
    if (SendMessageA(dialog, WM_INITDIALOG, reinterpret_cast<WPARAM>(first), param) != 0 && IsWindow(dialog)) {
        first = GetNextDlgTabItem(dialog, nullptr, FALSE);
        if (first != nullptr) {
            if ((SendMessageA(first, WM_GETDLGCODE, 0, 0) & DLGC_HASSETSEL) != 0) SendMessageA(first, EM_SETSEL, 0, -1);
            SetFocus(first);
        }
    }
    return IsWindow(dialog) ? dialog : nullptr;
}

void EnableOwnerAgain(Window* w) {
    if (w->owner != nullptr && w->ownerWasEnabled) {
        w->ownerWasEnabled = false;
        EnableWindow(w->owner, TRUE);
    }
}

// Puts the focus back where it was in the window that becomes active again.
// As on Windows, the owner becomes the active window again, so the next modal window the
// program opens without naming an owner gets the same one.
void RestoreFocus(HWND owner, HWND saved) {
    if (owner == nullptr || !IsWindow(owner)) return;
    SetActiveWindow(owner);
    if (IsWindow(saved) && IsWindowEnabled(saved) && TopLevelOf(saved) == owner) {
        SetFocus(saved);
        return;
    }
    if (FindWindowRecord(owner)->className == "#32770") {
        if (HWND first = GetNextDlgTabItem(owner, nullptr, FALSE)) SetFocus(first);
    }
}

// Runs a created dialog modally: owner disabled, loop, owner enabled, dialog destroyed.
INT_PTR RunDialog(HWND dialog, INT_PTR stalled) {
    Window* w = FindWindowRecord(dialog);
    const HWND owner = w->owner;
    const HWND savedFocus = w->savedFocus;
    if (!w->ended) {
        if (owner != nullptr && IsWindowEnabled(owner)) {
            w->ownerWasEnabled = true;
            EnableWindow(owner, FALSE);
        }
        ShowWindow(dialog, SW_SHOW);
    }
    const bool finished = RunModalLoop(dialog);
    INT_PTR result = stalled;
    if (Window* after = FindWindowRecord(dialog)) {
        if (finished) result = after->result;
        EnableOwnerAgain(after);
        DestroyWindow(dialog);
    }
    RestoreFocus(owner, savedFocus);
    return result;
}

int ButtonIdOfKey(HWND dialog, HWND focus) {
    if (focus != nullptr && IsChild(dialog, focus) &&
        (SendMessageA(focus, WM_GETDLGCODE, 0, 0) & (DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON)) != 0) {
        return GetDlgCtrlID(focus);
    }
    return 0;
}

}  // namespace

bool RegisterResourceScript(const void* anchor, std::span<const ScriptFile> files, std::string* error) {
    auto dialogs = ParseResourceScript(files, error);
    Dl_info info{};
    if (!dialogs || ::dladdr(anchor, &info) == 0) {
        if (dialogs && error != nullptr) *error = "the script's module cannot be found";
        return false;
    }
    std::lock_guard lock(g_templateMutex);
    g_registrations.push_back({anchor, static_cast<HMODULE>(info.dli_fbase), std::move(*dialogs)});
    return true;
}

void UnregisterResourceScript(const void* anchor) {
    std::lock_guard lock(g_templateMutex);
    std::erase_if(g_registrations, [&](const Registration& r) { return r.anchor == anchor; });
}

bool AskDriver(Moment moment, HWND top) {
    if (g_driver == nullptr || t_inDriver) return false;
    if (top == nullptr && !t_modalStack.empty()) top = t_modalStack.back();
    t_inDriver = true;
    bool acted = false;
    try {
        acted = g_driver->Act(moment, top);
    } catch (...) {
        acted = false;
    }
    t_inDriver = false;
    return acted;
}

void RecordStall(HWND window) {
    std::lock_guard lock(g_stallMutex);
    g_stalls.push_back(Caption(window));
}

UserDriver* InstallUserDriver(UserDriver* driver) {
    UserDriver* previous = g_driver;
    g_driver = driver;
    return previous;
}

std::vector<std::string> TakeStalls() {
    std::lock_guard lock(g_stallMutex);
    return std::exchange(g_stalls, {});
}

bool RunModalLoop(HWND dialog) {
    t_modalStack.push_back(dialog);
    bool finished = true;
    while (true) {
        Window* w = FindWindowRecord(dialog);
        if (w == nullptr || w->ended) break;
        MSG msg;
        if (TakeMessage(msg, nullptr, 0, 0, true)) {
            if (msg.message == WM_QUIT) {
                PostQuitMessage(static_cast<int>(msg.wParam));
                break;
            }
            if (!IsDialogMessageA(dialog, &msg)) {
                TranslateMessage(&msg);
                DispatchMessageA(&msg);
            }
            continue;
        }
        if (!AskDriver(Moment::ModalLoopIdle, dialog)) {
            // Nobody will ever answer: give up rather than wait for ever.
            RecordStall(dialog);
            finished = false;
            break;
        }
    }
    t_modalStack.pop_back();
    return finished;
}

HWND CreateBuiltDialog(WindowKind kind, const std::string& caption, DWORD style,
                       const std::vector<BuiltItem>& items, HWND owner, DLGPROC proc, LPARAM param) {
    std::vector<ItemTemplate> templates;
    RECT bounds{0, 0, 0, 0};
    for (const BuiltItem& b : items) {
        templates.push_back(ItemTemplate{b.className, b.text, b.id, b.style | WS_CHILD | WS_VISIBLE, 0, b.unitRect});
        bounds.right = std::max(bounds.right, b.unitRect.left + b.unitRect.right + 7);
        bounds.bottom = std::max(bounds.bottom, b.unitRect.top + b.unitRect.bottom + 7);
    }
    const HWND focus = GetFocus();
    HWND dialog = CreateFromItems(kind, caption, style | WS_POPUP | WS_CAPTION | WS_SYSMENU, 0, bounds, templates,
                                  nullptr, owner, proc, param);
    if (dialog != nullptr) FindWindowRecord(dialog)->savedFocus = focus;
    return dialog;
}

INT_PTR RunBuiltDialog(HWND dialog, INT_PTR stalled) { return RunDialog(dialog, stalled); }

// ---- The default dialog procedure ---------------------------------------------------------

LRESULT CALLBACK DialogWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    Window* w = FindWindowRecord(hwnd);
    if (w->dialogProc != nullptr) {
        w->messageResult = 0;
        const INT_PTR handled = w->dialogProc(hwnd, msg, wParam, lParam);
        w = FindWindowRecord(hwnd);
        if (w == nullptr) return handled;
        if (msg == WM_INITDIALOG) return handled;
        if (handled != 0) return w->messageResult;
    }
    switch (msg) {
        case WM_CLOSE: {
            // The close box means Cancel, unless the Cancel button is disabled.
            HWND cancel = GetDlgItem(hwnd, IDCANCEL);
            if (cancel != nullptr && !IsWindowEnabled(cancel)) {
                MessageBeep(0);
                return 0;
            }
            PostMessageA(hwnd, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), reinterpret_cast<LPARAM>(cancel));
            return 0;
        }
        case DM_GETDEFID: {
            if (w->defaultId != 0) return MAKELONG(w->defaultId, DC_HASDEFID);
            for (HWND child : w->children) {
                Window* c = FindWindowRecord(child);
                if (EqualsNoCase(c->className, "Button") && (c->style & BS_TYPEMASK) == BS_DEFPUSHBUTTON) {
                    return MAKELONG(c->id, DC_HASDEFID);
                }
            }
            return 0;
        }
        case DM_SETDEFID:
            w->defaultId = static_cast<int>(wParam);
            return TRUE;
        case WM_NEXTDLGCTL: {
            HWND target = lParam != 0 ? reinterpret_cast<HWND>(wParam)
                                      : GetNextDlgTabItem(hwnd, GetFocus(), wParam != 0 ? TRUE : FALSE);
            if (target != nullptr) SetFocus(target);
            return 0;
        }
        default:
            return DefWindowProcA(hwnd, msg, wParam, lParam);
    }
}

}  // namespace plenvo::headless

using namespace plenvo::headless;

INT_PTR WINAPI DialogBoxParamA(HINSTANCE hInstance, LPCSTR lpTemplateName, HWND hWndParent,
                               DLGPROC lpDialogFunc, LPARAM dwInitParam) {
    const auto found = FindTemplate(hInstance, lpTemplateName);
    if (!found) {
        SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
        return -1;
    }
    const HWND focus = GetFocus();
    HWND dialog = CreateFromItems(WindowKind::Dialog, found->caption, found->style, found->exStyle, found->rect,
                                  found->items, hInstance, hWndParent, lpDialogFunc, dwInitParam);
    if (dialog == nullptr) {
        if (GetLastError() == ERROR_SUCCESS) SetLastError(ERROR_INVALID_PARAMETER);
        return -1;
    }
    FindWindowRecord(dialog)->savedFocus = focus;
    return RunDialog(dialog, -1);
}

BOOL WINAPI EndDialog(HWND hDlg, INT_PTR nResult) {
    Window* w = FindWindowRecord(hDlg);
    if (w == nullptr || w->className != "#32770") {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    w->result = nResult;
    w->ended = true;
    // As on Windows: the owner works again and the dialog disappears at once; the window
    // itself lives until its modal loop returns.
    EnableOwnerAgain(w);
    ShowWindow(hDlg, SW_HIDE);
    PostMessageA(hDlg, WM_NULL, 0, 0);
    return TRUE;
}

BOOL WINAPI IsDialogMessageA(HWND hDlg, LPMSG lpMsg) {
    if (lpMsg == nullptr || FindWindowRecord(hDlg) == nullptr ||
        (lpMsg->hwnd != hDlg && !IsChild(hDlg, lpMsg->hwnd))) {
        return FALSE;
    }
    if (lpMsg->message == WM_KEYDOWN) {
        const LRESULT code = SendMessageA(lpMsg->hwnd, WM_GETDLGCODE, lpMsg->wParam, reinterpret_cast<LPARAM>(lpMsg));
        if ((code & DLGC_WANTMESSAGE) == 0) {
            switch (lpMsg->wParam) {
                case VK_TAB:
                    if ((code & DLGC_WANTTAB) == 0) {
                        SendMessageA(hDlg, WM_NEXTDLGCTL, 0, 0);
                        return TRUE;
                    }
                    break;
                case VK_ESCAPE:
                    SendMessageA(hDlg, WM_COMMAND, IDCANCEL, reinterpret_cast<LPARAM>(GetDlgItem(hDlg, IDCANCEL)));
                    return TRUE;
                case VK_RETURN: {
                    // A focused push button is pressed; otherwise the default button is.
                    const HWND focus = GetFocus();
                    if (const int id = ButtonIdOfKey(hDlg, focus); id != 0) {
                        SendMessageA(hDlg, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(focus));
                        return TRUE;
                    }
                    const LRESULT def = SendMessageA(hDlg, DM_GETDEFID, 0, 0);
                    if (HIWORD(def) == DC_HASDEFID) {
                        HWND button = GetDlgItem(hDlg, LOWORD(def));
                        if (button == nullptr || IsWindowEnabled(button)) {
                            SendMessageA(hDlg, WM_COMMAND, MAKEWPARAM(LOWORD(def), BN_CLICKED), reinterpret_cast<LPARAM>(button));
                        }
                    } else {
                        SendMessageA(hDlg, WM_COMMAND, IDOK, reinterpret_cast<LPARAM>(GetDlgItem(hDlg, IDOK)));
                    }
                    return TRUE;
                }
                default:
                    break;
            }
        }
    }
    TranslateMessage(lpMsg);
    DispatchMessageA(lpMsg);
    return TRUE;
}

HWND WINAPI GetDlgItem(HWND hDlg, int nIDDlgItem) {
    Window* w = FindWindowRecord(hDlg);
    if (w == nullptr) return nullptr;
    for (HWND child : w->children) {
        if (FindWindowRecord(child)->id == nIDDlgItem) return child;
    }
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return nullptr;
}

int WINAPI GetDlgCtrlID(HWND hWnd) {
    Window* w = FindWindowRecord(hWnd);
    return w != nullptr && w->parent != nullptr ? w->id : 0;
}

LRESULT WINAPI SendDlgItemMessageA(HWND hDlg, int nIDDlgItem, UINT Msg, WPARAM wParam, LPARAM lParam) {
    HWND item = GetDlgItem(hDlg, nIDDlgItem);
    return item != nullptr ? SendMessageA(item, Msg, wParam, lParam) : 0;
}

BOOL WINAPI SetDlgItemTextA(HWND hDlg, int nIDDlgItem, LPCSTR lpString) {
    return SetWindowTextA(GetDlgItem(hDlg, nIDDlgItem), lpString);
}

UINT WINAPI GetDlgItemTextA(HWND hDlg, int nIDDlgItem, LPSTR lpString, int cchMax) {
    HWND item = GetDlgItem(hDlg, nIDDlgItem);
    if (item == nullptr) {
        if (lpString != nullptr && cchMax > 0) lpString[0] = '\0';
        return 0;
    }
    return static_cast<UINT>(GetWindowTextA(item, lpString, cchMax));
}

BOOL WINAPI CheckDlgButton(HWND hDlg, int nIDButton, UINT uCheck) {
    HWND item = GetDlgItem(hDlg, nIDButton);
    if (item == nullptr) return FALSE;
    SendMessageA(item, BM_SETCHECK, uCheck, 0);
    return TRUE;
}

UINT WINAPI IsDlgButtonChecked(HWND hDlg, int nIDButton) {
    return static_cast<UINT>(SendDlgItemMessageA(hDlg, nIDButton, BM_GETCHECK, 0, 0));
}

HWND WINAPI GetNextDlgTabItem(HWND hDlg, HWND hCtl, BOOL bPrevious) {
    Window* w = FindWindowRecord(hDlg);
    if (w == nullptr || w->children.empty()) return nullptr;
    std::vector<HWND> order = w->children;
    if (bPrevious) std::reverse(order.begin(), order.end());
    auto start = std::find(order.begin(), order.end(), hCtl);
    const std::size_t begin = start == order.end() ? 0 : static_cast<std::size_t>(start - order.begin()) + 1;
    for (std::size_t i = 0; i < order.size(); ++i) {
        HWND candidate = order[(begin + i) % order.size()];
        Window* c = FindWindowRecord(candidate);
        if ((c->style & WS_TABSTOP) != 0 && (c->style & (WS_VISIBLE | WS_DISABLED)) == WS_VISIBLE) {
            return candidate;
        }
    }
    return hCtl;
}

// ---- The message box ------------------------------------------------------------------------

namespace {

struct MessageBoxData {
    UINT type;
    std::vector<int> buttons;
};

INT_PTR CALLBACK MessageBoxProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM) {
    if (msg == WM_INITDIALOG) return TRUE;
    if (msg != WM_COMMAND || HIWORD(wParam) != BN_CLICKED) return FALSE;
    const auto* data = std::any_cast<MessageBoxData>(&FindWindowRecord(hwnd)->dialogData);
    const int id = LOWORD(wParam);
    const auto& buttons = data->buttons;
    auto has = [&](int b) { return std::find(buttons.begin(), buttons.end(), b) != buttons.end(); };
    if (has(id)) {
        EndDialog(hwnd, id);
    } else if (id == IDCANCEL && buttons.size() == 1 && buttons[0] == IDOK) {
        // Escape closes a box that offers only OK, answering OK.
        EndDialog(hwnd, IDOK);
    }
    return TRUE;
}

}  // namespace

namespace plenvo::headless {
UINT MessageBoxType(HWND box) {
    Window* w = FindWindowRecord(box);
    const auto* data = w != nullptr ? std::any_cast<MessageBoxData>(&w->dialogData) : nullptr;
    return data != nullptr ? data->type : 0;
}
}  // namespace plenvo::headless

int WINAPI MessageBoxA(HWND hWnd, LPCSTR lpText, LPCSTR lpCaption, UINT uType) {
    std::vector<std::pair<int, const char*>> buttons;
    switch (uType & MB_TYPEMASK) {
        case MB_OK: buttons = {{IDOK, "OK"}}; break;
        case MB_OKCANCEL: buttons = {{IDOK, "OK"}, {IDCANCEL, "Cancel"}}; break;
        case MB_ABORTRETRYIGNORE: buttons = {{IDABORT, "&Abort"}, {IDRETRY, "&Retry"}, {IDIGNORE, "&Ignore"}}; break;
        case MB_YESNOCANCEL: buttons = {{IDYES, "&Yes"}, {IDNO, "&No"}, {IDCANCEL, "Cancel"}}; break;
        case MB_YESNO: buttons = {{IDYES, "&Yes"}, {IDNO, "&No"}}; break;
        case MB_RETRYCANCEL: buttons = {{IDRETRY, "&Retry"}, {IDCANCEL, "Cancel"}}; break;
        case MB_CANCELTRYCONTINUE: buttons = {{IDCANCEL, "Cancel"}, {IDTRYAGAIN, "&Try Again"}, {IDCONTINUE, "&Continue"}}; break;
        default: SetLastError(ERROR_INVALID_PARAMETER); return 0;
    }
    if (hWnd != nullptr && !IsWindow(hWnd)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    const std::size_t defaultIndex = std::min<std::size_t>((uType & MB_DEFMASK) >> 8, buttons.size() - 1);
    std::vector<BuiltItem> items;
    items.push_back({"Static", lpText != nullptr ? lpText : "", 0xFFFF, SS_LEFT | SS_NOPREFIX, RECT{7, 7, 200, 40}});
    MessageBoxData data{uType, {}};
    for (std::size_t i = 0; i < buttons.size(); ++i) {
        const DWORD kind = i == defaultIndex ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON;
        items.push_back({"Button", buttons[i].second, buttons[i].first, kind | WS_TABSTOP,
                         RECT{static_cast<LONG>(7 + 55 * i), 54, 50, 14}});
        data.buttons.push_back(buttons[i].first);
    }
    // The default button takes the focus, so Enter answers it.
    std::swap(items[1], items[1 + defaultIndex]);
    HWND box = CreateBuiltDialog(WindowKind::MessageBox, lpCaption != nullptr ? lpCaption : "Error", DS_MODALFRAME,
                                 items, hWnd, MessageBoxProc, 0);
    if (box == nullptr) return 0;
    FindWindowRecord(box)->dialogData = data;
    return static_cast<int>(RunBuiltDialog(box, 0));
}
