// The same table read through the embedded SQLite back end and through the
// SQLite ODBC driver: each column gets the same field type and every edge
// value (Null, empty, blank, 0, negative, the largest, non-ASCII) reads the
// same, so that a module never sees which back end it runs on.
#include <gtest/gtest.h>

#include <string>

#include "host/db/connection.h"
#include "host/tests/scratch_folder.h"

namespace host::db {
namespace {

class BackEndTypes : public ::testing::Test {
 protected:
  void SetUp() override {
    testing::RunSqlOnFile(path_, R"(
CREATE TABLE PD44_VERSORE (PD44_PRGMVORE_PD31 DECIMAL(12,0));
CREATE TABLE T (ID INTEGER, C CHAR(4), V VARCHAR(10), D DECIMAL(17,6), S SMALLINT, B BIGINT, F FLOAT,
  DT DATETIME);
INSERT INTO T VALUES (1, 'ab', 'Città', 0, 0, 0, 0, '2026-01-01 00:00:00');
INSERT INTO T VALUES (2, NULL, NULL, NULL, NULL, NULL, NULL, NULL);
INSERT INTO T VALUES (3, '', '', -12.5, -32768, 9223372036854775807, -1.5, '2026-12-31 23:59:59');
INSERT INTO T VALUES (4, '    ', '日本語', 99999999999.999, 32767, -9223372036854775808, 1e300, '1900-01-01 00:00:00');
)");
  }

  RecordSetPtr Read(const std::string& connection_string) {
    auto connection = OpenConnection(connection_string);
    auto rs = connection->Execute("SELECT ID, C, V, D, S, B, F, DT FROM T WITH (NOLOCK) ORDER BY ID");
    connection->Close();
    return rs;
  }

  testing::ScratchFolder folder_{"types"};
  std::string path_ = folder_.File("types.db");
};

TEST_F(BackEndTypes, BothBackEndsGiveTheSameFieldsAndValues) {
  const auto native = Read(path_);
  const auto odbc = Read("Driver=SQLite3;Database=" + path_);
  ASSERT_EQ(native->FieldCount(), 8U);
  ASSERT_EQ(odbc->FieldCount(), 8U);
  const FieldType expected[] = {FieldType::Integer, FieldType::Char,   FieldType::Text,   FieldType::Decimal,
                                FieldType::SmallInt, FieldType::BigInt, FieldType::Double, FieldType::Date};
  for (size_t f = 0; f < 8; ++f) {
    EXPECT_EQ(native->Field(f).type, expected[f]) << native->Field(f).name;
    EXPECT_EQ(odbc->Field(f).type, expected[f]) << odbc->Field(f).name;
  }
  EXPECT_EQ(native->Field(3).scale, 6);
  EXPECT_EQ(odbc->Field(3).scale, 6);
  ASSERT_EQ(native->RecordCount(), 4U);
  ASSERT_EQ(odbc->RecordCount(), 4U);
  for (size_t row = 0; row < 4; ++row) {
    for (size_t f = 0; f < 8; ++f) {
      EXPECT_EQ(native->ValueAt(row, f), odbc->ValueAt(row, f)) << "row " << row << " " << native->Field(f).name;
    }
  }
  // The values themselves, read once.
  EXPECT_EQ(native->ValueAt(0, 2).Text(), "Città");
  EXPECT_EQ(native->ValueAt(3, 2).Text(), "日本語");
  EXPECT_TRUE(native->ValueAt(1, 3).IsNull());
  EXPECT_TRUE(native->ValueAt(1, 7).IsNull());
  EXPECT_EQ(native->ValueAt(2, 3).ToDecimal(), *Decimal::Parse("-12.5"));
  EXPECT_EQ(native->ValueAt(3, 3).ToDecimal(), *Decimal::Parse("99999999999.999"));
  EXPECT_EQ(native->ValueAt(2, 4).ToInt32(), -32768);
  EXPECT_EQ(native->ValueAt(2, 5).ToInt64(), INT64_MAX);
  EXPECT_EQ(native->ValueAt(3, 5).ToInt64(), INT64_MIN);
  EXPECT_EQ(native->ValueAt(2, 7).Date().ToIsoText(), "2026-12-31 23:59:59");
  EXPECT_EQ(native->ValueAt(3, 7).Date().ToIsoText(), "1900-01-01");  // midnight reads as the date
}

}  // namespace
}  // namespace host::db
