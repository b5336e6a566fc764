// Where the columns that the planned-time calculation reads lie in a table
// of phase rows, found once per table: looking a column up by its name
// for every phase of a large run cost more than the calculation itself.
//
// The order phases' and the cycle phases' tables name their columns apart
// (PD2A_/DO46_ and PD48_); each kind's columns are found in whichever table
// is given, so one index serves either kind. A column the table lacks is
// -1 and reads Empty, as a lookup by name answers it.
#pragma once

#include "host/recordset/table.h"
#include "host/value/variant.h"

namespace engine {

struct PhaseColumns {
  // The columns of one kind of phase row (order or cycle phase).
  struct Kind {
    int setup_formula = -1, setup_time = -1, setup_pieces = -1, run_formula = -1, run_time = -1,
        pieces_per_unit = -1, run_unit = -1, setup_unit = -1, wait = -1, wait_unit = -1, queue = -1,
        queue_unit = -1, ident = -1, total_unit = -1, total_time = -1;
  };
  Kind order, cycle;
  int cycle_code = -1;  // PD48_CICLO_PD52, read for either kind
  // The order phase's own values the formulas see.
  int detail = -1, alternative_machine = -1, phase_id = -1, order_quantity = -1;
  // The cycle phase's own values the formulas see.
  int cycle_id = -1, machine = -1;
  // What a phase found by its id tells of itself: the order line, phase
  // and department of an order phase; the phase and department of a
  // cycle phase.
  int order_numreg = -1, order_line = -1, order_phase = -1, order_department = -1;
  int cycle_phase = -1, cycle_department = -1;

  // The positions in `table`; a null table has none (every column -1).
  explicit PhaseColumns(const host::Table* table);
};

// The value of column `index` at `row` of `table`; Empty when the column
// is -1 or there is no table.
host::Variant ColumnValue(const host::Table* table, size_t row, int index);

}  // namespace engine
