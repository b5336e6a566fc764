// A record's values as the JSON report writes them, by the short way for
// plain texts and whole numbers and by the library: the same text, valid
// JSON, for every kind of text a database may hold.
#include <gtest/gtest.h>

#include "output/json_values.h"

namespace output {
namespace {

using host::Variant;

std::string Written(const Variant& v) {
  std::string out;
  AppendJson(out, v);
  return out;
}

TEST(JsonValues, TextsAreEscapedWhicheverWayTheyAreWritten) {
  EXPECT_EQ(Written("R01"), "\"R01\"");
  EXPECT_EQ(Written("R01   "), "\"R01\"");
  EXPECT_EQ(Written("A\\B"), "\"A\\\\B\"");  // a backslash alone
  EXPECT_EQ(Written("A\"B"), "\"A\\\"B\"");  // a quote alone
  for (const char* text : {"R01", "A\\B", "A\"B", "A/B", "Città"}) {
    EXPECT_EQ(Written(text), Json(text).dump()) << text;
  }
}

TEST(JsonValues, NumbersNullsAndDates) {
  EXPECT_EQ(Written(int32_t{-42}), "-42");
  EXPECT_EQ(Written(*host::Decimal::Parse("3600.00")), "3600");
  EXPECT_EQ(Written(*host::Decimal::Parse("-16.66")), "-16.66");
  EXPECT_EQ(Written(Variant::Null()), "null");
  EXPECT_EQ(Written(Variant()), "null");
  EXPECT_EQ(Written(*host::DateTime::FromParts(2026, 3, 9, 7, 30, 0)), "\"2026-03-09 07:30:00\"");
}

}  // namespace
}  // namespace output
