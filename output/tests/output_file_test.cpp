// Where a report goes: a file is put in place only once whole, under a
// temporary name of its own beside it; a report given up half way, stopped
// by a throw, or cut short by a full disk leaves what was there; a place
// that is not a plain file, or is a database, is refused before writing.
#include "output/output_file.h"

#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>

#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "engine/tests/demo_db.h"
#include "output/tests/written.h"

namespace output {
namespace {

namespace fs = std::filesystem;

using engine::testing::FileBytes;
using engine::testing::Listing;

class OutputFile : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("quarvelindo-output-" + std::to_string(::getpid()));
    fs::create_directories(dir_);
    path_ = (dir_ / "report.json").string();
    std::ofstream(path_) << "earlier report\n";
  }
  void TearDown() override {
    if (mounted_) umount((dir_ / "small").c_str());
    fs::remove_all(dir_);
  }
  fs::path dir_;
  std::string path_;
  bool mounted_ = false;
};

TEST_F(OutputFile, AWholeReportReplacesTheEarlierOneKeepingItsRights) {
  fs::permissions(path_, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  EXPECT_TRUE(testing::Written(WriteOutputUnlessGivenUp(path_, [](std::ostream& out) {
    out << "new report\n";
    return true;
  })));
  EXPECT_EQ(FileBytes(path_), "new report\n");
  EXPECT_EQ(fs::status(path_).permissions() & fs::perms::all,
            fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  EXPECT_EQ(Listing(dir_), std::vector<std::string>{"report.json"});
  // A new file gets what the umask allows, not the temporary file's 0600.
  const std::string fresh = (dir_ / "fresh.csv").string();
  const mode_t mask = umask(022);
  EXPECT_TRUE(testing::Written(WriteOutput(fresh, [](std::ostream& out) { out << "x"; })));
  umask(mask);
  EXPECT_EQ(fs::status(fresh).permissions() & fs::perms::all,
            fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read | fs::perms::others_read);
}

TEST_F(OutputFile, AReportGivenUpOrStoppedLeavesTheEarlierOne) {
  const host::Status given_up = WriteOutputUnlessGivenUp(path_, [](std::ostream& out) {
    out << "half a report";
    return false;
  });
  EXPECT_TRUE(given_up.cancelled());
  EXPECT_TRUE(given_up.diagnostics().empty());
  EXPECT_EQ(FileBytes(path_), "earlier report\n");
  EXPECT_EQ(Listing(dir_), std::vector<std::string>{"report.json"});
  EXPECT_THROW((void)WriteOutputUnlessGivenUp(path_,
                                             [](std::ostream& out) -> bool {
                                               out << "half a report";
                                               throw std::runtime_error("stopped");
                                             }),
               std::runtime_error);
  EXPECT_EQ(FileBytes(path_), "earlier report\n");
  EXPECT_EQ(Listing(dir_), std::vector<std::string>{"report.json"});
}

TEST_F(OutputFile, PlacesThatAreNotPlainFilesOrAreDatabasesAreRefused) {
  const std::string folder = (dir_ / "folder").string();
  fs::create_directories(folder);
  EXPECT_EQ(RefuseOutput(folder, ""), "the output file " + folder + " is a folder");
  const std::string missing = (dir_ / "no" / "such.csv").string();
  EXPECT_EQ(RefuseOutput(missing, ""),
            "cannot write " + missing + ": the folder " + (dir_ / "no").string() + " does not exist");
  EXPECT_TRUE(WriteOutput(missing, [](std::ostream& out) { out << "x"; }).failed());
  // An SQLite file, and the database being read under another name of it.
  const std::string db = (dir_ / "erp.db").string();
  std::ofstream(db) << std::string("SQLite format 3\0", 16) << std::string(100, 'x');
  const std::string link = (dir_ / "same-file").string();
  fs::create_hard_link(db, link);
  EXPECT_EQ(RefuseOutput(db, "Driver=SQLite3;Database=" + db),
            "the output file " + db + " is the database being read; quarvelindo never writes over it");
  EXPECT_EQ(RefuseOutput(link, db),
            "the output file " + link + " is the database being read; quarvelindo never writes over it");
  EXPECT_EQ(RefuseOutput(db, ""),
            "the output file " + db + " is a SQLite database; quarvelindo never writes over a database");
  EXPECT_EQ(RefuseOutput("", db), "");  // the standard output
  EXPECT_EQ(RefuseOutput(path_, db), "");
  // A device (a copy of /dev/null) stays a device: even written to, it is
  // never replaced by a file.
  const std::string device = (dir_ / "null").string();
  if (mknod(device.c_str(), S_IFCHR | 0666, makedev(1, 3)) != 0) GTEST_SKIP() << "mknod is not allowed here";
  const std::string said =
      "the output file " + device + " is a device, a pipe or a socket, not a file; quarvelindo writes only files";
  EXPECT_EQ(RefuseOutput(device, ""), said);
  EXPECT_EQ(ReasonOf(WriteOutput(device, [](std::ostream& out) { out << "x"; })), said);
  EXPECT_TRUE(fs::is_character_file(device));
}

TEST_F(OutputFile, AFullDiskIsAFailureThatLeavesTheEarlierFile) {
  const fs::path small = dir_ / "small";
  fs::create_directories(small);
  if (mount("tmpfs", small.c_str(), "tmpfs", 0, "size=64k") != 0) GTEST_SKIP() << "no tmpfs can be mounted here";
  mounted_ = true;
  const std::string path = (small / "report.csv").string();
  std::ofstream(path) << "earlier report\n";
  const std::string failed = ReasonOf(WriteOutput(path, [](std::ostream& out) {
    const std::string line(1000, 'x');
    for (int i = 0; i < 200; ++i) out << line << "\n";
  }));
  EXPECT_EQ(failed, "cannot write " + path + ": No space left on device");
  EXPECT_EQ(FileBytes(path), "earlier report\n");
  EXPECT_EQ(Listing(small), std::vector<std::string>{"report.csv"});
}

}  // namespace
}  // namespace output
