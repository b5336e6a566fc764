#include "host/db/schema_catalog.h"

#include <cstdlib>

#include "host/recordset/table.h"

namespace host::db {
namespace {

// The numbers inside "TYPE(a,b)"; zeros when absent.
void Arguments(std::string_view type, int* a, int* b) {
  *a = 0;
  *b = 0;
  const size_t open = type.find('(');
  if (open == std::string_view::npos) return;
  *a = std::atoi(std::string(type.substr(open + 1)).c_str());
  const size_t comma = type.find(',', open);
  if (comma != std::string_view::npos) *b = std::atoi(std::string(type.substr(comma + 1)).c_str());
}

bool StartsWith(std::string_view text, std::string_view prefix) { return text.substr(0, prefix.size()) == prefix; }

}  // namespace

FieldDef FieldFromDeclaredType(std::string name, std::string_view declared_type) {
  const std::string type = UpperAscii(declared_type);
  int a = 0;
  int b = 0;
  Arguments(type, &a, &b);
  FieldDef field{std::move(name), FieldType::Variant};
  if (StartsWith(type, "DECIMAL") || StartsWith(type, "NUMERIC") || StartsWith(type, "MONEY")) {
    field.type = FieldType::Decimal;
    field.precision = static_cast<uint8_t>(a == 0 ? 18 : a);
    field.scale = static_cast<uint8_t>(StartsWith(type, "MONEY") ? 4 : b);
  } else if (StartsWith(type, "NCHAR") || StartsWith(type, "CHAR")) {
    field.type = FieldType::Char;
    field.size = a == 0 ? 1 : a;
  } else if (StartsWith(type, "NVARCHAR") || StartsWith(type, "VARCHAR") || StartsWith(type, "TEXT") ||
             StartsWith(type, "NTEXT") || StartsWith(type, "CLOB")) {
    field.type = FieldType::Text;
    field.size = a;
  } else if (StartsWith(type, "UNIQUEIDENTIFIER")) {
    field.type = FieldType::Text;
    field.size = 36;
  } else if (StartsWith(type, "BIGINT")) {
    field.type = FieldType::BigInt;
  } else if (StartsWith(type, "SMALLINT") || StartsWith(type, "TINYINT")) {
    field.type = FieldType::SmallInt;
  } else if (StartsWith(type, "INT")) {
    field.type = FieldType::Integer;
  } else if (StartsWith(type, "BIT") || StartsWith(type, "BOOL")) {
    field.type = FieldType::Boolean;
  } else if (StartsWith(type, "FLOAT") || StartsWith(type, "REAL") || StartsWith(type, "DOUBLE")) {
    field.type = FieldType::Double;
  } else if (StartsWith(type, "DATE") || StartsWith(type, "SMALLDATETIME") || StartsWith(type, "TIMESTAMP")) {
    field.type = FieldType::Date;
  }
  return field;
}

void SchemaCatalog::LoadFromSqlite(const std::function<Rows(const std::string&)>& query) {
  const Rows objects = query(
      "SELECT name, type = 'table' AND upper(IFNULL(sql, '')) NOT LIKE '%WITHOUT ROWID%' FROM sqlite_master "
      "WHERE type IN ('table','view') ORDER BY type, name");
  for (const auto& object : objects) {
    if (object.empty()) continue;
    tables_.insert(UpperAscii(object[0]));
    if (object.size() > 1 && object[1] == "1") row_id_tables_.insert(UpperAscii(object[0]));
    // table_info columns: cid, name, type, notnull, default, pk
    for (const auto& column : query("PRAGMA table_info(\"" + ReplaceAll(object[0], "\"", "\"\"") + "\")")) {
      if (column.size() < 3) continue;
      const std::string key = UpperAscii(column[1]);
      if (columns_.count(key) != 0 || column[2].empty()) continue;
      columns_.emplace(key, FieldFromDeclaredType(column[1], column[2]));
    }
  }
}

void SchemaCatalog::AddDeclared(const std::string& column, std::string_view declared_type) {
  columns_.emplace(UpperAscii(column), FieldFromDeclaredType(column, declared_type));
}

std::optional<FieldDef> SchemaCatalog::Lookup(std::string_view column) const {
  auto it = columns_.find(UpperAscii(column));
  if (it == columns_.end()) return std::nullopt;
  return it->second;
}

bool SchemaCatalog::IsTextColumn(std::string_view column) const {
  auto field = Lookup(column);
  return field && (field->type == FieldType::Text || field->type == FieldType::Char);
}

}  // namespace host::db
