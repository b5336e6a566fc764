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
//   SELECT ... FROM T ... ORDER BY k  ... ORDER BY k, T.rowid (stored_order.h): equal
//                                     keys in stored order, a sort on threads too
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
  // The text is one SELECT whose ORDER BY ends with its first table's row
  // id: no two rows tie, so SQLite may sort it on helper threads and still
  // give the order a sort on one thread gives.
  bool total_order = false;
};

class SqliteDialect {
 public:
  // `is_text_column` tells whether a bare column name holds text, so that `+`
  // between two text columns becomes a concatenation; `has_row_id` whether a
  // table has row ids to settle an ORDER BY's ties (without it none is added).
  explicit SqliteDialect(std::function<bool(std::string_view)> is_text_column = {},
                         std::function<bool(std::string_view)> has_row_id = {})
      : is_text_column_(std::move(is_text_column)), has_row_id_(std::move(has_row_id)) {}

  [[nodiscard]] Translation Translate(std::string_view tsql) const;

 private:
  std::function<bool(std::string_view)> is_text_column_;
  std::function<bool(std::string_view)> has_row_id_;
};

}  // namespace host::sql
