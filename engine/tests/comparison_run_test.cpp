// A whole run on a hand-made database: every number below is worked out by
// hand from the rows of tiny_erp.h.
#include "engine/comparison_run.h"

#include <gtest/gtest.h>

#include "engine/field_lists.h"
#include "engine/group_totals.h"
#include "host/tests/fake_form.h"
#include "engine/tests/tiny_erp.h"

namespace engine {
namespace {

using host::Variant;

class TinyRun : public ::testing::Test {
 protected:
  void SetUp() override {
    connection_ = host::db::OpenConnection(testing::TinyErp(dir_));
    production_ = std::make_unique<host::ProductionServices>(*connection_, "1");
    LoadFilterFields(query_, false);
    LoadGroupingFields(order_);
  }

  ComparisonRun& Run(const std::string& unit, std::vector<std::string> grouping, int64_t prefetch_from = 2000) {
    order_.SetGrouping(grouping);
    RunInputs in;
    in.connection = connection_.get();
    in.company = "1";
    in.query = &query_;
    in.order = &order_;
    in.unit = static_cast<TipoTempo>(std::stoi(unit));
    in.production = production_.get();
    in.progress = &progress_;
    in.prefetch_from = prefetch_from;
    run_ = std::make_unique<ComparisonRun>(context_, in);
    run_->LeggiVersamentiTempi();
    return *run_;
  }

  // Adds rows to the test database (the run's connection reads them).
  void Add(const std::string& sql) { testing::ExecOn(dir_.File("tiny.db"), sql); }

  // The per-booking record of a booking.
  host::RecordSetPtr Booking(int id) {
    auto rs = run_->Records().RSTempiPrevDett->Clone();
    rs->Find("IDVERS = " + std::to_string(id));
    EXPECT_FALSE(rs->Eof()) << id;
    return rs;
  }

  static std::string T(const Variant& v) {
    if (v.IsNull()) return "<null>";
    if (v.IsNumber()) return v.ToDecimal().Normalized().ToString();
    return v.ToText();
  }

  // Each field's value on the current record, as T shows it.
  static void ExpectFields(host::RecordSet& rs, std::initializer_list<std::pair<const char*, const char*>> expected) {
    for (const auto& [field, text] : expected) EXPECT_EQ(T(rs.Value(field)), text) << field;
  }

  // The totals of the run's groups by article.
  GroupTotals ArticleTotals() {
    return GroupTotals(context_, run_->Records(), run_->Phases(), *production_, 0, run_->Options(),
                       {"PD44_CODART_MG66"});
  }

  // Moves the run's groups to article `code`: false when no group has it.
  bool ToArticle(const std::string& code) {
    auto& groups = *run_->Records().RSTempiVer;
    groups.MoveFirst();
    groups.Find("PD44_CODART_MG66 = '" + code + "'");
    return !groups.Eof();
  }

  testing::TempDir dir_;
  host::testing::FakeForm form_;
  RunContext context_{form_};
  // What the run said so far, shown on the test's form.
  host::testing::FakeForm& Shown() {
    form_.Show(context_.Take());
    return form_;
  }
  NoProgress progress_;
  std::unique_ptr<host::db::Connection> connection_;
  std::unique_ptr<host::ProductionServices> production_;
  host::QueryControl query_;
  host::OrderControl order_;
  std::unique_ptr<ComparisonRun> run_;
};

// Each booking's own record under hh:mm:ss, grouped by article.
TEST_F(TinyRun, EachBookingsRecordUnderItsPlan) {
  Run("0", {"Articolo"});
  ASSERT_TRUE(Shown().errors.empty()) << Shown().error_texts.front();
  const struct {
    int booking;
    const char* plan;
    std::vector<std::pair<const char*, const char*>> fields;
  } cases[] = {
      // Q 10: run 2 min × 10 = 1200 s, set-up 1800, operator 600, setters 600: 4200 s.
      {1, "cycle phase booked by machine", {
          {"IDCICLO", "100"}, {"QTAODL", "0"}, {"OREPREV", "1"}, {"MINPREV", "10"}, {"SECPREV", "0"},
          {"OMSPREV", "1:10:00"}, {"OMSVERS", "0:25:00"}, {"GAP", "- 0:45:00"}, {"GAPPERC", "-64.29"},
          {"OMSPREV_LAV", "0:30:00"},  // run + operator
          {"GAP_LAV", "- 0:05:00"}, {"GAPPERC_LAV", "-16.67"},
          {"OMSPREV_SET", "0:40:00"},  // set-up + setters, against nothing booked
          {"OMSVERS_SET", ""}, {"GAPPERC_SET", "-100"}, {"GAP_MACLAV", "+ 0:05:00"}, {"GAPPERC_MACLAV", "25"},
          {"OREPREV_MACSET", "0"},  // not a set-up booking: reset values
          {"OMSPREV_MACSET", ""}, {"GAP_MACSET", "<null>"},
          {"GAP_MANLAV", "<null>"},  // nobody booked
      }},
      // No quantity: Q 1. Run 120, set-up 1800, operator 60, setters 600: 2580 s.
      {2, "set-up booked by an employee on no machine", {
          {"OMSPREV", "0:43:00"}, {"GAP", "- 0:03:00"}, {"GAPPERC", "-6.98"}, {"OMSPREV_SET", "0:40:00"},
          {"GAP_SET", "0:00:00"}, {"GAPPERC_SET", "0"},
          {"OMSPREV_LAV", "0:03:00"},  // the run's plan against booked 0
          {"GAPPERC_LAV", "-100"}, {"OMSPREV_MANSET", "0:10:00"}, {"OMSVERS_MANSET", "0:40:00"},
          {"GAP_MANSET", "+ 0:30:00"}, {"GAPPERC_MANSET", "300"},
          {"OMSPREV_MACSET", ""},  // not on a machine
          {"GAP_MACSET", "<null>"},
      }},
      // Q 20 (the order's): 90 s per 10 → 180; set-ups 20 ÷ 10 = 2 × 900 → 1800; wait 3600; queue unit 9 → 0.
      {3, "order phase with lot, wait and unknown queue unit", {
          {"IDCICLO", "900"}, {"QTAODL", "20"}, {"OMSPREV", "1:33:00"}, {"GAP", "+ 0:02:00"}, {"GAPPERC", "2.15"},
          {"OMSPREV_MACLAV", "0:03:00"},
          {"OMSVERS_MANLAV", ""},   // no crew planned: ConvertiOMS leaves the reset values
          {"OREVERS_MANLAV", "1"},  // but the booked time of the category stands
      }},
      {4, "no plan, still a record", {{"IDCICLO", "<null>"}, {"OREPREV", "0"}, {"GAPPERC", "<null>"}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.plan);
    auto b = Booking(c.booking);
    for (const auto& [field, text] : c.fields) EXPECT_EQ(T(b->Value(field)), text) << field;
  }
  // The figures of a booking's record are worked out when read, from rows
  // the record keeps alive: they outlive the run and cannot be written over.
  const host::RecordSetPtr planned = Booking(4);
  run_.reset();
  EXPECT_EQ(T(planned->Value("GAP")), "+ 1:00:00");
  EXPECT_EQ(T(planned->Value("OMSVERS")), "1:00:00");
  EXPECT_THROW(planned->SetValue("GAP", "0:00:00"), host::Error);
  EXPECT_EQ(T(planned->Value("GAP")), "+ 1:00:00");
}

TEST_F(TinyRun, HoursUnitAndExclusions) {
  Run("1", {"Articolo"});
  auto b = Booking(3);
  ExpectFields(*b, {
      {"OREVERS", "1.58"},  // 1 + 35/60 → 0.58 + 0/3600
      {"OREPREV", "1.55"},  // 5580 s
      {"GAP", "0.03"}, {"GAPPERC", "1.94"},
  });
  EXPECT_EQ(run_->DescrizioneGruppo(), "Articolo");
}

// A run time of 99,999,999,999 min per piece: far past 2^31 seconds, and
// past what a double carries to the second, every text is still exact.
TEST_F(TinyRun, PlannedTimesPastThirtyTwoBitsStayExact) {
  Add("UPDATE PD48_CICLI SET PD48_TMACLAV = 99999999999 WHERE PD48_IDCICLO = 100");
  Run("0", {"Articolo"});
  ASSERT_TRUE(Shown().errors.empty()) << Shown().error_texts.front();
  // Run 99,999,999,999 × 60 × 10 = 59,999,999,999,400 s; + 1800 + 600 + 600.
  auto b = Booking(1);
  ExpectFields(*b, {
      {"OREPREV", "16666666667"}, {"MINPREV", "20"}, {"OMSPREV", "16666666667:20:00"},
      {"GAP", "- 16666666666:55:00"},  // 1500 booked
      {"GAPPERC", "-100"}, {"OMSPREV_LAV", "16666666666:40:00"},
  });
  GroupTotals totals = ArticleTotals();
  ToArticle("A1");
  totals.TempiPreventivi();
  auto& prev = *run_->Records().RSTempiPrev;
  EXPECT_EQ(T(prev.Value("OMSPREV")), "16666666667:20:00");
  EXPECT_EQ(T(prev.Value("GAP")), "- 16666666666:03:00");  // 4620 booked
  EXPECT_TRUE(Shown().errors.empty());
}

// Past every range (10^17 hours a piece): the booking is named and left
// without times; every other booking and group is still delivered.
TEST_F(TinyRun, ATimeBeyondEveryRangeNamesItsBookingAndKeepsTheRest) {
  Add("UPDATE PD48_CICLI SET PD48_TMACLAV = 99999999999, PD48_INDUMLAV = 2, PD48_NUMPEZZIUM = 0.000001 "
      "WHERE PD48_IDCICLO = 100");
  Run("0", {"Articolo"});
  ASSERT_FALSE(Shown().error_texts.empty());
  EXPECT_EQ(Shown().error_texts.front(), "bookings 1, 2, 5: a time is too large to show; they are left without times");
  EXPECT_EQ(Shown().error_texts.size(), 1U);
  EXPECT_EQ(run_->Records().RSTempiPrevDett->RecordCount(), 5U);
  EXPECT_EQ(T(Booking(1)->Value("OMSPREV")), "<null>");
  EXPECT_EQ(T(Booking(3)->Value("OMSPREV")), "1:33:00");  // A2's order phase, untouched
  GroupTotals totals = ArticleTotals();
  auto& groups = *run_->Records().RSTempiVer;
  ToArticle("A2");
  EXPECT_FALSE(totals.TempiPreventivi());
  EXPECT_EQ(T(run_->Records().RSTempiPrev->Value("OMSPREV")), "1:33:00");
  // A1's bookings lost their times, so its group plans nothing of them but
  // is still shown with its bookings.
  ToArticle("A1");
  EXPECT_FALSE(totals.TempiPreventivi());
  EXPECT_EQ(run_->Records().RSTempiVerDett->RecordCount(), 3U);
  EXPECT_EQ(T(run_->Records().RSTempiPrev->Value("OMSPREV")), "");
  // The phase itself, asked for the group: zeros, and the group named.
  const std::string a1 = T(groups.Value("IDGRUPPO"));
  const PhaseOutputs phase = totals.CalcolaTempiFase(int32_t{100}, int16_t{0}, int16_t{10}, "A1", "");
  EXPECT_EQ(T(phase.hours[0]), "0");
  EXPECT_EQ(Shown().error_texts.back(), "group " + a1 +
                                          ": the planned time of phase 100 is too large to show; the group is shown "
                                          "without it");
}

TEST_F(TinyRun, GroupTotalsCountEachPhaseOnceAndANullArticleFiltersWithEqualsNull) {
  Run("0", {"Articolo"});
  GroupTotals totals = ArticleTotals();
  auto& groups = *run_->Records().RSTempiVer;
  ASSERT_TRUE(ToArticle("A1"));
  totals.TempiPreventivi();
  EXPECT_EQ(run_->Records().RSTempiVerDett->RecordCount(), 3U);  // bookings 1, 2, 5
  auto& prev = *run_->Records().RSTempiPrev;
  // Phase 100 once, with the first booking's quantity (10): 4200 s.
  ExpectFields(prev, {
      {"OMSPREV", "1:10:00"},
      {"OMSVERS", "1:17:00"},  // 25 + 40 + 12 minutes
      {"GAP", "+ 0:07:00"}, {"GAPPERC", "10"}, {"GAP_LAV", "+ 0:07:00"}, {"GAPPERC_LAV", "23.33"},
      {"GAP_SET", "0:00:00"}, {"GAP_MACLAV", "+ 0:17:00"}, {"GAP_MACSET", "- 0:30:00"}, {"GAP_MANLAV", "- 0:10:00"},
      {"GAPPERC_MANSET", "300"},
  });
  // Coming back shows the stored totals without computing them again.
  const int64_t computed = totals.GroupsComputed();
  groups.MoveFirst();
  totals.TempiPreventivi();
  groups.Find("PD44_CODART_MG66 = 'A1'");
  totals.TempiPreventivi();
  EXPECT_EQ(totals.GroupsComputed(), computed + 1);  // only the first group was new
  EXPECT_EQ(T(prev.Value("OMSPREV")), "1:10:00");
  // The group without article filters with "= NULL": booking 4 alone.
  groups.MoveFirst();
  ASSERT_TRUE(groups.Value("PD44_CODART_MG66").IsNull());  // Null sorts first
  EXPECT_EQ(totals.GroupFilter(), "PD44_CODART_MG66 = NULL");
  totals.TempiPreventivi();
  EXPECT_EQ(run_->Records().RSTempiVerDett->RecordCount(), 1U);
  EXPECT_EQ(T(run_->Records().RSTempiVerDett->Value("PD44_PRGMVORE_PD31")), "4");
}

// A booking with both a machine and an employee counts as machine time and
// as labour time; one with neither counts as machine time (the rule: machine
// not blank OR employee blank; labour: employee not blank).
TEST_F(TinyRun, GroupMachineAndLabourTakeBookingsWithBothOrNeither) {
  Add("INSERT INTO PD44_VERSORE (PD44_DITTA_CG18, PD44_PRGMVORE_PD31, PD44_DATAREG, PD44_CODART_MG66, "
      "PD44_CODFORNREP, PD44_QTALAV, PD44_INDORA, PD44_OREORD, PD44_MINORD, PD44_SECORD) VALUES "
      "(1, 6, '2026-03-06 00:00:00', 'A4', 'R01', 1, 0, 0, 30, 0)");
  Run("0", {"Articolo"});
  ASSERT_TRUE(Shown().errors.empty()) << Shown().error_texts.front();
  GroupTotals totals = ArticleTotals();
  auto& prev = *run_->Records().RSTempiPrev;
  // A2: booking 3 alone, on machine M1 by employee E1, processing 1:35:00;
  // its order phase plans 0:03:00 of machine processing and no crew.
  ASSERT_TRUE(ToArticle("A2"));
  totals.TempiPreventivi();
  EXPECT_EQ(T(prev.Value("OREVERS_MACLAV")) + ":" + T(prev.Value("MINVERS_MACLAV")), "1:35");
  EXPECT_EQ(T(prev.Value("GAP_MACLAV")), "+ 1:32:00");
  EXPECT_EQ(T(prev.Value("OREVERS_MANLAV")) + ":" + T(prev.Value("MINVERS_MANLAV")), "1:35");
  EXPECT_EQ(T(prev.Value("OREVERS_LAV")) + ":" + T(prev.Value("MINVERS_LAV")), "1:35");
  // A4: booking 6, neither machine nor employee, processing 0:30:00, no plan.
  ASSERT_TRUE(ToArticle("A4"));
  totals.TempiPreventivi();
  EXPECT_EQ(T(prev.Value("OREVERS_MACLAV")) + ":" + T(prev.Value("MINVERS_MACLAV")), "0:30");
  EXPECT_EQ(T(prev.Value("OREVERS_MANLAV")) + ":" + T(prev.Value("MINVERS_MANLAV")), "0:0");
  // Nothing planned: the total's texts stay as ConvertiOMS leaves them.
  ExpectFields(prev, {{"MINVERS", "30"}, {"OMSVERS", ""}, {"GAPPERC", "<null>"}});
}

// Order lines of quantity 0 or Null plan nothing from their phases, in the
// per-booking queries and in the bulk look-up alike: a booking on an order
// line with a bill of materials looks only at the order's phases.
TEST_F(TinyRun, OrderLinesWithoutQuantityPlanNothingOnBothPaths) {
  Add(R"(
INSERT INTO DO30_DOCCORPO VALUES (1, 'N1', 2, 'A2', NULL, 0, 500), (1, 'N1', 3, 'A2', NULL, NULL, 500);
INSERT INTO DO31_DOCCORPOORD VALUES (1, 'N1', 2, NULL, NULL), (1, 'N1', 3, NULL, NULL);
INSERT INTO DO46_DOCCORORDDET VALUES (1, 'N1', 2, 1, 10, 'Taglio', 'R01', NULL, NULL, 0, 200),
  (1, 'N1', 3, 1, 10, 'Taglio', 'R01', NULL, NULL, NULL, 200);
CREATE TEMP TABLE P AS SELECT * FROM PD2A_DETFASIDOC WHERE PD2A_IDFASE = 900;
UPDATE P SET PD2A_IDFASE = 901, PD2A_PROGRIGA_DO46 = 2;
INSERT INTO PD2A_DETFASIDOC SELECT * FROM P;
UPDATE P SET PD2A_IDFASE = 902, PD2A_PROGRIGA_DO46 = 3;
INSERT INTO PD2A_DETFASIDOC SELECT * FROM P;
INSERT INTO PD44_VERSORE (PD44_DITTA_CG18, PD44_PRGMVORE_PD31, PD44_DATAREG, PD44_CODART_MG66, PD44_CODFASE_PD12,
  PD44_SEQFASE, PD44_CODFORNREP, PD44_MACCHINA_PD08, PD44_NUMREG_CO99, PD44_PROGRIGA_DO30, PD44_QTALAV, PD44_INDORA,
  PD44_OREORD, PD44_MINORD, PD44_SECORD) VALUES
  (1, 7, '2026-03-07 00:00:00', 'A2', 10, 10, 'R01', 'M1', 'N1', 2, 5, 0, 0, 20, 0),
  (1, 8, '2026-03-08 00:00:00', 'A2', 10, 10, 'R01', 'M1', 'N1', 3, 5, 0, 0, 10, 0);
)");
  for (const int64_t prefetch_from : {int64_t{0}, int64_t{1} << 40}) {
    Run("0", {"Articolo"}, prefetch_from);
    ASSERT_TRUE(Shown().errors.empty()) << Shown().error_texts.front();
    for (const int id : {7, 8}) {
      auto b = Booking(id);
      EXPECT_EQ(T(b->Value("IDCICLO")), "<null>") << id << " prefetch from " << prefetch_from;
      EXPECT_EQ(T(b->Value("OREPREV")) + T(b->Value("MINPREV")) + T(b->Value("SECPREV")), "000") << id;
      EXPECT_EQ(T(b->Value("OMSPREV")), "<null>") << id;
      EXPECT_EQ(T(b->Value("OMSVERS")), id == 7 ? "0:20:00" : "0:10:00") << id;
    }
    // Booking 3 on line 1 (quantity 20) still plans its 1:33:00.
    EXPECT_EQ(T(Booking(3)->Value("OMSPREV")), "1:33:00");
  }
}

// Bookings that spell one value in two ways (case, trailing blanks) fall
// in one group, as the database groups them, and the groups are the
// grouped query's own: the spelling it shows, the largest value it keeps.
TEST_F(TinyRun, AValueSpeltTwoWaysMakesOneGroupAsTheDatabaseShowsIt) {
  Add("INSERT INTO PD44_VERSORE (PD44_DITTA_CG18, PD44_PRGMVORE_PD31, PD44_DATAREG, PD44_CODART_MG66, "
      "PD44_CODFORNREP, PD44_QTALAV, PD44_INDORA, PD44_OREORD, PD44_MINORD, PD44_SECORD) VALUES "
      "(1, 6, '2026-03-06 00:00:00', 'a1 ', 'r01', 1, 0, 0, 30, 0)");
  for (const std::vector<std::string>& grouping :
       {std::vector<std::string>{"Articolo"}, std::vector<std::string>{"Reparto"}}) {
    Run("0", grouping);
    ASSERT_TRUE(form_.errors.empty()) << form_.error_texts.front();
    const host::RecordSetPtr expected = connection_->Execute(run_->GroupedQuery());
    host::RecordSet& groups = *run_->Records().RSTempiVer;
    ASSERT_EQ(groups.RecordCount(), expected->RecordCount()) << grouping.front();
    ASSERT_EQ(groups.FieldCount(), expected->FieldCount()) << grouping.front();
    for (groups.MoveFirst(); !groups.Eof(); groups.MoveNext(), expected->MoveNext()) {
      for (size_t c = 0; c < groups.FieldCount(); ++c) {
        EXPECT_EQ(groups.Value(c), expected->Value(c)) << grouping.front() << " " << groups.Field(c).name;
      }
    }
  }
  // A1: bookings 1, 2 and 5 (25, 40 and 12 minutes) and the new one's 30.
  Run("0", {"Articolo"});
  auto& groups = *run_->Records().RSTempiVer;
  ASSERT_TRUE(ToArticle("A1"));
  EXPECT_EQ(T(groups.Value("OREVERS")) + ":" + T(groups.Value("MINVERS")) + ":" + T(groups.Value("SECVERS")),
            "0:107:0");
}

TEST_F(TinyRun, ABadConditionIsReportedNotRun) {
  query_.SetFrom("PD44_CODFASE_PD12", "1 OR 1=1");
  Run("0", {"Articolo"});
  ASSERT_EQ(Shown().errors.size(), 1U);
  EXPECT_EQ(Shown().errors[0], "LeggiVersamentiTempi");
  EXPECT_EQ(run_->GroupedQuery(), "");
}

}  // namespace
}  // namespace engine
