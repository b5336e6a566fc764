// How result columns get their types, and how read values are converted.
#include <gtest/gtest.h>

#include "host/db/result_reader.h"
#include "host/db/schema_catalog.h"
#include "host/value/error.h"

namespace host::db {
namespace {

TEST(DeclaredTypes, EachSpellingOfAServerTypeBecomesItsField) {
  const auto field = [](std::string_view declared) { return FieldFromDeclaredType("X", declared); };
  const FieldDef d = field("DECIMAL(17,6)");
  EXPECT_EQ(d.type, FieldType::Decimal);
  EXPECT_EQ(d.precision, 17);
  EXPECT_EQ(d.scale, 6);
  EXPECT_EQ(field("decimal( 17 , 6 )").scale, 6);
  EXPECT_EQ(field("NUMERIC(5)").scale, 0);
  EXPECT_EQ(field("MONEY").scale, 4);
  EXPECT_EQ(field("char (10)").size, 10);
  EXPECT_EQ(field("NVARCHAR(80)").size, 80);
  EXPECT_EQ(field("UNIQUEIDENTIFIER").size, 36);
  const std::pair<const char*, FieldType> types[] = {
      {"char (10)", FieldType::Char}, {"VARCHAR(50) COLLATE NOCASE", FieldType::Text},
      {"SMALLINT", FieldType::SmallInt}, {"TINYINT", FieldType::SmallInt}, {"INTEGER", FieldType::Integer},
      {"BIGINT", FieldType::BigInt}, {"DATETIME", FieldType::Date}, {"GEOGRAPHY", FieldType::Variant},
      {"", FieldType::Variant} /* SQLite lets a column have no type */, {"BLOBBY", FieldType::Variant}};
  for (const auto& [declared, type] : types) EXPECT_EQ(field(declared).type, type) << declared;
  EXPECT_EQ(field("DATETIME").AdoTypeCode(), kAdDBTimeStamp);
  EXPECT_EQ(field("CHAR(1)").AdoTypeCode(), kAdChar);
}

TEST(ResolveField, BackEndThenSchemaThenHintThenValue) {
  SchemaCatalog catalog;
  catalog.AddDeclared("DO11_DATADOC", "DATETIME");
  std::unordered_map<std::string, FieldDef> hints{{"OREVERS", DecimalField("OREVERS", 15, 2)}};
  ColumnInfo known{DecimalField("X", 5, 1), true};
  EXPECT_EQ(ResolveField(known, &catalog, &hints, Variant()).scale, 1);
  // MAX(DO11_DATADOC) AS DO11_DATADOC: the schema column of that name.
  ColumnInfo date{FieldDef{"do11_datadoc", FieldType::Variant}, false};
  const FieldDef resolved = ResolveField(date, &catalog, &hints, Variant("2026-01-01 00:00:00"));
  EXPECT_EQ(resolved.type, FieldType::Date);
  EXPECT_EQ(resolved.name, "do11_datadoc");  // the result's own spelling
  EXPECT_TRUE(resolved.lenient_size);
  ColumnInfo sum{FieldDef{"OREVERS", FieldType::Variant}, false};
  EXPECT_EQ(ResolveField(sum, &catalog, &hints, Variant(1.5)).scale, 2);
  ColumnInfo text{FieldDef{"DESCRDIP", FieldType::Variant}, false};
  EXPECT_EQ(ResolveField(text, &catalog, &hints, Variant("Rossi")).type, FieldType::Text);
  ColumnInfo number{FieldDef{"IDGRUPPO", FieldType::Variant}, false};
  EXPECT_EQ(ResolveField(number, &catalog, &hints, Variant(int64_t{7})).type, FieldType::Variant);
  ColumnInfo declared_text{FieldDef{"CAT", FieldType::Char, 10}, false, true};
  EXPECT_EQ(ResolveField(declared_text, &catalog, &hints, Variant("1")).type, FieldType::Char);
}

TEST(ConvertForField, TextsBecomeDatesAndDecimals) {
  EXPECT_EQ(ConvertForField(Variant("2026-03-07 08:05:09"), FieldDef{"D", FieldType::Date}),
            Variant(*DateTime::FromParts(2026, 3, 7, 8, 5, 9)));
  EXPECT_EQ(ConvertForField(Variant("12.500"), DecimalField("Q", 17, 6)).ToDecimal().ToString(), "12.5");
  EXPECT_TRUE(ConvertForField(Variant::Null(), FieldDef{"D", FieldType::Date}).IsNull());
  try {
    (void)ConvertForField(Variant("yesterday"), FieldDef{"DO11_DATADOC", FieldType::Date});
    FAIL();
  } catch (const Error& e) {
    EXPECT_EQ(std::string(e.what()), "The value 'yesterday' of column DO11_DATADOC is not a date");
  }
  EXPECT_THROW((void)ConvertForField(Variant("1,5"), DecimalField("Q", 5, 1)), Error);
}

}  // namespace
}  // namespace host::db
