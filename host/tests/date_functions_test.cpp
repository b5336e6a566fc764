// YEAR, MONTH, DATEPART(ISO_WEEK, ...) and RIGHT on SQLite: the text they
// become, and what SQLite computes with it at the edges of years and weeks.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <string>

#include "host/db/date_functions.h"
#include "host/db/sqlite_dialect.h"
#include "host/value/error.h"

namespace host::sql {
namespace {

std::string T(std::string_view tsql) { return SqliteDialect().Translate(tsql).sql; }

// The single value of a one-row select, as text ("NULL" for Null).
std::string Scalar(const std::string& sql) {
  sqlite3* db = nullptr;
  sqlite3_open(":memory:", &db);
  sqlite3_stmt* stmt = nullptr;
  std::string out = "error";
  if (sqlite3_prepare_v2(db, sql.c_str(), -1, &stmt, nullptr) == SQLITE_OK && sqlite3_step(stmt) == SQLITE_ROW) {
    const auto* text = sqlite3_column_text(stmt, 0);
    out = text == nullptr ? "NULL" : reinterpret_cast<const char*>(text);
  } else {
    out += std::string(": ") + sqlite3_errmsg(db);
  }
  sqlite3_finalize(stmt);
  sqlite3_close(db);
  return out;
}

TEST(DateFunctions, BecomeSqliteTexts) {
  EXPECT_EQ(RewriteDateFunctions("SELECT YEAR(D), MONTH (T.D) FROM T"),
            "SELECT CAST(strftime('%Y', D) AS INTEGER), CAST(strftime('%m', T.D) AS INTEGER) FROM T");
  EXPECT_EQ(RewriteDateFunctions("DATEPART(ISO_WEEK, D)"),
            "((CAST(strftime('%j', date( D, '-3 days', 'weekday 4')) AS INTEGER) + 6) / 7)");
  EXPECT_EQ(RewriteDateFunctions("RIGHT('0' + X, 2)"), "substr('0' + X, -( 2))");
  // Calls inside calls, and names that are no calls or sit in strings.
  EXPECT_EQ(RewriteDateFunctions("RIGHT(YEAR(D), 2)"), "substr(CAST(strftime('%Y', D) AS INTEGER), -( 2))");
  EXPECT_EQ(RewriteDateFunctions("SELECT YEAR, 'MONTH(x)' AS RIGHT FROM T -- YEAR(D)"),
            "SELECT YEAR, 'MONTH(x)' AS RIGHT FROM T -- YEAR(D)");
  EXPECT_THROW(T("SELECT DATEPART(DAY, D)"), host::Error);
  EXPECT_THROW(T("SELECT YEAR(A, B)"), host::Error);
}

// Through the whole dialect, as the booking queries' texts go.
std::string Week(const std::string& date) { return Scalar(T("SELECT DATEPART(ISO_WEEK, '" + date + "')")); }

TEST(DateFunctions, TheIsoWeekAtTheEdgesOfTheYear) {
  const std::pair<const char*, const char*> weeks[] = {
      // 2026 begins on a Thursday: it has a week 53, which takes in 1-3 Jan 2027.
      {"2026-01-01 00:00:00", "1"}, {"2026-12-31 23:59:59", "53"}, {"2027-01-01 00:00:00", "53"},
      {"2027-01-03 23:59:59", "53"}, {"2027-01-04 00:00:00", "1"},
      // 30 Dec 2024, a Monday, is in week 1 of 2025; the Sunday before in week 52.
      {"2024-12-29 23:59:59", "52"}, {"2024-12-30 00:00:00", "1"},
      // Monday 23 Feb to Sunday 1 Mar 2026 is week 9 (SQLite's %W says 8 for the Monday).
      {"2026-02-23 00:00:00", "9"}, {"2026-03-01 23:59:59", "9"}, {"2026-03-02 00:00:00", "10"}};
  for (const auto& [date, week] : weeks) EXPECT_EQ(Week(date), week) << date;
  EXPECT_EQ(Scalar(T("SELECT DATEPART(ISO_WEEK, NULL)")), "NULL");
}

TEST(DateFunctions, YearMonthAndRightAtTheEdges) {
  const std::pair<const char*, const char*> values[] = {
      {"YEAR('2025-12-31 23:59:59')", "2025"}, {"MONTH('2025-12-31 23:59:59')", "12"},
      {"YEAR('2026-01-01 00:00:00')", "2026"}, {"MONTH('2026-01-01 00:00:00')", "1"},
      {"RIGHT('0' + CAST(MONTH('2026-03-31') AS VARCHAR(2)), 2)", "03"},
      {"RIGHT('0' + CAST(MONTH('2026-11-30') AS VARCHAR(2)), 2)", "11"}};
  for (const auto& [call, value] : values) EXPECT_EQ(Scalar(T(std::string("SELECT ") + call)), value) << call;
}

}  // namespace
}  // namespace host::sql
