// Rewrites the module's T-SQL into SQLite SQL, construct by construct, on
// tokens:
//   WITH(NOLOCK)                      dropped
//   ISNULL(a,b)                       IFNULL(a,b)
//   LEFT(a,n)                         QV_LEFT(a,n)
//   CAST(x AS DECIMAL(p,s))           QV_DECIMAL(x,p,s): exact, half away from zero
//   a / b                             QV_DIV(a,b): decimal division, never integer
//   a + 'text', 'text' + b            a || 'text' (also next to a text column)
//   SELECT TOP n ...                  SELECT ... LIMIT n
//   OUTER APPLY dbo.F(args) AS X      LEFT JOIN F(args) AS X ON 1 (table-valued function)
//   CROSS APPLY dbo.F(args) AS X      JOIN F(args) AS X ON 1
//   OUTER APPLY dbo.FNCI03_CAUSALI(a, b) [AS X]  (and FNPC03_ANAGPDC_COAN: keyed look-ups)
//                                     LEFT JOIN CI03_CAUSALI AS X ON X.CI03_CODICE = a AND ...
//   dbo.name                          name
//   N'text'                           'text'
//   [name]                            "name"
//   #T                                temp."#T"; CREATE TABLE #T: CREATE TEMP TABLE "#T"
//   IF OBJECT_ID('tempdb..#T') IS NOT NULL DROP TABLE #T
//                                     DROP TABLE IF EXISTS temp."#T";
//   c DECIMAL(5,0) NOT NULL IDENTITY (1,1)
//                                     c INTEGER PRIMARY KEY AUTOINCREMENT
//   COLLATE DATABASE_DEFAULT          dropped
//   GROUP BY / ORDER BY terms, MIN(x) and MAX(x)
//                                     x COLLATE QV_CI (codes without case, as the server)
// Anything else that is T-SQL only (variables, CONVERT, DATEADD, other table
// hints, IF ...) is refused with host::Error (kErrDatabase) naming it.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>

#include "host/recordset/field_def.h"

namespace host::sql {

struct Translation {
  std::string sql;
  // Types that SQLite cannot report for computed columns, by upper-case alias:
  // a select item made of CAST(... AS DECIMAL(p,s)) terms is a decimal.
  std::unordered_map<std::string, FieldDef> column_hints;
};

class SqliteDialect {
 public:
  // `is_text_column` tells whether a bare column name holds text, so that `+`
  // between two text columns becomes a concatenation.
  explicit SqliteDialect(std::function<bool(std::string_view)> is_text_column = {})
      : is_text_column_(std::move(is_text_column)) {}

  [[nodiscard]] Translation Translate(std::string_view tsql) const;

 private:
  std::function<bool(std::string_view)> is_text_column_;
};

}  // namespace host::sql
