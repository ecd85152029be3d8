#pragma once

// Byte-level helpers and fixed names shared by the XMP reader, stripper and writer.

#include <cstddef>
#include <string_view>

namespace plenvo {

inline constexpr std::string_view kRdfNamespace = "http://www.w3.org/1999/02/22-rdf-syntax-ns#";
inline constexpr std::string_view kTdmNamespace = "http://www.w3.org/ns/tdmrep/";
inline constexpr std::string_view kPdfaExtensionNamespace = "http://www.aiim.org/pdfa/ns/extension/";
inline constexpr std::string_view kPdfaSchemaNamespace = "http://www.aiim.org/pdfa/ns/schema#";
inline constexpr std::string_view kPdfaPropertyNamespace = "http://www.aiim.org/pdfa/ns/property#";

// Space, TAB, LF, VT, FF and CR. Bytes of 0x80 and above never count.
constexpr bool IsXmpSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// The view without leading and trailing XMP white space.
std::string_view TrimXmpSpace(std::string_view text);

}  // namespace plenvo
