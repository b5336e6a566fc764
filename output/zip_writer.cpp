#include "output/zip_writer.h"

#include <zip.h>

#include <ctime>

namespace output {
namespace {

zipFile Zip(void* zip) { return static_cast<zipFile>(zip); }

}  // namespace

ZipWriter::ZipWriter(const std::string& path) {
  zip_ = zipOpen64(path.c_str(), APPEND_STATUS_CREATE);
  ok_ = zip_ != nullptr;
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  date_[0] = local.tm_year + 1900;
  date_[1] = local.tm_mon;
  date_[2] = local.tm_mday;
  date_[3] = local.tm_hour;
  date_[4] = local.tm_min;
  date_[5] = local.tm_sec;
}

ZipWriter::~ZipWriter() {
  if (zip_ != nullptr) zipClose(Zip(zip_), nullptr);
}

bool ZipWriter::Check(int result) {
  if (result != ZIP_OK) ok_ = false;
  return ok_;
}

bool ZipWriter::Open(const std::string& name, bool raw, bool zip64) {
  if (!ok_) return false;
  zip_fileinfo info{};
  info.tmz_date.tm_year = static_cast<uInt>(date_[0]);
  info.tmz_date.tm_mon = static_cast<uInt>(date_[1]);
  info.tmz_date.tm_mday = static_cast<uInt>(date_[2]);
  info.tmz_date.tm_hour = static_cast<uInt>(date_[3]);
  info.tmz_date.tm_min = static_cast<uInt>(date_[4]);
  info.tmz_date.tm_sec = static_cast<uInt>(date_[5]);
  return Check(zipOpenNewFileInZip2_64(Zip(zip_), name.c_str(), &info, nullptr, 0, nullptr, 0, nullptr, Z_DEFLATED,
                                       Z_DEFAULT_COMPRESSION, raw ? 1 : 0, zip64 ? 1 : 0));
}

bool ZipWriter::Add(const std::string& name, std::string_view data) {
  if (!Open(name, false, false)) return false;
  if (!Check(zipWriteInFileInZip(Zip(zip_), data.data(), static_cast<unsigned>(data.size())))) return false;
  return Check(zipCloseFileInZip(Zip(zip_)));
}

bool ZipWriter::BeginRaw(const std::string& name, bool zip64) { return Open(name, true, zip64); }

bool ZipWriter::AppendRaw(std::string_view deflated) {
  // minizip takes at most 4 GiB a call.
  while (ok_ && !deflated.empty()) {
    const size_t part = std::min<size_t>(deflated.size(), size_t{1} << 30);
    Check(zipWriteInFileInZip(Zip(zip_), deflated.data(), static_cast<unsigned>(part)));
    deflated.remove_prefix(part);
  }
  return ok_;
}

bool ZipWriter::EndRaw(uint64_t size, uint32_t crc) { return Check(zipCloseFileInZipRaw64(Zip(zip_), size, crc)); }

bool ZipWriter::Close() {
  if (zip_ == nullptr) return false;
  const int result = zipClose(Zip(zip_), nullptr);
  zip_ = nullptr;
  return Check(result);
}

}  // namespace output
