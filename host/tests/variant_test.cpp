#include "host/value/variant.h"

#include <gtest/gtest.h>

#include "host/value/error.h"

namespace host {
namespace {

TEST(Variant, NumericTestsFollowTheRuntime) {
  EXPECT_TRUE(Variant("12.5").IsNumeric());
  EXPECT_TRUE(Variant(" 3 ").IsNumeric());
  EXPECT_FALSE(Variant("x").IsNumeric());
  EXPECT_FALSE(Variant::Null().IsNumeric());
  EXPECT_TRUE(Variant().IsNumeric());
  EXPECT_FALSE(Variant(*DateTime::FromParts(2026, 1, 5)).IsNumeric());
}

TEST(Variant, TextJoiningTreatsNullAsEmpty) {
  EXPECT_EQ(Variant::Null().JoinedText(), "");
  EXPECT_EQ(JoinTexts(Variant::Null(), "").Type(), VarType::Text);
  EXPECT_EQ(JoinTexts(Variant::Null(), "").Text(), "");
  EXPECT_TRUE(JoinTexts(Variant::Null(), Variant::Null()).IsNull());
  EXPECT_EQ(JoinTexts(int32_t{12}, "a").Text(), "12a");
  EXPECT_THROW((void)Variant::Null().ToText(), Error);
}

TEST(Variant, TrimsBlanksOnly) {
  EXPECT_EQ(RTrim("ab  "), "ab");
  EXPECT_EQ(Trim("  ab c  "), "ab c");
  EXPECT_EQ(Trim("   "), "");
  EXPECT_EQ(RTrim("a\t"), "a\t");
  EXPECT_EQ(ReplaceAll("PD44_OPZIONE, PD44_OPZIONE", "PD44_OPZIONE", "X"), "X, X");
}

TEST(Variant, SixteenBitNarrowingFailsOutOfRange) {
  EXPECT_EQ(Variant(int32_t{32767}).ToInt16(), 32767);
  EXPECT_EQ(Variant(int32_t{-32768}).ToInt16(), -32768);
  try {
    (void)Variant(int32_t{32768}).ToInt16();
    FAIL();
  } catch (const Error& e) {
    EXPECT_EQ(e.Number(), kErrOverflow);
  }
  EXPECT_EQ(Variant("2.5").ToInt32(), 2);  // half to even
  EXPECT_EQ(Variant("3.5").ToInt32(), 4);
  EXPECT_EQ(Variant(-2.5).ToInt32(), -2);
  EXPECT_THROW((void)Variant("abc").ToInt32(), Error);
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

TEST(Variant, DatesParseAndPrint) {
  const auto d = DateTime::Parse("2026-03-07 08:05:09");
  ASSERT_TRUE(d);
  EXPECT_EQ(d->ToIsoText(), "2026-03-07 08:05:09");
  EXPECT_EQ(DateTime::Parse("7/3/2026")->ToIsoText(), "2026-03-07");
  EXPECT_EQ(DateTime::Parse("20260307")->ToItalianText(), "07/03/2026");
  EXPECT_EQ(DateTime::Parse("1899-12-30T00:00:00")->Year(), 1899);
  EXPECT_FALSE(DateTime::Parse("2026-02-30").has_value());
  EXPECT_FALSE(DateTime::Parse("hello").has_value());
  EXPECT_EQ(Variant("2026-03-07").ToDate(), *DateTime::FromParts(2026, 3, 7));
}

}  // namespace
}  // namespace host
