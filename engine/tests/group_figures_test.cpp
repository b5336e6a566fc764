// Every group's figures worked out in one pass over the bookings are the
// totals that a visit of the group stores (TempiPreventivi, group by group,
// on an independent run of the same options), record field by record field;
// the totals of all the bookings are those of a run without grouping.
#include "engine/group_figures.h"

#include <gtest/gtest.h>

#include <numeric>
#include <set>
#include <string>
#include <vector>

#include "engine/group_membership.h"
#include "engine/layouts.h"
#include "engine/pass_splits.h"
#include "engine/planned_records.h"
#include "engine/tests/demo_db.h"
#include "host/tests/fake_form.h"
#include "engine/tests/run_request.h"
#include "engine/tests/tiny_erp.h"

namespace engine {
namespace {

const std::string& Demo20k() {
  static testing::TempDir dir;
  static const std::string path = [] {
    const std::string file = dir.File("demo-20k.db");
    demo::GenerateDemoDatabase(file, {20000, 3});
    return file;
  }();
  return path;
}

// `grouping` as captions; {"-"} for no grouping at all.
std::unique_ptr<Comparison> RunOn(host::testing::FakeForm& form, const std::string& db, const std::vector<std::string>& grouping,
                                int unit, int64_t prefetch_from = 2000) {
  NoProgress progress;
  auto request = testing::RequestOn(db, grouping == std::vector<std::string>{"-"} ? std::vector<std::string>{} : grouping,
                                    static_cast<TipoTempo>(unit));
  request.prefetch_from = prefetch_from;
  if (grouping == std::vector<std::string>{"-"}) request.order.SetGrouping({});
  auto run = Comparison::Make(form, std::move(request), progress);
  EXPECT_FALSE(run->Failed());
  form.Show(run->RunStatus());
  return run;
}

// The fields shown beside the grouping, as the results form asks for them.
std::vector<std::string> SharedFields(Comparison& run) {
  std::vector<std::string> shared;
  for (const auto& item : run.Order().Items()) {
    if (item.use == host::OrderControl::Use::Selected && run.Records().RSTempiVer->FieldIndex(item.column) >= 0) {
      shared.push_back(item.column);
    }
  }
  return shared;
}

void Finish(GroupFigures& figures) {
  size_t steps = 0;
  while (!figures.Step(16)) ++steps;
  EXPECT_GT(steps, 0U);
}

// A group's stored totals record, by IDGRUPPO.
host::RecordSetPtr StoredTotals(Comparison& run, const host::Variant& id) {
  auto prev = run.Records().RSTempiPrev->Clone();
  prev->SetFilter("IDGRUPPO = " + id.JoinedText());
  EXPECT_EQ(prev->RecordCount(), 1U) << "group " << id.JoinedText();
  return prev;
}

// Whether a group's filtered bookings have more than one value of `field`
// (Null and blank alike, texts without trailing blanks).
bool Differ(host::RecordSet& bookings, const std::string& field) {
  std::set<std::string> values;
  for (bookings.MoveFirst(); !bookings.Eof(); bookings.MoveNext()) {
    values.insert(host::RTrim(bookings.Value(field).JoinedText()));
  }
  return values.size() > 1;
}

void ExpectSameFigures(const CategoryFigures& got, const host::RecordSet& record, int unit, const std::string& what) {
  for (size_t c = 0; c < kCategoryNames.size(); ++c) {
    const CategorySeconds want = SecondsOf(record, {kCategoryNames[c].suffix}, static_cast<int16_t>(unit));
    EXPECT_EQ(got[c].planned.ToDecimal(), want.planned.ToDecimal()) << what << " category " << c;
    EXPECT_EQ(got[c].booked.ToDecimal(), want.booked.ToDecimal()) << what << " category " << c;
  }
}

// Two sets of figures alike, category by category, planned and booked.
void ExpectSameCategories(const CategoryFigures& got, const CategoryFigures& want, const std::string& what = "") {
  for (size_t c = 0; c < got.size(); ++c) {
    EXPECT_EQ(got[c].planned.ToDecimal(), want[c].planned.ToDecimal()) << what << "category " << c;
    EXPECT_EQ(got[c].booked.ToDecimal(), want[c].booked.ToDecimal()) << what << "category " << c;
  }
}

// Every time field of a group's stored totals in `got_run` as `want` has
// it, value and type; false when either has no record.
bool ExpectSameStored(Comparison& got_run, const host::RecordSetPtr& want, const TimeFieldIndex& fields,
                      const std::string& what) {
  if (want->Eof()) return false;
  auto got = StoredTotals(got_run, want->Value("IDGRUPPO"));
  if (got->Eof()) return false;
  for (size_t c = 0; c < 7; ++c) {
    for (size_t base = 0; base < 10; ++base) {
      const size_t at = fields.At(c, base);
      EXPECT_EQ(got->Value(at), want->Value(at)) << what << " field " << want->Field(at).name << ": "
                                                 << got->Value(at).JoinedText() << " against "
                                                 << want->Value(at).JoinedText();
    }
  }
  return true;
}

// How many computations a run's pass offers to the group side.
size_t OfferedBy(Comparison& run) {
  const std::shared_ptr<const PassTimes>& pass = run.Reader().KeptPassTimes();
  size_t offered = 0;
  for (uint32_t t = 0; pass && t < pass->Size(); ++t) offered += pass->Offers(t) ? 1 : 0;
  return offered;
}

// Compares every group of a one-pass run with the same group's visit on an
// independent run; answers the number of groups compared.
// With `split_first`, the pass's planned times are all split beside
// before the first step; the one-pass run reads its phase rows in bulk from
// `prefetch_from` bookings.
size_t CompareEveryGroup(const std::string& db, const std::vector<std::string>& grouping, int unit,
                         const CategoryFigures* all_bookings, bool split_first = false,
                         int64_t prefetch_from = 2000) {
  host::testing::FakeForm form_a, form_b;
  auto one_pass = RunOn(form_a, db, grouping, unit, prefetch_from);
  auto by_group = RunOn(form_b, db, grouping, unit);
  const std::vector<std::string> shared = SharedFields(*one_pass);
  GroupFigures figures(*one_pass, shared);
  if (split_first) figures.WaitForPassSplits();
  // The last group visited before the pass, and the first during it: the
  // pass reads what the visits stored, and the totals of all the bookings
  // still count their bookings.
  auto& a = one_pass->Records();
  a.RSTempiVer->MoveLast();
  EXPECT_FALSE(one_pass->Totals().TempiPreventivi());
  EXPECT_FALSE(figures.Step(1));
  a.RSTempiVer->MoveFirst();
  EXPECT_FALSE(one_pass->Totals().TempiPreventivi());
  const int64_t visited = one_pass->Totals().GroupsComputed();
  Finish(figures);
  EXPECT_EQ(one_pass->Totals().GroupsComputed(), visited);
  EXPECT_TRUE(figures.Done());
  // Phase rows read in bulk (the demo's): what the run's pass offers is
  // taken instead of computed again, and the totals below still match.
  if (one_pass->Reader().Phases().Prefetched()) {
    EXPECT_EQ(figures.TakenFromPass() + one_pass->Totals().TakenFromPass() > 0, OfferedBy(*one_pass) > 0);
  }
  EXPECT_TRUE(form_a.errors.empty()) << (form_a.error_texts.empty() ? "" : form_a.error_texts.front());

  auto& b = by_group->Records();
  const TimeFieldIndex fields(*b.RSTempiPrev);
  size_t compared = 0;
  auto groups = b.RSTempiVer;
  for (groups->MoveFirst(); !groups->Eof(); groups->MoveNext()) {
    EXPECT_FALSE(by_group->Totals().TempiPreventivi());  // filters RSTempiVerDett to the group
    const host::Variant id = groups->Value("IDGRUPPO");
    const std::string what = "group " + id.JoinedText();
    auto want = StoredTotals(*by_group, id);
    if (!ExpectSameStored(*one_pass, want, fields, what)) continue;
    const CategoryFigures* f = figures.Of(id);
    EXPECT_NE(f, nullptr) << what;
    if (f != nullptr) ExpectSameFigures(*f, *want, unit, what);
    for (size_t s = 0; s < shared.size(); ++s) {
      EXPECT_EQ(figures.Differ(id, s), std::optional<bool>(Differ(*b.RSTempiVerDett, shared[s])))
          << what << " " << shared[s];
    }
    ++compared;
  }
  EXPECT_EQ(compared, figures.Total());
  EXPECT_EQ(figures.Computed(), figures.Total());
  if (all_bookings != nullptr) ExpectSameCategories(figures.AllBookings(), *all_bookings);
  return compared;
}

// The one group of a run without grouping, as its visit stores it.
CategoryFigures WithoutGrouping(const std::string& db, int unit) {
  host::testing::FakeForm form;
  auto run = RunOn(form, db, {"-"}, unit);
  EXPECT_EQ(run->Records().RSTempiVer->RecordCount(), 1U);
  NoProgress progress;
  EXPECT_TRUE(run->ComputeAll(progress).ok());
  auto prev = run->Records().RSTempiPrev->Clone();
  prev->SetFilter("");
  prev->MoveFirst();
  CategoryFigures out;
  for (size_t c = 0; c < out.size(); ++c) {
    out[c] = SecondsOf(*prev, {kCategoryNames[c].suffix}, static_cast<int16_t>(unit));
  }
  return out;
}

TEST(GroupFigures, EveryGroupOfTheDemoAsItsVisitStoresIt) {
  const std::string& db = Demo20k();
  for (const int unit : {0, 1}) {
    const CategoryFigures all = WithoutGrouping(db, unit);
    EXPECT_GT(all[0].planned.ToDecimal(), host::Decimal::FromInt(0));
    // The default grouping (one group per order line), department and
    // phase, none at all, and employees (whose groups share phases).
    EXPECT_GT(CompareEveryGroup(db, {}, unit, &all), 1000U) << "unit " << unit;
    EXPECT_GT(CompareEveryGroup(db, {"Reparto", "Fase"}, unit, &all), 5U) << "unit " << unit;
    EXPECT_GT(CompareEveryGroup(db, {"Reparto", "Fase"}, unit, &all, true), 5U) << "unit " << unit;
    EXPECT_EQ(CompareEveryGroup(db, {"-"}, unit, &all), 1U) << "unit " << unit;
    if (unit == 0) {
      EXPECT_GT(CompareEveryGroup(db, {"Dipendente", "Fase"}, unit, nullptr), 10U);
    }
  }
}

// The command line's totals of every group (ComputeAll: each phase once,
// taken from the pass where it computed it) are what each group's visit
// stores on an independent run.
TEST(GroupFigures, ComputeAllStoresWhatEachVisitStores) {
  for (const int unit : {0, 1}) {
    for (const std::vector<std::string>& grouping : {std::vector<std::string>{"Reparto", "Fase"},
                                                     std::vector<std::string>{}}) {
      host::testing::FakeForm form_a, form_b;
      auto all = RunOn(form_a, Demo20k(), grouping, unit);
      auto by_group = RunOn(form_b, Demo20k(), grouping, unit);
      NoProgress progress;
      ASSERT_TRUE(all->ComputeAll(progress).ok());
      EXPECT_GT(all->Totals().TakenFromPass(), 0);
      auto& b = by_group->Records();
      const TimeFieldIndex fields(*b.RSTempiPrev);
      size_t compared = 0;
      for (b.RSTempiVer->MoveFirst(); !b.RSTempiVer->Eof(); b.RSTempiVer->MoveNext()) {
        EXPECT_FALSE(by_group->Totals().TempiPreventivi());
        const host::Variant id = b.RSTempiVer->Value("IDGRUPPO");
        compared += ExpectSameStored(*all, StoredTotals(*by_group, id), fields, "group " + id.JoinedText()) ? 1 : 0;
      }
      EXPECT_EQ(compared, b.RSTempiVer->RecordCount()) << "unit " << unit;
      EXPECT_TRUE(form_a.errors.empty());
    }
  }
}

// Every computation the pass offers is split beside exactly as the group
// side splits it, value and type; one not offered is not kept; a split
// stopped at once keeps only whole blocks, still right.
TEST(PassSplits, EachOfferedComputationAsTheGroupSideSplitsIt) {
  for (const int unit : {0, 1}) {
    host::testing::FakeForm form;
    auto run = RunOn(form, Demo20k(), {}, unit);
    const std::shared_ptr<const PassTimes>& pass = run->Reader().KeptPassTimes();
    ASSERT_NE(pass, nullptr);
    PassSplits stopped(pass, static_cast<int16_t>(unit));
    stopped.Stop();
    PassSplits splits(pass, static_cast<int16_t>(unit));
    splits.Wait();
    stopped.Wait();
    size_t offered = 0;
    for (uint32_t t = 0; t < pass->Size(); ++t) {
      ASSERT_EQ(splits.Has(t), pass->Offers(t)) << "computation " << t;
      if (!pass->Offers(t)) continue;
      ++offered;
      const std::array<host::Variant, 7> kept = pass->Times(t);
      PhaseOutputs got, again;
      splits.Read(t, got);
      if (stopped.Has(t)) {
        stopped.Read(t, again);
      } else {
        again = got;
      }
      for (size_t c = 0; c < 7; ++c) {
        const PlannedSplit want = SplitPlanned(kept[c], static_cast<int16_t>(unit)).value;
        for (const auto& [g, w] : {std::pair{got.hours[c], want.hours}, std::pair{got.minutes[c], want.minutes},
                                   std::pair{got.seconds[c], want.seconds}, std::pair{again.hours[c], want.hours}}) {
          EXPECT_EQ(g.Type(), w.Type()) << "computation " << t << " category " << c;
          EXPECT_EQ(g.JoinedText(), w.JoinedText()) << "computation " << t << " category " << c;
        }
      }
    }
    EXPECT_GT(offered, 100U) << "unit " << unit;
  }
}

// OfferedBy a run whose phase rows are read in bulk, as a large run reads
// them (the rows of the queries by id are other rows: nothing is offered).
size_t OfferedByPass(const std::string& db) {
  host::testing::FakeForm form;
  return OfferedBy(*RunOn(form, db, {"Articolo"}, 0, 0));
}

// Order N1's phase with a run formula that reads the phase code (T + V11:
// 90 + 10 s a lot of 10, for 20 pieces 200 s instead of 180). The booking's
// keys are the phase row's own, so the pass's computation is the group
// side's and is offered. A booking whose department is written with a
// trailing blank still finds the phase, but gave the formula a key other
// than the row's: the group side computes that phase again. The figures
// are the visits' either way.
TEST(GroupFigures, AFormulaPhaseIsTakenFromThePassOnlyWhenItSawTheRowsOwnKeys) {
  testing::TempDir dir;
  const std::string plain = testing::TinyErp(dir);
  const CategoryFigures before = WithoutGrouping(plain, 0);
  const size_t offered_plain = OfferedByPass(plain);
  const char* const kFormula = R"(
INSERT INTO PD24_FORMULE VALUES (1, 'F_FASE', 'Formula F_FASE', 'T + V11');
UPDATE PD2A_DETFASIDOC SET PD2A_FORMLAV_PD24 = 'F_FASE' WHERE PD2A_IDFASE = 900;
)";
  testing::ExecOn(plain, kFormula);
  const CategoryFigures after = WithoutGrouping(plain, 0);
  EXPECT_EQ(after[0].planned.ToDecimal() - before[0].planned.ToDecimal(), host::Decimal::FromInt(20));
  EXPECT_EQ(OfferedByPass(plain), offered_plain);
  EXPECT_EQ(CompareEveryGroup(plain, {"Articolo"}, 0, &after, false, 0), 3U);

  testing::TempDir other;
  const std::string padded = testing::TinyErp(other);
  testing::ExecOn(padded, std::string(kFormula) + "UPDATE PD44_VERSORE SET PD44_CODFORNREP = 'R01 ' WHERE PD44_PRGMVORE_PD31 = 3;");
  EXPECT_EQ(WithoutGrouping(padded, 0)[0].planned.ToDecimal(), after[0].planned.ToDecimal());
  EXPECT_EQ(OfferedByPass(padded), offered_plain - 1);
  EXPECT_EQ(CompareEveryGroup(padded, {"Articolo"}, 0, &after, false, 0), 3U);
}

// The groups a search keeps taken as one, by hand on the small database
// grouped by worker: the group without a worker (bookings 1 and 5, A1's
// phase 100) and E1's (bookings 2, 3 and 4: A1's phase 100 again, A2's
// phase, one without article). Together they plan phase 100 once, with the
// quantity of its first booking in the run's order (booking 1's 10: 4200 s),
// and A2's 5580 s: 9780 s, where the two groups' own figures add it twice;
// booked 25 + 40 + 95 + 60 + 12 minutes. One group alone is its own figures;
// a group named twice or out of range adds nothing, none is nothing.
TEST(GroupFigures, GroupsTakenAsOneCountAPhaseOfTwoOfThemOnce) {
  testing::TempDir dir;
  host::testing::FakeForm form;
  auto run = RunOn(form, testing::TinyErp(dir), {"Dipendente"}, 0);
  GroupFigures figures(*run, {});
  Finish(figures);
  auto groups = run->Records().RSTempiVer->Clone();
  ASSERT_EQ(groups->RecordCount(), 2U);
  groups->Find("PD44_CODDIP_PD06 = 'E1'");
  ASSERT_FALSE(groups->Eof());
  const auto e1 = static_cast<size_t>(groups->AbsolutePosition() - 1);
  const CategoryFigures& own = *figures.Of(groups->Value("IDGRUPPO"));
  figures.StartGroupsAsOne({e1, e1, 7});
  ExpectSameCategories(figures.GroupsAsOne(), own);
  figures.StartGroupsAsOne({1, 0});
  while (!figures.StepGroupsAsOne(1)) {
  }
  const CategoryFigures both = figures.GroupsAsOne();
  EXPECT_EQ(both[0].planned.ToDecimal(), host::Decimal::FromInt(9780));
  EXPECT_EQ(both[0].booked.ToDecimal(), host::Decimal::FromInt(232 * 60));
  figures.StartGroupsAsOne({});
  EXPECT_EQ(figures.GroupsAsOne()[0].planned.ToDecimal(), host::Decimal::FromInt(0));
  EXPECT_EQ(figures.GroupsAsOne()[0].booked.ToDecimal(), host::Decimal::FromInt(0));
  EXPECT_TRUE(form.errors.empty());
}

// A search that keeps one group: the totals row reads as that group's row
// in every unit (its booked time summed from its bookings, the row's from
// the grouped query's sums rounded in the unit); all of them, as the run's.
TEST(GroupFigures, OneGroupTakenAsOneReadsAsItsOwnRowInEveryUnitAndAllAsTheRun) {
  for (const int unit : {0, 1, 2, 3}) {
    host::testing::FakeForm form;
    auto run = RunOn(form, Demo20k(), {"Reparto", "Fase"}, unit);
    GroupFigures figures(*run, {});
    Finish(figures);
    auto groups = run->Records().RSTempiVer->Clone();
    size_t position = 0;
    for (groups->MoveFirst(); !groups->Eof(); groups->MoveNext(), ++position) {
      const CategoryFigures& own = *figures.Of(groups->Value("IDGRUPPO"));
      figures.StartGroupsAsOne({position});
      const CategoryFigures alone = figures.GroupsAsOne();
      for (size_t c = 0; c < own.size(); ++c) {
        const std::string what = "unit " + std::to_string(unit) + " group " + std::to_string(position);
        EXPECT_EQ(TimeText(alone[c].planned, static_cast<int16_t>(unit)), TimeText(own[c].planned, static_cast<int16_t>(unit)))
            << what << " category " << c;
        EXPECT_EQ(TimeText(alone[c].booked, static_cast<int16_t>(unit)), TimeText(own[c].booked, static_cast<int16_t>(unit)))
            << what << " category " << c;
      }
    }
    EXPECT_GT(position, 5U);
    if (unit != 0) continue;
    // Every group together is all the bookings, as the totals row has them
    // while nothing is searched.
    std::vector<size_t> every(position);
    std::iota(every.begin(), every.end(), size_t{0});
    figures.StartGroupsAsOne(every);
    ExpectSameCategories(figures.GroupsAsOne(), figures.AllBookings());
  }
}

// A booked time of an hour and a half: the totals row's booked total is then
// the database's sum (read once the bookings are summed), still that of a
// run without grouping.
TEST(GroupFigures, ABookedTimeInPartsOfAnHourStillTotalsAsTheRunWithoutGrouping) {
  testing::TempDir dir;
  const std::string db = testing::TinyErp(dir);
  testing::ExecOn(db, R"(
INSERT INTO PD44_VERSORE (PD44_DITTA_CG18, PD44_PRGMVORE_PD31, PD44_DATAREG, PD44_CODART_MG66, PD44_CODFASE_PD12,
  PD44_SEQFASE, PD44_CODFORNREP, PD44_MACCHINA_PD08, PD44_CODDIP_PD06, PD44_NUMREG_CO99, PD44_PROGRIGA_DO30,
  PD44_QTALAV, PD44_INDORA, PD44_OREORD, PD44_MINORD, PD44_SECORD) VALUES
  (1, 6, '2026-03-06 00:00:00', 'A1', 10, 0, 'R01', 'M1', NULL, NULL, NULL, 10, 0, 1.5, 10, 0);
)");
  const CategoryFigures all = WithoutGrouping(db, 0);
  host::testing::FakeForm form;
  auto run = RunOn(form, db, {"Articolo"}, 0);
  GroupFigures figures(*run, {});
  Finish(figures);
  const CategoryFigures got = figures.AllBookings();
  EXPECT_TRUE(run->TakeStatus().diagnostics().empty());
  // 1.5 h and 10 min of this booking beside the others' whole hours.
  EXPECT_EQ(got[0].booked.ToDecimal(), all[0].booked.ToDecimal());
  EXPECT_EQ(got[0].planned.ToDecimal(), all[0].planned.ToDecimal());
}

// Bookings whose article is Null beside blank and whose phase sequence is
// Null beside 0: the groups that one "= NULL" would merge keep their own.
std::string CollidingErp(const testing::TempDir& dir) {
  const std::string path = testing::TinyErp(dir);
  testing::ExecOn(path, R"(
INSERT INTO PD44_VERSORE (PD44_DITTA_CG18, PD44_PRGMVORE_PD31, PD44_DATAREG, PD44_CODART_MG66, PD44_CODFASE_PD12,
  PD44_SEQFASE, PD44_CODFORNREP, PD44_MACCHINA_PD08, PD44_CODDIP_PD06, PD44_NUMREG_CO99, PD44_PROGRIGA_DO30,
  PD44_QTALAV, PD44_INDORA, PD44_OREORD, PD44_MINORD, PD44_SECORD) VALUES
  (1, 6, '2026-03-06 00:00:00', '', 10, 0, 'R01', 'M1', NULL, NULL, NULL, 10, 0, 0, 10, 0),
  (1, 7, '2026-03-07 00:00:00', NULL, 10, 0, 'R01', 'M1', NULL, NULL, NULL, 10, 0, 0, 11, 0),
  (1, 8, '2026-03-08 00:00:00', '', 10, NULL, 'R01', NULL, 'E1', NULL, NULL, 10, 1, 0, 12, 0),
  (1, 9, '2026-03-09 00:00:00', 'A1', 10, 0, 'R01', 'M1', NULL, NULL, NULL, 4, 0, 0, 13, 0),
  (1, 10, '2026-03-10 00:00:00', 'A1', 10, NULL, 'R01', 'M1', 'E1', NULL, NULL, 6, 1, 0, 14, 0);
)");
  return path;
}

TEST(GroupFigures, GroupsThatOneNullFilterWouldMergeKeepTheirOwnBookings) {
  testing::TempDir dir;
  const std::string db = CollidingErp(dir);
  host::testing::FakeForm form;
  auto run = RunOn(form, db, {"Articolo", "Sequenza fase"}, 0);
  auto& r = run->Records();
  // A1 at 10, 0 and Null; blank at 0 and Null; Null at 0 and Null.
  EXPECT_GE(r.RSTempiVer->RecordCount(), 6U);
  // The one pass, given each group's filter unwritten as the figures give
  // it, keeps the bookings of its visit's filter text.
  GroupMembership membership(r.RSTempiVerDett->Storage());
  std::vector<std::vector<uint32_t>> want;
  for (r.RSTempiVer->MoveFirst(); !r.RSTempiVer->Eof(); r.RSTempiVer->MoveNext()) {
    const std::string filter = run->Totals().GroupFilter();
    membership.AddGroup(run->Totals().GroupCriteria(r.RSTempiVerDett->Storage()));
    auto bookings = r.RSTempiVerDett->Clone();
    bookings->SetFilter(filter);
    want.emplace_back();
    for (; !bookings->Eof(); bookings->MoveNext()) want.back().push_back(static_cast<uint32_t>(bookings->StorageRow()));
  }
  while (!membership.Assign(3)) {
  }
  size_t bookings = 0;
  for (size_t g = 0; g < want.size(); ++g) {
    const auto rows = membership.RowsOf(g);
    EXPECT_EQ(std::vector<uint32_t>(rows.begin(), rows.end()), want[g]) << "group " << g;
    bookings += rows.size();
  }
  // Each booking in exactly one group.
  EXPECT_EQ(bookings, r.RSTempiVerDett->RecordCount());
  EXPECT_EQ(bookings, 10U);
  EXPECT_EQ(CompareEveryGroup(db, {"Articolo", "Sequenza fase"}, 0, nullptr), r.RSTempiVer->RecordCount());
}

}  // namespace
}  // namespace engine
