#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "DocumentFixtures.h"
#include "HostErrors.h"
#include "document/FileOperations.h"
#include "xmp/XmpWriter.h"

namespace plenvo {
namespace {

using test::MetadataKind;

enum class Op { kApply, kCheck, kRemove };
constexpr Op kOps[] = {Op::kApply, Op::kCheck, Op::kRemove};

const char* Name(Op op) {
    return op == Op::kApply ? "apply" : op == Op::kCheck ? "check" : "remove";
}

struct Outcome {
    bool result = false;
    std::string error;
    ReservationRecord record{7, "unset", true};
};

Outcome RunOp(Op op, const std::string& path, const std::string& error = "") {
    Outcome out;
    out.error = error;
    switch (op) {
        case Op::kApply:
            out.result = ApplyTdmToFile(path, 1, test::kPolicy, true, out.error);
            break;
        case Op::kCheck:
            out.result = CheckTdmOfFile(path, out.record, out.error);
            break;
        case Op::kRemove:
            out.result = RemoveTdmFromFile(path, out.error);
            break;
    }
    return out;
}

long CallsOf(const std::string& operation) {
    const std::vector<std::string> trace = hostapp::CallTrace();
    return std::count(trace.begin(), trace.end(), operation);
}

std::string Exiftool(const std::string& path) {
    return test::RunTool(
               {"exiftool", "-config", test::ExiftoolConfig(), "-s", "-s", "-XMP-tdm:all", path})
        .output;
}

class FileOperationsTest : public test::HostTest {
protected:
    test::TempDir dir;
};

TEST_F(FileOperationsTest, OutsideReadersAgreeAfterApplyAndRemove) {
    const std::string title = "Annual report";
    const std::string plain = test::Packet(test::TitleDescription(title));
    struct Case {
        const char* name;
        std::string pdf;
        bool hasTitle;
        bool exiftoolReads;  // its AES-256 decryption takes seconds, so pdfinfo reads that one
    };
    const std::vector<Case> cases = {
        {"no metadata", test::MakePdf({MetadataKind::kNone, ""}), false, true},
        {"flate with a title", test::MakePdf({MetadataKind::kFlateStream, plain}), true, true},
        {"object streams",
         test::WithObjectStreams(test::MakePdf(
             {MetadataKind::kStream,
              test::Packet(test::TitleDescription(title) + BuildTdmDescription(0, ""))})),
         true, true},
        {"repaired", test::WithBrokenXref(test::MakePdf({MetadataKind::kStream, plain})), true,
         true},
        {"encrypted, no user password",
         test::Encrypted(test::MakePdf({MetadataKind::kStream, plain}), "", "owner"), true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = dir.File("stamp.pdf");
        test::WriteBytes(path, c.pdf);

        const Outcome applied = RunOp(Op::kApply, path, "earlier message");
        ASSERT_TRUE(applied.result) << applied.error;
        EXPECT_EQ(applied.error, "earlier message");
        EXPECT_EQ(test::RunTool({"qpdf", "--check", path}).exitCode, 0);
        EXPECT_NE(test::RunTool({"qpdf", "--check-linearization", path})
                      .output.find("no linearization errors"),
                  std::string::npos);
        const std::string meta = test::RunTool({"pdfinfo", "-meta", path}).output;
        EXPECT_NE(meta.find("<tdm:reservation>1</tdm:reservation>"), std::string::npos) << meta;
        EXPECT_NE(meta.find("<tdm:policy>" + test::kPolicy + "</tdm:policy>"), std::string::npos);
        EXPECT_NE(meta.find("<pdfaSchema:prefix>tdm</pdfaSchema:prefix>"), std::string::npos);
        if (c.hasTitle) {
            EXPECT_NE(meta.find(title), std::string::npos);
        }
        if (c.exiftoolReads) {
            EXPECT_EQ(Exiftool(path), "Reservation: 1\nPolicy: " + test::kPolicy + "\n");
        }
        EXPECT_EQ(test::CheckFile(path), (ReservationRecord{1, test::kPolicy, true}));

        const Outcome removed = RunOp(Op::kRemove, path, "earlier message");
        ASSERT_TRUE(removed.result) << removed.error;
        EXPECT_EQ(removed.error, "earlier message");
        EXPECT_EQ(test::RunTool({"qpdf", "--check", path}).exitCode, 0);
        const std::string left = test::RunTool({"pdfinfo", "-meta", path}).output;
        EXPECT_EQ(left.find("tdm:"), std::string::npos) << left;
        if (c.exiftoolReads) {
            EXPECT_EQ(Exiftool(path), "");
        }
        if (c.hasTitle) {
            EXPECT_NE(left.find(title), std::string::npos);
        }
        EXPECT_EQ(test::CheckFile(path), (ReservationRecord{-1, "", true}));
    }
}

TEST_F(FileOperationsTest, FailuresGiveOneLineNamingTheFile) {
    enum class Row { kCreatePath, kOpen, kOperation, kRaised };
    struct Case {
        const char* name;
        std::function<std::string(const std::string& dir)> make;  // answers the path to use
        std::function<void()> fault;
        Row row;
        hostapp::HostErrorCode code;
    };
    const std::string good = test::MakePdf({MetadataKind::kStream, test::StampedPacket()});
    const auto file = [](std::string name, std::string bytes) {
        return [name, bytes](const std::string& folder) {
            const std::string path = folder + "/" + name;
            test::WriteBytes(path, bytes);
            return path;
        };
    };
    const std::vector<Case> cases = {
        {"empty path",
         [](const std::string&) { return std::string(); },
         [] {},
         Row::kCreatePath,
         {}},
        {"zero byte in the path",
         [&](const std::string& folder) {
             test::WriteBytes(folder + "/a", good);
             return folder + "/a" + std::string(1, '\0') + "b.pdf";
         },
         [] {},
         Row::kCreatePath,
         {}},
        {"host makes no path name",
         file("good.pdf", good),
         [] { hostapp::AnswerNull("ASFileSysCreatePathName", 1); },
         Row::kCreatePath,
         {}},
        {"host opens no document",
         file("good.pdf", good),
         [] { hostapp::AnswerNull("PDDocOpen", 1); },
         Row::kOpen,
         {}},
        {"utf-16 packet",
         file("wide.pdf", test::MakePdf({MetadataKind::kStream, test::Utf16Packet()})),
         [] {},
         Row::kOperation,
         {}},
        {"missing", [](const std::string& folder) { return folder + "/missing.pdf"; }, [] {},
         Row::kRaised, hostapp::kErrFileNotFound},
        {"password", file("locked.pdf", test::Encrypted(good, "user", "owner")), [] {},
         Row::kRaised, hostapp::kErrPassword},
        {"not a pdf", file("notes.pdf", "Dear reader,\n"), [] {}, Row::kRaised,
         hostapp::kErrNotPdf},
        {"damaged beyond repair", file("broken.pdf", "%PDF-1.7\n" + std::string(300, '#')), [] {},
         Row::kRaised, hostapp::kErrDamaged},
    };
    for (const Case& c : cases) {
        for (const Op op : kOps) {
            SCOPED_TRACE(std::string(c.name) + ", " + Name(op));
            test::InstallHost();
            test::TempDir folder;
            const std::string path = c.make(folder.Path());
            const std::vector<std::string> before = test::ListFolder(folder.Path());
            std::vector<std::string> bytes;
            for (const std::string& name : before)
                bytes.push_back(test::ReadBytes(folder.File(name)));
            c.fault();

            const Outcome out = RunOp(op, path, "earlier message");
            std::string expected;
            switch (c.row) {
                case Row::kCreatePath:
                    expected = "Could not create path for: " + path;
                    break;
                case Row::kOpen:
                    expected = "Could not open: " + path;
                    break;
                case Row::kOperation:
                    expected = op == Op::kApply ? "Could not write TDMRep metadata to: " + path
                               : op == Op::kCheck
                                   ? "Could not read metadata from: " + path
                                   : "Could not remove TDMRep metadata from: " + path;
                    break;
                case Row::kRaised:
                    expected = (op == Op::kApply   ? "Error processing "
                                : op == Op::kCheck ? "Error checking "
                                                   : "Error removing TDMRep from ") +
                               path + ": " + hostapp::ErrorText(c.code);
                    break;
            }
            EXPECT_FALSE(out.result);
            EXPECT_EQ(out.error, expected);
            if (op == Op::kCheck) {
                EXPECT_EQ(out.record, ReservationRecord{});
            }
            EXPECT_EQ(test::ListFolder(folder.Path()), before);
            for (std::size_t i = 0; i < before.size(); ++i) {
                EXPECT_EQ(test::ReadBytes(folder.File(before[i])), bytes[i]) << before[i];
            }
            EXPECT_EQ(hostapp::CountOpen(), hostapp::OpenCounts{});
        }
    }
}

TEST_F(FileOperationsTest, ReadOnlyFileIsReportedAndLeftAsItWas) {
    const std::string path = dir.File("readonly.pdf");
    const std::string pdf = test::MakePdf({MetadataKind::kStream, test::StampedPacket()});
    test::WriteBytes(path, pdf);
    ASSERT_EQ(::chmod(path.c_str(), 0444), 0);
    const std::string text = hostapp::ErrorText(hostapp::kErrReadOnly);
    const struct {
        Op op;
        bool result;
        std::string error;
    } cases[] = {
        {Op::kApply, false, "Error processing " + path + ": " + text},
        {Op::kRemove, false, "Error removing TDMRep from " + path + ": " + text},
        {Op::kCheck, true, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(Name(c.op));
        test::InstallHost();
        const Outcome out = RunOp(c.op, path);
        EXPECT_EQ(out.result, c.result);
        EXPECT_EQ(out.error, c.error);
        EXPECT_EQ(test::ReadBytes(path), pdf);
        EXPECT_EQ(CallsOf("PDDocClose"), 1);
        EXPECT_EQ(CallsOf("ASFileSysReleasePath"), 1);
        EXPECT_EQ(hostapp::CountOpen(), hostapp::OpenCounts{});
    }
}

TEST_F(FileOperationsTest, LongPathIsQuotedWhole) {
    std::string folder = dir.Path();
    while (folder.size() < 240) {
        folder += "/" + std::string(std::min<std::size_t>(60, 240 - folder.size()), 'd');
        ASSERT_EQ(::mkdir(folder.c_str(), 0755), 0) << folder;
    }
    const std::string name = "/file";
    const std::string path =
        folder + name + std::string(300 - folder.size() - name.size() - 4, 'f') + ".pdf";
    ASSERT_EQ(path.size(), 300u);

    Outcome missing = RunOp(Op::kApply, path);
    EXPECT_EQ(missing.error,
              "Error processing " + path + ": " + hostapp::ErrorText(hostapp::kErrFileNotFound));
    hostapp::AnswerNull("PDDocOpen", 2);
    EXPECT_EQ(RunOp(Op::kCheck, path).error, "Could not open: " + path);

    test::WriteBytes(path, test::MakePdf({MetadataKind::kNone, ""}));
    EXPECT_TRUE(RunOp(Op::kApply, path).result);
    EXPECT_EQ(test::CheckFile(path), (ReservationRecord{1, test::kPolicy, true}));
}

TEST_F(FileOperationsTest, EntryThatIsNoStreamFailsACheckButTakesAnApply) {
    const std::string path = dir.File("dictionary.pdf");
    test::WriteBytes(path, test::MakePdf({MetadataKind::kDictionary, ""}));
    EXPECT_EQ(RunOp(Op::kCheck, path).error, "Could not read metadata from: " + path);
    EXPECT_TRUE(RunOp(Op::kApply, path).result);
    EXPECT_EQ(test::CheckFile(path), (ReservationRecord{1, test::kPolicy, true}));
}

TEST_F(FileOperationsTest, RemoveSavesAFileThatNeededNoChange) {
    const std::string path = dir.File("plain.pdf");
    const std::string pdf = test::MakePdf({MetadataKind::kNone, ""});
    test::WriteBytes(path, pdf);
    EXPECT_TRUE(RunOp(Op::kRemove, path).result);
    EXPECT_NE(test::ReadBytes(path), pdf);
    EXPECT_NE(test::RunTool({"qpdf", "--check-linearization", path})
                  .output.find("no linearization errors"),
              std::string::npos);
    EXPECT_EQ(test::CheckFile(path), ReservationRecord{});
}

TEST_F(FileOperationsTest, CheckReadsEveryFileAndNeverChangesOne) {
    const std::string stamped = test::StampedPacket();
    const ReservationRecord found{1, test::kPolicy, true};
    const std::string path = dir.File("check.pdf");
    const std::string unreadable = "Could not read metadata from: " + path;
    const auto raised = [&](hostapp::HostErrorCode code) {
        return "Error checking " + path + ": " + hostapp::ErrorText(code);
    };
    struct Case {
        const char* name;
        std::string pdf;
        bool result;
        ReservationRecord record;
        std::string error;
    };
    const std::vector<Case> cases = {
        {"no metadata", test::MakePdf({MetadataKind::kNone, ""}), true, {}, ""},
        {"flate", test::MakePdf({MetadataKind::kFlateStream, stamped}), true, found, ""},
        {"dictionary", test::MakePdf({MetadataKind::kDictionary, ""}), false, {}, unreadable},
        {"utf-16", test::MakePdf({MetadataKind::kStream, test::Utf16Packet()}), false, {},
         unreadable},
        {"flate cut short", test::MakePdf({MetadataKind::kCutFlate, stamped}), false, {},
         unreadable},
        {"repaired", test::WithBrokenXref(test::MakePdf({MetadataKind::kStream, stamped})), true,
         found, ""},
        {"object streams",
         test::WithObjectStreams(test::MakePdf({MetadataKind::kStream, stamped})), true, found,
         ""},
        {"password",
         test::Encrypted(test::MakePdf({MetadataKind::kStream, stamped}), "user", "owner"), false,
         {}, raised(hostapp::kErrPassword)},
        {"damaged beyond repair", "%PDF-1.7\nnot really", false, {},
         raised(hostapp::kErrDamaged)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        test::InstallHost();
        test::WriteBytes(path, c.pdf);
        struct stat before {};
        ASSERT_EQ(::stat(path.c_str(), &before), 0);
        const Outcome out = RunOp(Op::kCheck, path);
        EXPECT_EQ(out.result, c.result);
        EXPECT_EQ(out.record, c.record);
        EXPECT_EQ(out.error, c.error);
        struct stat after {};
        ASSERT_EQ(::stat(path.c_str(), &after), 0);
        EXPECT_EQ(test::ReadBytes(path), c.pdf);
        EXPECT_EQ(after.st_ino, before.st_ino);
        EXPECT_EQ(after.st_mtim.tv_nsec, before.st_mtim.tv_nsec);
        EXPECT_EQ(CallsOf("PDDocSave"), 0);
    }
}

// A packet the host cannot decode may hold anything: a check and a remove report it, and
// an apply gives the file a fresh packet.
TEST_F(FileOperationsTest, UndecodablePacketIsAnErrorExceptToAnApply) {
    const std::string stamped = test::StampedPacket();
    const std::string path = dir.File("undecodable.pdf");
    for (const MetadataKind kind :
         {MetadataKind::kUnknownFilter, MetadataKind::kBrokenFlate, MetadataKind::kCutFlate}) {
        SCOPED_TRACE(static_cast<int>(kind));
        const std::string pdf = test::MakePdf({kind, stamped});
        test::WriteBytes(path, pdf);
        EXPECT_EQ(RunOp(Op::kCheck, path).error, "Could not read metadata from: " + path);
        const Outcome removed = RunOp(Op::kRemove, path);
        EXPECT_FALSE(removed.result);
        EXPECT_EQ(removed.error, "Could not remove TDMRep metadata from: " + path);
        EXPECT_EQ(test::ReadBytes(path), pdf);

        const Outcome applied = RunOp(Op::kApply, path);
        ASSERT_TRUE(applied.result) << applied.error;
        EXPECT_EQ(test::ReadWithQpdf(path), (ReservationRecord{1, test::kPolicy, true}));
        const std::string meta = test::RunTool({"pdfinfo", "-meta", path}).output;
        EXPECT_NE(meta.find("<?xpacket end=\"w\"?>"), std::string::npos) << meta;
        EXPECT_EQ(meta.find("Annual report"), std::string::npos) << meta;
    }
}

}  // namespace
}  // namespace plenvo
