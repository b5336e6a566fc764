#include "host/recordset/computed_fields.h"

#include <limits>
#include <mutex>

#include "host/value/error.h"

namespace host {

namespace {

// The last row a formula worked out, each value as storing it in a column of
// its field's type would have kept it. The one-cell typed columns convert
// (and answer keys for filters); a text in a variant field is kept as it is,
// which is what such a column gives back, without adding every text ever
// read to a pool.
class RowCache {
 public:
  RowCache(const std::vector<FieldDef>& fields, std::shared_ptr<const RowFormula> formula)
      : formula_(std::move(formula)), computed_(fields.size()), values_(fields.size()) {
    for (const FieldDef& field : fields) {
      variant_.push_back(field.type == FieldType::Variant);
      cells_.push_back(MakeColumn(field, pool_));
      cells_.back()->AppendNull();
    }
  }

  Variant Get(size_t row, size_t k) {
    const std::lock_guard lock(mutex_);
    if (row != row_) Load(row);
    return values_[k];
  }

  // Runs `read` on a cell of field `k` holding row `row`'s value.
  template <typename Read>
  auto WithCell(size_t row, size_t k, Read read) {
    const std::lock_guard lock(mutex_);
    if (row != row_) Load(row);
    cells_[k]->Set(0, values_[k]);
    return read(*cells_[k]);
  }

  template <typename Read>
  auto WithCell(size_t k, Read read) {
    const std::lock_guard lock(mutex_);
    return read(*cells_[k]);
  }

  [[nodiscard]] size_t MemoryBytes() const { return formula_->MemoryBytes() + pool_.MemoryBytes(); }

 private:
  void Load(size_t row) {
    row_ = kNoRow;  // a throw below leaves nothing half loaded behind
    for (Variant& v : computed_) v = Variant::Null();
    formula_->Compute(row, computed_);
    for (size_t k = 0; k < cells_.size(); ++k) {
      if (variant_[k] && computed_[k].IsText()) {
        values_[k] = std::move(computed_[k]);
      } else {
        cells_[k]->Set(0, computed_[k]);
        values_[k] = cells_[k]->Get(0);
      }
    }
    row_ = row;
  }

  static constexpr size_t kNoRow = std::numeric_limits<size_t>::max();
  std::shared_ptr<const RowFormula> formula_;
  TextPool pool_;
  std::vector<std::unique_ptr<Column>> cells_;
  std::vector<bool> variant_;
  std::vector<Variant> computed_, values_;
  size_t row_ = kNoRow;
  std::mutex mutex_;
};

class ComputedColumn final : public Column {
 public:
  ComputedColumn(std::shared_ptr<RowCache> cache, size_t k, std::string name)
      : cache_(std::move(cache)), k_(k), name_(std::move(name)) {}
  void AppendNull() override {}
  void PopBack() override {}
  void Reserve(size_t) override {}
  void Set(size_t, const Variant&) override {
    throw Error(kErrOperationNotAllowed, "Field " + name_ + " is worked out from its row and cannot be written",
                "Recordset");
  }
  [[nodiscard]] Variant Get(size_t row) const override {
    return cache_->Get(row, k_);
  }
  [[nodiscard]] bool IsNullLike(size_t row) const override {
    return cache_->WithCell(row, k_, [](const Column& c) { return c.IsNullLike(0); });
  }
  [[nodiscard]] std::optional<CellKey> Key(size_t row) const override {
    return cache_->WithCell(row, k_, [](const Column& c) { return c.Key(0); });
  }
  [[nodiscard]] std::optional<CellKey> KeyOf(const Variant& literal) const override {
    return cache_->WithCell(k_, [&](const Column& c) { return c.KeyOf(literal); });
  }
  [[nodiscard]] size_t MemoryBytes() const override { return k_ == 0 ? cache_->MemoryBytes() : 0; }

 private:
  std::shared_ptr<RowCache> cache_;
  size_t k_;
  std::string name_;
};

}  // namespace

std::vector<std::unique_ptr<Column>> MakeComputedColumns(const std::vector<FieldDef>& fields,
                                                         std::shared_ptr<const RowFormula> formula) {
  auto cache = std::make_shared<RowCache>(fields, std::move(formula));
  std::vector<std::unique_ptr<Column>> columns;
  for (size_t k = 0; k < fields.size(); ++k) columns.push_back(std::make_unique<ComputedColumn>(cache, k, fields[k].name));
  return columns;
}

}  // namespace host
