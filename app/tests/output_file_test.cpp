// Where a report goes: a file is put in place only once whole, and a report
// given up half way, or stopped by a throw, leaves what was there.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>

#include "app/output_file.h"

namespace app {
namespace {

namespace fs = std::filesystem;

std::string Contents(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class OutputFile : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("quarvelindo-output-" + std::to_string(::getpid()));
    fs::create_directories(dir_);
    path_ = (dir_ / "report.json").string();
    std::ofstream(path_) << "earlier report\n";
  }
  void TearDown() override { fs::remove_all(dir_); }
  fs::path dir_;
  std::string path_;
};

TEST_F(OutputFile, AWholeReportReplacesTheEarlierOne) {
  bool given_up = true;
  EXPECT_EQ(WriteOutputUnlessGivenUp(
                path_,
                [](std::ostream& out) {
                  out << "new report\n";
                  return true;
                },
                &given_up),
            "");
  EXPECT_FALSE(given_up);
  EXPECT_EQ(Contents(path_), "new report\n");
  EXPECT_FALSE(fs::exists(path_ + ".partial"));
}

TEST_F(OutputFile, AReportGivenUpOrStoppedLeavesTheEarlierOne) {
  bool given_up = false;
  EXPECT_EQ(WriteOutputUnlessGivenUp(
                path_,
                [](std::ostream& out) {
                  out << "half a report";
                  return false;
                },
                &given_up),
            "");
  EXPECT_TRUE(given_up);
  EXPECT_EQ(Contents(path_), "earlier report\n");
  EXPECT_FALSE(fs::exists(path_ + ".partial"));
  EXPECT_THROW(WriteOutputUnlessGivenUp(
                   path_,
                   [](std::ostream& out) -> bool {
                     out << "half a report";
                     throw std::runtime_error("stopped");
                   },
                   &given_up),
               std::runtime_error);
  EXPECT_EQ(Contents(path_), "earlier report\n");
  EXPECT_FALSE(fs::exists(path_ + ".partial"));
}

TEST_F(OutputFile, OnlyAFileIsWrittenAside) {
  EXPECT_TRUE(WrittenAside(path_));
  EXPECT_TRUE(WrittenAside((dir_ / "not-yet.csv").string()));
  EXPECT_FALSE(WrittenAside(""));  // the standard output
  EXPECT_FALSE(WrittenAside("/dev/null"));
  EXPECT_EQ(WriteOutput("/dev/null", [](std::ostream& out) { out << "gone"; }), "");
  EXPECT_NE(WriteOutput((dir_ / "no" / "such" / "dir.csv").string(), [](std::ostream& out) { out << "x"; }), "");
}

}  // namespace
}  // namespace app
