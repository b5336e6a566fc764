#include "bench/driver_floor.h"

#include <sql.h>
#include <sqlext.h>
#include <sqlite3.h>
#include <time.h>

#include <chrono>
#include <cstdio>
#include <string_view>
#include <vector>

#include "host/db/odbc_bound_rows.h"
#include "host/db/schema_catalog.h"
#include "host/db/sqlite_dialect.h"
#include "host/db/sqlite_functions.h"
#include "host/db/sqlite_library.h"

namespace bench {

namespace {

double CpuNow() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

// The schema as the back end reads it, for the dialect's choices (text
// concatenation, row ids that settle an ORDER BY's ties).
bool LoadCatalog(const std::string& path, host::db::SchemaCatalog& catalog) {
  sqlite3* db = nullptr;
  if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
    sqlite3_close(db);
    return false;
  }
  catalog.LoadFromSqlite([db](const std::string& sql) {
    host::db::SchemaCatalog::Rows rows;
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(db, sql.c_str(), -1, &stmt, nullptr) == SQLITE_OK) {
      while (sqlite3_step(stmt) == SQLITE_ROW) {
        std::vector<std::string> row;
        for (int c = 0; c < sqlite3_column_count(stmt); ++c) {
          const auto* text = sqlite3_column_text(stmt, c);
          row.emplace_back(text == nullptr ? "" : reinterpret_cast<const char*>(text));
        }
        rows.push_back(std::move(row));
      }
    }
    sqlite3_finalize(stmt);
    return rows;
  });
  sqlite3_close(db);
  return true;
}

// ODBC handles freed in the reverse order of their making.
struct Handles {
  SQLHENV env = SQL_NULL_HENV;
  SQLHDBC dbc = SQL_NULL_HDBC;
  SQLHSTMT stmt = SQL_NULL_HSTMT;
  bool connected = false;
  ~Handles() {
    if (stmt != SQL_NULL_HSTMT) SQLFreeHandle(SQL_HANDLE_STMT, stmt);
    if (connected) SQLDisconnect(dbc);
    if (dbc != SQL_NULL_HDBC) SQLFreeHandle(SQL_HANDLE_DBC, dbc);
    if (env != SQL_NULL_HENV) SQLFreeHandle(SQL_HANDLE_ENV, env);
  }
};

void SayDriverError(SQLSMALLINT type, SQLHANDLE handle, const char* step) {
  SQLCHAR state[6] = {};
  SQLCHAR text[512] = {};
  SQLINTEGER native = 0;
  SQLSMALLINT length = 0;
  SQLGetDiagRec(type, handle, 1, state, &native, text, sizeof text, &length);
  std::fprintf(stderr, "driver alone: %s failed: [%s] %s\n", step, state, text);
}

// The columns as the back end binds them through this driver: by the type
// the driver says.
std::vector<host::db::OdbcBoundRows::Column> BoundColumns(SQLHSTMT stmt) {
  using Kind = host::db::OdbcBoundRows::Kind;
  SQLSMALLINT count = 0;
  SQLNumResultCols(stmt, &count);
  std::vector<host::db::OdbcBoundRows::Column> columns;
  for (SQLUSMALLINT c = 1; c <= static_cast<SQLUSMALLINT>(count); ++c) {
    SQLCHAR name[256];
    SQLSMALLINT name_length = 0, type = 0, digits = 0, nullable = 0;
    SQLULEN size = 0;
    SQLDescribeCol(stmt, c, name, sizeof name, &name_length, &type, &size, &digits, &nullable);
    host::db::OdbcBoundRows::Column column;
    switch (type) {
      case SQL_TINYINT:
      case SQL_SMALLINT:
      case SQL_INTEGER:
      case SQL_BIGINT: column.kind = Kind::Integer; break;
      case SQL_REAL:
      case SQL_FLOAT:
      case SQL_DOUBLE: column.kind = Kind::Double; break;
      default: column.size = size; break;
    }
    columns.push_back(column);
  }
  return columns;
}

}  // namespace

DriverFloor FetchThroughDriverAlone(const std::string& path, const std::string& tsql, bool bind_every_column) {
  DriverFloor floor;
  host::db::SchemaCatalog catalog;
  if (!LoadCatalog(path, catalog)) {
    std::fprintf(stderr, "driver alone: cannot open %s\n", path.c_str());
    return floor;
  }
  const host::sql::SqliteDialect dialect([&](std::string_view column) { return catalog.IsTextColumn(column); },
                                         [&](std::string_view table) { return catalog.HasRowId(table); });
  const host::sql::Translation translation = dialect.Translate(tsql);
  // The statement calls the module's own SQL functions.
  host::db::RegisterSqliteFunctionsEverywhere();
  Handles h;
  SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &h.env);
  SQLSetEnvAttr(h.env, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
  SQLAllocHandle(SQL_HANDLE_DBC, h.env, &h.dbc);
  std::string text = "Driver=SQLite3;Database=" + path + ";StepAPI=1;NoCreat=1";
  sqlite3* opened = nullptr;
  {
    const host::db::SqliteOpenWatch watch;
    const SQLRETURN rc = SQLDriverConnect(h.dbc, nullptr, reinterpret_cast<SQLCHAR*>(text.data()),
                                          static_cast<SQLSMALLINT>(text.size()), nullptr, 0, nullptr,
                                          SQL_DRIVER_NOPROMPT);
    if (!SQL_SUCCEEDED(rc)) {
      SayDriverError(SQL_HANDLE_DBC, h.dbc, "connecting");
      return floor;
    }
    opened = watch.Opened();
  }
  h.connected = true;
  // Sorted as the back end sorts it.
  host::db::SortWorkers(opened, translation.total_order);
  SQLAllocHandle(SQL_HANDLE_STMT, h.dbc, &h.stmt);
  std::string sql = translation.sql;
  const auto start = std::chrono::steady_clock::now();
  const double cpu_start = CpuNow();
  if (!SQL_SUCCEEDED(SQLExecDirect(h.stmt, reinterpret_cast<SQLCHAR*>(sql.data()), SQL_NTS))) {
    SayDriverError(SQL_HANDLE_STMT, h.stmt, "the statement");
    return floor;
  }
  SQLRETURN rc = SQL_SUCCESS;
  if (bind_every_column) {
    host::db::OdbcBoundRows bound(h.stmt, BoundColumns(h.stmt), false);
    while (SQL_SUCCEEDED(rc = bound.Fetch())) floor.rows += static_cast<long>(bound.Rows());
  } else {
    while (SQL_SUCCEEDED(rc = SQLFetch(h.stmt))) ++floor.rows;
  }
  floor.wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  floor.cpu = CpuNow() - cpu_start;
  floor.ok = rc == SQL_NO_DATA;
  if (!floor.ok) SayDriverError(SQL_HANDLE_STMT, h.stmt, "fetching");
  return floor;
}

}  // namespace bench
