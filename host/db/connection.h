// The database connection the module works on: open with a connection
// string, run a command text into a record set or without records, read the
// connection's error collection, close. Two back ends implement it: SQLite
// (embedded default, read-only) and ODBC (SQL Server through FreeTDS, or
// SQLite through its ODBC driver).
//
// Errors: Open and the Execute calls throw host::Error (kErrDatabase) after
// filling Errors() with what the database said; a successful call clears it.
// Messages never contain a password.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "host/recordset/recordset.h"
#include "host/value/date_number_services.h"
#include "host/value/error.h"

namespace host::db {

struct DbError {
  int32_t number = kErrDatabase;
  std::string description;
  std::string source;     // the back end: "SQLite", "ODBC"
  std::string sql_state;  // five characters where the back end gives one
  int32_t native_error = 0;
  MessageKey key;  // how the user reads it, when the data layer knows what happened
};

class Connection {
 public:
  virtual ~Connection() = default;
  // Opens (any previous session is closed first).
  virtual void Open(const std::string& connection_string) = 0;
  virtual void Close() = 0;
  [[nodiscard]] virtual bool IsOpen() const = 0;
  // Asks a statement that is running on another thread to stop; it then
  // fails with kErrCancelled. The only member that may be called from another
  // thread; does nothing when no statement runs.
  virtual void Interrupt() {}
  // Another connection to the same database, opened as this one was (so
  // read-only too), for work that runs beside this connection's on another
  // thread; null when the back end cannot give one. Throws as Open does.
  [[nodiscard]] virtual std::unique_ptr<Connection> OpenSibling() const { return nullptr; }

  // Runs a command text and answers its rows as an open record set at its
  // first record. A batch runs every statement; the last result is answered.
  RecordSetPtr Execute(std::string_view sql) { return Run(sql, nullptr); }
  // Runs a command text that returns no records; answers the rows affected.
  int64_t ExecuteNoRecords(std::string_view sql) {
    int64_t changes = 0;
    Run(sql, &changes);
    return changes;
  }

  // The rows the statement running now has read so far (0 before its first
  // row; the last statement's count once it is over). Any thread may read
  // it: a progress counts a long read with it while the read goes on.
  [[nodiscard]] int64_t RowsRead() const { return rows_read_.load(std::memory_order_relaxed); }

  // Work for the thread that runs a statement, done while its read waits
  // for the back end's next rows: `work` gets the rows stored so far (every
  // one whole; a batch's earlier results may come first) and answers
  // whether it has more to do; it is called again at once while it does,
  // else the read waits. Each call should take well under a millisecond:
  // rows that come meanwhile wait for it. It must not throw, nor run
  // statements on this connection. Null (the default): the read just waits.
  using WhileWaiting = std::function<bool(const std::shared_ptr<const Table>& rows_so_far)>;
  void SetWhileWaiting(WhileWaiting work) { while_waiting_ = std::move(work); }

  [[nodiscard]] const std::vector<DbError>& Errors() const { return errors_; }
  // Statements executed since opening (for measurements), with those of
  // siblings that handed theirs over.
  [[nodiscard]] int64_t StatementCount() const { return statements_; }
  // Adds a sibling's statements to this connection's count (when the
  // sibling, opened for one piece of this connection's work, closes).
  void CountStatementsOf(const Connection& sibling) { statements_ += sibling.StatementCount(); }
  // "SQLite", "ODBC:SQLite", "ODBC:SQL Server", ...
  [[nodiscard]] virtual std::string BackEnd() const = 0;
  // How this database writes a date or a number as a SQL literal.
  virtual DateService& Dates() = 0;
  virtual NumberService& Numbers() = 0;

 protected:
  // Runs a command text on the back end; sets `changes` when given.
  virtual RecordSetPtr Run(std::string_view sql, int64_t* changes) = 0;
  // Records one error, throws it.
  [[noreturn]] void Fail(DbError error);
  // Records every error; throws the first, with the others' texts appended.
  [[noreturn]] void FailAll(std::vector<DbError> errors);
  void ClearErrors() { errors_.clear(); }
  void CountStatement() { ++statements_; }
  void RowsReadSoFar(int64_t rows) { rows_read_.store(rows, std::memory_order_relaxed); }
  // Whether work was given for a read's waits (SetWhileWaiting).
  [[nodiscard]] bool HasWorkWhileWaiting() const { return static_cast<bool>(while_waiting_); }
  // What a read calls while it waits for rows (see SetWhileWaiting).
  [[nodiscard]] std::function<bool()> WorkWhileWaiting(const std::shared_ptr<const Table>& rows) const {
    if (!while_waiting_) return [] { return false; };
    return [this, rows] { return while_waiting_(rows); };
  }

 private:
  std::vector<DbError> errors_;
  int64_t statements_ = 0;
  std::atomic<int64_t> rows_read_{0};
  WhileWaiting while_waiting_;
};

// Opens the back end that a connection string names:
//   a path, "Data Source=PATH" or "Provider=SQLite;Data Source=PATH"  SQLite
//   "Driver=...;..." or "DSN=...;..."                                  ODBC
// Throws host::Error with a clear message when it cannot (the connection's
// errors are in the message).
std::unique_ptr<Connection> OpenConnection(const std::string& connection_string);

}  // namespace host::db
