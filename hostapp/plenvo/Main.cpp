// plenvo: the stand-in viewer's front end for people and scripts. It starts the viewer,
// loads its plug-ins, and drives the Plenvo plug-in's menu commands and dialogs.

#include <malloc.h>

#include <iostream>

#include "Arguments.h"
#include "HostControl.h"
#include "Sessions.h"
#include "Viewer.h"

int main(int argc, char** argv) {
    using namespace plenvo::cli;
    const Parsed parsed = ParseArguments(argc, argv);
    if (parsed.outcome == Parsed::Outcome::kPrintedHelp) return kSucceeded;
    if (parsed.outcome == Parsed::Outcome::kUsageError) return kNotDone;

    // A batch over large files frees and asks again for buffers of the same sizes for
    // every file: keep them in the heap rather than have the kernel map and zero fresh
    // pages each time.
    ::mallopt(M_MMAP_THRESHOLD, 256 * 1024 * 1024);
    ::mallopt(M_TRIM_THRESHOLD, 512 * 1024 * 1024);

    plenvo::hostapp::Viewer viewer(std::cerr);
    plenvo::hostapp::MainWindow();
    viewer.LoadPlugins(plenvo::hostapp::DefaultPluginsFolder());
    int result = kNotDone;
    switch (parsed.request.command) {
        case Command::kApply:
        case Command::kCheck:
        case Command::kRemove:
            result = RunBatch(parsed.request);
            break;
        case Command::kShow:
        case Command::kSet:
        case Command::kUnset:
            result = RunDocument(parsed.request);
            break;
        case Command::kHelp:
            result = RunHelp(parsed.request);
            break;
    }
    viewer.UnloadAll();
    std::cout << std::flush;
    return result;
}
