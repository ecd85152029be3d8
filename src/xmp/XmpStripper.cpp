#include "xmp/XmpStripper.h"

#include <optional>

#include "xmp/ByteSearch.h"

namespace plenvo {
namespace {

constexpr std::string_view kStartToken = "<rdf:Description";
constexpr std::string_view kName = "rdf:Description";  // in start tokens and end tags
constexpr std::string_view kNamespaceMarker = "xmlns:tdm";
constexpr std::string_view kReservationMarker = "tdm:reservation";
constexpr std::string_view kSchemaMarker = "pdfaSchema:schema>TDMRep<";

constexpr auto npos = std::string_view::npos;

// Compared byte by byte: the needles are short and fixed, and a call into the library's
// memcmp for each candidate costs more than the comparison.
bool HasAt(std::string_view text, std::size_t pos, std::string_view what) {
    if (pos > text.size() || text.size() - pos < what.size()) return false;
    for (std::size_t i = 0; i < what.size(); ++i) {
        if (text[pos + i] != what[i]) return false;
    }
    return true;
}

bool IsSelfClosing(std::string_view text, std::size_t tagEnd) {
    return text[tagEnd - 2] == '/';
}

struct Description {
    std::size_t end;  // one past its "/>" or its closing end tag
    bool hasMarker;
};

// Which TDMRep markers a stretch of a description holds. "xmlns:tdm" and
// "tdm:reservation" both contain "tdm", so one needle serves the two.
struct MarkerScan {
    std::size_t body;  // where the description's start token ends; markers start here or later
    bool tdm = false;     // the namespace or the reservation marker
    bool schema = false;  // the schema marker, which counts only with an end tag

    void AtTdm(std::string_view text, std::size_t at) {
        constexpr std::size_t kTdmInNamespace = kNamespaceMarker.size() - 3;
        tdm = tdm || (at >= body + kTdmInNamespace &&
                      HasAt(text, at - kTdmInNamespace, kNamespaceMarker)) ||
              HasAt(text, at, kReservationMarker);
    }
    void AtTdmRep(std::string_view text, std::size_t at) {
        constexpr std::size_t kTdmRepInSchema = kSchemaMarker.size() - 7;
        schema = schema || (at >= body + kTdmRepInSchema &&
                            HasAt(text, at - kTdmRepInSchema, kSchemaMarker));
    }
};

// Where "tdm" and "TDMRep<" may start.
constexpr Anchor kTdmAnchor{'t', 'm', 2};
constexpr Anchor kTdmRepAnchor{'T', '<', 6};

// Position just past the ">" that closes a start tag whose name ends at `pos`, skipping
// ">" inside quoted attribute values and noting the markers on the way; npos when the
// tag never closes.
std::size_t ScanStartTag(std::string_view text, std::size_t pos, MarkerScan& markers) {
    char quote = 0;
    std::size_t end = npos;
    ForEachCandidate(text, pos, "\"'>", {kTdmAnchor, kTdmRepAnchor}, [&](std::size_t at) {
        const char c = text[at];
        if (c == 't') {
            markers.AtTdm(text, at);
        } else if (c == 'T') {
            markers.AtTdmRep(text, at);
        } else if (c == '>') {
            if (quote == 0) {
                end = at + 1;
                return false;
            }
        } else if (quote == 0) {
            quote = c;
        } else if (quote == c) {
            quote = 0;
        }
        return true;
    });
    return end;
}

// Scans the description whose start token ends at `body`: where it ends and whether a
// marker occurs in it. A description with content ends at the end tag that balances it,
// counting nested descriptions that are not self-closing; nullopt when it never ends.
// Only bytes from `body` on are read: the start token itself may have been put together
// from two pieces of text (see StraddlingStart).
std::optional<Description> ScanDescription(std::string_view text, std::size_t body) {
    MarkerScan markers{body};
    std::size_t pos = ScanStartTag(text, body, markers);
    if (pos == npos) return std::nullopt;
    if (IsSelfClosing(text, pos)) return Description{pos, markers.tdm};

    // One loop finds nested start tokens and end tags (by the name they share) and the
    // markers' anchors; a nested start tag is walked by ScanStartTag.
    constexpr Anchor kNameAnchor{kName.front(), kName.back(), kName.size() - 1};
    int depth = 1;
    while (true) {
        std::size_t nestedStart = npos;
        std::size_t end = npos;
        const std::size_t stop =
            ForEachCandidate(text, pos, "", {kNameAnchor, kTdmAnchor, kTdmRepAnchor},
                             [&](std::size_t at) {
                                 const char c = text[at];
                                 if (c == 't') {
                                     markers.AtTdm(text, at);
                                 } else if (c == 'T') {
                                     markers.AtTdmRep(text, at);
                                 } else if (HasAt(text, at, kName)) {
                                     if (text[at - 1] == '<') {
                                         nestedStart = at;
                                         return false;
                                     }
                                     if (at >= 2 && text[at - 2] == '<' && text[at - 1] == '/' &&
                                         HasAt(text, at + kName.size(), ">") && --depth == 0) {
                                         end = at + kName.size() + 1;
                                         return false;
                                     }
                                 }
                                 return true;
                             });
        if (stop == npos) return std::nullopt;
        if (end != npos) return Description{end, markers.tdm || markers.schema};
        pos = ScanStartTag(text, nestedStart + kName.size(), markers);
        if (pos == npos) return std::nullopt;
        if (!IsSelfClosing(text, pos)) ++depth;
    }
}

// After a removal the kept text and the rest of the input meet; a start token can be
// split across that seam ("<rdf:Desc" + removed + "ription ..."). Returns how many of its
// bytes the kept text ends with, or 0.
std::size_t StraddlingStart(std::string_view kept, std::string_view rest) {
    for (std::size_t k = 1; k < kStartToken.size() && k <= kept.size(); ++k) {
        if (kept.ends_with(kStartToken.substr(0, k)) && rest.starts_with(kStartToken.substr(k))) {
            return k;
        }
    }
    return 0;
}

}  // namespace

// Works as if on the text with each removal already made: `out` holds the text up to the
// last removal, `text[copied..]` is what follows it, and `pos` is where the search for
// the next description start goes on. Each byte is copied once and scanned a bounded
// number of times, so the cost stays linear however many descriptions go.
std::string StripTdmDescriptions(std::string_view text) { return StripTdmDescriptions(text, 0); }

std::string StripTdmDescriptions(std::string_view text, std::size_t spare) {
    std::string out;
    std::size_t copied = 0;
    std::size_t pos = 0;
    bool atSeam = false;

    while (true) {
        // `body` is where the start token ends; `tokenInOut` counts its bytes that
        // already stand in `out` when it straddles the seam of the last removal.
        std::size_t body;
        const std::size_t tokenInOut = atSeam ? StraddlingStart(out, text.substr(pos)) : 0;
        if (tokenInOut != 0) {
            body = pos + kStartToken.size() - tokenInOut;
        } else {
            constexpr Anchor kStartAnchor{'<', kStartToken.back(), kStartToken.size() - 1};
            const std::size_t start = ForEachCandidate(
                text, pos, "", {kStartAnchor}, [&](std::size_t at) { return !HasAt(text, at, kStartToken); });
            if (start == npos) break;
            body = start + kStartToken.size();
        }

        const auto description = ScanDescription(text, body);
        if (!description) break;
        if (!description->hasMarker) {
            pos = description->end;
            atSeam = false;
            continue;
        }

        std::size_t end = description->end;
        while (end < text.size() && (text[end] == '\r' || text[end] == '\n')) ++end;
        if (out.capacity() == 0) out.reserve(text.size() + spare);
        if (tokenInOut != 0) {
            out.resize(out.size() - tokenInOut);
        } else {
            const std::size_t start = body - kStartToken.size();
            out.append(text.substr(copied, start - copied));
        }
        copied = pos = end;
        atSeam = true;
    }
    if (out.capacity() == 0) out.reserve(text.size() + spare);
    out.append(text.substr(copied));
    return out;
}

}  // namespace plenvo
