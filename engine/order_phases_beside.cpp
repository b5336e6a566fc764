#include "engine/order_phases_beside.h"

#include <algorithm>
#include <limits>
#include <optional>
#include <utility>

#include "engine/trimmed_texts.h"
#include "engine/value_helpers.h"
#include "host/framework/free_cores.h"

namespace engine {

using host::Variant;

int64_t DefaultBesideFrom() { return host::FreeCores() >= 2 ? 10000 : std::numeric_limits<int64_t>::max(); }

OrderPhasesBeside::Columns OrderPhasesBeside::Columns::Of(const host::Table& bookings) {
  const auto at = [&](const char* name) { return bookings.FieldIndex(name); };
  return {at("DO30_IDDISBA_PD95"), at("PD44_NUMREG_CO99"), at("PD44_PROGRIGA_DO30"), at("PD44_CODFORNREP"),
          at("PD44_CODFASE_PD12"), at("PD44_CODART_MG66"), at("PD44_OPZIONE")};
}

// Kept from one booking to the next, and from one AnswerMore to the next.
struct OrderPhasesBeside::Walk {
  Walk(const host::Table& bookings, const Columns& c)
      : articles{bookings, c.article},
        variants{bookings, c.option},
        departments{bookings, c.department},
        orders{bookings, c.numreg} {}
  TrimmedTexts articles, variants, departments, orders;
  ComputedTimes computed;
  // The last booking's keys and answer: the bookings come grouped, and the
  // next one most often books the same order phase.
  struct Last {
    uint32_t order, department, article, option;
    Variant order_row, phase;
    uint32_t answer;
  };
  std::optional<Last> last;
};

OrderPhasesBeside::OrderPhasesBeside(std::shared_ptr<const host::Table> bookings, Columns columns,
                                     const PhaseSource& phases, PhaseOptions options, int16_t unit, size_t first)
    : bookings_(std::move(bookings)),
      columns_(columns),
      phases_(phases),
      options_(options),
      first_(first),
      answers_(first < bookings_->RowCount() ? bookings_->RowCount() - first : 0, kAsk),
      records_(unit, bookings_),
      walk_(std::make_unique<Walk>(*bookings_, columns_)) {
  thread_ = std::jthread([this](const std::stop_token& stop) { AnswerAll(stop); });
}

OrderPhasesBeside::OrderPhasesBeside(std::shared_ptr<const host::Table> bookings, Columns columns,
                                     const PhaseSource& phases, PhaseOptions options, int16_t unit)
    : bookings_(std::move(bookings)),
      columns_(columns),
      phases_(phases),
      options_(options),
      first_(0),
      records_(unit, bookings_),
      walk_(std::make_unique<Walk>(*bookings_, columns_)) {}

OrderPhasesBeside::~OrderPhasesBeside() {
  thread_.request_stop();
  if (thread_.joinable()) thread_.join();
}

void OrderPhasesBeside::Wait() {
  if (thread_.joinable()) thread_.join();
}

void OrderPhasesBeside::AnswerAll(const std::stop_token& stop) {
  for (size_t row = first_; row < bookings_->RowCount(); ++row) {
    if ((row & 1023) == 0 && stop.stop_requested()) return;
    AnswerRow(row);
  }
  answered_ = answers_.size();
  walk_.reset();  // the rest of the run reads the answers only
}

bool OrderPhasesBeside::AnswerMore(size_t most) {
  const size_t rows = bookings_->RowCount();
  if (!walk_ || first_ + answered_ >= rows) return false;
  const size_t end = std::min(rows, first_ + answered_ + most);
  answers_.resize(end - first_, kAsk);
  for (size_t row = first_ + answered_; row < end; ++row) AnswerRow(row);
  answered_ = end - first_;
  return true;
}

void OrderPhasesBeside::EndAnswering() {
  walk_.reset();
  answers_.shrink_to_fit();
}

void OrderPhasesBeside::AnswerRow(size_t row) {
  const host::Table& bookings = *bookings_;
  const Columns& c = columns_;
  Walk& w = *walk_;
  const auto cell = [&](int column) { return column < 0 ? Variant() : bookings.Get(row, static_cast<size_t>(column)); };
  try {
    // As the pass finds an order phase; anything else is the pass's.
    const uint32_t department = w.departments.NumberAt(row);
    if (host::CompareNumbers(ValoreNumerico(cell(c.bom)), int16_t{0}) <= 0) return;
    const uint32_t order = w.orders.NumberAt(row);
    const uint32_t article = w.articles.NumberAt(row);
    const uint32_t option = w.variants.NumberAt(row);
    const Variant order_row = cell(c.order_row);
    const Variant phase = cell(c.phase);
    const std::optional<Walk::Last>& last = w.last;
    if (last && last->order == order && last->department == department && last->article == article &&
        last->option == option && last->order_row == order_row && last->phase == phase) {
      answers_[row - first_] = last->answer;
      return;
    }
    uint32_t answer = kAsk;
    if (const auto found =
            phases_.BulkOrderPhase(w.orders.Text(order), order_row, w.departments.Text(department), phase)) {
      answer = *found ? Computed(**found, article, option, w.computed) : kNoPhase;
    }
    w.last = Walk::Last{order, department, article, option, order_row, phase, answer};
    answers_[row - first_] = answer;
  } catch (...) {  // the answering's edge: the pass works this booking out and says what fails
    w.last.reset();
  }
}

uint32_t OrderPhasesBeside::Computed(const PhaseRow& row, uint32_t article, uint32_t option, ComputedTimes& computed) {
  const Variant id = row.Get(&PhaseColumns::phase_id, "PD2A_IDFASE");
  const Variant quantity = row.Get(&PhaseColumns::order_quantity, "DO46_QTA1ORD");
  const ComputationKey key = ComputationKeyOf(row.table, row.row, quantity, article, option);
  if (const std::optional<uint32_t> known = computed.Find(key)) return *known;
  // A formula is the pass's: it reads the booking and the host's services.
  bool formula = false;
  const FormulaEvaluator evaluator = [&formula](const std::string&, const std::string&,
                                                const std::array<Variant, 28>&) {
    formula = true;
    return Variant(int16_t{0});
  };
  const std::vector<WorkerRow>* workers = phases_.BulkOrderWorkers(id);
  if (workers == nullptr) return kAsk;
  const PhaseTimes times =
      ComputePhase(row, PhaseSourceKind::Order, *workers, quantity, options_, BookingKeys{}, evaluator);
  uint32_t answer = kAsk;
  if (!formula) {
    computations_.push_back({static_cast<uint32_t>(row.row), records_.KeepTimes(times)});
    answer = static_cast<uint32_t>(computations_.size() - 1) + kFirstComputation;
  }
  computed.Add(key, answer);
  return answer;
}

}  // namespace engine
