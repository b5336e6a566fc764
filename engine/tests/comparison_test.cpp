// The run object on the hand-made database: one call makes it, it owns what
// the run produced, and failure and cancellation are values as well as
// reports.
#include "engine/comparison.h"

#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <filesystem>
#include <mutex>
#include <thread>

#include "engine/field_lists.h"
#include "engine/tests/failing_connection.h"
#include "host/tests/fake_form.h"
#include "engine/tests/run_request.h"
#include "engine/tests/tiny_erp.h"

namespace engine {
namespace {

using host::testing::ErrorTexts;

// A connection whose detailed booking query fails while its sibling's
// grouped query still runs: the sibling waits until it is interrupted.
class FailingBesideASibling : public testing::FailingConnection {
 public:
  explicit FailingBesideASibling(const std::string& database)
      : FailingConnection(host::db::OpenConnection(database), -1) {}
  [[nodiscard]] std::string BackEnd() const override { return inner_->BackEnd(); }
  [[nodiscard]] std::unique_ptr<host::db::Connection> OpenSibling() const override {
    return std::make_unique<Stalling>(sibling_running_);
  }

 protected:
  host::RecordSetPtr Run(std::string_view sql, int64_t* changes) override {
    // The detailed query (ordered by date last) fails once the grouped
    // one is running beside it.
    if (sql.size() > 12 && sql.substr(sql.size() - 12) == "PD44_DATAREG") {
      for (int i = 0; i < 500 && !*sibling_running_; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
      Fail({host::kErrDatabase, "the server closed the connection", "Test"});
    }
    return FailingConnection::Run(sql, changes);
  }

 private:
  // Runs until interrupted, then stops as a cancelled statement does.
  class Stalling : public host::db::Connection {
   public:
    explicit Stalling(std::shared_ptr<std::atomic<bool>> running) : running_(std::move(running)) {}
    void Open(const std::string&) override {}
    void Close() override {}
    [[nodiscard]] bool IsOpen() const override { return true; }
    [[nodiscard]] std::string BackEnd() const override { return "stalling"; }
    host::DateService& Dates() override { return dates_; }
    host::NumberService& Numbers() override { return numbers_; }
    void Interrupt() override {
      std::lock_guard lock(mutex_);
      interrupted_ = true;
      changed_.notify_all();
    }

   protected:
    host::RecordSetPtr Run(std::string_view, int64_t*) override {
      *running_ = true;
      std::unique_lock lock(mutex_);
      changed_.wait_for(lock, std::chrono::seconds(20), [this] { return interrupted_; });
      lock.unlock();
      Fail({host::kErrCancelled, "Stopped", "Test"});
    }

   private:
    std::shared_ptr<std::atomic<bool>> running_;
    std::mutex mutex_;
    std::condition_variable changed_;
    bool interrupted_ = false;
    host::PlainDateService dates_;
    host::PlainNumberService numbers_;
  };
  std::shared_ptr<std::atomic<bool>> sibling_running_ = std::make_shared<std::atomic<bool>>(false);
};

class ComparisonTest : public ::testing::Test {
 protected:
  ComparisonRequest Request(std::vector<std::string> grouping) {
    ComparisonRequest request = testing::RequestOn(Database(), grouping);
    request.query.Settings(host::ControlSettings{"1", "", "", "", false, nullptr});
    return request;
  }

  // The hand-made database, made on first use.
  std::string Database() {
    const std::string path = dir_.File("tiny.db");
    return std::filesystem::exists(path) ? path : testing::TinyErp(dir_);
  }

  testing::TempDir dir_;
  host::testing::FakeForm form_;
  NoProgress progress_;
};

TEST_F(ComparisonTest, OneCallMakesARunThatOwnsItsRecordSets) {
  auto run = Comparison::Make(form_, Request({"Articolo"}), progress_);
  ASSERT_TRUE(run->RunStatus().diagnostics().empty()) << ErrorTexts(run->RunStatus()).front();
  EXPECT_FALSE(run->Failed());
  EXPECT_FALSE(run->Cancelled());
  EXPECT_FALSE(run->Empty());
  EXPECT_EQ(run->GroupingColumns(), std::vector<std::string>{"PD44_CODART_MG66"});
  const host::RecordSet* groups = run->Records().RSTempiVer.get();
  const host::RecordSet* prev = run->Records().RSTempiPrev.get();
  EXPECT_TRUE(run->ComputeAll(progress_).ok());
  // The group totals fill the run's own record sets, not copies.
  EXPECT_EQ(run->Records().RSTempiVer.get(), groups);
  EXPECT_EQ(run->Records().RSTempiPrev.get(), prev);
  EXPECT_EQ(prev->RecordCount(), groups->RecordCount());
}

TEST_F(ComparisonTest, NoMatchIsEmptyAndNoFailure) {
  auto request = Request({"Articolo"});
  request.query.SetFrom("PD44_CODART_MG66", std::string("NOTHING"));
  auto run = Comparison::Make(form_, std::move(request), progress_);
  EXPECT_TRUE(run->RunStatus().diagnostics().empty());
  EXPECT_FALSE(run->Failed());
  EXPECT_TRUE(run->Empty());
  EXPECT_TRUE(run->ComputeAll(progress_).ok());
}

// Articles in categories: A1 by its code, A2 only with a variant the
// bookings do not carry, and by its code in a second category.
TEST_F(ComparisonTest, TheCategoryConditionKeepsTheBookingsOfItsArticles) {
  const std::string database = Database();
  testing::ExecOn(database, "INSERT INTO CO5C_CATEGORIEART VALUES (1, 'A1', '', 'MECC'), (1, 'A2', 'ROS', 'SPECIALE'),"
                " (1, 'A2', '', 'VERNIC'), (2, 'A2', '', 'MECC')");
  const auto bookings = [&](const std::string& from, const std::string& to) {
    auto request = Request({"Articolo"});
    request.query.SetFrom("CO5C_CODCAT", from);
    if (!to.empty()) request.query.SetTo("CO5C_CODCAT", to);
    auto run = Comparison::Make(form_, std::move(request), progress_);
    EXPECT_TRUE(run->RunStatus().diagnostics().empty());
    return run->Empty() ? 0 : run->Records().RSTempiVerDett->RecordCount();
  };
  // MECC: bookings 1, 2 and 5 of A1; company 2's row is not company 1's.
  for (const auto& [from, to, count] :
       {std::tuple{"MECC", "", 3}, {"VERNIC", "", 1}, {"SPECIALE", "", 0}, {"*C", "", 4}, {"A", "N", 3}}) {
    EXPECT_EQ(bookings(from, to), count) << from << ".." << to;
  }
}

// The demo sends some work out to the supplier department F1001, and plans
// it there: its bookings find their phase, and the group has a plan.
TEST_F(ComparisonTest, TheDemosExternalWorkIsPlanned) {
  auto request = testing::RequestOn(testing::DemoDatabase(), {"Reparto"});
  request.query.SetFrom("PD44_CODFORNREP", std::string("F1001"));
  auto run = Comparison::Make(form_, std::move(request), progress_);
  ASSERT_FALSE(run->Failed());
  ASSERT_FALSE(run->Empty());
  EXPECT_TRUE(run->ComputeAll(progress_).ok());
  auto& bookings = *run->Records().RSTempiPrevDett;
  size_t planned = 0;
  for (bookings.MoveFirst(); !bookings.Eof(); bookings.MoveNext()) {
    if (!bookings.Value("IDCICLO").IsNull()) ++planned;
  }
  EXPECT_GE(bookings.RecordCount(), 10U);
  EXPECT_EQ(planned, bookings.RecordCount());
  auto& group = *run->Records().RSTempiPrev;
  group.MoveFirst();
  EXPECT_NE(group.Value("OMSPREV").JoinedText(), "");
  EXPECT_TRUE(run->TakeStatus().diagnostics().empty());
}

// The detailed query fails while the grouped one runs beside it: the run
// reports the failure, not the stop of the query it no longer needs.
TEST_F(ComparisonTest, AFailureBesideTheOtherQueryIsTheOneReported) {
  auto request = Request({"Articolo"});
  request.connection = std::make_shared<FailingBesideASibling>(Database());
  auto run = Comparison::Make(form_, std::move(request), progress_);
  EXPECT_TRUE(run->Failed());
  EXPECT_FALSE(run->Cancelled());
  const auto texts = ErrorTexts(run->RunStatus());
  ASSERT_FALSE(texts.empty());
  EXPECT_EQ(texts.front(), "the server closed the connection");
}

TEST_F(ComparisonTest, ACancelledRunAnswersCancelledWithNothingToShow) {
  Comparison run(form_, Request({"Articolo"}));
  run.Cancel();
  const host::Status status = run.Run(progress_);
  EXPECT_TRUE(status.cancelled());
  EXPECT_TRUE(status.diagnostics().empty());
  EXPECT_TRUE(run.Cancelled());
  EXPECT_FALSE(run.Failed());
}

// A connection that fails half-way, at every statement in turn: each run
// says it failed (reported once, by the procedure that met it) and shows
// nothing itself, and the group totals of a failed run are not attempted;
// nothing leaks (ASan).
TEST_F(ComparisonTest, AFailureAtAnyStatementIsAFailedRun) {
  int64_t statements = 0;
  {
    auto request = Request({"Reparto", "Fase"});
    request.prefetch_from = 0;  // the bulk phase reads too
    auto counting = std::make_shared<testing::FailingConnection>(host::db::OpenConnection(Database()), -1);
    request.connection = counting;
    auto run = Comparison::Make(form_, std::move(request), progress_);
    ASSERT_FALSE(run->Failed());
    ASSERT_TRUE(run->ComputeAll(progress_).ok());
    statements = counting->Seen();
  }
  ASSERT_GT(statements, 3);
  for (int64_t n = 1; n <= statements; ++n) {
    host::testing::FakeForm form;
    auto request = Request({"Reparto", "Fase"});
    request.prefetch_from = 0;
    request.connection =
        std::make_shared<testing::FailingConnection>(host::db::OpenConnection(Database()), n);
    auto run = Comparison::Make(form, std::move(request), progress_);
    const host::Status status = run->Failed() ? run->RunStatus() : run->ComputeAll(progress_);
    EXPECT_TRUE(status.failed()) << "statement " << n;
    const auto texts = ErrorTexts(status);
    EXPECT_GE(texts.size(), 1U) << "statement " << n;
    if (!texts.empty()) {
      EXPECT_EQ(texts.front(), "the server closed the connection") << n;
    }
    EXPECT_TRUE(form.errors.empty()) << "statement " << n;  // shown only when the form chooses
  }
}

// Validation names the field and the side before any SQL is built.
TEST(QueryValidation, RefusesImpossibleValuesOnTheirField) {
  host::QueryControl query;
  LoadFilterFields(query, false);
  query.SetFrom("PD44_DATAREG", std::string("2026-02-30"));
  query.SetTo("PD44_CODFASE_PD12", std::string("1O"));
  query.SetFrom("VS_MG66.V_IDSTATO", std::string("attivo"));
  query.SetFrom("PD44_CODART_MG66", std::string("ART*"));  // a pattern passes
  query.SetFrom("PD44_CODCOMM", std::string("   "));      // blank sets no condition
  const auto problems = query.Validate();
  ASSERT_EQ(problems.size(), 3U);
  EXPECT_EQ(problems[0].caption, "Data reg.vers.");
  EXPECT_FALSE(problems[0].to_side);
  EXPECT_EQ(problems[0].message, "\"Data reg.vers.\": '2026-02-30' is not a date (use YYYY-MM-DD or DD/MM/YYYY)");
  EXPECT_EQ(problems[1].caption, "Fase");
  EXPECT_TRUE(problems[1].to_side);
  EXPECT_EQ(problems[1].message, "\"Fase\": '1O' is not a number");
  EXPECT_EQ(problems[2].caption, "Stato articolo");
  EXPECT_EQ(problems[2].message, "\"Stato articolo\": 'attivo' is not a state number");
  EXPECT_FALSE(query.CheckValue("PD44_DATAREG", std::string("28/02/2026")).has_value());
}

}  // namespace
}  // namespace engine
