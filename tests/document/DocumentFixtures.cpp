#include "DocumentFixtures.h"

#include <gtest/gtest.h>

#include <qpdf/Buffer.hh>
#include <qpdf/QPDF.hh>

#include "document/FileOperations.h"
#include "xmp/XmpReader.h"
#include "xmp/XmpWriter.h"

namespace plenvo::test {

std::string StampedPacket() {
    return Packet(TitleDescription("Annual report") + BuildTdmDescription(1, kPolicy));
}

std::string Utf16Packet() {
    const std::string narrow = StampedPacket();
    std::string wide = "\xFF\xFE";
    for (const char c : narrow) {
        wide.push_back(c);
        wide.push_back('\0');
    }
    return wide;
}

std::string PacketOfSize(std::size_t size) {
    const std::string base = Packet(TitleDescription("") + BuildTdmDescription(1, kPolicy));
    if (size < base.size()) throw std::invalid_argument("packet too small");
    return Packet(TitleDescription(std::string(size - base.size(), 'x')) +
                  BuildTdmDescription(1, kPolicy));
}

StoredMetadata ReadStored(const OpenedDocument& document) {
    StoredMetadata stored;
    QPDFObjectHandle entry = document.Pdf().getRoot().getKey("/Metadata");
    if (entry.isNull()) return stored;
    stored.present = true;
    stored.indirect = entry.isIndirect();
    stored.objGen = entry.getObjGen();
    stored.isStream = entry.isStream();
    if (!stored.isStream) return stored;
    QPDFObjectHandle dictionary = entry.getDict();
    if (dictionary.getKey("/Type").isName()) stored.type = dictionary.getKey("/Type").getName();
    if (dictionary.getKey("/Subtype").isName()) {
        stored.subtype = dictionary.getKey("/Subtype").getName();
    }
    stored.filtered = dictionary.hasKey("/Filter") || dictionary.hasKey("/DecodeParms");
    const auto raw = entry.getRawStreamData();
    stored.data.assign(reinterpret_cast<const char*>(raw->getBuffer()), raw->getSize());
    return stored;
}

ReservationRecord ReadWithQpdf(const std::string& path) {
    QPDF pdf;
    pdf.setSuppressWarnings(true);
    pdf.processFile(path.c_str());
    QPDFObjectHandle entry = pdf.getRoot().getKey("/Metadata");
    if (entry.isNull()) return {};
    if (!entry.isStream()) {
        ADD_FAILURE() << "the metadata entry of " << path << " is no stream";
        return {};
    }
    const auto data = entry.getStreamData(qpdf_dl_all);
    const std::string packet(reinterpret_cast<const char*>(data->getBuffer()), data->getSize());
    EXPECT_FALSE(pdf.anyWarnings()) << "qpdf warned reading " << path;
    ReservationRecord record = ParseReservation(packet);
    record.includeSchema = !packet.empty();
    return record;
}

ReservationRecord CheckFile(const std::string& path) {
    ReservationRecord record;
    std::string error;
    EXPECT_TRUE(CheckTdmOfFile(path, record, error)) << error;
    return record;
}

}  // namespace plenvo::test
