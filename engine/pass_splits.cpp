#include "engine/pass_splits.h"

#include "engine/planned_records.h"

namespace engine {

namespace {

// The status of a split that said nothing.
bool Silent(const host::Status& status) {
  return status.kind() == host::Status::Kind::kOk && status.diagnostics().empty();
}

}  // namespace

PassSplits::PassSplits(std::shared_ptr<const PassTimes> pass, int16_t unit) : pass_(std::move(pass)), unit_(unit) {
  blocks_.resize((pass_->Size() + kBlock - 1) / kBlock);
  first_published_.store(blocks_.size(), std::memory_order_relaxed);
  thread_ = std::thread([this] { Split(); });
}

PassSplits::~PassSplits() {
  Stop();
  Wait();
}

void PassSplits::Stop() { stop_.store(true, std::memory_order_relaxed); }

void PassSplits::Wait() {
  if (thread_.joinable()) thread_.join();
}

bool PassSplits::Has(uint32_t times) const {
  const size_t block = times / kBlock;
  if (block >= blocks_.size() || block < first_published_.load(std::memory_order_acquire)) return false;
  return blocks_[block]->row[times % kBlock] != 0;
}

void PassSplits::Read(uint32_t times, PhaseOutputs& out) const {
  const Block& block = *blocks_[times / kBlock];
  block.outputs.Read(block.row[times % kBlock] - 1, out);
}

void PassSplits::Split() {
  const size_t size = pass_->Size();
  try {
    for (size_t b = blocks_.size(); b-- > 0 && !stop_.load(std::memory_order_relaxed);) {
      auto block = std::make_unique<Block>();
      const size_t first = b * kBlock;
      const size_t end = std::min(size, first + kBlock);
      block->row.assign(end - first, 0);
      for (size_t t = first; t < end; ++t) {
        const auto times = static_cast<uint32_t>(t);
        if (!pass_->Offers(times)) continue;
        PhaseOutputs out;
        bool silent = true;
        try {
          const std::array<host::Variant, 7> kept = pass_->Times(times);
          for (size_t c = 0; c < 7 && silent; ++c) {
            host::Valued<PlannedSplit> split = SplitPlanned(kept[c], unit_);
            silent = Silent(split.status);
            out.hours[c] = std::move(split.value.hours);
            out.minutes[c] = std::move(split.value.minutes);
            out.seconds[c] = std::move(split.value.seconds);
          }
        } catch (const std::exception&) {
          silent = false;
        }
        if (silent) block->row[t - first] = static_cast<uint32_t>(block->outputs.Append(out)) + 1;
      }
      blocks_[b] = std::move(block);
      first_published_.store(b, std::memory_order_release);
    }
  } catch (const std::exception&) {
    // Out of memory: what is published stays; the rest is split by the caller.
  }
}

}  // namespace engine
