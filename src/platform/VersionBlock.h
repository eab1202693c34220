// Whether the system's walk of a version block stays inside it.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

namespace rondel::platform {

// VerQueryValueA trusts every length of the block: a damaged file's block sends it reading past
// the block's end, and writing the "A" copy of a string past it (at the block's length word + 4
// and the value's offset). This says whether its walk for a path stays inside: a 32-bit block
// (a 16-bit one has its key's first letter where the 32-bit type is), with room for the copies,
// whose nodes on the way lie within their parents and whose value lies within the resource.
// The path is in UTF-16, split at its backslashes as the system splits it: after the "A"
// path's conversion, so that a double-byte character's trail byte 0x5C is no separator.
bool VersionQueryStaysInBlock(std::span<const uint8_t> block, std::u16string_view path);

// Little-endian word of a block at an offset the caller has checked the room for.
uint16_t WordAt(std::span<const uint8_t> bytes, std::size_t at);

}  // namespace rondel::platform
