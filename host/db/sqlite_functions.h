// Functions that SQLite lacks and the module's SQL needs, registered on every
// SQLite connection of the process (ours and the SQLite ODBC driver's, which
// uses the same library):
//   QV_DECIMAL(x, p, s)   CAST(x AS DECIMAL(p,s)): exact, half away from zero,
//                         arithmetic overflow when the integer part exceeds p-s
//   QV_DIV(a, b)          decimal division (never integer division)
//   QV_LEFT(x, n)         the first n characters
//   COLLATE QV_CI         texts without ASCII case and trailing blanks, as the
//                         server's collation compares codes
// and the ERP's own functions, which its SQL Server defines in T-SQL:
//   FNFA_VALVARIANTEPRI(kind, company, article, option, table)   scalar
//   FNCI03_CAUSALI(code, company)                                 table
//   FNPC03_ANAGPDC_COAN(chart, account, company, date)            table
//   FNPD_CATVALCONFIG(company, reference, article, option, date, start, length)  table
// Table functions are eponymous virtual tables over queries of the ERP tables.
#pragma once

#include <string>
#include <utility>
#include <vector>

struct sqlite3;

namespace host::db {

// The result columns of the table functions, with their declared types, in
// the form "NAME TYPE, NAME TYPE, ...".
std::vector<std::pair<std::string, std::string>> TableFunctionColumns();

// Registers every function on one connection; answers an SQLite result code.
int RegisterSqliteFunctions(sqlite3* db);

// Registers them for every SQLite connection opened from now on in this
// process (idempotent).
void RegisterSqliteFunctionsEverywhere();

}  // namespace host::db
