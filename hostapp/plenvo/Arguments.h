#pragma once

// The plenvo command line: what a run was asked to do, parsed and checked before the
// viewer starts.

#include <optional>
#include <string>
#include <vector>

namespace plenvo::cli {

enum class Command { kApply, kCheck, kRemove, kShow, kSet, kUnset, kHelp };

struct Request {
    Command command = Command::kHelp;
    std::vector<std::string> paths;  // files and folders (one file for show, set and unset)
    std::optional<int> reservation;
    std::optional<std::string> policy;
    std::optional<bool> schema;
    bool subfolders = true;
    bool yes = false;
    bool batchHelp = false;  // help batch
};

struct Parsed {
    enum class Outcome { kRun, kPrintedHelp, kUsageError };
    Outcome outcome = Outcome::kUsageError;
    Request request;
};

// Parses argv; help texts go to standard output and usage errors to standard error.
// --files-from adds its lines to the paths here (reading standard input for "-").
Parsed ParseArguments(int argc, char** argv);

}  // namespace plenvo::cli
