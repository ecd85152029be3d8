#include "Arguments.h"

#include <cstdio>
#include <fstream>
#include <iostream>
#include <map>
#include <string_view>

namespace plenvo::cli {
namespace {

constexpr const char* kOverview =
    "Usage: plenvo COMMAND [OPTIONS] [PATH...]\n"
    "\n"
    "Marks PDF files with the TDM Reservation Protocol (TDMRep) through the Plenvo plug-in:\n"
    "whether text-and-data-mining rights are reserved, and where the TDM policy lives.\n"
    "\n"
    "Commands:\n"
    "  apply   stamp files and folders of PDF files with a reservation and a policy\n"
    "  check   print each file's reservation and policy\n"
    "  remove  strip TDMRep from files and folders of PDF files\n"
    "  show    print one file's reservation and policy status\n"
    "  set     stamp one file\n"
    "  unset   strip TDMRep from one file\n"
    "  help    print the address of the user guide, or of the batch page\n"
    "\n"
    "'plenvo COMMAND --help' explains a command's options.\n"
    "\n"
    "Exit status: 0 when every file succeeded, 1 when a file failed, 2 for bad usage,\n"
    "an empty list of files, or a confirmation answered No.\n";

constexpr const char* kValueOptions =
    "  --reservation 0|1   1 reserves TDM rights, 0 signals that mining is permitted\n"
    "                      (default: the last applied choice, else 1)\n"
    "  --policy URL        the address of the machine-readable TDM policy; ignored with\n"
    "                      reservation 0 (default: the last applied choice)\n"
    "  --schema            also write the PDF/A extension schema (the default)\n"
    "  --no-schema         do not write the PDF/A extension schema\n";

constexpr const char* kListOptions =
    "  --no-subfolders     add only a folder's own files, not those of its subfolders\n"
    "  --files-from FILE   also add the paths listed in FILE, one a line ('-': standard input)\n";

constexpr const char* kYesOption =
    "  --yes               answer Yes to the confirmation; without it plenvo asks on the\n"
    "                      terminal, and answers No when standard input is not a terminal\n";

const std::map<std::string_view, std::string> kCommandHelp = {
    {"apply", std::string("Usage: plenvo apply [--reservation 0|1] [--policy URL] [--schema|--no-schema]\n"
                          "                    [--no-subfolders] [--yes] PATH...\n"
                          "\n"
                          "Stamps every PDF file named, and every PDF file in the folders named, with the\n"
                          "reservation and policy, then prints the summary. The choices become the defaults\n"
                          "when at least one file was stamped. Progress goes to standard error.\n"
                          "\n"
                          "Options:\n") +
                  kValueOptions + kListOptions + kYesOption},
    {"check", std::string("Usage: plenvo check [--no-subfolders] PATH...\n"
                          "\n"
                          "Prints one line for each file: its path, its reservation and its policy, separated\n"
                          "by tabs. Files are read, never changed.\n"
                          "\n"
                          "Options:\n") +
                  kListOptions},
    {"remove", std::string("Usage: plenvo remove [--no-subfolders] [--yes] PATH...\n"
                           "\n"
                           "Strips the reservation and the policy from every PDF file named, and every PDF\n"
                           "file in the folders named, then prints the summary.\n"
                           "\n"
                           "Options:\n") +
                   kListOptions + kYesOption},
    {"show", "Usage: plenvo show FILE\n"
             "\n"
             "Prints the file's reservation status and policy status, one a line.\n"},
    {"set", std::string("Usage: plenvo set FILE [--reservation 0|1] [--policy URL] [--schema|--no-schema]\n"
                        "\n"
                        "Stamps one file and saves it. Without options it applies what the file holds,\n"
                        "else the last applied choices.\n"
                        "\n"
                        "Options:\n") +
                kValueOptions},
    {"unset", "Usage: plenvo unset FILE\n"
              "\n"
              "Strips the reservation and the policy from one file and saves it.\n"},
    {"help", "Usage: plenvo help [batch]\n"
             "\n"
             "Prints the address of the user guide, or with 'batch' of the batch processing page.\n"},
};

const std::map<std::string_view, Command> kCommands = {
    {"apply", Command::kApply}, {"check", Command::kCheck}, {"remove", Command::kRemove},
    {"show", Command::kShow},   {"set", Command::kSet},     {"unset", Command::kUnset},
    {"help", Command::kHelp},
};

Parsed UsageError(const std::string& command, const std::string& problem) {
    std::cerr << "plenvo: " << problem << "\n"
              << "Try 'plenvo " << (command.empty() ? "" : command + " ") << "--help'.\n";
    return {};
}

bool ReadList(std::istream& in, std::vector<std::string>& paths) {
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!line.empty()) paths.push_back(line);
    }
    return !in.bad();
}

}  // namespace

Parsed ParseArguments(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty()) return UsageError("", "a command is missing");
    if (args[0] == "--help" || args[0] == "-h") {
        std::cout << kOverview;
        return {Parsed::Outcome::kPrintedHelp, {}};
    }
    const std::string name = args[0];
    const auto command = kCommands.find(name);
    if (command == kCommands.end()) return UsageError("", "unknown command '" + name + "'");

    Parsed parsed;
    Request& request = parsed.request;
    request.command = command->second;
    const bool list = request.command == Command::kApply || request.command == Command::kCheck ||
                      request.command == Command::kRemove;
    const bool values = request.command == Command::kApply || request.command == Command::kSet;
    const bool confirms = request.command == Command::kApply || request.command == Command::kRemove;

    std::vector<std::string> operands;
    bool optionsEnded = false;
    for (std::size_t i = 1; i < args.size(); ++i) {
        std::string arg = args[i];
        if (optionsEnded || arg.size() < 2 || arg[0] != '-') {
            operands.push_back(arg);
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }
        if (arg == "--help" || arg == "-h") {
            std::cout << kCommandHelp.at(name);
            return {Parsed::Outcome::kPrintedHelp, {}};
        }
        // "--name=value" and "--name value" are the same.
        std::optional<std::string> inlineValue;
        if (const std::size_t eq = arg.find('='); eq != std::string::npos && arg.starts_with("--")) {
            inlineValue = arg.substr(eq + 1);
            arg.resize(eq);
        }
        const auto value = [&]() -> std::optional<std::string> {
            if (inlineValue) return inlineValue;
            if (i + 1 < args.size()) return args[++i];
            return std::nullopt;
        };
        const auto flag = [&](bool allowed, auto apply) -> bool {
            if (!allowed || inlineValue) return false;
            apply();
            return true;
        };
        bool known = false;
        if (arg == "--reservation" && values) {
            const auto v = value();
            if (!v) return UsageError(name, "--reservation needs a value, 0 or 1");
            if (*v != "0" && *v != "1") return UsageError(name, "--reservation takes 0 or 1, not '" + *v + "'");
            request.reservation = *v == "1" ? 1 : 0;
            known = true;
        } else if (arg == "--policy" && values) {
            const auto v = value();
            if (!v) return UsageError(name, "--policy needs a URL");
            request.policy = *v;
            known = true;
        } else if (arg == "--files-from" && list) {
            const auto v = value();
            if (!v) return UsageError(name, "--files-from needs a file, or '-' for standard input");
            bool read = false;
            if (*v == "-") {
                read = ReadList(std::cin, operands);
            } else {
                std::ifstream in(*v);
                read = in && ReadList(in, operands);
            }
            if (!read) return UsageError(name, "cannot read the list of files '" + *v + "'");
            known = true;
        } else {
            known = flag(values && arg == "--schema", [&] { request.schema = true; }) ||
                    flag(values && arg == "--no-schema", [&] { request.schema = false; }) ||
                    flag(list && arg == "--no-subfolders", [&] { request.subfolders = false; }) ||
                    flag(confirms && arg == "--yes", [&] { request.yes = true; });
        }
        if (!known) return UsageError(name, "unknown option '" + args[i] + "' for " + name);
    }

    switch (request.command) {
        case Command::kApply:
        case Command::kCheck:
        case Command::kRemove:
            if (operands.empty()) return UsageError(name, "no file or folder given");
            break;
        case Command::kShow:
        case Command::kSet:
        case Command::kUnset:
            if (operands.size() != 1) return UsageError(name, name + " takes exactly one FILE");
            break;
        case Command::kHelp:
            if (operands.size() > 1 || (operands.size() == 1 && operands[0] != "batch")) {
                return UsageError(name, "help takes nothing, or 'batch'");
            }
            request.batchHelp = operands.size() == 1;
            operands.clear();
            break;
    }
    request.paths = std::move(operands);
    parsed.outcome = Parsed::Outcome::kRun;
    return parsed;
}

}  // namespace plenvo::cli
