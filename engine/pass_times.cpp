#include "engine/pass_times.h"

namespace engine {

namespace {

// The kind of number a quantity is, when the computation's figures depend
// on its value only: whole numbers (whatever their width), and decimals
// (whatever their scale: the decimal arithmetic, the roundings and the
// conversion to a binary number all go by the value). A binary number, a
// text or a Null is no kind: never offered.
std::optional<uint8_t> NumberKind(const host::Variant& quantity) {
  switch (quantity.Type()) {
    case host::VarType::Int16:
    case host::VarType::Int32:
    case host::VarType::Int64: return uint8_t{1};
    case host::VarType::Decimal: return uint8_t{2};
    default: return std::nullopt;
  }
}

}  // namespace

PassTimes::PassTimes(std::shared_ptr<const PlannedRecords> records) : records_(std::move(records)) {}

void PassTimes::Note(uint32_t times, const PhaseRow& row, bool order, const host::Variant& quantity, bool own_lot,
                     bool formula) {
  if (times < origins_.size()) return;
  origins_.resize(static_cast<size_t>(times) + 1);
  const std::optional<uint8_t> kind = NumberKind(quantity);
  Origin& o = origins_[times];
  o.table = row.table;
  o.row = static_cast<uint32_t>(row.row);
  o.order = order;
  o.offered = own_lot && !formula && kind.has_value() && row.table != nullptr && row.row <= UINT32_MAX;
  o.quantity_kind = kind.value_or(0);
}

std::optional<uint32_t> PassTimes::Offered(size_t record, bool order, const host::Variant& quantity) const {
  const uint32_t times = records_->TimesOf(record);
  if (times >= origins_.size()) return std::nullopt;
  const Origin& o = origins_[times];
  if (!o.offered || o.order != order) return std::nullopt;
  if (NumberKind(quantity) != o.quantity_kind) return std::nullopt;
  return times;
}

bool PassTimes::SameRow(uint32_t times, const PhaseRow& row) const {
  return times < origins_.size() && origins_[times].table == row.table && origins_[times].row == row.row;
}

std::pair<const host::Table*, size_t> PassTimes::RowOf(uint32_t times) const {
  if (times >= origins_.size()) return {nullptr, 0};
  return {origins_[times].table, origins_[times].row};
}

std::array<host::Variant, 7> PassTimes::Times(uint32_t times) const { return records_->KeptTimes(times); }

}  // namespace engine
