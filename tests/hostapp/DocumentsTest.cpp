#include <gtest/gtest.h>

#include <sys/stat.h>

#include <functional>
#include <string>

#include <qpdf/QPDF.hh>

#include "HostErrors.h"
#include "host/HostFrame.h"
#include "support/HostFixture.h"
#include "support/PdfFactory.h"
#include "support/TestFiles.h"

namespace plenvo::hostapp {
namespace {

using namespace plenvo::host;
using test::MetadataKind;

class DocumentsTest : public test::HostTest {
protected:
    test::TempDir dir;
};

// Opens `path` through the tables; answers the code raised, or 0 after closing it again.
ASErrorCode OpenCode(const std::string& path, bool repair) {
    const ASFileSys fileSys = ASGetDefaultFileSys();
    const ASPathName name =
        ASFileSysCreatePathName(fileSys, ASAtomFromString("Cstring"), path.c_str(), nullptr);
    PDDoc document = nullptr;
    const ASErrorCode code =
        test::RaisedBy([&] { document = PDDocOpen(name, fileSys, nullptr, repair); });
    if (document != nullptr) {
        EXPECT_EQ(CountOpen().documents, 1);
        PDDocClose(document);
    }
    ASFileSysReleasePath(fileSys, name);
    return code;
}

TEST_F(DocumentsTest, OpenSucceedsOrRaisesTheReason) {
    const std::string plain = test::MakePdf({MetadataKind::kNone, ""});
    struct Case {
        const char* name;
        std::function<void(const std::string&)> make;
        bool repair;
        ASErrorCode code;
    };
    const Case cases[] = {
        {"plain", [&](const std::string& p) { test::WriteBytes(p, plain); }, false, 0},
        {"missing", [](const std::string&) {}, true, kErrFileNotFound},
        {"folder", [](const std::string& p) { ::mkdir(p.c_str(), 0755); }, true, kErrNotAFile},
        {"empty", [](const std::string& p) { test::WriteBytes(p, ""); }, true, kErrNotPdf},
        {"text", [](const std::string& p) { test::WriteBytes(p, "Dear reader,\n"); }, true,
         kErrNotPdf},
        {"header then junk",
         [](const std::string& p) { test::WriteBytes(p, "%PDF-1.7\n" + std::string(500, '#')); },
         true, kErrDamaged},
        {"broken xref, repaired",
         [&](const std::string& p) { test::WriteBytes(p, test::WithBrokenXref(plain)); }, true, 0},
        {"broken xref, no repair",
         [&](const std::string& p) { test::WriteBytes(p, test::WithBrokenXref(plain)); }, false,
         kErrDamaged},
        {"user password",
         [&](const std::string& p) {
             test::WriteBytes(p, test::Encrypted(plain, "user", "owner"));
         },
         true, kErrPassword},
        {"owner password only",
         [&](const std::string& p) { test::WriteBytes(p, test::Encrypted(plain, "", "owner")); },
         true, 0},
    };
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = dir.File("case" + std::to_string(n++) + ".pdf");
        c.make(path);
        EXPECT_EQ(OpenCode(path, c.repair), c.code);
        EXPECT_EQ(CountOpen(), OpenCounts{});
    }
}

TEST_F(DocumentsTest, DecodedStreamUndoesFiltersOrIsNotGiven) {
    const std::string packet = test::Packet(test::TitleDescription("Decoded"));
    struct Case {
        MetadataKind kind;
        bool opens;
    };
    for (const Case c :
         {Case{MetadataKind::kStream, true}, Case{MetadataKind::kFlateStream, true},
          Case{MetadataKind::kUnknownFilter, false}, Case{MetadataKind::kBrokenFlate, false},
          Case{MetadataKind::kCutFlate, false}}) {
        SCOPED_TRACE(static_cast<int>(c.kind));
        const std::string path = dir.File("stream.pdf");
        test::WriteBytes(path, test::MakePdf({c.kind, packet}));
        test::OpenedDocument document(path);
        const CosObj metadata =
            CosDictGet(CosDocGetRoot(PDDocGetCosDoc(document.Get())), ASAtomFromString("Metadata"));
        ASSERT_EQ(CosObjGetType(metadata), kCosStream);
        const ASStm stream = CosStreamOpenStm(metadata, kCosOpenDecoded);
        ASSERT_EQ(stream != nullptr, c.opens);
        if (stream == nullptr) continue;
        std::string read(packet.size() + 10, '\0');
        const std::int32_t got =
            ASStmRead(read.data(), 1, static_cast<std::uint32_t>(read.size()), stream);
        read.resize(static_cast<std::size_t>(got));
        EXPECT_EQ(read, packet);
        EXPECT_EQ(ASStmRead(read.data(), 1, 1, stream), 0);
        ASStmClose(stream);
    }
}

TEST_F(DocumentsTest, StreamReadsWholeItemsOnly) {
    const std::string bytes = "0123456789";
    const ASStm stream = ASMemStmRdOpen(bytes.data(), bytes.size());
    char buffer[16] = {};
    EXPECT_EQ(ASStmRead(buffer, 3, 5, stream), 3);
    EXPECT_EQ(std::string(buffer, 9), "012345678");
    EXPECT_EQ(ASStmRead(buffer, 3, 5, stream), 0);
    EXPECT_EQ(ASStmRead(buffer, 1, 5, stream), 1);
    EXPECT_EQ(buffer[0], '9');
    EXPECT_EQ(ASStmRead(buffer, 1, 5, stream), 0);
    ASStmClose(stream);
}

TEST_F(DocumentsTest, NewStreamTakesItsSourceAsGivenAndStaysIndirect) {
    const std::string path = dir.File("new.pdf");
    test::WriteBytes(path, test::MakePdf({MetadataKind::kNone, ""}));
    test::OpenedDocument document(path);
    const CosDoc cosDoc = PDDocGetCosDoc(document.Get());
    const std::string bytes = "headBODYtail";
    const ASStm source = ASMemStmRdOpen(bytes.data(), bytes.size());
    const CosObj attributes = CosNewDict(cosDoc, false, 3);
    CosDictPut(attributes, ASAtomFromString("Type"),
               CosNewName(cosDoc, false, ASAtomFromString("Metadata")));

    const CosObj stream = CosNewStream(cosDoc, true, source, 4, true, attributes, CosNewNull(), 4);
    QPDFObjectHandle made = CosObjectOf(stream);
    EXPECT_TRUE(made.isIndirect());
    EXPECT_EQ(made.getDict().getKey("/Type").getName(), "/Metadata");
    EXPECT_FALSE(made.getDict().hasKey("/Filter"));
    const auto data = made.getRawStreamData();
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(data->getBuffer()), data->getSize()),
              "BODY");
    char rest[8];
    EXPECT_EQ(ASStmRead(rest, 1, 8, source), 4);  // the host took up to the end of what it used

    const CosObj filtered = CosNewDict(cosDoc, false, 1);
    CosDictPut(filtered, ASAtomFromString("Filter"),
               CosNewName(cosDoc, false, ASAtomFromString("FlateDecode")));
    EXPECT_EQ(test::RaisedBy(
                  [&] { CosNewStream(cosDoc, true, source, 0, false, filtered, CosNewNull(), 0); }),
              kErrNotSupported);
    EXPECT_EQ(test::RaisedBy([&] {
                  CosNewStream(cosDoc, false, source, 0, false, attributes, CosNewNull(), 0);
              }),
              kErrBadParameter);
    EXPECT_EQ(test::RaisedBy([&] {
                  CosNewStream(cosDoc, true, source, 13, false, attributes, CosNewNull(), 0);
              }),
              kErrBadParameter);
    ASStmClose(source);
}

TEST_F(DocumentsTest, HandlesOfAClosedDocumentAreRefused) {
    const std::string path = dir.File("closed.pdf");
    test::WriteBytes(path, test::MakePdf({MetadataKind::kNone, ""}));
    CosObj root = nullptr;
    CosDoc cosDoc = nullptr;
    {
        test::OpenedDocument document(path);
        cosDoc = PDDocGetCosDoc(document.Get());
        root = CosDocGetRoot(cosDoc);
    }
    EXPECT_EQ(test::RaisedBy([&] { CosObjGetType(root); }), kErrBadHandle);
    EXPECT_EQ(test::RaisedBy([&] { CosNewDict(cosDoc, false, 1); }), kErrBadHandle);
}

TEST_F(DocumentsTest, ObjectsDoNotMoveBetweenDocuments) {
    const std::string path = dir.File("two.pdf");
    test::WriteBytes(path, test::MakePdf({MetadataKind::kNone, ""}));
    test::OpenedDocument first(path);
    test::OpenedDocument second(path);
    const CosObj foreign = CosNewDict(PDDocGetCosDoc(second.Get()), false, 1);
    const CosObj root = CosDocGetRoot(PDDocGetCosDoc(first.Get()));
    EXPECT_EQ(test::RaisedBy([&] { CosDictPut(root, ASAtomFromString("Metadata"), foreign); }),
              kErrBadParameter);
    EXPECT_FALSE(CosDictKnown(root, ASAtomFromString("Metadata")));
}

}  // namespace
}  // namespace plenvo::hostapp
