#include "engine/planned_phase_cache.h"

#include <algorithm>
#include <array>
#include <bit>

namespace engine {

PlannedPhaseCache::PlannedPhaseCache() = default;

size_t PlannedPhaseCache::KeyHash::operator()(const Key& k) const noexcept {
  const auto lo = static_cast<uint64_t>(k.id);
  const auto hi = static_cast<uint64_t>(static_cast<unsigned __int128>(k.id) >> 64);
  uint64_t h = lo * 0x9E3779B97F4A7C15ULL ^ (hi + 0x632BE59BD9B4E019ULL);
  h ^= (static_cast<uint64_t>(k.quantity) << 32 | k.article) * 0xC2B2AE3D27D4EB4FULL;
  h ^= (static_cast<uint64_t>(k.option) << 9 | static_cast<uint64_t>(k.id_scale) << 1 | (k.order ? 1U : 0U)) *
       0x165667B19E3779F9ULL;
  return static_cast<size_t>(h ^ (h >> 29));
}

uint32_t PlannedPhaseCache::Intern(const std::string& text) {
  return texts_.try_emplace(text, static_cast<uint32_t>(texts_.size())).first->second;
}

PlannedPhaseCache::Key PlannedPhaseCache::KeyOf(bool order, const host::Variant& phase_id,
                                                const host::Variant& quantity, const std::string& article,
                                                const std::string& option) {
  const host::Decimal id = phase_id.ToDecimal();
  Key key;
  key.order = order;
  key.id = id.Coefficient();
  key.id_scale = id.Scale();
  // The type too (a computation may keep a whole number apart from a
  // decimal), and a binary number by its bits: its text may round.
  const std::string exact = quantity.Type() == host::VarType::Double
                                ? std::to_string(std::bit_cast<int64_t>(quantity.ToDouble()))
                                : quantity.JoinedText();
  key.quantity = Intern(std::to_string(static_cast<int>(quantity.Type())) + ':' + exact);
  key.article = Intern(article);
  key.option = Intern(option);
  return key;
}

std::optional<uint32_t> PlannedPhaseCache::Find(const Key& key) const {
  const auto it = rows_.find(key);
  if (it == rows_.end()) return std::nullopt;
  return it->second;
}

bool PlannedPhaseCache::Read(uint32_t number, PhaseOutputs& out) const {
  if (number >= kSplitNumbers) {
    splits_->Read(number - kSplitNumbers, out);
    return false;
  }
  outputs_.Read(number, out);
  return left_out_[number];
}

void PlannedPhaseCache::UsePassSplits(std::shared_ptr<const PassSplits> splits) { splits_ = std::move(splits); }

std::optional<uint32_t> PlannedPhaseCache::SplitNumber(uint32_t times) const {
  if (!splits_ || times >= kSplitNumbers || !splits_->Has(times)) return std::nullopt;
  return kSplitNumbers + times;
}

uint32_t PlannedPhaseCache::Keep(const Key& key, const PhaseOutputs& outputs, bool left_out) {
  const auto it = rows_.find(key);
  if (it != rows_.end()) return it->second;
  const uint32_t row = KeepUnkeyed(outputs, left_out);
  rows_.emplace(key, row);
  return row;
}

uint32_t PlannedPhaseCache::KeepUnkeyed(const PhaseOutputs& outputs, bool left_out) {
  const size_t row = outputs_.Append(outputs);
  left_out_.push_back(left_out);
  return static_cast<uint32_t>(row);
}

}  // namespace engine
