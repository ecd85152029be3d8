#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "xmp/XmpStripper.h"
#include "xmp/XmpWriter.h"

namespace plenvo {
namespace {

const std::string kTdmNs = "http://www.w3.org/ns/tdmrep/";
const std::string kTitle =
    R"(<rdf:Description rdf:about="" xmlns:dc="http://purl.org/dc/elements/1.1/">)"
    "<dc:title>Report</dc:title></rdf:Description>";
const std::string kTdm = R"(<rdf:Description xmlns:tdm=")" + kTdmNs +
                         R"("><tdm:reservation>1</tdm:reservation></rdf:Description>)";
const std::string kTdmSelfClosing =
    R"(<rdf:Description xmlns:tdm=")" + kTdmNs + R"(" tdm:reservation="1"/>)";

struct StripCase {
    std::string name;
    std::string text;
    std::string expected;
};

void PrintTo(const StripCase& c, std::ostream* os) { *os << c.name; }

std::vector<StripCase> StripCases() {
    const std::string empty = EmptyXmpPacket();
    const std::string rdfEnd = "</rdf:RDF>";
    const std::size_t at = empty.find(rdfEnd);
    const auto withSpaces = [&](int n) {
        return empty.substr(0, at) + std::string(static_cast<std::size_t>(n), ' ') +
               empty.substr(at);
    };
    return {
        {"EmptyText", "", ""},
        {"NoDescription", "<rdf:RDF>\n</rdf:RDF>", "<rdf:RDF>\n</rdf:RDF>"},
        {"NoMarker", kTitle + "\n" + kTitle, kTitle + "\n" + kTitle},
        {"WrittenPairLeavesSixSpaces",
         InsertTdmDescriptions("", 1, "https://p/", true), withSpaces(6)},
        {"WrittenDescriptionLeavesThreeSpaces",
         InsertTdmDescriptions("", 0, "", false), withSpaces(3)},
        {"TwoAdjacent", "<a>" + kTdm + kTdm + "</a>", "<a></a>"},
        {"TwoAroundAPlainOne", kTdm + "\n" + kTitle + "\n" + kTdm + "\n", kTitle + "\n"},
        {"OtherPropertiesGoWithIt",
         R"(<rdf:Description xmlns:tdm="t" xmlns:dc="d"><dc:title>T</dc:title>)"
         "<tdm:reservation>1</tdm:reservation></rdf:Description>X",
         "X"},
        {"PolicyWithoutDeclarationStays",
         "<rdf:Description><tdm:policy>p</tdm:policy></rdf:Description>",
         "<rdf:Description><tdm:policy>p</tdm:policy></rdf:Description>"},
        {"SchemaListAmongOthersGoes",
         "<rdf:Description><pdfaSchema:schema>Other</pdfaSchema:schema>"
         "<pdfaSchema:schema>TDMRep</pdfaSchema:schema></rdf:Description>|",
         "|"},
        {"SchemaMarkerInSelfClosingIgnored",
         R"(<rdf:Description x="pdfaSchema:schema>TDMRep<"/>)",
         R"(<rdf:Description x="pdfaSchema:schema>TDMRep<"/>)"},
        {"SelfClosingLastInText", "<rdf:RDF>" + kTdmSelfClosing, "<rdf:RDF>"},
        {"CrLfCrLfAllGo", kTdm + "\r\n\r\nX", "X"},
        {"OnlyTheLfBeforeSpacesGoes", kTdm + "\n  \nX", "  \nX"},
        {"IndentStays", "   " + kTdm + "\n</rdf:RDF>", "   </rdf:RDF>"},
        {"UnclosedStartStopsTheScan",
         kTdm + "<rdf:Description rdf:about=''>" + kTdm.substr(0, 40),
         "<rdf:Description rdf:about=''>" + kTdm.substr(0, 40)},
        {"UnclosedStartHidesLaterTdm",
         "<rdf:Description><x:a>" + kTdm.substr(0, 20) + " " + kTdm,
         "<rdf:Description><x:a>" + kTdm.substr(0, 20) + " " + kTdm},
        {"StartTagNeverEnds", "<rdf:Description xmlns:tdm='t'", "<rdf:Description xmlns:tdm='t'"},
        // A self-closing description is one description, wherever the next end tag is.
        {"SelfClosingTdmBeforePlainOne", kTdmSelfClosing + "\n" + kTitle, kTitle},
        {"SelfClosingPlainBeforeTdm",
         "<rdf:Description rdf:about='' x:a='1'/>\n" + kTdm,
         "<rdf:Description rdf:about='' x:a='1'/>\n"},
        // Nested descriptions balance their own end tags.
        {"NestedPlainThenTdm",
         "<rdf:Description><x:s><rdf:Description><x:a>1</x:a></rdf:Description></x:s>"
         "</rdf:Description>" + kTdm,
         "<rdf:Description><x:s><rdf:Description><x:a>1</x:a></rdf:Description></x:s>"
         "</rdf:Description>"},
        {"TdmWithNestedGoesWhole",
         "<rdf:Description xmlns:tdm='t'><x:s><rdf:Description><x:a/></rdf:Description></x:s>"
         "</rdf:Description>|",
         "|"},
        {"NestedSelfClosingDoesNotCount",
         "<rdf:Description xmlns:tdm='t'><x:s><rdf:Description x:a='1'/></x:s>"
         "</rdf:Description>|",
         "|"},
        // Markup inside quoted attribute values does not end a start tag.
        {"QuotedSlashGreaterThan",
         R"(<rdf:Description x:a="/>" xmlns:tdm="t"><tdm:reservation>1</tdm:reservation>)"
         "</rdf:Description>|",
         "|"},
        {"QuotedEndTagInNestedStart",
         "<rdf:Description><rdf:Description a='</rdf:Description>'>x</rdf:Description>"
         "</rdf:Description>" + kTdm,
         "<rdf:Description><rdf:Description a='</rdf:Description>'>x</rdf:Description>"
         "</rdf:Description>"},
        // Removing a description can join the text around it into a new start tag.
        {"StartJoinedAcrossRemoval",
         "<rdf:Desc" + kTdmSelfClosing + "ription xmlns:tdm='t'/>|", "|"},
        {"PlainStartJoinedAcrossRemoval",
         "<rdf:Desc" + kTdmSelfClosing + "ription a='1'/>" + kTdm + "|",
         "<rdf:Description a='1'/>|"},
    };
}

class StripTest : public testing::TestWithParam<StripCase> {};

TEST_P(StripTest, RemovesExactlyTheTdmDescriptions) {
    const StripCase& c = GetParam();
    const std::string stripped = StripTdmDescriptions(c.text);
    EXPECT_EQ(stripped, c.expected);
    EXPECT_EQ(StripTdmDescriptions(stripped), stripped) << "a second strip changed more";
}

INSTANTIATE_TEST_SUITE_P(Cases, StripTest, testing::ValuesIn(StripCases()),
                         [](const auto& test) { return test.param.name; });

}  // namespace
}  // namespace plenvo
