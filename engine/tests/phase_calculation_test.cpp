// The phase arithmetic, computed by hand.
#include "engine/phase_calculation.h"

#include <gtest/gtest.h>

namespace engine {
namespace {

using host::Decimal;
using host::Variant;

// A one-row table holding the given columns.
class Row {
 public:
  Row(std::initializer_list<std::pair<const char*, Variant>> values, Variant lot = int16_t{0}) {
    for (const auto& [name, value] : values) table_.AddField({name, host::FieldType::Variant});
    table_.AppendRow();
    size_t c = 0;
    for (const auto& [name, value] : values) table_.Set(0, c++, value);
    row_ = PhaseRow{&table_, 0, std::move(lot)};
  }
  const PhaseRow& operator*() const { return row_; }

 private:
  host::Table table_;
  PhaseRow row_;
};

const FormulaEvaluator kNoFormula = [](const std::string&, const std::string&, const std::array<Variant, 28>&) {
  return Variant(int16_t{0});
};

std::string S(const Variant& v) { return v.ToDecimal().Normalized().ToString(); }

PhaseTimes Compute(const Row& row, const Variant& q, std::vector<WorkerRow> workers = {}, PhaseOptions options = {},
                   const FormulaEvaluator& formula = kNoFormula, PhaseSourceKind kind = PhaseSourceKind::Order) {
  return ComputePhase(*row, kind, workers, q, options, BookingKeys{}, formula);
}

TEST(ComputePhase, RunTimePerPieceTimesQuantity) {
  // 2 minutes per 10 pieces, 25 pieces: 2 × 60 ÷ 10 × 25 = 300 s.
  const Row row({{"PD2A_TMACLAV", int32_t{2}}, {"PD2A_INDUMLAV", int32_t{1}}, {"PD2A_NUMPEZZIUM", int32_t{10}}});
  const PhaseTimes t = Compute(row, int32_t{25});
  EXPECT_EQ(S(t.TLAV), "300");
  EXPECT_EQ(S(t.NP), "10");
  EXPECT_EQ(S(t.Total()), "300");
}

TEST(ComputePhase, PiecesPerUnitFallBackOnTheLotThenOne) {
  const Row with_lot({{"PD2A_TMACLAV", int32_t{90}}, {"PD2A_INDUMLAV", int32_t{0}}, {"PD2A_NUMPEZZIUM", int32_t{0}}},
                     int32_t{10});
  EXPECT_EQ(S(Compute(with_lot, int32_t{20}).TLAV), "180");  // 90 ÷ 10 × 20
  const Row without({{"PD2A_TMACLAV", int32_t{90}}, {"PD2A_INDUMLAV", int32_t{0}}, {"PD2A_NUMPEZZIUM", int32_t{0}}});
  EXPECT_EQ(S(Compute(without, int32_t{20}).TLAV), "1800");  // divides by 1
}

TEST(ComputePhase, UnitFactors) {
  const char* factors[] = {"1", "60", "3600", "86400", "0.6"};
  for (int32_t unit = 0; unit < 5; ++unit) EXPECT_EQ(S(UnitFactor(unit)), factors[unit]) << unit;
  EXPECT_TRUE(UnitFactor(int32_t{5}).IsEmpty());
  // Hundredths of a minute: 100 of them are 60 s.
  const Row row({{"PD2A_TMACLAV", int32_t{100}}, {"PD2A_INDUMLAV", int32_t{4}}, {"PD2A_NUMPEZZIUM", int32_t{1}}});
  EXPECT_EQ(S(Compute(row, int32_t{1}).TLAV), "60");
  // An unknown indicator leaves the time as it stands.
  const Row odd({{"PD2A_TMACLAV", int32_t{7}}, {"PD2A_INDUMLAV", int32_t{9}}, {"PD2A_NUMPEZZIUM", int32_t{1}}});
  EXPECT_EQ(S(Compute(odd, int32_t{3}).TLAV), "21");
}

TEST(ComputePhase, SetUpsAreRoundedUp) {
  const Row row(
      {{"PD2A_TMACSETUP", int32_t{30}}, {"PD2A_INDUMSETUP", int32_t{1}}, {"PD2A_NUMPEZZISETUP", int32_t{10}}});
  const PhaseTimes three = Compute(row, int32_t{25});  // 2.5 set-ups → 3
  EXPECT_EQ(S(three.NS), "3");
  EXPECT_EQ(S(three.TSET), "5400");
  const PhaseTimes two = Compute(row, int32_t{20});
  EXPECT_EQ(S(two.NS), "2");
  EXPECT_EQ(S(two.TSET), "3600");
  // Set-up pieces 0 take the lot; without either, one set-up whatever Q.
  const Row lot({{"PD2A_TMACSETUP", int32_t{30}}, {"PD2A_INDUMSETUP", int32_t{1}}, {"PD2A_NUMPEZZISETUP", int32_t{0}}},
                int32_t{50});
  EXPECT_EQ(S(Compute(lot, int32_t{120}).TSET), "5400");
  const Row once({{"PD2A_TMACSETUP", int32_t{30}}, {"PD2A_INDUMSETUP", int32_t{1}}});
  EXPECT_EQ(S(Compute(once, int32_t{120}).TSET), "1800");
}

TEST(ComputePhase, WaitAndQueueUnlessLeftOut) {
  const Row row({{"PD2A_TATTESA", int32_t{2}},
                 {"PD2A_INDUMATTESA", int32_t{2}},
                 {"PD2A_TCODA", int32_t{30}},
                 {"PD2A_INDUMCODA", int32_t{1}}});
  const PhaseTimes all = Compute(row, int32_t{1});
  EXPECT_EQ(S(all.TATT), "7200");
  EXPECT_EQ(S(all.TCODA), "1800");
  const PhaseTimes no_wait = Compute(row, int32_t{1}, {}, {true, false});
  EXPECT_EQ(S(no_wait.TATT), "0");
  EXPECT_EQ(S(no_wait.TCODA), "1800");
  const PhaseTimes neither = Compute(row, int32_t{1}, {}, {true, true});
  EXPECT_EQ(S(neither.Total()), "0");
  const Row odd({{"PD2A_TATTESA", int32_t{2}}, {"PD2A_INDUMATTESA", int32_t{7}}});
  EXPECT_EQ(S(Compute(odd, int32_t{1}).TATT), "0");
}

TEST(ComputePhase, WorkersSplitByOperation) {
  const Row row({{"PD2A_NUMPEZZIUM", int32_t{5}}, {"PD2A_NUMPEZZISETUP", int32_t{10}}});
  const std::vector<WorkerRow> workers{
      {int32_t{4}, int32_t{1}, int32_t{1}},    // 2 workers × 2 min processing: 240 s per 5 pieces
      {int32_t{10}, int32_t{1}, int32_t{0}},   // 10 min set-up
      {int32_t{99}, int32_t{8}, int32_t{1}}};  // unknown unit: skipped
  const PhaseTimes t = Compute(row, int32_t{25}, workers);
  EXPECT_EQ(S(t.MLAV), "1200");  // 240 ÷ 5 × 25
  EXPECT_EQ(S(t.MSET), "1800");  // 600 × 3 set-ups
}

TEST(ComputePhase, FormulasReplaceTheStoredTime) {
  const Row row({{"PD48_TMACLAV", int32_t{8}},
                 {"PD48_FORMLAV_PD24", "F_MAGG  "},
                 {"PD48_INDUMLAV", int32_t{1}},
                 {"PD48_NUMPEZZIUM", int32_t{1}},
                 {"PD48_IDCICLO", int32_t{77}}});
  std::array<Variant, 28> seen;
  std::string code;
  const FormulaEvaluator formula = [&](const std::string& c, const std::string&, const std::array<Variant, 28>& v) {
    code = c;
    seen = v;
    return Variant(Decimal::FromInt(10));  // minutes, the phase's unit
  };
  const PhaseTimes t = Compute(row, int32_t{3}, {}, {}, formula, PhaseSourceKind::Cycle);
  EXPECT_EQ(code, "F_MAGG");
  EXPECT_EQ(S(t.TLAV), "1800");  // 10 min × 60 × 3
  EXPECT_EQ(S(seen[0]), "8");    // the base time
  EXPECT_EQ(S(seen[2]), "3");    // the quantity
  EXPECT_EQ(S(seen[3]), "1");    // processing
  EXPECT_EQ(S(seen[7]), "77");   // the cycle id comes first after the seven
}

}  // namespace
}  // namespace engine
