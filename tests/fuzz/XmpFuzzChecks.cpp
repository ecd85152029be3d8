#include "fuzz/XmpFuzzChecks.h"

#include <array>
#include <string_view>

#include "xmp/ByteSearch.h"
#include "xmp/XmpReader.h"
#include "xmp/XmpStripper.h"
#include "xmp/XmpText.h"
#include "xmp/XmpWriter.h"

namespace plenvo::fuzz {
namespace {

struct Piece {
    std::string_view text;
    bool tdm;  // the stripper must take it out
};

const std::array<Piece, 16>& Pieces() {
    static const std::string tdm = BuildTdmDescription(1, "https://example.com/p.json");
    static const std::string schema = BuildTdmSchemaDescription();
    static const std::array<Piece, 16> pieces = {{
        {R"(<rdf:Description rdf:about="" xmlns:dc="http://purl.org/dc/elements/1.1/">)"
         "<dc:title>T</dc:title></rdf:Description>",
         false},
        {R"(<rdf:Description rdf:about="" xmlns:x="u" x:a="/>"/>)", false},
        {tdm, true},
        {schema, true},
        {R"(<rdf:Description xmlns:tdm="http://www.w3.org/ns/tdmrep/" tdm:reservation="1"/>)",
         true},
        {"<rdf:Description><x:s><rdf:Description><x:a>1</x:a></rdf:Description></x:s>"
         "</rdf:Description>",
         false},
        {R"(<rdf:Description xmlns:tdm="t"><x:s><rdf:Description><x:a>1</x:a>)"
         "</rdf:Description></x:s></rdf:Description>",
         true},
        {"\r\n", false},
        {"\n  \n", false},
        {"   ", false},
        {"text \"'=/ ", false},
        {"</rdf:RDF>", false},
        {"<!-- note -->", false},
        {R"(<rdf:Description a="x>y" b='</rdf:Description>'><x:v>2</x:v></rdf:Description>)",
         false},
        {"<rdf:Description><pdfaSchema:schema>Other</pdfaSchema:schema></rdf:Description>",
         false},
        {"<rdf:Description><tdm:policy>p</tdm:policy><x:a/></rdf:Description>", false},
    }};
    return pieces;
}

// Builds a packet from piece numbers, and what stripping it must give: the pieces that
// carry no marker and the indentation of those that do, less the CR and LF bytes that
// directly follow a removed description.
void BuildFromPieces(std::string_view program, std::string& packet, std::string& expected) {
    bool afterRemoval = false;
    for (unsigned char number : program) {
        const Piece& piece = Pieces()[number % Pieces().size()];
        packet.append(piece.text);
        if (piece.tdm) {
            // The indentation in front of a removed description stays.
            const std::string_view indent = piece.text.substr(0, piece.text.find('<'));
            expected.append(indent);
            afterRemoval = true;
            continue;
        }
        std::string_view kept = piece.text;
        while (afterRemoval && !kept.empty() && (kept[0] == '\r' || kept[0] == '\n')) {
            kept.remove_prefix(1);
        }
        if (!kept.empty()) afterRemoval = false;
        expected.append(kept);
    }
}

bool IsSubsequence(std::string_view part, std::string_view whole) {
    std::size_t i = 0;
    for (char c : whole) {
        if (i < part.size() && part[i] == c) ++i;
    }
    return i == part.size();
}

bool HasAnyMarker(std::string_view text) {
    return text.find("xmlns:tdm") != std::string_view::npos ||
           text.find("tdm:reservation") != std::string_view::npos ||
           text.find("pdfaSchema:schema>TDMRep<") != std::string_view::npos;
}

std::string Printable(std::string_view text) {
    std::string out;
    for (char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x20 && byte < 0x7F) {
            out.push_back(c);
        } else {
            static constexpr char kHex[] = "0123456789ABCDEF";
            out.append("\\x").push_back(kHex[byte >> 4]);
            out.push_back(kHex[byte & 15]);
        }
    }
    return out;
}

}  // namespace

std::string CheckXmpInvariants(const std::uint8_t* data, std::size_t size) {
    if (size < 2) return {};
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const int reservation = input[0] & 1;
    const bool includeSchema = (input[0] & 2) != 0;
    const bool structured = (input[0] & 4) != 0;
    const std::size_t policyLength = std::min<std::size_t>(input[1] & 63, size - 2);
    const std::string_view policy = input.substr(2, policyLength);
    const std::string_view rest = input.substr(2 + policyLength);

    std::string packet;
    std::string expected;
    if (structured) {
        BuildFromPieces(rest, packet, expected);
    } else {
        packet.assign(rest);
    }

    // The vectorised search against the library's, with the policy as the needle.
    for (const std::size_t from : {std::size_t{0}, packet.size() / 2}) {
        const std::size_t found = FindBytes(packet, policy, from);
        const std::size_t byFind = std::string_view(packet).find(policy, from);
        if (found != byFind) {
            return "FindBytes of '" + Printable(policy) + "' from " + std::to_string(from) +
                   " gave " + std::to_string(found) + ", find gave " + std::to_string(byFind);
        }
    }

    const ReservationRecord read = ParseReservation(packet);
    if (read.reservation < -1 || read.reservation > 1) return "reservation out of range";

    const std::string stripped = StripTdmDescriptions(packet);
    if (StripTdmDescriptions(stripped) != stripped) {
        return "strip is not idempotent for: " + Printable(packet);
    }
    if (!IsSubsequence(stripped, packet)) return "strip added bytes to: " + Printable(packet);
    if (!HasAnyMarker(packet) && stripped != packet) {
        return "strip changed a packet without markers: " + Printable(packet);
    }
    if (structured && stripped != expected) {
        return "strip of " + Printable(packet) + " gave " + Printable(stripped) + ", expected " +
               Printable(expected);
    }

    if (!IsStorablePolicy(policy)) return {};
    const std::string inserted = InsertTdmDescriptions(packet, reservation, policy, includeSchema);
    const std::string base = packet.empty() ? StripTdmDescriptions(EmptyXmpPacket()) : stripped;
    const std::size_t rdfEnd = base.find("</rdf:RDF>");
    if (rdfEnd == std::string::npos) {
        return inserted == base ? std::string{} : "insert without </rdf:RDF> changed the text";
    }
    // Text ahead of the inserted descriptions that names a property shadows them.
    const std::string_view ahead = std::string_view(base).substr(0, rdfEnd);
    if (ahead.find("tdm:reservation") != std::string_view::npos ||
        ahead.find("tdm:policy") != std::string_view::npos) {
        return {};
    }
    const std::string description = BuildTdmDescription(reservation, policy);
    const std::string_view policyLine = "<tdm:policy>";
    std::string escaped;
    if (const std::size_t at = description.find(policyLine); at != std::string::npos) {
        const std::size_t from = at + policyLine.size();
        escaped = description.substr(from, description.find("</tdm:policy>") - from);
    }
    const ReservationRecord back = ParseReservation(inserted);
    if (back.reservation != reservation) {
        return "insert then read gave reservation " + std::to_string(back.reservation) +
               " in " + Printable(packet);
    }
    // Without a policy line, a tdm:policy that the strip leaves (one without any marker
    // in its description, or behind an unclosed description) is what a reader finds.
    const bool leftoverPolicy = base.find("tdm:policy") != std::string::npos;
    if ((!escaped.empty() || !leftoverPolicy) && back.policy != TrimXmpSpace(escaped)) {
        return "insert then read gave policy '" + Printable(back.policy) + "' for '" +
               Printable(policy) + "' in " + Printable(packet);
    }
    return {};
}

}  // namespace plenvo::fuzz
