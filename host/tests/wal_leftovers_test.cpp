// A database in WAL mode read by our connections: the files our reading
// makes are gone when the last of our connections closes, and the files of
// a connection that writes are never touched.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <filesystem>

#include "host/db/connection.h"
#include "host/tests/scratch_folder.h"

namespace host::db {
namespace {

class WalDatabase : public ::testing::Test {
 protected:
  void SetUp() override {
    testing::RunSqlOnFile(path_,
                          "PRAGMA journal_mode = WAL; CREATE TABLE PD44_VERSORE (X); INSERT INTO PD44_VERSORE VALUES (1);");
  }
  [[nodiscard]] bool Leftovers() const {
    return std::filesystem::exists(path_ + "-wal") || std::filesystem::exists(path_ + "-shm");
  }
  int64_t Count(Connection& c) { return c.Execute("SELECT COUNT(*) AS N FROM PD44_VERSORE")->Value("N").ToInt64(); }

  testing::ScratchFolder folder_{"wal"};
  std::string path_ = folder_.File("erp.db");
};

TEST_F(WalDatabase, TheFilesGoWhenTheLastOfOurConnectionsCloses) {
  ASSERT_FALSE(Leftovers());
  auto first = OpenConnection(path_);
  auto second = OpenConnection(path_);
  EXPECT_EQ(Count(*first), 1);
  EXPECT_EQ(Count(*second), 1);
  first->Close();
  EXPECT_EQ(Count(*second), 1);  // the other one still reads
  second->Close();
  EXPECT_FALSE(Leftovers());
}

TEST_F(WalDatabase, AWritersFilesAndWorkAreLeftAlone) {
  sqlite3* writer = nullptr;
  sqlite3_open(path_.c_str(), &writer);
  sqlite3_exec(writer, "INSERT INTO PD44_VERSORE VALUES (2)", nullptr, nullptr, nullptr);
  {
    auto reader = OpenConnection(path_);
    EXPECT_EQ(Count(*reader), 2);  // committed in the -wal file
  }
  EXPECT_TRUE(std::filesystem::exists(path_ + "-wal"));
  EXPECT_EQ(sqlite3_exec(writer, "INSERT INTO PD44_VERSORE VALUES (3)", nullptr, nullptr, nullptr), SQLITE_OK);
  sqlite3_close(writer);
  auto after = OpenConnection(path_);
  EXPECT_EQ(Count(*after), 3);
}

}  // namespace
}  // namespace host::db
