#include "output/block_deflate.h"

#include <zlib.h>

#include <stdexcept>

namespace output {

DeflatedPiece DeflatePiece(std::string_view text, bool last) {
  DeflatedPiece piece;
  piece.size = text.size();
  piece.crc = static_cast<uint32_t>(crc32_z(0, reinterpret_cast<const Bytef*>(text.data()), text.size()));
  z_stream stream{};
  // The fastest level: the sheets' XML is repetitive enough that it still
  // shrinks about eight times, and compressing is most of a workbook's time.
  if (deflateInit2(&stream, 1, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY) != Z_OK) {
    throw std::runtime_error("cannot start compressing");
  }
  piece.data.resize(deflateBound(&stream, static_cast<uLong>(text.size())) + 16);
  stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(text.data()));
  stream.avail_in = static_cast<uInt>(text.size());
  stream.next_out = reinterpret_cast<Bytef*>(piece.data.data());
  stream.avail_out = static_cast<uInt>(piece.data.size());
  // A full flush ends the piece on a byte boundary and forgets the window,
  // which the next piece never had.
  const int result = deflate(&stream, last ? Z_FINISH : Z_FULL_FLUSH);
  const bool done = last ? result == Z_STREAM_END : (result == Z_OK && stream.avail_in == 0 && stream.avail_out > 0);
  piece.data.resize(stream.total_out);
  deflateEnd(&stream);
  if (!done) throw std::runtime_error("cannot compress");
  return piece;
}

void AddPiece(DeflatedPiece& whole, const DeflatedPiece& next) {
  whole.crc = static_cast<uint32_t>(crc32_combine(whole.crc, next.crc, static_cast<z_off_t>(next.size)));
  whole.size += next.size;
}

}  // namespace output
