#pragma once

// Small PDF files for tests, built byte by byte, so that the metadata stream holds
// exactly what a case needs (qpdf's writer would decode a compressed root packet).

#include <string>

namespace plenvo::test {

enum class MetadataKind {
    kNone,           // no "Metadata" entry
    kStream,         // an unfiltered stream holding `packet`
    kFlateStream,    // `packet` Flate-compressed
    kDictionary,     // a dictionary, not a stream
    kUnknownFilter,  // a stream under a filter the host cannot undo
    kBrokenFlate,    // a FlateDecode stream whose data is no Flate data
    kCutFlate,       // `packet` Flate-compressed, cut short: it decodes to the packet less its tail
};

struct PdfSpec {
    MetadataKind metadata = MetadataKind::kNone;
    std::string packet;
};

// `data` compressed as FlateDecode expects it.
std::string Deflate(const std::string& data);

// A one-page PDF with a classic cross-reference table.
std::string MakePdf(const PdfSpec& spec);

// The same document rewritten by qpdf with object streams and a cross-reference stream.
std::string WithObjectStreams(const std::string& pdf);

// The same document encrypted (AES-256); an empty user password opens without one.
std::string Encrypted(const std::string& pdf, const std::string& userPassword,
                      const std::string& ownerPassword);

// The same bytes with a wrong "startxref", so a reader must rebuild the cross-references.
std::string WithBrokenXref(const std::string& pdf);

// An XMP packet: the empty packet with `descriptions` in front of "</rdf:RDF>".
std::string Packet(const std::string& descriptions);

// A description that carries no TDMRep: a title and a date.
std::string TitleDescription(const std::string& title);

}  // namespace plenvo::test
