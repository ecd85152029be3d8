#include "xmp/XmpReader.h"

#include <optional>

#include "xmp/ByteSearch.h"
#include "xmp/XmpText.h"

namespace plenvo {
namespace {

constexpr std::string_view kReservationName = "tdm:reservation";
constexpr std::string_view kPolicyName = "tdm:policy";

std::size_t SkipSpace(std::string_view text, std::size_t pos) {
    while (pos < text.size() && IsXmpSpace(text[pos])) ++pos;
    return pos;
}

// When the name that ends at `pos` is an attribute name (optional space, "=", optional
// space, then a quote), the position of that opening quote.
std::optional<std::size_t> AttributeQuote(std::string_view text, std::size_t pos) {
    pos = SkipSpace(text, pos);
    if (pos >= text.size() || text[pos] != '=') return std::nullopt;
    pos = SkipSpace(text, pos + 1);
    if (pos >= text.size() || (text[pos] != '"' && text[pos] != '\'')) return std::nullopt;
    return pos;
}

// The trimmed value text of the first occurrence of `name`: an attribute's quoted value,
// or else whatever stands between the next ">" and the "<" after it.
std::optional<std::string_view> ValueText(std::string_view text, std::string_view name) {
    const std::size_t at = FindBytes(text, name);
    if (at == std::string_view::npos) return std::nullopt;
    const std::size_t end = at + name.size();

    if (const auto quote = AttributeQuote(text, end)) {
        const std::size_t close = text.find(text[*quote], *quote + 1);
        if (close == std::string_view::npos) return std::nullopt;
        return TrimXmpSpace(text.substr(*quote + 1, close - *quote - 1));
    }

    const std::size_t gt = text.find('>', end);
    if (gt == std::string_view::npos) return std::nullopt;
    const std::size_t lt = text.find('<', gt + 1);
    if (lt == std::string_view::npos) return std::nullopt;
    return TrimXmpSpace(text.substr(gt + 1, lt - gt - 1));
}

}  // namespace

ReservationRecord ParseReservation(std::string_view text) {
    ReservationRecord record;
    if (auto value = ValueText(text, kReservationName)) {
        if (*value == "0") record.reservation = 0;
        if (*value == "1") record.reservation = 1;
    }
    if (auto value = ValueText(text, kPolicyName)) record.policy = std::string(*value);
    return record;
}

}  // namespace plenvo
