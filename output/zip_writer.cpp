#include "output/zip_writer.h"

#include <zip.h>

#include <cerrno>
#include <cstring>
#include <ctime>
#include <stdexcept>

namespace output {
namespace {

zipFile Zip(void* zip) { return static_cast<zipFile>(zip); }

// Why the archive could not be written: the system's reason (a full disk,
// no rights) when there is one, else minizip's code.
[[noreturn]] void Failed(int result) {
  if (errno != 0) throw std::runtime_error(std::strerror(errno));
  throw std::runtime_error("the archive could not be written (zip error " + std::to_string(result) + ")");
}

}  // namespace

ZipWriter::ZipWriter(const std::string& path) {
  errno = 0;
  zip_ = zipOpen64(path.c_str(), APPEND_STATUS_CREATE);
  if (zip_ == nullptr) Failed(ZIP_ERRNO);
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

void ZipWriter::Check(int result) {
  if (result != ZIP_OK) Failed(result);
}

void ZipWriter::Open(const std::string& name, bool raw, bool zip64) {
  zip_fileinfo info{};
  info.tmz_date.tm_year = static_cast<uInt>(date_[0]);
  info.tmz_date.tm_mon = static_cast<uInt>(date_[1]);
  info.tmz_date.tm_mday = static_cast<uInt>(date_[2]);
  info.tmz_date.tm_hour = static_cast<uInt>(date_[3]);
  info.tmz_date.tm_min = static_cast<uInt>(date_[4]);
  info.tmz_date.tm_sec = static_cast<uInt>(date_[5]);
  errno = 0;
  Check(zipOpenNewFileInZip2_64(Zip(zip_), name.c_str(), &info, nullptr, 0, nullptr, 0, nullptr, Z_DEFLATED,
                                       Z_DEFAULT_COMPRESSION, raw ? 1 : 0, zip64 ? 1 : 0));
}

void ZipWriter::Add(const std::string& name, std::string_view data) {
  Open(name, false, false);
  errno = 0;
  Check(zipWriteInFileInZip(Zip(zip_), data.data(), static_cast<unsigned>(data.size())));
  Check(zipCloseFileInZip(Zip(zip_)));
}

void ZipWriter::BeginRaw(const std::string& name, bool zip64) { Open(name, true, zip64); }

void ZipWriter::AppendRaw(std::string_view deflated) {
  // minizip takes at most 4 GiB a call.
  while (!deflated.empty()) {
    const size_t part = std::min<size_t>(deflated.size(), size_t{1} << 30);
    errno = 0;
    Check(zipWriteInFileInZip(Zip(zip_), deflated.data(), static_cast<unsigned>(part)));
    deflated.remove_prefix(part);
  }
}

void ZipWriter::EndRaw(uint64_t size, uint32_t crc) {
  errno = 0;
  Check(zipCloseFileInZipRaw64(Zip(zip_), size, crc));
}

void ZipWriter::Close() {
  errno = 0;
  const int result = zipClose(Zip(zip_), nullptr);
  zip_ = nullptr;
  Check(result);
}

}  // namespace output
