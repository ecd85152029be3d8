#include "framework/CommonDialogs.h"

#include <windows.h>

#include <commdlg.h>
#include <shlobj.h>

#include "framework/Paths.h"

namespace plenvo {

CFileDialog::CFileDialog(const char* extension, const char* initialName, DWORD options, const char* filterText,
                         HWND ownerWindow, DWORD size)
    : defaultExt(extension != nullptr ? extension : ""),
      fileName(initialName != nullptr ? initialName : ""),
      flags(options),
      filter(filterText != nullptr ? filterText : ""),
      owner(ownerWindow),
      bufferSize(size < 2 ? 2 : size) {
    // The dialog wants its filter as strings separated by zero bytes.
    for (char& c : filter) {
        if (c == '|') {
            c = '\0';
        }
    }
    filter.push_back('\0');
}

INT_PTR CFileDialog::DoModal() {
    paths.clear();
    std::vector<char> buffer(bufferSize, '\0');
    fileName.copy(buffer.data(), std::min<std::size_t>(fileName.size(), bufferSize - 1));
    OPENFILENAMEA ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = owner;
    ofn.lpstrFilter = filter.size() > 1 ? filter.c_str() : nullptr;
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = buffer.data();
    ofn.nMaxFile = bufferSize;
    ofn.lpstrDefExt = defaultExt.empty() ? nullptr : defaultExt.c_str();
    ofn.Flags = flags;
    const BOOL chosen = ::GetOpenFileNameA(&ofn);
    error = chosen ? 0 : ::CommDlgExtendedError();
    if (!chosen) {
        return IDCANCEL;
    }
    paths = SplitFileDialogResult(buffer.data(), buffer.size());
    return IDOK;
}

std::vector<std::string> SplitFileDialogResult(const char* buffer, std::size_t size) {
    std::vector<std::string> parts;
    std::size_t pos = 0;
    while (pos < size && buffer[pos] != '\0') {
        std::size_t end = pos;
        while (end < size && buffer[end] != '\0') {
            ++end;
        }
        parts.emplace_back(buffer + pos, end - pos);
        pos = end + 1;
    }
    if (parts.size() <= 1) {
        return parts;
    }
    const std::string folder = WithTrailingSeparator(parts[0]);
    std::vector<std::string> paths;
    for (std::size_t i = 1; i < parts.size(); ++i) {
        paths.push_back(folder + parts[i]);
    }
    return paths;
}

std::optional<std::string> BrowseForFolder(HWND owner, const char* title, UINT flags) {
    BROWSEINFOA info{};
    info.hwndOwner = owner;
    info.lpszTitle = title;
    info.ulFlags = flags;
    PIDLIST_ABSOLUTE list = ::SHBrowseForFolderA(&info);
    if (list == nullptr) {
        return std::nullopt;
    }
    char path[MAX_PATH] = {};
    const BOOL found = ::SHGetPathFromIDListA(list, path);
    ::CoTaskMemFree(list);
    if (!found) {
        return std::nullopt;
    }
    return std::string(path);
}

}  // namespace plenvo
