// A zip archive written through minizip. A small entry is given whole and
// deflated here; a big one is given as raw deflate data made elsewhere (in
// pieces, on several cores: block_deflate.h) with the CRC and size of what it
// holds, so that the archive never waits for one core to compress gigabytes.
//
// A call that fails throws std::runtime_error saying why (the system's
// reason when it gave one); the writer is then of no more use and the caller
// removes the file (the workbook writer answers the failure as its status).
// Entries carry the time the writer was made.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace output {

class ZipWriter {
 public:
  // Makes (or empties) the file at `path`; throws when it cannot.
  explicit ZipWriter(const std::string& path);
  ~ZipWriter();  // closes the archive if Close was not called
  ZipWriter(const ZipWriter&) = delete;
  ZipWriter& operator=(const ZipWriter&) = delete;

  void Add(const std::string& name, std::string_view data);

  // A raw entry: BeginRaw, AppendRaw as often as needed, EndRaw with the
  // size and CRC-32 of the data before deflating. `zip64` must be true when
  // that size may reach 4 GiB (the entry's header is written before its data).
  void BeginRaw(const std::string& name, bool zip64);
  void AppendRaw(std::string_view deflated);
  void EndRaw(uint64_t size, uint32_t crc);

  void Close();

 private:
  void Check(int result);
  void Open(const std::string& name, bool raw, bool zip64);

  void* zip_ = nullptr;  // zipFile
  int date_[6] = {};  // year, month (0-11), day, hour, minute, second
};

}  // namespace output
