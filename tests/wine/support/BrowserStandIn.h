#pragma once
// Makes url_recorder.exe, found beside the test program, the program that opens web
// addresses in place of the browser, for the life of the object, and reads back what the
// shell handed it. The recorder is registered for the verb "open" only, so an address it
// records was opened with that verb.

#include <string>
#include <vector>

namespace plenvo::wine {

class BrowserStandIn {
public:
    BrowserStandIn();
    ~BrowserStandIn();
    BrowserStandIn(const BrowserStandIn&) = delete;
    BrowserStandIn& operator=(const BrowserStandIn&) = delete;

    // The arguments of the one opening since the last call; empty when none came in time.
    std::vector<std::string> TakeOpened();

private:
    std::string record_;
};

// The folder of the running program, with a backslash at its end.
std::string ProgramFolder();

}  // namespace plenvo::wine
