#include "host/db/sqlite_functions.h"

#include <sqlite3.h>

#include <array>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "host/db/sqlite_library.h"
#include "host/db/sqlite_numbers.h"
#include "host/value/decimal.h"
#include "host/value/error.h"

namespace host::db {
namespace {

std::optional<Decimal> DecimalOf(sqlite3_value* v) {
  switch (sqlite3_value_type(v)) {
    case SQLITE_INTEGER: return Decimal::FromInt(sqlite3_value_int64(v));
    case SQLITE_FLOAT: return Decimal::FromDouble(sqlite3_value_double(v));
    case SQLITE_TEXT: return Decimal::Parse(reinterpret_cast<const char*>(sqlite3_value_text(v)));
    default: return std::nullopt;
  }
}

void ResultNumber(sqlite3_context* ctx, const SqliteNumber& n) {
  if (n.integer) return sqlite3_result_int64(ctx, static_cast<sqlite3_int64>(n.whole));
  sqlite3_result_double(ctx, n.real);
}

void QvDecimal(sqlite3_context* ctx, int /*argc*/, sqlite3_value** argv) {
  if (sqlite3_value_type(argv[0]) == SQLITE_NULL) return sqlite3_result_null(ctx);
  auto value = DecimalOf(argv[0]);
  if (!value) return sqlite3_result_error(ctx, "Error converting data type varchar to numeric.", -1);
  const int precision = sqlite3_value_int(argv[1]);
  const int scale = sqlite3_value_int(argv[2]);
  try {
    ResultNumber(ctx, DecimalCast(*value, precision, scale));
  } catch (const Error& e) {
    sqlite3_result_error(ctx, e.what(), -1);
  }
}

void QvDiv(sqlite3_context* ctx, int /*argc*/, sqlite3_value** argv) {
  if (sqlite3_value_type(argv[0]) == SQLITE_NULL || sqlite3_value_type(argv[1]) == SQLITE_NULL) {
    return sqlite3_result_null(ctx);
  }
  auto a = DecimalOf(argv[0]);
  auto b = DecimalOf(argv[1]);
  if (!a || !b) return sqlite3_result_error(ctx, "Error converting data type varchar to numeric.", -1);
  try {
    ResultNumber(ctx, DecimalDivide(*a, *b));
  } catch (const Error& e) {
    sqlite3_result_error(ctx, e.what(), -1);
  }
}

void QvLeft(sqlite3_context* ctx, int /*argc*/, sqlite3_value** argv) {
  if (sqlite3_value_type(argv[0]) == SQLITE_NULL) return sqlite3_result_null(ctx);
  const std::string text = reinterpret_cast<const char*>(sqlite3_value_text(argv[0]));
  const int n = sqlite3_value_int(argv[1]);
  size_t bytes = 0;
  for (int chars = 0; bytes < text.size() && chars < n; ++chars) {
    ++bytes;
    while (bytes < text.size() && (static_cast<unsigned char>(text[bytes]) & 0xC0U) == 0x80U) ++bytes;
  }
  sqlite3_result_text(ctx, text.data(), static_cast<int>(bytes), SQLITE_TRANSIENT);
}

// The primary variant value of an option: its first segment, up to the first
// '.', without blanks. Fashion articles keep their data by colour, the first
// segment of the option code.
void ValVariantePri(sqlite3_context* ctx, int /*argc*/, sqlite3_value** argv) {
  if (sqlite3_value_type(argv[3]) == SQLITE_NULL) return sqlite3_result_text(ctx, "", 0, SQLITE_STATIC);
  std::string option = reinterpret_cast<const char*>(sqlite3_value_text(argv[3]));
  const size_t dot = option.find('.');
  if (dot != std::string::npos) option.resize(dot);
  while (!option.empty() && option.back() == ' ') option.pop_back();
  sqlite3_result_text(ctx, option.c_str(), static_cast<int>(option.size()), SQLITE_TRANSIENT);
}

// ---- table functions -------------------------------------------------------

struct TableFunction {
  const char* name;
  const char* columns;  // output columns with declared types
  int output_columns;
  int arguments;
  const char* sql;  // ?1..?n are the arguments
};

constexpr std::array<TableFunction, 3> kTableFunctions{{
    {"FNCI03_CAUSALI", "CI03_CODICE VARCHAR(10), CI03_DESCR VARCHAR(80)", 2, 2,
     "SELECT CI03_CODICE, CI03_DESCR FROM CI03_CAUSALI WHERE CI03_CODICE = ?1 AND CI03_DITTA_CG18 = ?2"},
    {"FNPC03_ANAGPDC_COAN", "PC03_CONTO VARCHAR(20), PC03_DESCR VARCHAR(80)", 2, 4,
     "SELECT PC03_CONTO, PC03_DESCR FROM PC03_ANAGPDC "
     "WHERE PC03_PDC_PC01 = ?1 AND PC03_CONTO = ?2 AND PC03_DITTA_CG18 = ?3"},
    {"FNPD_CATVALCONFIG",
     "CODICE VARCHAR(10), INDTIPODATO SMALLINT, VALORESTR_CM02 VARCHAR(20), VALORENUM_CM02 DECIMAL(17,6), "
     "INDTIPOART SMALLINT, CODARTMOD_MG66 VARCHAR(50)",
     6, 7,
     "SELECT CM02_CODICE, CM02_INDTIPODATO, CM02_VALORESTR, CM02_VALORENUM, "
     "CASE WHEN IFNULL(CM02_CODARTMOD_MG66, '') = '' THEN 0 ELSE 1 END, CM02_CODARTMOD_MG66 FROM CM02_VALCONFIG "
     "WHERE CM02_DITTA_CG18 = ?1 AND CM02_CODART_MG66 = ?3 "
     "AND (IFNULL(?6, 0) <= 0 OR CM02_SEGMENTO = '' OR CM02_SEGMENTO = SUBSTR(IFNULL(?4, ''), ?6, ?7)) "
     "AND (?5 IS NULL OR CM02_DATAINIVAL <= ?5) ORDER BY CM02_CODICE"},
}};

struct FnTable {
  sqlite3_vtab base{};
  const TableFunction* fn = nullptr;
  sqlite3* db = nullptr;
};

struct FnCursor {
  sqlite3_vtab_cursor base{};
  sqlite3_stmt* stmt = nullptr;
  int rc = SQLITE_DONE;
  sqlite3_int64 row = 0;
  std::vector<sqlite3_value*> args;
};

int FnConnect(sqlite3* db, void* aux, int /*argc*/, const char* const* /*argv*/, sqlite3_vtab** out, char** /*err*/) {
  const auto* fn = static_cast<const TableFunction*>(aux);
  std::string ddl = std::string("CREATE TABLE x(") + fn->columns;
  for (int i = 1; i <= fn->arguments; ++i) ddl += ", arg" + std::to_string(i) + " HIDDEN";
  ddl += ")";
  const int rc = sqlite3_declare_vtab(db, ddl.c_str());
  if (rc != SQLITE_OK) return rc;
  auto* table = new FnTable();
  table->fn = fn;
  table->db = db;
  *out = &table->base;
  return SQLITE_OK;
}

int FnDisconnect(sqlite3_vtab* vtab) {
  delete reinterpret_cast<FnTable*>(vtab);
  return SQLITE_OK;
}

// Every argument must come as an equality; the arguments' bit mask is idxNum.
int FnBestIndex(sqlite3_vtab* vtab, sqlite3_index_info* info) {
  const auto* table = reinterpret_cast<FnTable*>(vtab);
  const int first_hidden = table->fn->output_columns;
  int mask = 0;
  for (int i = 0; i < info->nConstraint; ++i) {
    const auto& c = info->aConstraint[i];
    if (c.iColumn < first_hidden) continue;
    if (c.op != SQLITE_INDEX_CONSTRAINT_EQ) continue;
    if (c.usable == 0) return SQLITE_CONSTRAINT;
    const int arg = c.iColumn - first_hidden;
    mask |= 1 << arg;
    info->aConstraintUsage[i].argvIndex = arg + 1;
    info->aConstraintUsage[i].omit = 1;
  }
  // argvIndex must be contiguous from 1: renumber in argument order.
  int next = 1;
  for (int arg = 0; arg < table->fn->arguments; ++arg) {
    for (int i = 0; i < info->nConstraint; ++i) {
      if (info->aConstraintUsage[i].argvIndex == arg + 1 && info->aConstraint[i].iColumn - first_hidden == arg) {
        info->aConstraintUsage[i].argvIndex = next++;
      }
    }
  }
  info->idxNum = mask;
  info->estimatedCost = 10;
  info->estimatedRows = 1;
  return SQLITE_OK;
}

int FnOpen(sqlite3_vtab* /*vtab*/, sqlite3_vtab_cursor** out) {
  auto* cursor = new FnCursor();
  *out = &cursor->base;
  return SQLITE_OK;
}

int FnClose(sqlite3_vtab_cursor* base) {
  auto* cursor = reinterpret_cast<FnCursor*>(base);
  sqlite3_finalize(cursor->stmt);
  for (auto* v : cursor->args) sqlite3_value_free(v);
  delete cursor;
  return SQLITE_OK;
}

int FnFilter(sqlite3_vtab_cursor* base, int mask, const char* /*idx*/, int argc, sqlite3_value** argv) {
  auto* cursor = reinterpret_cast<FnCursor*>(base);
  const auto* table = reinterpret_cast<FnTable*>(base->pVtab);
  if (cursor->stmt == nullptr) {
    const int rc = sqlite3_prepare_v2(table->db, table->fn->sql, -1, &cursor->stmt, nullptr);
    if (rc != SQLITE_OK) {
      sqlite3_free(base->pVtab->zErrMsg);
      base->pVtab->zErrMsg = sqlite3_mprintf("%s: %s", table->fn->name, sqlite3_errmsg(table->db));
      return rc;
    }
  }
  sqlite3_reset(cursor->stmt);
  sqlite3_clear_bindings(cursor->stmt);
  for (auto* v : cursor->args) sqlite3_value_free(v);
  cursor->args.assign(static_cast<size_t>(table->fn->arguments), nullptr);
  int next = 0;
  for (int arg = 0; arg < table->fn->arguments && next < argc; ++arg) {
    if ((mask & (1 << arg)) == 0) continue;
    sqlite3_bind_value(cursor->stmt, arg + 1, argv[next]);
    cursor->args[static_cast<size_t>(arg)] = sqlite3_value_dup(argv[next]);
    ++next;
  }
  cursor->row = 0;
  cursor->rc = sqlite3_step(cursor->stmt);
  return cursor->rc == SQLITE_ROW || cursor->rc == SQLITE_DONE ? SQLITE_OK : cursor->rc;
}

int FnNext(sqlite3_vtab_cursor* base) {
  auto* cursor = reinterpret_cast<FnCursor*>(base);
  cursor->rc = sqlite3_step(cursor->stmt);
  ++cursor->row;
  return cursor->rc == SQLITE_ROW || cursor->rc == SQLITE_DONE ? SQLITE_OK : cursor->rc;
}

int FnEof(sqlite3_vtab_cursor* base) { return reinterpret_cast<FnCursor*>(base)->rc != SQLITE_ROW ? 1 : 0; }

int FnColumn(sqlite3_vtab_cursor* base, sqlite3_context* ctx, int column) {
  auto* cursor = reinterpret_cast<FnCursor*>(base);
  const auto* table = reinterpret_cast<FnTable*>(base->pVtab);
  if (column < table->fn->output_columns) {
    sqlite3_result_value(ctx, sqlite3_column_value(cursor->stmt, column));
  } else {
    auto* arg = cursor->args[static_cast<size_t>(column - table->fn->output_columns)];
    if (arg != nullptr) sqlite3_result_value(ctx, arg);
  }
  return SQLITE_OK;
}

int FnRowid(sqlite3_vtab_cursor* base, sqlite3_int64* rowid) {
  *rowid = reinterpret_cast<FnCursor*>(base)->row;
  return SQLITE_OK;
}

sqlite3_module MakeModule() {
  sqlite3_module m{};
  m.iVersion = 0;
  m.xCreate = nullptr;  // eponymous only: used as FN(args), never created
  m.xConnect = FnConnect;
  m.xBestIndex = FnBestIndex;
  m.xDisconnect = FnDisconnect;
  m.xDestroy = FnDisconnect;
  m.xOpen = FnOpen;
  m.xClose = FnClose;
  m.xFilter = FnFilter;
  m.xNext = FnNext;
  m.xEof = FnEof;
  m.xColumn = FnColumn;
  m.xRowid = FnRowid;
  return m;
}

const sqlite3_module kModule = MakeModule();

int AutoExtension(sqlite3* db, char** /*err*/, const sqlite3_api_routines* /*api*/) {
  SqliteOpenWatch::NoteOpened(db);
  return RegisterSqliteFunctions(db);
}

}  // namespace

std::vector<std::pair<std::string, std::string>> TableFunctionColumns() {
  std::vector<std::pair<std::string, std::string>> columns;
  for (const auto& fn : kTableFunctions) {
    std::string list = fn.columns;
    size_t start = 0;
    // "A TYPE(p,s), B TYPE": split on commas outside parentheses.
    int depth = 0;
    for (size_t i = 0; i <= list.size(); ++i) {
      if (i < list.size() && list[i] == '(') ++depth;
      if (i < list.size() && list[i] == ')') --depth;
      if (i == list.size() || (list[i] == ',' && depth == 0)) {
        std::string item = list.substr(start, i - start);
        while (!item.empty() && item.front() == ' ') item.erase(0, 1);
        const size_t blank = item.find(' ');
        columns.emplace_back(item.substr(0, blank), blank == std::string::npos ? "" : item.substr(blank + 1));
        start = i + 1;
      }
    }
  }
  return columns;
}

namespace {

// QV_CI: texts compared as the ERP's server compares codes (and as our
// filters do, TextPool::Fold): ASCII letters without case, trailing blanks
// ignored. Byte by byte, no copy: it runs in every sort of a million rows.
int CompareWithoutCase(void* /*unused*/, int left_size, const void* left, int right_size, const void* right) {
  const auto* a = static_cast<const unsigned char*>(left);
  const auto* b = static_cast<const unsigned char*>(right);
  while (left_size > 0 && a[left_size - 1] == ' ') --left_size;
  while (right_size > 0 && b[right_size - 1] == ' ') --right_size;
  const int common = left_size < right_size ? left_size : right_size;
  for (int i = 0; i < common; ++i) {
    unsigned char x = a[i];
    unsigned char y = b[i];
    if (x >= 'a' && x <= 'z') x = static_cast<unsigned char>(x - 'a' + 'A');
    if (y >= 'a' && y <= 'z') y = static_cast<unsigned char>(y - 'a' + 'A');
    if (x != y) return x < y ? -1 : 1;
  }
  return left_size == right_size ? 0 : (left_size < right_size ? -1 : 1);
}

}  // namespace

int RegisterSqliteFunctions(sqlite3* db) {
  constexpr int kFlags = SQLITE_UTF8 | SQLITE_DETERMINISTIC;
  int rc = sqlite3_create_function(db, "QV_DECIMAL", 3, kFlags, nullptr, QvDecimal, nullptr, nullptr);
  if (rc == SQLITE_OK) rc = sqlite3_create_function(db, "QV_DIV", 2, kFlags, nullptr, QvDiv, nullptr, nullptr);
  if (rc == SQLITE_OK) rc = sqlite3_create_function(db, "QV_LEFT", 2, kFlags, nullptr, QvLeft, nullptr, nullptr);
  if (rc == SQLITE_OK) {
    rc = sqlite3_create_function(db, "FNFA_VALVARIANTEPRI", 5, kFlags, nullptr, ValVariantePri, nullptr, nullptr);
  }
  if (rc == SQLITE_OK) rc = sqlite3_create_collation(db, "QV_CI", SQLITE_UTF8, nullptr, CompareWithoutCase);
  for (const auto& fn : kTableFunctions) {
    if (rc == SQLITE_OK) {
      rc = sqlite3_create_module_v2(db, fn.name, &kModule, const_cast<TableFunction*>(&fn), nullptr);
    }
  }
  return rc;
}

void RegisterSqliteFunctionsEverywhere() {
  static std::once_flag once;
  std::call_once(once, [] {
    sqlite3_auto_extension(reinterpret_cast<void (*)()>(AutoExtension));  // NOLINT
  });
}

}  // namespace host::db
