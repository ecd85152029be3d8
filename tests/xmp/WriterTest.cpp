#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "xmp/XmpReader.h"
#include "xmp/XmpStripper.h"
#include "xmp/XmpWriter.h"

namespace plenvo {
namespace {

const std::string kEmptyPacket =
    "<?xpacket begin=\"\xEF\xBB\xBF\" id=\"W5M0MpCehiHzreSzNTczkc9d\"?>\n"
    "<x:xmpmeta xmlns:x=\"adobe:ns:meta/\">\n"
    "<rdf:RDF xmlns:rdf=\"http://www.w3.org/1999/02/22-rdf-syntax-ns#\">\n"
    "</rdf:RDF>\n"
    "</x:xmpmeta>\n"
    "<?xpacket end=\"w\"?>";

const std::string kReservedDescription =
    "   <rdf:Description rdf:about=\"\"\n"
    "         xmlns:tdm=\"http://www.w3.org/ns/tdmrep/\">\n"
    "      <tdm:reservation>1</tdm:reservation>\n"
    "   </rdf:Description>\n";

// The schema description's lines as {indent, text}.
const std::vector<std::pair<int, std::string>> kSchemaLines = {
    {3, "<rdf:Description rdf:about=\"\""},
    {9, "xmlns:tdm=\"http://www.w3.org/ns/tdmrep/\""},
    {9, "xmlns:pdfaExtension=\"http://www.aiim.org/pdfa/ns/extension/\""},
    {9, "xmlns:pdfaSchema=\"http://www.aiim.org/pdfa/ns/schema#\""},
    {9, "xmlns:pdfaProperty=\"http://www.aiim.org/pdfa/ns/property#\">"},
    {6, "<pdfaExtension:schemas>"},
    {9, "<rdf:Bag>"},
    {12, "<rdf:li rdf:parseType=\"Resource\">"},
    {15, "<pdfaSchema:namespaceURI>http://www.w3.org/ns/tdmrep/</pdfaSchema:namespaceURI>"},
    {15, "<pdfaSchema:prefix>tdm</pdfaSchema:prefix>"},
    {15, "<pdfaSchema:schema>TDMRep</pdfaSchema:schema>"},
    {15, "<pdfaSchema:property>"},
    {18, "<rdf:Seq>"},
    {21, "<rdf:li rdf:parseType=\"Resource\">"},
    {24, "<pdfaProperty:category>internal</pdfaProperty:category>"},
    {24, "<pdfaProperty:description>TDM rights are reserved (1) or not reserved (0)"
         "</pdfaProperty:description>"},
    {24, "<pdfaProperty:name>reservation</pdfaProperty:name>"},
    {24, "<pdfaProperty:valueType>Closed Choice of Integer</pdfaProperty:valueType>"},
    {21, "</rdf:li>"},
    {21, "<rdf:li rdf:parseType=\"Resource\">"},
    {24, "<pdfaProperty:category>internal</pdfaProperty:category>"},
    {24, "<pdfaProperty:description>URL pointing to a TDM Policy set by the rightsholder"
         "</pdfaProperty:description>"},
    {24, "<pdfaProperty:name>policy</pdfaProperty:name>"},
    {24, "<pdfaProperty:valueType>URI</pdfaProperty:valueType>"},
    {21, "</rdf:li>"},
    {18, "</rdf:Seq>"},
    {15, "</pdfaSchema:property>"},
    {12, "</rdf:li>"},
    {9, "</rdf:Bag>"},
    {6, "</pdfaExtension:schemas>"},
    {3, "</rdf:Description>"},
};

std::string Lines(const std::vector<std::pair<int, std::string>>& lines) {
    std::string out;
    for (const auto& [indent, text] : lines) {
        out += std::string(static_cast<std::size_t>(indent), ' ') + text + "\n";
    }
    return out;
}

// Empty packet lines 1-3, then `middle`, then lines 4-6.
std::string AroundEmpty(const std::string& middle) {
    const std::size_t at = kEmptyPacket.find("</rdf:RDF>");
    return kEmptyPacket.substr(0, at) + middle + kEmptyPacket.substr(at);
}

TEST(XmpWriterTest, FixedTextsAreByteExact) {
    EXPECT_EQ(EmptyXmpPacket(), kEmptyPacket);
    EXPECT_EQ(EmptyXmpPacket().size(), 200u);
    EXPECT_EQ(BuildTdmDescription(1, ""), kReservedDescription);
    EXPECT_EQ(BuildTdmDescription(1, "").size(), 149u);
    EXPECT_EQ(BuildTdmSchemaDescription(), Lines(kSchemaLines));
    EXPECT_EQ(BuildTdmSchemaDescription().size(), 1729u);
}

TEST(XmpWriterTest, PolicyLineStandsBeforeTheClosingLine) {
    const std::string policy = "https://example.com/tdm-policy.json";
    const std::string built = BuildTdmDescription(0, policy);
    EXPECT_EQ(built.size(), 181u + policy.size());
    EXPECT_EQ(built,
              "   <rdf:Description rdf:about=\"\"\n"
              "         xmlns:tdm=\"http://www.w3.org/ns/tdmrep/\">\n"
              "      <tdm:reservation>0</tdm:reservation>\n"
              "      <tdm:policy>" + policy + "</tdm:policy>\n"
              "   </rdf:Description>\n");
    // Leading and trailing spaces are the caller's business.
    EXPECT_NE(BuildTdmDescription(1, " p ").find("<tdm:policy> p </tdm:policy>"),
              std::string::npos);
}

TEST(XmpWriterTest, InsertIntoNothingStartsFromTheEmptyPacket) {
    const std::string plain = InsertTdmDescriptions("", 1, "", false);
    EXPECT_EQ(plain, AroundEmpty(kReservedDescription));
    EXPECT_EQ(plain.size(), 349u);

    const std::string withSchema = InsertTdmDescriptions("", 1, "", true);
    EXPECT_EQ(withSchema, AroundEmpty(Lines(kSchemaLines) + kReservedDescription));
    EXPECT_EQ(withSchema.size(), 2078u);
}

TEST(XmpWriterTest, InsertReplacesEarlierDescriptions) {
    const std::string first = InsertTdmDescriptions("", 1, "https://a/", true);
    const std::string second = InsertTdmDescriptions(first, 0, "", false);
    const ReservationRecord read = ParseReservation(second);
    EXPECT_EQ(read.reservation, 0);
    EXPECT_EQ(read.policy, "");
    EXPECT_EQ(second.find("pdfaExtension"), std::string::npos) << "schema not removed";
    EXPECT_EQ(second.find("<tdm:reservation>"), second.rfind("<tdm:reservation>"));
}

TEST(XmpWriterTest, ApplyingTwiceOnlyAddsTheIndentOfWhatWasRemoved) {
    for (const bool schema : {false, true}) {
        SCOPED_TRACE(schema ? "with schema" : "without schema");
        const std::string once = InsertTdmDescriptions("", 1, "https://p/", schema);
        const std::string twice = InsertTdmDescriptions(once, 1, "https://p/", schema);
        const std::size_t at = once.find("   <rdf:Description");
        const std::string extra(schema ? 6u : 3u, ' ');
        EXPECT_EQ(twice, once.substr(0, at) + extra + once.substr(at));
    }
}

TEST(XmpWriterTest, InsertGoesBeforeTheFirstRdfEnd) {
    const std::string text = "<rdf:RDF>\n</rdf:RDF>\n<rdf:RDF>\n</rdf:RDF>";
    EXPECT_EQ(InsertTdmDescriptions(text, 1, "", false),
              "<rdf:RDF>\n" + kReservedDescription + "</rdf:RDF>\n<rdf:RDF>\n</rdf:RDF>");
}

TEST(XmpWriterTest, WithoutRdfEndNothingIsInserted) {
    EXPECT_EQ(InsertTdmDescriptions(" \n\t", 1, "", true), " \n\t");
    const std::string cut = "<rdf:RDF>" + BuildTdmDescription(0, "") + "<x/>";
    EXPECT_EQ(InsertTdmDescriptions(cut, 1, "", true), "<rdf:RDF>   <x/>");
}

TEST(XmpWriterTest, OtherDescriptionsStayByteForByte) {
    const std::string title =
        "  <rdf:Description rdf:about=\"\" xmlns:dc=\"http://purl.org/dc/elements/1.1/\">\r\n"
        "    <dc:title><rdf:Alt><rdf:li xml:lang=\"x-default\">T</rdf:li></rdf:Alt></dc:title>\r\n"
        "  </rdf:Description>\r\n";
    const std::string packet = "<rdf:RDF>\r\n" + title + "</rdf:RDF>";
    EXPECT_EQ(InsertTdmDescriptions(packet, 1, "", false),
              "<rdf:RDF>\r\n" + title + kReservedDescription + "</rdf:RDF>");
}

struct EscapeCase {
    std::string policy;
    std::string written;
};

TEST(XmpWriterTest, ReservedCharactersAreEscapedOnce) {
    const std::vector<EscapeCase> cases = {
        {"https://x/?a=1&b=2", "https://x/?a=1&amp;b=2"},
        {"a<b>c", "a&lt;b&gt;c"},
        {"a&amp;b&lt;&gt;&quot;&apos;", "a&amp;b&lt;&gt;&quot;&apos;"},
        {"&#38;&#x26;&#0065;", "&#38;&#x26;&#0065;"},
        {"&amp", "&amp;amp"},
        {"&foo;", "&amp;foo;"},
        {"&#X26;", "&amp;#X26;"},
        {"&#;&#x;", "&amp;#;&amp;#x;"},
        {"&#0;", "&amp;#0;"},
        {"&#xD800;", "&amp;#xD800;"},
        {"&#1114112;", "&amp;#1114112;"},
        {"&#99999999999999999999;", "&amp;#99999999999999999999;"},
        {"\"quotes' & \xC3\xA9", "\"quotes' &amp; \xC3\xA9"},
    };
    for (const EscapeCase& c : cases) {
        SCOPED_TRACE(c.policy);
        const std::string packet = InsertTdmDescriptions("", 1, c.policy, false);
        const std::string read = ParseReservation(packet).policy;
        EXPECT_EQ(read, c.written);
        // What was read back is written again as the same bytes.
        EXPECT_EQ(InsertTdmDescriptions("", 1, read, false), packet);
    }
}

TEST(XmpWriterTest, StorablePolicies) {
    const std::vector<std::pair<std::string, bool>> cases = {
        {"", true},
        {"https://x/\tpolicy", true},
        {"\x7F", true},
        {"a\nb", false},
        {"a\rb", false},
        {"\x1F", false},
        {std::string("a\0b", 3), false},
        // UTF-8: what XML can hold, and what no reader accepts.
        {"caf\xC3\xA9", true},
        {"caf\xE9", false},                     // the same word in an 8-bit code page
        {"\xC3\xA9\x80", false},                // a continuation byte with no lead
        {"\xE2\x82", false},                    // cut short
        {"\xE2\x82\xAC", true},                 // U+20AC
        {"\xC0\xAF", false},                    // overlong "/"
        {"\xE0\x80\xAF", false},
        {"\xF0\x80\x80\xAF", false},
        {"\xED\x9F\xBF", true},                 // U+D7FF
        {"\xED\xA0\x80", false},                // a surrogate
        {"\xEE\x80\x80", true},                 // U+E000
        {"\xEF\xBF\xBD", true},                 // U+FFFD
        {"\xEF\xBF\xBE", false},                // U+FFFE
        {"\xEF\xBF\xBF", false},                // U+FFFF
        {"\xF0\x90\x80\x80", true},             // U+10000
        {"\xF4\x8F\xBF\xBF", true},             // U+10FFFF
        {"\xF4\x90\x80\x80", false},            // past U+10FFFF
        {"\xF8\x88\x80\x80\x80", false},
        {"\xFF", false},
    };
    for (const auto& [policy, storable] : cases) {
        EXPECT_EQ(IsStorablePolicy(policy), storable) << testing::PrintToString(policy);
    }
}

}  // namespace
}  // namespace plenvo
