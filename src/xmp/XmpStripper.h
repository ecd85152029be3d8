#pragma once

#include <string>
#include <string_view>

namespace plenvo {

// Removes every rdf:Description that carries a TDMRep marker ("xmlns:tdm",
// "tdm:reservation", or for a description with an end tag also
// "pdfaSchema:schema>TDMRep<"), together with the CR and LF bytes right after it.
// Everything else, including the indentation in front of a removed description, stays
// byte for byte. A description start that is never closed ends the scan there.
// Linear in the size of the text; applying it to its own result changes nothing.
std::string StripTdmDescriptions(std::string_view text);

// The same, with capacity for `spare` more bytes in the result, so that a caller can
// insert into it without another copy of the whole text.
std::string StripTdmDescriptions(std::string_view text, std::size_t spare);

}  // namespace plenvo
