// The figure columns of the groups grid (GRD_VERS): a marker (▲/▼ when the
// group's gap % lies beyond the tolerance band), then for the total planned,
// booked, gap, gap % and efficiency % (shown), and for each of the six
// categories planned, booked, gap and gap % (hidden, offered by the column
// chooser). The texts are the engine's figure texts in the run's unit; the
// columns sort by their numbers; the gap % cells beyond the band take the
// tolerance colours. A group whose figures are not computed yet shows empty
// cells and sorts as a Null.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "engine/group_figures.h"
#include "results_form/recordset_model.h"

namespace results_form {

struct FigureSource {
  // The figures of the group at a position of the grid's record set (null:
  // not computed yet).
  std::function<const engine::CategoryFigures*(const host::RecordSet&, size_t)> figures;
  // The band's half width in percent, read when a cell is painted.
  std::function<double()> tolerance;
};

// The field names are "FIG_MARK", then "FIG_PREV", "FIG_VERS", "FIG_GAP",
// "FIG_GAPPERC" with the category's suffix, and "FIG_EFF".
std::vector<RecordSetModel::Column> FigureColumns(const FigureSource& source, int16_t unit,
                                                  const std::function<QString(const std::string&)>& translate);

// The tolerance side of a category's figures (see engine::FiguresSide).
int FigureSide(const engine::CategorySeconds& figures, double tolerance);

}  // namespace results_form
