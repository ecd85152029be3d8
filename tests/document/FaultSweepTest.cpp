// A host call can fail anywhere. These tests make each call of a clean run fail in turn,
// by raising or by answering null, and check what must hold whatever the outcome.

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "DocumentFixtures.h"
#include "HostErrors.h"
#include "document/DocumentMetadata.h"
#include "document/FileOperations.h"
#include "xmp/XmpReader.h"

namespace plenvo {
namespace {

using test::MetadataKind;

constexpr host::ASErrorCode kInjected = hostapp::kErrDiskFull;

enum class Fault { kRaise, kAnswerNull };

struct InjectedCall {
    std::string operation;
    int nth;
};

// The calls a clean run makes that a host can fail, each named by its count so far.
std::vector<InjectedCall> FailableCalls(const std::vector<std::string>& trace) {
    std::vector<InjectedCall> calls;
    for (std::size_t i = 0; i < trace.size(); ++i) {
        if (!hostapp::CanFail(trace[i])) continue;
        const auto nth =
            std::count(trace.begin(), trace.begin() + static_cast<long>(i) + 1, trace[i]);
        calls.push_back({trace[i], static_cast<int>(nth)});
    }
    return calls;
}

void Inject(const InjectedCall& call, Fault fault) {
    if (fault == Fault::kRaise) {
        hostapp::FailCall(call.operation, call.nth, kInjected);
    } else {
        hostapp::AnswerNull(call.operation, call.nth);
    }
}

std::string Describe(const InjectedCall& call, Fault fault) {
    return call.operation + " #" + std::to_string(call.nth) +
           (fault == Fault::kRaise ? " raises" : " answers null");
}

long CallsOf(const std::string& operation) {
    const std::vector<std::string> trace = hostapp::CallTrace();
    return std::count(trace.begin(), trace.end(), operation);
}

class FaultSweepTest : public test::HostTest {
protected:
    test::TempDir dir;
    const std::string pdf = test::MakePdf({MetadataKind::kFlateStream, test::StampedPacket()});
};

struct FileOperation {
    const char* name;
    std::string raisedPrefix;
    std::function<bool(const std::string&, std::string&, ReservationRecord&)> run;
    // What the file reads after a success; none: the file stays as it was.
    std::optional<ReservationRecord> after;
    bool mayFindNothing = false;  // a success may leave the file's values as they were
};

TEST_F(FaultSweepTest, FileOperationsCloseReleaseAndKeepTheFileWhateverFails) {
    const ReservationRecord stamped{1, test::kPolicy, true};
    const std::vector<FileOperation> operations = {
        {"apply", "Error processing ",
         [](const std::string& path, std::string& error, ReservationRecord&) {
             return ApplyTdmToFile(path, 0, "", false, error);
         },
         ReservationRecord{0, "", true}},
        {"check", "Error checking ",
         [](const std::string& path, std::string& error, ReservationRecord& record) {
             return CheckTdmOfFile(path, record, error);
         },
         std::nullopt},
        {"remove", "Error removing TDMRep from ",
         [](const std::string& path, std::string& error, ReservationRecord&) {
             return RemoveTdmFromFile(path, error);
         },
         ReservationRecord{-1, "", true},
         true},
    };
    const std::string path = dir.File("sweep.pdf");
    for (const FileOperation& operation : operations) {
        test::InstallHost();
        test::WriteBytes(path, pdf);
        std::string cleanError;
        ReservationRecord cleanRecord;
        ASSERT_TRUE(operation.run(path, cleanError, cleanRecord)) << cleanError;
        const std::vector<InjectedCall> calls = FailableCalls(hostapp::CallTrace());

        for (const InjectedCall& call : calls) {
            for (const Fault fault : {Fault::kRaise, Fault::kAnswerNull}) {
                SCOPED_TRACE(std::string(operation.name) + ": " + Describe(call, fault));
                test::InstallHost();
                test::WriteBytes(path, pdf);
                Inject(call, fault);
                std::string error = "earlier message";
                ReservationRecord record{7, "unset", true};
                const bool result = operation.run(path, error, record);

                EXPECT_EQ(hostapp::CountOpen(), hostapp::OpenCounts{});
                EXPECT_LE(CallsOf("PDDocClose"), 1);
                EXPECT_LE(CallsOf("ASFileSysReleasePath"), 1);
                hostapp::ClearFaults();
                if (result) {
                    EXPECT_EQ(error, "earlier message");
                    // A success is only as good as the file it leaves. A null answer may
                    // have told a remove that there was no packet, and then it finds
                    // nothing to take out.
                    if (operation.after) {
                        const ReservationRecord read = test::ReadWithQpdf(path);
                        if (!(fault == Fault::kAnswerNull && operation.mayFindNothing &&
                              read == stamped)) {
                            EXPECT_EQ(read, *operation.after);
                        }
                    } else {
                        EXPECT_EQ(test::ReadBytes(path), pdf);
                    }
                    if (operation.name == std::string("check") && fault == Fault::kRaise) {
                        EXPECT_EQ(record, stamped);
                    }
                    continue;
                }
                EXPECT_EQ(test::ReadBytes(path), pdf);
                EXPECT_NE(error, "earlier message");
                EXPECT_EQ(error.find('\n'), std::string::npos);
                EXPECT_NE(error.find(path), std::string::npos);
                if (fault == Fault::kRaise && error.starts_with(operation.raisedPrefix)) {
                    EXPECT_TRUE(error.ends_with(": " + hostapp::ErrorText(kInjected))) << error;
                }
                if (operation.name == std::string("check")) {
                    EXPECT_EQ(record, ReservationRecord{});
                }
            }
        }
    }
}

struct DocumentOperation {
    const char* name;
    std::function<bool(host::PDDoc)> run;
};

TEST_F(FaultSweepTest, DocumentOperationsLeaveTheCatalogAloneWhenTheyFail) {
    ReservationRecord record;
    const std::vector<DocumentOperation> operations = {
        {"read", [&](host::PDDoc document) { return ReadDocumentReservation(document, record); }},
        {"apply", [](host::PDDoc document) { return ApplyTdmToDocument(document, 0, "", true); }},
        {"remove", [](host::PDDoc document) { return RemoveTdmFromDocument(document); }},
    };
    const std::string path = dir.File("sweep.pdf");
    test::WriteBytes(path, pdf);
    for (const DocumentOperation& operation : operations) {
        std::vector<InjectedCall> calls;
        {
            test::InstallHost();
            test::OpenedDocument document(path);
            hostapp::ClearCallRecord();
            ASSERT_TRUE(operation.run(document.Get()));
            calls = FailableCalls(hostapp::CallTrace());
        }
        for (const InjectedCall& call : calls) {
            for (const Fault fault : {Fault::kRaise, Fault::kAnswerNull}) {
                SCOPED_TRACE(std::string(operation.name) + ": " + Describe(call, fault));
                test::InstallHost();
                test::OpenedDocument document(path);
                const test::StoredMetadata before = test::ReadStored(document);
                hostapp::ClearCallRecord();
                Inject(call, fault);
                record = {7, "unset", true};
                const bool result = operation.run(document.Get());
                hostapp::ClearFaults();

                EXPECT_EQ(hostapp::CountOpen().streams, 0);
                EXPECT_EQ(hostapp::CountOpen().frames, 0);
                const test::StoredMetadata after = test::ReadStored(document);
                if (!result) {
                    EXPECT_EQ(after.objGen, before.objGen);
                    EXPECT_EQ(after.data, before.data);
                    if (operation.name == std::string("read")) {
                        EXPECT_EQ(record, ReservationRecord{});
                    }
                } else if (operation.name == std::string("apply")) {
                    EXPECT_EQ(ParseReservation(after.data).reservation, 0);
                } else if (operation.name == std::string("remove")) {
                    EXPECT_EQ(ParseReservation(after.data).reservation, -1);
                }
            }
        }
    }
}

}  // namespace
}  // namespace plenvo
