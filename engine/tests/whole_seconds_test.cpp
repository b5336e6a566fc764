#include "engine/whole_seconds.h"

#include <gtest/gtest.h>

#include <array>
#include <limits>
#include <random>

#include "engine/group_totals.h"
#include "engine/oms.h"
#include "engine/value_helpers.h"

namespace engine {
namespace {

using host::Decimal;
using host::Variant;

// What the decimal arithmetic gives for the gap percent of a decimal booked
// time over whole planned seconds.
double VariantGapPercent(int64_t booked, int64_t planned) {
  const Variant quotient = host::Divide(Decimal::FromInt(booked), planned);
  return Arrotonda(host::Multiply(host::Subtract(quotient, int16_t{1}), int16_t{100}), 2).value;
}

TEST(WholeSeconds, WholeNumbersOnly) {
  EXPECT_EQ(WholeNumberOf(int16_t{-7}), -7);
  EXPECT_EQ(WholeNumberOf(*Decimal::Parse("12.00")), 12);
  EXPECT_EQ(WholeNumberOf(*Decimal::Parse("1000000000000000")), 1'000'000'000'000'000);
  for (const Variant& v : {Variant(*Decimal::Parse("12.5")), Variant(*Decimal::Parse("1000000000000001")),
                           Variant(12.0), Variant(true), Variant("12"), Variant(), Variant::Null()}) {
    EXPECT_FALSE(WholeNumberOf(v)) << v.JoinedText();
  }
  EXPECT_EQ(WholeSecondsOfParts(int16_t{1}, *Decimal::Parse("2.0"), int64_t{3}), 3723);
  EXPECT_FALSE(WholeSecondsOfParts(int16_t{1}, int16_t{2}, 3.0));
}

TEST(WholeSeconds, GapPercentRoundsTheExactFractionHalvesUp) {
  // {booked, planned, percent}: by hand, then the decimal arithmetic agrees.
  const std::tuple<int64_t, int64_t, double> cases[] = {
      {110, 100, 10.0},     {1, 3, -66.67},        {2, 3, -33.33},      {20001, 20000, 0.01},  // +0.005: up
      {19999, 20000, 0.0},  // -0.005: up, to 0
      {-5, 10, -150.0},     {5, -10, -150.0},      {0, 7, -100.0},      {3600, 3725, -3.36},
      {10001, 10000, 0.01}, {3'661'000'000'000'000'000, 3, 122033333333333333233.33}};
  for (const auto& [booked, planned, percent] : cases) {
    EXPECT_DOUBLE_EQ(WholeGapPercent(booked, planned), percent) << booked << " / " << planned;
    EXPECT_EQ(WholeGapPercent(booked, planned), VariantGapPercent(booked, planned)) << booked << " / " << planned;
  }
  // And wherever the numbers fall, small and large, of either sign.
  std::mt19937_64 random(20261208);
  for (int i = 0; i < 20000; ++i) {
    const int64_t range = i % 3 == 0 ? 1000 : i % 3 == 1 ? 10'000'000 : 3'000'000'000'000'000'000;
    std::uniform_int_distribution<int64_t> any(-range, range);
    const int64_t booked = any(random);
    int64_t planned = any(random) / (i % 2 == 0 ? 1 : 1000);
    if (planned == 0) planned = 1;
    ASSERT_EQ(WholeGapPercent(booked, planned), VariantGapPercent(booked, planned)) << booked << " / " << planned;
  }
}

TEST(WholeSeconds, ConversionOfWholeDecimalsAsTheGeneralOne) {
  // Booked 1:06:00 as decimals (as the sums give it) against 3,600 planned.
  ValoriCategoria v = ResetCategory(*Decimal::Parse("1"), *Decimal::Parse("6.00"), Decimal::FromInt(0));
  EXPECT_TRUE(ConvertiOMS(int32_t{3600}, kOreMinutiSecondi, v).diagnostics().empty());
  EXPECT_EQ(v.OMSPREV, Variant("1:00:00"));
  EXPECT_EQ(v.OMSVERS, Variant("1:06:00"));
  EXPECT_EQ(v.GAP, Variant("+ 0:06:00"));
  EXPECT_EQ(v.GAPPERC, Variant(10.0));
  // Nothing booked: no booked text, the whole plan short.
  ValoriCategoria none = ResetCategory(Decimal::FromInt(0), Decimal::FromInt(0), Decimal::FromInt(0));
  EXPECT_TRUE(ConvertiOMS(int32_t{59}, kOreMinutiSecondi, none).diagnostics().empty());
  EXPECT_EQ(none.OMSVERS, Variant(""));
  EXPECT_EQ(none.GAP, Variant("- 0:00:59"));
  EXPECT_EQ(none.GAPPERC, Variant(-100.0));
}

TEST(WholeSeconds, DecimalSecondsAsTheDecimalArithmetic) {
  EXPECT_EQ(PlannedSeconds(int16_t{1}, int32_t{2}, *Decimal::Parse("3"), kOreMinutiSecondi),
            Variant(Decimal::FromInt(3723)));
  // Each part at its scale, the sum at the largest: 1.50 h is 5400.00 s.
  std::mt19937_64 random(8);
  std::uniform_int_distribution<int64_t> coefficient(-999'999'999'999'999'999, 999'999'999'999'999'999);
  std::uniform_int_distribution<int> scale(0, 6);
  for (int i = 0; i < 5000; ++i) {
    std::array<Variant, 3> parts;
    for (auto& p : parts) {
      const int64_t c = coefficient(random) >> (i % 40);
      p = i % 7 == 0 ? Variant(c) : Variant(Decimal::FromParts(c, scale(random)));
    }
    const Decimal general = parts[0].ToDecimal() * Decimal::FromInt(3600) +
                            parts[1].ToDecimal() * Decimal::FromInt(60) + parts[2].ToDecimal();
    const std::optional<Decimal> sum = DecimalSecondsOfParts(parts[0], parts[1], parts[2]);
    ASSERT_TRUE(sum);
    ASSERT_EQ(sum->Coefficient(), general.Coefficient()) << general.ToString();
    ASSERT_EQ(sum->Scale(), general.Scale()) << general.ToString();
  }
  EXPECT_EQ(DecimalSecondsOfParts(*Decimal::Parse("1.50"), int16_t{0}, int16_t{0})->ToFixed(2), "5400.00");
  // The largest integer hours beside six places of seconds: 29 digits, still exact.
  EXPECT_EQ(DecimalSecondsOfParts(std::numeric_limits<int64_t>::max(), int16_t{0}, *Decimal::Parse("0.000001"))
                ->ToFixed(6),
            "33204139332677192905200.000001");
  EXPECT_FALSE(DecimalSecondsOfParts(*Decimal::Parse("0.0000001"), int16_t{0}, int16_t{0}));
  EXPECT_FALSE(DecimalSecondsOfParts(int16_t{1}, 2.0, int16_t{0}));
  EXPECT_FALSE(DecimalSecondsOfParts(int16_t{1}, int16_t{0}, Variant()));
}

}  // namespace
}  // namespace engine
