// A small demo database made once per test program in a temporary folder.
#pragma once

#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "demo/erp_database.h"
#include "host/tests/scratch_folder.h"

namespace engine::testing {

// A folder of a test's own, removed with its files; a new one each time.
class TempDir : public host::testing::ScratchFolder {
 public:
  TempDir() : ScratchFolder("test-" + std::to_string(counter_++)) {}

 private:
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

// The names in a folder, sorted.
inline std::vector<std::string> Listing(const std::filesystem::path& dir) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(dir)) names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace engine::testing
