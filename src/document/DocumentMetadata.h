#pragma once

// Reading and replacing the XMP packet of an open PDF document: the stream that the
// catalog holds under "Metadata". The document belongs to the caller; nothing here saves
// or closes it. Every operation answers false instead of letting a host exception out.

#include <cstdint>
#include <optional>
#include <string>

#include "host/HostHandles.h"
#include "xmp/ReservationRecord.h"

namespace plenvo {

// Reads the stream to its end and closes it. Answers nullopt when the data holds a zero
// byte: that is no 8-bit packet text (a UTF-16 or UTF-32 packet, say), and no part of it
// may be taken for the packet. Raises through the host like any host call.
std::optional<std::string> ReadMetadataText(host::ScopedStream stream);

// Fills `record` with the TDMRep values of the document's packet; `includeSchema` tells
// whether the packet held at least one byte. True also when there is no metadata. On
// false the record holds its reset values, except for a null document, which leaves it
// untouched.
bool ReadDocumentReservation(host::PDDoc document, ReservationRecord& record);

// Replaces every TDMRep description in the document's packet (or in a fresh packet when
// there is none) with one for these values, stored as a new uncompressed metadata stream.
// False, with nothing written, for a reservation other than 0 or 1, a policy XML cannot
// hold, a packet that is no 8-bit text, a packet with nowhere to put the description, a
// packet that would not read back as these values, or a host exception.
bool ApplyTdmToDocument(host::PDDoc document, std::int32_t reservation, const std::string& policy,
                        bool includeSchema);

// Stores `text` as a new indirect, unfiltered stream with Type Metadata and Subtype XML
// and points the catalog's "Metadata" entry at it; the catalog changes last, so a host
// exception leaves it as it was. Raises through the host; the caller's frame handles it.
void WriteMetadataStream(host::CosDoc cosDoc, host::CosObj catalog, const std::string& text);

// Strips every TDMRep description from the document's packet and stores the rest as a
// new metadata stream. True without writing when there is no packet or it is empty;
// false, with nothing written, for a null document, a stream that cannot be decoded, a
// packet that is no 8-bit text, a packet that would still read as holding a reservation
// or a policy, or a host exception.
bool RemoveTdmFromDocument(host::PDDoc document);

}  // namespace plenvo
