// The plug-in shell driven in-process against the stand-in host, where the module-wide
// host state can be read back: what set-up grants, and what a failing host call at any
// point of building the menus leaves.

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "HostControl.h"
#include "HostErrors.h"
#include "host/HostCalls.h"
#include "plugin/Menus.h"
#include "plugin/PluginEntry.h"
#include "support/HostFixture.h"

namespace plenvo {
namespace {

using namespace plenvo::host;

constexpr ASVersion V(std::uint16_t major, std::uint16_t minor) { return MakeVersion(major, minor); }

std::vector<ASVersion> AskedVersions(const std::string& table) {
    std::vector<ASVersion> asked;
    for (const hostapp::TableRequest& request : hostapp::TableRequests()) {
        if (request.name == table) asked.push_back(request.version);
    }
    return asked;
}

class ShellTest : public test::HostTest {};

TEST_F(ShellTest, AcquireHostTableAsksTheRequestThenFallsBack) {
    struct Case {
        const char* label;
        std::function<void()> configure;
        const char* table;
        ASVersion requested;
        bool granted;
        ASVersion version;
        bool tableOut;
        std::vector<ASVersion> asked;
    };
    const ASVersion host = hostapp::kHostTableVersion;
    const Case cases[] = {
        {"granted at the request, at the version reported", [] {}, "Cos", V(6, 0), true, host,
         true, {V(6, 0)}},
        {"refused at 5.0, granted at 5.1",
         [] { hostapp::RefuseTableAt("Core", V(5, 0)); }, "Core", V(5, 0), true, V(5, 1), true,
         {V(5, 0), V(5, 1)}},
        {"a 4.0 request walks down to 4.0",
         [] {
             hostapp::ReportTableVersion("PDSysFont", kUnknownVersion);
             for (const ASVersion v : {V(5, 1), V(5, 0), V(4, 5)})
                 hostapp::RefuseTableAt("PDSysFont", v);
         },
         "PDSysFont", V(4, 0), true, V(4, 0), true, {V(4, 0), V(5, 1), V(5, 0), V(4, 5), V(4, 0)}},
        {"refused at every version", [] { hostapp::RefuseTable("PDSysFont"); }, "PDSysFont",
         V(4, 0), false, kNoVersion, false, {V(4, 0), V(5, 1), V(5, 0), V(4, 5), V(4, 0)}},
        {"a 6.0 request has no fallback", [] { hostapp::RefuseTable("Cos"); }, "Cos", V(6, 0),
         false, kNoVersion, false, {V(6, 0)}},
        {"reported at version 0", [] { hostapp::ReportTableVersion("Cos", kNoVersion); }, "Cos",
         V(6, 0), false, kNoVersion, true, {V(6, 0)}},
        {"version unknown at a 6.0 request",
         [] { hostapp::ReportTableVersion("Cos", kUnknownVersion); }, "Cos", V(6, 0), true,
         V(5, 1), true, {V(6, 0)}},
        {"version unknown at a 5.0 request",
         [] { hostapp::ReportTableVersion("Core", kUnknownVersion); }, "Core", V(5, 0), true,
         V(5, 1), true, {V(5, 0), V(5, 1)}},
        {"a host that cannot tell versions is not asked the request",
         [] { gHostState[HostTable::kAcroSupport].version = V(5, 1); }, "Core", V(5, 0), true,
         V(5, 1), true, {V(5, 1)}},
        {"nor at 6.0, which has no fallback",
         [] { gHostState[HostTable::kAcroSupport].version = V(5, 1); }, "Cos", V(6, 0), false,
         kNoVersion, false, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        test::InstallHost();
        c.configure();
        hostapp::ClearCallRecord();
        ASVersion version = 0x12345;
        HFT table = reinterpret_cast<HFT>(&version);
        EXPECT_EQ(AcquireHostTable(c.table, c.requested, &version, &table), c.granted);
        EXPECT_EQ(version, c.version);
        EXPECT_EQ(table != nullptr, c.tableOut);
        EXPECT_EQ(AskedVersions(c.table), c.asked);
    }
}

SetupRecord ViewerRecord() {
    return {kHandshakeVersion, hostapp::ExtensionIdentity(), hostapp::CoreTable(), nullptr};
}

TEST_F(ShellTest, SetupGrantsThirteenTablesAtTheVersionsReported) {
    gHostState = HostState{};
    // A distinct version per table, so a version stored under the wrong name shows.
    for (std::size_t i = 0; i < kHostTableCount; ++i) {
        hostapp::ReportTableVersion(kHostTableNames[i], V(8, static_cast<std::uint16_t>(i)));
    }
    SetupRecord record = ViewerRecord();
    ASSERT_TRUE(HostSetup(kHandshakeVersion, &record));

    EXPECT_EQ(gHostState.extensionId, hostapp::ExtensionIdentity());
    for (std::size_t i = 0; i < kHostTableCount; ++i) {
        SCOPED_TRACE(kHostTableNames[i]);
        EXPECT_NE(gHostState.tables[i].table, nullptr);
        EXPECT_EQ(gHostState.tables[i].version, V(8, static_cast<std::uint16_t>(i)));
    }
    EXPECT_EQ(hostapp::CallbackProcedure(record.handshakeCallback),
              reinterpret_cast<ASProcedure>(&HostHandshake));
}

TEST_F(ShellTest, SetupRefusesOtherVersionsBeforeWritingAnything) {
    struct Case {
        const char* label;
        std::uint32_t passed;
        std::uint32_t inRecord;
    };
    for (const Case c : {Case{"1.0 beside a 1.0 record", 0x10000, 0x10000},
                         Case{"2.0 beside a 1.0 record", 0x20000, 0x10000},
                         Case{"1.0 beside a 2.0 record", 0x10000, 0x20000},
                         Case{"2.1 beside a 2.1 record", 0x20001, 0x20001}}) {
        SCOPED_TRACE(c.label);
        gHostState = HostState{};
        hostapp::ClearCallRecord();
        SetupRecord record = ViewerRecord();
        record.handshakeVersion = c.inRecord;
        EXPECT_FALSE(HostSetup(c.passed, &record));
        EXPECT_EQ(gHostState.extensionId, nullptr);
        EXPECT_EQ(gHostState[HostTable::kCore].table, nullptr);
        EXPECT_EQ(record.handshakeCallback, nullptr);
        EXPECT_TRUE(hostapp::CallTrace().empty());
    }
}

TEST_F(ShellTest, SetupStopsAtTheFirstTableRefusedKeepingThoseBefore) {
    gHostState = HostState{};
    hostapp::RefuseTable("PDSysFont");
    SetupRecord record = ViewerRecord();
    EXPECT_FALSE(HostSetup(kHandshakeVersion, &record));
    for (const HostTable kept : {HostTable::kAcroSupport, HostTable::kCore, HostTable::kCos,
                                 HostTable::kPDModel, HostTable::kPDFEditWrite,
                                 HostTable::kPDFEditRead}) {
        EXPECT_NE(gHostState[kept].table, nullptr) << HostTableName(kept);
    }
    for (const HostTable never : {HostTable::kPDSysFont, HostTable::kPagePDEContent,
                                  HostTable::kAcroView, HostTable::kASExtra}) {
        EXPECT_EQ(gHostState[never].table, nullptr) << HostTableName(never);
        EXPECT_EQ(gHostState[never].version, kNoVersion) << HostTableName(never);
    }
    EXPECT_TRUE(AskedVersions("PagePDEContent").empty());
    EXPECT_EQ(record.handshakeCallback, nullptr);
}

// A refused "Core" leaves no table to pop set-up's own exception frame through.
TEST_F(ShellTest, SetupSurvivesARefusedCore) {
    gHostState = HostState{};
    hostapp::RefuseTable("Core");
    SetupRecord record = ViewerRecord();
    EXPECT_FALSE(HostSetup(kHandshakeVersion, &record));
    EXPECT_EQ(gHostState[HostTable::kCore].table, nullptr);
    test::InstallHost();
}

// The names of the plug-in's three commands, as a person sees them.
const char* const kCommandTitles[] = {"TDM Reservation...", "TDM Reservation (Batch)...",
                                      "Plenvo Help"};

// Another plug-in of the same maker was there first.
void AddMakerOfAnotherPlugin() {
    const AVMenu extensions = AVMenubarAcquireMenuByName(AVAppGetMenubar(), "Extensions");
    const AVMenu submenu = AVMenuNew("Corvix", "CorvixSubMenu", hostapp::ExtensionIdentity());
    const AVMenuItem maker = AVMenuItemNew("Corvix", "Corvix", submenu, false, 0, 0, nullptr,
                                           hostapp::ExtensionIdentity());
    AVMenuAddMenuItem(extensions, maker, kAVMenuAppend);
    AVMenuItemRelease(maker);
    AVMenuRelease(submenu);
    AVMenuRelease(extensions);
}

// Every host call that building the menus makes fails in turn, raising or answering
// null. Whatever the outcome, no frame is left pushed, no acquisition is left behind,
// and after unload none of the plug-in's commands can be picked.
TEST_F(ShellTest, EveryFailingHostCallWhileBuildingMenusLeavesNothingBehind) {
    for (const bool makerThere : {false, true}) {
        SCOPED_TRACE(makerThere ? "maker item there" : "maker item made");
        const auto prepare = [&] {
            test::InstallHost();
            if (makerThere) AddMakerOfAnotherPlugin();
            hostapp::ClearCallRecord();
        };
        prepare();
        ASSERT_TRUE(InitPlugin());
        const std::vector<std::string> trace = hostapp::CallTrace();
        UnloadPlugin();

        std::map<std::string, int> seen;
        for (const std::string& operation : trace) {
            const int nth = ++seen[operation];
            if (!hostapp::CanFail(operation)) continue;
            for (const bool raise : {true, false}) {
                SCOPED_TRACE(operation + " #" + std::to_string(nth) + (raise ? " raises" : " null"));
                prepare();
                if (raise) {
                    hostapp::FailCall(operation, nth, hostapp::kErrNoMemory);
                } else {
                    hostapp::AnswerNull(operation, nth);
                }
                const bool built = InitPlugin();
                EXPECT_EQ(hostapp::CountOpen().frames, 0);
                // What the plug-in made is its own to keep; anything borrowed went back.
                const std::vector<std::string> calls = hostapp::CallTrace();
                int made = 0;
                for (const std::string& call : calls) {
                    made += call == "AVMenuNew" || call == "AVMenuItemNew" ? 1 : 0;
                }
                if (operation == "AVMenuNew" || operation == "AVMenuItemNew") --made;
                EXPECT_EQ(hostapp::OutstandingMenuAcquisitions(), made);
                if (built) {
                    for (const char* title : kCommandTitles) {
                        EXPECT_NE(hostapp::ShownMenuItemName(title), "") << title;
                    }
                }
                EXPECT_TRUE(UnloadPlugin());
                for (const char* title : kCommandTitles) {
                    EXPECT_EQ(hostapp::ShownMenuItemName(title), "") << title;
                }
            }
        }
    }
}

}  // namespace
}  // namespace plenvo
