#pragma once
// The Explorer-style file-open dialog and the folder browser, answering full paths.

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace plenvo {

class CFileDialog {
public:
    // `filter` uses '|' between names and patterns ("PDF Files (*.pdf)|*.pdf||");
    // `bufferSize` is what the dialog may write its choice into, allocated for each run.
    CFileDialog(const char* extension, const char* initialName, DWORD options, const char* filterText,
                HWND ownerWindow, DWORD size);

    // IDOK when the user chose, IDCANCEL otherwise (see GetError).
    INT_PTR DoModal();
    // The chosen files' full paths in the order the dialog gave them.
    const std::vector<std::string>& GetPathNames() const { return paths; }
    // CommDlgExtendedError after the last run: 0 when the user cancelled,
    // FNERR_BUFFERTOOSMALL when the choice did not fit the buffer.
    DWORD GetError() const { return error; }

private:
    std::string defaultExt;
    std::string fileName;
    DWORD flags;
    std::string filter;
    HWND owner;
    DWORD bufferSize;
    std::vector<std::string> paths;
    DWORD error = 0;
};

// Splits what an Explorer-style dialog wrote into full paths: one path, or a folder
// followed by names, each terminated, the list ending with an empty string.
std::vector<std::string> SplitFileDialogResult(const char* buffer, std::size_t size);

// Asks for a folder; nothing when the user cancelled or the folder has no file-system
// path of at most MAX_PATH - 1 characters.
std::optional<std::string> BrowseForFolder(HWND owner, const char* title, UINT flags);

}  // namespace plenvo
