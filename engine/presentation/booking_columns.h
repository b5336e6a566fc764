// The booking detail grid GRD_VERSDett: its 87 columns (kind, width,
// visibility, money and quantity formats, alignment, value lists), the five
// value lists with their texts in the user's language, and the caption
// dictionary (DizionarioEtichette) that the export reads through
// EtichettaCampo.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "engine/presentation/grid_column.h"
#include "host/recordset/recordset.h"
#include "host/value/language_services.h"

namespace engine {

// The money format of the cost and amount columns.
inline constexpr const char* kMoneyFormat = "###,###,###,##0.000000";

// The columns in order. `quantity_format` is the company's quantity format
// that the host supplies for PD44_QTALAV.
std::vector<GridColumn> BookingGridColumns(const std::string& quantity_format = "###,###,###,##0.00####");

// A value list: code → text.
using ValueListTexts = std::map<int, std::string>;
// The five lists, their texts through TestoLingua with their numbers.
std::map<ValueList, ValueListTexts> BuildValueLists(host::LanguageServices& language);

// The caption of every column except the eight that the export names by
// their field (employee, department, machine, project, job order, article,
// variant, article description), then the sixteen extra captions of fields
// of `bookings` that have no column.
using DizionarioEtichette = std::map<std::string, std::string>;
DizionarioEtichette BuildCaptionDictionary(const host::RecordSet* bookings);

// The caption of a field for the export: the dictionary's, else the field
// name itself.
std::string EtichettaCampo(const DizionarioEtichette& dictionary, const std::string& field);

}  // namespace engine
