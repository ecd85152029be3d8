#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "DocumentFixtures.h"
#include "document/DocumentMetadata.h"
#include "xmp/XmpWriter.h"

namespace plenvo {
namespace {

using test::MetadataKind;

class ReadTest : public test::HostTest {
protected:
    test::TempDir dir;

    std::string Write(const std::string& bytes) {
        const std::string path = dir.File("read.pdf");
        test::WriteBytes(path, bytes);
        return path;
    }
};

TEST_F(ReadTest, ReadsTheValuesOrReportsAnUnreadablePacket) {
    const std::string stamped = test::StampedPacket();
    const ReservationRecord found{1, test::kPolicy, true};
    const ReservationRecord reset{};
    struct Case {
        const char* name;
        std::string pdf;
        bool result;
        ReservationRecord record;
    };
    const std::vector<Case> cases = {
        {"no metadata", test::MakePdf({MetadataKind::kNone, ""}), true, reset},
        {"uncompressed", test::MakePdf({MetadataKind::kStream, stamped}), true, found},
        {"flate", test::MakePdf({MetadataKind::kFlateStream, stamped}), true, found},
        {"object streams", test::WithObjectStreams(test::MakePdf({MetadataKind::kStream, stamped})),
         true, found},
        {"repaired", test::WithBrokenXref(test::MakePdf({MetadataKind::kStream, stamped})), true,
         found},
        {"encrypted, no user password",
         test::Encrypted(test::MakePdf({MetadataKind::kStream, stamped}), "", "owner"), true,
         found},
        {"no tdm",
         test::MakePdf({MetadataKind::kStream, test::Packet(test::TitleDescription("t"))}),
         true,
         {-1, "", true}},
        {"not reserved",
         test::MakePdf({MetadataKind::kStream, test::Packet(BuildTdmDescription(0, ""))}),
         true,
         {0, "", true}},
        {"empty stream", test::MakePdf({MetadataKind::kStream, ""}), true, reset},
        {"dictionary", test::MakePdf({MetadataKind::kDictionary, ""}), false, reset},
        {"unknown filter", test::MakePdf({MetadataKind::kUnknownFilter, stamped}), false, reset},
        {"broken flate", test::MakePdf({MetadataKind::kBrokenFlate, ""}), false, reset},
        {"flate cut short", test::MakePdf({MetadataKind::kCutFlate, stamped}), false, reset},
        {"zero byte",
         test::MakePdf(
             {MetadataKind::kStream, stamped.substr(0, 100) + '\0' + stamped.substr(100)}),
         false, reset},
        {"utf-16", test::MakePdf({MetadataKind::kStream, test::Utf16Packet()}), false, reset},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        test::OpenedDocument document(Write(c.pdf));
        ReservationRecord record{7, "left over", true};
        EXPECT_EQ(ReadDocumentReservation(document.Get(), record), c.result);
        EXPECT_EQ(record, c.record);
    }
}

TEST_F(ReadTest, NullDocumentLeavesTheRecordAlone) {
    ReservationRecord record{7, "left over", true};
    EXPECT_FALSE(ReadDocumentReservation(nullptr, record));
    EXPECT_EQ(record, (ReservationRecord{7, "left over", true}));
}

TEST_F(ReadTest, LargePacketIsReadInChunksAndComesBackWhole) {
    const std::string packet = test::PacketOfSize(10000);
    test::OpenedDocument document(Write(test::MakePdf({MetadataKind::kFlateStream, packet})));
    ReservationRecord record;
    ASSERT_TRUE(ReadDocumentReservation(document.Get(), record));
    EXPECT_EQ(record, (ReservationRecord{1, test::kPolicy, true}));
    EXPECT_EQ(hostapp::StreamReads(), (std::vector<hostapp::StreamRead>{
                                          {4095, 4095}, {4095, 4095}, {4095, 1810}, {4095, 0}}));
}

TEST_F(ReadTest, TextIsWholeOrRefusedWhereverAZeroByteFalls) {
    const std::string packet = test::PacketOfSize(10000);
    struct Case {
        const char* name;
        std::string bytes;
        bool readable;
    };
    const auto zeroAt = [&](std::size_t at) {
        std::string bytes = packet;
        bytes[at] = '\0';
        return bytes;
    };
    const Case cases[] = {
        {"whole", packet, true},
        {"empty", "", true},
        {"zero first", zeroAt(0), false},
        {"zero ending a chunk", zeroAt(4094), false},
        {"zero starting a chunk", zeroAt(4095), false},
        {"zero last", zeroAt(9999), false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        host::ScopedStream stream(host::ASMemStmRdOpen(c.bytes.data(), c.bytes.size()));
        const std::optional<std::string> text = ReadMetadataText(std::move(stream));
        ASSERT_EQ(text.has_value(), c.readable);
        if (text) {
            EXPECT_EQ(*text, c.bytes);
        }
        EXPECT_EQ(hostapp::CountOpen().streams, 0);
    }
}

}  // namespace
}  // namespace plenvo
