// What the ODBC back end reads, against the embedded back end: a text
// longer than its declared size comes whole (the driver is given small
// buffers for it), and a whole run's outputs are the same bytes through
// either back end.
#include <gtest/gtest.h>

#include <string>

#include "app/tests/command_output.h"
#include "engine/tests/demo_db.h"
#include "engine/tests/tiny_erp.h"
#include "host/db/connection.h"
#include "host/db/odbc_bound_rows.h"
#include "host/db/odbc_row_stream.h"
#include "host/tests/scratch_folder.h"

namespace host::db {
namespace {

std::string Repeated(const std::string& piece, size_t times) {
  std::string text;
  for (size_t i = 0; i < times; ++i) text += piece;
  return text;
}

class OdbcReading : public ::testing::Test {
 protected:
  void SetUp() override {
    // 600 rows: more than one block of rows; the long ones among short
    // ones, at the start, in the middle and last.
    std::string sql = R"(
CREATE TABLE PD44_VERSORE (PD44_PRGMVORE_PD31 DECIMAL(12,0));
CREATE TABLE T (ID INTEGER, V VARCHAR(10), C CHAR(3), N DECIMAL(9,2), DT DATETIME, F FLOAT);
BEGIN;
)";
    for (int id = 1; id <= 600; ++id) {
      std::string v = "'v" + std::to_string(id) + "'";
      if (id == 1 || id == 300) v = "'" + long_ascii_ + "'";
      if (id == 302 || id == 600) v = "'" + long_accented_ + "'";
      if (id % 7 == 0) v = "NULL";
      const std::string n = id % 5 == 0 ? "NULL" : std::to_string(id) + ".25";
      const std::string dt =
          id % 11 == 0 ? "NULL"
                       : "'2026-0" + std::to_string(1 + id % 9) + "-15 0" + std::to_string(id % 10) + ":30:00'";
      sql += "INSERT INTO T VALUES (" + std::to_string(id) + ", " + v + ", 'ab', " + n + ", " + dt + ", " +
             std::to_string(id) + ".5);\n";
    }
    testing::RunSqlOnFile(path_, sql + "COMMIT;");
  }

  RecordSetPtr Read(const std::string& connection_string, const std::string& sql) {
    auto connection = OpenConnection(connection_string);
    auto rs = connection->Execute(sql);
    connection->Close();
    return rs;
  }

  // A statement of the SQLite driver on the table, straight through ODBC;
  // null when the driver cannot connect. Freed with the test.
  SQLHSTMT DriverStatement() {
    SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env_);
    SQLSetEnvAttr(env_, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
    SQLAllocHandle(SQL_HANDLE_DBC, env_, &dbc_);
    std::string text = "Driver=SQLite3;Database=" + path_ + ";StepAPI=1";
    connected_ = SQL_SUCCEEDED(SQLDriverConnect(dbc_, nullptr, reinterpret_cast<SQLCHAR*>(text.data()), SQL_NTS,
                                                nullptr, 0, nullptr, SQL_DRIVER_NOPROMPT));
    if (connected_) SQLAllocHandle(SQL_HANDLE_STMT, dbc_, &stmt_);
    return stmt_;
  }

  void TearDown() override {
    if (stmt_ != SQL_NULL_HSTMT) SQLFreeHandle(SQL_HANDLE_STMT, stmt_);
    if (connected_) SQLDisconnect(dbc_);
    if (dbc_ != SQL_NULL_HDBC) SQLFreeHandle(SQL_HANDLE_DBC, dbc_);
    if (env_ != SQL_NULL_HENV) SQLFreeHandle(SQL_HANDLE_ENV, env_);
  }

  SQLHENV env_ = SQL_NULL_HENV;
  SQLHDBC dbc_ = SQL_NULL_HDBC;
  SQLHSTMT stmt_ = SQL_NULL_HSTMT;
  bool connected_ = false;
  testing::ScratchFolder folder_{"odbc-reading"};
  std::string path_ = folder_.File("long.db");
  const std::string long_ascii_ = Repeated("0123456789", 500);  // 5,000 characters
  const std::string long_accented_ = Repeated("àèìòù", 1000);   // 5,000 characters, 10,000 bytes
};

TEST_F(OdbcReading, ATextLongerThanItsColumnComesWholeAndEveryOtherValueAsNatively) {
  // Declared columns, and computed ones whose kind only their values tell.
  const std::string sql = "SELECT ID, V, C, N, DT, F, V || '|' AS W, ID * 2 AS TWICE FROM T ORDER BY ID";
  const auto native = Read(path_, sql);
  const auto odbc = Read("Driver=SQLite3;Database=" + path_, sql);
  ASSERT_EQ(odbc->RecordCount(), 600U);
  ASSERT_EQ(odbc->FieldCount(), native->FieldCount());
  for (size_t f = 0; f < native->FieldCount(); ++f) {
    EXPECT_EQ(odbc->Field(f).type, native->Field(f).type) << native->Field(f).name;
  }
  for (size_t row = 0; row < 600; ++row) {
    for (size_t f = 0; f < native->FieldCount(); ++f) {
      ASSERT_EQ(odbc->ValueAt(row, f), native->ValueAt(row, f)) << "row " << row << " " << native->Field(f).name;
    }
  }
  // The values themselves.
  EXPECT_EQ(odbc->ValueAt(0, 1).Text(), long_ascii_);
  EXPECT_EQ(odbc->ValueAt(299, 1).Text(), long_ascii_);
  EXPECT_EQ(odbc->ValueAt(301, 1).Text(), long_accented_);
  EXPECT_EQ(odbc->ValueAt(301, 1).Text().size(), 10000U);
  EXPECT_EQ(odbc->ValueAt(599, 1).Text(), long_accented_);
  EXPECT_EQ(odbc->ValueAt(599, 6).Text(), long_accented_ + "|");
  EXPECT_EQ(odbc->ValueAt(1, 1).Text(), "v2");
  EXPECT_TRUE(odbc->ValueAt(6, 1).IsNull());  // id 7
  EXPECT_TRUE(odbc->ValueAt(6, 6).IsNull());
  EXPECT_EQ(odbc->ValueAt(599, 7).ToInt64(), 1200);
}

// The block of rows a server's driver is read with: 600 rows come in
// rowsets of 256, 256 and 88, each value in its own C type.
TEST_F(OdbcReading, RowsComeInBlocksWhenNoTextCanOutgrowItsBuffer) {
  const SQLHSTMT stmt = DriverStatement();
  ASSERT_NE(stmt, nullptr);
  std::string sql = "SELECT ID, C, DT, F FROM T ORDER BY ID";
  ASSERT_TRUE(SQL_SUCCEEDED(SQLExecDirect(stmt, reinterpret_cast<SQLCHAR*>(sql.data()), SQL_NTS)));
  using Kind = OdbcBoundRows::Kind;
  std::vector<size_t> rowsets;
  size_t id = 0;
  {
    OdbcBoundRows rows(stmt, {{Kind::Integer}, {Kind::Text, 3}, {Kind::Timestamp}, {Kind::Double}}, true);
    EXPECT_EQ(rows.RowsPerFetch(), 256U);
    while (SQL_SUCCEEDED(rows.Fetch())) {
      rowsets.push_back(rows.Rows());
      for (size_t r = 0; r < rows.Rows(); ++r) {
        ++id;
        ASSERT_EQ(rows.Integer(r, 0), static_cast<int64_t>(id));
        EXPECT_EQ(rows.Text(r, 1), "ab");
        EXPECT_EQ(rows.IsNull(r, 2), id % 11 == 0) << id;
        if (id % 11 != 0) {
          EXPECT_EQ(rows.Timestamp(r, 2)->ToIsoText(),
                    "2026-0" + std::to_string(1 + id % 9) + "-15 0" + std::to_string(id % 10) + ":30:00");
        }
        EXPECT_EQ(rows.Double(r, 3), static_cast<double>(id) + 0.5);
      }
    }
  }
  EXPECT_EQ(rowsets, (std::vector<size_t>{256, 256, 88}));
  // A text whose size is not kept (SQLite's) may outgrow its buffer: one row
  // at a time, so that the rest can be read.
  SQLFreeStmt(stmt, SQL_CLOSE);
  ASSERT_TRUE(SQL_SUCCEEDED(SQLExecDirect(stmt, reinterpret_cast<SQLCHAR*>(sql.data()), SQL_NTS)));
  {
    OdbcBoundRows rows(stmt, {{Kind::Integer}, {Kind::Text, 3}, {Kind::Timestamp}, {Kind::Double}}, false);
    EXPECT_EQ(rows.RowsPerFetch(), 1U);
  }
}

// The rows fetched on a thread of their own: one row per fetch through the
// SQLite driver, in blocks of 256 rows, every value as the bound buffers
// give it, the long texts whole; a stream let go after its first block
// stops fetching and gives the statement back.
TEST_F(OdbcReading, RowsFetchedOnAThreadOfTheirOwnComeInBlocksOfWholeValues) {
  const SQLHSTMT stmt = DriverStatement();
  ASSERT_NE(stmt, nullptr);
  std::string sql = "SELECT ID, V, DT, F FROM T ORDER BY ID";
  using Kind = OdbcBoundRows::Kind;
  const std::vector<OdbcBoundRows::Column> columns{{Kind::Integer}, {Kind::Text, 10}, {Kind::Timestamp}, {Kind::Double}};
  const std::vector<Kind> kinds{Kind::Integer, Kind::Text, Kind::Timestamp, Kind::Double};
  ASSERT_TRUE(SQL_SUCCEEDED(SQLExecDirect(stmt, reinterpret_cast<SQLCHAR*>(sql.data()), SQL_NTS)));
  std::vector<size_t> blocks;
  size_t id = 0;
  {
    OdbcBoundRows bound(stmt, columns, false);
    ASSERT_EQ(bound.RowsPerFetch(), 1U);
    OdbcRowStream stream(bound, kinds);
    while (const FetchedRows* rows = stream.Next()) {
      blocks.push_back(rows->Rows());
      for (size_t r = 0; r < rows->Rows(); ++r) {
        ++id;
        ASSERT_EQ(rows->Integer(r, 0), static_cast<int64_t>(id));
        std::string v = "v" + std::to_string(id);
        if (id == 1 || id == 300) v = long_ascii_;
        if (id == 302 || id == 600) v = long_accented_;
        EXPECT_EQ(rows->IsNull(r, 1), id % 7 == 0) << id;
        if (id % 7 != 0) {
          EXPECT_EQ(rows->Text(r, 1), v) << id;
        }
        EXPECT_EQ(rows->IsNull(r, 2), id % 11 == 0) << id;
        if (id % 11 != 0) {
          EXPECT_EQ(rows->Timestamp(r, 2)->ToIsoText(),
                    "2026-0" + std::to_string(1 + id % 9) + "-15 0" + std::to_string(id % 10) + ":30:00");
        }
        EXPECT_EQ(rows->Double(r, 3), static_cast<double>(id) + 0.5);
      }
    }
    EXPECT_EQ(stream.End(), SQL_NO_DATA);
    EXPECT_EQ(stream.Next(), nullptr);
  }
  EXPECT_EQ(blocks, (std::vector<size_t>{256, 256, 88}));
  // Let go after its first block, the stream stops within the blocks it
  // may fill ahead, and the statement is the caller's again.
  SQLFreeStmt(stmt, SQL_CLOSE);
  std::string counting = "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 100000) SELECT i FROM n";
  ASSERT_TRUE(SQL_SUCCEEDED(SQLExecDirect(stmt, reinterpret_cast<SQLCHAR*>(counting.data()), SQL_NTS)));
  {
    OdbcBoundRows bound(stmt, {{Kind::Integer}}, false);
    OdbcRowStream stream(bound, {Kind::Integer});
    ASSERT_NE(stream.Next(), nullptr);
  }
  SQLLEN indicator = 0;
  int64_t next = 0;
  ASSERT_TRUE(SQL_SUCCEEDED(SQLFetch(stmt)));
  ASSERT_TRUE(SQL_SUCCEEDED(SQLGetData(stmt, 1, SQL_C_SBIGINT, &next, sizeof next, &indicator)));
  EXPECT_GT(next, 256);
  EXPECT_LE(next, 4 * 256 + 1);
}

// One run of the command line; its standard output.
std::string Cli(const std::string& arguments, int* status) {
  const app::testing::Output out = app::testing::RunCli(arguments, app::testing::Errors::kDropped);
  *status = out.status;
  return out.text;
}

TEST(OdbcWholeRun, EveryCsvIsTheSameBytesThroughEitherBackEnd) {
  engine::testing::TempDir dir;
  const std::string tiny = engine::testing::TinyErp(dir);
  for (const std::string& db : {tiny, engine::testing::DemoDatabase()}) {
    for (const char* options :
         {"--format csv", "--group Reparto,Fase --bookings --format csv", "--group Articolo --unit hh,hh --format csv",
          "--bookings --format json --csv-locale it"}) {
      int native_status = -1;
      int odbc_status = -1;
      const std::string native = Cli("run --db " + db + " " + options, &native_status);
      const std::string odbc = Cli("run --db \"Driver=SQLite3;Database=" + db + "\" " + options, &odbc_status);
      EXPECT_EQ(native_status, 0) << db << " " << options;
      EXPECT_EQ(odbc_status, 0) << db << " " << options;
      EXPECT_GT(native.size(), 100U) << db << " " << options;
      EXPECT_TRUE(native == odbc) << db << " " << options << ": " << native.size() << " bytes natively, " << odbc.size()
                                  << " through ODBC";
    }
    // The export's three tables, each a file.
    const std::string native_dir = dir.File("native");
    const std::string odbc_dir = dir.File("odbc");
    int status = -1;
    Cli("run --db " + db + " --bookings --format csv --csv-dir " + native_dir, &status);
    EXPECT_EQ(status, 0);
    Cli("run --db \"Driver=SQLite3;Database=" + db + "\" --bookings --format csv --csv-dir " + odbc_dir, &status);
    EXPECT_EQ(status, 0);
    size_t files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(native_dir)) {
      const std::string name = entry.path().filename().string();
      EXPECT_TRUE(engine::testing::FileBytes(entry.path().string()) ==
                  engine::testing::FileBytes(odbc_dir + "/" + name))
          << db << " " << name;
      ++files;
    }
    EXPECT_GE(files, 4U);  // the three analysis tables and the monthly trend, at least
    std::filesystem::remove_all(native_dir);
    std::filesystem::remove_all(odbc_dir);
  }
}

}  // namespace
}  // namespace host::db
