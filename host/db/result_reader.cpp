#include "host/db/result_reader.h"

#include <locale>
#include <sstream>

#include "host/recordset/table.h"
#include "host/value/error.h"

namespace host::db {

FieldDef ResolveType(const ColumnInfo& column, const SchemaCatalog* catalog,
                     const std::unordered_map<std::string, FieldDef>* hints, const Variant& first_value);

FieldDef ResolveField(const ColumnInfo& column, const SchemaCatalog* catalog,
                      const std::unordered_map<std::string, FieldDef>* hints, const Variant& first_value) {
  FieldDef field = ResolveType(column, catalog, hints, first_value);
  field.lenient_size = true;
  return field;
}

FieldDef ResolveType(const ColumnInfo& column, const SchemaCatalog* catalog,
                     const std::unordered_map<std::string, FieldDef>* hints, const Variant& first_value) {
  if (column.known) return column.field;
  FieldDef field = column.field;
  if (catalog != nullptr) {
    if (auto schema = catalog->Lookup(field.name)) {
      schema->name = field.name;
      return *schema;
    }
  }
  if (hints != nullptr) {
    auto it = hints->find(UpperAscii(field.name));
    if (it != hints->end()) {
      FieldDef hinted = it->second;
      hinted.name = field.name;
      return hinted;
    }
  }
  if (column.text) {
    // A fixed character column keeps its size (values come padded, as the
    // server pads them); other texts take any length.
    if (field.type != FieldType::Char || field.size <= 0) {
      field.type = FieldType::Text;
      field.size = 0;
    }
    return field;
  }
  switch (first_value.Type()) {
    case VarType::Text:
      field.type = FieldType::Text;
      field.size = 0;
      break;
    default:
      // A computed number (MAX(..), a product, a sum) takes any value: its
      // first row cannot tell the scale of the others.
      field.type = FieldType::Variant;
      break;
  }
  return field;
}

Variant ConvertForField(const Variant& raw, const FieldDef& field) {
  if (raw.IsNull()) return raw;
  switch (field.type) {
    case FieldType::Date: {
      if (raw.IsDate()) return raw;
      auto date = DateTime::Parse(raw.ToText());
      if (!date) {
        throw Error(kErrTypeMismatch, "The value '" + raw.ToText() + "' of column " + field.name + " is not a date",
                    "Database");
      }
      return *date;
    }
    case FieldType::Decimal:
      if (raw.IsText()) {
        auto d = Decimal::Parse(raw.Text());
        if (!d) {
          throw Error(kErrTypeMismatch, "The value '" + raw.Text() + "' of column " + field.name + " is not a number",
                      "Database");
        }
        return *d;
      }
      return raw;
    case FieldType::Boolean: return raw.ToBool();
    case FieldType::Double:
      if (raw.IsText()) {
        // A driver writes doubles as C does ("1e+300"): read them so.
        const std::string& text = raw.Text();
        std::istringstream in(text);
        in.imbue(std::locale::classic());
        double value = 0;
        if (!(in >> value) || !(in >> std::ws).eof()) {
          throw Error(kErrTypeMismatch, "The value '" + text + "' of column " + field.name + " is not a number",
                      "Database");
        }
        return value;
      }
      return raw;
    default: return raw;
  }
}

}  // namespace host::db
