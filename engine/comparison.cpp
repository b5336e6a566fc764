#include "engine/comparison.h"

#include "host/framework/free_cores.h"
#include "engine/pass_splits.h"
#include "engine/planned_phase_cache.h"
#include "engine/value_helpers.h"

namespace engine {

void Comparison::CancellableProgress::Show(int64_t maximum) {
  if (target_ != nullptr) target_->Show(maximum);
}

void Comparison::CancellableProgress::Set(int64_t value) {
  // Checked here because every long loop of the run reports its progress.
  if (cancel_) throw host::Error(host::kErrCancelled, "Stopped by the user");
  if (target_ != nullptr) target_->Set(value);
}

void Comparison::CancellableProgress::Hide() {
  if (target_ != nullptr) target_->Hide();
}

void Comparison::CancellableProgress::Stage(RunStage stage) {
  if (target_ != nullptr) target_->Stage(stage);
}

void Comparison::CancellableProgress::Follow(std::function<int64_t()> count) {
  if (target_ != nullptr) target_->Follow(std::move(count));
}

Comparison::Comparison(host::LanguageServices& language, ComparisonRequest request)
    : context_(language), request_(std::move(request)) {
  if (!request_.connection) throw host::Error(host::kErrObjectNotSet, "A comparison needs an open connection");
  production_ = std::make_unique<host::ProductionServices>(*request_.connection, request_.company);
  RunInputs inputs;
  inputs.connection = request_.connection.get();
  inputs.company = request_.company;
  inputs.query = &request_.query;
  inputs.order = &request_.order;
  inputs.unit = request_.unit;
  inputs.options = {request_.exclude_wait, request_.exclude_queue};
  inputs.fashion = request_.fashion;
  inputs.production = production_.get();
  inputs.progress = &progress_;
  inputs.prefetch_from = request_.prefetch_from;
  inputs.beside_from = request_.beside_from;
  reader_ = std::make_unique<ComparisonRun>(context_, inputs);
  for (const auto& item : request_.order.Items()) {
    if (item.use == host::OrderControl::Use::Grouping) grouping_columns_.push_back(item.column);
  }
}

Comparison::~Comparison() = default;

std::unique_ptr<Comparison> Comparison::Make(host::LanguageServices& language, ComparisonRequest request,
                                             Progress& progress) {
  auto comparison = std::make_unique<Comparison>(language, std::move(request));
  comparison->Run(progress);
  return comparison;
}

host::Status Comparison::Run(Progress& progress) {
  (void)context_.Take();  // what an earlier step left unasked belongs to it
  totals_.reset();
  progress_.Target(&progress);
  const bool failed = reader_->LeggiVersamentiTempi();
  progress_.Target(nullptr);
  run_status_ = context_.Take();
  // A statement interrupted by Cancel fails with the back end's own error.
  if (failed && cancel_) run_status_.Add(host::Status::Cancelled());
  stopped_ = run_status_.cancelled();
  return run_status_;
}

void Comparison::Cancel() {
  cancel_ = true;
  reader_->Interrupt();
}

bool Comparison::Empty() const {
  const auto& groups = reader_->Records().RSTempiVer;
  return !groups || RecordsetVuoto(groups.get());
}

GroupTotals& Comparison::Totals() {
  if (!totals_) {
    totals_ = std::make_unique<GroupTotals>(context_, reader_->Records(), reader_->Phases(), *production_,
                                            static_cast<int16_t>(request_.unit), reader_->Options(),
                                            grouping_columns_);
  }
  return *totals_;
}

host::Status Comparison::ComputeAll(Progress& progress) {
  if (Empty()) return {};
  progress_.Target(&progress);
  progress_.Stage(RunStage::GroupTotals);
  // Each phase worked out once for all the groups that count it, and taken
  // from the run's pass where it computed exactly that phase already.
  Totals().ReusePhases();
  const std::shared_ptr<const PassTimes>& pass = reader_->KeptPassTimes();
  Totals().ReusePassTimes(pass);
  // The pass's computations split into the unit's members on a second core
  // meanwhile, from the last back, as this thread comes to them from the first.
  std::shared_ptr<PassSplits> splits;
  if (pass && host::FreeCores() >= 2 && !Totals().PhaseCache()->UsesPassSplits()) {
    splits = std::make_shared<PassSplits>(pass, static_cast<int16_t>(request_.unit));
    Totals().PhaseCache()->UsePassSplits(splits);
  }
  Totals().ComputeAll(progress_);
  if (splits) splits->Stop();  // what it split stays with the phase cache
  progress_.Target(nullptr);
  host::Status status = context_.Take();
  stopped_ = status.cancelled();
  return status;
}

host::Status Comparison::TempiPreventivi() {
  Totals().TempiPreventivi();
  return context_.Take();
}

}  // namespace engine
