#pragma once

// Fixtures shared by the document tests: packets, files, and the host's own look at what
// a document's catalog holds under "Metadata".

#include <string>

#include <qpdf/QPDFObjGen.hh>

#include "support/HostFixture.h"
#include "support/PdfFactory.h"
#include "support/TestFiles.h"
#include "xmp/ReservationRecord.h"

namespace plenvo::test {

inline const std::string kPolicy = "https://example.com/tdm/policy.json";

// A packet with a title description and a TDMRep description (reservation 1, kPolicy).
std::string StampedPacket();

// A packet in UTF-16LE with a byte-order mark: every other byte is zero.
std::string Utf16Packet();

// A packet of exactly `size` bytes holding a title and a TDMRep description.
std::string PacketOfSize(std::size_t size);

// What the catalog's "Metadata" entry holds, as qpdf sees it.
struct StoredMetadata {
    bool present = false;
    bool isStream = false;
    bool indirect = false;
    QPDFObjGen objGen;
    std::string type;       // the stream dictionary's /Type
    std::string subtype;    // and /Subtype
    bool filtered = false;  // a /Filter or /DecodeParms entry
    std::string data;       // the stream's bytes as stored
};
StoredMetadata ReadStored(const OpenedDocument& document);

// The record a file read back through the plug-in holds; fails the test on a false read.
ReservationRecord CheckFile(const std::string& path);

// The values in a file's packet as qpdf decodes it, without the host; `includeSchema` says
// whether the packet held a byte. Fails the test when qpdf cannot read the packet.
ReservationRecord ReadWithQpdf(const std::string& path);

}  // namespace plenvo::test
