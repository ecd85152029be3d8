#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "xmp/XmpReader.h"
#include "xmp/XmpWriter.h"

namespace plenvo {
namespace {

struct ReadCase {
    std::string name;
    std::string text;
    int reservation;
    std::string policy;
};

void PrintTo(const ReadCase& c, std::ostream* os) { *os << c.name; }

std::string Element(const std::string& reservationContent) {
    return "<rdf:Description>\n      <tdm:reservation>" + reservationContent +
           "</tdm:reservation>\n</rdf:Description>";
}

std::vector<ReadCase> ReadCases() {
    const std::string policy = "https://example.com/tdm/policy.json";
    return {
        {"Empty", "", -1, ""},
        {"NotXml", "no markup at all", -1, ""},
        {"WrittenReservedWithPolicy", BuildTdmDescription(1, policy), 1, policy},
        {"WrittenNotReserved", BuildTdmDescription(0, ""), 0, ""},
        {"SchemaAhead", BuildTdmSchemaDescription() + BuildTdmDescription(1, policy), 1, policy},
        {"SpaceAroundContent", Element("\n  1\n"), 1, ""},
        {"VtFfCrTabAroundContent", Element("\v\f\r\t0 \n"), 0, ""},
        {"ContentZeroOne", Element("01"), -1, ""},
        {"ContentDecimal", Element("1.0"), -1, ""},
        {"ContentTwo", Element("2"), -1, ""},
        {"ContentWord", Element("true"), -1, ""},
        {"ContentNone", Element(""), -1, ""},
        {"ContentMinusOne", Element("-1"), -1, ""},
        {"HighBytesNotTrimmed",
         "<tdm:policy>\xC2\xA0https://x/\xC2\xA0</tdm:policy>", -1, "\xC2\xA0https://x/\xC2\xA0"},
        {"ElementWithDatatype",
         R"(<tdm:reservation rdf:datatype="http://www.w3.org/2001/XMLSchema#integer">0)"
         "</tdm:reservation>",
         0, ""},
        {"FirstOccurrenceDecides",
         Element("0") + "<rdf:Description><tdm:reservation>1</tdm:reservation>"
                        "<tdm:policy>https://second/</tdm:policy></rdf:Description>",
         0, "https://second/"},
        {"CommentShadowsElement",
         "<!-- tdm:reservation -->\n<tdm:reservation>1</tdm:reservation>", -1, ""},
        {"NoCloseAfterName", "<tdm:reservation", -1, ""},
        {"NoOpenAfterClose", "<tdm:reservation>1", -1, ""},
        {"PolicyNoCloseAfterName", "<tdm:reservation>1</tdm:reservation><tdm:policy", 1, ""},
        {"PolicyNoOpenAfterClose", "<tdm:policy>https://x", -1, ""},
        {"EntityKeptUndecoded", "<tdm:policy>a&amp;b</tdm:policy>", -1, "a&amp;b"},
        {"EmptyPolicyElement", "<tdm:policy></tdm:policy>", -1, ""},
        // Attribute form: the quoted value, judged like element content.
        {"AttributesSelfClosing",
         R"(<rdf:Description xmlns:tdm="http://www.w3.org/ns/tdmrep/" tdm:reservation="1")"
         R"( tdm:policy="https://example.com/p.json"/>)",
         1, "https://example.com/p.json"},
        {"AttributeSingleQuotesAndSpaces", "<rdf:Description tdm:reservation = '0'\n/>", 0, ""},
        {"AttributeValueTrimmed", R"(<x tdm:reservation=" 1 " tdm:policy="  p  ">)", 1, "p"},
        {"AttributeOtherQuoteInside", R"(<x tdm:policy="it's">)", -1, "it's"},
        {"AttributeValueNotANumber", R"(<x tdm:reservation="yes"/>)", -1, ""},
        {"AttributeValueUnterminated", "<x tdm:reservation=\"1/>", -1, ""},
        {"EqualsWithoutQuoteFallsBackToContent", "<x tdm:reservation=1>0</x>", 0, ""},
    };
}

class ParseReservationTest : public testing::TestWithParam<ReadCase> {};

TEST_P(ParseReservationTest, ReadsTheFirstOccurrenceOfEachName) {
    const ReadCase& c = GetParam();
    const ReservationRecord record = ParseReservation(c.text);
    EXPECT_EQ(record.reservation, c.reservation);
    EXPECT_EQ(record.policy, c.policy);
    EXPECT_FALSE(record.includeSchema);
}

INSTANTIATE_TEST_SUITE_P(Cases, ParseReservationTest, testing::ValuesIn(ReadCases()),
                         [](const auto& test) { return test.param.name; });

}  // namespace
}  // namespace plenvo
