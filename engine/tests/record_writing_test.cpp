// Writing the comparison records: the planned split, the total category of a
// booking, the split categories of a group. Numbers worked out by hand.
#include <gtest/gtest.h>

#include <limits>

#include "engine/group_totals.h"
#include "engine/layouts.h"
#include "host/tests/fake_form.h"

namespace engine {
namespace {

using host::Decimal;
using host::Variant;

std::string T(const Variant& v) {
  if (v.IsNull()) return "<null>";
  if (v.IsNumber()) return v.ToDecimal().Normalized().ToString();
  return v.ToText();
}

Variant Dec(const char* text) { return *Decimal::Parse(text); }

// Each field's value on the current record, as T shows it.
void ExpectFields(host::RecordSet& rs, std::initializer_list<std::pair<const char*, const char*>> expected) {
  for (const auto& [field, text] : expected) EXPECT_EQ(T(rs.Value(field)), text) << field;
}

TEST(SplitPlanned, EachUnitWithoutAForm) {
  host::Status said;  // what the splits had to say
  const auto split = [&said](const Variant& seconds, int16_t unit) {
    auto s = SplitPlanned(seconds, unit);
    said.Add(s.status);
    return s.value;
  };
  EXPECT_EQ(T(split(int32_t{5400}, kOreDecimali).hours), "1.5");
  EXPECT_EQ(T(split(int32_t{100}, kMinutiDecimali).minutes), "1.67");
  EXPECT_EQ(T(split(Dec("33.335"), kSecondiDecimali).seconds), "33.34");
  const auto hms = [&](const Variant& seconds) {
    const PlannedSplit s = split(seconds, kOreMinutiSecondi);
    return T(s.hours) + " " + T(s.minutes) + " " + T(s.seconds);
  };
  // 3725.4 s: whole h/m/s of 3725 under unit 0; halves up. The boundaries:
  // exactly an hour is 1 h 0 min, never 0 h 60 min.
  const std::pair<Variant, const char*> boundaries[] = {{Dec("3725.4"), "1 2 5"},  {Dec("59.5"), "0 1 0"},
                                                       {int32_t{3600}, "1 0 0"}, {Dec("3599.5"), "1 0 0"},
                                                       {int32_t{3599}, "0 59 59"}, {int32_t{3660}, "1 1 0"},
                                                       {int32_t{60}, "0 1 0"},     {int32_t{59}, "0 0 59"},
                                                       {int32_t{7200}, "2 0 0"}};
  for (const auto& [seconds, text] : boundaries) EXPECT_EQ(hms(seconds), text) << seconds.JoinedText();
  PlannedSplit none = split(int16_t{0}, kOreDecimali);
  EXPECT_EQ(T(none.hours) + T(none.minutes) + T(none.seconds), "000");
  EXPECT_TRUE(said.diagnostics().empty());
}

class TotalCategory : public ::testing::Test {
 protected:
  void SetUp() override {
    rs_ = NewRSTempiPrevDett();
    rs_->Open();
    rs_->AddNew();
  }
  // Works the total category out and stores it in the record, as a reader
  // of the per-booking records gets it (each value through its field).
  void Write(int16_t unit, const Variant& planned, const Variant& h, const Variant& m, const Variant& s) {
    ValoriCategoria total;
    for (Variant* v : InFieldOrder(total)) *v = Variant::Null();
    said_.Add(WriteTotalCategory(total, unit, planned, h, m, s));
    const auto values = InFieldOrder(total);
    for (size_t b = 3; b < values.size(); ++b) rs_->SetValue(PlannedRecords::kFirstField + b, *values[b]);
  }
  host::Status said_;
  host::RecordSetPtr rs_;
};

TEST_F(TotalCategory, SecondsUnitAgainstPlan) {
  Write(kSecondiDecimali, Dec("33.333"), Variant(), Variant(), Dec("100"));
  ExpectFields(*rs_, {{"SECVERS", "100"},
                      {"GAP", "66.67"},        // from the unrounded 33.33, not the stored 33
                      {"GAPPERC", "200.03"},   // (100 / 33.33 - 1) × 100
                      {"OREVERS", "<null>"}});  // only the unit's member
}

TEST_F(TotalCategory, MinutesAndHoursUnits) {
  Write(kMinutiDecimali, int32_t{3000}, Variant(), Dec("45"), Variant());
  ExpectFields(*rs_, {{"MINVERS", "45"}, {"GAP", "-5"}, {"GAPPERC", "-10"}});
  rs_->AddNew();
  Write(kOreDecimali, int32_t{10}, Dec("1"), Variant(), Variant());
  ExpectFields(*rs_, {{"GAP", "1"},             // 10 s is 0.00 h
                      {"GAPPERC", "<null>"}});  // no percent of nothing
}

TEST(ValorizzaOMSLavorazSetup, SplitCategoriesOfAGroup) {
  host::testing::FakeForm form;
  RunContext context{form};
  auto rs = NewRSTempiPrev();
  rs->Open();
  rs->AddNew();
  std::array<ValoriCategoria, 6> values;
  for (auto& v : values) v = ResetCategory(int16_t{0}, int16_t{0}, int16_t{0});
  // _LAV: planned 0:30:00, booked 0:25:00 (25 minutes, not carried over).
  values[0].MINPREV = int32_t{30};
  values[0].MINVERS = int32_t{25};
  // _SET: planned 1:00:00, nothing booked. _MACLAV: nothing planned, 10 s booked.
  values[1].OREPREV = int32_t{1};
  values[2].SECVERS = int32_t{10};
  ValorizzaOMSLavorazSetup(context, *rs, kOreMinutiSecondi, values);
  ExpectFields(*rs, {{"OMSPREV_LAV", "0:30:00"}, {"OMSVERS_LAV", "0:25:00"}, {"GAP_LAV", "- 0:05:00"},
                     {"GAPPERC_LAV", "-16.67"}, {"MINVERS_LAV", "25"}, {"OMSVERS_SET", ""}, {"GAPPERC_SET", "-100"},
                     {"SECVERS_MACLAV", "10"},   // booked stands
                     {"OMSPREV_MACLAV", ""},     // nothing planned: reset values
                     {"GAP_MACLAV", "<null>"},
                     {"OREPREV_LAV", "<null>"}});  // the planned fields are the caller's to write
  EXPECT_TRUE(context.Take().diagnostics().empty());
}

// Which bookings the run works out at once: times past 10^12 s, booked or
// planned; everything else is left for the readers.
TEST(PlannedRecords, NearTheLimitsAreTheHugeOnes) {
  auto bookings = std::make_shared<host::Table>();
  bookings->AddField(host::DecimalField("OREVERS", 14, 2));
  bookings->AddField(host::DecimalField("MINVERS", 18, 2));
  bookings->AddField(host::DecimalField("SECVERS", 18, 0));
  const size_t usual = bookings->AppendRow();
  bookings->Set(usual, 0, int32_t{2});
  bookings->Set(usual, 1, int32_t{5});
  const size_t huge = bookings->AppendRow();
  bookings->Set(huge, 0, Dec("300000000"));  // 3 × 10^8 h: over 10^12 s
  PlannedRecords records(kOreMinutiSecondi, bookings);
  PhaseTimes t;
  t.TLAV = t.TSET = t.TATT = t.TCODA = t.MLAV = t.MSET = int16_t{0};
  t.TLAV = Dec("5400.5");
  const uint32_t normal = records.KeepTimes(t);
  // A time that is no number (a formula that divided by zero) does not even
  // add up: the run keeps such a booking without times at once.
  for (const double odd : {std::numeric_limits<double>::infinity(), std::numeric_limits<double>::quiet_NaN()}) {
    t.MSET = odd;
    try {
      records.KeepTimes(t);
      ADD_FAILURE() << odd << " was kept";
    } catch (const host::Error& e) {
      EXPECT_EQ(e.Number(), host::kErrOverflow);
    }
  }
  t.MSET = 1e13;
  const uint32_t too_long = records.KeepTimes(t);
  EXPECT_FALSE(records.NearLimits(usual, 0));  // nothing planned
  EXPECT_FALSE(records.NearLimits(usual, normal));
  EXPECT_TRUE(records.NearLimits(usual, too_long));
  EXPECT_TRUE(records.NearLimits(huge, normal));
  EXPECT_FALSE(records.NearLimits(huge, PlannedRecords::kWithoutTimes));
}

TEST(PlannedSeconds, BackFromEachUnit) {
  ValoriCategoria v = ResetCategory(int16_t{0}, int16_t{0}, int16_t{0});
  v.OREPREV = int32_t{1};
  v.MINPREV = int32_t{75};
  v.SECPREV = int32_t{7};
  EXPECT_EQ(T(PlannedSeconds(v, kOreMinutiSecondi)), "8107");  // 3600 + 4500 + 7
  v.OREPREV = Dec("1.5");
  EXPECT_EQ(T(PlannedSeconds(v, kOreDecimali)), "5400");
  v.MINPREV = Dec("2.25");
  EXPECT_EQ(T(PlannedSeconds(v, kMinutiDecimali)), "135");
  EXPECT_EQ(T(PlannedSeconds(v, kSecondiDecimali)), "7");
}

}  // namespace
}  // namespace engine
