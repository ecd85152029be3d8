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

bool HasAt(std::string_view text, std::size_t pos, std::string_view what) {
    return pos <= text.size() && text.substr(pos).starts_with(what);
}

// Position just past the ">" that closes a start tag whose name ends at `pos`, skipping
// ">" inside quoted attribute values; npos when the tag never closes.
std::size_t EndOfStartTag(std::string_view text, std::size_t pos) {
    while (true) {
        pos = FindAnyOf(text, '>', '"', '\'', pos);
        if (pos == npos) return npos;
        if (text[pos] == '>') return pos + 1;
        pos = text.find(text[pos], pos + 1);
        if (pos == npos) return npos;
        ++pos;
    }
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
    // A start tag is skipped in one step (its attribute values may hold anything), so its
    // markers are looked for on their own.
    void InTag(std::string_view text, std::size_t from, std::size_t to) {
        const std::string_view tag = text.substr(0, to);
        for (std::size_t at = FindBytes(tag, "tdm", from); at != npos && !tdm;
             at = FindBytes(tag, "tdm", at + 1)) {
            AtTdm(tag, at);
        }
        for (std::size_t at = FindBytes(tag, "TDMRep<", from); at != npos && !schema;
             at = FindBytes(tag, "TDMRep<", at + 1)) {
            AtTdmRep(tag, at);
        }
    }
};

// Scans the description whose start token ends at `body`: where it ends and whether a
// marker occurs in it. A description with content ends at the end tag that balances it,
// counting nested descriptions that are not self-closing; nullopt when it never ends.
// Only bytes from `body` on are read: the start token itself may have been put together
// from two pieces of text (see StraddlingStart).
std::optional<Description> ScanDescription(std::string_view text, std::size_t body) {
    MarkerScan markers{body};
    std::size_t pos = EndOfStartTag(text, body);
    if (pos == npos) return std::nullopt;
    markers.InTag(text, body, pos);
    if (IsSelfClosing(text, pos)) return Description{pos, markers.tdm};

    // One pass finds nested start tokens and end tags (by the name they share) and the
    // markers' anchors.
    static constexpr std::string_view kNeedles[3] = {kName, "tdm", "TDMRep<"};
    int depth = 1;
    for (NeedleHit hit = FindFirstOf(text, kNeedles, pos); hit.pos != npos;
         hit = FindFirstOf(text, kNeedles, pos)) {
        const std::size_t at = hit.pos;
        pos = at + 1;
        if (hit.which == 1) {
            markers.AtTdm(text, at);
        } else if (hit.which == 2) {
            markers.AtTdmRep(text, at);
        } else if (text[at - 1] == '<') {
            const std::size_t tokenEnd = at + kName.size();
            pos = EndOfStartTag(text, tokenEnd);
            if (pos == npos) return std::nullopt;
            markers.InTag(text, tokenEnd, pos);
            if (!IsSelfClosing(text, pos)) ++depth;
        } else if (at >= 2 && text.substr(at - 2, 2) == "</" &&
                   HasAt(text, at + kName.size(), ">")) {
            pos = at + kName.size() + 1;
            if (--depth == 0) return Description{pos, markers.tdm || markers.schema};
        }
    }
    return std::nullopt;
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
            const std::size_t start = FindBytes(text, kStartToken, pos);
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
