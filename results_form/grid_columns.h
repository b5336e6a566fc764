// The columns of a grid for Qt from the column tables: translated captions,
// alignment, widths in pixels, and a text function made once from the
// column's number format (in the user's locale) or value list.
#pragma once

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "engine/presentation/booking_columns.h"
#include "engine/presentation/grid_column.h"
#include "results_form/recordset_model.h"

namespace results_form {

using Translate = std::function<QString(const std::string&)>;

std::vector<RecordSetModel::Column> ModelColumns(const std::vector<engine::GridColumn>& columns,
                                                 const Translate& translate,
                                                 const std::map<engine::ValueList, engine::ValueListTexts>* lists);

// A figure's text from the engine (TimeText, GapText, GapPercentText) with
// the separators of the interface's locale (engine::LocalizedFigure).
QString LocalFigure(const std::string& text);
// A value by a "###,###,###.00"-style pattern in the user's locale.
QString FormattedNumber(const host::Variant& value, const std::string& pattern);

}  // namespace results_form
