// The record sets of the comparison print and of the export (PreparaRSStampa):
// RSStampa, one record per group with its grouping values, their
// descriptions and the seven categories' planned and booked figures (a
// describing field that is no grouping dimension, such as the article of a
// department's group, is filled only when all the group's bookings share
// its value, else left empty, with its description), and
// RSStampaDett, the group's bookings linked by IDTESTATA.
//
// Built from the run object on clones, so that no grid moves; the figures
// of each group are the run's own group totals (computed where the group
// was not visited yet, and then kept for the results form as a visit
// keeps them). Without Qt.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "engine/comparison.h"
#include "host/value/status.h"
#include "host/recordset/recordset.h"
#include "host/services/decode_service.h"
#include "output/going_on.h"

namespace output {

struct PrintRecords {
  host::RecordSetPtr RSStampa;
  host::RecordSetPtr RSStampaDett;
  // What the report lists of each booking (its own layout, beside the
  // export's RSStampaDett): IDTESTATA, PD44_DATAREG, PD44_CODDIP_PD06,
  // PD44_MACCHINA_PD08, PD44_CODFASE_PD12, PD44_INDORA, PD44_QTALAV and
  // VERSTOTSEC as text.
  host::RecordSetPtr RSReportDett;
  // The print's optional sections (PreparaSezioniStampa), null when not
  // asked for: every group's months (engine::AndamentoMensile) and the
  // phases planned and never booked of the run's orders
  // (engine::FasiNonVersate).
  host::RecordSetPtr RSAndamento;
  host::RecordSetPtr RSFasiNonVersate;
};

// The 97 fields of RSStampa, unopened.
host::RecordSetPtr NewRSStampa();

// The category suffixes of RSStampa's fields, in field order, beside those
// of the result record sets: "" / "", "Lavoraz" / "_LAV", ... "SetupMan" /
// "_MANSET".
struct PrintCategory {
  const char* print_suffix;
  const char* result_suffix;
};
extern const PrintCategory kPrintCategories[7];

// PreparaRSStampa a few groups at a time, so that a window can show the
// report's first pages while the rest is prepared (and stay answering):
// the record sets are made at once, empty, and each Step adds whole groups
// (a group's record, then its bookings). A failure goes to the run's
// context as "PreparaRSStampa" (at once, or by the Step that meets it; the
// caller takes it with the run's TakeStatus) and ends the work: Done() and
// Failed(), the record sets as far as they were built.
// `groups`, when not empty, are the groups to prepare and their order (as
// the results grid shows them, sorted or searched): RSTempiVer's 0-based
// positions through no filter, any beyond its records left out; the
// bookings to prepare are then theirs. Empty: every group in RSTempiVer's
// order.
// The run and the record sets must outlive the object; nothing else may use
// the run's record sets during a Step (same thread only). The groups'
// filters it sets are not remembered by the run's rows: once the object and
// the record sets are gone, nothing of the print stays with the run.
class PrintPreparation {
 public:
  PrintPreparation(engine::Comparison& run, host::DecodeService& decode, PrintRecords& out,
                   std::vector<size_t> groups = {});
  ~PrintPreparation();
  PrintPreparation(const PrintPreparation&) = delete;
  PrintPreparation& operator=(const PrintPreparation&) = delete;

  // Prepares up to `groups` more groups; answers true once every group is
  // (or the work failed).
  bool Step(size_t groups);
  [[nodiscard]] bool Done() const;
  [[nodiscard]] bool Failed() const;
  // What the steps said since the last call (the failure, and what the
  // decodes and totals said on the way), for the caller to show.
  [[nodiscard]] host::Status TakeStatus();
  // The bookings copied so far, and all there are.
  [[nodiscard]] size_t BookingsDone() const;
  [[nodiscard]] size_t Bookings() const;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

// Builds both record sets. `for_export` is the export's call (the print
// passes false); the two build the same records. A failure answers failed
// under "PreparaRSStampa" (with what the decodes and totals said) and
// leaves the record sets as far as they were built. `going_on` hears of
// the bookings copied so far, group by group; when it answers false the
// building stops there and answers cancelled (the user stopped it).
// `groups`: as PrintPreparation's.
host::Status PreparaRSStampa(engine::Comparison& run, host::DecodeService& decode, bool for_export,
                             PrintRecords& out, const GoingOn& going_on = {}, std::vector<size_t> groups = {});

// Reads the sections asked for into `out` and drops the others. A failure
// answers failed under "PreparaSezioniStampa".
host::Status PreparaSezioniStampa(engine::Comparison& run, bool trend, bool unbooked, PrintRecords& out);

}  // namespace output
