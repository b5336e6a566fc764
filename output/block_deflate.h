// Deflate in independent pieces, so that the pieces of one zip entry can be
// compressed on several cores at once: each piece is a raw deflate stream
// of its own that ends on a byte boundary without ending the data, so that
// the pieces laid end to end are one deflate stream; only the last piece
// ends it. A piece refers to nothing before it, which costs a little size.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace output {

struct DeflatedPiece {
  std::string data;     // raw deflate data
  uint32_t crc = 0;     // CRC-32 of the text it holds
  uint64_t size = 0;    // bytes of that text
};

// Any text under 4 GiB, the empty one too. Throws std::runtime_error if zlib fails
// (it does not on memory that it was given).
DeflatedPiece DeflatePiece(std::string_view text, bool last);

// Adds a piece that follows to what the entry holds so far.
void AddPiece(DeflatedPiece& whole, const DeflatedPiece& next);

}  // namespace output
