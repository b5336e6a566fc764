#include "engine/phase_source.h"

#include <cstring>

#include "engine/planned_queries.h"
#include "engine/value_helpers.h"
#include "host/recordset/text_pool.h"

namespace engine {

using host::Variant;

namespace {

// Key parts: texts without case and trailing blanks, numbers canonical; a
// Null part means that no row can match (SQL's = never holds for Null).
std::optional<std::string> TextPart(const Variant& v) {
  if (v.IsNull() || v.IsEmpty()) return std::nullopt;
  return host::TextPool::Fold(v.JoinedText());
}

std::optional<std::string> NumberPart(const Variant& v) {
  if (v.IsNull() || v.IsEmpty() || !v.IsNumeric()) return std::nullopt;
  // The normalised decimal text: equal numbers, equal keys; an id of a few
  // digits fits in the string itself (millions of phase rows, no allocation).
  return v.ToDecimal().ToString();
}

// A worker's values exactly (type, scale, bits): equal keys, equal workers.
void AppendExactly(std::string& key, const Variant& v) {
  key += static_cast<char>(v.Type());
  if (v.Type() == host::VarType::Decimal) {
    const host::Decimal d = v.ToDecimal();
    const host::Int128 coefficient = d.Coefficient();
    key.append(reinterpret_cast<const char*>(&coefficient), sizeof coefficient);
    key += static_cast<char>(d.Scale());
  } else if (v.Type() == host::VarType::Double) {
    const double x = v.ToDouble();
    key.append(reinterpret_cast<const char*>(&x), sizeof x);
  } else if (!v.IsNull() && !v.IsEmpty()) {
    const std::string text = v.JoinedText();
    key += std::to_string(text.size()) + ':' + text;  // its length first: no text reads as two
  }
}

std::optional<std::string> Key(std::initializer_list<std::optional<std::string>> parts) {
  std::string key;
  for (const auto& part : parts) {
    if (!part) return std::nullopt;
    key += *part;
    key += '\x1f';
  }
  return key;
}

std::string Number(const Variant& v) { return ValoreNumerico(v).ToText(); }

}  // namespace

PhaseSource::PhaseSource(host::db::Connection& connection, std::string company)
    : connection_(connection), company_(std::move(company)) {}

host::RecordSetPtr PhaseSource::Query(const std::string& sql) {
  auto it = by_text_.find(sql);
  if (it != by_text_.end()) return it->second;
  ++statements_;
  host::RecordSetPtr rows = connection_.Execute(sql);
  by_text_.emplace(sql, rows);
  return rows;
}

std::optional<PhaseRow> PhaseSource::FirstRow(const std::string& sql) {
  const host::RecordSetPtr rows = Query(sql);
  if (rows->Storage().RowCount() == 0) return std::nullopt;
  PhaseRow row{&rows->Storage(), 0, {}, ColumnsOf(rows->Storage())};
  const int lot = rows->FieldIndex("PD95_LOTTORIF");
  if (lot >= 0) row.lot = rows->Storage().Get(0, static_cast<size_t>(lot));
  return row;
}

const PhaseColumns* PhaseSource::ColumnsOf(const host::Table& table) {
  std::unique_ptr<PhaseColumns>& columns = columns_[&table];
  if (!columns) columns = std::make_unique<PhaseColumns>(&table);
  return columns.get();
}

const std::vector<WorkerRow>& PhaseSource::WorkersOf(const std::string& sql) {
  if (auto known = workers_by_text_.find(sql); known != workers_by_text_.end()) return known->second;
  const host::RecordSetPtr rows = Query(sql);
  std::vector<WorkerRow> workers;
  const host::Table& t = rows->Storage();
  for (size_t r = 0; r < t.RowCount(); ++r) workers.push_back({t.Get(r, 0), t.Get(r, 1), t.Get(r, 2)});
  return workers_by_text_.emplace(sql, std::move(workers)).first->second;
}

void PhaseSource::Prefetch(host::db::Connection* via) {
  host::db::Connection& connection = via != nullptr ? *via : connection_;
  prefetched_ = false;
  columns_.clear();  // the tables they index go
  orders_columns_ = nullptr;
  order_by_key_ = {};
  order_by_id_ = {};
  cycle_by_bom_ = {};
  cycle_default_ = {};
  cycle_by_id_ = {};
  order_workers_ = {};
  cycle_workers_ = {};
  worker_lists_.clear();
  order_id_shared_.clear();
  cycle_id_shared_.clear();
  // Order phases: the order source's columns and joins, every key column.
  orders_ = connection.Execute(
      "SELECT PD2A_IDFASE, PD2A_INDUMLAV, PD2A_TMACLAV, PD2A_FORMLAV_PD24, PD2A_INDUMSETUP, PD2A_TMACSETUP, "
      "PD2A_NUMPEZZISETUP, PD2A_FORMSETUP_PD24, PD2A_NUMPEZZIUM, PD2A_INDUMTOTLAV, PD2A_TTOTLAV, PD2A_INDUMATTESA, "
      "PD2A_TATTESA, PD2A_INDUMCODA, PD2A_TCODA, PD2A_IDENTPROG, DO46_QTA1ORD, DO46_IDCICLO_PD48, DO46_NUMREG_CO99, "
      "DO46_PROGRIGA, DO46_PROGDET, DO46_CODFASE, DO46_CODREPARTO, DO46_CLIFOR_CG44, DO46_MACCHINAALT, "
      "PD48_CICLO_PD52, PD95_LOTTORIF "
      "FROM PD2A_DETFASIDOC WITH (NOLOCK) INNER JOIN DO46_DOCCORORDDET WITH (NOLOCK) ON "
      "DO46_NUMREG_CO99 =  PD2A_NUMREG_CO99 AND DO46_PROGRIGA = PD2A_PROGRIGA_DO46 AND DO46_PROGDET = "
      "PD2A_PROGDET_DO46 LEFT OUTER JOIN PD48_CICLI WITH (NOLOCK) ON PD48_IDCICLO = DO46_IDCICLO_PD48 "
      "LEFT OUTER JOIN DO30_DOCCORPO WITH (NOLOCK) ON DO46_DITTA_CG18 = DO30_DITTA_CG18 AND DO46_NUMREG_CO99 = "
      "DO30_NUMREG_CO99 AND DO46_PROGRIGA = DO30_PROGRIGA LEFT OUTER JOIN PD95_DISBA WITH (NOLOCK) ON "
      "DO30_DITTA_CG18 = PD95_DITTA_CG18 AND DO30_IDDISBA_PD95 = PD95_IDDISBA WHERE DO46_DITTA_CG18 = " +
      company_);
  cycles_ = connection.Execute(
      "SELECT PD48_CICLI.*, PD95_IDDISBA AS QV_IDDISBA, PD95_LOTTORIF FROM PD48_CICLI WITH (NOLOCK) "
      "LEFT OUTER JOIN PD95_DISBA WITH (NOLOCK) ON PD48_DITTA_CG18 = PD95_DITTA_CG18 AND PD48_IDDISBA_PD95 = "
      "PD95_IDDISBA WHERE PD48_DITTA_CG18 = " +
      company_);
  const host::RecordSetPtr order_workers = connection.Execute(
      "SELECT ISNULL(PD2B_NUMADDETTI,1)* PD2B_TEMPOIMP AS TTOTADDETTI, PD2B_INDUMTEMPO, PD2B_INDOPERAZIONE, "
      "PD2B_IDFASE_PD2A FROM PD2B_ADDETTIDOC WITH (NOLOCK) WHERE PD2B_TEMPOIMP <> 0 ");
  const host::RecordSetPtr cycle_workers = connection.Execute(
      "SELECT ISNULL(PD54_NUMADDETTI,1)* PD54_TEMPOIMP AS TTOTADDETTI, PD54_INDUMTEMPO, PD54_INDOPERAZIONE, "
      "PD54_IDCICLO_PD48 FROM PD54_ADDETTILAV WITH (NOLOCK) WHERE PD54_TEMPOIMP <> 0 ");
  statements_ += 4;

  const host::Table& o = orders_->Storage();
  const auto col = [](const host::Table& t, const char* name) { return static_cast<size_t>(t.FieldIndex(name)); };
  const size_t o_numreg = col(o, "DO46_NUMREG_CO99"), o_row = col(o, "DO46_PROGRIGA"),
               o_dept = col(o, "DO46_CODREPARTO"), o_phase = col(o, "DO46_CODFASE"), o_id = col(o, "PD2A_IDFASE"),
               o_qty = col(o, "DO46_QTA1ORD");
  // Sized ahead: an index that grows by itself is up to twice as large.
  order_by_id_.Reserve(o.RowCount());
  order_by_key_.Reserve(o.RowCount());
  // A key added again marks both rows (and any later one) as sharing it.
  const auto add_id = [](Index& index, std::vector<bool>& shared, const std::string& id, size_t row) {
    if (const std::optional<int64_t> before = index.Add(id, row)) {
      shared[row] = true;
      if (*before >= 0) shared[static_cast<size_t>(*before)] = true;
    }
  };
  order_id_shared_.assign(o.RowCount(), false);
  for (size_t r = 0; r < o.RowCount(); ++r) {
    if (auto id = NumberPart(o.Get(r, o_id))) add_id(order_by_id_, order_id_shared_, *id, r);
    // The booking lookup also asks DO46_QTA1ORD > 0.
    const Variant qty = o.Get(r, o_qty);
    if (qty.IsNull() || host::CompareNumbers(qty, int16_t{0}) <= 0) continue;
    if (auto key = Key({TextPart(o.Get(r, o_numreg)), NumberPart(o.Get(r, o_row)), TextPart(o.Get(r, o_dept)),
                        NumberPart(o.Get(r, o_phase))})) {
      order_by_key_.Add(*key, r);
    }
  }
  const host::Table& c = cycles_->Storage();
  const size_t c_id = col(c, "PD48_IDCICLO"), c_dept = col(c, "PD48_CODREP_PD07"),
               c_phase = col(c, "PD48_CODFASE_PD12"), c_bom = col(c, "PD48_IDDISBA_PD95"),
               c_found = col(c, "QV_IDDISBA"), c_cycle = col(c, "PD48_CICLO_PD52"),
               c_version = col(c, "PD48_VERSIONE_PD52");
  cycle_id_shared_.assign(c.RowCount(), false);
  for (size_t r = 0; r < c.RowCount(); ++r) {
    if (auto id = NumberPart(c.Get(r, c_id))) add_id(cycle_by_id_, cycle_id_shared_, *id, r);
    if (!c.Get(r, c_found).IsNull()) {
      if (auto key = Key({TextPart(c.Get(r, c_dept)), NumberPart(c.Get(r, c_phase)), NumberPart(c.Get(r, c_bom))})) {
        cycle_by_bom_.Add(*key, r);
      }
    }
    const Variant version = c.Get(r, c_version);
    if (c.Get(r, c_bom).IsNull() && !version.IsNull() && host::CompareNumbers(version, int16_t{0}) == 0) {
      if (auto key = Key({TextPart(c.Get(r, c_dept)), NumberPart(c.Get(r, c_phase)), TextPart(c.Get(r, c_cycle))})) {
        cycle_default_.Add(*key, r);
      }
    }
  }
  // Each phase's workers as one list, kept once however many phases share
  // it (an order phase copies its cycle's crew): millions of phases, a few
  // thousand lists. A phase's workers stay in the order the rows came.
  const auto load_workers = [this](const host::RecordSetPtr& rows, auto& into) {
    const host::Table& t = rows->Storage();
    constexpr uint32_t kNone = UINT32_MAX;
    // The rows of each phase id, chained in their order: slot -> first and
    // last row, row -> the next row of its id.
    std::unordered_map<std::string, uint32_t> slot_of;
    std::vector<uint32_t> first, last, next(t.RowCount(), kNone);
    for (size_t r = 0; r < t.RowCount(); ++r) {
      auto id = NumberPart(t.Get(r, 3));
      if (!id) continue;
      const auto row = static_cast<uint32_t>(r);
      auto [it, added] = slot_of.emplace(std::move(*id), static_cast<uint32_t>(first.size()));
      if (added) {
        first.push_back(row);
        last.push_back(row);
      } else {
        next[last[it->second]] = row;
        last[it->second] = row;
      }
    }
    std::unordered_map<std::string, size_t> list_of;  // exact workers -> their list's number
    into.Reserve(slot_of.size());
    for (auto& [id, slot] : slot_of) {
      std::vector<WorkerRow> workers;
      std::string exact;
      for (uint32_t r = first[slot]; r != kNone; r = next[r]) {
        workers.push_back({t.Get(r, 0), t.Get(r, 1), t.Get(r, 2)});
        for (const Variant* v : {&workers.back().total, &workers.back().unit, &workers.back().operation}) {
          AppendExactly(exact, *v);
        }
      }
      auto [known, added] = list_of.emplace(std::move(exact), worker_lists_.size());
      if (added) worker_lists_.push_back(std::move(workers));
      into.Add(id, known->second);
    }
  };
  for (Index* index : {&order_by_key_, &order_by_id_, &cycle_by_bom_, &cycle_default_, &cycle_by_id_}) {
    index->ShrinkToFit();
  }
  load_workers(order_workers, order_workers_);
  load_workers(cycle_workers, cycle_workers_);
  order_workers_.ShrinkToFit();
  cycle_workers_.ShrinkToFit();
  orders_lot_ = o.FieldIndex("PD95_LOTTORIF");
  cycles_lot_ = c.FieldIndex("PD95_LOTTORIF");
  orders_id_ = o.FieldIndex("PD2A_IDFASE");
  cycles_id_ = c.FieldIndex("PD48_IDCICLO");
  orders_columns_ = ColumnsOf(o);
  prefetched_ = true;
}

std::optional<PhaseRow> PhaseSource::Answer(const Index& index, const std::optional<std::string>& key,
                                            const host::RecordSetPtr& rows, bool zero_lot,
                                            const std::function<std::string()>& sql) {
  if (prefetched_) {
    // The bulk tables hold every row the query could answer: a key that is
    // not there has no row; one that several rows share asks the query.
    if (!key) return std::nullopt;
    const std::optional<int64_t> found = index.Find(*key);
    if (!found) return std::nullopt;
    if (*found != KeyIndex::kSeveral) return BulkRow(rows, static_cast<size_t>(*found), zero_lot);
  }
  return FirstRow(sql());
}

PhaseRow PhaseSource::BulkRow(const host::RecordSetPtr& rows, size_t row, bool zero_lot) {
  if (rows == orders_ && !zero_lot) return BulkOrderRow(row);
  const host::Table& table = rows->Storage();
  const int lot = rows == orders_ ? orders_lot_ : cycles_lot_;
  return PhaseRow{&table, row, zero_lot ? Variant(int32_t{0}) : table.Get(row, static_cast<size_t>(lot)),
                  ColumnsOf(table)};
}

PhaseRow PhaseSource::BulkOrderRow(size_t row) const {
  const host::Table& table = orders_->Storage();
  return PhaseRow{&table, row, table.Get(row, static_cast<size_t>(orders_lot_)), orders_columns_};
}

std::optional<PhaseRow> PhaseSource::KnownRowById(bool order, const Variant& id, const host::Table* table,
                                                  size_t row) {
  if (!prefetched_ || id.IsNull() || id.IsEmpty() || !id.IsNumeric()) return std::nullopt;
  const host::RecordSetPtr& rows = order ? orders_ : cycles_;
  const std::vector<bool>& shared = order ? order_id_shared_ : cycle_id_shared_;
  const int id_column = order ? orders_id_ : cycles_id_;
  if (table != &rows->Storage() || row >= shared.size() || shared[row] || id_column < 0) return std::nullopt;
  // Equal numbers are equal keys of the index (NumberPart).
  const Variant own = table->Get(row, static_cast<size_t>(id_column));
  if (own.IsNull() || own.IsEmpty() || !own.IsNumeric() || host::CompareNumbers(own, id) != 0) return std::nullopt;
  return BulkRow(rows, row, false);
}

std::optional<PhaseRow> PhaseSource::OrderPhase(const std::string& numreg, const Variant& order_row,
                                                const std::string& department, const Variant& phase) {
  return Answer(order_by_key_,
                Key({TextPart(numreg), NumberPart(ValoreNumerico(order_row)), TextPart(department),
                     NumberPart(ValoreNumerico(phase))}),
                orders_, false,
                [&] { return OrderPhaseQuery(company_, numreg, Number(order_row), department, Number(phase)); });
}

std::optional<std::optional<PhaseRow>> PhaseSource::BulkOrderPhase(const std::string& numreg,
                                                                  const Variant& order_row,
                                                                  const std::string& department,
                                                                  const Variant& phase) const {
  if (!prefetched_) return std::nullopt;
  // As Answer does, without its query.
  const std::optional<std::string> key = Key({TextPart(numreg), NumberPart(ValoreNumerico(order_row)),
                                              TextPart(department), NumberPart(ValoreNumerico(phase))});
  if (!key) return std::optional<PhaseRow>();
  const std::optional<int64_t> found = order_by_key_.Find(*key);
  if (!found) return std::optional<PhaseRow>();
  if (*found == KeyIndex::kSeveral) return std::nullopt;
  return std::optional<PhaseRow>(BulkOrderRow(static_cast<size_t>(*found)));
}

std::optional<PhaseRow> PhaseSource::CycleByBom(const std::string& department, const Variant& phase,
                                                const Variant& bom_id) {
  return Answer(cycle_by_bom_, Key({TextPart(department), NumberPart(ValoreNumerico(phase)), NumberPart(bom_id)}),
                cycles_, false, [&] { return CycleByBomQuery(company_, department, Number(phase), bom_id.ToText()); });
}

std::optional<PhaseRow> PhaseSource::DefaultCycle(const std::string& department, const Variant& phase,
                                                  const std::string& cycle) {
  return Answer(cycle_default_, Key({TextPart(department), NumberPart(ValoreNumerico(phase)), TextPart(cycle)}),
                cycles_, true, [&] { return DefaultCycleQuery(company_, department, Number(phase), cycle); });
}

std::optional<PhaseRow> PhaseSource::OrderPhaseById(const Variant& id) {
  return Answer(order_by_id_, NumberPart(id), orders_, false,
                [&] { return OrderPhaseByIdQuery(company_, Number(id)); });
}

std::optional<PhaseRow> PhaseSource::CyclePhaseById(const Variant& id) {
  return Answer(cycle_by_id_, NumberPart(id), cycles_, false,
                [&] { return CyclePhaseByIdQuery(company_, Number(id)); });
}

const std::vector<WorkerRow>& PhaseSource::OrderWorkers(const Variant& phase_id) {
  if (const std::vector<WorkerRow>* bulk = BulkOrderWorkers(phase_id)) return *bulk;
  return WorkersOf(OrderWorkersQuery(Number(phase_id)));
}

const std::vector<WorkerRow>* PhaseSource::BulkOrderWorkers(const Variant& phase_id) const {
  if (!prefetched_) return nullptr;
  auto key = NumberPart(phase_id);
  if (!key) return &no_workers_;
  const std::optional<int64_t> list = order_workers_.Find(*key);
  return list ? &worker_lists_[static_cast<size_t>(*list)] : &no_workers_;
}

const std::vector<WorkerRow>& PhaseSource::CycleWorkers(const Variant& cycle_id) {
  if (prefetched_) {
    auto key = NumberPart(cycle_id);
    if (!key) return no_workers_;
    const std::optional<int64_t> list = cycle_workers_.Find(*key);
    return list ? worker_lists_[static_cast<size_t>(*list)] : no_workers_;
  }
  return WorkersOf(CycleWorkersQuery(Number(cycle_id)));
}

}  // namespace engine
