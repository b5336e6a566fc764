// Column types by column name, read from the database's own description of
// its tables and views. Result columns that a back end cannot type (SQLite
// expressions such as MAX(DO11_DATADOC) AS DO11_DATADOC, or the SQLite ODBC
// driver's decimals) take the type of the schema column of the same name;
// the ERP's column names are unique across tables by their prefixes.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <set>

#include "host/recordset/table.h"
#include <unordered_map>
#include <vector>

#include "host/recordset/field_def.h"

namespace host::db {

// A declared SQL type ("DECIMAL(14,2)", "VARCHAR(50)", "DATETIME", ...) as a
// field of the given name; unknown types give a Variant field.
FieldDef FieldFromDeclaredType(std::string name, std::string_view declared_type);

class SchemaCatalog {
 public:
  using Rows = std::vector<std::vector<std::string>>;
  // Reads an SQLite database's tables and views through `query`, which runs
  // SQL and answers its rows as texts.
  void LoadFromSqlite(const std::function<Rows(const std::string&)>& query);
  // Adds a column declared elsewhere (the table functions' results).
  void AddDeclared(const std::string& column, std::string_view declared_type);
  // The first schema column of that name (any case).
  [[nodiscard]] std::optional<FieldDef> Lookup(std::string_view column) const;
  [[nodiscard]] bool IsTextColumn(std::string_view column) const;
  // Whether the loaded database has a table or view of that name (any case).
  [[nodiscard]] bool HasTable(std::string_view name) const { return tables_.count(UpperAscii(name)) != 0; }
  // Whether it is a table with row ids (not a view, not WITHOUT ROWID).
  [[nodiscard]] bool HasRowId(std::string_view name) const { return row_id_tables_.count(UpperAscii(name)) != 0; }
  [[nodiscard]] size_t Size() const { return columns_.size(); }

 private:
  std::unordered_map<std::string, FieldDef> columns_;  // upper-case name
  std::set<std::string> tables_;                        // upper-case names
  std::set<std::string> row_id_tables_;                 // upper-case names
};

}  // namespace host::db
