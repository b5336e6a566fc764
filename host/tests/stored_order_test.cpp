// A sort that SQLite may run on helper threads must not tie: the SQLite text
// of a plain SELECT ends its ORDER BY with its first table's row id, to the
// letter, and rows of equal keys then come in stored order on both back ends,
// whatever index the query reads through. Statements where a row id means
// nothing (groups, views, compound selects, ...) are left as they were.
#include <gtest/gtest.h>

#include <string>

#include "host/db/connection.h"
#include "host/db/sqlite_dialect.h"
#include "host/tests/scratch_folder.h"

namespace host::sql {
namespace {

const SqliteDialect kDialect([](std::string_view column) { return column == "A"; },
                             [](std::string_view table) { return table == "PD44_VERSORE" || table == "T"; });

std::string Sorted(std::string_view tsql) {
  const Translation out = kDialect.Translate(tsql);
  EXPECT_TRUE(out.total_order) << tsql;
  return out.sql;
}

std::string Untouched(std::string_view tsql) {
  const Translation out = kDialect.Translate(tsql);
  EXPECT_FALSE(out.total_order) << tsql;
  EXPECT_EQ(out.sql.find("rowid"), std::string::npos) << out.sql;
  return out.sql;
}

TEST(StoredOrderTieBreak, APlainSelectEndsItsOrderWithTheFirstTablesRowId) {
  EXPECT_EQ(Sorted("SELECT A FROM PD44_VERSORE WITH(NOLOCK) LEFT JOIN U ON U.K = A WHERE B = 1 "
                   "ORDER BY A, PD44_DATAREG"),
            "SELECT A FROM PD44_VERSORE  LEFT JOIN U ON U.K = A WHERE B = 1 "
            "ORDER BY A COLLATE QV_CI, PD44_DATAREG, PD44_VERSORE.rowid");
  // By the alias the query gives the table, with or without AS.
  EXPECT_EQ(Sorted("SELECT X.A FROM T AS X ORDER BY X.A DESC"), "SELECT X.A FROM T AS X ORDER BY X.A COLLATE QV_CI DESC, X.rowid");
  EXPECT_EQ(Sorted("SELECT B FROM T X JOIN U ON 1=1 ORDER BY 1"), "SELECT B FROM T X JOIN U ON 1=1 ORDER BY 1, X.rowid");
  // Before the limit, a trailing ';' or a comment; a subquery's own order is not the statement's.
  EXPECT_EQ(Sorted("SELECT TOP 5 B FROM T ORDER BY B"), "SELECT  B FROM T ORDER BY B, T.rowid LIMIT 5");
  EXPECT_EQ(Sorted("SELECT B FROM T ORDER BY B ; "), "SELECT B FROM T ORDER BY B, T.rowid ; ");
  EXPECT_EQ(Sorted("SELECT B FROM T ORDER BY B -- the last\n"), "SELECT B FROM T ORDER BY B, T.rowid -- the last\n");
  EXPECT_EQ(Sorted("SELECT B, (SELECT MAX(C) FROM U ORDER BY C) AS M FROM T ORDER BY B"),
            "SELECT B, (SELECT MAX(C) FROM U ORDER BY C) AS M FROM T ORDER BY B, T.rowid");
}

TEST(StoredOrderTieBreak, StatementsWhereARowIdMeansNothingAreLeftAlone) {
  EXPECT_EQ(Untouched("SELECT B, SUM(C) FROM T GROUP BY B ORDER BY B"), "SELECT B, SUM(C) FROM T GROUP BY B ORDER BY B");
  EXPECT_EQ(Untouched("SELECT DISTINCT B FROM T ORDER BY B"), "SELECT DISTINCT B FROM T ORDER BY B");
  EXPECT_EQ(Untouched("SELECT COUNT(*) FROM T ORDER BY 1"), "SELECT COUNT(*) FROM T ORDER BY 1");
  EXPECT_EQ(Untouched("SELECT B FROM T UNION ALL SELECT B FROM T ORDER BY B"),
            "SELECT B FROM T UNION ALL SELECT B FROM T ORDER BY B");
  EXPECT_EQ(Untouched("SELECT B FROM T"), "SELECT B FROM T");
  EXPECT_EQ(Untouched("SELECT B FROM (SELECT B FROM T ORDER BY B) X"), "SELECT B FROM (SELECT B FROM T ORDER BY B) X");
  // Not a table with row ids: a view (or one WITHOUT ROWID), a temporary
  // table, a table function, a table of another schema.
  EXPECT_EQ(Untouched("SELECT B FROM V ORDER BY B"), "SELECT B FROM V ORDER BY B");
  EXPECT_EQ(Untouched("SELECT B FROM #T ORDER BY B"), "SELECT B FROM temp.\"#T\" ORDER BY B");
  EXPECT_EQ(Untouched("SELECT B FROM T(1) ORDER BY B"), "SELECT B FROM T(1) ORDER BY B");
  EXPECT_EQ(Untouched("SELECT B FROM main.T ORDER BY B"), "SELECT B FROM main.T ORDER BY B");
  // More than one statement; not a SELECT.
  EXPECT_EQ(Untouched("SELECT B FROM T ORDER BY B; SELECT 1"), "SELECT B FROM T ORDER BY B; SELECT 1");
  EXPECT_EQ(Untouched("DELETE FROM T"), "DELETE FROM T");
  // Without a schema to ask, nothing is added.
  EXPECT_FALSE(SqliteDialect().Translate("SELECT B FROM T ORDER BY B").total_order);
}

class StoredOrderOnBothBackEnds : public ::testing::Test {
 protected:
  void SetUp() override {
    // The index on C reads the rows backwards: without the row id the
    // equal keys would come as the index gives them (c, b, a).
    host::testing::RunSqlOnFile(path_, R"(
CREATE TABLE PD44_VERSORE (PD44_PRGMVORE_PD31 DECIMAL(12,0));
CREATE TABLE T (K INTEGER, V VARCHAR(5), C INTEGER);
CREATE INDEX T_C ON T (C);
INSERT INTO T VALUES (1, 'a', 3), (1, 'b', 2), (1, 'c', 1), (0, 'z', 4), (1, 'd', 0);
CREATE VIEW W AS SELECT * FROM T;
CREATE TABLE N (K INTEGER PRIMARY KEY, V VARCHAR(5)) WITHOUT ROWID;
INSERT INTO N VALUES (2, 'x'), (1, 'y');
)");
  }

  static std::string Values(db::Connection& connection, const std::string& sql) {
    const auto rs = connection.Execute(sql);
    std::string out;
    for (size_t row = 0; row < rs->RecordCount(); ++row) out += rs->ValueAt(row, 0).ToText();
    return out;
  }

  host::testing::ScratchFolder folder_{"stored-order"};
  std::string path_ = folder_.File("order.db");
};

TEST_F(StoredOrderOnBothBackEnds, EqualKeysComeInStoredOrder) {
  for (const std::string& connection_string : {path_, "Driver=SQLite3;Database=" + path_}) {
    SCOPED_TRACE(connection_string);
    auto connection = db::OpenConnection(connection_string);
    EXPECT_EQ(Values(*connection, "SELECT V FROM T WITH (NOLOCK) WHERE C >= 1 ORDER BY K"), "zabc");
    EXPECT_EQ(Values(*connection, "SELECT V FROM T WITH (NOLOCK) WHERE C >= 0 ORDER BY K DESC"), "abcdz");
    // A view and a table without row ids are read as they were.
    EXPECT_EQ(Values(*connection, "SELECT V FROM W ORDER BY K, V DESC"), "zdcba");
    EXPECT_EQ(Values(*connection, "SELECT V FROM N ORDER BY V"), "xy");
    connection->Close();
  }
}

}  // namespace
}  // namespace host::sql
