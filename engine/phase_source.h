// Where the planned-time calculation finds its phase rows and workers.
//
// Each lookup answers exactly what the corresponding query text of the
// calculation would answer for that booking (its first row). Two ways:
//  - by query: the query text runs (each distinct text once per run);
//  - prefetched: four bulk queries read every order phase, cycle phase and
//    worker of the company once, and lookups answer from memory. A key that
//    more than one row matches (where "first row" would depend on the
//    database's order) is answered by its query text instead.
// Prefetching pays off for large runs; small runs use the queries.
// Text keys compare as the ERP's server does: without case and trailing
// blanks.
#pragma once

#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "engine/key_index.h"
#include "engine/phase_calculation.h"
#include "host/db/connection.h"

namespace engine {

class PhaseSource {
 public:
  PhaseSource(host::db::Connection& connection, std::string company);

  // Reads the bulk tables (four statements), on `via` when given (another
  // connection to the same database, so that it can run beside a query of
  // the source's own). Errors are host::Error and leave the source as if it
  // had never prefetched.
  void Prefetch(host::db::Connection* via = nullptr);
  [[nodiscard]] bool Prefetched() const { return prefetched_; }

  // Booking lookups (order source; cycle by bill of materials; default cycle).
  std::optional<PhaseRow> OrderPhase(const std::string& numreg, const host::Variant& order_row,
                                     const std::string& department, const host::Variant& phase);
  std::optional<PhaseRow> CycleByBom(const std::string& department, const host::Variant& phase,
                                     const host::Variant& bom_id);
  std::optional<PhaseRow> DefaultCycle(const std::string& department, const host::Variant& phase,
                                       const std::string& cycle);
  // Phase rows by id (group totals) and workers by phase id.
  std::optional<PhaseRow> OrderPhaseById(const host::Variant& id);
  std::optional<PhaseRow> CyclePhaseById(const host::Variant& id);
  // The row OrderPhaseById(id) (`order`) or CyclePhaseById(id) answers, when
  // it is known to be row `row` of `table` without looking the id up: the
  // source has prefetched, `table` is its bulk table of that kind, the row's
  // id equals `id` and no other row has it. Nullopt when only the lookup can
  // tell (it may still answer that row).
  [[nodiscard]] std::optional<PhaseRow> KnownRowById(bool order, const host::Variant& id, const host::Table* table,
                                                     size_t row);
  // The workers live as long as the source.
  const std::vector<WorkerRow>& OrderWorkers(const host::Variant& phase_id);
  const std::vector<WorkerRow>& CycleWorkers(const host::Variant& cycle_id);

  // For a thread beside the one that looks up (they only read, and may run
  // beside any lookup above, never beside Prefetch):
  //  - what OrderPhase answers when the bulk tables alone tell it: a row, or
  //    none for a key of no row; nullopt when only OrderPhase can tell (the
  //    source has not prefetched, or several rows share the key);
  [[nodiscard]] std::optional<std::optional<PhaseRow>> BulkOrderPhase(const std::string& numreg,
                                                                      const host::Variant& order_row,
                                                                      const std::string& department,
                                                                      const host::Variant& phase) const;
  //  - row `row` of the bulk order phases as BulkOrderPhase and OrderPhase
  //    answer it (only after they answered a row);
  [[nodiscard]] PhaseRow BulkOrderRow(size_t row) const;
  //  - what OrderWorkers answers, once prefetched (before: null).
  [[nodiscard]] const std::vector<WorkerRow>* BulkOrderWorkers(const host::Variant& phase_id) const;

  // Statements this source ran.
  [[nodiscard]] int64_t Statements() const { return statements_; }

 private:
  using Index = KeyIndex;  // key -> row, or KeyIndex::kSeveral
  // From the bulk tables when prefetched (lot 0 for the default cycle), else
  // by the query text that `sql` builds.
  std::optional<PhaseRow> Answer(const Index& index, const std::optional<std::string>& key,
                                 const host::RecordSetPtr& rows, bool zero_lot, const std::function<std::string()>& sql);
  host::RecordSetPtr Query(const std::string& sql);
  std::optional<PhaseRow> FirstRow(const std::string& sql);
  const std::vector<WorkerRow>& WorkersOf(const std::string& sql);
  // The column positions of a table of phase rows the source keeps, found
  // on its first row asked for.
  const PhaseColumns* ColumnsOf(const host::Table& table);

  host::db::Connection& connection_;
  std::string company_;
  bool prefetched_ = false;
  int64_t statements_ = 0;
  std::unordered_map<std::string, host::RecordSetPtr> by_text_;
  host::RecordSetPtr orders_, cycles_;
  Index order_by_key_, order_by_id_, cycle_by_bom_, cycle_default_, cycle_by_id_;
  // Phase id -> the number of its workers' list in worker_lists_ (shared
  // by every phase with the same workers): a few dozen bytes a phase, where
  // a map of strings took more than seventy (ten years are millions of phases).
  Index order_workers_, cycle_workers_;
  std::deque<std::vector<WorkerRow>> worker_lists_;
  std::unordered_map<std::string, std::vector<WorkerRow>> workers_by_text_;
  const std::vector<WorkerRow> no_workers_;
  std::unordered_map<const host::Table*, std::unique_ptr<PhaseColumns>> columns_;
  // The bulk order phases' columns, found when they are read: looked at
  // from a second thread, which must not look in the map above.
  const PhaseColumns* orders_columns_ = nullptr;
  int orders_lot_ = -1, cycles_lot_ = -1;  // PD95_LOTTORIF in the bulk tables
  int orders_id_ = -1, cycles_id_ = -1;    // PD2A_IDFASE, PD48_IDCICLO in them
  // Per row of the bulk tables: another row has its id (its lookup by id
  // asks the query).
  std::vector<bool> order_id_shared_, cycle_id_shared_;
  // Row `row` of a bulk table as a lookup answers it.
  PhaseRow BulkRow(const host::RecordSetPtr& rows, size_t row, bool zero_lot);
};

}  // namespace engine
