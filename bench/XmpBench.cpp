// Parse, strip and insert on packets of 2 KB, 1 MB and 10 MB, against a memcpy of the
// same bytes. The 10 MB packet holds 10,000 TDMRep descriptions for the strip to remove.

#include <benchmark/benchmark.h>

#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "RatioReporter.h"
#include "xmp/XmpReader.h"
#include "xmp/XmpStripper.h"
#include "xmp/XmpWriter.h"

namespace {

const std::string kPlainDescription =
    "   <rdf:Description rdf:about=\"\"\n"
    "         xmlns:dc=\"http://purl.org/dc/elements/1.1/\"\n"
    "         xmlns:xmp=\"http://ns.adobe.com/xap/1.0/\">\n"
    "      <dc:format>application/pdf</dc:format>\n"
    "      <dc:title><rdf:Alt><rdf:li xml:lang=\"x-default\">Annual report</rdf:li></rdf:Alt>"
    "</dc:title>\n"
    "      <xmp:CreateDate>2026-01-01T10:00:00Z</xmp:CreateDate>\n"
    "      <xmp:ModifyDate>2026-01-02T10:00:00Z</xmp:ModifyDate>\n"
    "   </rdf:Description>\n";

// A packet of about `size` bytes with `tdmCount` TDMRep descriptions spread through it.
std::string MakePacket(std::size_t size, int tdmCount) {
    const std::string empty = plenvo::EmptyXmpPacket();
    const std::size_t at = empty.find("</rdf:RDF>");
    const std::string tdm = plenvo::BuildTdmDescription(1, "https://example.com/policy.json");

    std::string body;
    const std::size_t target = size > empty.size() ? size - empty.size() : 0;
    const std::size_t plainPerTdm =
        tdmCount > 0 ? target / static_cast<std::size_t>(tdmCount) / kPlainDescription.size() : 0;
    for (int i = 0; i < tdmCount; ++i) {
        body += tdm;
        for (std::size_t j = 0; j < plainPerTdm && body.size() < target; ++j) {
            body += kPlainDescription;
        }
    }
    while (body.size() + kPlainDescription.size() <= target) body += kPlainDescription;
    return empty.substr(0, at) + body + empty.substr(at);
}

const std::vector<std::pair<std::string, std::string>>& Packets() {
    static const std::vector<std::pair<std::string, std::string>> packets = {
        {"2KB", MakePacket(2 * 1024, 1)},
        {"1MB", MakePacket(1024 * 1024, 100)},
        {"10MB", MakePacket(10 * 1024 * 1024, 10000)},
    };
    return packets;
}

void Memcpy(benchmark::State& state, const std::string& packet) {
    std::string copy(packet.size(), '\0');
    for (auto _ : state) {
        std::memcpy(copy.data(), packet.data(), packet.size());
        benchmark::DoNotOptimize(copy.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * packet.size()));
}

// Every operation but parse returns new text, so a copy into a fresh string is the least
// any of them can cost: it pays for the allocation and for touching new pages.
void Copy(benchmark::State& state, const std::string& packet) {
    for (auto _ : state) {
        std::string copy(packet);
        benchmark::DoNotOptimize(copy.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * packet.size()));
}

// Parse on the packet without its TDMRep descriptions: finding neither name means
// scanning every byte, twice.
void Parse(benchmark::State& state, const std::string& packet) {
    const std::string without = plenvo::StripTdmDescriptions(packet);
    for (auto _ : state) benchmark::DoNotOptimize(plenvo::ParseReservation(without));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * packet.size()));
}

void Strip(benchmark::State& state, const std::string& packet) {
    for (auto _ : state) benchmark::DoNotOptimize(plenvo::StripTdmDescriptions(packet));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * packet.size()));
}

void Insert(benchmark::State& state, const std::string& packet) {
    for (auto _ : state) {
        benchmark::DoNotOptimize(
            plenvo::InsertTdmDescriptions(packet, 1, "https://example.com/policy.json", true));
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * packet.size()));
}

}  // namespace

int main(int argc, char** argv) {
    std::multimap<std::string, std::string> floors;
    for (const auto& [size, packet] : Packets()) {
        const std::string floor = "memcpy/" + size;
        const std::string copyFloor = "copy/" + size;
        benchmark::RegisterBenchmark(floor.c_str(), Memcpy, packet);
        benchmark::RegisterBenchmark(copyFloor.c_str(), Copy, packet);
        using Op = void (*)(benchmark::State&, const std::string&);
        const std::pair<const char*, Op> ops[] = {{"parse", Parse}, {"strip", Strip}, {"insert", Insert}};
        for (const auto& [name, fn] : ops) {
            const std::string full = std::string(name) + "/" + size;
            benchmark::RegisterBenchmark(full.c_str(), fn, packet);
            floors.emplace(full, floor);
            if (fn != Parse) floors.emplace(full, copyFloor);
        }
    }
    return plenvo::bench::RunWithRatios(argc, argv, floors, 10.0);
}
