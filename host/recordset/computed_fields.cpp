#include "host/recordset/computed_fields.h"

#include <algorithm>
#include <atomic>
#include <limits>
#include <mutex>

#include "host/value/error.h"

namespace host {

namespace {

// The last row a thread worked out with one formula, each value as storing it
// in a column of its field's type would have kept it.
struct LoadedRow {
  static constexpr size_t kNoRow = std::numeric_limits<size_t>::max();
  uint64_t cache = 0;  // the RowCache it belongs to
  size_t row = kNoRow;
  std::vector<Variant> computed, values;
};

// Each thread keeps its own last rows, so that readers on several threads
// (the grids, an export, the command line's writers) neither wait for each
// other nor undo each other's row. A few per thread: the newest first.
constexpr size_t kRowsPerThread = 8;
thread_local std::vector<std::unique_ptr<LoadedRow>> t_loaded;

std::atomic<uint64_t> g_next_cache{1};

class RowCache {
 public:
  RowCache(std::vector<FieldDef> fields, std::shared_ptr<const RowFormula> formula)
      : id_(g_next_cache++), fields_(std::move(fields)), formula_(std::move(formula)) {
    for (const FieldDef& field : fields_) {
      key_cells_.push_back(MakeColumn(field, key_pool_));
      key_cells_.back()->AppendNull();
    }
  }

  const Variant& Get(size_t row, size_t k) const { return Loaded(row).values[k]; }

  // Runs `read` on a cell of field `k` holding row `row`'s value. Keys are
  // read from cells shared by every thread (texts fold to ids of one pool),
  // so an index built on one thread answers a filter on another.
  template <typename Read>
  auto WithCell(size_t row, size_t k, Read read) const {
    const Variant& value = Get(row, k);
    const std::lock_guard lock(key_mutex_);
    key_cells_[k]->Set(0, value);
    return read(*key_cells_[k]);
  }

  // Runs `read` on the shared cell of field `k` (what does not depend on a row).
  template <typename Read>
  auto WithCell(size_t k, Read read) const {
    const std::lock_guard lock(key_mutex_);
    return read(*key_cells_[k]);
  }

  [[nodiscard]] size_t MemoryBytes() const {
    const std::lock_guard lock(key_mutex_);
    return formula_->MemoryBytes() + key_pool_.MemoryBytes();
  }

 private:
  // This thread's row of this cache, made (and the oldest dropped) when new.
  LoadedRow& Mine() const {
    auto it = std::find_if(t_loaded.begin(), t_loaded.end(), [&](const auto& l) { return l->cache == id_; });
    if (it == t_loaded.begin() && it != t_loaded.end()) return **it;
    std::unique_ptr<LoadedRow> mine;
    if (it != t_loaded.end()) {
      mine = std::move(*it);
      t_loaded.erase(it);
    } else {
      mine = std::make_unique<LoadedRow>();
      mine->cache = id_;
      mine->computed.resize(fields_.size());
      mine->values.resize(fields_.size());
      if (t_loaded.size() >= kRowsPerThread) t_loaded.pop_back();
    }
    t_loaded.insert(t_loaded.begin(), std::move(mine));
    return *t_loaded.front();
  }

  LoadedRow& Loaded(size_t row) const {
    LoadedRow& loaded = Mine();
    if (loaded.row == row) return loaded;
    loaded.row = LoadedRow::kNoRow;  // a throw below leaves nothing half loaded behind
    for (Variant& v : loaded.computed) v = Variant::Null();
    formula_->Compute(row, loaded.computed);
    // Stored() only reads its column: the shared cells serve every thread.
    for (size_t k = 0; k < fields_.size(); ++k) loaded.values[k] = key_cells_[k]->Stored(loaded.computed[k]);
    loaded.row = row;
    return loaded;
  }

  uint64_t id_;
  std::vector<FieldDef> fields_;
  std::shared_ptr<const RowFormula> formula_;
  mutable std::mutex key_mutex_;
  mutable TextPool key_pool_;
  std::vector<std::unique_ptr<Column>> key_cells_;
};

class ComputedColumn final : public Column {
 public:
  ComputedColumn(std::shared_ptr<const RowCache> cache, size_t k, std::string name)
      : cache_(std::move(cache)), k_(k), name_(std::move(name)) {}
  void AppendNull() override {}
  void PopBack() override {}
  void Reserve(size_t) override {}
  void Set(size_t, const Variant&) override { Refuse(); }
  [[nodiscard]] Variant Get(size_t row) const override { return cache_->Get(row, k_); }
  void GetInto(size_t row, Variant& out) const override { out = cache_->Get(row, k_); }
  [[nodiscard]] Variant Stored(const Variant&) const override { Refuse(); }
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
  [[noreturn]] void Refuse() const {
    throw Error(kErrOperationNotAllowed, "Field " + name_ + " is worked out from its row and cannot be written",
                "Recordset");
  }

  std::shared_ptr<const RowCache> cache_;
  size_t k_;
  std::string name_;
};

}  // namespace

std::vector<std::unique_ptr<Column>> MakeComputedColumns(const std::vector<FieldDef>& fields,
                                                         std::shared_ptr<const RowFormula> formula) {
  auto cache = std::make_shared<const RowCache>(fields, std::move(formula));
  std::vector<std::unique_ptr<Column>> columns;
  for (size_t k = 0; k < fields.size(); ++k) {
    columns.push_back(std::make_unique<ComputedColumn>(cache, k, fields[k].name));
  }
  return columns;
}

}  // namespace host
