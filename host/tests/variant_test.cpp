// Variants and dates as the runtime has them: Null, Empty, a blank and 0 are
// four different things, integers narrow at each limit with halves to the
// even neighbour, arithmetic promotes, and dates at the ends of a day, a
// month and a leap year.
#include "host/value/variant.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

#include "host/value/error.h"

namespace host {
namespace {

TEST(Variant, NullEmptyBlankAndZeroAreFourDifferentThings) {
  const Variant empty;
  const Variant null = Variant::Null();
  const Variant blank = "  ";
  const Variant zero = int16_t{0};
  EXPECT_TRUE(empty.IsEmpty());
  EXPECT_FALSE(empty.IsNull());
  EXPECT_TRUE(null.IsNull());
  EXPECT_EQ(empty.JoinedText(), "");
  EXPECT_EQ(null.JoinedText(), "");
  EXPECT_EQ(blank.JoinedText(), "  ");
  EXPECT_EQ(zero.JoinedText(), "0");
  EXPECT_TRUE(empty.IsNumeric());  // Empty reads as 0
  EXPECT_FALSE(null.IsNumeric());
  EXPECT_FALSE(blank.IsNumeric());
  EXPECT_EQ(empty.ToInt32(), 0);
  EXPECT_THROW((void)null.ToInt32(), Error);
  EXPECT_THROW((void)null.ToText(), Error);
  EXPECT_TRUE(Variant("12.5").IsNumeric());
  EXPECT_TRUE(Variant(" 3 ").IsNumeric());
  EXPECT_FALSE(Variant("x").IsNumeric());
  EXPECT_FALSE(Variant(*DateTime::FromParts(2026, 1, 5)).IsNumeric());
}

TEST(Variant, TextJoiningTreatsNullAsEmpty) {
  EXPECT_EQ(JoinTexts(Variant::Null(), "").Type(), VarType::Text);
  EXPECT_EQ(JoinTexts(Variant::Null(), "").Text(), "");
  EXPECT_TRUE(JoinTexts(Variant::Null(), Variant::Null()).IsNull());
  EXPECT_EQ(JoinTexts(int32_t{12}, "a").Text(), "12a");
}

TEST(Variant, TrimsBlanksOnly) {
  EXPECT_EQ(RTrim("ab  "), "ab");
  EXPECT_EQ(Trim("  ab c  "), "ab c");
  EXPECT_EQ(Trim("   "), "");
  EXPECT_EQ(RTrim("a\t"), "a\t");
  EXPECT_EQ(ReplaceAll("PD44_OPZIONE, PD44_OPZIONE", "PD44_OPZIONE", "X"), "X, X");
}

TEST(Variant, IntegerNarrowingAtEachLimit) {
  EXPECT_EQ(Variant(int32_t{32767}).ToInt16(), 32767);
  EXPECT_EQ(Variant(int32_t{-32768}).ToInt16(), -32768);
  EXPECT_EQ(Variant(int64_t{32767}).ToInt16(), 32767);
  try {
    (void)Variant(int32_t{32768}).ToInt16();
    FAIL();
  } catch (const Error& e) {
    EXPECT_EQ(e.Number(), kErrOverflow);
  }
  EXPECT_THROW((void)Variant(int64_t{32768}).ToInt16(), Error);
  EXPECT_EQ(Variant(int64_t{INT32_MIN}).ToInt32(), INT32_MIN);
  EXPECT_THROW((void)Variant(int64_t{INT32_MAX} + 1).ToInt32(), Error);
  EXPECT_EQ(Variant(std::numeric_limits<int64_t>::max()).ToInt64(), std::numeric_limits<int64_t>::max());
  // Halves go to the even neighbour, as the runtime's integer conversion
  // does, from a text as from a double.
  for (const auto& [value, whole] : std::initializer_list<std::pair<Variant, int32_t>>{
           {"2.5", 2}, {"3.5", 4}, {2.5, 2}, {3.5, 4}, {-2.5, -2}, {"7", 7}}) {
    EXPECT_EQ(value.ToInt32(), whole) << value.JoinedText();
  }
  EXPECT_THROW((void)Variant("abc").ToInt32(), Error);
  EXPECT_THROW((void)Variant("7 pezzi").ToInt32(), Error);
  EXPECT_THROW((void)Variant(std::numeric_limits<double>::infinity()).ToInt64(), Error);
}

TEST(Variant, ArithmeticPromotes) {
  const Variant dec = *Decimal::Parse("1.5");
  EXPECT_EQ(Subtract(dec, 0.25).Type(), VarType::Decimal);
  EXPECT_EQ(Subtract(dec, 0.25).ToText(), "1.25");
  EXPECT_EQ(Add(int32_t{2}, int16_t{3}), Variant(int32_t{5}));
  EXPECT_EQ(Add(int64_t{INT32_MAX}, int32_t{1}).Type(), VarType::Int64);
  EXPECT_EQ(Multiply(int64_t{INT64_MAX}, int32_t{2}).Type(), VarType::Decimal);
  EXPECT_EQ(Divide(int32_t{3}, int32_t{2}), Variant(1.5));
  EXPECT_TRUE(Add(Variant::Null(), int32_t{1}).IsNull());
  EXPECT_EQ(Add(Variant(), int32_t{1}), Variant(int32_t{1}));
  EXPECT_EQ(CompareNumbers("10", int32_t{9}), 1);
  EXPECT_THROW(Divide(1.0, 0.0), Error);
}

TEST(Dates, ParsedAndPrintedAtTheEndsOfDaysMonthsAndLeapYears) {
  EXPECT_EQ(DateTime::Parse("2026-03-07 08:05:09")->ToIsoText(), "2026-03-07 08:05:09");
  EXPECT_EQ(DateTime::Parse("7/3/2026")->ToIsoText(), "2026-03-07");
  EXPECT_EQ(DateTime::Parse("01/03/2026")->ToIsoText(), "2026-03-01");  // day first
  EXPECT_EQ(DateTime::Parse("31/12/2026 23:59:59")->ToIsoText(), "2026-12-31 23:59:59");
  EXPECT_EQ(DateTime::Parse("20260307")->ToItalianText(), "07/03/2026");
  EXPECT_EQ(DateTime::Parse("1899-12-30T00:00:00")->Year(), 1899);
  EXPECT_EQ(Variant("2026-03-07").ToDate(), *DateTime::FromParts(2026, 3, 7));
  EXPECT_TRUE(DateTime::Parse("2024-02-29").has_value());
  EXPECT_TRUE(DateTime::Parse("2000-02-29").has_value());  // divisible by 400
  for (const char* not_a_date : {"1900-02-29" /* by 100 only */, "2026-02-29", "2026-02-30", "2026-04-31",
                                 "2026-13-01", "2026-01-01 24:00:00", "2026-01-01 23:60:00", "", "hello", "domani"}) {
    EXPECT_FALSE(DateTime::Parse(not_a_date).has_value()) << not_a_date;
  }
  const DateTime last = *DateTime::Parse("2026-12-31 23:59:59");
  EXPECT_EQ(DateTime::FromSeconds(last.Seconds() + 1).ToIsoText(), "2027-01-01");
}

}  // namespace
}  // namespace host
