#include "engine/comparison_run.h"

#include <atomic>
#include <chrono>
#include <exception>
#include <optional>
#include <system_error>
#include <thread>

#include "engine/booking_queries.h"
#include "engine/computed_times.h"
#include "engine/grouped_from_detail.h"
#include "engine/oms.h"
#include "engine/order_phases_beside.h"
#include "engine/planned_queries.h"
#include "engine/trimmed_texts.h"
#include "engine/value_helpers.h"
#include "host/services/recordset_functions.h"

namespace engine {

using host::Variant;

namespace {

// Captions and message numbers of the booked-time fields that pass 2 adds.
struct BookedField {
  const char* name;
  const char* caption;
  int32_t number;
  int16_t decimals_unit;  // the unit whose option shows 2 decimals (-1: always 0 decimals)
};
constexpr BookedField kBookedFields[] = {{"OREVERS", "Ore versate", 42814, 1},
                                         {"MINVERS", "Min. versati", 37386, 2},
                                         {"SECVERS", "Sec. versati", 51202, -1}};

// Field indexes of the per-booking record set, read once per run.
struct BookingFields {
  explicit BookingFields(const host::RecordSet& rs) {
    const auto at = [&](const char* name) { return rs.FieldIndex(name); };
    id = at("PD44_PRGMVORE_PD31");
    article = at("PD44_CODART_MG66");
    option = at("PD44_OPZIONE");
    project = at("PD44_CODPROG_PD14");
    bom = at("DO30_IDDISBA_PD95");
    numreg = at("PD44_NUMREG_CO99");
    order_row = at("PD44_PROGRIGA_DO30");
    department = at("PD44_CODFORNREP");
    phase = at("PD44_CODFASE_PD12");
    quantity = at("PD44_QTALAV");
    article_type = at("PD18_INDTIPOART");
    cycle = at("PD18_CODCICLO");
  }
  int id, article, option, project, bom, numreg, order_row, department, phase, quantity, article_type, cycle;
};

Variant Read(const host::RecordSet& rs, int index) {
  return index < 0 ? Variant() : rs.Value(static_cast<size_t>(index));
}

}  // namespace

ComparisonRun::ComparisonRun(RunContext& context, RunInputs inputs) : context_(context), inputs_(std::move(inputs)) {
  phases_ = std::make_unique<PhaseSource>(*inputs_.connection, inputs_.company);
}

TipoTempo ComparisonRun::Unit() const { return inputs_.unit; }

PhaseOptions ComparisonRun::Options() const { return inputs_.options; }

bool ComparisonRun::LeggiVersamentiTempi() {
  try {
    InizializzaRS(context_, records_);
    read_beside_.reset();
    answering_failed_ = false;
    descrizione_gruppo_.clear();
    grouped_sql_.clear();
    detailed_sql_.clear();
    total_sql_.clear();
    inputs_.order->Refresh();
    host::RecordSet& campi = *records_.RSCampi;
    std::vector<OrderItem> items;
    for (const auto& item : inputs_.order->Items()) {
      if (item.use == host::OrderControl::Use::LeftOut) continue;
      const bool grouping = item.use == host::OrderControl::Use::Grouping;
      campi.AddNew();
      campi.SetValue("NOME", item.column);
      campi.SetValue("ALIAS", item.caption);
      campi.SetValue("ALIASLINGUA", context_.TraduciCaption(item.caption));
      campi.SetValue("GRUPPO", int16_t{grouping ? int16_t{1} : int16_t{0}});
      campi.Update();
      if (grouping) descrizione_gruppo_ += host::RTrim(campi.Value("ALIASLINGUA").JoinedText()) + "/";
      items.push_back({item.column, item.caption, grouping});
    }
    if (!descrizione_gruppo_.empty()) descrizione_gruppo_.pop_back();

    host::RecordSetFunctions functions;
    functions.SetConnessione(inputs_.connection);
    BookingQueryInput in;
    in.booking_columns = functions.ElencoCampiDaSelect_V2(kBookingColumnsSelect);
    functions.SetConnessione(nullptr);
    in.items = std::move(items);
    in.company = inputs_.company;
    in.unit = inputs_.unit;
    in.fashion = inputs_.fashion;
    in.condition = inputs_.query->ConditionText();
    in.grouping = inputs_.order->GroupingText();
    in.ordering = inputs_.order->OrderingText();
    const BookingQueries q = BuildBookingQueries(in);
    grouped_sql_ = q.grouped;
    detailed_sql_ = q.detailed;
    total_sql_ = q.total;

    using Clock = std::chrono::steady_clock;
    const auto seconds = [](Clock::time_point since) {
      return std::chrono::duration<double>(Clock::now() - since).count();
    };
    timings_ = {};
    {
      // The bookings counted as the detailed query reads them.
      Progress& progress = *inputs_.progress;
      progress.Stage(RunStage::Reading);
      host::db::Connection* connection = inputs_.connection;
      progress.Follow([connection] { return connection->RowsRead(); });
      struct EndFollow {
        Progress& progress;
        ~EndFollow() { progress.Follow({}); }
      } end_follow{progress};
      ReadBothQueries(in);
    }
    // After the read's count: the grouped query, should it run after all,
    // must not show as the bookings read.
    if (group_from_detail_ && !records_.RSTempiVerDett->Eof()) return GroupBesidePlanned(in);
    if (group_from_detail_) GroupBookings(in);
    if (records_.RSTempiVer->Eof()) {
      records_.RSTempiVerDett.reset();
      return false;
    }
    if (FirstGroupHasId()) {
      CompleteFieldMetadata();
      auto start = Clock::now();
      const bool failed = CalcolaTempiPreventiviDettagliati();
      timings_.planned = seconds(start);
      return failed;
    }
    records_.RSTempiVer.reset();
    records_.RSTempiVerDett.reset();
    return false;
  } catch (const std::exception&) {
    context_.Caught("LeggiVersamentiTempi");
    return true;
  }
}

void ComparisonRun::ReadBothQueries(const BookingQueryInput& query) {
  using Clock = std::chrono::steady_clock;
  const auto seconds = [](Clock::time_point since) { return std::chrono::duration<double>(Clock::now() - since).count(); };
  // Read once where the groups can be worked out from the bookings: the
  // grouped query then only tells its columns' types.
  const bool derive = CanGroupFromDetail(query, inputs_.connection->BackEnd());
  group_from_detail_ = derive;
  blank_variants_ = BlankVariants();
  const std::string beside_sql = derive ? GroupedLayoutQuery(grouped_sql_) : grouped_sql_;
  const auto check_variants = [&](host::db::Connection& connection) {
    if (derive && NeedsBlankVariantCheck(query)) {
      blank_variants_ = BlankVariants::Read(*connection.Execute(BlankVariantQuery(inputs_.company)));
    }
  };
  {
    // A second connection costs an open; it pays on the two reads of a
    // large run, and costs little on a small one.
    std::unique_ptr<host::db::Connection> sibling;
    try {
      sibling = inputs_.connection->OpenSibling();
    } catch (const host::Error&) {
      sibling.reset();  // read one after the other instead
    }
    std::lock_guard lock(sibling_mutex_);
    sibling_ = std::move(sibling);
  }
  if (!sibling_) {
    auto start = Clock::now();
    records_.RSTempiVer = inputs_.connection->Execute(beside_sql);
    check_variants(*inputs_.connection);
    timings_.grouped = seconds(start);
    if (!derive && records_.RSTempiVer->Eof()) return;
    start = Clock::now();
    records_.RSTempiVerDett = inputs_.connection->Execute(detailed_sql_);
    timings_.detailed = seconds(start);
    return;
  }
  // The grouped query beside, the detailed one here: the planned times
  // that follow read the same order and routing pages, which this
  // connection then has in its cache.
  std::exception_ptr grouped_error;
  std::atomic<bool> detailed_done = false;
  std::atomic<bool> prefetching = false;  // the grouped query is over: only the bulk read may be stopped
  bool prefetched_beside = false;
  std::atomic<bool> phases_ready = false;  // the bulk read is over: its tables no longer change
  std::thread grouped([&] {
    try {
      const auto start = Clock::now();
      records_.RSTempiVer = sibling_->Execute(beside_sql);
      check_variants(*sibling_);
      timings_.grouped = seconds(start);
    } catch (...) {  // the worker's edge: its failure is thrown again on the run's thread
      grouped_error = std::current_exception();
      inputs_.connection->Interrupt();  // the bookings of a failed run are of no use
      return;
    }
    // A detailed query still running means a large run: its phase rows are
    // read in bulk here meanwhile. Should this fail, the planned times read
    // them themselves and report what fails there.
    prefetching = true;
    if (!detailed_done && !inputs_.fashion_cycles && (derive || !records_.RSTempiVer->Eof())) {
      try {
        phases_->Prefetch(sibling_.get());
        prefetched_beside = true;
        phases_ready.store(true, std::memory_order_release);
      } catch (...) {  // the worker's edge: the planned times read the rows themselves
      }
    }
  });
  std::exception_ptr detailed_error;
  // While the detailed query waits for its rows, this thread answers the
  // order phases of those read so far, once the bulk read is over.
  struct EndAnswering {
    host::db::Connection& connection;
    ~EndAnswering() { connection.SetWhileWaiting(nullptr); }
  } end_answering{*inputs_.connection};
  if (AnswersWhileReading()) {
    inputs_.connection->SetWhileWaiting([this, &phases_ready](const std::shared_ptr<const host::Table>& rows) {
      return phases_ready.load(std::memory_order_acquire) && AnswerWhileReading(rows);
    });
  }
  try {
    const auto start = Clock::now();
    records_.RSTempiVerDett = inputs_.connection->Execute(detailed_sql_);
    timings_.detailed = seconds(start);
    detailed_done = true;
    // Too few bookings for the bulk read: the phases are asked one by one.
    if (static_cast<int64_t>(records_.RSTempiVerDett->RecordCount()) < inputs_.prefetch_from && prefetching) {
      sibling_->Interrupt();
    }
  } catch (...) {  // the worker must be stopped and joined before anything leaves here
    detailed_done = true;
    detailed_error = std::current_exception();
    sibling_->Interrupt();  // no use grouping the bookings of a failed run
  }
  grouped.join();
  if (prefetched_beside && records_.RSTempiVerDett &&
      static_cast<int64_t>(records_.RSTempiVerDett->RecordCount()) < inputs_.prefetch_from) {
    read_beside_.reset();  // its answers are rows of the tables going now
    phases_ = std::make_unique<PhaseSource>(*inputs_.connection, inputs_.company);
  }
  if (detailed_error || grouped_error) read_beside_.reset();
  if (read_beside_) read_beside_->EndAnswering();
  {
    std::lock_guard lock(sibling_mutex_);
    inputs_.connection->CountStatementsOf(*sibling_);
    sibling_.reset();  // its page cache goes with it
  }
  // A query stopped because the other one failed is no news: the failure
  // is. A real failure of the grouped query comes first, as it would alone.
  const auto stopped = [](const std::exception_ptr& error) {
    try {
      std::rethrow_exception(error);
    } catch (const host::Error& e) {
      return e.Number() == host::kErrCancelled;
    } catch (const std::exception&) {
      return false;
    }
  };
  if (grouped_error && !stopped(grouped_error)) std::rethrow_exception(grouped_error);
  if (detailed_error) std::rethrow_exception(detailed_error);
  if (grouped_error) std::rethrow_exception(grouped_error);
}

bool ComparisonRun::AnswersWhileReading() const {
  // On one core the answers would only take turns with the read.
  return !inputs_.fashion_cycles && inputs_.beside_from.value_or(DefaultBesideFrom()) < INT64_MAX;
}

bool ComparisonRun::AnswerWhileReading(const std::shared_ptr<const host::Table>& rows) {
  // A few hundred bookings at a time: a tenth of a millisecond or so.
  constexpr size_t kAnsweredAtATime = 256;
  // Before the first rows a table may not have its fields yet.
  if (answering_failed_ || rows->RowCount() == 0) return false;
  try {
    if (!read_beside_ || &read_beside_->Bookings() != rows.get()) {
      read_beside_ = std::make_unique<OrderPhasesBeside>(rows, OrderPhasesBeside::Columns::Of(*rows), *phases_,
                                                         inputs_.options, inputs_.unit);
    }
    return read_beside_->AnswerMore(kAnsweredAtATime);
  } catch (...) {  // the read's edge: the pass answers these bookings itself
    read_beside_.reset();
    answering_failed_ = true;
    return false;
  }
}

void ComparisonRun::GroupBookings(const BookingQueryInput& query) {
  const auto start = std::chrono::steady_clock::now();
  const host::RecordSetPtr layout = std::move(records_.RSTempiVer);
  records_.RSTempiVer = GroupFromDetail(*records_.RSTempiVerDett, *layout, query, blank_variants_);
  blank_variants_ = BlankVariants();
  if (!records_.RSTempiVer) records_.RSTempiVer = inputs_.connection->Execute(grouped_sql_);
  timings_.grouped = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

bool ComparisonRun::FirstGroupHasId() const {
  return host::CompareNumbers(ValoreNumerico(records_.RSTempiVer->Value("IDGRUPPO")), int16_t{0}) > 0;
}

bool ComparisonRun::GroupBesidePlanned(const BookingQueryInput& query) {
  using Clock = std::chrono::steady_clock;
  const auto seconds = [](Clock::time_point since) { return std::chrono::duration<double>(Clock::now() - since).count(); };
  const host::RecordSetPtr layout = std::move(records_.RSTempiVer);
  host::RecordSetPtr groups;
  std::exception_ptr grouping_error;
  bool failed = false;
  {
    // Both only read the bookings' rows: the grouping through their
    // storage, the planned pass through the record set's cursor.
    std::jthread grouping([&] {
      try {
        const auto start = Clock::now();
        groups = GroupFromDetail(*records_.RSTempiVerDett, *layout, query, blank_variants_);
        timings_.grouped = seconds(start);
      } catch (...) {  // the worker's edge: thrown again on the run's thread
        grouping_error = std::current_exception();
      }
    });
    const auto start = Clock::now();
    failed = CalcolaTempiPreventiviDettagliati();
    timings_.planned = seconds(start);
  }
  if (grouping_error) std::rethrow_exception(grouping_error);
  blank_variants_ = BlankVariants();
  // The grouped query only where the bookings cannot tell the groups: on
  // this thread, as the planned pass may have used the connection.
  records_.RSTempiVer = groups ? groups : inputs_.connection->Execute(grouped_sql_);
  // With bookings read, groups come out unless the database changed between
  // the two queries; every group carries its largest booking id, which a
  // live database gives above 0. Either way the run has nothing to show
  // (what the planned pass said stays said).
  if (records_.RSTempiVer->Eof() || !FirstGroupHasId()) {
    records_.RSTempiVer.reset();
    records_.RSTempiVerDett.reset();
    return false;
  }
  CompleteFieldMetadata();
  return failed;
}

void ComparisonRun::Interrupt() {
  inputs_.connection->Interrupt();
  std::lock_guard lock(sibling_mutex_);
  if (sibling_) sibling_->Interrupt();
}

void ComparisonRun::CompleteFieldMetadata() {
  host::RecordSet& campi = *records_.RSCampi;
  const host::RecordSet& groups = *records_.RSTempiVer;
  const int16_t unit = inputs_.unit;
  for (size_t i = 0; i < groups.FieldCount(); ++i) {
    const host::FieldDef& field = groups.Field(i);
    if (campi.RecordCount() > 0) {
      campi.MoveFirst();
      campi.Find("NOME = '" + host::ReplaceAll(field.name, "'", "''") + "'");
      if (!campi.Eof()) continue;
    }
    campi.AddNew();
    campi.SetValue("NOME", field.name);
    campi.SetValue("GRUPPO", int16_t{1});
    bool booked = false;
    for (const BookedField& b : kBookedFields) {
      if (host::UpperAscii(field.name) != b.name) continue;
      booked = true;
      campi.SetValue("ALIAS", b.caption);
      campi.SetValue("ALIASLINGUA", context_.TestoLingua(b.caption, b.number, 0));
      campi.SetValue("TIPO", "N");
      if (b.decimals_unit < 0) {
        campi.SetValue("DECIMALI", int16_t{0});
      } else if (unit == b.decimals_unit) {
        campi.SetValue("DECIMALI", int16_t{2});
      }
    }
    if (!booked) {
      switch (field.AdoTypeCode()) {
        case host::kAdDate:
        case host::kAdDBTimeStamp: campi.SetValue("TIPO", "D"); break;
        case host::kAdChar:
        case host::kAdWChar:
        case host::kAdVarChar:
        case host::kAdVarWChar: campi.SetValue("TIPO", "C"); break;
        default:
          campi.SetValue("TIPO", "N");
          campi.SetValue("DECIMALI", int32_t{field.scale});
          break;
      }
    }
    campi.Update();
  }
}

// The planned-times pass over the bookings, step by step: each booking's
// phase row found (`FindPhase`), its times computed once per phase row,
// quantity, article and option (`TimesOf`), and its record added
// (`AddRecord`); a booking whose times cannot be shown keeps a record
// without them (`AddWithoutTimes`) and is named once at the end.
struct ComparisonRun::PlannedPass {
  PlannedPass(ComparisonRun& run, host::RecordSet& bookings)
      : run(run),
        bookings(bookings),
        out(*run.records_.RSTempiPrevDett),
        f(bookings),
        options(run.Options()),
        records(std::make_shared<PlannedRecords>(run.Unit(), bookings.SharedStorage())),
        pass_times(std::make_shared<PassTimes>(records)) {
    // The records keep their three stored fields; their figures are worked
    // out when read, from the planned times kept here and the booking's row.
    out.Storage().ComputeFields(PlannedRecords::kFirstField, PlannedRecords::FieldNames(), records);
    // The formula evaluator, made once: it reads the current booking's article and option.
    formula = [this](const std::string& code, const std::string& cycle, const std::array<Variant, 28>& values) {
      formula_evaluated = true;
      return ElaboraFormulaCicli(this->run.context_, *this->run.inputs_.production, code, article, option_text, cycle,
                                 values, &formula_failed);
    };
  }

  // What one booking plans: its phase row's id (IDCICLO), the order
  // quantity (QTAODL, 0 for a cycle phase) and its kept times.
  struct Planned {
    Variant id_ciclo;
    Variant qtaodl = int16_t{0};
    uint32_t times = 0;  // nothing planned
  };

  // `own_lot`: the row came with its own reference lot (see PassTimes).
  uint32_t TimesOf(const PhaseRow& row, PhaseSourceKind kind, const Variant& quantity, const Variant& id,
                   bool own_lot) {
    // The row itself identifies it: the run's phase rows live as long as the run.
    const ComputationKey key = ComputationKeyOf(row.table, row.row, quantity, article_number, option_number);
    if (const std::optional<uint32_t> kept = computed.Find(key)) return *kept;
    formula_evaluated = formula_failed = false;
    const uint32_t kept = records->KeepTimes(ComputeOnce(row, kind, quantity, id));
    computed.Add(key, kept);
    // The group side evaluates the formulas with the row's own keys: the
    // same computation when this booking's keys are those.
    const bool formula_of_booking =
        formula_evaluated &&
        (formula_failed ||
         !SameFormulaKeys(computed_keys, PhaseRowKeys(row, kind, std::string(), std::string()), kind));
    pass_times->Note(kept, row, kind == PhaseSourceKind::Order, quantity, own_lot, formula_of_booking);
    return kept;
  }

  PhaseTimes ComputeOnce(const PhaseRow& row, PhaseSourceKind kind, const Variant& quantity, const Variant& id) {
    PhaseSource& phases = *run.phases_;
    const auto& workers = kind == PhaseSourceKind::Order ? phases.OrderWorkers(id) : phases.CycleWorkers(id);
    // What the formulas see of the booking: read only for a formula.
    const BookingKeysReader keys = [this]() -> const BookingKeys& {
      computed_keys = BookingKeys{Read(bookings, f.numreg), Read(bookings, f.order_row), Read(bookings, f.phase),
                                  Read(bookings, f.department), article, option_text};
      return computed_keys;
    };
    return ComputePhase(row, kind, workers, quantity, options, keys, formula);
  }

  // A cycle phase as the host reconfigures it for the variant by date: the
  // cycle rows go to it as the query answers them. Empty when none is.
  host::RecordSetPtr FashionCycle(const std::string& department, const Variant& phase, const std::string& cycle) {
    const RunInputs& in = run.inputs_;
    const host::RecordSetPtr cycle_rows =
        in.connection->Execute(DefaultCycleQuery(in.company, department, ValoreNumerico(phase).ToText(), cycle));
    if (RecordsetVuoto(cycle_rows)) return nullptr;
    if (!run.fashion_cycle_) {
      run.fashion_cycle_ = ConfigurationValues(run.context_, *in.connection, in.company).InizializzaCicloFashion();
    }
    host::RecordSetPtr configured = run.fashion_cycle_->ConfiguraCicloFashionPerDate(cycle_rows, article, option_text);
    if (RecordsetVuoto(configured) || configured->Eof()) return nullptr;
    return configured;
  }

  // The current booking's phase: the order's phase when the order line has
  // a bill of materials, else the cycle phase of the article's bill of
  // materials, of its default cycle, or of its cycle reconfigured.
  Planned FindPhase(size_t booking_row) {
    Planned planned;
    const uint32_t department_number = departments.NumberAt(booking_row);
    const std::string& department = departments.Text(department_number);
    const Variant phase = Read(bookings, f.phase);
    PhaseSource& phases = *run.phases_;
    if (host::CompareNumbers(ValoreNumerico(Read(bookings, f.bom)), int16_t{0}) > 0) {
      const uint32_t order_number = orders.NumberAt(booking_row);
      const Variant order_row = Read(bookings, f.order_row);
      // The bookings come grouped: most often the one before booked the
      // same order phase for the same article and option, and this one
      // plans what it planned (its times were kept under those keys).
      if (last_order && last_order->order == order_number && last_order->department == department_number &&
          last_order->article == article_number && last_order->option == option_number &&
          last_order->order_row == order_row && last_order->phase == phase) {
        return last_order->planned;
      }
      if (auto row = phases.OrderPhase(orders.Text(order_number), order_row, department, phase)) {
        planned.id_ciclo = row->Get(&PhaseColumns::phase_id, "PD2A_IDFASE");
        planned.qtaodl = row->Get(&PhaseColumns::order_quantity, "DO46_QTA1ORD");
        planned.times = TimesOf(*row, PhaseSourceKind::Order, planned.qtaodl, planned.id_ciclo, true);
      }
      last_order = LastOrderPhase{order_number, department_number, article_number, option_number, order_row, phase,
                                  planned};
      return planned;
    }
    if (article.empty()) return planned;
    const Variant q = run.context_.Value(NVL(Read(bookings, f.quantity), int16_t{1}));
    const std::string& project = projects.At(booking_row);
    int16_t tipo = 0;
    std::string prog_db;
    if (!project.empty() && host::CompareNumbers(ValoreNumerico(Read(bookings, f.article_type)), int16_t{3}) == 0) {
      tipo = 3;
      prog_db = project;
    }
    std::string message;
    const Variant bom =
        run.inputs_.production->CercaDistintaBase(article, option_text, tipo, prog_db, 0, 0, 0, true, 0, &message);
    const std::string& cycle = cycles.At(booking_row);
    if (!bom.IsNull()) {
      if (auto row = phases.CycleByBom(department, phase, bom)) {
        planned.id_ciclo = row->Get(&PhaseColumns::cycle_id, "PD48_IDCICLO");
        planned.times = TimesOf(*row, PhaseSourceKind::Cycle, q, planned.id_ciclo, true);
      }
    } else if (!cycle.empty() && !run.inputs_.fashion_cycles) {
      if (auto row = phases.DefaultCycle(department, phase, cycle)) {
        planned.id_ciclo = row->Get(&PhaseColumns::cycle_id, "PD48_IDCICLO");
        planned.times = TimesOf(*row, PhaseSourceKind::Cycle, q, planned.id_ciclo, false);
      }
    } else if (!cycle.empty()) {
      // A reconfigured cycle is the booking's own: computed, not kept for others.
      if (const host::RecordSetPtr configured = FashionCycle(department, phase, cycle)) {
        const auto at = static_cast<size_t>(configured->AbsolutePosition() - 1);
        const PhaseRow row{&configured->Storage(), at, configured->Value("PD95_LOTTORIF")};
        planned.id_ciclo = row.Get("PD48_IDCICLO");
        planned.times = records->KeepTimes(ComputeOnce(row, PhaseSourceKind::Cycle, q, planned.id_ciclo));
      }
    }
    return planned;
  }

  // Whether answers given beside the pass fit it: the phase rows read in
  // bulk, no reconfigured cycles, storage rows in the pass's order (nothing
  // filtered) and enough bookings.
  bool BesideFits() const {
    const RunInputs& in = run.inputs_;
    const auto count = static_cast<int64_t>(bookings.RecordCount());
    return run.phases_->Prefetched() && !in.fashion_cycles && bookings.Filter().empty() &&
           count == static_cast<int64_t>(bookings.Storage().RowCount()) &&
           count >= in.beside_from.value_or(DefaultBesideFrom());
  }

  // The answers given while the bookings were read, when they fit the
  // pass: those of the bookings before Answered(). Null otherwise.
  const OrderPhasesBeside* ReadBeside() const {
    const OrderPhasesBeside* read = run.read_beside_.get();
    return read != nullptr && &read->Bookings() == &bookings.Storage() && BesideFits() ? read : nullptr;
  }

  // The thread beside, when the pass has one: started once the phase rows
  // are read in bulk and there are enough bookings; null otherwise. The
  // bookings before `answered` have their answers already (ReadBeside).
  // It takes the bookings after the first 35 %: it answers one in about
  // half the time the pass takes to work one out, and the pass takes an
  // answer in about a third of that time, so both parts end together.
  // Every answer already given moves that point on by 5/8 of a booking:
  // the pass takes it in meanwhile.
  std::unique_ptr<OrderPhasesBeside> StartBeside(size_t answered) {
    if (!BesideFits()) return nullptr;
    const size_t count = bookings.RecordCount();
    const size_t first = std::max(answered, count * 7 / 20 + answered * 5 / 8);
    if (first >= count) return nullptr;
    try {
      return std::make_unique<OrderPhasesBeside>(bookings.SharedStorage(),
                                                 OrderPhasesBeside::Columns::Of(bookings.Storage()), *run.phases_,
                                                 options, run.Unit(), first);
    } catch (const std::system_error&) {
      return nullptr;  // no thread to be had: the pass works every booking out itself
    }
  }

  // The current booking's phase as the thread beside answered it; worked
  // out here where it could not tell. What the thread computed is kept
  // here as TimesOf would keep it: once, at the first booking that needs it.
  Planned FromBeside(const OrderPhasesBeside& beside, size_t booking_row) {
    if (&beside != kept_of) {  // numbers and answers are each object's own
      kept_of = &beside;
      kept_beside.assign(beside.ComputationCount(), kNotKept);
      last_beside = LastBeside();
    }
    const uint32_t answer = beside.AnswerAt(booking_row);
    if (answer == OrderPhasesBeside::kAsk) return FindPhase(booking_row);
    if (answer == OrderPhasesBeside::kNoPhase) return Planned{};
    if (answer == last_beside.answer) return last_beside.planned;
    const OrderPhasesBeside::Computation& computation = beside.ComputationOf(answer);
    const PhaseRow row = run.phases_->BulkOrderRow(computation.row);
    Planned planned;
    planned.id_ciclo = row.Get(&PhaseColumns::phase_id, "PD2A_IDFASE");
    planned.qtaodl = row.Get(&PhaseColumns::order_quantity, "DO46_QTA1ORD");
    uint32_t& kept = kept_beside[answer - OrderPhasesBeside::kFirstComputation];
    if (kept == kNotKept) {
      const ComputationKey key = ComputationKeyOf(row.table, row.row, planned.qtaodl, article_number, option_number);
      if (const std::optional<uint32_t> known = computed.Find(key)) {
        kept = *known;
      } else {
        kept = records->KeepTimesOf(beside.Records(), computation.times);
        computed.Add(key, kept);
        pass_times->Note(kept, row, true, planned.qtaodl, true, false);
      }
    }
    planned.times = kept;
    last_beside = {answer, planned};
    return planned;
  }

  void AddRecord(size_t booking_row, const Planned& planned) {
    // Figures that might not fit are worked out now, so that a booking
    // that cannot be shown is found by the run, not by a reader.
    if (records->NearLimits(booking_row, planned.times)) {
      host::Status said;
      try {
        records->Check(out.Storage(), booking_row, planned.times, said);
      } catch (const std::exception&) {
        run.context_.Add(said);
        throw;
      }
      run.context_.Add(said);
    }
    out.AddNew();
    out.SetValue(size_t{0}, Read(bookings, f.id));
    out.SetValue(size_t{1}, planned.id_ciclo);
    out.SetValue(size_t{2}, planned.qtaodl);
    records->Place(out.StorageRow(), booking_row, planned.times);
    out.Update();
  }

  // One booking whose times cannot be shown does not lose the run: it
  // keeps its record, without times, and the message names it.
  void AddWithoutTimes(size_t booking_row) {
    if (out.Editing() != host::RecordSet::EditMode::None) out.CancelUpdate();
    out.AddNew();
    out.SetValue(size_t{0}, Read(bookings, f.id));
    records->Place(out.StorageRow(), booking_row, PlannedRecords::kWithoutTimes);
    out.Update();
    left_out.push_back(ValoreNumerico(Read(bookings, f.id)).ToText());
  }

  // The bookings left without times, said once (a warning: the run goes on).
  void ReportLeftOut() const {
    if (left_out.empty()) return;
    std::string ids;
    for (size_t i = 0; i < left_out.size() && i < 10; ++i) ids += (i == 0 ? "" : ", ") + left_out[i];
    if (left_out.size() > 10) ids += ", ... (" + std::to_string(left_out.size()) + " in all)";
    run.context_.Add(host::Status::Of("CalcolaTempiPreventiviDettagliati",
                             host::Error(host::kWarnValueLeftOut,
                                         "bookings " + ids + ": a time is too large to show; they are left without times",
                                         "CalcolaTempiPreventiviDettagliati")));
  }

  ComparisonRun& run;
  host::RecordSet& bookings;
  host::RecordSet& out;
  const BookingFields f;
  const PhaseOptions options;
  std::shared_ptr<PlannedRecords> records;
  // What each kept computation was made from, for the group totals.
  std::shared_ptr<PassTimes> pass_times;
  FormulaEvaluator formula;
  bool formula_evaluated = false;  // by the computation under way
  bool formula_failed = false;     // a formula of the computation under way failed
  BookingKeys computed_keys;       // what the last computation's formulas saw of its booking
  ComputedTimes computed;
  std::vector<std::string> left_out;
  // The bookings' texts that every booking's phase is found by.
  TrimmedTexts articles{bookings.Storage(), f.article}, variants{bookings.Storage(), f.option},
      departments{bookings.Storage(), f.department}, orders{bookings.Storage(), f.numreg},
      projects{bookings.Storage(), f.project}, cycles{bookings.Storage(), f.cycle};
  // The current booking's article and option (the formulas read them) and their numbers.
  std::string article, option_text;
  uint32_t article_number = 0, option_number = 0;
  // The last order phase a booking found, by what found it.
  struct LastOrderPhase {
    uint32_t order, department, article, option;
    Variant order_row, phase;
    Planned planned;
  };
  std::optional<LastOrderPhase> last_order;
  // The computations of the answers taken last (kept_of) as kept here, by
  // their numbers there.
  static constexpr uint32_t kNotKept = UINT32_MAX;
  const OrderPhasesBeside* kept_of = nullptr;
  std::vector<uint32_t> kept_beside;
  // The last answer taken from the thread beside.
  struct LastBeside {
    uint32_t answer = OrderPhasesBeside::kAsk;
    Planned planned;
  } last_beside;

  // Makes the booking at storage row `booking_row` (the current one) the pass's.
  void Select(size_t booking_row) {
    article_number = articles.NumberAt(booking_row);
    option_number = variants.NumberAt(booking_row);
    article = articles.Text(article_number);
    option_text = variants.Text(option_number);
  }
};

bool ComparisonRun::CalcolaTempiPreventiviDettagliati() {
  Progress& progress = *inputs_.progress;
  pass_times_.reset();
  try {
    host::RecordSet& bookings = *records_.RSTempiVerDett;
    bookings.MoveFirst();
    progress.Stage(RunStage::Planned);
    progress.Show(static_cast<int64_t>(bookings.RecordCount()));
    if (static_cast<int64_t>(bookings.RecordCount()) >= inputs_.prefetch_from && !phases_->Prefetched() &&
        !inputs_.fashion_cycles) {
      phases_->Prefetch();
    }
    PlannedPass pass(*this, bookings);
    pass_times_ = pass.pass_times;
    pass.records->Reserve(bookings.RecordCount());
    // The bookings before read_end answered while they were read, those
    // from beside_first by a thread now; the pass works out the others.
    const OrderPhasesBeside* read = pass.ReadBeside();
    const size_t read_end = read != nullptr ? read->Answered() : 0;
    timings_.answered_while_reading = read_end;
    const std::unique_ptr<OrderPhasesBeside> beside = pass.StartBeside(read_end);
    const size_t beside_first = beside ? beside->First() : SIZE_MAX;
    for (; !bookings.Eof(); bookings.MoveNext()) {
      progress.Set(bookings.AbsolutePosition());
      const size_t booking_row = bookings.StorageRow();
      if (booking_row == beside_first) beside->Wait();
      try {
        pass.Select(booking_row);
        pass.AddRecord(booking_row, booking_row < read_end        ? pass.FromBeside(*read, booking_row)
                                    : booking_row >= beside_first ? pass.FromBeside(*beside, booking_row)
                                                                  : pass.FindPhase(booking_row));
      } catch (const host::Error& e) {
        if (e.Number() != host::kErrOverflow) throw;
        pass.AddWithoutTimes(booking_row);
      }
    }
    bookings.MoveFirst();
    read_beside_.reset();  // its times are kept in the pass's records now
    progress.Hide();
    pass.ReportLeftOut();
    return false;
  } catch (const std::exception&) {
    read_beside_.reset();
    progress.Hide();
    context_.Caught("CalcolaTempiPreventiviDettagliati");
    return true;
  }
}

}  // namespace engine
