// What the demo generator writes with: a value of a column, the seeded
// random draws, the statement cache that inserts rows, and the company,
// article, order and phase as the generator plans them before writing.
#pragma once

#include <sqlite3.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <map>
#include <random>
#include <set>
#include <string>
#include <string_view>
#include <unordered_map>
#include <variant>
#include <vector>

#include "demo/erp_database.h"
#include "host/value/date_time.h"
#include "host/value/error.h"

namespace demo::generation {

// A text is either owned or, when it outlives the insert (the generator's
// plans, literals), only viewed: ten million bookings copy no texts.
using Value = std::variant<std::monostate, int64_t, double, std::string, std::string_view>;
inline const Value kNull{};

class Random {
 public:
  explicit Random(uint32_t seed) : engine_(seed) {}
  // 0 .. n-1, from the raw engine (the same on every library).
  int64_t Below(int64_t n) { return static_cast<int64_t>(engine_() % static_cast<uint32_t>(n)); }
  bool Percent(int p) { return Below(100) < p; }
  double Unit() { return static_cast<double>(engine_()) / 4294967296.0; }
  template <typename T>
  const T& Pick(const std::vector<T>& items) {
    return items[static_cast<size_t>(Below(static_cast<int64_t>(items.size())))];
  }

 private:
  std::mt19937 engine_;
};

class Writer {
 public:
  explicit Writer(sqlite3* db) : db_(db) {}
  ~Writer() {
    for (auto& s : statements_) sqlite3_finalize(s.stmt);
  }
  Writer(const Writer&) = delete;
  Writer& operator=(const Writer&) = delete;

  void Exec(const std::string& sql) {
    if (sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, nullptr) != SQLITE_OK) Fail(sql);
  }

  // The first column of every row `sql` answers, as text.
  std::vector<std::string> Texts(const std::string& sql) {
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(db_, sql.c_str(), -1, &stmt, nullptr) != SQLITE_OK) Fail(sql);
    std::vector<std::string> texts;
    int rc = SQLITE_ROW;
    while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
      const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0));
      texts.emplace_back(text != nullptr ? text : "");
    }
    sqlite3_finalize(stmt);
    if (rc != SQLITE_DONE) Fail(sql);
    return texts;
  }

  void Insert(const std::string& table, const std::vector<const char*>& columns, const std::vector<Value>& values) {
    // Found by the column names' addresses (literals): ten million bookings
    // must not build a text key of fifty names each.
    sqlite3_stmt* stmt = nullptr;
    for (auto& s : statements_) {
      if (s.columns == columns && s.table == table) {
        stmt = s.stmt;
        break;
      }
    }
    if (stmt == nullptr) {
      std::string sql = "INSERT INTO " + table + " (";
      std::string marks;
      for (size_t i = 0; i < columns.size(); ++i) {
        sql += (i ? "," : "") + std::string(columns[i]);
        marks += i ? ",?" : "?";
      }
      sql += ") VALUES (" + marks + ")";
      if (sqlite3_prepare_v2(db_, sql.c_str(), -1, &stmt, nullptr) != SQLITE_OK) Fail(sql);
      statements_.push_back({table, columns, stmt});
    }
    for (size_t i = 0; i < values.size(); ++i) {
      const int at = static_cast<int>(i) + 1;
      const Value& v = values[i];
      if (std::holds_alternative<int64_t>(v)) {
        sqlite3_bind_int64(stmt, at, std::get<int64_t>(v));
      } else if (std::holds_alternative<double>(v)) {
        sqlite3_bind_double(stmt, at, std::get<double>(v));
      } else if (std::holds_alternative<std::string>(v)) {
        // The values outlive the step: SQLite need not copy them.
        const auto& s = std::get<std::string>(v);
        sqlite3_bind_text(stmt, at, s.data(), static_cast<int>(s.size()), SQLITE_STATIC);
      } else if (std::holds_alternative<std::string_view>(v)) {
        const auto s = std::get<std::string_view>(v);
        sqlite3_bind_text(stmt, at, s.data(), static_cast<int>(s.size()), SQLITE_STATIC);
      } else {
        sqlite3_bind_null(stmt, at);
      }
    }
    if (sqlite3_step(stmt) != SQLITE_DONE) Fail("insert into " + table);
    sqlite3_reset(stmt);
  }

 private:
  [[noreturn]] void Fail(const std::string& what) {
    throw host::Error(host::kErrDatabase, "Demo database: " + what + ": " + sqlite3_errmsg(db_), "demo");
  }
  sqlite3* db_;
  struct Prepared {
    std::string table;
    std::vector<const char*> columns;
    sqlite3_stmt* stmt;
  };
  std::vector<Prepared> statements_;
};

inline Value I(int64_t v) { return v; }
inline Value D(double v) { return v; }
inline Value S(std::string v) { return v; }
// A text that outlives the insert it is written by.
inline Value T(std::string_view v) { return v; }

inline std::string Guid(int64_t n) {
  std::array<char, 40> b{};
  std::snprintf(b.data(), b.size(), "00000000-0000-4000-8000-%012llX", static_cast<unsigned long long>(n));
  return b.data();
}

inline std::string Code(const char* prefix, int64_t n, int width) {
  std::array<char, 32> b{};
  std::snprintf(b.data(), b.size(), "%s%0*lld", prefix, width, static_cast<long long>(n));
  return b.data();
}

inline std::string DateText(int64_t day_of_2026, int hour = 0, int minute = 0) {
  const int64_t base = host::DateTime::FromParts(2026, 1, 1)->Seconds();
  const auto d = host::DateTime::FromSeconds(base + day_of_2026 * 86400 + hour * 3600 + minute * 60);
  std::array<char, 32> b{};
  std::snprintf(b.data(), b.size(), "%04d-%02d-%02d %02d:%02d:%02d", d.Year(), d.Month(), d.Day(), d.Hour(), d.Minute(),
                d.Second());
  return b.data();
}

// Seconds per unit indicator (0 s, 1 min, 2 h, 3 days, 4 hundredths of a minute).
constexpr std::array<double, 5> kUnitSeconds{1, 60, 3600, 86400, 0.6};

// One phase as planned: what the cycle row (or order phase detail) holds.
struct Phase {
  int64_t id = 0;    // PD48_IDCICLO
  int64_t code = 0;  // phase code
  std::string department;
  std::string machine;
  int run_unit = 1;
  double run_time = 0;  // per NP pieces, in run_unit
  double pieces_per_unit = 1;
  int setup_unit = 1;
  double setup_time = 0;
  double setup_pieces = 0;
  int wait_unit = 2;
  double wait = 0;
  int queue_unit = 2;
  double queue = 0;
  std::string run_formula;
  std::string setup_formula;
  struct Worker {
    double count;
    double time;
    int unit;
    int operation;  // 1 processing, 0 set-up
  };
  std::vector<Worker> workers;
  // Planned seconds per piece of processing and per set-up (for booking times).
  [[nodiscard]] double RunSecondsPerPiece(double lot) const {
    const double np = pieces_per_unit > 0 ? pieces_per_unit : (lot > 0 ? lot : 1);
    double labour = 0;
    for (const auto& w : workers) {
      if (w.operation == 1) labour += w.count * w.time * kUnitSeconds[static_cast<size_t>(w.unit)];
    }
    return (run_time * kUnitSeconds[static_cast<size_t>(run_unit)] + labour) / np;
  }
  [[nodiscard]] double SetupSeconds() const { return setup_time * kUnitSeconds[static_cast<size_t>(setup_unit)]; }
};

struct Article {
  std::string code;
  std::vector<std::string> options;  // empty: no variants
  int type = 0;
  std::string cycle;                // default cycle code, "" when none
  std::vector<Phase> cycle_phases;  // the default cycle (version 0)
  std::map<std::string, int64_t> bom_by_option;
  std::map<int64_t, std::vector<Phase>> bom_phases;
  std::map<int64_t, double> bom_lot;
  std::string project;  // for type 3
};

struct OrderLine {
  std::string numreg;
  int64_t line = 0;
  std::string section;
  int64_t number = 0;
  int64_t day = 0;
  const Article* article = nullptr;
  std::string option;
  double quantity = 0;
  std::vector<Phase> phases;  // order phase details (with their PD2A ids), or the cycle's phases
};

struct Company {
  int64_t code;
  std::vector<std::string> departments{"R01", "R02", "R03", "R04", "R05"};
  std::vector<std::string> machines;
  std::vector<std::string> machine_department;
  std::vector<std::string> employees;
  std::vector<std::string> projects;
  std::vector<std::string> job_orders;
  std::vector<Article> articles;
  std::vector<OrderLine> lines;
};

}  // namespace demo::generation
