// Rows of equal sort keys in the order the database stores them.
//
// SQLite sorts a large result faster on a helper thread, but then which
// thread wrote which sorted run depends on timing, and rows whose ORDER BY
// keys are equal may come in another order from one run to the next. The
// module takes the first booking of a group for some figures and lists the
// bookings in their order, so the order must be total: the row id of the
// table the query reads first, as a last sort key, settles every tie the
// way a sort on one thread settles it when that table is read in stored
// order. The server's T-SQL is not touched; this is for SQLite's text only.
#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace host::sql {

// Appends ", <first table or its alias>.rowid" to the ORDER BY of `sql` (SQLite
// text) and answers true, when `sql` is one plain SELECT whose ORDER BY sorts
// its rows: no GROUP BY, DISTINCT, aggregate or compound select at the top
// level, and the first table after FROM an unqualified name that `has_row_id`
// accepts (a table with row ids, not a view, a table function or a temporary
// table). Anything else is left as it is and answers false; so is text the
// lexer cannot read (the statement's own error comes from SQLite).
bool AppendStoredOrderTieBreak(std::string* sql, const std::function<bool(std::string_view)>& has_row_id);

}  // namespace host::sql
