// Window records, window classes, the message queue and keyboard focus.

#include <commctrl.h>

#include <algorithm>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <unordered_map>

#include "Internal.h"
#include "Window.h"

namespace plenvo::headless {
namespace {

std::unordered_map<HWND, std::unique_ptr<Window>> g_windows;
std::uintptr_t g_nextHandle = 0x10010;

struct ClassRecord {
    std::string name;
    WNDPROC proc;
};
std::vector<ClassRecord> g_classes = {
    {"Button", ButtonProc},           {"Static", StaticProc},
    {"Edit", EditProc},               {"ComboBox", ComboBoxProc},
    {WC_LISTVIEWA, ListViewProc},     {PROGRESS_CLASSA, ProgressProc},
    {"#32770", DialogWindowProc},
};

struct QueuedMessage {
    MSG msg;
    DWORD thread;
};
std::mutex g_queueMutex;
std::deque<QueuedMessage> g_queue;  // every thread's messages, each taken only by its own
std::map<std::string, UINT> g_registered;
UINT g_nextRegistered = 0xC000;

thread_local HWND t_focus = nullptr;
thread_local HWND t_active = nullptr;

const ClassRecord* FindClass(std::string_view name) {
    for (const ClassRecord& c : g_classes) {
        if (EqualsNoCase(c.name, name)) {
            return &c;
        }
    }
    return nullptr;
}

bool IsDescendant(HWND ancestor, HWND window) {
    for (Window* w = FindWindowRecord(window); w != nullptr; w = FindWindowRecord(w->parent)) {
        if (w->parent == ancestor) {
            return true;
        }
    }
    return false;
}

void Forget(HWND handle) {
    if (t_focus == handle) t_focus = nullptr;
    if (t_active == handle) t_active = nullptr;
    std::lock_guard lock(g_queueMutex);
    std::erase_if(g_queue, [&](const QueuedMessage& q) { return q.msg.hwnd == handle; });
}

}  // namespace

Window* FindWindowRecord(HWND handle) {
    if (handle == nullptr) return nullptr;
    auto it = g_windows.find(handle);
    return it == g_windows.end() ? nullptr : it->second.get();
}

HWND TopLevelOf(HWND handle) {
    Window* w = FindWindowRecord(handle);
    while (w != nullptr && w->parent != nullptr) {
        w = FindWindowRecord(w->parent);
    }
    return w != nullptr ? w->handle : nullptr;
}

void NotifyParent(HWND control, WORD code) {
    Window* w = FindWindowRecord(control);
    if (w != nullptr && w->parent != nullptr) {
        SendMessageA(w->parent, WM_COMMAND, MAKEWPARAM(w->id, code), reinterpret_cast<LPARAM>(control));
    }
}

UINT PickMessage() {
    static const UINT message = RegisterWindowMessageA("PlenvoHeadlessPickEntry");
    return message;
}

UINT RowClickMessage() {
    static const UINT message = RegisterWindowMessageA("PlenvoHeadlessRowClick");
    return message;
}

bool TakeMessage(MSG& msg, HWND filter, UINT first, UINT last, bool remove) {
    std::lock_guard lock(g_queueMutex);
    const DWORD thread = GetCurrentThreadId();
    for (auto it = g_queue.begin(); it != g_queue.end(); ++it) {
        if (it->thread != thread) continue;
        const MSG& m = it->msg;
        if (filter == reinterpret_cast<HWND>(-1)) {
            if (m.hwnd != nullptr) continue;
        } else if (filter != nullptr && m.hwnd != filter && !IsDescendant(filter, m.hwnd)) {
            continue;
        }
        if ((first != 0 || last != 0) && (m.message < first || m.message > last)) continue;
        msg = m;
        if (remove) g_queue.erase(it);
        return true;
    }
    return false;
}

int CountWindows() { return static_cast<int>(g_windows.size()); }

}  // namespace plenvo::headless

using namespace plenvo::headless;

// ---- Classes and windows ------------------------------------------------------------------

ATOM WINAPI RegisterClassExA(const WNDCLASSEXA* lpwcx) {
    if (lpwcx == nullptr || lpwcx->cbSize != sizeof(WNDCLASSEXA) || lpwcx->lpszClassName == nullptr ||
        lpwcx->lpfnWndProc == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    if (FindClass(lpwcx->lpszClassName) != nullptr) {
        SetLastError(1410);  // ERROR_CLASS_ALREADY_EXISTS
        return 0;
    }
    g_classes.push_back({lpwcx->lpszClassName, lpwcx->lpfnWndProc});
    return static_cast<ATOM>(0xC000 + g_classes.size());
}

HWND WINAPI CreateWindowExA(DWORD dwExStyle, LPCSTR lpClassName, LPCSTR lpWindowName, DWORD dwStyle,
                            int X, int Y, int nWidth, int nHeight, HWND hWndParent, HMENU hMenu,
                            HINSTANCE hInstance, LPVOID lpParam) {
    const ClassRecord* cls = lpClassName != nullptr ? FindClass(lpClassName) : nullptr;
    if (cls == nullptr) {
        SetLastError(ERROR_CANNOT_FIND_WND_CLASS);
        return nullptr;
    }
    const bool child = (dwStyle & WS_CHILD) != 0;
    if ((child && FindWindowRecord(hWndParent) == nullptr) ||
        (hWndParent != nullptr && FindWindowRecord(hWndParent) == nullptr)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return nullptr;
    }
    auto window = std::make_unique<Window>();
    HWND handle = reinterpret_cast<HWND>(g_nextHandle);
    g_nextHandle += 0x10;
    window->handle = handle;
    window->className = cls->name;
    window->proc = cls->proc;
    window->style = dwStyle;
    window->exStyle = dwExStyle;
    window->text = lpWindowName != nullptr ? lpWindowName : "";
    window->rect = RECT{X, Y, X + nWidth, Y + nHeight};
    window->instance = hInstance;
    window->thread = GetCurrentThreadId();
    if (child) {
        window->parent = hWndParent;
        window->id = static_cast<int>(reinterpret_cast<INT_PTR>(hMenu));
        FindWindowRecord(hWndParent)->children.push_back(handle);
    } else {
        window->owner = TopLevelOf(hWndParent);
    }
    g_windows.emplace(handle, std::move(window));
    CREATESTRUCTA create{lpParam, hInstance, hMenu, hWndParent, nHeight, nWidth, Y, X,
                         static_cast<LONG>(dwStyle), lpWindowName, lpClassName, dwExStyle};
    if (SendMessageA(handle, WM_NCCREATE, 0, reinterpret_cast<LPARAM>(&create)) == FALSE ||
        SendMessageA(handle, WM_CREATE, 0, reinterpret_cast<LPARAM>(&create)) == -1) {
        DestroyWindow(handle);
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    return handle;
}

BOOL WINAPI DestroyWindow(HWND hWnd) {
    Window* w = FindWindowRecord(hWnd);
    if (w == nullptr) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    if (w->destroying) {
        return TRUE;
    }
    w->destroying = true;
    // Windows it owns go first, as on Windows.
    std::vector<HWND> owned;
    for (const auto& [handle, other] : g_windows) {
        if (other->owner == hWnd && !other->destroying) owned.push_back(handle);
    }
    for (HWND o : owned) DestroyWindow(o);
    if (t_focus == hWnd || IsDescendant(hWnd, t_focus)) t_focus = nullptr;
    SendMessageA(hWnd, WM_DESTROY, 0, 0);
    const std::vector<HWND> children = FindWindowRecord(hWnd)->children;
    for (HWND c : children) DestroyWindow(c);
    SendMessageA(hWnd, WM_NCDESTROY, 0, 0);
    w = FindWindowRecord(hWnd);
    if (Window* parent = FindWindowRecord(w->parent)) {
        std::erase(parent->children, hWnd);
    }
    Forget(hWnd);
    g_windows.erase(hWnd);
    return TRUE;
}

LRESULT WINAPI DefWindowProcA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
    Window* w = FindWindowRecord(hWnd);
    if (w == nullptr) return 0;
    switch (Msg) {
        case WM_NCCREATE:
            return TRUE;
        case WM_SETTEXT:
            w->text = lParam != 0 ? reinterpret_cast<const char*>(lParam) : "";
            return TRUE;
        case WM_GETTEXT:
            return CopyOut(w->text, reinterpret_cast<char*>(lParam), static_cast<int>(wParam));
        case WM_GETTEXTLENGTH:
            return static_cast<LRESULT>(w->text.size());
        case WM_SYSCOMMAND:
            if ((wParam & 0xFFF0) == SC_CLOSE) SendMessageA(hWnd, WM_CLOSE, 0, 0);
            return 0;
        case WM_CLOSE:
            DestroyWindow(hWnd);
            return 0;
        default:
            return 0;
    }
}

BOOL WINAPI IsWindow(HWND hWnd) { return FindWindowRecord(hWnd) != nullptr ? TRUE : FALSE; }

BOOL WINAPI IsChild(HWND hWndParent, HWND hWnd) { return IsDescendant(hWndParent, hWnd) ? TRUE : FALSE; }

HWND WINAPI GetParent(HWND hWnd) {
    Window* w = FindWindowRecord(hWnd);
    if (w == nullptr) return nullptr;
    return w->parent != nullptr ? w->parent : w->owner;
}

HWND WINAPI GetWindow(HWND hWnd, UINT uCmd) {
    Window* w = FindWindowRecord(hWnd);
    if (w == nullptr) return nullptr;
    if (uCmd == GW_OWNER) return w->owner;
    if (uCmd == GW_CHILD) return w->children.empty() ? nullptr : w->children.front();
    Window* parent = FindWindowRecord(w->parent);
    if (parent == nullptr) return nullptr;
    auto& siblings = parent->children;
    auto it = std::find(siblings.begin(), siblings.end(), hWnd);
    switch (uCmd) {
        case GW_HWNDFIRST: return siblings.front();
        case GW_HWNDLAST: return siblings.back();
        case GW_HWNDNEXT: return it + 1 != siblings.end() ? *(it + 1) : nullptr;
        case GW_HWNDPREV: return it != siblings.begin() ? *(it - 1) : nullptr;
        default: return nullptr;
    }
}

HWND WINAPI GetAncestor(HWND hwnd, UINT gaFlags) {
    Window* w = FindWindowRecord(hwnd);
    if (w == nullptr) return nullptr;
    if (gaFlags == GA_PARENT) return w->parent;
    HWND root = TopLevelOf(hwnd);
    if (gaFlags == GA_ROOTOWNER) {
        while (Window* r = FindWindowRecord(root)) {
            if (r->owner == nullptr) break;
            root = r->owner;
        }
    }
    return root;
}

int WINAPI GetClassNameA(HWND hWnd, LPSTR lpClassName, int nMaxCount) {
    Window* w = FindWindowRecord(hWnd);
    if (w == nullptr) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    return CopyOut(w->className, lpClassName, nMaxCount);
}

LONG_PTR WINAPI GetWindowLongPtrA(HWND hWnd, int nIndex) {
    Window* w = FindWindowRecord(hWnd);
    if (w == nullptr) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    const bool dialog = w->className == "#32770";
    switch (nIndex) {
        case GWL_STYLE: return static_cast<LONG>(w->style);
        case GWL_EXSTYLE: return static_cast<LONG>(w->exStyle);
        case GWLP_WNDPROC: return reinterpret_cast<LONG_PTR>(w->proc);
        case GWLP_HINSTANCE: return reinterpret_cast<LONG_PTR>(w->instance);
        case GWLP_HWNDPARENT: return reinterpret_cast<LONG_PTR>(w->parent != nullptr ? w->parent : w->owner);
        case GWLP_USERDATA: return w->userData;
        case GWLP_ID: return w->id;
        default: break;
    }
    if (dialog && nIndex == static_cast<int>(DWLP_MSGRESULT)) return w->messageResult;
    if (dialog && nIndex == static_cast<int>(DWLP_DLGPROC)) return reinterpret_cast<LONG_PTR>(w->dialogProc);
    if (dialog && nIndex == static_cast<int>(DWLP_USER)) return w->dialogUser;
    SetLastError(1413);  // ERROR_INVALID_INDEX
    return 0;
}

LONG_PTR WINAPI SetWindowLongPtrA(HWND hWnd, int nIndex, LONG_PTR dwNewLong) {
    Window* w = FindWindowRecord(hWnd);
    if (w == nullptr) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    const LONG_PTR old = GetWindowLongPtrA(hWnd, nIndex);
    const bool dialog = w->className == "#32770";
    switch (nIndex) {
        case GWL_STYLE: w->style = static_cast<DWORD>(dwNewLong); return old;
        case GWL_EXSTYLE: w->exStyle = static_cast<DWORD>(dwNewLong); return old;
        case GWLP_WNDPROC: w->proc = reinterpret_cast<WNDPROC>(dwNewLong); return old;
        case GWLP_USERDATA: w->userData = dwNewLong; return old;
        case GWLP_ID: w->id = static_cast<int>(dwNewLong); return old;
        default: break;
    }
    if (dialog && nIndex == static_cast<int>(DWLP_MSGRESULT)) { w->messageResult = dwNewLong; return old; }
    if (dialog && nIndex == static_cast<int>(DWLP_DLGPROC)) { w->dialogProc = reinterpret_cast<DLGPROC>(dwNewLong); return old; }
    if (dialog && nIndex == static_cast<int>(DWLP_USER)) { w->dialogUser = dwNewLong; return old; }
    SetLastError(1413);
    return 0;
}

LONG WINAPI GetWindowLongA(HWND hWnd, int nIndex) { return static_cast<LONG>(GetWindowLongPtrA(hWnd, nIndex)); }

LONG WINAPI SetWindowLongA(HWND hWnd, int nIndex, LONG dwNewLong) {
    return static_cast<LONG>(SetWindowLongPtrA(hWnd, nIndex, dwNewLong));
}

BOOL WINAPI EnableWindow(HWND hWnd, BOOL bEnable) {
    Window* w = FindWindowRecord(hWnd);
    if (w == nullptr) return FALSE;
    const BOOL wasDisabled = (w->style & WS_DISABLED) != 0 ? TRUE : FALSE;
    if (bEnable) {
        w->style &= ~static_cast<DWORD>(WS_DISABLED);
    } else {
        w->style |= WS_DISABLED;
        // A disabled window cannot keep the keyboard focus.
        if (t_focus == hWnd || IsDescendant(hWnd, t_focus)) SetFocus(nullptr);
    }
    if (wasDisabled != !bEnable) SendMessageA(hWnd, WM_ENABLE, bEnable ? TRUE : FALSE, 0);
    return wasDisabled;
}

BOOL WINAPI IsWindowEnabled(HWND hWnd) {
    Window* w = FindWindowRecord(hWnd);
    return w != nullptr && (w->style & WS_DISABLED) == 0 ? TRUE : FALSE;
}

BOOL WINAPI ShowWindow(HWND hWnd, int nCmdShow) {
    Window* w = FindWindowRecord(hWnd);
    if (w == nullptr) return FALSE;
    const BOOL wasVisible = (w->style & WS_VISIBLE) != 0 ? TRUE : FALSE;
    if (nCmdShow == SW_HIDE) {
        w->style &= ~static_cast<DWORD>(WS_VISIBLE);
        if (t_focus == hWnd || IsDescendant(hWnd, t_focus)) SetFocus(nullptr);
    } else {
        w->style |= WS_VISIBLE;
        if (w->parent == nullptr) t_active = hWnd;
    }
    return wasVisible;
}

BOOL WINAPI IsWindowVisible(HWND hWnd) {
    for (Window* w = FindWindowRecord(hWnd); w != nullptr; w = FindWindowRecord(w->parent)) {
        if ((w->style & WS_VISIBLE) == 0) return FALSE;
    }
    return FindWindowRecord(hWnd) != nullptr ? TRUE : FALSE;
}

HWND WINAPI SetFocus(HWND hWnd) {
    const HWND previous = t_focus;
    if (hWnd != nullptr && FindWindowRecord(hWnd) == nullptr) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return nullptr;
    }
    if (hWnd == previous) return previous;
    if (previous != nullptr) SendMessageA(previous, WM_KILLFOCUS, reinterpret_cast<WPARAM>(hWnd), 0);
    t_focus = hWnd;
    if (hWnd != nullptr) {
        t_active = TopLevelOf(hWnd);
        SendMessageA(hWnd, WM_SETFOCUS, reinterpret_cast<WPARAM>(previous), 0);
    }
    return previous;
}

HWND WINAPI GetFocus(void) { return t_focus; }

HWND WINAPI GetActiveWindow(void) { return IsWindow(t_active) ? t_active : nullptr; }

HWND WINAPI SetActiveWindow(HWND hWnd) {
    const HWND previous = GetActiveWindow();
    if (FindWindowRecord(hWnd) != nullptr) t_active = TopLevelOf(hWnd);
    return previous;
}

BOOL WINAPI SetWindowTextA(HWND hWnd, LPCSTR lpString) {
    if (FindWindowRecord(hWnd) == nullptr) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    return SendMessageA(hWnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(lpString)) != 0 ? TRUE : FALSE;
}

int WINAPI GetWindowTextA(HWND hWnd, LPSTR lpString, int nMaxCount) {
    if (lpString != nullptr && nMaxCount > 0) lpString[0] = '\0';
    if (FindWindowRecord(hWnd) == nullptr) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    return static_cast<int>(SendMessageA(hWnd, WM_GETTEXT, static_cast<WPARAM>(nMaxCount),
                                         reinterpret_cast<LPARAM>(lpString)));
}

int WINAPI GetWindowTextLengthA(HWND hWnd) {
    return static_cast<int>(SendMessageA(hWnd, WM_GETTEXTLENGTH, 0, 0));
}

BOOL WINAPI GetWindowRect(HWND hWnd, LPRECT lpRect) {
    Window* w = FindWindowRecord(hWnd);
    if (w == nullptr || lpRect == nullptr) return FALSE;
    *lpRect = w->rect;
    return TRUE;
}

BOOL WINAPI MapDialogRect(HWND hDlg, LPRECT lpRect) {
    if (FindWindowRecord(hDlg) == nullptr || lpRect == nullptr) return FALSE;
    // Base units of an 8-point "MS Shell Dlg" at 96 dots per inch.
    lpRect->left = lpRect->left * 6 / 4;
    lpRect->right = lpRect->right * 6 / 4;
    lpRect->top = lpRect->top * 13 / 8;
    lpRect->bottom = lpRect->bottom * 13 / 8;
    return TRUE;
}

// ---- Messages ------------------------------------------------------------------------------

LRESULT WINAPI SendMessageA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
    Window* w = FindWindowRecord(hWnd);
    if (w == nullptr || w->proc == nullptr) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    return w->proc(hWnd, Msg, wParam, lParam);
}

BOOL WINAPI PostMessageA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
    DWORD thread = GetCurrentThreadId();
    if (hWnd != nullptr) {
        Window* w = FindWindowRecord(hWnd);
        if (w == nullptr) {
            SetLastError(ERROR_INVALID_WINDOW_HANDLE);
            return FALSE;
        }
        thread = w->thread;
    }
    std::lock_guard lock(g_queueMutex);
    g_queue.push_back({MSG{hWnd, Msg, wParam, lParam, 0, POINT{0, 0}}, thread});
    return TRUE;
}

BOOL WINAPI PostThreadMessageA(DWORD idThread, UINT Msg, WPARAM wParam, LPARAM lParam) {
    std::lock_guard lock(g_queueMutex);
    g_queue.push_back({MSG{nullptr, Msg, wParam, lParam, 0, POINT{0, 0}}, idThread});
    return TRUE;
}

void WINAPI PostQuitMessage(int nExitCode) { PostMessageA(nullptr, WM_QUIT, static_cast<WPARAM>(nExitCode), 0); }

BOOL WINAPI PeekMessageA(LPMSG lpMsg, HWND hWnd, UINT wMsgFilterMin, UINT wMsgFilterMax, UINT wRemoveMsg) {
    if (lpMsg == nullptr) return FALSE;
    const bool remove = (wRemoveMsg & PM_REMOVE) != 0;
    if (TakeMessage(*lpMsg, hWnd, wMsgFilterMin, wMsgFilterMax, remove)) return TRUE;
    // The user may act while the program is busy; what they do arrives in the queue.
    if (AskDriver(Moment::QueueEmpty, nullptr)) {
        return TakeMessage(*lpMsg, hWnd, wMsgFilterMin, wMsgFilterMax, remove) ? TRUE : FALSE;
    }
    return FALSE;
}

BOOL WINAPI TranslateMessage(const MSG* lpMsg) {
    if (lpMsg == nullptr || lpMsg->message != WM_KEYDOWN) return FALSE;
    const auto key = static_cast<UINT>(lpMsg->wParam);
    char c = 0;
    if (key == VK_BACK || key == VK_TAB || key == VK_RETURN || key == VK_ESCAPE || key == VK_SPACE ||
        (key >= '0' && key <= '9')) {
        c = static_cast<char>(key);
    } else if (key >= 'A' && key <= 'Z') {
        c = static_cast<char>(key - 'A' + 'a');
    } else {
        return FALSE;
    }
    PostMessageA(lpMsg->hwnd, WM_CHAR, static_cast<WPARAM>(static_cast<unsigned char>(c)), lpMsg->lParam);
    return TRUE;
}

LRESULT WINAPI DispatchMessageA(const MSG* lpMsg) {
    if (lpMsg == nullptr || lpMsg->hwnd == nullptr) return 0;
    return SendMessageA(lpMsg->hwnd, lpMsg->message, lpMsg->wParam, lpMsg->lParam);
}

UINT WINAPI RegisterWindowMessageA(LPCSTR lpString) {
    if (lpString == nullptr || lpString[0] == '\0') {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    std::lock_guard lock(g_queueMutex);
    auto [it, inserted] = g_registered.try_emplace(FoldCase(lpString), g_nextRegistered);
    if (inserted) ++g_nextRegistered;
    return it->second;
}

BOOL WINAPI MessageBeep(UINT) { return TRUE; }

void WINAPI InitCommonControls(void) {}

BOOL WINAPI InitCommonControlsEx(const INITCOMMONCONTROLSEX* picce) {
    return picce != nullptr && picce->dwSize == sizeof(INITCOMMONCONTROLSEX) ? TRUE : FALSE;
}
