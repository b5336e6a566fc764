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

}  // namespace
}  // namespace host::db
