#include "engine/pass_times.h"

namespace engine {

namespace {

// The quantity's type and scale, when two quantities of equal value and
// the same type and scale are one and the same value: whole numbers and
// decimals (a binary number's value may print alike and differ).
std::optional<std::pair<uint8_t, uint8_t>> ExactKind(const host::Variant& quantity) {
  switch (quantity.Type()) {
    case host::VarType::Int16:
    case host::VarType::Int32:
    case host::VarType::Int64: return std::pair{static_cast<uint8_t>(quantity.Type()), uint8_t{0}};
    case host::VarType::Decimal:
      return std::pair{static_cast<uint8_t>(quantity.Type()), static_cast<uint8_t>(quantity.ToDecimal().Scale())};
    default: return std::nullopt;
  }
}

}  // namespace

PassTimes::PassTimes(std::shared_ptr<const PlannedRecords> records) : records_(std::move(records)) {}

void PassTimes::Note(uint32_t times, const PhaseRow& row, bool order, const host::Variant& quantity, bool own_lot,
                     bool formula) {
  if (times < origins_.size()) return;
  origins_.resize(static_cast<size_t>(times) + 1);
  const std::optional<std::pair<uint8_t, uint8_t>> kind = ExactKind(quantity);
  Origin& o = origins_[times];
  o.table = row.table;
  o.row = static_cast<uint32_t>(row.row);
  o.order = order;
  o.offered = own_lot && !formula && kind.has_value() && row.table != nullptr && row.row <= UINT32_MAX;
  if (kind) {
    o.quantity_type = kind->first;
    o.quantity_scale = kind->second;
  }
}

std::optional<uint32_t> PassTimes::Offered(size_t record, bool order, const host::Variant& quantity) const {
  const uint32_t times = records_->TimesOf(record);
  if (times >= origins_.size()) return std::nullopt;
  const Origin& o = origins_[times];
  if (!o.offered || o.order != order) return std::nullopt;
  const std::optional<std::pair<uint8_t, uint8_t>> kind = ExactKind(quantity);
  if (!kind || kind->first != o.quantity_type || kind->second != o.quantity_scale) return std::nullopt;
  return times;
}

bool PassTimes::SameRow(uint32_t times, const PhaseRow& row) const {
  return times < origins_.size() && origins_[times].table == row.table && origins_[times].row == row.row;
}

std::array<host::Variant, 7> PassTimes::Times(uint32_t times) const { return records_->KeptTimes(times); }

}  // namespace engine
