// Decimals as the runtime keeps them: 28 digits after the point at most, the
// largest coefficient 2^96 - 1, exact arithmetic, ties to even at the last
// digit kept, and the texts that are almost numbers refused.
#include "host/value/decimal.h"

#include <gtest/gtest.h>

#include <random>

#include "host/value/error.h"

namespace host {
namespace {

Decimal D(const char* text) { return *Decimal::Parse(text); }

TEST(Decimal, ParsesAndPrintsPlainText) {
  const std::pair<const char*, const char*> printed[] = {
      {"12.50", "12.5"},     {" -0.25 ", "-0.25"}, {"+12.50", "12.5"}, {"1e3", "1000"},
      {"-2.5E-2", "-0.025"}, {".5", "0.5"},        {"0", "0"},         {"-0", "0"}};
  for (const auto& [text, expected] : printed) EXPECT_EQ(D(text).ToString(), expected) << text;
  EXPECT_EQ(D("1e3").Normalized().ToString(), "1000");
  EXPECT_EQ(D("-0.000").Sign(), 0);
  EXPECT_EQ(D("1.5").ToFixed(3), "1.500");
  EXPECT_EQ(D("-0.004").ToFixed(2), "0.00");  // no negative zero
  for (const char* not_a_number :
       {"", " ", "   ", "-", "+", ".", "1.2.3", "1,5", "12a", "0x10", "--1", "1e", "e5", "١٢"}) {
    EXPECT_FALSE(Decimal::Parse(not_a_number).has_value()) << not_a_number;
  }
}

TEST(Decimal, TheLargestCoefficientAndOneMore) {
  // 2^96 - 1 is the largest coefficient, at every scale.
  const Decimal largest = D("79228162514264337593543950335");
  EXPECT_EQ(largest.ToString(), "79228162514264337593543950335");
  EXPECT_EQ(D("-7.9228162514264337593543950335").ToString(), "-7.9228162514264337593543950335");
  EXPECT_FALSE(Decimal::Parse("79228162514264337593543950336").has_value());
  EXPECT_THROW((void)(largest + Decimal::FromInt(1)), Error);
  EXPECT_THROW((void)(largest * D("10")), Error);
  EXPECT_EQ((largest - largest).ToString(), "0");
}

TEST(Decimal, DoublesKeepFifteenSignificantDigits) {
  EXPECT_EQ(Decimal::FromDouble(1.005).ToString(), "1.005");
  EXPECT_EQ(Decimal::FromDouble(0.1 + 0.2).ToString(), "0.3");
  EXPECT_EQ(Decimal::FromDouble(123456789.125).ToString(), "123456789.125");
  EXPECT_DOUBLE_EQ(D("1.01").ToDouble(), 1.01);
  // Hundredths, the usual fractions, read as their digits whatever their size.
  EXPECT_EQ(Decimal::FromDouble(-3.36).ToString(), "-3.36");
  EXPECT_EQ(Decimal::FromDouble(9999999999999.99).ToString(), "9999999999999.99");
  EXPECT_EQ(Decimal::FromDouble(99999999999999.99).ToString(), "100000000000000");  // 17 digits: 15 kept
  std::mt19937_64 random(7);
  std::uniform_int_distribution<int64_t> any(-999'999'999'999'999, 999'999'999'999'999);
  for (int i = 0; i < 5000; ++i) {
    const int64_t c = any(random) / (i % 2 == 0 ? 1 : 10'000'000);
    const std::string digits = std::to_string(c < 0 ? -c : c);
    const std::string padded = std::string(digits.size() < 3 ? 3 - digits.size() : 0, '0') + digits;
    const std::string text = (c < 0 ? "-" : "") + padded.substr(0, padded.size() - 2) + "." + padded.substr(padded.size() - 2);
    ASSERT_EQ(Decimal::FromDouble(static_cast<double>(c) / 100).ToString(), D(text.c_str()).ToString()) << text;
  }
}

TEST(Decimal, ArithmeticIsExactAndDivisionKeepsTwentyEightDigits) {
  EXPECT_EQ((D("0.1") + D("0.2")).ToString(), "0.3");
  EXPECT_EQ((D("1.005") * D("100")).ToString(), "100.5");
  EXPECT_EQ((D("3725") / D("3600")).ToString(), "1.0347222222222222222222222222");
  EXPECT_EQ((D("5400") / D("3600")).ToString(), "1.5");
  EXPECT_EQ((Decimal::FromInt(1) / Decimal::FromInt(3)).ToString(), "0.3333333333333333333333333333");
  EXPECT_EQ((D("2") / D("3")).ToString(), "0.6666666666666666666666666667");
  EXPECT_EQ((Decimal::FromInt(-7) / Decimal::FromInt(2)).ToString(), "-3.5");
  EXPECT_EQ((D("10") - D("10.50")).ToString(), "-0.5");
  // A product past 28 decimals rounds half to even at the last digit kept.
  EXPECT_EQ((D("0.0000000000000001") * D("0.00000000000000015")).ToString(), "0");
  try {
    (void)(Decimal::FromInt(1) / Decimal::FromInt(0));
    FAIL();
  } catch (const Error& e) {
    EXPECT_EQ(e.Number(), kErrDivisionByZero);
  }
}

TEST(Decimal, ATieAtTheLastDigitRoundsToEven) {
  // Products one digit past 28 decimals, ending exactly in 5: the digit kept
  // goes to the even neighbour, down from an even one and up from an odd one;
  // just off the tie, the nearer neighbour.
  const std::pair<const char*, const char*> products[] = {
      {"0.0000000000000000000000000002", "0"},                                 // 0.5e-28
      {"0.0000000000000000000000000006", "0.0000000000000000000000000002"},    // 1.5e-28
      {"0.000000000000000000000000001", "0.0000000000000000000000000002"},     // 2.5e-28
      {"-0.000000000000000000000000001", "-0.0000000000000000000000000002"},   // -2.5e-28
      {"0.0000000000000000000000000011", "0.0000000000000000000000000003"}};  // 2.75e-28
  for (const auto& [factor, expected] : products) EXPECT_EQ((D(factor) * D("0.25")).ToString(), expected) << factor;
}

TEST(Decimal, RoundsHalfAwayFromZeroAndFloors) {
  EXPECT_EQ(D("2.345").Round(2).ToString(), "2.35");
  EXPECT_EQ(D("-2.345").Round(2).ToString(), "-2.35");
  EXPECT_EQ(D("2.344").Round(2).ToString(), "2.34");
  EXPECT_EQ(D("2.5").Floor().ToString(), "2");
  EXPECT_EQ(D("-2.5").Floor().ToString(), "-3");
  EXPECT_EQ(D("-2").Floor().ToString(), "-2");
  EXPECT_EQ(D("-2.7").Trunc().ToString(), "-2");
}

TEST(Decimal, ComparesAcrossScales) {
  EXPECT_EQ(D("12"), D("12.000"));
  EXPECT_LT(D("-1.5"), D("-1.25"));
  EXPECT_GT(D("0.0000000000000000000000000001"), D("0"));
  EXPECT_LT(D("79228162514264337593543950334"), D("79228162514264337593543950335"));
  // At one scale: negative, zero and positive values, and the extremes.
  EXPECT_LT(D("-0.01"), D("0.00"));
  EXPECT_LT(D("-7.92"), D("-7.91"));
  EXPECT_GT(D("7922816251426433759354395033.5"), D("-7922816251426433759354395033.5"));
  EXPECT_EQ(D("1.50").CoefficientAtScale(3), Int128{1500});
  EXPECT_FALSE(D("1.555").CoefficientAtScale(2).has_value());
}

}  // namespace
}  // namespace host
