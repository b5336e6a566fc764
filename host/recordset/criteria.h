// Filter and search criteria of record sets, in the data access layer's
// syntax: `FIELD op value` joined by AND, groups joined by OR, where op is
// =, <>, <, >, <=, >= or LIKE and value is a number, a quoted text ('' for a
// quote inside), a #date#, or NULL. Examples: "IDGRUPPO = 12",
// "NOME = 'OREVERS'", "A = 3 AND B = 'x' AND C = NULL".
//
// "= NULL" keeps the rows that a group filter means by it: Null, Empty,
// blank text, and numbers not greater than 0. "IS NULL" and "IS NOT NULL"
// tell Null (or Empty) cells alone. Text comparisons ignore case
// and trailing blanks. A text that is not valid criteria is an error
// (kErrBadFilter) naming what was not understood.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "host/recordset/table.h"

namespace host {

struct Criterion {
  enum class Op : uint8_t { Eq, Ne, Lt, Gt, Le, Ge, Like, IsNull, IsNotNull };
  size_t column = 0;
  Op op = Op::Eq;
  bool null_literal = false;
  Variant literal;
  // The literal's equality key in the column's domain, set by Prepare.
  std::optional<CellKey> key;
};

struct Criteria {
  std::vector<std::vector<Criterion>> any_of;  // OR of AND groups
};

// Parses against a table's fields (unknown field: kErrItemNotFound) and
// prepares the equality keys of the literals.
Criteria ParseCriteria(std::string_view text, const Table& table);

// Rows of the table, in row order, that satisfy the criteria. Equality
// criteria are answered from the column indexes, so the cost follows the
// rows kept, not the table's size.
std::vector<uint32_t> SelectRows(const Criteria& criteria, Table& table);

// The rows, in order, that an equality criterion keeps, from the index.
std::vector<uint32_t> IndexedRows(const Criterion& equality, Table& table);

// Whether one row satisfies one criterion.
bool RowMatches(const Criterion& criterion, Table& table, size_t row);

}  // namespace host
