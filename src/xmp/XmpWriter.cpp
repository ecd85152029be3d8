#include "xmp/XmpWriter.h"

#include "xmp/ByteSearch.h"
#include "xmp/XmpStripper.h"
#include "xmp/XmpText.h"

namespace plenvo {
namespace {

constexpr std::string_view kRdfEnd = "</rdf:RDF>";

void AppendLine(std::string& out, int indent, std::initializer_list<std::string_view> pieces) {
    out.append(static_cast<std::size_t>(indent), ' ');
    for (std::string_view piece : pieces) out.append(piece);
    out.push_back('\n');
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

int HexValue(char c) {
    if (IsDigit(c)) return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// XML's Char production: a character reference to anything else is not well-formed.
bool IsXmlChar(long code) {
    return code == 0x9 || code == 0xA || code == 0xD || (code >= 0x20 && code <= 0xD7FF) ||
           (code >= 0xE000 && code <= 0xFFFD) || (code >= 0x10000 && code <= 0x10FFFF);
}

// Length of the well-formed reference that starts at text[0] == '&', or 0.
std::size_t ReferenceLength(std::string_view text) {
    for (std::string_view entity : {"&amp;", "&lt;", "&gt;", "&quot;", "&apos;"}) {
        if (text.starts_with(entity)) return entity.size();
    }
    if (!text.starts_with("&#")) return 0;

    const bool hex = text.size() > 2 && text[2] == 'x';
    const int base = hex ? 16 : 10;
    std::size_t pos = hex ? 3 : 2;
    const std::size_t firstDigit = pos;
    long code = 0;
    for (; pos < text.size() && text[pos] != ';'; ++pos) {
        const int digit = hex ? HexValue(text[pos]) : (IsDigit(text[pos]) ? text[pos] - '0' : -1);
        if (digit < 0) return 0;
        code = code * base + digit;
        if (code > 0x10FFFF) return 0;
    }
    if (pos == text.size() || pos == firstDigit || !IsXmlChar(code)) return 0;
    return pos + 1;
}

// Length of the well-formed UTF-8 sequence that starts `text`, or 0: no overlong forms, no
// surrogates, nothing above U+10FFFF.
std::size_t Utf8CharLength(std::string_view text) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(0);
    if (lead < 0x80) return 1;
    std::size_t length = 0;
    unsigned char low = 0x80;  // the range the second byte must fall in
    unsigned char high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0) low = 0xA0;
        if (lead == 0xED) high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0) low = 0x90;
        if (lead == 0xF4) high = 0x8F;
    } else {
        return 0;
    }
    if (text.size() < length || byte(1) < low || byte(1) > high) return 0;
    for (std::size_t i = 2; i < length; ++i) {
        if (byte(i) < 0x80 || byte(i) > 0xBF) return 0;
    }
    return length;
}

void AppendEscapedPolicy(std::string& out, std::string_view policy) {
    for (std::size_t i = 0; i < policy.size(); ++i) {
        const char c = policy[i];
        if (c == '<') {
            out.append("&lt;");
        } else if (c == '>') {
            out.append("&gt;");
        } else if (c == '&') {
            const std::size_t length = ReferenceLength(policy.substr(i));
            if (length == 0) {
                out.append("&amp;");
            } else {
                out.append(policy.substr(i, length));
                i += length - 1;
            }
        } else {
            out.push_back(c);
        }
    }
}

std::string MakeSchemaDescription() {
    std::string out;
    out.reserve(1729);
    AppendLine(out, 3, {R"(<rdf:Description rdf:about="")"});
    AppendLine(out, 9, {R"(xmlns:tdm=")", kTdmNamespace, R"(")"});
    AppendLine(out, 9, {R"(xmlns:pdfaExtension=")", kPdfaExtensionNamespace, R"(")"});
    AppendLine(out, 9, {R"(xmlns:pdfaSchema=")", kPdfaSchemaNamespace, R"(")"});
    AppendLine(out, 9, {R"(xmlns:pdfaProperty=")", kPdfaPropertyNamespace, R"(">)"});
    AppendLine(out, 6, {"<pdfaExtension:schemas>"});
    AppendLine(out, 9, {"<rdf:Bag>"});
    AppendLine(out, 12, {R"(<rdf:li rdf:parseType="Resource">)"});
    AppendLine(out, 15,
               {"<pdfaSchema:namespaceURI>", kTdmNamespace, "</pdfaSchema:namespaceURI>"});
    AppendLine(out, 15, {"<pdfaSchema:prefix>tdm</pdfaSchema:prefix>"});
    AppendLine(out, 15, {"<pdfaSchema:schema>TDMRep</pdfaSchema:schema>"});
    AppendLine(out, 15, {"<pdfaSchema:property>"});
    AppendLine(out, 18, {"<rdf:Seq>"});
    AppendLine(out, 21, {R"(<rdf:li rdf:parseType="Resource">)"});
    AppendLine(out, 24, {"<pdfaProperty:category>internal</pdfaProperty:category>"});
    AppendLine(out, 24,
               {"<pdfaProperty:description>TDM rights are reserved (1) or not reserved (0)"
                "</pdfaProperty:description>"});
    AppendLine(out, 24, {"<pdfaProperty:name>reservation</pdfaProperty:name>"});
    AppendLine(out, 24, {"<pdfaProperty:valueType>Closed Choice of Integer</pdfaProperty:valueType>"});
    AppendLine(out, 21, {"</rdf:li>"});
    AppendLine(out, 21, {R"(<rdf:li rdf:parseType="Resource">)"});
    AppendLine(out, 24, {"<pdfaProperty:category>internal</pdfaProperty:category>"});
    AppendLine(out, 24,
               {"<pdfaProperty:description>URL pointing to a TDM Policy set by the rightsholder"
                "</pdfaProperty:description>"});
    AppendLine(out, 24, {"<pdfaProperty:name>policy</pdfaProperty:name>"});
    AppendLine(out, 24, {"<pdfaProperty:valueType>URI</pdfaProperty:valueType>"});
    AppendLine(out, 21, {"</rdf:li>"});
    AppendLine(out, 18, {"</rdf:Seq>"});
    AppendLine(out, 15, {"</pdfaSchema:property>"});
    AppendLine(out, 12, {"</rdf:li>"});
    AppendLine(out, 9, {"</rdf:Bag>"});
    AppendLine(out, 6, {"</pdfaExtension:schemas>"});
    AppendLine(out, 3, {"</rdf:Description>"});
    return out;
}

const std::string& SchemaDescription() {
    static const std::string description = MakeSchemaDescription();
    return description;
}

}  // namespace

std::string EmptyXmpPacket() {
    std::string out;
    out.append("<?xpacket begin=\"\xEF\xBB\xBF\" id=\"W5M0MpCehiHzreSzNTczkc9d\"?>\n");
    out.append("<x:xmpmeta xmlns:x=\"adobe:ns:meta/\">\n");
    out.append("<rdf:RDF xmlns:rdf=\"").append(kRdfNamespace).append("\">\n");
    out.append("</rdf:RDF>\n");
    out.append("</x:xmpmeta>\n");
    out.append("<?xpacket end=\"w\"?>");
    return out;
}

std::string BuildTdmDescription(std::int32_t reservation, std::string_view policy) {
    std::string out;
    out.reserve(181 + policy.size());
    AppendLine(out, 3, {R"(<rdf:Description rdf:about="")"});
    AppendLine(out, 9, {R"(xmlns:tdm=")", kTdmNamespace, R"(">)"});
    AppendLine(out, 6, {"<tdm:reservation>", std::to_string(reservation), "</tdm:reservation>"});
    if (!policy.empty()) {
        out.append(6, ' ').append("<tdm:policy>");
        AppendEscapedPolicy(out, policy);
        out.append("</tdm:policy>\n");
    }
    AppendLine(out, 3, {"</rdf:Description>"});
    return out;
}

std::string BuildTdmSchemaDescription() { return SchemaDescription(); }

bool IsStorablePolicy(std::string_view policy) {
    for (std::size_t i = 0; i < policy.size();) {
        const std::size_t length = Utf8CharLength(policy.substr(i));
        if (length == 0) return false;
        const auto lead = static_cast<unsigned char>(policy[i]);
        if (lead < 0x20 && lead != '\t') return false;
        // U+FFFE and U+FFFF are no XML characters.
        if (length == 3 && lead == 0xEF && static_cast<unsigned char>(policy[i + 1]) == 0xBF &&
            static_cast<unsigned char>(policy[i + 2]) >= 0xBE) {
            return false;
        }
        i += length;
    }
    return true;
}

std::string InsertTdmDescriptions(std::string_view text, std::int32_t reservation,
                                  std::string_view policy, bool includeSchema) {
    const std::string description = BuildTdmDescription(reservation, policy);
    const std::string_view schema = includeSchema ? SchemaDescription() : std::string_view{};
    const std::size_t added = schema.size() + description.size();
    std::string out = text.empty() ? StripTdmDescriptions(EmptyXmpPacket(), added)
                                   : StripTdmDescriptions(text, added);
    const std::size_t at = FindBytes(out, kRdfEnd);
    if (at == std::string::npos) return out;
    // The room is already there, so this moves only what follows "</rdf:RDF>".
    out.insert(at, description);
    out.insert(at, schema);
    return out;
}

}  // namespace plenvo
