#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace plenvo {

// The packet that an apply starts from when a document has no metadata: 200 bytes,
// no LF after its last line.
std::string EmptyXmpPacket();

// The TDMRep description: four lines, or five when the policy holds at least one byte.
// The policy is written as given, except that "<", ">" and every "&" that does not
// already begin an entity or character reference are escaped, so a policy read back from
// a packet (the reader decodes nothing) is written again as the same bytes.
std::string BuildTdmDescription(std::int32_t reservation, std::string_view policy);

// The PDF/A extension-schema description that declares the two TDMRep properties.
std::string BuildTdmSchemaDescription();

// True when XML can hold the policy: well-formed UTF-8 with no byte below 0x20 other than
// TAB, and neither U+FFFE nor U+FFFF. The document operations refuse a policy that fails
// this, since no escaping could store it.
bool IsStorablePolicy(std::string_view policy);

// Strips every TDMRep description from `text` (or from EmptyXmpPacket() when `text` is
// empty) and puts the schema description (when `includeSchema`) and the TDMRep
// description in front of the first "</rdf:RDF>". Without a "</rdf:RDF>" the stripped
// text comes back with nothing inserted.
std::string InsertTdmDescriptions(std::string_view text, std::int32_t reservation,
                                  std::string_view policy, bool includeSchema);

}  // namespace plenvo
