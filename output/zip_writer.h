// A zip archive written through minizip. A small entry is given whole and
// deflated here; a big one is given as raw deflate data made elsewhere (in
// pieces, on several cores: block_deflate.h) with the CRC and size of what it
// holds, so that the archive never waits for one core to compress gigabytes.
//
// Every call answers false once something failed (and stays failed); the
// caller then removes the file. Entries carry the time the writer was made.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace output {

class ZipWriter {
 public:
  // Makes (or empties) the file at `path`; Ok() tells whether it could.
  explicit ZipWriter(const std::string& path);
  ~ZipWriter();  // closes the archive if Close was not called
  ZipWriter(const ZipWriter&) = delete;
  ZipWriter& operator=(const ZipWriter&) = delete;

  [[nodiscard]] bool Ok() const { return ok_; }

  bool Add(const std::string& name, std::string_view data);

  // A raw entry: BeginRaw, AppendRaw as often as needed, EndRaw with the
  // size and CRC-32 of the data before deflating. `zip64` must be true when
  // that size may reach 4 GiB (the entry's header is written before its data).
  bool BeginRaw(const std::string& name, bool zip64);
  bool AppendRaw(std::string_view deflated);
  bool EndRaw(uint64_t size, uint32_t crc);

  bool Close();

 private:
  bool Check(int result);
  bool Open(const std::string& name, bool raw, bool zip64);

  void* zip_ = nullptr;  // zipFile
  bool ok_ = false;
  int date_[6] = {};  // year, month (0-11), day, hour, minute, second
};

}  // namespace output
