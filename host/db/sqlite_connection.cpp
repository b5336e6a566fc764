#include "host/db/sqlite_connection.h"

#include <sqlite3.h>

#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "host/db/connection_string.h"
#include "host/db/data_messages.h"
#include "host/db/database_file.h"
#include "host/db/result_reader.h"
#include "host/db/sqlite_functions.h"
#include "host/db/sqlite_library.h"
#include "host/db/sqlite_rows.h"
#include "host/recordset/row_appender.h"

namespace host::db {
namespace {

// Results up to this many rows are read on the caller's thread alone:
// most statements answer a few rows, not worth a thread.
constexpr size_t kRowsReadHere = 1024;

struct Statement {
  sqlite3_stmt* stmt = nullptr;
  ~Statement() { sqlite3_finalize(stmt); }
};

}  // namespace

SqliteConnection::~SqliteConnection() { Close(); }

void SqliteConnection::FailSqlite(const std::string& context) {
  DbError error;
  error.description = context + (db_ != nullptr ? std::string(": ") + sqlite3_errmsg(db_) : std::string());
  error.source = "SQLite";
  error.sql_state = "HY000";
  error.native_error = db_ != nullptr ? sqlite3_extended_errcode(db_) : 0;
  if (error.native_error == SQLITE_INTERRUPT) error.number = kErrCancelled;
  if (error.native_error == SQLITE_INTERRUPT && deadline_passed_) {
    const DbError deadline = DeadlineError(query_timeout_, "SQLite");
    error.number = kErrDatabase;
    error.description = deadline.description;
    error.key = deadline.key;
  }
  // SQLite's own allocation failing is the process running out of memory:
  // said in the words an allocation's failure has anywhere else, which the
  // callers tell apart (the command line then says so plainly).
  if ((error.native_error & 0xff) == SQLITE_NOMEM) error.description = std::strerror(ENOMEM);
  if ((error.native_error & 0xff) == SQLITE_BUSY || (error.native_error & 0xff) == SQLITE_LOCKED) {
    const DbError locked = DataDbError(kMsgLocked, {}, "SQLite");
    error.description = locked.description;
    error.key = locked.key;
  }
  Fail(error);
}

void SqliteConnection::StartDeadline() {
  deadline_passed_ = false;
  deadline_ = std::chrono::steady_clock::now() + std::chrono::seconds(query_timeout_);
}

int SqliteConnection::PastDeadline(void* connection) {
  auto* self = static_cast<SqliteConnection*>(connection);
  if (std::chrono::steady_clock::now() < self->deadline_) return 0;
  self->deadline_passed_ = true;
  return 1;  // SQLite stops the statement with SQLITE_INTERRUPT
}

void SqliteConnection::Interrupt() {
  // sqlite3_interrupt is safe from another thread while the handle is open.
  if (db_ != nullptr) sqlite3_interrupt(db_);
}

void SqliteConnection::Open(const std::string& connection_string) {
  Close();
  ClearErrors();
  const ConnectionString parsed(connection_string);
  std::string path = parsed.Path();
  for (const auto* key : {"Data Source", "Database", "DBQ"}) {
    if (path.empty()) path = parsed.Get(key);
  }
  if (path.empty()) {
    Fail({kErrDatabase,
          "No database file in the connection string '" + ConnectionString::Redacted(connection_string) + "'",
          "SQLite"});
  }
  try {
    query_timeout_ = TimeoutSeconds(connection_string, "QueryTimeout", 60);
    CheckDatabaseFile(path);
  } catch (const Error& e) {
    Fail(DbErrorOf(e, "SQLite"));
  }
  RegisterSqliteFunctionsEverywhere();
  // Read-only: the module never writes ERP tables; temporary tables still work.
  // One thread uses a connection: no mutexes.
  wal_leftovers_ = std::make_unique<WalLeftovers>(path);
  const int rc = sqlite3_open_v2(path.c_str(), &db_, SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX, nullptr);
  if (rc != SQLITE_OK) {
    const std::string message = "Cannot open the database '" + path + "'";
    FailSqlite(message);
  }
  sqlite3_busy_timeout(db_, 5000);
  // Checked every few thousand steps of SQLite's machine: a few microseconds.
  sqlite3_progress_handler(db_, 4096, &SqliteConnection::PastDeadline, this);
  StartDeadline();
  connection_string_ = connection_string;
  try {
    catalog_ = SchemaCatalog();
    catalog_.LoadFromSqlite([this](const std::string& sql) {
      SchemaCatalog::Rows rows;
      Statement s;
      if (sqlite3_prepare_v2(db_, sql.c_str(), -1, &s.stmt, nullptr) != SQLITE_OK) {
        FailSqlite("'" + std::string(sqlite3_db_filename(db_, "main")) + "' is not a readable database");
      }
      while (sqlite3_step(s.stmt) == SQLITE_ROW) {
        std::vector<std::string> row;
        for (int c = 0; c < sqlite3_column_count(s.stmt); ++c) {
          const auto* text = sqlite3_column_text(s.stmt, c);
          row.emplace_back(text == nullptr ? "" : reinterpret_cast<const char*>(text));
        }
        rows.push_back(std::move(row));
      }
      if (sqlite3_errcode(db_) != SQLITE_OK && sqlite3_errcode(db_) != SQLITE_DONE &&
          sqlite3_errcode(db_) != SQLITE_ROW) {
        FailSqlite("The database '" + std::string(sqlite3_db_filename(db_, "main")) + "' cannot be read");
      }
      return rows;
    });
    for (const auto& [column, type] : TableFunctionColumns()) catalog_.AddDeclared(column, type);
    // An SQLite file that is not an ERP database says so now, not later as
    // "no such table".
    if (!catalog_.HasTable("PD44_VERSORE")) {
      Fail(DataDbError(kMsgNoBookingTable, {path}, "SQLite"));
    }
  } catch (const std::exception&) {
    sqlite3_close_v2(db_);
    db_ = nullptr;
    wal_leftovers_.reset();
    throw;
  }
}

std::unique_ptr<Connection> SqliteConnection::OpenSibling() const {
  if (db_ == nullptr) return nullptr;
  auto sibling = std::make_unique<SqliteConnection>();
  sibling->Open(connection_string_);
  return sibling;
}

void SqliteConnection::Close() {
  if (db_ != nullptr) sqlite3_close_v2(db_);
  db_ = nullptr;
  wal_leftovers_.reset();
}

RecordSetPtr SqliteConnection::Run(std::string_view tsql, int64_t* changes) {
  ClearErrors();
  if (db_ == nullptr) Fail(DataDbError(kMsgConnectionClosed, {}, "SQLite"));
  CountStatement();
  StartDeadline();
  sql::Translation translation;
  try {
    translation = dialect_.Translate(tsql);
  } catch (const Error& e) {
    Fail({kErrDatabase, e.what(), "SQLite dialect"});
  }
  SortWorkers(db_, translation.total_order);
  RecordSetPtr result;
  const char* tail = translation.sql.c_str();
  while (tail != nullptr && *tail != '\0') {
    Statement s;
    if (sqlite3_prepare_v2(db_, tail, -1, &s.stmt, &tail) != SQLITE_OK) FailSqlite("SQL error");
    if (s.stmt == nullptr) break;  // only blanks or comments were left
    const int columns = sqlite3_column_count(s.stmt);
    int rc = sqlite3_step(s.stmt);
    if (columns == 0) {
      while (rc == SQLITE_ROW) rc = sqlite3_step(s.stmt);
      if (rc != SQLITE_DONE) FailSqlite("SQL error");
      if (changes != nullptr) *changes = sqlite3_changes64(db_);
      continue;
    }
    // The first rows are read here (below); the first of them now, as it
    // settles the fields.
    SqliteRows first;
    first.Clear(static_cast<size_t>(columns));
    if (rc == SQLITE_ROW) first.Append(s.stmt);
    // Settle each column's field from the declaration, the schema, the
    // dialect's hints, or the first row.
    auto table = std::make_shared<Table>();
    for (int c = 0; c < columns; ++c) {
      ColumnInfo info;
      info.field.name = sqlite3_column_name(s.stmt, c);
      if (const char* declared = sqlite3_column_decltype(s.stmt, c)) {
        info.field = FieldFromDeclaredType(info.field.name, declared);
        info.known = info.field.type != FieldType::Variant;
        info.text = info.field.type == FieldType::Text || info.field.type == FieldType::Char;
      }
      const Variant value = first.Rows() > 0 ? first.Raw(0, static_cast<size_t>(c)) : Variant::Null();
      table->AddField(ResolveField(info, &catalog_, &translation.column_hints, value));
    }
    // Whole numbers into number fields and texts into text fields go in as
    // they are, without a Variant (a million rows of a hundred columns); a
    // Null is what a new row already holds; the rest is converted.
    std::vector<bool> whole_numbers(static_cast<size_t>(columns)), texts(static_cast<size_t>(columns));
    for (size_t col = 0; col < static_cast<size_t>(columns); ++col) {
      const FieldType type = table->Field(col).type;
      whole_numbers[col] = type == FieldType::SmallInt || type == FieldType::Integer || type == FieldType::BigInt ||
                           type == FieldType::Decimal;
      texts[col] = type == FieldType::Text || type == FieldType::Char;
    }
    const auto store = [&](const SqliteRows& rows) {
      RowAppender append(*table);
      for (size_t r = 0; r < rows.Rows(); ++r) {
        for (size_t col = 0; col < static_cast<size_t>(columns); ++col) {
          try {
            const int kind = rows.Type(r, col);
            if (kind == SQLITE_NULL) {
              append.Null();
            } else if (kind == SQLITE_INTEGER && whole_numbers[col]) {
              append.Integer(rows.Integer(r, col));
            } else if (kind == SQLITE_TEXT && texts[col]) {
              append.Text(rows.Text(r, col));
            } else {
              append.Value(ConvertForField(rows.Raw(r, col), table->Field(col)));
            }
          } catch (const Error& e) {
            Fail({e.Number(), std::string(e.what()) + " (column " + table->Field(col).name + ")", "SQLite"});
          }
        }
        RowsReadSoFar(static_cast<int64_t>(append.EndRow()) + 1);
      }
    };
    RowsReadSoFar(0);
    // The first rows here; a longer result is stepped on a thread of its
    // own while this one stores the rows before (a million bookings read
    // on two cores). The timeout is for an answer that does not come, not
    // for the whole read: ten years of bookings take minutes, row after row.
    while (rc == SQLITE_ROW && first.Rows() < kRowsReadHere) {
      rc = sqlite3_step(s.stmt);
      if (rc != SQLITE_ROW) break;
      StartDeadline();
      first.Append(s.stmt);
    }
    store(first);
    if (rc == SQLITE_ROW) {
      SqliteRowStream stream(s.stmt, static_cast<size_t>(columns), [this] { StartDeadline(); });
      const std::function<bool()> idle = WorkWhileWaiting(table);
      while (const SqliteRows* rows = stream.Next(idle)) store(*rows);
      rc = stream.End();
    }
    if (rc != SQLITE_DONE) FailSqlite("SQL error");
    table->ShrinkToFit();  // kept for the run: no room for rows that will not come
    result = RecordSet::Create();
    result->OpenOver(table);
  }
  if (!result) {
    // A command without a result set answers an empty, open record set.
    result = RecordSet::Create();
    result->Open();
  }
  return result;
}

}  // namespace host::db
