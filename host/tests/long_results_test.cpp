// A long result is stepped on a thread of its own while the rows before it
// are stored: every value comes as one thread reads it, on either side of
// the rows read first; a step that fails and a value that cannot be stored
// are said as on a short result, and the connection goes on.
#include <gtest/gtest.h>

#include <string>

#include "host/db/connection.h"
#include "host/tests/scratch_folder.h"
#include "host/value/error.h"

namespace host::db {
namespace {

class LongResults : public ::testing::Test {
 protected:
  void SetUp() override {
    // 3,000 rows: the first 1,024 are read before the stepping thread starts.
    testing::RunSqlOnFile(path_,
                          "CREATE TABLE PD44_VERSORE (X INTEGER, D DATETIME); "
                          "WITH RECURSIVE N(X) AS (SELECT 1 UNION ALL SELECT X + 1 FROM N WHERE X < 3000) "
                          "INSERT INTO PD44_VERSORE SELECT X, CASE WHEN X = 2500 THEN 'not a date' "
                          "ELSE '2026-03-01 08:00:00' END FROM N;");
    connection_ = OpenConnection("Data Source=" + path_);
  }
  // The message of the failure `sql` ends in, and whether the connection
  // still answers afterwards.
  std::string FailureOf(const std::string& sql) {
    std::string message = "(none)";
    try {
      (void)connection_->Execute(sql);
    } catch (const Error& e) {
      message = e.what();
    }
    EXPECT_EQ(connection_->Execute("SELECT COUNT(*) AS N FROM PD44_VERSORE")->Value("N").ToInt64(), 3000);
    return message;
  }
  testing::ScratchFolder folder_{"long-results"};
  std::string path_ = folder_.File("erp.db");
  std::unique_ptr<Connection> connection_;
};

TEST_F(LongResults, EveryValueComesInItsOrderWhicheverThreadReadIt) {
  const auto rows = connection_->Execute(
      "SELECT X, X * 0.5 AS R, 'row ' || X AS T, CASE WHEN X % 3 = 0 THEN NULL ELSE X END AS N, "
      "CAST('b' || X AS BLOB) AS B FROM PD44_VERSORE ORDER BY X");
  ASSERT_EQ(rows->RecordCount(), 3000U);
  int64_t x = 0;
  for (rows->MoveFirst(); !rows->Eof(); rows->MoveNext()) {
    ++x;
    SCOPED_TRACE("row " + std::to_string(x));
    ASSERT_EQ(rows->Value("X").ToInt64(), x);
    EXPECT_EQ(rows->Value("R").ToDouble(), static_cast<double>(x) * 0.5);
    EXPECT_EQ(rows->Value("T").Text(), "row " + std::to_string(x));
    EXPECT_EQ(rows->Value("N").IsNull(), x % 3 == 0);
    if (x % 3 != 0) {
      EXPECT_EQ(rows->Value("N").ToInt64(), x);
    }
    EXPECT_EQ(rows->Value("B").ToText(), "b" + std::to_string(x));
  }
  EXPECT_EQ(x, 3000);
}

TEST_F(LongResults, AFailureAfterTheFirstRowsIsSaidAsBefore) {
  // SQLite's own error, met by the stepping thread at row 2,000.
  EXPECT_EQ(FailureOf("SELECT X, CASE WHEN X = 2000 THEN abs(-9223372036854775807 - 1) ELSE X END AS Y "
                      "FROM PD44_VERSORE ORDER BY X"),
            "SQL error: integer overflow");
  // A value the record set cannot take, met while storing row 2,500.
  EXPECT_EQ(FailureOf("SELECT X, D FROM PD44_VERSORE ORDER BY X"),
            "The value 'not a date' of column D is not a date (column D)");
  // Through the SQLite driver, which hands the date over as its text.
  connection_ = OpenConnection("Driver=SQLite3;Database=" + path_);
  EXPECT_EQ(FailureOf("SELECT X, D FROM PD44_VERSORE ORDER BY X"),
            "The value 'not a date' of column D is not a date (column D)");
}

// While the read waits for the stepping thread, the work given for its
// waits runs on the reading thread over the rows stored so far: each one
// whole and in its place, in the table the record set then holds. Work
// that has more to do is called again at once; the read still gets every
// row, natively and through the SQLite driver.
TEST_F(LongResults, WorkWhileWaitingSeesTheRowsStoredSoFar) {
  for (const std::string& text : {"Data Source=" + path_, "Driver=SQLite3;Database=" + path_}) {
    SCOPED_TRACE(text);
    connection_ = OpenConnection(text);
    const Table* seen = nullptr;
    size_t calls = 0, checked = 0, wrong = 0, again = 0;
    connection_->SetWhileWaiting([&](const std::shared_ptr<const Table>& rows) {
      ++calls;
      if (seen == nullptr) seen = rows.get();
      if (rows.get() != seen || rows->RowCount() < checked) ++wrong;
      if (rows->RowCount() != checked) again = 0;
      for (; checked < rows->RowCount(); ++checked) {
        if (rows->Get(checked, 0).ToInt64() != static_cast<int64_t>(checked) + 1 ||
            rows->Get(checked, 1).ToInt64() != static_cast<int64_t>(checked)) {
          ++wrong;
        }
      }
      return ++again < 3;  // twice more at each count, then the read waits
    });
    // Every row counts the rows before it: stepping is the slow side.
    const auto rows = connection_->Execute(
        "SELECT X, (SELECT COUNT(*) FROM PD44_VERSORE P WHERE P.X < V.X) AS C FROM PD44_VERSORE V");
    connection_->SetWhileWaiting(nullptr);
    ASSERT_EQ(rows->RecordCount(), 3000U);
    EXPECT_GT(calls, 0U);
    EXPECT_GT(checked, 1024U);  // more than the rows read before the stepping thread starts
    EXPECT_EQ(seen, &rows->Storage());
    EXPECT_EQ(wrong, 0U);
    rows->MoveLast();
    EXPECT_EQ(rows->Value("C").ToInt64(), 2999);
  }
}

}  // namespace
}  // namespace host::db
