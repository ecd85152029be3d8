#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace plenvo::fuzz {

// Runs the XMP reader, stripper and inserter over one fuzz input and checks their
// invariants, and the byte search against std::string_view::find. Returns an empty string
// when all hold, else what broke.
//
// Input: byte 0 holds flags (bit 0 reservation, bit 1 include the schema, bit 2 build the
// packet from known pieces instead of taking the bytes as they are); byte 1 the policy's
// length (mod 64); then the policy; then the packet bytes or the piece numbers.
std::string CheckXmpInvariants(const std::uint8_t* data, std::size_t size);

}  // namespace plenvo::fuzz
