#include <gtest/gtest.h>

#include <windows.h>

#include <array>
#include <stdexcept>
#include <string>
#include <vector>

#include "HostFrameProbe.h"
#include "host/HostTables.h"

namespace plenvo {
namespace {

namespace core = host::core;
using host::ASErrorCode;
using host::ASRestoreProc;
using host::HFTEntry;

// The host's side, as the stand-in viewer keeps it: a stack of frames; a failing
// operation sends its error to the innermost frame's restore procedure.
struct Frame {
    void* frame;
    ASRestoreProc restore;
};
std::vector<Frame> g_frames;
ASErrorCode g_error = 0;
std::vector<std::string> g_unwound;

void PushFrame(void* frame, ASRestoreProc restore) { g_frames.push_back({frame, restore}); }
void PopFrame() {
    if (!g_frames.empty()) {
        g_frames.pop_back();
    }
}
ASErrorCode ErrorCode() { return g_error; }

template <class Entry, class Proc>
void Fill(std::array<HFTEntry, core::kSlotCount>& table, Proc proc) {
    typename Entry::ProcType typed = proc;
    table[Entry::kIndex] = reinterpret_cast<HFTEntry>(typed);
}

// Records that the host's frame it stands in was left, however that happened.
struct HostLocal {
    explicit HostLocal(const char* n) : name(n) {}
    ~HostLocal() { g_unwound.push_back(name); }
    const char* name;
};

[[noreturn]] void Raise(ASErrorCode code) {
    g_error = code;
    const Frame top = g_frames.back();
    top.restore(top.frame);
    throw std::logic_error("a restore procedure returned");
}

// A host operation a few frames deep, with one frame that catches what the standard
// library throws, as the host's own code may: a host exception must go past it.
void Deepest(int code) {
    HostLocal local("deepest");
    if (code != 0) {
        Raise(code);
    }
}

void Middle(int code) {
    HostLocal local("middle");
    try {
        Deepest(code);
    } catch (const std::exception&) {
        g_unwound.push_back("caught by the host");
    }
}

void HostOperation(int code) {
    HostLocal local("operation");
    Middle(code);
}

template <class Proc>
Proc Export(HMODULE module, const char* name) {
    // Through void*: an export's address has no type until we give it one.
    return reinterpret_cast<Proc>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

class UnwindWineTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        module = LoadLibraryA("host_frame_probe.dll");
        ASSERT_NE(module, nullptr) << "cannot load the probe module: " << GetLastError();
        Fill<core::ASPushExceptionFrame>(coreTable, &PushFrame);
        Fill<core::ASPopExceptionFrame>(coreTable, &PopFrame);
        Fill<core::ASGetExceptionErrorCode>(coreTable, &ErrorCode);
        const auto grant = Export<ProbeGrantCoreProc>(module, "ProbeGrantCore");
        ASSERT_NE(grant, nullptr);
        grant(coreTable.data());
        guarded = Export<ProbeGuardedProc>(module, "ProbeGuarded");
        nested = Export<ProbeNestedProc>(module, "ProbeNested");
        destroyed = Export<ProbeDestroyedProc>(module, "ProbeDestroyed");
    }
    static void TearDownTestSuite() { EXPECT_TRUE(FreeLibrary(module)) << "the module unloads after it all"; }

    void SetUp() override {
        ASSERT_NE(guarded, nullptr);
        ASSERT_NE(nested, nullptr);
        ASSERT_NE(destroyed, nullptr);
        g_unwound.clear();
        g_error = 0;
    }
    void TearDown() override { EXPECT_TRUE(g_frames.empty()) << "every frame was popped"; }

    static inline HMODULE module = nullptr;
    static inline std::array<HFTEntry, core::kSlotCount> coreTable{};
    static inline ProbeGuardedProc guarded = nullptr;
    static inline ProbeNestedProc nested = nullptr;
    static inline ProbeDestroyedProc destroyed = nullptr;
};

TEST_F(UnwindWineTest, ARaiseUnwindsTheHostsFramesAndIsCaughtInTheModule) {
    const int before = destroyed();
    EXPECT_EQ(guarded(&HostOperation, 0x40000007), 0x40000007);
    EXPECT_EQ(g_unwound, (std::vector<std::string>{"deepest", "middle", "operation"}));
    EXPECT_EQ(destroyed(), before + 1) << "the module's own frame was unwound too";
}

TEST_F(UnwindWineTest, AnOperationThatReturnsLeavesTheFrameQuietly) {
    EXPECT_EQ(guarded(&HostOperation, 0), 0);
    EXPECT_EQ(g_unwound, (std::vector<std::string>{"deepest", "middle", "operation"}));
}

TEST_F(UnwindWineTest, FramesNestAcrossTheModules) {
    const int before = destroyed();
    EXPECT_EQ(nested(&HostOperation, 11, 22), 22);
    EXPECT_EQ(g_unwound, (std::vector<std::string>{"deepest", "middle", "operation", "deepest", "middle", "operation"}));
    EXPECT_EQ(destroyed(), before + 2);
    EXPECT_EQ(nested(&HostOperation, 11, 0), 0) << "the dropped raise leaves the outer frame working";
}

TEST_F(UnwindWineTest, RaisesAgainAndAgainLeaveNothingBehind) {
    for (int i = 1; i <= 2000; ++i) {
        ASSERT_EQ(guarded(&HostOperation, i), i);
    }
}

}  // namespace
}  // namespace plenvo
