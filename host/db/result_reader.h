// Builds a record set from the rows a back end reads, with each column's
// type settled first: what the back end says, else the schema column of the
// same name, else the dialect's hint, else the first row's value.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "host/db/schema_catalog.h"
#include "host/db/sqlite_dialect.h"
#include "host/recordset/recordset.h"

namespace host::db {

// A column as the back end describes it; `known` is false when the back end
// could not tell its type; `text` says that it does hold text (an unknown
// column that is text whatever its first value).
struct ColumnInfo {
  FieldDef field;
  bool known = false;
  bool text = false;
};

// The field to use for a column: what the back end says, else the schema
// column of the same name, else the dialect's hint, else text when the back
// end says text, else the first value's kind. Texts longer than the size
// are kept (lenient_size).
FieldDef ResolveField(const ColumnInfo& column, const SchemaCatalog* catalog,
                      const std::unordered_map<std::string, FieldDef>* hints, const Variant& first_value);

// Converts a value as read (integer, double or text) to the field's type:
// dates from their text, decimals exactly from text and with 15 digits from
// doubles. Throws host::Error on a value that does not fit.
Variant ConvertForField(const Variant& raw, const FieldDef& field);

}  // namespace host::db
