// A small demo database made once per test program in a temporary folder.
#pragma once

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "demo/erp_database.h"

namespace engine::testing {

class TempDir {
 public:
  TempDir() {
    path_ = std::filesystem::temp_directory_path() /
            ("quarvelindo-test-" + std::to_string(getpid()) + "-" + std::to_string(counter_++));
    std::filesystem::create_directories(path_);
  }
  ~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  [[nodiscard]] std::string File(const std::string& name) const { return (path_ / name).string(); }

 private:
  std::filesystem::path path_;
  static inline int counter_ = 0;
};

// The demo with 3,000 bookings, seed 7.
inline const std::string& DemoDatabase() {
  static TempDir dir;
  static const std::string path = [] {
    const std::string file = dir.File("demo.db");
    demo::GenerateDemoDatabase(file, {3000, 7});
    return file;
  }();
  return path;
}

inline std::string FileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

}  // namespace engine::testing
