// One comparison run of the query form: LeggiVersamentiTempi reads the
// bookings grouped and one by one, fills the field metadata, and
// CalcolaTempiPreventiviDettagliati works out the planned time of every
// booking into RSTempiPrevDett.
//
// A failure goes to the run's context under the procedure's name, the
// procedure leaves the record sets as far as it built them, and it answers
// true.
#pragma once

#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "engine/blank_variants.h"
#include "engine/booking_queries.h"
#include "engine/cycle_formulas.h"
#include "engine/layouts.h"
#include "engine/order_phases_beside.h"
#include "engine/pass_times.h"
#include "engine/phase_source.h"
#include "engine/planned_records.h"
#include "engine/progress.h"
#include "engine/run_context.h"
#include "engine/time_unit.h"
#include "host/controls/order_control.h"
#include "host/controls/query_control.h"
#include "host/db/connection.h"
#include "host/services/production_services.h"

namespace engine {

// What the run reads from the query form.
struct RunInputs {
  host::db::Connection* connection = nullptr;      // GconConnect
  std::string company;                             // PvarCodDitta, as text
  host::QueryControl* query = nullptr;             // KVL_ADVQ
  host::OrderControl* order = nullptr;             // KVL_ADVO
  TipoTempo unit = kOreMinutiSecondi;              // CMB_TIPOTEMPO
  PhaseOptions options;                            // CHK_ATTESA, CHK_CODA
  bool fashion = false;                            // the fashion-attributes flag
  bool fashion_cycles = false;                     // the host's three fashion-cycle switches, all on
  host::ProductionServices* production = nullptr;  // FwProductionServices
  Progress* progress = nullptr;                    // ProgBar
  // Bookings from which the phase rows are read in bulk (0: always, a huge
  // number: never).
  int64_t prefetch_from = 2000;
  // Bookings from which, once the phase rows are read in bulk, a second
  // thread answers the order phases of the later half of them
  // (OrderPhasesBeside); none: the default (DefaultBesideFrom).
  std::optional<int64_t> beside_from;
};

class ComparisonRun {
 public:
  ComparisonRun(RunContext& context, RunInputs inputs);

  // Both answer true when they failed (the failure left in the context);
  // an empty result is no failure.
  bool LeggiVersamentiTempi();
  bool CalcolaTempiPreventiviDettagliati();

  [[nodiscard]] RunRecordSets& Records() { return records_; }
  [[nodiscard]] const std::string& DescrizioneGruppo() const { return descrizione_gruppo_; }
  [[nodiscard]] const std::string& GroupedQuery() const { return grouped_sql_; }
  [[nodiscard]] const std::string& DetailedQuery() const { return detailed_sql_; }
  // All the selected bookings' booked total in one row (see BookingQueries).
  [[nodiscard]] const std::string& TotalQuery() const { return total_sql_; }
  [[nodiscard]] TipoTempo Unit() const;
  [[nodiscard]] PhaseOptions Options() const;
  [[nodiscard]] PhaseSource& Phases() { return *phases_; }
  [[nodiscard]] const RunInputs& Inputs() const { return inputs_; }
  // What the last pass's kept planned times were computed from (null
  // before a pass), for the group totals.
  [[nodiscard]] const std::shared_ptr<const PassTimes>& KeptPassTimes() const { return pass_times_; }
  // Seconds spent in the last run: grouped query, detailed query, planned
  // times; and the bookings whose order phases were answered while the
  // detailed query read them.
  struct Timings {
    double grouped = 0, detailed = 0, planned = 0;
    size_t answered_while_reading = 0;
  };
  [[nodiscard]] const Timings& LastTimings() const { return timings_; }
  // Stops the statements running for this run (any thread).
  void Interrupt();

 private:
  void CompleteFieldMetadata();
  struct PlannedPass;  // CalcolaTempiPreventiviDettagliati's steps
  // The two booking queries: at the same time when the back end gives a
  // sibling connection (the grouped one there), else one after the other
  // on the run's connection. Where the grouped rows can be worked out from
  // the detailed ones (CanGroupFromDetail), only the grouped query's
  // layout is asked for and the bookings are read once. Throws what either
  // throws, the grouped first.
  void ReadBothQueries(const BookingQueryInput& query);
  // RSTempiVer from the bookings read (GroupFromDetail), or from the
  // grouped query when they cannot tell it.
  void GroupBookings(const BookingQueryInput& query);
  // The groups worked out from the bookings read on a second thread while
  // this one works out the planned times (CalcolaTempiPreventiviDettagliati,
  // whose answer it gives); the grouped query afterwards where the bookings
  // cannot tell the groups. No group, or a first group without an id above
  // 0, leaves the run empty as before the planned times.
  bool GroupBesidePlanned(const BookingQueryInput& query);
  // Whether the run's thread answers order phases while the detailed query
  // waits for rows (two cores or more, no reconfigured cycles).
  [[nodiscard]] bool AnswersWhileReading() const;
  // A little of that answering, on `rows` read so far; whether more is left.
  bool AnswerWhileReading(const std::shared_ptr<const host::Table>& rows);
  // RSTempiVer's current group has an IDGRUPPO above 0.
  [[nodiscard]] bool FirstGroupHasId() const;

  RunContext& context_;
  RunInputs inputs_;
  RunRecordSets records_;
  std::string descrizione_gruppo_, grouped_sql_, detailed_sql_, total_sql_;
  std::unique_ptr<PhaseSource> phases_;
  std::unique_ptr<FashionCycleService> fashion_cycle_;
  std::shared_ptr<const PassTimes> pass_times_;
  Timings timings_;
  bool group_from_detail_ = false;  // this read asked only the grouped query's layout
  BlankVariants blank_variants_;    // of this read, when its groups take the variant's MAX()
  // The order phases of the bookings, answered on the run's thread while
  // the detailed query waited for its rows (null when none were).
  std::unique_ptr<OrderPhasesBeside> read_beside_;
  bool answering_failed_ = false;              // this read's answering gave up
  std::mutex sibling_mutex_;                   // guards sibling_ against Interrupt
  std::unique_ptr<host::db::Connection> sibling_;  // open while the detailed query runs beside
};


}  // namespace engine
