// The common dialogs without a screen: the Explorer-style file-open dialog and the folder
// browser. Each is a real modal dialog whose name box the user driver types into, so what
// a person may type (a folder to go to, several quoted names) behaves as on Windows.

#include <commdlg.h>
#include <dlgs.h>
#include <shlobj.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstring>
#include <string>
#include <vector>

#include "Internal.h"
#include "Window.h"

namespace plenvo::headless {
namespace {

constexpr int kFilterCombo = 0x0470;  // cmb1
constexpr int kFolderEdit = 0x3744;
constexpr int kFolderText = stc1;

thread_local DWORD t_dialogError = 0;

bool IsFolder(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool IsFile(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

std::string CurrentFolder() {
    char buffer[PATH_MAX];
    return ::getcwd(buffer, sizeof buffer) != nullptr ? buffer : "/";
}

std::string Resolve(const std::string& folder, const std::string& name) {
    if (!name.empty() && name.front() == '/') return name;
    return folder == "/" ? "/" + name : folder + "/" + name;
}

std::string ParentOf(const std::string& path) {
    const std::size_t cut = path.rfind('/');
    if (cut == std::string::npos) return ".";
    return cut == 0 ? "/" : path.substr(0, cut);
}

std::string NameOf(const std::string& path) {
    const std::size_t cut = path.rfind('/');
    return cut == std::string::npos ? path : path.substr(cut + 1);
}

std::string Trim(std::string text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string::npos) return "";
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

// Names typed into the box: one name, or several in double quotes.
std::vector<std::string> SplitNames(const std::string& text) {
    std::vector<std::string> names;
    if (text.empty() || text.front() != '"') {
        if (!text.empty()) names.push_back(text);
        return names;
    }
    std::size_t pos = 0;
    while ((pos = text.find('"', pos)) != std::string::npos) {
        const std::size_t end = text.find('"', pos + 1);
        if (end == std::string::npos) break;
        if (end > pos + 1) names.push_back(text.substr(pos + 1, end - pos - 1));
        pos = end + 1;
    }
    return names;
}

struct OpenData {
    OPENFILENAMEA* ofn;
    std::string folder;
};

std::string ItemText(HWND dialog, int id) {
    HWND item = GetDlgItem(dialog, id);
    std::string text(static_cast<std::size_t>(GetWindowTextLengthA(item)) + 1, '\0');
    text.resize(static_cast<std::size_t>(GetWindowTextA(item, text.data(), static_cast<int>(text.size()))));
    return text;
}

void ShowFolder(HWND dialog, const std::string& folder) { SetDlgItemTextA(dialog, kFolderText, folder.c_str()); }

// Writes the choice into the caller's buffer in the Explorer form: one full path, or the
// folder followed by each name, every string terminated and one more terminator at the end.
bool WriteChoice(OPENFILENAMEA& ofn, const std::string& folder, const std::vector<std::string>& names) {
    std::string out;
    WORD fileOffset = 0;
    WORD extension = 0;
    if (names.size() == 1) {
        const std::string path = Resolve(folder, names[0]);
        out = path;
        fileOffset = static_cast<WORD>(path.size() - NameOf(path).size());
        const std::size_t dot = NameOf(path).rfind('.');
        extension = dot == std::string::npos ? 0 : static_cast<WORD>(fileOffset + dot + 1);
        out += '\0';
    } else {
        out = folder;
        out += '\0';
        fileOffset = static_cast<WORD>(out.size());
        for (const std::string& name : names) {
            out += name;
            out += '\0';
        }
    }
    out += '\0';
    if (out.size() > ofn.nMaxFile) {
        if (ofn.nMaxFile >= 2) {
            const auto needed = static_cast<WORD>(std::min<std::size_t>(out.size(), 0xFFFF));
            std::memcpy(ofn.lpstrFile, &needed, sizeof needed);
        }
        t_dialogError = FNERR_BUFFERTOOSMALL;
        return false;
    }
    std::memcpy(ofn.lpstrFile, out.data(), out.size());
    ofn.nFileOffset = fileOffset;
    ofn.nFileExtension = extension;
    return true;
}

INT_PTR CALLBACK OpenDialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM) {
    if (msg == WM_INITDIALOG) return TRUE;
    if (msg != WM_COMMAND || HIWORD(wParam) != BN_CLICKED) return FALSE;
    auto* data = std::any_cast<OpenData>(&FindWindowRecord(hwnd)->dialogData);
    OPENFILENAMEA& ofn = *data->ofn;
    if (LOWORD(wParam) == IDCANCEL) {
        EndDialog(hwnd, IDCANCEL);
        return TRUE;
    }
    if (LOWORD(wParam) != IDOK) return FALSE;
    std::vector<std::string> names = SplitNames(Trim(ItemText(hwnd, edt1)));
    if (names.empty()) return TRUE;
    // One name that is a folder opens that folder.
    if (names.size() == 1 && IsFolder(Resolve(data->folder, names[0]))) {
        data->folder = Resolve(data->folder, names[0]);
        ShowFolder(hwnd, data->folder);
        SetDlgItemTextA(hwnd, edt1, "");
        return TRUE;
    }
    const bool several = names.size() > 1;
    std::string folder = data->folder;
    if (!several) {
        folder = ParentOf(Resolve(data->folder, names[0]));
        names[0] = NameOf(Resolve(data->folder, names[0]));
    }
    for (std::string& name : names) {
        const std::string path = Resolve(folder, name);
        const bool wrongPlace = several && ParentOf(path) != folder;
        std::string chosen = path;
        if (!wrongPlace && !IsFile(chosen) && ofn.lpstrDefExt != nullptr && ofn.lpstrDefExt[0] != '\0' &&
            NameOf(chosen).find('.') == std::string::npos) {
            chosen += std::string(".") + ofn.lpstrDefExt;
        }
        if (wrongPlace || ((ofn.Flags & OFN_FILEMUSTEXIST) != 0 && !IsFile(chosen))) {
            const std::string text = name + "\nFile not found.\nCheck the file name and try again.";
            MessageBoxA(hwnd, text.c_str(), Caption(hwnd).c_str(), MB_OK | MB_ICONWARNING);
            return TRUE;
        }
        name = NameOf(chosen);
    }
    if (several && (ofn.Flags & OFN_ALLOWMULTISELECT) == 0) {
        MessageBoxA(hwnd, "Only one file can be chosen.", Caption(hwnd).c_str(), MB_OK | MB_ICONWARNING);
        return TRUE;
    }
    const LRESULT filter = SendDlgItemMessageA(hwnd, kFilterCombo, CB_GETCURSEL, 0, 0);
    if (filter >= 0) ofn.nFilterIndex = static_cast<DWORD>(filter + 1);
    EndDialog(hwnd, WriteChoice(ofn, folder, names) ? IDOK : IDABORT);
    return TRUE;
}

}  // namespace
}  // namespace plenvo::headless

using namespace plenvo::headless;

BOOL WINAPI GetOpenFileNameA(LPOPENFILENAMEA lpofn) {
    t_dialogError = 0;
    if (lpofn == nullptr || lpofn->lStructSize != sizeof(OPENFILENAMEA)) {
        t_dialogError = CDERR_STRUCTSIZE;
        return FALSE;
    }
    if (lpofn->lpstrFile == nullptr || lpofn->nMaxFile == 0) {
        t_dialogError = CDERR_INITIALIZATION;
        return FALSE;
    }
    std::string folder = lpofn->lpstrInitialDir != nullptr && IsFolder(lpofn->lpstrInitialDir)
                             ? std::string(lpofn->lpstrInitialDir)
                             : CurrentFolder();
    const std::vector<BuiltItem> items = {
        {"Static", "Look in:", -1, SS_LEFT, RECT{7, 7, 40, 8}},
        {"Static", folder, kFolderText, SS_LEFT, RECT{50, 7, 250, 8}},
        {"Static", "File name:", -1, SS_LEFT, RECT{7, 24, 40, 8}},
        {"Edit", lpofn->lpstrFile, edt1, ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, RECT{50, 22, 250, 14}},
        {"Static", "Files of type:", -1, SS_LEFT, RECT{7, 42, 40, 8}},
        {"ComboBox", "", kFilterCombo, CBS_DROPDOWNLIST | WS_TABSTOP, RECT{50, 40, 250, 80}},
        {"Button", "&Open", IDOK, BS_DEFPUSHBUTTON | WS_TABSTOP, RECT{196, 60, 50, 14}},
        {"Button", "Cancel", IDCANCEL, BS_PUSHBUTTON | WS_TABSTOP, RECT{250, 60, 50, 14}},
    };
    HWND dialog = CreateBuiltDialog(WindowKind::FileOpen, lpofn->lpstrTitle != nullptr ? lpofn->lpstrTitle : "Open",
                                    DS_MODALFRAME, items, lpofn->hwndOwner, OpenDialogProc, 0);
    if (dialog == nullptr) {
        t_dialogError = CDERR_DIALOGFAILURE;
        return FALSE;
    }
    // The name box holds whatever the user selects in the folder, as Explorer's does, so a
    // selection is limited by the caller's buffer and not by the box.
    SendDlgItemMessageA(dialog, edt1, EM_LIMITTEXT, 0, 0);
    // Filters come in pairs of a name and its patterns; the list ends with an empty name.
    if (const char* filter = lpofn->lpstrFilter) {
        while (*filter != '\0') {
            SendDlgItemMessageA(dialog, kFilterCombo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(filter));
            filter += std::strlen(filter) + 1;
            if (*filter == '\0') break;
            filter += std::strlen(filter) + 1;
        }
        const DWORD index = lpofn->nFilterIndex == 0 ? 1 : lpofn->nFilterIndex;
        SendDlgItemMessageA(dialog, kFilterCombo, CB_SETCURSEL, index - 1, 0);
    }
    FindWindowRecord(dialog)->dialogData = OpenData{lpofn, folder};
    const INT_PTR result = RunBuiltDialog(dialog, IDCANCEL);
    return result == IDOK ? TRUE : FALSE;
}

DWORD WINAPI CommDlgExtendedError(void) { return t_dialogError; }

namespace {

INT_PTR CALLBACK FolderDialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM) {
    if (msg == WM_INITDIALOG) return TRUE;
    if (msg != WM_COMMAND || HIWORD(wParam) != BN_CLICKED) return FALSE;
    if (LOWORD(wParam) == IDCANCEL) {
        EndDialog(hwnd, IDCANCEL);
        return TRUE;
    }
    if (LOWORD(wParam) != IDOK) return FALSE;
    const std::string path = Resolve(CurrentFolder(), Trim(ItemText(hwnd, kFolderEdit)));
    if (!IsFolder(path)) {
        const std::string text = path + "\nThis folder cannot be found.";
        MessageBoxA(hwnd, text.c_str(), Caption(hwnd).c_str(), MB_OK | MB_ICONWARNING);
        return TRUE;
    }
    **std::any_cast<std::string*>(&FindWindowRecord(hwnd)->dialogData) = path;
    EndDialog(hwnd, IDOK);
    return TRUE;
}

}  // namespace

PIDLIST_ABSOLUTE WINAPI SHBrowseForFolderA(LPBROWSEINFOA lpbi) {
    if (lpbi == nullptr) return nullptr;
    const std::vector<BuiltItem> items = {
        {"Static", lpbi->lpszTitle != nullptr ? lpbi->lpszTitle : "", -1, SS_LEFT, RECT{7, 7, 250, 16}},
        {"Static", "Folder:", -1, SS_LEFT, RECT{7, 30, 30, 8}},
        {"Edit", "", kFolderEdit, ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, RECT{40, 28, 217, 14}},
        {"Button", "OK", IDOK, BS_DEFPUSHBUTTON | WS_TABSTOP, RECT{153, 50, 50, 14}},
        {"Button", "Cancel", IDCANCEL, BS_PUSHBUTTON | WS_TABSTOP, RECT{207, 50, 50, 14}},
    };
    HWND dialog = CreateBuiltDialog(WindowKind::FolderBrowser, "Browse For Folder", DS_MODALFRAME, items,
                                    lpbi->hwndOwner, FolderDialogProc, 0);
    if (dialog == nullptr) return nullptr;
    // The choice is written here before the dialog is destroyed.
    std::string chosen;
    FindWindowRecord(dialog)->dialogData = &chosen;
    RunBuiltDialog(dialog, IDCANCEL);
    if (chosen.empty()) return nullptr;
    if (lpbi->pszDisplayName != nullptr) CopyOut(NameOf(chosen).empty() ? chosen : NameOf(chosen), lpbi->pszDisplayName, MAX_PATH);
    // One item holding the path, then the empty item that ends the list.
    const std::size_t itemSize = sizeof(USHORT) + chosen.size() + 1;
    auto* list = static_cast<BYTE*>(CoTaskMemAlloc(itemSize + sizeof(USHORT)));
    if (list == nullptr) return nullptr;
    const auto cb = static_cast<USHORT>(itemSize);
    std::memcpy(list, &cb, sizeof cb);
    std::memcpy(list + sizeof cb, chosen.c_str(), chosen.size() + 1);
    const USHORT end = 0;
    std::memcpy(list + itemSize, &end, sizeof end);
    return reinterpret_cast<PIDLIST_ABSOLUTE>(list);
}

BOOL WINAPI SHGetPathFromIDListA(PCIDLIST_ABSOLUTE pidl, LPSTR pszPath) {
    if (pidl == nullptr || pszPath == nullptr) return FALSE;
    const auto* bytes = reinterpret_cast<const BYTE*>(pidl);
    USHORT cb = 0;
    std::memcpy(&cb, bytes, sizeof cb);
    if (cb <= sizeof cb) return FALSE;
    const char* path = reinterpret_cast<const char*>(bytes + sizeof cb);
    // The buffer is MAX_PATH characters; a longer path is not handed out.
    if (std::strlen(path) >= MAX_PATH) {
        pszPath[0] = '\0';
        return FALSE;
    }
    std::strcpy(pszPath, path);
    return TRUE;
}
