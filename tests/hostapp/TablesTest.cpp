#include <gtest/gtest.h>

#include <functional>
#include <set>
#include <string>

#include "HostErrors.h"
#include "host/HostFrame.h"
#include "support/HostFixture.h"

namespace plenvo::hostapp {
namespace {

using namespace plenvo::host;

class TablesTest : public test::HostTest {};

TEST_F(TablesTest, GrantsByNameAndVersionAsConfigured) {
    struct Case {
        const char* name;
        std::function<void()> configure;
        const char* table;
        ASVersion asked;
        bool granted;
        ASVersion reported;
    };
    const Case cases[] = {
        {"requested version", [] {}, "Core", MakeVersion(5, 0), true, kHostTableVersion},
        {"acquired only", [] {}, "PDSysFont", MakeVersion(4, 0), true, kHostTableVersion},
        {"the host's own version", [] {}, "Cos", kHostTableVersion, true, kHostTableVersion},
        {"newer than the host", [] {}, "Cos", kHostTableVersion + 1, false, 0},
        {"no such table", [] {}, "Nonesuch", MakeVersion(1, 0), false, 0},
        {"refused", [] { RefuseTable("Win"); }, "Win", MakeVersion(5, 0), false, 0},
        {"refused at 5.0", [] { RefuseTableAt("Core", MakeVersion(5, 0)); }, "Core",
         MakeVersion(5, 0), false, 0},
        {"refused at 5.0, asked 5.1", [] { RefuseTableAt("Core", MakeVersion(5, 0)); }, "Core",
         MakeVersion(5, 1), true, kHostTableVersion},
        {"reported as 0", [] { ReportTableVersion("PDModel", kNoVersion); }, "PDModel",
         MakeVersion(6, 0), true, kNoVersion},
        {"version unknown", [] { ReportTableVersion("PDModel", kUnknownVersion); }, "PDModel",
         MakeVersion(6, 0), true, kUnknownVersion},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        test::InstallHost();
        c.configure();
        const HFT table = ASExtensionMgrGetHFT(ASAtomFromString(c.table), c.asked);
        EXPECT_EQ(table != nullptr, c.granted);
        if (table != nullptr) {
            EXPECT_EQ(HFTGetVersion(table), c.reported);
        }
    }
}

TEST_F(TablesTest, VersionOfATableTheHostNeverGaveIsUnknown) {
    const HFTEntry entries[2] = {};
    EXPECT_EQ(HFTGetVersion(entries), kUnknownVersion);
    EXPECT_EQ(HFTGetVersion(nullptr), kUnknownVersion);
}

TEST_F(TablesTest, InjectedFaultHitsOnlyTheNthCall) {
    FailCall("ASAtomFromString", 2, kErrDiskFull);
    EXPECT_EQ(test::RaisedBy([] { ASAtomFromString("a"); }), 0);
    EXPECT_EQ(test::RaisedBy([] { ASAtomFromString("a"); }), kErrDiskFull);
    EXPECT_EQ(test::RaisedBy([] { ASAtomFromString("a"); }), 0);
}

TEST_F(TablesTest, AnsweringNullMakesNothing) {
    AnswerNull("ASMemStmRdOpen", 1);
    EXPECT_EQ(ASMemStmRdOpen("x", 1), nullptr);
    EXPECT_EQ(CountOpen().streams, 0);
}

TEST_F(TablesTest, ReleasingOperationReleasesBeforeItRaises) {
    FailCall("ASStmClose", 1, kErrGeneral);
    FailCall("ASFileSysReleasePath", 1, kErrGeneral);
    const ASStm stream = ASMemStmRdOpen("x", 1);
    const ASFileSys fileSys = ASGetDefaultFileSys();
    const ASPathName path =
        ASFileSysCreatePathName(fileSys, ASAtomFromString("Cstring"), "/tmp/x.pdf", nullptr);
    ASSERT_EQ(CountOpen(), (OpenCounts{0, 1, 1, 0}));
    EXPECT_EQ(test::RaisedBy([&] { ASStmClose(stream); }), kErrGeneral);
    EXPECT_EQ(test::RaisedBy([&] { ASFileSysReleasePath(fileSys, path); }), kErrGeneral);
    EXPECT_EQ(CountOpen(), OpenCounts{});
    // A second release of the same handle is a fault of the caller's.
    EXPECT_EQ(test::RaisedBy([&] { ASStmClose(stream); }), kErrBadHandle);
}

TEST_F(TablesTest, RaiseWithoutAFrameIsReportedToTheHostProgram) {
    FailCall("ASAtomFromString", 1, kErrNoMemory);
    try {
        ASAtomFromString("x");
        ADD_FAILURE() << "no exception";
    } catch (const UnhandledRaise& raised) {
        EXPECT_EQ(raised.Code(), kErrNoMemory);
    }
}

TEST_F(TablesTest, ExceptionMechanismCannotBeMadeToFail) {
    for (const char* operation :
         {"ASPushExceptionFrame", "ASPopExceptionFrame", "ASGetExceptionErrorCode"}) {
        EXPECT_FALSE(CanFail(operation)) << operation;
    }
    EXPECT_TRUE(CanFail("PDDocSave"));
}

TEST_F(TablesTest, AtomsAreEqualExactlyForEqualText) {
    EXPECT_EQ(ASAtomFromString("Metadata"), ASAtomFromString("Metadata"));
    EXPECT_NE(ASAtomFromString("Metadata"), ASAtomFromString("metadata"));
    EXPECT_NE(ASAtomFromString(""), kASAtomNull);
    EXPECT_EQ(test::RaisedBy([] { ASAtomFromString(nullptr); }), kErrBadParameter);
}

TEST_F(TablesTest, ErrorTextsAreSingleLinesCutToTheBuffer) {
    std::set<std::string> texts;
    for (ASErrorCode code = kErrGeneral; code <= kErrPassword; ++code) {
        char buffer[256] = {};
        const std::string text = ASGetErrorString(code, buffer, sizeof buffer);
        EXPECT_FALSE(text.empty()) << code;
        EXPECT_EQ(text.find('\n'), std::string::npos) << code;
        texts.insert(text);
    }
    EXPECT_EQ(texts.size(), static_cast<std::size_t>(kErrPassword - kErrGeneral + 1));

    char small[8];
    std::fill(std::begin(small), std::end(small), 'x');
    EXPECT_STREQ(ASGetErrorString(kErrDiskFull, small, sizeof small), "The dis");
    char buffer[256] = {};
    EXPECT_STREQ(ASGetErrorString(0x7777, buffer, sizeof buffer), "Unknown error (code 30583).");
}

TEST_F(TablesTest, PathNamesAreMadeOnlyFromNonEmptyCStrings) {
    const ASFileSys fileSys = ASGetDefaultFileSys();
    EXPECT_EQ(ASFileSysCreatePathName(fileSys, ASAtomFromString("Cstring"), "", nullptr), nullptr);
    EXPECT_EQ(ASFileSysCreatePathName(fileSys, ASAtomFromString("DIPath"), "/tmp/a.pdf", nullptr),
              nullptr);
    EXPECT_EQ(test::RaisedBy([&] {
                  ASFileSysCreatePathName(nullptr, ASAtomFromString("Cstring"), "/a", nullptr);
              }),
              kErrBadHandle);
    EXPECT_EQ(CountOpen().pathNames, 0);
}

}  // namespace
}  // namespace plenvo::hostapp
