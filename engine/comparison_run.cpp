#include "engine/comparison_run.h"

#include <atomic>
#include <chrono>
#include <exception>
#include <thread>
#include <unordered_map>

#include "engine/booking_queries.h"
#include "engine/oms.h"
#include "engine/planned_queries.h"
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

ComparisonRun::ComparisonRun(FormServices& form, RunInputs inputs) : form_(form), inputs_(std::move(inputs)) {
  phases_ = std::make_unique<PhaseSource>(*inputs_.connection, inputs_.company);
}

TipoTempo ComparisonRun::Unit() const { return static_cast<TipoTempo>(Variant(inputs_.unit_code).ToInt16()); }

PhaseOptions ComparisonRun::Options() const {
  return {host::CompareNumbers(ValoreNumerico(inputs_.wait_check), int16_t{0}) != 0,
          host::CompareNumbers(ValoreNumerico(inputs_.queue_check), int16_t{0}) != 0};
}

bool ComparisonRun::LeggiVersamentiTempi() {
  try {
    InizializzaRS(form_, records_);
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
      campi.SetValue("ALIASLINGUA", form_.TraduciCaption(item.caption));
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
    in.unit_code = inputs_.unit_code;
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
      ReadBothQueries();
    }
    if (records_.RSTempiVer->Eof()) {
      records_.RSTempiVerDett.reset();
      return false;
    }
    if (host::CompareNumbers(ValoreNumerico(records_.RSTempiVer->Value("IDGRUPPO")), int16_t{0}) > 0) {
      CompleteFieldMetadata();
      auto start = Clock::now();
      const bool failed = CalcolaTempiPreventiviDettagliati();
      timings_.planned = seconds(start);
      return failed;
    }
    records_.RSTempiVer.reset();
    records_.RSTempiVerDett.reset();
    return false;
  } catch (...) {
    ReportCurrentError(form_, "LeggiVersamentiTempi");
    return true;
  }
}

void ComparisonRun::ReadBothQueries() {
  using Clock = std::chrono::steady_clock;
  const auto seconds = [](Clock::time_point since) { return std::chrono::duration<double>(Clock::now() - since).count(); };
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
    records_.RSTempiVer = inputs_.connection->Execute(grouped_sql_);
    timings_.grouped = seconds(start);
    if (records_.RSTempiVer->Eof()) return;
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
  std::thread grouped([&] {
    try {
      const auto start = Clock::now();
      records_.RSTempiVer = sibling_->Execute(grouped_sql_);
      timings_.grouped = seconds(start);
    } catch (...) {
      grouped_error = std::current_exception();
      inputs_.connection->Interrupt();  // the bookings of a failed run are of no use
      return;
    }
    // A detailed query still running means a large run: its phase rows are
    // read in bulk here meanwhile. Should this fail, the planned times read
    // them themselves and report what fails there.
    prefetching = true;
    if (!detailed_done && !inputs_.fashion_cycles && !records_.RSTempiVer->Eof()) {
      try {
        phases_->Prefetch(sibling_.get());
        prefetched_beside = true;
      } catch (...) {
      }
    }
  });
  std::exception_ptr detailed_error;
  try {
    const auto start = Clock::now();
    records_.RSTempiVerDett = inputs_.connection->Execute(detailed_sql_);
    timings_.detailed = seconds(start);
    detailed_done = true;
    // Too few bookings for the bulk read: the phases are asked one by one.
    if (static_cast<int64_t>(records_.RSTempiVerDett->RecordCount()) < inputs_.prefetch_from && prefetching) {
      sibling_->Interrupt();
    }
  } catch (...) {
    detailed_done = true;
    detailed_error = std::current_exception();
    sibling_->Interrupt();  // no use grouping the bookings of a failed run
  }
  grouped.join();
  if (prefetched_beside && records_.RSTempiVerDett &&
      static_cast<int64_t>(records_.RSTempiVerDett->RecordCount()) < inputs_.prefetch_from) {
    phases_ = std::make_unique<PhaseSource>(*inputs_.connection, inputs_.company);
  }
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
    } catch (...) {
      return false;
    }
  };
  if (grouped_error && !stopped(grouped_error)) std::rethrow_exception(grouped_error);
  if (detailed_error) std::rethrow_exception(detailed_error);
  if (grouped_error) std::rethrow_exception(grouped_error);
}

void ComparisonRun::Interrupt() {
  inputs_.connection->Interrupt();
  std::lock_guard lock(sibling_mutex_);
  if (sibling_) sibling_->Interrupt();
}

void ComparisonRun::CompleteFieldMetadata() {
  host::RecordSet& campi = *records_.RSCampi;
  const host::RecordSet& groups = *records_.RSTempiVer;
  const int16_t unit = Variant(inputs_.unit_code).IsNumeric() ? Variant(inputs_.unit_code).ToInt16() : int16_t{-1};
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
      campi.SetValue("ALIASLINGUA", form_.TestoLingua(b.caption, b.number, 0));
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

bool ComparisonRun::CalcolaTempiPreventiviDettagliati() {
  Progress& progress = *inputs_.progress;
  try {
    const int16_t unit = Unit();
    const PhaseOptions options = Options();
    host::RecordSet& bookings = *records_.RSTempiVerDett;
    host::RecordSet& out = *records_.RSTempiPrevDett;
    bookings.MoveFirst();
    progress.Stage(RunStage::Planned);
    progress.Show(static_cast<int64_t>(bookings.RecordCount()));
    if (static_cast<int64_t>(bookings.RecordCount()) >= inputs_.prefetch_from && !phases_->Prefetched() &&
        !inputs_.fashion_cycles) {
      phases_->Prefetch();
    }
    const BookingFields f(bookings);
    // The formula evaluator, made once: it reads the booking's article and option.
    const std::string* current_article = nullptr;
    const std::string* current_option = nullptr;
    const FormulaEvaluator formula = [&](const std::string& code, const std::string& cycle,
                                         const std::array<Variant, 28>& values) {
      return ElaboraFormulaCicli(form_, *inputs_.production, code, *current_article, *current_option, cycle, values);
    };
    // The records keep their three stored fields; their figures are worked
    // out when read, from the planned times kept here and the booking's row.
    auto records = std::make_shared<PlannedRecords>(unit, bookings.SharedStorage());
    out.Storage().ComputeFields(PlannedRecords::kFirstField, PlannedRecords::FieldNames(), records);
    // Bookings of one phase row with one quantity plan the same times: each
    // such phase is computed once (the run's phase rows live as long as it).
    std::unordered_map<std::string, uint32_t> computed;
    const auto compute = [&](const PhaseRow& row, PhaseSourceKind kind, const Variant& q, const Variant& id,
                             const BookingKeys& keys, const FormulaEvaluator& formula) {
      std::string key(reinterpret_cast<const char*>(&row.table), sizeof row.table);
      key.append(reinterpret_cast<const char*>(&row.row), sizeof row.row);
      key += q.IsNull() ? std::string("N") : ValoreNumerico(q).ToDecimal().Normalized().ToString();
      key += '\x1f' + keys.article + '\x1f' + keys.option;
      auto it = computed.find(key);
      if (it != computed.end()) return it->second;
      const auto& workers = kind == PhaseSourceKind::Order ? phases_->OrderWorkers(id) : phases_->CycleWorkers(id);
      const uint32_t kept = records->KeepTimes(ComputePhase(row, kind, workers, q, options, keys, formula));
      computed.emplace(std::move(key), kept);
      return kept;
    };
    // Bookings whose times cannot be shown, said once at the end.
    std::vector<std::string> left_out;
    for (; !bookings.Eof(); bookings.MoveNext()) {
      progress.Set(bookings.AbsolutePosition());
      const size_t booking_row = bookings.StorageRow();
      try {
        const std::string art = host::RTrim(Read(bookings, f.article).JoinedText());
        const std::string prog = host::RTrim(Read(bookings, f.project).JoinedText());
        const std::string option = host::RTrim(Read(bookings, f.option).JoinedText());
        const std::string department = host::RTrim(Read(bookings, f.department).JoinedText());
        const Variant phase = Read(bookings, f.phase);
        Variant id_ciclo;
        Variant qtaodl = int16_t{0};
        uint32_t times = 0;  // nothing planned
        BookingKeys keys{
            Read(bookings, f.numreg), Read(bookings, f.order_row), phase, Read(bookings, f.department), art, option};
        current_article = &art;
        current_option = &option;
        if (host::CompareNumbers(ValoreNumerico(Read(bookings, f.bom)), int16_t{0}) > 0) {
          if (auto row = phases_->OrderPhase(host::RTrim(Read(bookings, f.numreg).JoinedText()),
                                             Read(bookings, f.order_row), department, phase)) {
            id_ciclo = row->Get("PD2A_IDFASE");
            const Variant q = row->Get("DO46_QTA1ORD");
            qtaodl = q;
            times = compute(*row, PhaseSourceKind::Order, q, id_ciclo, keys, formula);
          }
        } else if (!art.empty()) {
          const Variant q = Reported(form_, NVL(Read(bookings, f.quantity), int16_t{1}));
          int16_t tipo = 0;
          std::string prog_db;
          if (!prog.empty() && host::CompareNumbers(ValoreNumerico(Read(bookings, f.article_type)), int16_t{3}) == 0) {
            tipo = 3;
            prog_db = prog;
          }
          std::string message;
          const Variant bom =
              inputs_.production->CercaDistintaBase(art, option, tipo, prog_db, 0, 0, 0, true, 0, &message);
          const std::string cycle = host::RTrim(Read(bookings, f.cycle).JoinedText());
          std::optional<PhaseRow> row;
          host::RecordSetPtr configured;  // keeps a reconfigured cycle alive
          if (!bom.IsNull()) {
            row = phases_->CycleByBom(department, phase, bom);
          } else if (!cycle.empty() && !inputs_.fashion_cycles) {
            row = phases_->DefaultCycle(department, phase, cycle);
          } else if (!cycle.empty()) {
            // The host may reconfigure the cycle for the variant by date: the
            // cycle rows go to it as the query answers them.
            const host::RecordSetPtr cycle_rows = inputs_.connection->Execute(
                DefaultCycleQuery(inputs_.company, department, ValoreNumerico(phase).ToText(), cycle));
            if (!RecordsetVuoto(cycle_rows)) {
              if (!fashion_cycle_) {
                fashion_cycle_ =
                    ConfigurationValues(form_, *inputs_.connection, inputs_.company).InizializzaCicloFashion();
              }
              configured = fashion_cycle_->ConfiguraCicloFashionPerDate(cycle_rows, art, option);
              if (!RecordsetVuoto(configured) && !configured->Eof()) {
                const auto at = static_cast<size_t>(configured->AbsolutePosition() - 1);
                row = PhaseRow{&configured->Storage(), at, configured->Value("PD95_LOTTORIF")};
              }
            }
          }
          if (row) {
            id_ciclo = row->Get("PD48_IDCICLO");
            times = configured ? records->KeepTimes(ComputePhase(*row, PhaseSourceKind::Cycle,
                                                                 phases_->CycleWorkers(id_ciclo), q, options, keys,
                                                                 formula))
                               : compute(*row, PhaseSourceKind::Cycle, q, id_ciclo, keys, formula);
          }
        }
        // Figures that might not fit are worked out now, so that a booking
        // that cannot be shown is found by the run, not by a reader.
        if (records->NearLimits(booking_row, times)) records->Check(form_, out.Storage(), booking_row, times);
        out.AddNew();
        out.SetValue(size_t{0}, Read(bookings, f.id));
        out.SetValue(size_t{1}, id_ciclo);
        out.SetValue(size_t{2}, qtaodl);
        records->Place(out.StorageRow(), booking_row, times);
        out.Update();
      } catch (const host::Error& e) {
        if (e.Number() != host::kErrOverflow) throw;
        // One booking whose times cannot be shown does not lose the run: it
        // keeps its record, without times, and the message names it.
        if (out.Editing() != host::RecordSet::EditMode::None) out.CancelUpdate();
        out.AddNew();
        out.SetValue(size_t{0}, Read(bookings, f.id));
        records->Place(out.StorageRow(), booking_row, PlannedRecords::kWithoutTimes);
        out.Update();
        left_out.push_back(ValoreNumerico(Read(bookings, f.id)).ToText());
      }
    }
    bookings.MoveFirst();
    progress.Hide();
    if (!left_out.empty()) {
      std::string ids;
      for (size_t i = 0; i < left_out.size() && i < 10; ++i) ids += (i == 0 ? "" : ", ") + left_out[i];
      if (left_out.size() > 10) ids += ", ... (" + std::to_string(left_out.size()) + " in all)";
      form_.GestioneErrore("CalcolaTempiPreventiviDettagliati",
                           host::Error(host::kWarnValueLeftOut,
                                       "bookings " + ids + ": a time is too large to show; they are left without times",
                                       "CalcolaTempiPreventiviDettagliati"));
    }
    return false;
  } catch (...) {
    progress.Hide();
    ReportCurrentError(form_, "CalcolaTempiPreventiviDettagliati");
    return true;
  }
}

}  // namespace engine
