// Values at their edges: the largest decimal, 0 and -0, Null against Empty,
// texts that are almost numbers or dates, and dates at the ends of a day,
// a month and a leap year.
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

#include "host/value/decimal.h"
#include "host/value/error.h"
#include "host/value/variant.h"

namespace host {
namespace {

TEST(DecimalEdges, TheLargestCoefficientAndOneMore) {
  // 2^96 - 1 is the largest coefficient, at every scale.
  const auto largest = Decimal::Parse("79228162514264337593543950335");
  ASSERT_TRUE(largest.has_value());
  EXPECT_EQ(largest->ToString(), "79228162514264337593543950335");
  EXPECT_EQ(Decimal::Parse("-7.9228162514264337593543950335")->ToString(), "-7.9228162514264337593543950335");
  EXPECT_FALSE(Decimal::Parse("79228162514264337593543950336").has_value());
  EXPECT_THROW((void)(*largest + Decimal::FromInt(1)), Error);
  EXPECT_THROW((void)(*largest * Decimal::FromInt(2)), Error);
  EXPECT_EQ((*largest - *largest).ToString(), "0");
}

TEST(DecimalEdges, ZeroSignsAndTextsThatAreAlmostNumbers) {
  EXPECT_EQ(Decimal::Parse("-0")->ToString(), "0");
  EXPECT_EQ(Decimal::Parse("-0.000")->Sign(), 0);
  EXPECT_EQ(Decimal::Parse("+12.50")->ToString(), "12.5");
  EXPECT_EQ(Decimal::Parse(".5")->ToString(), "0.5");
  for (const char* not_a_number : {"", " ", "-", "+", ".", "1.2.3", "1,5", "12a", "0x10", "--1", "1e", "e5", "١٢"}) {
    EXPECT_FALSE(Decimal::Parse(not_a_number).has_value()) << not_a_number;
  }
  EXPECT_EQ(Decimal::Parse("1e3")->Normalized().ToString(), "1000");
  EXPECT_EQ(Decimal::Parse("-2.5E-2")->ToString(), "-0.025");
}

TEST(DecimalEdges, DivisionKeepsTwentyEightDigitsAndRefusesZero) {
  const Decimal third = Decimal::FromInt(1) / Decimal::FromInt(3);
  EXPECT_EQ(third.ToString(), "0.3333333333333333333333333333");
  EXPECT_EQ((Decimal::FromInt(-7) / Decimal::FromInt(2)).ToString(), "-3.5");
  try {
    (void)(Decimal::FromInt(1) / Decimal::FromInt(0));
    FAIL();
  } catch (const Error& e) {
    EXPECT_EQ(e.Number(), kErrDivisionByZero);
  }
}

TEST(VariantEdges, NullEmptyBlankAndZeroAreFourDifferentThings) {
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
}

TEST(VariantEdges, IntegerNarrowingAtEachLimit) {
  EXPECT_EQ(Variant(int64_t{32767}).ToInt16(), 32767);
  EXPECT_THROW((void)Variant(int64_t{32768}).ToInt16(), Error);
  EXPECT_EQ(Variant(int64_t{INT32_MIN}).ToInt32(), INT32_MIN);
  EXPECT_THROW((void)Variant(int64_t{INT32_MAX} + 1).ToInt32(), Error);
  EXPECT_EQ(Variant(std::numeric_limits<int64_t>::max()).ToInt64(), std::numeric_limits<int64_t>::max());
  // Halves go to the even neighbour, as the runtime's integer conversion does.
  EXPECT_EQ(Variant(2.5).ToInt32(), 2);
  EXPECT_EQ(Variant(3.5).ToInt32(), 4);
  EXPECT_EQ(Variant(-2.5).ToInt32(), -2);
  EXPECT_EQ(Variant("7").ToInt32(), 7);
  EXPECT_THROW((void)Variant("7 pezzi").ToInt32(), Error);
  EXPECT_THROW((void)Variant(std::numeric_limits<double>::infinity()).ToInt64(), Error);
}

TEST(DateEdges, DaysMonthsAndLeapYears) {
  EXPECT_TRUE(DateTime::Parse("2024-02-29").has_value());
  EXPECT_FALSE(DateTime::Parse("2026-02-29").has_value());
  EXPECT_FALSE(DateTime::Parse("2026-04-31").has_value());
  EXPECT_FALSE(DateTime::Parse("2026-13-01").has_value());
  EXPECT_FALSE(DateTime::Parse("2026-01-01 24:00:00").has_value());
  EXPECT_FALSE(DateTime::Parse("2026-01-01 23:60:00").has_value());
  EXPECT_TRUE(DateTime::Parse("2000-02-29").has_value());   // divisible by 400
  EXPECT_FALSE(DateTime::Parse("1900-02-29").has_value());  // by 100 only
  EXPECT_EQ(DateTime::Parse("31/12/2026 23:59:59")->ToIsoText(), "2026-12-31 23:59:59");
  EXPECT_EQ(DateTime::Parse("01/03/2026")->ToIsoText(), "2026-03-01");  // day first
  const DateTime last = *DateTime::Parse("2026-12-31 23:59:59");
  EXPECT_EQ(DateTime::FromSeconds(last.Seconds() + 1).ToIsoText(), "2027-01-01");
  EXPECT_FALSE(DateTime::Parse("").has_value());
  EXPECT_FALSE(DateTime::Parse("domani").has_value());
}

}  // namespace
}  // namespace host
