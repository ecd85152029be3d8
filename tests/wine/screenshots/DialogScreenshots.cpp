// Takes the README's pictures of both dialogs as the stand-in viewer shows them under
// Wine, with realistic content, and writes each as a 24-bit BMP file into the folder named
// on the command line (scripts/screenshots.sh turns them into PNG files):
//
//     dialog_screenshots.exe FOLDER
//
// The module is loaded from the plug-ins folder beside the program, as the viewer does,
// and driven through real messages as a person would. Exit status 0 when both pictures
// were written.

#include <windows.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "HostControl.h"
#include "HostControl_memory.h"
#include "Viewer.h"
#include "support/UserActions.h"
#include "support/WindowScript.h"
#include "ui/resource.h"
#include "xmp/XmpWriter.h"

namespace {

using namespace plenvo::wine;

constexpr const char* kSingleCaption = "TDM Reservation (Text and Data Mining)";
constexpr const char* kBatchCaption = "TDM Reservation (Text and Data Mining) - Batch Processing";
const std::string kFolder = "C:\\Reports";
const std::string kPolicy = "https://example.com/tdm-policy.json";
// What the stamped documents already carry: short enough for the list's column.
const std::string kEarlierPolicy = "https://example.com/tdm.json";

std::string g_output;
int g_written = 0;
bool g_failed = false;

void Fail(const std::string& why) {
    std::fprintf(stderr, "dialog_screenshots: %s\n", why.c_str());
    g_failed = true;
}

// Lets whatever waits in the queue run, painting included, for a moment.
void Settle() {
    const ULONGLONG until = GetTickCount64() + 300;
    while (GetTickCount64() < until) {
        MSG message{};
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        Sleep(10);
    }
}

// The window as it stands on the screen, frame and all.
void Capture(HWND window, const std::string& name) {
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN | RDW_FRAME);
    Settle();
    RECT rect{};
    GetWindowRect(window, &rect);
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY);
    SelectObject(memory, old);

    BITMAPINFOHEADER info{};
    info.biSize = sizeof info;
    info.biWidth = width;
    info.biHeight = height;  // bottom-up, as BMP files keep their rows
    info.biPlanes = 1;
    info.biBitCount = 24;
    info.biCompression = BI_RGB;
    const std::size_t stride = (static_cast<std::size_t>(width) * 3 + 3) & ~std::size_t{3};
    std::vector<char> pixels(stride * static_cast<std::size_t>(height));
    const int rows = GetDIBits(memory, bitmap, 0, static_cast<UINT>(height), pixels.data(),
                               reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    if (rows != height) {
        Fail("cannot read the screen for " + name);
        return;
    }

    BITMAPFILEHEADER file{};
    file.bfType = 0x4D42;  // "BM"
    file.bfOffBits = sizeof file + sizeof info;
    file.bfSize = static_cast<DWORD>(file.bfOffBits + pixels.size());
    const std::string path = g_output + "\\" + name + ".bmp";
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(&file), sizeof file);
    out.write(reinterpret_cast<const char*>(&info), sizeof info);
    out.write(pixels.data(), static_cast<std::streamsize>(pixels.size()));
    if (!out) {
        Fail("cannot write " + path);
        return;
    }
    ++g_written;
}

// A document the viewer holds, and a file of its name for the file-open dialog to show.
void MakeDocument(const std::string& name, int reservation, const std::string& policy) {
    const std::string path = kFolder + "\\" + name;
    plenvo::hostapp::MemoryDocument document;
    if (reservation >= 0) document.metadata = plenvo::InsertTdmDescriptions("", reservation, policy, true);
    plenvo::hostapp::StoreDocument(path, document);
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) Fail("cannot make " + path);
    CloseHandle(file);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: dialog_screenshots FOLDER\n");
        return 2;
    }
    g_output = argv[1];
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);

    CreateDirectoryA(kFolder.c_str(), nullptr);
    const std::vector<std::string> names = {"annual-report-2024.pdf", "board-minutes.pdf", "press-kit.pdf",
                                            "research-summary.pdf", "style-guide.pdf"};
    MakeDocument(names[0], 1, kEarlierPolicy);
    // At the column's 80 pixels "0 (not reserved)" shows cut short, so the picture keeps to
    // values that fit.
    MakeDocument(names[1], 1, "");
    MakeDocument(names[2], -1, "");
    MakeDocument(names[3], 1, kEarlierPolicy);
    MakeDocument(names[4], -1, "");

    plenvo::hostapp::Viewer viewer;
    if (viewer.LoadPlugins(plenvo::hostapp::DefaultPluginsFolder()) != 1) {
        Fail("the module did not load");
        return 1;
    }
    HWND mainWindow = plenvo::hostapp::MainWindow();
    MoveWindow(mainWindow, 0, 0, 1100, 800, TRUE);
    plenvo::hostapp::OpenView(kFolder + "\\" + names[0]);

    WindowScript script;
    // The single-document dialog over a document stamped before: its status, and the
    // choices it offers again.
    script.Then(kSingleCaption, [](HWND d) { Capture(d, "single-document-dialog"); });
    script.Then(kSingleCaption, [](HWND d) { Click(d, IDCANCEL); });
    // The batch dialog with five files added and checked.
    script.Then(kBatchCaption, [](HWND d) { Click(d, IDC_ADD_FILES); });
    script.Then("Open", [&](HWND picker) { ChooseFiles(picker, kFolder, names); });
    script.Then(kBatchCaption, [](HWND d) { Click(d, IDC_CHECK_STATUS); });
    script.Then(kBatchCaption, [](HWND d) {
        PickEntry(d, IDC_BATCH_RESERVATION, 1);
        TypeText(d, IDC_BATCH_POLICY, kPolicy);
        // The focus where a person leaves it before applying, not on a button just clicked.
        SetFocus(GetDlgItem(d, IDC_FILE_LIST));
    });
    script.Then(kBatchCaption, [](HWND d) { Capture(d, "batch-dialog"); });
    script.Then(kBatchCaption, [](HWND d) { Click(d, IDCANCEL); });

    if (plenvo::hostapp::PickMenuItem("TDM Reservation...") != plenvo::hostapp::PickResult::kRan ||
        plenvo::hostapp::PickMenuItem("TDM Reservation (Batch)...") != plenvo::hostapp::PickResult::kRan) {
        Fail("a command did not run");
    }
    for (const std::string& stall : script.TakeStalls()) Fail(stall);
    if (script.Remaining() != 0) Fail("the dialogs did not come up as expected");
    return !g_failed && g_written == 2 ? 0 : 1;
}
