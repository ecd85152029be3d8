#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>
#include <string>
#include <vector>

#include "host/HostFrame.h"
#include "host/HostHandles.h"
#include "support/HostFixture.h"

namespace plenvo::host {
namespace {

constexpr ASErrorCode kCode = 0x1234;

class HostFrameTest : public test::HostTest {};

int FrameDepth() { return hostapp::CountOpen().frames; }

long CallsOf(const std::string& operation) {
    const std::vector<std::string> trace = hostapp::CallTrace();
    return std::count(trace.begin(), trace.end(), operation);
}

struct Recorder {
    std::vector<std::string>& events;
    std::string name;
    ~Recorder() { events.push_back("destroyed " + name); }
};

TEST_F(HostFrameTest, RaiseUnwindsToTheHandlerWithFramePoppedAndCodeKept) {
    hostapp::FailCall("ASAtomFromString", 1, kCode);
    std::vector<std::string> events;
    try {
        HostFrame frame;
        Recorder recorder{events, "local"};
        ASAtomFromString("Metadata");
        events.push_back("returned");
    } catch (const HostRaise&) {
        events.push_back("handler at depth " + std::to_string(FrameDepth()));
        EXPECT_EQ(ASGetExceptionErrorCode(), kCode);
    }
    EXPECT_EQ(events, (std::vector<std::string>{"destroyed local", "handler at depth 0"}));
}

TEST_F(HostFrameTest, InnermostFrameHandlesAndOuterGoesOn) {
    hostapp::FailCall("ASAtomFromString", 1, kCode);
    hostapp::FailCall("ASAtomFromString", 2, kCode + 1);
    std::vector<std::string> events;
    try {
        HostFrame outer;
        try {
            HostFrame inner;
            ASAtomFromString("first");
        } catch (const HostRaise&) {
            events.push_back("inner " + std::to_string(ASGetExceptionErrorCode()) + " depth " +
                             std::to_string(FrameDepth()));
        }
        ASAtomFromString("second");
    } catch (const HostRaise&) {
        events.push_back("outer " + std::to_string(ASGetExceptionErrorCode()) + " depth " +
                         std::to_string(FrameDepth()));
    }
    EXPECT_EQ(events, (std::vector<std::string>{
                          "inner " + std::to_string(kCode) + " depth 1",
                          "outer " + std::to_string(kCode + 1) + " depth 0",
                      }));
}

TEST_F(HostFrameTest, FrameIsPoppedOnEveryWayOut) {
    enum class Exit { kEnd, kReturn, kCppException, kHostException };
    for (const Exit exit : {Exit::kEnd, Exit::kReturn, Exit::kCppException, Exit::kHostException}) {
        SCOPED_TRACE(static_cast<int>(exit));
        test::InstallHost();
        hostapp::FailCall("ASAtomFromString", 1, kCode);
        const auto body = [exit]() -> int {
            HostFrame frame;
            if (exit == Exit::kReturn) return 1;
            if (exit == Exit::kCppException) throw std::runtime_error("plug-in failure");
            if (exit == Exit::kHostException) ASAtomFromString("x");
            return 0;
        };
        try {
            body();
        } catch (const HostRaise&) {
        } catch (const std::runtime_error&) {
        }
        EXPECT_EQ(FrameDepth(), 0);
        EXPECT_EQ(CallsOf("ASPushExceptionFrame"), 1);
        EXPECT_EQ(CallsOf("ASPopExceptionFrame"), 1);
    }
}

TEST_F(HostFrameTest, IgnoringHostRaiseDropsHostExceptionsOnly) {
    hostapp::FailCall("ASAtomFromString", 1, kCode);
    EXPECT_NO_THROW(IgnoringHostRaise([] { ASAtomFromString("x"); }));
    EXPECT_THROW(IgnoringHostRaise([] { throw std::runtime_error("not the host's"); }),
                 std::runtime_error);
    EXPECT_EQ(FrameDepth(), 0);
}

TEST_F(HostFrameTest, ScopedHandleReleasesExactlyOnceOnEveryWayOut) {
    struct Case {
        const char* name;
        bool explicitRelease;
        bool closeFails;
    };
    for (const Case& c :
         {Case{"released", true, false}, Case{"destroyed", false, false},
          Case{"release raises", true, true}, Case{"destroyed, close raises", false, true}}) {
        SCOPED_TRACE(c.name);
        test::InstallHost();
        if (c.closeFails) hostapp::FailCall("ASStmClose", 1, kCode);
        const std::string bytes = "abc";
        bool raised = false;
        try {
            HostFrame frame;
            ScopedStream stream(ASMemStmRdOpen(bytes.data(), bytes.size()));
            if (c.explicitRelease) stream.Release();
        } catch (const HostRaise&) {
            raised = true;
        }
        EXPECT_EQ(raised, c.explicitRelease && c.closeFails);
        EXPECT_EQ(CallsOf("ASStmClose"), 1);
        EXPECT_EQ(hostapp::CountOpen(), hostapp::OpenCounts{});
    }
}

TEST_F(HostFrameTest, EveryCalledTableHasAllItsEntries) {
    struct Table {
        HostTable id;
        std::size_t slots;
    };
    for (const Table& table :
         {Table{HostTable::kCore, core::kSlotCount}, Table{HostTable::kCos, cos::kSlotCount},
          Table{HostTable::kPDModel, pdmodel::kSlotCount},
          Table{HostTable::kAcroView, acroview::kSlotCount},
          Table{HostTable::kAcroSupport, acrosupport::kSlotCount}}) {
        SCOPED_TRACE(std::string(HostTableName(table.id)));
        const HFT granted = gHostState[table.id].table;
        ASSERT_NE(granted, nullptr);
        EXPECT_EQ(granted[0], nullptr);
        for (std::size_t slot = 1; slot < table.slots; ++slot) EXPECT_NE(granted[slot], nullptr);
    }
}

}  // namespace
}  // namespace plenvo::host
