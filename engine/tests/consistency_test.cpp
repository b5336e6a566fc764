// On the demo database: every group's filter keeps exactly the bookings its
// row summed, and reading phase rows in bulk changes no number. (The same
// run through the ODBC back end: host/tests/odbc_reading_test.cpp, whose
// outputs carry every field of these records.)
#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <numeric>
#include <set>
#include <thread>

#include "engine/comparison_run.h"
#include "engine/field_lists.h"
#include "engine/group_totals.h"
#include "engine/order_phases_beside.h"
#include "engine/tests/demo_db.h"
#include "host/tests/fake_form.h"

namespace engine {
namespace {

using host::Variant;

// The demo database, read as a slow back end reads it: a read that was
// given work for its waits waits, once its rows are all stored, until that
// work has done something and then has nothing left (as long as the run's
// bulk read of phase rows beside it takes, the first wait).
class SlowReadConnection : public host::db::Connection {
 public:
  explicit SlowReadConnection(std::unique_ptr<host::db::Connection> inner) : inner_(std::move(inner)) {}
  void Open(const std::string& text) override { inner_->Open(text); }
  void Close() override { inner_->Close(); }
  [[nodiscard]] bool IsOpen() const override { return inner_->IsOpen(); }
  void Interrupt() override { inner_->Interrupt(); }
  [[nodiscard]] std::unique_ptr<host::db::Connection> OpenSibling() const override { return inner_->OpenSibling(); }
  [[nodiscard]] std::string BackEnd() const override { return inner_->BackEnd(); }
  host::DateService& Dates() override { return inner_->Dates(); }
  host::NumberService& Numbers() override { return inner_->Numbers(); }

 protected:
  host::RecordSetPtr Run(std::string_view sql, int64_t* changes) override {
    if (changes != nullptr) {
      *changes = inner_->ExecuteNoRecords(sql);
      return nullptr;
    }
    host::RecordSetPtr rows = inner_->Execute(sql);
    if (HasWorkWhileWaiting()) {
      const std::function<bool()> work = WorkWhileWaiting(rows->SharedStorage());
      const auto give_up = std::chrono::steady_clock::now() + std::chrono::seconds(30);
      while (!work() && std::chrono::steady_clock::now() < give_up) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
      }
      while (work()) {
      }
    }
    return rows;
  }

 private:
  std::unique_ptr<host::db::Connection> inner_;
};

struct DemoRun {
  host::testing::FakeForm form;
  RunContext context{form};
  // What the run said so far, shown on the test's form.
  host::testing::FakeForm& Shown() {
    form.Show(context.Take());
    return form;
  }
  NoProgress progress;
  std::unique_ptr<host::db::Connection> connection;
  std::unique_ptr<host::ProductionServices> production_holder;
  // `slow_read`: through a SlowReadConnection.
  explicit DemoRun(bool slow_read = false)
      : connection(slow_read ? std::make_unique<SlowReadConnection>(host::db::OpenConnection(testing::DemoDatabase()))
                             : host::db::OpenConnection(testing::DemoDatabase())),
        production_holder(std::make_unique<host::ProductionServices>(*connection, "1")),
        production(*production_holder) {}
  host::ProductionServices& production;
  host::QueryControl query;
  host::OrderControl order;
  std::unique_ptr<ComparisonRun> run;
  std::vector<std::string> grouping;

  // `beside_from`: the thread beside the pass from that many bookings (by
  // default never, whatever the machine's cores).
  void Run(const std::string& unit, const std::vector<std::string>& captions, int64_t prefetch_from,
           int64_t beside_from = INT64_MAX) {
    LoadFilterFields(query, false);
    LoadGroupingFields(order);
    if (!captions.empty()) order.SetGrouping(captions);
    for (const auto& item : order.Items()) {
      if (item.use == host::OrderControl::Use::Grouping) grouping.push_back(item.column);
    }
    RunInputs in;
    in.connection = connection.get();
    in.company = "1";
    in.query = &query;
    in.order = &order;
    in.unit = static_cast<TipoTempo>(std::stoi(unit));
    in.production = &production;
    in.progress = &progress;
    in.prefetch_from = prefetch_from;
    in.beside_from = beside_from;
    run = std::make_unique<ComparisonRun>(context, in);
    run->LeggiVersamentiTempi();
  }
};

TEST(GroupConsistency, EveryGroupKeepsExactlyItsBookings) {
  const std::vector<std::vector<std::string>> groupings{{},
                                                        {"Reparto", "Fase"},
                                                        {"Dipendente"},
                                                        {"Macchina", "Dipendente"},
                                                        {"Nodo", "Progetto"},
                                                        {"Data consegna"},
                                                        {"Sottocommessa", "Commessa", "Variante"}};
  for (const auto& captions : groupings) {
    DemoRun s;
    s.Run("3", captions, 2000);
    ASSERT_TRUE(s.Shown().errors.empty()) << s.Shown().error_texts.front();
    auto& r = s.run->Records();
    GroupTotals totals(s.context, r, s.run->Phases(), s.production, 3, s.run->Options(), s.grouping);
    std::set<std::string> seen;
    size_t kept = 0;
    for (r.RSTempiVer->MoveFirst(); !r.RSTempiVer->Eof(); r.RSTempiVer->MoveNext()) {
      const std::string filter = totals.GroupFilter();
      r.RSTempiVerDett->SetFilter(filter);
      // The same filter unwritten (the figures' way) keeps the same rows.
      std::vector<uint32_t> rows;
      host::Table& table = r.RSTempiVerDett->Storage();
      const host::Criteria criteria = totals.GroupCriteria(table);
      std::vector<uint32_t> unwritten(criteria.any_of.empty() ? table.RowCount() : 0);
      std::iota(unwritten.begin(), unwritten.end(), 0U);  // no criteria: every booking
      if (!criteria.any_of.empty()) unwritten = host::SelectRows(criteria, table);
      host::Decimal booked;
      for (; !r.RSTempiVerDett->Eof(); r.RSTempiVerDett->MoveNext()) {
        rows.push_back(static_cast<uint32_t>(r.RSTempiVerDett->StorageRow()));
        booked = booked + r.RSTempiVerDett->Value("SECVERS").ToDecimal();
        EXPECT_TRUE(seen.insert(r.RSTempiVerDett->Value("PD44_PRGMVORE_PD31").ToText()).second)
            << "a booking in two groups: " << filter;
        ++kept;
      }
      ASSERT_EQ(booked, r.RSTempiVer->Value("SECVERS").ToDecimal()) << filter;
      ASSERT_EQ(unwritten, rows) << filter;
    }
    r.RSTempiVerDett->SetFilter("");
    EXPECT_EQ(kept, r.RSTempiVerDett->RecordCount()) << captions.size();
  }
}

// Read in bulk, with the thread beside the pass answering the order phases
// of the later bookings, and with every booking's answered while the
// bookings were read: the same records and group totals, field by field,
// as phase rows read by query.
TEST(GroupConsistency, BulkPhaseRowsAndTheThreadBesideGiveTheSameNumbersAsTheQueries) {
  for (const std::string unit : {"0", "2"}) {
    DemoRun by_query;
    by_query.Run(unit, {"Reparto", "Fase"}, INT64_MAX);
    DemoRun bulk;
    bulk.Run(unit, {"Reparto", "Fase"}, 0);
    DemoRun beside;
    beside.Run(unit, {"Reparto", "Fase"}, 0, 0);
    DemoRun while_reading(true);
    while_reading.Run(unit, {"Reparto", "Fase"}, 0, 0);
    EXPECT_EQ(while_reading.run->LastTimings().answered_while_reading,
              while_reading.run->Records().RSTempiVerDett->RecordCount());
    ASSERT_TRUE(by_query.Shown().errors.empty());
    EXPECT_GT(by_query.run->Phases().Statements(), 100);
    for (DemoRun* other : {&bulk, &beside, &while_reading}) {
      ASSERT_TRUE(other->Shown().errors.empty());
      EXPECT_EQ(other->run->Phases().Statements(), 4);
      auto a = by_query.run->Records().RSTempiPrevDett;
      auto b = other->run->Records().RSTempiPrevDett;
      ASSERT_EQ(a->RecordCount(), b->RecordCount());
      int planned = 0;
      for (a->MoveFirst(), b->MoveFirst(); !a->Eof(); a->MoveNext(), b->MoveNext()) {
        for (size_t f = 0; f < a->FieldCount(); ++f) {
          ASSERT_EQ(a->Value(f), b->Value(f))
              << a->Field(f).name << " of " << a->Value(size_t{0}).ToText() << " unit " << unit << ": "
              << a->Value(f).JoinedText() << " vs " << b->Value(f).JoinedText() << " cycle "
              << a->Value(size_t{1}).JoinedText() << "/" << b->Value(size_t{1}).JoinedText() << " qty "
              << a->Value(size_t{2}).JoinedText() << (other == &beside ? " (beside)" : " (bulk)");
        }
        planned += a->Value("IDCICLO").IsNull() ? 0 : 1;
      }
      EXPECT_GT(planned, static_cast<int>(a->RecordCount() * 8 / 10));
    }
    // And the group totals agree too.
    for (DemoRun* s : {&by_query, &bulk, &beside}) {
      GroupTotals totals(s->context, s->run->Records(), s->run->Phases(), s->production, Variant(unit).ToInt16(),
                         s->run->Options(), s->grouping);
      totals.ComputeAll(s->progress);
    }
    for (DemoRun* other : {&bulk, &beside}) {
      auto ga = by_query.run->Records().RSTempiPrev;
      auto gb = other->run->Records().RSTempiPrev;
      ASSERT_EQ(ga->RecordCount(), gb->RecordCount());
      for (ga->MoveFirst(), gb->MoveFirst(); !ga->Eof(); ga->MoveNext(), gb->MoveNext()) {
        for (size_t f = 0; f < ga->FieldCount(); ++f) ASSERT_EQ(ga->Value(f), gb->Value(f)) << ga->Field(f).name;
      }
    }
  }
}

// What the thread beside answers for each booking is what the pass alone
// planned for it: the same phase row and the same times where it computed,
// nothing planned where it found no order phase (the demo has none), and a
// cycle phase (or a formula) left to the pass. Answered a few at a time on
// this thread (as while the bookings are read), the same answers.
TEST(GroupConsistency, TheThreadBesideAnswersWhatThePassAlonePlans) {
  DemoRun alone;
  alone.Run("0", {"Reparto", "Fase"}, 0);
  ASSERT_TRUE(alone.Shown().errors.empty());
  host::RecordSet& bookings = *alone.run->Records().RSTempiVerDett;
  const auto at = [&](const char* name) { return bookings.FieldIndex(name); };
  const OrderPhasesBeside::Columns columns{at("DO30_IDDISBA_PD95"), at("PD44_NUMREG_CO99"),  at("PD44_PROGRIGA_DO30"),
                                           at("PD44_CODFORNREP"),   at("PD44_CODFASE_PD12"), at("PD44_CODART_MG66"),
                                           at("PD44_OPZIONE")};
  OrderPhasesBeside beside(bookings.SharedStorage(), columns, alone.run->Phases(), alone.run->Options(), 0, 0);
  beside.Wait();
  OrderPhasesBeside stepwise(bookings.SharedStorage(), OrderPhasesBeside::Columns::Of(bookings.Storage()),
                             alone.run->Phases(), alone.run->Options(), 0);
  int slices = 0;
  while (stepwise.AnswerMore(100)) ++slices;
  EXPECT_EQ(slices, static_cast<int>((bookings.RecordCount() + 99) / 100));
  ASSERT_EQ(stepwise.Answered(), bookings.RecordCount());
  stepwise.EndAnswering();  // the answers stay
  EXPECT_FALSE(stepwise.AnswerMore(100));
  ASSERT_EQ(stepwise.Answered(), bookings.RecordCount());
  ASSERT_EQ(stepwise.ComputationCount(), beside.ComputationCount());
  for (size_t row = 0; row < bookings.RecordCount(); ++row) {
    const uint32_t answer = beside.AnswerAt(row);
    ASSERT_EQ(stepwise.AnswerAt(row), answer) << row;
    if (answer >= OrderPhasesBeside::kFirstComputation) {
      EXPECT_EQ(stepwise.ComputationOf(answer).row, beside.ComputationOf(answer).row) << row;
      EXPECT_EQ(stepwise.Records().KeptTimes(stepwise.ComputationOf(answer).times),
                beside.Records().KeptTimes(beside.ComputationOf(answer).times))
          << row;
    }
  }
  const PassTimes& pass = *alone.run->KeptPassTimes();
  host::RecordSet& records = *alone.run->Records().RSTempiPrevDett;
  int computed = 0, none = 0, asked = 0;
  for (records.MoveFirst(); !records.Eof(); records.MoveNext()) {
    const size_t row = records.StorageRow();
    const uint32_t answer = beside.AnswerAt(row);
    const std::string id = records.Value(size_t{0}).ToText();
    if (answer == OrderPhasesBeside::kAsk) {
      ++asked;
    } else if (answer == OrderPhasesBeside::kNoPhase) {
      ++none;
      EXPECT_TRUE(records.Value("IDCICLO").IsNull()) << id;
    } else {
      ++computed;
      const OrderPhasesBeside::Computation& c = beside.ComputationOf(answer);
      const PhaseRow phase = alone.run->Phases().BulkOrderRow(c.row);
      EXPECT_EQ(records.Value("IDCICLO"), phase.Get("PD2A_IDFASE")) << id;
      const std::optional<uint32_t> times = pass.Offered(row, true, records.Value("QTAODL"));
      ASSERT_TRUE(times.has_value()) << id;
      EXPECT_EQ(pass.Times(*times), beside.Records().KeptTimes(c.times)) << id;
    }
  }
  // The demo's 3,000 bookings: about 2,100 order phases, 700 cycle phases.
  EXPECT_GT(computed, 1500);
  EXPECT_GT(asked, 500);
  EXPECT_LT(beside.ComputationCount(), static_cast<size_t>(computed));  // each computation made once
}

}  // namespace
}  // namespace engine
