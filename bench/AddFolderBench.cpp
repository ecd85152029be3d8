// Adding a folder of 100,000 PDF files to the batch dialog, through the dialog as a person
// does it (Add Folder..., pick the folder), against a floor measured in the same run: the
// same enumeration with FindFirstFileA and the same rows appended to a list view, with no
// duplicate test at all.

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>

#include <windows.h>

#include <commctrl.h>

#include "HostControl.h"
#include "RatioReporter.h"
#include "framework/Paths.h"
#include "headless/UserDriver.h"
#include "plugin/PlenvoApp.h"
#include "ui/Commands.h"
#include "ui/resource.h"

namespace {

using Clock = std::chrono::steady_clock;
namespace fs = std::filesystem;

constexpr int kFiles = 100000;

struct Corpus {
    fs::path root;
    fs::path folder;

    Corpus() {
        root = fs::temp_directory_path() / ("plenvo-bench-" + std::to_string(::getpid()));
        folder = root / "archive";
        fs::create_directories(folder);
        for (int i = 0; i < kFiles; ++i) {
            std::ofstream(folder / ("document-" + std::to_string(i) + ".pdf"));
        }
        // Settings go to a registry file of the run's own.
        ::setenv("XDG_CONFIG_HOME", root.c_str(), 1);
    }
    ~Corpus() {
        std::error_code ignored;
        fs::remove_all(root, ignored);
    }
};

Corpus& TheCorpus() {
    static Corpus corpus;
    return corpus;
}

void AddFolderThroughTheDialog(benchmark::State& state) {
    const std::string folder = TheCorpus().folder.string();
    for (auto _ : state) {
        Clock::time_point start;
        Clock::time_point end;
        LRESULT rows = 0;
        plenvo::headless::ScriptedDriver driver;
        driver
            .Then([&](HWND d) {
                start = Clock::now();
                plenvo::headless::Click(d, IDC_ADD_FOLDER);
            })
            .Then([&](HWND browser) { plenvo::headless::AnswerFolderBrowser(browser, folder); })
            .Then([&](HWND d) {
                end = Clock::now();
                rows = SendDlgItemMessageA(d, IDC_FILE_LIST, LVM_GETITEMCOUNT, 0, 0);
                plenvo::headless::Click(d, IDCANCEL);
            });
        plenvo::headless::DriverScope scope(driver);
        plenvo::RunBatchCommand();
        if (rows != kFiles) {
            state.SkipWithError("the dialog did not list every file");
            return;
        }
        state.SetIterationTime(std::chrono::duration<double>(end - start).count());
    }
}

void EnumerateIntoAListView(benchmark::State& state) {
    const std::string base = plenvo::WithTrailingSeparator(TheCorpus().folder.string());
    for (auto _ : state) {
        const Clock::time_point start = Clock::now();
        HWND list = CreateWindowExA(0, WC_LISTVIEWA, "", WS_CHILD | LVS_REPORT, 0, 0, 100, 100,
                                    plenvo::hostapp::MainWindow(), nullptr, nullptr, nullptr);
        WIN32_FIND_DATAA entry{};
        HANDLE find = FindFirstFileA((base + "*.*").c_str(), &entry);
        int count = 0;
        do {
            if (entry.cFileName[0] == '.') continue;
            const std::string path = base + entry.cFileName;
            LVITEMA item{};
            item.mask = LVIF_TEXT;
            item.iItem = count++;
            item.pszText = const_cast<char*>(path.c_str());
            SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
        } while (FindNextFileA(find, &entry));
        FindClose(find);
        DestroyWindow(list);
        state.SetIterationTime(std::chrono::duration<double>(Clock::now() - start).count());
        if (count != kFiles) {
            state.SkipWithError("the enumeration missed files");
            return;
        }
    }
}

}  // namespace

int main(int argc, char** argv) {
    plenvo::CPlenvoApp app;
    plenvo::hostapp::ResetHost();
    plenvo::hostapp::GrantAllTables(plenvo::host::gHostState);
    plenvo::hostapp::MainWindow();
    TheCorpus();
    using Run = void (*)(benchmark::State&);
    for (const auto& [name, run] : {std::pair<const char*, Run>{"AddFolderThroughTheDialog", AddFolderThroughTheDialog},
                                    std::pair<const char*, Run>{"EnumerateIntoAListView", EnumerateIntoAListView}}) {
        benchmark::RegisterBenchmark(name, run)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(5);
    }
    const std::string suffix = "/iterations:5/manual_time";
    return plenvo::bench::RunWithRatios(
        argc, argv, {{"AddFolderThroughTheDialog" + suffix, "EnumerateIntoAListView" + suffix}}, 1.5);
}
