// One comparison run and everything it produced: the five record sets, the
// group description, the unit and options, the connection it read, the
// production services, the phase source and the group totals. The command
// line, the query form, the results form, the print and the export all take
// this object; its record sets are shared with them, never copied.
//
// Made by one call (Comparison::Make) from the run's inputs. What a step has
// to say (errors under their procedure's name, warnings, a cancellation) is
// answered as a host::Status; the caller decides what to show.
#pragma once

#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include "engine/comparison_run.h"
#include "engine/group_totals.h"
#include "engine/progress.h"
#include "engine/run_context.h"
#include "engine/time_unit.h"
#include "host/controls/order_control.h"
#include "host/controls/query_control.h"
#include "host/db/connection.h"
#include "host/services/production_services.h"

namespace engine {

struct ComparisonRequest {
  std::shared_ptr<host::db::Connection> connection;  // open; the run keeps it for its life
  std::string company;                               // PvarCodDitta as text (a whole number)
  // The controls as the user left them: copied, so that the form may change
  // its own while the run works.
  host::QueryControl query;
  host::OrderControl order;
  TipoTempo unit = kOreMinutiSecondi;
  bool exclude_wait = false;   // CHK_ATTESA
  bool exclude_queue = false;  // CHK_CODA
  bool fashion = false;        // the fashion-attributes flag
  // Bookings from which phase rows are read in bulk (see PhaseSource).
  int64_t prefetch_from = 2000;
  // Bookings from which a second thread takes part in the planned times
  // (see RunInputs); none: the default.
  std::optional<int64_t> beside_from;
  // The order states that mean "closed" to this user (FasiNonVersate's
  // CHIUSA); none: nothing is said about closed.
  std::vector<int64_t> closed_states;
};

class Comparison {
 public:
  // `language` gives the run its texts and must outlive it.
  Comparison(host::LanguageServices& language, ComparisonRequest request);
  ~Comparison();
  Comparison(const Comparison&) = delete;
  Comparison& operator=(const Comparison&) = delete;

  // Makes the object and runs LeggiVersamentiTempi on it (its status in
  // RunStatus()). Never null.
  static std::unique_ptr<Comparison> Make(host::LanguageServices& language, ComparisonRequest request,
                                          Progress& progress);

  // Reads the bookings and works out their planned times; answers how it
  // went: failed with the step's error under "LeggiVersamentiTempi" or
  // "CalcolaTempiPreventiviDettagliati", cancelled after Cancel (nothing to
  // show), a warning for bookings left without times. May run on another
  // thread than the one that made the object (one thread at a time).
  host::Status Run(Progress& progress);
  // Stops a run in progress from any thread, within the current statement
  // or booking; the run then answers cancelled.
  void Cancel();

  // The status the last Run answered.
  [[nodiscard]] const host::Status& RunStatus() const { return run_status_; }
  [[nodiscard]] bool Failed() const { return run_status_.failed(); }
  // The last run (or group totals) stopped because Cancel was asked.
  [[nodiscard]] bool Cancelled() const { return stopped_; }
  // No group to show (RecordsetVuoto of RSTempiVer).
  [[nodiscard]] bool Empty() const;

  [[nodiscard]] RunRecordSets& Records() { return reader_->Records(); }
  [[nodiscard]] const std::string& DescrizioneGruppo() const { return reader_->DescrizioneGruppo(); }
  [[nodiscard]] TipoTempo Unit() const { return request_.unit; }
  [[nodiscard]] PhaseOptions Options() const { return reader_->Options(); }
  [[nodiscard]] bool ExcludeWait() const { return request_.exclude_wait; }
  [[nodiscard]] bool ExcludeQueue() const { return request_.exclude_queue; }
  [[nodiscard]] const std::string& Company() const { return request_.company; }
  [[nodiscard]] const std::vector<int64_t>& ClosedStates() const { return request_.closed_states; }
  [[nodiscard]] const host::QueryControl& Query() const { return request_.query; }
  [[nodiscard]] const host::OrderControl& Order() const { return request_.order; }
  [[nodiscard]] host::db::Connection& Connection() { return *request_.connection; }
  [[nodiscard]] host::ProductionServices& Production() { return *production_; }
  [[nodiscard]] ComparisonRun& Reader() { return *reader_; }
  // The group totals (made after a run that found groups).
  [[nodiscard]] GroupTotals& Totals();
  // The grouping columns, in the order of the grouping list.
  [[nodiscard]] const std::vector<std::string>& GroupingColumns() const { return grouping_columns_; }
  // Computes every group's totals, stopping at the first failure.
  host::Status ComputeAll(Progress& progress);
  // Makes the current group's totals current in RSTempiPrev (a first visit
  // computes them); a failure under "TempiPreventivi".
  host::Status TempiPreventivi();

  // The run's language and diagnostics: the group figures, the print and
  // the export work through it; TakeStatus answers what they said since the
  // last call (and what a step taken alone, such as a visit, said).
  [[nodiscard]] RunContext& Context() { return context_; }
  [[nodiscard]] host::Status TakeStatus() { return context_.Take(); }

 private:
  // Passes progress on and stops the run once Cancel was asked.
  class CancellableProgress : public Progress {
   public:
    explicit CancellableProgress(const std::atomic<bool>& cancel) : cancel_(cancel) {}
    void Target(Progress* target) { target_ = target; }
    void Show(int64_t maximum) override;
    void Set(int64_t value) override;
    void Hide() override;
    void Stage(RunStage stage) override;
    void Follow(std::function<int64_t()> count) override;

   private:
    const std::atomic<bool>& cancel_;
    Progress* target_ = nullptr;
  };

  std::atomic<bool> cancel_{false};
  bool stopped_ = false;
  CancellableProgress progress_{cancel_};
  RunContext context_;
  host::Status run_status_;
  ComparisonRequest request_;
  std::unique_ptr<host::ProductionServices> production_;
  std::unique_ptr<ComparisonRun> reader_;
  std::unique_ptr<GroupTotals> totals_;
  std::vector<std::string> grouping_columns_;
};

}  // namespace engine
