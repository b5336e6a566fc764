// The embedded back end: an SQLite database file opened read-only (temporary
// tables such as #CATVAL live in the connection's own temporary database),
// the module's T-SQL rewritten by the SQLite dialect.
//
// Dates are stored and compared as 'YYYY-MM-DD HH:MM:SS' texts; decimals as
// SQLite numbers, exact to 15 significant digits.
//
// A statement gives up after 60 s ("QueryTimeout=N" in a connection string
// "Data Source=FILE;QueryTimeout=N"): SQLite's progress handler stops it at
// the deadline, whatever it is doing. A locked database waits 5 s.
#pragma once

#include <atomic>
#include <chrono>
#include <memory>

#include "host/db/connection.h"
#include "host/db/schema_catalog.h"
#include "host/db/sqlite_dialect.h"
#include "host/db/wal_leftovers.h"

struct sqlite3;

namespace host::db {

// 'YYYY-MM-DD HH:MM:SS', the form the SQLite database stores.
class SqliteDateService : public PlainDateService {
 public:
  SqliteDateService() : PlainDateService(Form::Iso) {}
};

class SqliteConnection : public Connection {
 public:
  SqliteConnection() = default;
  ~SqliteConnection() override;
  SqliteConnection(const SqliteConnection&) = delete;
  SqliteConnection& operator=(const SqliteConnection&) = delete;

  void Open(const std::string& connection_string) override;
  [[nodiscard]] std::unique_ptr<Connection> OpenSibling() const override;
  void Close() override;
  [[nodiscard]] bool IsOpen() const override { return db_ != nullptr; }
  void Interrupt() override;
  [[nodiscard]] std::string BackEnd() const override { return "SQLite"; }
  DateService& Dates() override { return dates_; }
  NumberService& Numbers() override { return numbers_; }

  // The SQLite text that a T-SQL text runs as (for --show-sql and tests).
  [[nodiscard]] std::string Translate(std::string_view tsql) const { return dialect_.Translate(tsql).sql; }
  [[nodiscard]] const SchemaCatalog& Catalog() const { return catalog_; }

 private:
  std::string connection_string_;  // as opened, for a sibling
  RecordSetPtr Run(std::string_view tsql, int64_t* changes) override;
  [[noreturn]] void FailSqlite(const std::string& context);
  void StartDeadline();
  static int PastDeadline(void* connection);  // SQLite's progress handler

  long query_timeout_ = 60;  // seconds a statement may run
  std::chrono::steady_clock::time_point deadline_;
  std::atomic<bool> deadline_passed_{false};

  sqlite3* db_ = nullptr;
  std::unique_ptr<WalLeftovers> wal_leftovers_;  // released after db_ closes
  SchemaCatalog catalog_;
  sql::SqliteDialect dialect_{[this](std::string_view column) { return catalog_.IsTextColumn(column); },
                              [this](std::string_view table) { return catalog_.HasRowId(table); }};
  SqliteDateService dates_;
  PlainNumberService numbers_;
};

}  // namespace host::db
