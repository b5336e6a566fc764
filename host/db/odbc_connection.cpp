#include "host/db/odbc_connection.h"

#include <sql.h>
#include <sqlext.h>
#include <sqlite3.h>

#include <algorithm>
#include <atomic>
#include <charconv>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <regex>
#include <thread>

#include "host/db/connection_string.h"
#include "host/db/data_messages.h"
#include "host/db/database_file.h"
#include "host/db/odbc_bound_rows.h"
#include "host/db/odbc_row_stream.h"
#include "host/db/result_reader.h"
#include "host/db/sqlite_functions.h"
#include "host/db/sqlite_library.h"
#include "host/recordset/row_appender.h"
#include "host/recordset/table.h"

namespace host::db {

struct OdbcConnection::Handles {
  SQLHENV env = SQL_NULL_HENV;
  SQLHDBC dbc = SQL_NULL_HDBC;
  bool connected = false;
  // The statement that Run is executing, for Interrupt from another thread.
  std::atomic<SQLHSTMT> running{SQL_NULL_HSTMT};
  std::atomic<bool> cancelled{false};
  // Through the SQLite driver: the database it opened. Its SQLCancel would
  // close the statement under the thread fetching from it; SQLite's own
  // interrupt only makes the running step fail.
  std::atomic<sqlite3*> sqlite_db{nullptr};

  // Stops the running statement, if any (from any thread).
  void StopRunning() {
    const SQLHSTMT stmt = running.load();
    if (stmt == SQL_NULL_HSTMT) return;
    if (sqlite3* db = sqlite_db.load()) {
      sqlite3_interrupt(db);
    } else {
      SQLCancel(stmt);
    }
  }
};

namespace {

std::string WithoutPassword(std::string text) {
  static const std::regex kPassword(R"((PWD|Password)\s*=\s*(\{[^}]*\}|[^;]*))", std::regex::icase);
  return std::regex_replace(text, kPassword, "$1=***");
}

// The diagnostic records of a handle, as errors.
std::vector<DbError> Diagnostics(SQLSMALLINT type, SQLHANDLE handle) {
  std::vector<DbError> errors;
  for (SQLSMALLINT i = 1;; ++i) {
    SQLCHAR state[6] = {};
    SQLINTEGER native = 0;
    SQLCHAR message[1024] = {};
    SQLSMALLINT length = 0;
    const SQLRETURN rc = SQLGetDiagRec(type, handle, i, state, &native, message, sizeof message, &length);
    if (!SQL_SUCCEEDED(rc)) break;
    DbError e;
    e.description = WithoutPassword(reinterpret_cast<char*>(message));
    e.sql_state = reinterpret_cast<char*>(state);
    e.native_error = native;
    e.source = "ODBC";
    errors.push_back(e);
  }
  return errors;
}

FieldDef FieldFromSqlType(std::string name, SQLSMALLINT type, SQLULEN size, SQLSMALLINT digits) {
  FieldDef field{std::move(name), FieldType::Variant};
  switch (type) {
    case SQL_CHAR:
    case SQL_WCHAR:
      field.type = FieldType::Char;
      field.size = static_cast<int32_t>(size);
      break;
    case SQL_VARCHAR:
    case SQL_WVARCHAR:
    case SQL_LONGVARCHAR:
    case SQL_WLONGVARCHAR:
      field.type = FieldType::Text;
      field.size = size > 8000 ? 0 : static_cast<int32_t>(size);
      break;
    case SQL_DECIMAL:
    case SQL_NUMERIC:
      field.type = FieldType::Decimal;
      field.precision = static_cast<uint8_t>(size == 0 || size > 38 ? 38 : size);
      field.scale = static_cast<uint8_t>(digits < 0 ? 0 : digits);
      break;
    case SQL_INTEGER: field.type = FieldType::Integer; break;
    case SQL_SMALLINT:
    case SQL_TINYINT: field.type = FieldType::SmallInt; break;
    case SQL_BIGINT: field.type = FieldType::BigInt; break;
    case SQL_REAL:
    case SQL_FLOAT:
    case SQL_DOUBLE: field.type = FieldType::Double; break;
    case SQL_TYPE_DATE:
    case SQL_TYPE_TIMESTAMP:
    case SQL_DATE:
    case SQL_TIMESTAMP: field.type = FieldType::Date; break;
    case SQL_BIT: field.type = FieldType::Boolean; break;
    case SQL_GUID:
      field.type = FieldType::Text;
      field.size = 36;
      break;
    default: break;
  }
  return field;
}

// Reads one cell as text (NULL as Null).
Variant CellText(SQLHSTMT stmt, SQLUSMALLINT col) {
  std::string value;
  char buffer[4096];
  for (;;) {
    SQLLEN indicator = 0;
    const SQLRETURN rc = SQLGetData(stmt, col, SQL_C_CHAR, buffer, sizeof buffer, &indicator);
    if (rc == SQL_NO_DATA) break;
    if (!SQL_SUCCEEDED(rc)) throw Error(kErrDatabase, "Cannot read column " + std::to_string(col), "ODBC");
    if (indicator == SQL_NULL_DATA) return Variant::Null();
    const size_t chunk = (indicator == SQL_NO_TOTAL || indicator >= static_cast<SQLLEN>(sizeof buffer))
                             ? sizeof buffer - 1
                             : static_cast<size_t>(indicator);
    value.append(buffer, chunk);
    if (rc == SQL_SUCCESS) break;
  }
  return value;
}

// The value of a text that is a whole number of 64 bits as a driver writes
// it (digits after an optional minus, nothing else); none otherwise.
std::optional<int64_t> WholeNumber(std::string_view text) {
  int64_t value = 0;
  const char* end = text.data() + text.size();
  const auto [stop, error] = std::from_chars(text.data(), end, value);
  if (text.empty() || error != std::errc() || stop != end) return std::nullopt;
  return value;
}

// How a column of a settled field is bound: whole numbers, doubles and dates
// in their own C types; decimals as their exact text; the rest as text.
// The SQLite driver holds every value as text and splits a date into its
// parts with a string call apiece on the thread every read waits for: there
// a date comes as its text and is parsed where the rows are stored, as the
// native back end parses it.
OdbcBoundRows::Kind BoundKind(FieldType type, bool sqlite_driver) {
  switch (type) {
    case FieldType::SmallInt:
    case FieldType::Integer:
    case FieldType::BigInt: return OdbcBoundRows::Kind::Integer;
    case FieldType::Double: return OdbcBoundRows::Kind::Double;
    case FieldType::Date: return sqlite_driver ? OdbcBoundRows::Kind::Text : OdbcBoundRows::Kind::Timestamp;
    default: return OdbcBoundRows::Kind::Text;
  }
}

struct Statement {
  SQLHSTMT stmt = SQL_NULL_HSTMT;
  ~Statement() {
    if (stmt != SQL_NULL_HSTMT) SQLFreeHandle(SQL_HANDLE_STMT, stmt);
  }
};

// Seconds beyond the login timeout before a connection attempt is given up:
// the driver's own timeout comes first when it keeps it.
constexpr long kLoginGrace = 2;

DbError LoginDeadlineError(long seconds) { return DataDbError(kMsgServerDeadline, {std::to_string(seconds)}, "ODBC"); }

// One connection attempt, on a worker that may be abandoned: it owns its
// handles until the waiting side takes them; abandoned, it frees them.
struct ConnectAttempt {
  std::string text;
  long timeout = 5;
  SQLHENV env = SQL_NULL_HENV;
  SQLHDBC dbc = SQL_NULL_HDBC;
  sqlite3* sqlite_db = nullptr;  // the database a driver over SQLite opened
  SQLRETURN rc = SQL_ERROR;
  std::vector<DbError> errors;
  std::mutex mutex;
  std::condition_variable changed;
  bool done = false;
  bool abandoned = false;

  void Run() {
    SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env);
    SQLSetEnvAttr(env, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
    SQLAllocHandle(SQL_HANDLE_DBC, env, &dbc);
    SQLSetConnectAttr(dbc, SQL_ATTR_LOGIN_TIMEOUT, reinterpret_cast<SQLPOINTER>(timeout), 0);
    SQLSetConnectAttr(dbc, SQL_ATTR_CONNECTION_TIMEOUT, reinterpret_cast<SQLPOINTER>(timeout), 0);
    SQLCHAR out[1024];
    SQLSMALLINT out_length = 0;
    {
      const SqliteOpenWatch watch;
      rc = SQLDriverConnect(dbc, nullptr, reinterpret_cast<SQLCHAR*>(text.data()), static_cast<SQLSMALLINT>(text.size()),
                            out, sizeof out, &out_length, SQL_DRIVER_NOPROMPT);
      sqlite_db = watch.Opened();
    }
    if (!SQL_SUCCEEDED(rc)) errors = Diagnostics(SQL_HANDLE_DBC, dbc);
    std::lock_guard lock(mutex);
    if (abandoned) {
      if (SQL_SUCCEEDED(rc)) SQLDisconnect(dbc);
      SQLFreeHandle(SQL_HANDLE_DBC, dbc);
      SQLFreeHandle(SQL_HANDLE_ENV, env);
      return;
    }
    done = true;
    changed.notify_all();
  }
  // Whether the attempt ended within `wait`; if not, it is abandoned.
  bool WaitDone(std::chrono::seconds wait) {
    std::unique_lock lock(mutex);
    if (changed.wait_for(lock, wait, [this] { return done; })) return true;
    abandoned = true;
    return false;
  }
};

}  // namespace

OdbcConnection::OdbcConnection()
    : h_(std::make_unique<Handles>()),
      deadline_(std::make_unique<StatementDeadline>([h = h_.get()] { h->StopRunning(); })) {}

OdbcConnection::~OdbcConnection() { Close(); }

bool OdbcConnection::IsOpen() const { return h_->connected; }

std::string OdbcConnection::BackEnd() const { return "ODBC:" + dbms_; }

DateService& OdbcConnection::Dates() {
  if (sqlite_) return sqlite_dates_;
  return server_dates_;
}

void OdbcConnection::Open(const std::string& connection_string) {
  Close();
  ClearErrors();
  // The SQLite driver loads the same SQLite library: our functions reach it.
  RegisterSqliteFunctionsEverywhere();
  const ConnectionString parsed(connection_string);
  // A server that accepts and never answers gives up after 5 s by default;
  // "LoginTimeout=N" in the connection string changes it. A statement that
  // stalls gives up after 60 s ("QueryTimeout=N"). A value that is no
  // number of seconds is refused: it would mean no timeout at all.
  long timeout = 5;
  try {
    timeout = TimeoutSeconds(connection_string, "LoginTimeout", 5);
    query_timeout_ = TimeoutSeconds(connection_string, "QueryTimeout", 60);
  } catch (const Error& e) {
    Fail(DbErrorOf(e, "ODBC"));
  }
  std::string text = connection_string;
  // FreeTDS without a protocol version tries one after another, each with
  // its own wait: a silent server would hold the login for minutes.
  if (UpperAscii(parsed.Get("Driver")).find("TDS") != std::string::npos && !parsed.Has("TDS_Version")) {
    text += ";TDS_Version=7.4";
  }
  // Through the SQLite driver: the file must exist (the driver would create
  // an empty one), and a locked database answers within 5 s: the driver
  // waits once when it connects and once more at the first statement, so
  // each wait is 2.5 s.
  sqlite_driver_ = UpperAscii(parsed.Get("Driver")).find("SQLITE") != std::string::npos;
  if (sqlite_driver_) {
    std::string path = parsed.Get("Database");
    try {
      CheckDatabaseFile(path);
    } catch (const Error& e) {
      Close();
      Fail(DbErrorOf(e, "ODBC"));
    }
    wal_leftovers_ = std::make_unique<WalLeftovers>(path);
    if (!parsed.Has("NoCreat")) text += ";NoCreat=1";
    if (!parsed.Has("Timeout")) text += ";Timeout=2500";
    // The driver otherwise reads a whole result into its own memory before
    // the first row is fetched.
    if (!parsed.Has("StepAPI")) text += ";StepAPI=1";
  }
  auto attempt = std::make_shared<ConnectAttempt>();
  attempt->text = text;
  attempt->timeout = timeout;
  std::thread worker([attempt] { attempt->Run(); });
  if (!attempt->WaitDone(std::chrono::seconds(timeout + kLoginGrace))) {
    // Whatever the driver does: the worker is left to end when it does,
    // freeing its own handles.
    worker.detach();
    Close();
    Fail(LoginDeadlineError(timeout));
  }
  worker.join();
  h_->env = attempt->env;
  h_->dbc = attempt->dbc;
  if (sqlite_driver_) h_->sqlite_db = attempt->sqlite_db;
  if (!SQL_SUCCEEDED(attempt->rc)) {
    auto errors = std::move(attempt->errors);
    std::string message = "Cannot connect with '" + ConnectionString::Redacted(connection_string) + "'";
    for (const auto& e : errors) message += ": [" + e.sql_state + "] " + e.description;
    Close();
    errors.insert(errors.begin(), {kErrDatabase, message, "ODBC"});
    FailAll(std::move(errors));
  }
  h_->connected = true;
  connection_string_ = connection_string;
  char dbms[256] = {};
  SQLSMALLINT length = 0;
  SQLGetInfo(h_->dbc, SQL_DBMS_NAME, dbms, sizeof dbms, &length);
  dbms_ = dbms;
  sqlite_ = UpperAscii(dbms_).find("SQLITE") != std::string::npos;
  catalog_ = SchemaCatalog();
  if (sqlite_) {
    // A locked database is said once, before the catalog's many reads would
    // each wait for it.
    std::string failure;
    MessageKey failure_key;
    {
      Statement probe;
      SQLAllocHandle(SQL_HANDLE_STMT, h_->dbc, &probe.stmt);
      std::string sql = "SELECT name FROM sqlite_master LIMIT 1";
      SQLRETURN rc = SQLExecDirect(probe.stmt, reinterpret_cast<SQLCHAR*>(sql.data()), SQL_NTS);
      if (SQL_SUCCEEDED(rc)) {
        rc = SQLFetch(probe.stmt);
        if (rc == SQL_NO_DATA) rc = SQL_SUCCESS;
      }
      if (!SQL_SUCCEEDED(rc)) {
        for (const auto& e : Diagnostics(SQL_HANDLE_STMT, probe.stmt)) failure += e.description;
        if (UpperAscii(failure).find("LOCKED") != std::string::npos) {
          failure = EnglishText(kMsgLocked);
          failure_key = {kMsgLocked, {}};
        } else {
          // As the direct path says it: "[SQLite]database disk image is
          // malformed (11)" without the driver's marks.
          static const std::regex kDriverMarks(R"(^\[SQLite\]\s*|\s*\(\d+\)$)");
          failure = "'" + parsed.Get("Database") +
                    "' is not a readable database: " + std::regex_replace(failure, kDriverMarks, "");
        }
      }
    }  // the statement is freed before its connection is
    if (!failure.empty()) {
      Close();
      DbError error{kErrDatabase, failure, "ODBC"};
      error.key = failure_key;
      Fail(error);
    }
    catalog_.LoadFromSqlite([this](const std::string& sql) { return QueryTexts(sql); });
    for (const auto& [column, type] : TableFunctionColumns()) catalog_.AddDeclared(column, type);
    // Said as the direct path says it, not later as "no such table".
    if (!catalog_.HasTable("PD44_VERSORE")) {
      Close();
      Fail(DataDbError(kMsgNoBookingTable, {parsed.Get("Database")}, "ODBC"));
    }
  }
}

std::unique_ptr<Connection> OdbcConnection::OpenSibling() const {
  if (!h_->connected) return nullptr;
  auto sibling = std::make_unique<OdbcConnection>();
  sibling->Open(connection_string_);
  return sibling;
}

void OdbcConnection::Close() {
  h_->sqlite_db = nullptr;
  if (h_->dbc != SQL_NULL_HDBC) {
    if (h_->connected) SQLDisconnect(h_->dbc);
    SQLFreeHandle(SQL_HANDLE_DBC, h_->dbc);
  }
  if (h_->env != SQL_NULL_HENV) SQLFreeHandle(SQL_HANDLE_ENV, h_->env);
  h_->dbc = SQL_NULL_HDBC;
  h_->env = SQL_NULL_HENV;
  h_->connected = false;
  wal_leftovers_.reset();
}

SchemaCatalog::Rows OdbcConnection::QueryTexts(const std::string& sql) {
  SchemaCatalog::Rows rows;
  Statement s;
  SQLAllocHandle(SQL_HANDLE_STMT, h_->dbc, &s.stmt);
  std::string text = sql;
  if (!SQL_SUCCEEDED(SQLExecDirect(s.stmt, reinterpret_cast<SQLCHAR*>(text.data()), SQL_NTS))) return rows;
  SQLSMALLINT columns = 0;
  SQLNumResultCols(s.stmt, &columns);
  while (SQL_SUCCEEDED(SQLFetch(s.stmt))) {
    std::vector<std::string> row;
    for (SQLUSMALLINT c = 1; c <= columns; ++c) row.push_back(CellText(s.stmt, c).JoinedText());
    rows.push_back(std::move(row));
  }
  return rows;
}

RecordSetPtr OdbcConnection::Run(std::string_view tsql, int64_t* changes) {
  ClearErrors();
  if (!h_->connected) Fail(DataDbError(kMsgConnectionClosed, {}, "ODBC"));
  CountStatement();
  std::string sql(tsql);
  std::unordered_map<std::string, FieldDef> hints;
  if (sqlite_) {
    try {
      auto translation = dialect_.Translate(tsql);
      sql = std::move(translation.sql);
      hints = std::move(translation.column_hints);
      if (sqlite3* db = h_->sqlite_db.load()) SortWorkers(db, translation.total_order);
    } catch (const Error& e) {
      Fail({kErrDatabase, e.what(), "SQLite dialect"});
    }
  }
  Statement s;
  SQLAllocHandle(SQL_HANDLE_STMT, h_->dbc, &s.stmt);
  // FreeTDS waits its query timeout for an answer, then as long again for
  // the server to acknowledge the cancel: half the timeout each keeps the
  // whole within it.
  const long driver_timeout = std::max(1L, query_timeout_ / 2);
  SQLSetStmtAttr(s.stmt, SQL_ATTR_QUERY_TIMEOUT, reinterpret_cast<SQLPOINTER>(driver_timeout), 0);
  const auto started = std::chrono::steady_clock::now();
  h_->cancelled = false;
  h_->running = s.stmt;
  // Not every driver keeps its query timeout (the SQLite one does not): the
  // deadline cancels the statement itself.
  deadline_->Arm(std::chrono::seconds(query_timeout_));
  struct RunningGuard {
    Handles& h;
    StatementDeadline& deadline;
    ~RunningGuard() {
      deadline.Disarm();
      h.running = SQL_NULL_HSTMT;
    }
  } guard{*h_, *deadline_};
  const auto fail_if_cancelled = [this] {
    if (h_->cancelled) Fail(DataDbError(kMsgStopped, {}, "ODBC", kErrCancelled));
    if (deadline_->Expired()) Fail(DeadlineError(query_timeout_, "ODBC"));
  };
  // A failure past the driver's timeout that the driver calls a timeout or
  // a lost link is the deadline, said as ours.
  const auto fail_with = [&](std::vector<DbError> errors) {
    fail_if_cancelled();
    const bool late = std::chrono::steady_clock::now() - started >= std::chrono::seconds(driver_timeout);
    for (const auto& e : errors) {
      if (late && (e.sql_state == "HYT00" || e.sql_state == "HYT01" || e.sql_state == "08S01")) {
        Fail(DeadlineError(query_timeout_, "ODBC"));
      }
    }
    if (errors.empty()) errors.push_back({kErrDatabase, "SQL error", "ODBC"});
    FailAll(std::move(errors));
  };
  // The SQLite driver runs one statement per call: split a batch there.
  std::vector<std::string> statements;
  if (sqlite_) {
    size_t start = 0;
    bool in_string = false;
    for (size_t i = 0; i < sql.size(); ++i) {
      if (sql[i] == '\'') in_string = !in_string;
      if (sql[i] == ';' && !in_string) {
        statements.push_back(sql.substr(start, i - start));
        start = i + 1;
      }
    }
    if (!Trim(sql.substr(start)).empty()) statements.push_back(sql.substr(start));
  } else {
    statements.push_back(sql);
  }
  RecordSetPtr result;
  for (auto& statement : statements) {
    SQLFreeStmt(s.stmt, SQL_CLOSE);
    SQLRETURN rc = SQLExecDirect(s.stmt, reinterpret_cast<SQLCHAR*>(statement.data()), SQL_NTS);
    if (!SQL_SUCCEEDED(rc) && rc != SQL_NO_DATA) fail_with(Diagnostics(SQL_HANDLE_STMT, s.stmt));
    do {
      SQLSMALLINT columns = 0;
      SQLNumResultCols(s.stmt, &columns);
      if (columns == 0) {
        SQLLEN count = 0;
        SQLRowCount(s.stmt, &count);
        if (changes != nullptr) *changes = count;
        continue;
      }
      std::vector<ColumnInfo> infos;
      std::vector<SQLULEN> sizes;  // characters, as the driver describes each column
      for (SQLUSMALLINT c = 1; c <= columns; ++c) {
        SQLCHAR name[256] = {};
        SQLSMALLINT name_length = 0;
        SQLSMALLINT type = 0;
        SQLULEN size = 0;
        SQLSMALLINT digits = 0;
        SQLSMALLINT nullable = 0;
        SQLDescribeCol(s.stmt, c, name, sizeof name, &name_length, &type, &size, &digits, &nullable);
        sizes.push_back(size);
        ColumnInfo info;
        info.field = FieldFromSqlType(reinterpret_cast<char*>(name), type, size, digits);
        // The SQLite driver reports declared types loosely (decimals as
        // text without scale, computed columns by guess): there the schema,
        // the dialect's hints and the values decide, as on the native back
        // end; the driver is trusted only that a column holds text.
        info.known = !sqlite_ && info.field.type != FieldType::Variant;
        if (sqlite_) {
          // The driver names a declared type as the schema writes it (upper
          // case) and a guess in lower case: only a declared text counts.
          char type_name[64] = {};
          SQLSMALLINT type_length = 0;
          SQLColAttribute(s.stmt, c, SQL_DESC_TYPE_NAME, type_name, sizeof type_name, &type_length, nullptr);
          const std::string declared = type_name;
          const bool guessed =
              declared.empty() || declared.find_first_of("abcdefghijklmnopqrstuvwxyz") != std::string::npos;
          if (!guessed && (UpperAscii(declared).rfind("CHAR", 0) == 0 || UpperAscii(declared).rfind("NCHAR", 0) == 0)) {
            info.field.type = FieldType::Char;  // reported as VARCHAR, declared CHAR(n)
            info.field.size = static_cast<int32_t>(size);
          }
          info.text = !guessed && (info.field.type == FieldType::Text || info.field.type == FieldType::Char);
        }
        infos.push_back(info);
      }
      auto table = std::make_shared<Table>();
      // Each column's field is settled before the rows come where the back
      // end, the schema or the dialect's hints tell it, and read in its own
      // C type; a column that only its first value can tell is read as text.
      const SchemaCatalog* catalog = sqlite_ ? &catalog_ : nullptr;
      std::vector<FieldDef> fields;
      std::vector<bool> settled;
      std::vector<OdbcBoundRows::Column> plan;
      for (size_t c = 0; c < infos.size(); ++c) {
        FieldDef as_null = ResolveField(infos[c], catalog, &hints, Variant::Null());
        const FieldDef as_text = ResolveField(infos[c], catalog, &hints, Variant(std::string()));
        settled.push_back(as_null.type == as_text.type);
        OdbcBoundRows::Column column;
        column.kind = settled.back() ? BoundKind(as_null.type, sqlite_) : OdbcBoundRows::Kind::Text;
        column.size = sizes[c];
        plan.push_back(column);
        fields.push_back(std::move(as_null));
      }
      OdbcBoundRows bound(s.stmt, plan, !sqlite_);
      std::vector<OdbcBoundRows::Kind> kinds;
      for (const auto& column : plan) kinds.push_back(column.kind);
      OdbcRowStream stream(bound, std::move(kinds));
      const std::function<bool()> idle = WorkWhileWaiting(table);
      const auto next_rows = [&] {
        try {
          return stream.Next(idle);
        } catch (const Error& e) {
          Fail({e.Number(), e.what(), "ODBC"});
        }
      };
      const FetchedRows* rows = next_rows();
      const bool have_row = rows != nullptr;
      std::vector<bool> numeric(infos.size(), false);
      std::vector<bool> number_column(infos.size(), false);
      for (size_t c = 0; c < infos.size(); ++c) {
        if (plan[c].kind == OdbcBoundRows::Kind::Text) {
          // A text value is all that ODBC gave: infer its kind from the text.
          Variant probe = have_row && !rows->IsNull(0, c) ? Variant(std::string(rows->Text(0, c))) : Variant::Null();
          if (probe.IsText() && !infos[c].known && !infos[c].text) {
            if (const auto d = Decimal::Parse(probe.Text())) {
              probe = d->Scale() == 0 ? Variant(d->TruncToInt64()) : Variant(d->ToDouble());
              numeric[c] = true;
            }
          }
          if (!settled[c]) fields[c] = ResolveField(infos[c], catalog, &hints, probe);
        }
        table->AddField(fields[c]);
        const FieldType type = table->Field(c).type;
        number_column[c] = type != FieldType::Text && type != FieldType::Char && type != FieldType::Date &&
                           (type != FieldType::Variant || numeric[c]);
      }
      RowsReadSoFar(0);
      while (rows != nullptr) {
        RowAppender append(*table);
        for (size_t r = 0; r < rows->Rows(); ++r) {
          for (size_t c = 0; c < infos.size(); ++c) {
            if (rows->IsNull(r, c)) {
              append.Null();
              continue;
            }
            const FieldDef& field = table->Field(c);
            try {
              switch (plan[c].kind) {
                case OdbcBoundRows::Kind::Integer: append.Integer(rows->Integer(r, c)); break;
                case OdbcBoundRows::Kind::Double: append.Value(rows->Double(r, c)); break;
                case OdbcBoundRows::Kind::Timestamp: {
                  const auto date = rows->Timestamp(r, c);
                  if (!date) {
                    throw Error(kErrTypeMismatch, "The value of column " + field.name + " is not a date", "ODBC");
                  }
                  append.Value(*date);
                  break;
                }
                case OdbcBoundRows::Kind::Text: {
                  const std::string_view text = rows->Text(r, c);
                  if (field.type == FieldType::Text || field.type == FieldType::Char) {
                    append.Text(text);
                    break;
                  }
                  if (field.type == FieldType::Date) {
                    if (const auto date = DateTime::Parse(text)) {
                      append.Value(*date);
                      break;
                    }  // else refused below, with the text
                  }
                  // A whole number into a decimal field goes in as the native
                  // back end puts it, without a Variant or a Decimal.
                  if (field.type == FieldType::Decimal) {
                    if (const auto whole = WholeNumber(text)) {
                      append.Integer(*whole);
                      break;
                    }
                  }
                  Variant raw{std::string(text)};
                  if (number_column[c]) {
                    if (auto number = Decimal::Parse(raw.Text())) {
                      // SQLite holds a value of no declared kind as a whole
                      // number or a double: read so, as the native back end does.
                      if (sqlite_ && field.type == FieldType::Variant) {
                        raw = number->Scale() == 0 ? Variant(number->TruncToInt64()) : Variant(number->ToDouble());
                      } else {
                        raw = *number;
                      }
                    }
                  }
                  append.Value(ConvertForField(raw, field));
                  break;
                }
              }
            } catch (const Error& e) {
              Fail({e.Number(), std::string(e.what()) + " (column " + field.name + ")", "ODBC"});
            }
          }
          RowsReadSoFar(static_cast<int64_t>(append.EndRow()) + 1);
        }
        rows = next_rows();
        // The timeout is for an answer that does not come, not for the whole
        // read: ten years of bookings take minutes, block after block.
        if (rows != nullptr) deadline_->Restart(std::chrono::seconds(query_timeout_));
      }
      // Rows that stop coming are a failure, not the end of the rows.
      if (stream.End() != SQL_NO_DATA) fail_with(Diagnostics(SQL_HANDLE_STMT, s.stmt));
      fail_if_cancelled();
      table->ShrinkToFit();  // kept for the run: no room for rows that will not come
      result = RecordSet::Create();
      result->OpenOver(table);
    } while (SQL_SUCCEEDED(SQLMoreResults(s.stmt)));
  }
  if (!result) {
    result = RecordSet::Create();
    result->Open();
  }
  return result;
}

void OdbcConnection::Interrupt() {
  h_->cancelled = true;
  // SQLCancel is the one ODBC call meant for another thread (SQLite's
  // interrupt, through its driver).
  h_->StopRunning();
}

}  // namespace host::db
