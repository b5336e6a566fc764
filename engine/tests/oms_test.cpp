#include "engine/oms.h"

#include <gtest/gtest.h>

#include "engine/category_texts.h"
#include "engine/value_helpers.h"

namespace engine {
namespace {

using host::Decimal;
using host::Variant;

Variant Dec(const char* text) { return *Decimal::Parse(text); }
const Variant kSentinel = "unchanged";

// Every value preset, as the caller does before ConvertiOMS.
ValoriCategoria Preset() {
  ValoriCategoria v;
  v.OREPREV = v.MINPREV = v.SECPREV = v.GAP = v.GAPPERC = v.OMSPREV = v.OMSVERS = kSentinel;
  v.OREVERS = v.MINVERS = v.SECVERS = int16_t{0};
  return v;
}

// ConvertiOMS of `planned` in `unit` into `v`, which has nothing to say.
void Convert(const Variant& planned, int16_t unit, ValoriCategoria& v) {
  EXPECT_TRUE(ConvertiOMS(planned, unit, v).diagnostics().empty());
}

TEST(OmsText, SignsAndDigits) {
  const std::tuple<int64_t, bool, const char*> texts[] = {
      {307, false, "0:05:07"},  {12 * 3600 + 59, false, "12:00:59"}, {-3725, false, "- 1:02:05"},
      {3 * 3600, true, "+ 3:00:00"}, {0, true, "0:00:00"}, {125 * 3600, false, "125:00:00"}, {-59, false, "- 0:00:59"}};
  for (const auto& [seconds, signed_, text] : texts) EXPECT_EQ(OmsText(seconds, signed_), text) << seconds;
  // Past the 32-bit range of seconds, still exact.
  EXPECT_EQ(OmsText(int64_t{INT32_MAX} + 1, false), "596523:14:08");
  EXPECT_EQ(OmsText(-int64_t{99999} * 3600 - 99999 * 60 - 99999, true), "- 101693:25:39");
  // The widest texts: every 64-bit value but the smallest has one.
  EXPECT_EQ(OmsText(INT64_MAX, true), "+ 2562047788015215:30:07");
  EXPECT_EQ(OmsText(-INT64_MAX, false), "- 2562047788015215:30:07");
  EXPECT_THROW(OmsText(INT64_MIN, false), host::Error);
}

TEST(ConvertiOMS, PlannedZeroLeavesEverything) {
  for (int16_t unit = 0; unit <= 3; ++unit) {
    ValoriCategoria v = Preset();
    v.OREVERS = Dec("2");
    v.SECVERS = int32_t{30};
    Convert(int32_t{0}, unit, v);
    Convert(Variant::Null(), unit, v);
    EXPECT_EQ(v.OREPREV, kSentinel);
    EXPECT_EQ(v.GAP, kSentinel);
    EXPECT_EQ(v.OMSVERS, kSentinel);
    EXPECT_EQ(v.OREVERS, Dec("2"));
  }
}

TEST(ConvertiOMS, UnitZeroOneHourAgainst3725Seconds) {
  ValoriCategoria v = Preset();
  v.OREVERS = int32_t{1};
  Convert(int32_t{3725}, kOreMinutiSecondi, v);
  EXPECT_EQ(v.OREPREV.ToText(), "1");
  EXPECT_EQ(v.MINPREV.ToText(), "2");
  EXPECT_EQ(v.SECPREV.ToText(), "5");
  EXPECT_EQ(v.OMSPREV, Variant("1:02:05"));
  EXPECT_EQ(v.OMSVERS, Variant("1:00:00"));
  EXPECT_EQ(v.GAP, Variant("- 0:02:05"));
  EXPECT_DOUBLE_EQ(v.GAPPERC.ToDouble(), -3.36);  // (3600 / 3725 - 1) × 100 = -3.3557
}

TEST(ConvertiOMS, UnitZeroRoundsPlannedToWholeSeconds) {
  ValoriCategoria v = Preset();
  Convert(59.5, kOreMinutiSecondi, v);
  EXPECT_EQ(v.OREPREV, kSentinel);  // under an hour: not written
  EXPECT_EQ(v.MINPREV.ToText(), "1");
  EXPECT_EQ(v.SECPREV.ToText(), "0");
  EXPECT_EQ(v.OMSPREV, Variant("0:01:00"));
  EXPECT_EQ(v.OMSVERS, kSentinel);  // nothing booked
  EXPECT_EQ(v.GAP, Variant("- 0:01:00"));
  EXPECT_DOUBLE_EQ(v.GAPPERC.ToDouble(), -100);

  ValoriCategoria w = Preset();
  Convert(int32_t{30}, kOreMinutiSecondi, w);
  EXPECT_EQ(w.OREPREV, kSentinel);
  EXPECT_EQ(w.MINPREV, kSentinel);
  EXPECT_EQ(w.SECPREV.ToText(), "30");
}

TEST(ConvertiOMS, UnitOneHoursWithTwoDecimals) {
  ValoriCategoria v = Preset();
  v.OREVERS = Dec("2.00");
  v.MINVERS = v.SECVERS = kSentinel;
  Convert(int32_t{5400}, kOreDecimali, v);
  EXPECT_DOUBLE_EQ(v.OREPREV.ToDouble(), 1.5);
  EXPECT_EQ(v.MINVERS, Variant(int16_t{0}));
  EXPECT_EQ(v.SECVERS, Variant(int16_t{0}));
  EXPECT_EQ(v.GAP.ToText(), "0.5");
  EXPECT_DOUBLE_EQ(v.GAPPERC.ToDouble(), 33.33);
  EXPECT_EQ(v.OMSPREV, kSentinel);

  ValoriCategoria w = Preset();
  w.OREVERS = Dec("1");
  Convert(int32_t{10}, kOreDecimali, w);
  EXPECT_DOUBLE_EQ(w.OREPREV.ToDouble(), 0);  // 10 s is 0.00 h
  EXPECT_EQ(w.GAPPERC, kSentinel);
  EXPECT_EQ(w.GAP.ToText(), "1");
}

TEST(ConvertiOMS, UnitsTwoAndThree) {
  ValoriCategoria m = Preset();
  m.MINVERS = Dec("45");
  Convert(int32_t{3000}, kMinutiDecimali, m);  // 50 minutes planned
  EXPECT_DOUBLE_EQ(m.MINPREV.ToDouble(), 50);
  EXPECT_EQ(m.GAP.ToText(), "-5");
  EXPECT_DOUBLE_EQ(m.GAPPERC.ToDouble(), -10);
  EXPECT_EQ(m.OREVERS, Variant(int16_t{0}));

  ValoriCategoria s = Preset();
  s.SECVERS = Dec("100");
  Convert(Dec("33.333"), kSecondiDecimali, s);
  EXPECT_DOUBLE_EQ(s.SECPREV.ToDouble(), 33.33);
  EXPECT_EQ(s.GAP.ToText(), "66.67");
  EXPECT_DOUBLE_EQ(s.GAPPERC.ToDouble(), 200.03);  // (100 / 33.33 - 1) × 100 = 200.030003
}

TEST(ConvertiOMS, FailureIsSaidUnderItsNameAndLeavesTheRest) {
  host::Status said;  // what the conversions had to say
  ValoriCategoria v = Preset();
  said.Add(ConvertiOMS("abc", kOreMinutiSecondi, v));
  EXPECT_TRUE(said.failed());
  ASSERT_EQ(said.diagnostics().size(), 1U);
  EXPECT_EQ(said.diagnostics()[0].procedure, "ConvertiOMS");
  EXPECT_EQ(v.OREPREV, kSentinel);

  ValoriCategoria big = Preset();
  said.Add(ConvertiOMS(Dec("1e19"), kOreMinutiSecondi, big));  // beyond 64-bit seconds
  EXPECT_EQ(said.diagnostics().size(), 2U);
  EXPECT_EQ(big.OREPREV, kSentinel);
  // 3e10 s passes the 32-bit range and is still exact: 8,333,333 h 20 min.
  ValoriCategoria large = Preset();
  large.OREVERS = large.MINVERS = large.SECVERS = int16_t{0};
  said.Add(ConvertiOMS(3e10, kOreMinutiSecondi, large));
  EXPECT_EQ(said.diagnostics().size(), 2U);
  EXPECT_EQ(large.OMSPREV.ToText(), "8333333:20:00");
  EXPECT_EQ(large.GAP.ToText(), "- 8333333:20:00");
}

TEST(FormattaOMS, TextsOfSeconds) {
  const std::pair<Variant, const char*> texts[] = {{int32_t{3725}, "1:02:05"}, {int32_t{-65}, "- 0:01:05"},
                                                   {int32_t{0}, ""}, {Variant::Null(), ""}, {"x", ""},
                                                   {Dec("450000"), "125:00:00"}};
  for (const auto& [seconds, text] : texts) EXPECT_EQ(FormattaOMS(seconds), text) << seconds.JoinedText();
}

// A gap percent on a negative tie reads the same in the record (GAPPERC, which
// the grids, CSV, JSON and workbook show) and in the texts of the table, the
// print and the summary: halves go up, so -0.625 is -0.62 and -16.665 is -16.66.
TEST(GapPercent, NegativeTiesRoundUpInTheRecordAndInTheText) {
  // Planned 1.60 h, booked 1.59 h: (1.59 / 1.60 - 1) × 100 = -0.625.
  ValoriCategoria h = Preset();
  h.OREVERS = *host::Decimal::Parse("1.59");
  Convert(int32_t{5760}, kOreDecimali, h);
  EXPECT_EQ(h.GAPPERC.ToText(), "-0.62");
  EXPECT_EQ(GapPercentText(int32_t{5760}, int32_t{5724}), "-0.62");
  // Booked 16,667 s against 20,000 s planned: -16.665.
  ValoriCategoria s = Preset();
  s.OREVERS = int32_t{4};
  s.MINVERS = int32_t{37};
  s.SECVERS = int32_t{47};
  Convert(int32_t{20000}, kOreMinutiSecondi, s);
  EXPECT_EQ(s.GAPPERC.ToText(), "-16.66");
  EXPECT_EQ(GapPercentText(int32_t{20000}, int32_t{16667}), "-16.66");
  // A positive tie goes up too, away from zero.
  EXPECT_EQ(GapPercentText(int32_t{1600}, int32_t{1610}), "0.63");
}

TEST(GapText, HalfSecondsOfANegativeGapRoundUpAsTheRecordsDo) {
  // Booked 10 s against 12.5 s planned: -2.5 s → -2 s, as WholeSecondsOf.
  EXPECT_EQ(GapText(*host::Decimal::Parse("12.5"), int32_t{10}, kOreMinutiSecondi), "- 0:00:02");
  EXPECT_EQ(WholeSecondsOf(*host::Decimal::Parse("-2.5")), -2);
  EXPECT_EQ(GapText(int32_t{10}, *host::Decimal::Parse("12.5"), kOreMinutiSecondi), "+ 0:00:03");
}

}  // namespace
}  // namespace engine
