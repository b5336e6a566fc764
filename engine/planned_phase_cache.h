// The planned times of phases already worked out for group totals, so that a
// phase counted in many groups (and once more in the run's total) is
// computed once.
//
// A phase's planned times depend on the phase (order or cycle phase, and its
// id), on the quantity it is computed with (the order quantity of an order
// phase, the booking quantity of a cycle phase) and on the article and
// variant its formulas see: the key holds those values themselves (the id's
// decimal, the quantity's type and text, the texts), never addresses. The
// outputs are kept exactly, types included, in compact variant columns.
//
// The run's pass kept most phases' planned times already; where they were
// split into the unit's members beside (PassSplits), a phase taken from
// the pass gets a number here without being kept again.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include <memory>

#include "engine/pass_splits.h"
#include "engine/phase_outputs.h"
#include "host/value/variant.h"

namespace engine {

class PlannedPhaseCache {
 public:
  struct Key {
    bool order = false;
    host::Int128 id = 0;
    int id_scale = 0;
    uint32_t quantity = 0, article = 0, option = 0;  // interned texts
    friend bool operator==(const Key&, const Key&) = default;
  };

  PlannedPhaseCache();

  // The key of a phase computed with `quantity`, `article` and `option`.
  // Throws as Variant::ToDecimal when the id is no number.
  Key KeyOf(bool order, const host::Variant& phase_id, const host::Variant& quantity, const std::string& article,
            const std::string& option);

  // The number of what was kept under `key`, if anything.
  [[nodiscard]] std::optional<uint32_t> Find(const Key& key) const;
  // Keeps `outputs` under `key` (once); answers their number.
  uint32_t Keep(const Key& key, const PhaseOutputs& outputs, bool left_out);
  // Keeps `outputs` without a key (the caller finds them by their number);
  // answers their number.
  uint32_t KeepUnkeyed(const PhaseOutputs& outputs, bool left_out);
  // Reads what was kept as number `number` (one this cache answered) into
  // `out`; answers whether the phase's times were left out as too large.
  bool Read(uint32_t number, PhaseOutputs& out) const;

  // From now on the pass's computations split in `splits` are numbered
  // here as they are (none is left out: those are not split there).
  void UsePassSplits(std::shared_ptr<const PassSplits> splits);
  // Whether it does (numbers it gave read from them: they stay).
  [[nodiscard]] bool UsesPassSplits() const { return splits_ != nullptr; }
  // The number of pass computation `times` if it is split already.
  [[nodiscard]] std::optional<uint32_t> SplitNumber(uint32_t times) const;

  [[nodiscard]] size_t Size() const { return left_out_.size(); }

 private:
  struct KeyHash {
    size_t operator()(const Key& k) const noexcept;
  };
  uint32_t Intern(const std::string& text);

  std::unordered_map<std::string, uint32_t> texts_;
  std::unordered_map<Key, uint32_t, KeyHash> rows_;
  PhaseOutputsTable outputs_;
  std::vector<bool> left_out_;
  // Numbers from kSplitNumbers on are pass computations in splits_.
  static constexpr uint32_t kSplitNumbers = 1U << 31;
  std::shared_ptr<const PassSplits> splits_;
};

}  // namespace engine
