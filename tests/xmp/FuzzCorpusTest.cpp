// Replays the fuzz seed corpus through the fuzz invariants, so builds without libFuzzer
// check them too.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "fuzz/XmpFuzzChecks.h"

namespace plenvo {
namespace {

TEST(XmpFuzzCorpusTest, SeedsKeepTheInvariants) {
    int seen = 0;
    for (const auto& entry : std::filesystem::directory_iterator(PLENVO_FUZZ_CORPUS)) {
        SCOPED_TRACE(entry.path().string());
        std::ifstream in(entry.path(), std::ios::binary);
        const std::string bytes((std::istreambuf_iterator<char>(in)), {});
        EXPECT_EQ(fuzz::CheckXmpInvariants(reinterpret_cast<const std::uint8_t*>(bytes.data()),
                                           bytes.size()),
                  "");
        ++seen;
    }
    EXPECT_GT(seen, 0) << "no seeds found";
}

}  // namespace
}  // namespace plenvo
