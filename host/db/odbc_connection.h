// The server back end through unixODBC: SQL Server with the FreeTDS driver
// receives the module's T-SQL unchanged; a driver whose database is SQLite
// (Driver=SQLite3) gets it through the SQLite dialect, with the schema
// filling in the column types that driver does not report.
//
// A server that does not answer fails within the login timeout (5 s by
// default, "LoginTimeout=N" in the connection string), and 2 s more at most
// whatever the driver does: the attempt runs on a worker that is abandoned
// then. FreeTDS is given TDS_Version=7.4 unless the string names one (it
// would otherwise try one version after another, each with its own wait).
// A statement gives up after 60 s ("QueryTimeout=N"). A timeout that is no
// whole number of seconds is refused. Messages and errors never carry the
// password.
#pragma once

#include <memory>
#include <optional>

#include "host/db/connection.h"
#include "host/db/statement_deadline.h"
#include "host/db/wal_leftovers.h"
#include "host/db/schema_catalog.h"
#include "host/db/sqlite_connection.h"
#include "host/db/sqlite_dialect.h"

namespace host::db {

class OdbcConnection : public Connection {
 public:
  OdbcConnection();
  ~OdbcConnection() override;
  OdbcConnection(const OdbcConnection&) = delete;
  OdbcConnection& operator=(const OdbcConnection&) = delete;

  void Open(const std::string& connection_string) override;
  [[nodiscard]] std::unique_ptr<Connection> OpenSibling() const override;
  void Close() override;
  [[nodiscard]] bool IsOpen() const override;
  void Interrupt() override;
  [[nodiscard]] std::string BackEnd() const override;
  DateService& Dates() override;
  NumberService& Numbers() override { return numbers_; }

 private:
  std::string connection_string_;  // as opened, for a sibling
  // Through the SQLite driver (a test stand-in for a server).
  bool sqlite_driver_ = false;
  struct Handles;
  RecordSetPtr Run(std::string_view sql, int64_t* changes) override;
  SchemaCatalog::Rows QueryTexts(const std::string& sql);

  std::unique_ptr<Handles> h_;
  std::string dbms_;
  long query_timeout_ = 60;  // seconds a statement may run
  std::unique_ptr<StatementDeadline> deadline_;  // cancels a statement past query_timeout_
  bool sqlite_ = false;
  std::unique_ptr<WalLeftovers> wal_leftovers_;  // through the SQLite driver; released after it disconnects
  SchemaCatalog catalog_;
  sql::SqliteDialect dialect_{[this](std::string_view column) { return catalog_.IsTextColumn(column); },
                              [this](std::string_view table) { return catalog_.HasRowId(table); }};
  PlainDateService server_dates_;
  SqliteDateService sqlite_dates_;
  PlainNumberService numbers_;
};

}  // namespace host::db
