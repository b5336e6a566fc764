// A phase's planned hours, minutes and seconds by category, and a compact
// table of many of them (the phase cache's and the pass splits' storage).
#pragma once

#include <array>
#include <cstddef>

#include "host/recordset/table.h"
#include "host/value/variant.h"

namespace engine {

// The planned hours, minutes and seconds of the seven categories (total,
// _LAV, _SET, _MACLAV, _MACSET, _MANLAV, _MANSET) in the chosen unit.
struct PhaseOutputs {
  std::array<host::Variant, 7> hours, minutes, seconds;
};

// Phase outputs kept exactly, types included, one row each in 21 compact
// variant columns. Not thread-safe while it grows; reads of a table that no
// longer grows may come from any thread.
class PhaseOutputsTable {
 public:
  PhaseOutputsTable();
  // Appends `outputs` whole; answers their row.
  size_t Append(const PhaseOutputs& outputs);
  // Reads the outputs at `row` (below Rows()) into `out`, whose variants
  // are assigned, not made again (this runs for every phase of every group).
  void Read(size_t row, PhaseOutputs& out) const;
  [[nodiscard]] size_t Rows() const { return table_.RowCount(); }

 private:
  host::Table table_;
};

}  // namespace engine
