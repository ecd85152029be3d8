#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include <qpdf/Buffer.hh>
#include <qpdf/QPDF.hh>

#include "DocumentFixtures.h"
#include "document/DocumentMetadata.h"
#include "xmp/XmpReader.h"
#include "xmp/XmpStripper.h"
#include "xmp/XmpWriter.h"

namespace plenvo {
namespace {

using test::MetadataKind;

// A TDMRep description whose comment holds a description start: a scan that counts
// nesting never finds its end, so it is never stripped.
const std::string kCommentedTdm =
    "   <rdf:Description rdf:about=\"\"\n"
    "         xmlns:tdm=\"http://www.w3.org/ns/tdmrep/\">\n"
    "      <!-- was <rdf:Description> -->\n"
    "      <tdm:reservation>1</tdm:reservation>\n"
    "   </rdf:Description>\n";

// A policy in a description that carries no marker: no strip takes it out.
const std::string kStrayPolicy =
    "   <rdf:Description rdf:about=\"\"><tdm:policy>https://old/</tdm:policy></rdf:Description>\n";

class WriteTest : public test::HostTest {
protected:
    test::TempDir dir;

    std::string Write(const test::PdfSpec& spec) {
        const std::string path = dir.File("write.pdf");
        test::WriteBytes(path, test::MakePdf(spec));
        return path;
    }
};

std::size_t Count(const std::string& text, const std::string& needle) {
    std::size_t count = 0;
    for (std::size_t at = text.find(needle); at != std::string::npos;
         at = text.find(needle, at + 1)) {
        ++count;
    }
    return count;
}

// The form every written stream has.
void ExpectWrittenStream(const test::StoredMetadata& stored) {
    EXPECT_TRUE(stored.present);
    EXPECT_TRUE(stored.isStream);
    EXPECT_TRUE(stored.indirect);
    EXPECT_EQ(stored.type, "/Metadata");
    EXPECT_EQ(stored.subtype, "/XML");
    EXPECT_FALSE(stored.filtered);
}

TEST_F(WriteTest, ApplyStoresTheEditedPacketUncompressed) {
    const std::string packet = test::StampedPacket();
    struct Case {
        const char* name;
        test::PdfSpec spec;
        std::int32_t reservation;
        std::string policy;
        bool schema;
        std::string expected;
    };
    const std::vector<Case> cases = {
        {"no metadata",
         {MetadataKind::kNone, ""},
         1,
         "",
         false,
         InsertTdmDescriptions("", 1, "", false)},
        {"no metadata, schema",
         {MetadataKind::kNone, ""},
         1,
         "",
         true,
         InsertTdmDescriptions("", 1, "", true)},
        {"flate packet",
         {MetadataKind::kFlateStream, packet},
         0,
         "",
         true,
         InsertTdmDescriptions(packet, 0, "", true)},
        {"dictionary",
         {MetadataKind::kDictionary, ""},
         1,
         test::kPolicy,
         false,
         InsertTdmDescriptions("", 1, test::kPolicy, false)},
        {"unknown filter",
         {MetadataKind::kUnknownFilter, packet},
         1,
         "",
         false,
         InsertTdmDescriptions("", 1, "", false)},
        {"flate cut short",
         {MetadataKind::kCutFlate, packet},
         1,
         "",
         false,
         InsertTdmDescriptions("", 1, "", false)},
        {"empty stream",
         {MetadataKind::kStream, ""},
         1,
         "",
         false,
         InsertTdmDescriptions("", 1, "", false)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        test::OpenedDocument document(Write(c.spec));
        ASSERT_TRUE(ApplyTdmToDocument(document.Get(), c.reservation, c.policy, c.schema));
        const test::StoredMetadata stored = test::ReadStored(document);
        ExpectWrittenStream(stored);
        EXPECT_EQ(stored.data, c.expected);
        ReservationRecord record;
        ASSERT_TRUE(ReadDocumentReservation(document.Get(), record));
        EXPECT_EQ(record, (ReservationRecord{c.reservation, c.policy, true}));
    }
    EXPECT_EQ(InsertTdmDescriptions("", 1, "", false).size(), 349u);
    EXPECT_EQ(InsertTdmDescriptions("", 1, "", true).size(), 2078u);
}

TEST_F(WriteTest, ApplyKeepsOtherDescriptionsAndTheOldStreamObject) {
    const std::string title = test::TitleDescription("Keep me");
    const std::string packet = test::Packet(title + BuildTdmDescription(0, ""));
    test::OpenedDocument document(Write({MetadataKind::kStream, packet}));
    const test::StoredMetadata before = test::ReadStored(document);

    ASSERT_TRUE(ApplyTdmToDocument(document.Get(), 1, test::kPolicy, false));
    ASSERT_TRUE(ApplyTdmToDocument(document.Get(), 0, "", true));
    const test::StoredMetadata after = test::ReadStored(document);
    ExpectWrittenStream(after);
    EXPECT_NE(after.objGen, before.objGen);
    EXPECT_NE(after.data.find(title), std::string::npos);
    EXPECT_EQ(Count(after.data, "<tdm:reservation>"), 1u);
    EXPECT_EQ(Count(after.data, "<pdfaSchema:schema>TDMRep<"), 1u);
    EXPECT_EQ(ParseReservation(after.data), (ReservationRecord{0, "", false}));

    QPDFObjectHandle old = document.Pdf().getObjectByObjGen(before.objGen);
    const auto oldData = old.getRawStreamData();
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(oldData->getBuffer()), oldData->getSize()),
              packet);
}

TEST_F(WriteTest, ApplyRefusesWhatItCannotStoreAndWritesNothing) {
    const std::string packet = test::StampedPacket();
    const std::string noRdfEnd =
        "<?xpacket begin=\"\"?><x:xmpmeta xmlns:x=\"adobe:ns:meta/\"></x:xmpmeta>";
    struct Case {
        const char* name;
        test::PdfSpec spec;
        std::int32_t reservation;
        std::string policy;
    };
    const std::vector<Case> cases = {
        {"zero byte",
         {MetadataKind::kStream, packet.substr(0, 50) + '\0' + packet.substr(50)},
         1,
         ""},
        {"utf-16", {MetadataKind::kStream, test::Utf16Packet()}, 1, ""},
        {"no </rdf:RDF>", {MetadataKind::kStream, noRdfEnd}, 1, ""},
        {"stripped, no </rdf:RDF>", {MetadataKind::kStream, BuildTdmDescription(0, "")}, 1, ""},
        {"policy with a line feed", {MetadataKind::kStream, packet}, 1, "https://x/\nmore"},
        {"policy with a control byte", {MetadataKind::kNone, ""}, 1, std::string("a\x01", 2)},
        {"policy in an 8-bit code page", {MetadataKind::kNone, ""}, 1, "https://x/caf\xE9"},
        {"policy holding U+FFFF", {MetadataKind::kNone, ""}, 1, "https://x/\xEF\xBF\xBF"},
        {"description the strip cannot delimit",
         {MetadataKind::kStream, test::Packet(kCommentedTdm)},
         0,
         ""},
        {"policy the strip leaves",
         {MetadataKind::kStream, test::Packet(kStrayPolicy)},
         1,
         ""},
        {"name ahead of the new description",
         {MetadataKind::kStream, test::Packet("<!-- no tdm:reservation here -->\n")},
         1,
         ""},
        {"reservation 2", {MetadataKind::kStream, packet}, 2, ""},
        {"reservation -1", {MetadataKind::kNone, ""}, -1, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        test::OpenedDocument document(Write(c.spec));
        const test::StoredMetadata before = test::ReadStored(document);
        EXPECT_FALSE(ApplyTdmToDocument(document.Get(), c.reservation, c.policy, true));
        const test::StoredMetadata after = test::ReadStored(document);
        EXPECT_EQ(after.present, before.present);
        EXPECT_EQ(after.objGen, before.objGen);
        EXPECT_EQ(after.data, before.data);
    }
    EXPECT_FALSE(ApplyTdmToDocument(nullptr, 1, "", true));
}

TEST_F(WriteTest, RemoveRewritesThePacketWithoutTdmRep) {
    const std::string title = test::TitleDescription("Keep me");
    const std::string plain = test::Packet(title);
    const std::string onlyTdm = BuildTdmDescription(1, test::kPolicy);
    struct Case {
        const char* name;
        test::PdfSpec spec;
        std::string expected;
    };
    const std::string applied = InsertTdmDescriptions(plain, 1, test::kPolicy, true);
    const std::vector<Case> cases = {
        {"applied with schema", {MetadataKind::kStream, applied}, StripTdmDescriptions(applied)},
        {"no tdm, compressed", {MetadataKind::kFlateStream, plain}, plain},
        {"nothing but tdm", {MetadataKind::kStream, onlyTdm}, StripTdmDescriptions(onlyTdm)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        test::OpenedDocument document(Write(c.spec));
        const test::StoredMetadata before = test::ReadStored(document);
        ASSERT_TRUE(RemoveTdmFromDocument(document.Get()));
        const test::StoredMetadata after = test::ReadStored(document);
        ExpectWrittenStream(after);
        EXPECT_NE(after.objGen, before.objGen);
        EXPECT_EQ(after.data, c.expected);
        EXPECT_EQ(Count(after.data, "tdm:"), 0u);
        ReservationRecord record;
        ASSERT_TRUE(ReadDocumentReservation(document.Get(), record));
        EXPECT_EQ(record.reservation, -1);
        EXPECT_EQ(record.policy, "");
    }
}

TEST_F(WriteTest, RemoveLeavesADocumentItNeedNotOrCannotChange) {
    const std::string packet = test::StampedPacket();
    struct Case {
        const char* name;
        test::PdfSpec spec;
        bool result;
    };
    const std::vector<Case> cases = {
        {"no metadata", {MetadataKind::kNone, ""}, true},
        {"dictionary", {MetadataKind::kDictionary, ""}, true},
        {"empty stream", {MetadataKind::kStream, ""}, true},
        {"unknown filter", {MetadataKind::kUnknownFilter, packet}, false},
        {"broken flate", {MetadataKind::kBrokenFlate, ""}, false},
        {"flate cut short", {MetadataKind::kCutFlate, packet}, false},
        {"description the strip cannot delimit",
         {MetadataKind::kStream, test::Packet(kCommentedTdm)},
         false},
        {"policy the strip leaves", {MetadataKind::kStream, test::Packet(kStrayPolicy)}, false},
        {"zero byte",
         {MetadataKind::kStream, packet.substr(0, 50) + '\0' + packet.substr(50)},
         false},
        {"utf-16", {MetadataKind::kStream, test::Utf16Packet()}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        test::OpenedDocument document(Write(c.spec));
        const test::StoredMetadata before = test::ReadStored(document);
        EXPECT_EQ(RemoveTdmFromDocument(document.Get()), c.result);
        const test::StoredMetadata after = test::ReadStored(document);
        EXPECT_EQ(after.present, before.present);
        EXPECT_EQ(after.objGen, before.objGen);
        EXPECT_EQ(after.data, before.data);
    }
    EXPECT_FALSE(RemoveTdmFromDocument(nullptr));
}

}  // namespace
}  // namespace plenvo
