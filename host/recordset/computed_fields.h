// Fields whose values are worked out from their row when they are read
// instead of being stored: a record set of a million rows and seventy
// figures a row keeps only what the figures are made from.
//
// A RowFormula fills the values of its fields for one row; the table keeps
// one computed column per field. Every value read is what a column of the
// field's own type gives back (converted, rounded and padded exactly as a
// stored value would have been), and filters, searches and look-ups by key
// see the same keys.
//
// Reading is safe from several threads at once: each thread keeps the last
// rows it worked out, so reading the fields of one row one after the other
// computes it once, and readers on two threads neither wait for each other
// nor undo each other's row. Writing a computed field is refused
// (kErrOperationNotAllowed); adding and removing rows costs the computed
// columns nothing: the formula answers for any row the table has. The
// formula's Compute must be safe to call from several threads.
#pragma once

#include <cstddef>
#include <memory>
#include <span>
#include <vector>

#include "host/recordset/column.h"
#include "host/recordset/field_def.h"
#include "host/value/variant.h"

namespace host {

class RowFormula {
 public:
  virtual ~RowFormula() = default;
  // Fills `values` (one per computed field, in field order, Null on entry)
  // for storage row `row`. A throw reaches the reader. It reads stored
  // fields only, never computed ones.
  virtual void Compute(size_t row, std::span<Variant> values) const = 0;
  // Bytes the formula keeps for its rows (for measurements).
  [[nodiscard]] virtual size_t MemoryBytes() const { return 0; }
};

// One column per field of `fields`, all answering from `formula`. The first
// one reports the formula's memory.
std::vector<std::unique_ptr<Column>> MakeComputedColumns(const std::vector<FieldDef>& fields,
                                                         std::shared_ptr<const RowFormula> formula);

}  // namespace host
