// Prints the XMP packet that applying TDMRep writes into a document that has no
// metadata yet, or, with --input, into the packet read from a file.

#include <cstdio>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>
#include <string_view>

#include <unistd.h>

#include "xmp/XmpText.h"
#include "xmp/XmpWriter.h"

namespace {

constexpr std::string_view kUsage =
    "usage: plenvo-packet [--reservation 0|1] [--policy URL] [--no-schema] [--input FILE]\n";

int Fail(std::string_view message) {
    std::cerr << "plenvo-packet: " << message << '\n' << kUsage;
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    int reservation = 1;
    std::string policy;
    bool includeSchema = true;
    std::string packet;

    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--help") {
            std::cout << kUsage;
            return 0;
        } else if (arg == "--reservation" && hasValue) {
            const std::string_view value = argv[++i];
            if (value != "0" && value != "1") return Fail("the reservation is 0 or 1");
            reservation = value == "1" ? 1 : 0;
        } else if (arg == "--policy" && hasValue) {
            policy = argv[++i];
        } else if (arg == "--no-schema") {
            includeSchema = false;
        } else if (arg == "--input" && hasValue) {
            std::ifstream in(argv[++i], std::ios::binary);
            if (!in) return Fail(std::string("cannot read ") + argv[i]);
            packet.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        } else {
            return Fail(std::string("unknown argument: ") + std::string(arg));
        }
    }
    // As the dialogs do: a trimmed policy, and none at all with reservation 0.
    policy = std::string(plenvo::TrimXmpSpace(policy));
    if (reservation == 0) policy.clear();
    if (!plenvo::IsStorablePolicy(policy)) {
        return Fail("the policy holds a control character or is not UTF-8");
    }

    const std::string result = plenvo::InsertTdmDescriptions(packet, reservation, policy, includeSchema);
    std::fwrite(result.data(), 1, result.size(), stdout);
    if (isatty(STDOUT_FILENO)) std::fputc('\n', stdout);
    return 0;
}
