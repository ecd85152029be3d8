#include "document/DocumentMetadata.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "xmp/XmpReader.h"
#include "xmp/XmpStripper.h"
#include "xmp/XmpWriter.h"

namespace plenvo {
namespace {

// One read asks for at most this many bytes.
constexpr std::uint32_t kReadChunk = 4095;

enum class MetadataOutcome { kNoEntry, kNotStream, kNotOpened, kOpened };

struct MetadataLookup {
    MetadataOutcome outcome;
    host::ScopedStream stream;  // open only for kOpened
};

MetadataLookup LookUpMetadata(host::CosObj catalog) {
    if (!host::CosDictKnown(catalog, host::ASAtomFromString("Metadata"))) {
        return {MetadataOutcome::kNoEntry, {}};
    }
    const host::CosObj object = host::CosDictGet(catalog, host::ASAtomFromString("Metadata"));
    if (host::CosObjGetType(object) != host::kCosStream) return {MetadataOutcome::kNotStream, {}};
    host::ScopedStream stream(host::CosStreamOpenStm(object, host::kCosOpenDecoded));
    if (!stream) return {MetadataOutcome::kNotOpened, {}};
    return {MetadataOutcome::kOpened, std::move(stream)};
}

}  // namespace

std::optional<std::string> ReadMetadataText(host::ScopedStream stream) {
    std::array<char, kReadChunk + 1> buffer;
    std::string text;
    for (;;) {
        const std::int32_t read = host::ASStmRead(buffer.data(), 1, kReadChunk, stream.Get());
        if (read <= 0) break;
        // Never trust a count past what was asked for.
        const std::size_t count = std::min<std::size_t>(static_cast<std::size_t>(read), kReadChunk);
        if (std::memchr(buffer.data(), 0, count) != nullptr) {
            stream.Release();
            return std::nullopt;
        }
        text.append(buffer.data(), count);
    }
    stream.Release();
    return text;
}

bool ReadDocumentReservation(host::PDDoc document, ReservationRecord& record) {
    if (document == nullptr) return false;
    record = ReservationRecord{};
    try {
        host::HostFrame frame;
        const host::CosObj catalog = host::CosDocGetRoot(host::PDDocGetCosDoc(document));
        MetadataLookup lookup = LookUpMetadata(catalog);
        if (lookup.outcome == MetadataOutcome::kNoEntry) return true;
        if (lookup.outcome != MetadataOutcome::kOpened) return false;
        const std::optional<std::string> text = ReadMetadataText(std::move(lookup.stream));
        if (!text) return false;

        const ReservationRecord parsed = ParseReservation(*text);
        record.reservation = parsed.reservation;
        record.policy = parsed.policy;
        record.includeSchema = !text->empty();
        return true;
    } catch (const host::HostRaise&) {
        return false;
    }
}

bool ApplyTdmToDocument(host::PDDoc document, std::int32_t reservation, const std::string& policy,
                        bool includeSchema) {
    if (document == nullptr) return false;
    if ((reservation != 0 && reservation != 1) || !IsStorablePolicy(policy)) return false;
    try {
        host::HostFrame frame;
        const host::CosDoc cosDoc = host::PDDocGetCosDoc(document);
        const host::CosObj catalog = host::CosDocGetRoot(cosDoc);

        // Without a readable stream the document gets a fresh packet.
        std::string text;
        MetadataLookup lookup = LookUpMetadata(catalog);
        if (lookup.outcome == MetadataOutcome::kOpened) {
            std::optional<std::string> read = ReadMetadataText(std::move(lookup.stream));
            if (!read) return false;
            text = std::move(*read);
        }

        const std::string description = BuildTdmDescription(reservation, policy);
        const std::string updated = InsertTdmDescriptions(text, reservation, policy, includeSchema);
        // A packet without "</rdf:RDF>" takes no description; storing it would only strip.
        if (updated.find(description) == std::string::npos) return false;
        // The scan may have left a TDMRep description it could not delimit, or text ahead
        // of the new one may shadow it: what is stored must read as what was applied.
        if (ParseReservation(updated) != ParseReservation(description)) return false;
        WriteMetadataStream(cosDoc, catalog, updated);
        return true;
    } catch (const host::HostRaise&) {
        return false;
    }
}

void WriteMetadataStream(host::CosDoc cosDoc, host::CosObj catalog, const std::string& text) {
    host::ScopedStream source(host::ASMemStmRdOpen(text.data(), text.size()));
    const host::CosObj attributes = host::CosNewDict(cosDoc, false, 3);
    host::CosDictPut(attributes, host::ASAtomFromString("Type"),
                     host::CosNewName(cosDoc, false, host::ASAtomFromString("Metadata")));
    host::CosDictPut(attributes, host::ASAtomFromString("Subtype"),
                     host::CosNewName(cosDoc, false, host::ASAtomFromString("XML")));
    const host::CosObj stream =
        host::CosNewStream(cosDoc, true, source.Get(), 0, false, attributes, host::CosNewNull(),
                           static_cast<std::int64_t>(text.size()));
    // The host has taken the data. Closing before the catalog changes means that a false
    // answer always leaves the catalog as it was.
    source.Release();
    host::CosDictPut(catalog, host::ASAtomFromString("Metadata"), stream);
}

bool RemoveTdmFromDocument(host::PDDoc document) {
    if (document == nullptr) return false;
    try {
        host::HostFrame frame;
        const host::CosDoc cosDoc = host::PDDocGetCosDoc(document);
        const host::CosObj catalog = host::CosDocGetRoot(cosDoc);
        MetadataLookup lookup = LookUpMetadata(catalog);
        // A stream that exists but cannot be decoded may hold TDMRep that stays.
        if (lookup.outcome == MetadataOutcome::kNotOpened) return false;
        if (lookup.outcome != MetadataOutcome::kOpened) return true;
        const std::optional<std::string> text = ReadMetadataText(std::move(lookup.stream));
        if (!text) return false;
        if (text->empty()) return true;
        const std::string stripped = StripTdmDescriptions(*text);
        // What the scan could not take out, or a name outside any description, would
        // still be read.
        if (ParseReservation(stripped) != ReservationRecord{}) return false;
        WriteMetadataStream(cosDoc, catalog, stripped);
        return true;
    } catch (const host::HostRaise&) {
        return false;
    }
}

}  // namespace plenvo
