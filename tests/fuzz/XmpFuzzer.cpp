// libFuzzer entry over the XMP reader, stripper and inserter, and the byte search.

#include <cstdio>
#include <cstdlib>

#include "fuzz/XmpFuzzChecks.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string failure = plenvo::fuzz::CheckXmpInvariants(data, size);
    if (!failure.empty()) {
        std::fprintf(stderr, "invariant broken: %s\n", failure.c_str());
        std::abort();
    }
    return 0;
}
