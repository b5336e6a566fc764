// One comparison run and everything it produced: the five record sets, the
// group description, the unit and options, the connection it read, the
// production services, the phase source and the group totals. The command
// line, the query form, the results form, the print and the export all take
// this object; its record sets are shared with them, never copied.
//
// Made by one call (Comparison::Make) from the run's inputs. Errors are
// reported through the form it is attached to (see FormRelay) and also kept
// as a value: Failed() after a failed run, Cancelled() after Cancel().
#pragma once

#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include "engine/comparison_run.h"
#include "engine/form_relay.h"
#include "engine/group_totals.h"
#include "engine/progress.h"
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
  // The order states that mean "closed" to this user (FasiNonVersate's
  // CHIUSA); none: nothing is said about closed.
  std::vector<int64_t> closed_states;
};

class Comparison {
 public:
  Comparison(FormServices& form, ComparisonRequest request);
  ~Comparison();
  Comparison(const Comparison&) = delete;
  Comparison& operator=(const Comparison&) = delete;

  // Makes the object and runs LeggiVersamentiTempi on it. Never null.
  static std::unique_ptr<Comparison> Make(FormServices& form, ComparisonRequest request, Progress& progress);

  // Reads the bookings and works out their planned times; answers true when
  // it failed or was cancelled. May run on another thread than the one that
  // made the object if reports are held (Relay().Hold(true)).
  bool Run(Progress& progress);
  // Stops a run in progress from any thread, within the current statement
  // or booking; the run then answers true and Cancelled() is true.
  void Cancel();

  [[nodiscard]] bool Failed() const { return relay_.Failures() > 0; }
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
  // Computes every group's totals; answers true when it failed.
  bool ComputeAll(Progress& progress);

  // Where reports go: attach the form that shows the run.
  [[nodiscard]] FormRelay& Relay() { return relay_; }

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
  FormRelay relay_;
  ComparisonRequest request_;
  std::unique_ptr<host::ProductionServices> production_;
  std::unique_ptr<ComparisonRun> reader_;
  std::unique_ptr<GroupTotals> totals_;
  std::vector<std::string> grouping_columns_;
};

}  // namespace engine
