// The statement deadline: disarmed in time it does nothing; passed, it
// cancels once; and through the SQLite ODBC driver, which keeps no query
// timeout of its own, a statement that runs on gives up with a plain message.
#include "host/db/statement_deadline.h"

#include <gtest/gtest.h>

#include <atomic>

#include "host/db/connection.h"
#include "host/tests/scratch_folder.h"
#include "host/value/error.h"

namespace host::db {
namespace {

using std::chrono::milliseconds;

TEST(StatementDeadline, CancelsOnlyWhatOutlivesIt) {
  std::atomic<int> cancelled{0};
  StatementDeadline deadline([&] { ++cancelled; });
  deadline.Arm(milliseconds(200));
  deadline.Disarm();
  std::this_thread::sleep_for(milliseconds(300));
  EXPECT_EQ(cancelled, 0);
  EXPECT_FALSE(deadline.Expired());
  deadline.Arm(milliseconds(0));  // nothing armed
  deadline.Arm(milliseconds(20));
  std::this_thread::sleep_for(milliseconds(300));
  EXPECT_EQ(cancelled, 1);
  EXPECT_TRUE(deadline.Expired());
  deadline.Arm(milliseconds(10000));  // a new statement starts afresh
  EXPECT_FALSE(deadline.Expired());
  deadline.Arm(milliseconds(300));  // restarted as rows come, it outlives its first time
  for (int batch = 0; batch < 4; ++batch) {
    std::this_thread::sleep_for(milliseconds(100));
    deadline.Restart(milliseconds(300));
  }
  EXPECT_EQ(cancelled, 1);
  std::this_thread::sleep_for(milliseconds(600));  // rows stop: it passes
  EXPECT_EQ(cancelled, 2);
}

// Through the SQLite ODBC driver and directly, the same deadline.
TEST(StatementDeadline, AStatementThatRunsOnGivesUpOnEitherBackEnd) {
  testing::ScratchFolder folder("deadline");
  const std::string path = folder.File("erp.db");
  testing::RunSqlOnFile(path, "CREATE TABLE PD44_VERSORE (X); INSERT INTO PD44_VERSORE VALUES (1), (2), (3), (4);");
  for (const std::string& connection_string :
       {"Driver=SQLite3;Database=" + path + ";QueryTimeout=1", "Data Source=" + path + ";QueryTimeout=1"}) {
    auto connection = OpenConnection(connection_string);
    std::string joins = "SELECT COUNT(*) AS N FROM PD44_VERSORE A0";
    for (int i = 1; i < 20; ++i) joins += ", PD44_VERSORE A" + std::to_string(i);  // 4^20 rows
    const auto start = std::chrono::steady_clock::now();
    try {
      (void)connection->Execute(joins);
      ADD_FAILURE() << "the statement ran to its end: " << connection_string;
    } catch (const Error& e) {
      EXPECT_EQ(std::string(e.what()),
                "the database did not answer within 1 s; try again later, or set a longer QueryTimeout=SECONDS in "
                "the connection string")
          << connection_string;
      EXPECT_NE(e.Number(), kErrCancelled) << "not stopped by the user";
    }
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5)) << connection_string;
    // The connection still works for the next statement.
    EXPECT_EQ(connection->Execute("SELECT COUNT(*) AS N FROM PD44_VERSORE")->Value("N").ToInt64(), 4);
    connection->Close();
  }
}

// The timeout is for an answer that does not come: a read whose rows keep
// coming, each well within it, runs on past it to the end; past the first
// rows of a result the rows are stepped on a thread of their own, and the
// deadline moves there with them.
TEST(StatementDeadline, ALongReadWhoseRowsKeepComingRunsToItsEnd) {
  testing::ScratchFolder folder("deadline-rows");
  const std::string path = folder.File("erp.db");
  testing::RunSqlOnFile(path,
                        "CREATE TABLE PD44_VERSORE (X); INSERT INTO PD44_VERSORE VALUES (1), (2), (3), (4); "
                        "CREATE TABLE PD44_RIGHE (Y); "
                        "WITH RECURSIVE N(Y) AS (SELECT 1 UNION ALL SELECT Y + 1 FROM N WHERE Y < 1112) "
                        "INSERT INTO PD44_RIGHE SELECT Y FROM N;");
  // Each of the last twelve rows counts 4^11 combinations (a fifth of a
  // second here): together they take longer than the timeout, none comes
  // near it.
  std::string count = "SELECT COUNT(*) FROM PD44_VERSORE A0";
  for (int i = 1; i < 11; ++i) count += ", PD44_VERSORE A" + std::to_string(i);
  // Rows in the table's order (a sort would compute them all first).
  const std::string query =
      "SELECT Y, CASE WHEN Y > 1100 THEN (" + count + " WHERE A0.X <= Y - 1100) ELSE 0 END AS N FROM PD44_RIGHE";
  // Directly only: through ODBC the deadline restarts per batch of rows
  // fetched at once, and this driver computes a whole batch in one call.
  auto connection = OpenConnection("Data Source=" + path + ";QueryTimeout=1");
  const auto rows = connection->Execute(query);
  EXPECT_EQ(rows->RecordCount(), 1112U);
  rows->MoveLast();
  EXPECT_EQ(rows->Value("N").ToInt64(), 4LL << 20);  // 4 * 4^10
}

}  // namespace
}  // namespace host::db
