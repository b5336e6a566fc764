// A column of one of the results form's grids as the form defines it: the
// record set field it shows, its caption (Italian, translated where shown),
// its kind, width and initial visibility, its number format and alignment,
// and the value list that turns its codes into texts. Data only, without
// Qt: the grids, the print and the export read the same tables.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "host/value/decimal.h"

namespace engine {

enum class ColumnKind : uint8_t {
  Text,    // kind 1
  Number,  // kind 12
  List,    // a value-list column: its codes show as the list's texts
};

enum class Alignment : uint8_t { Left, Right };

// The value lists of the booking detail grid.
enum class ValueList : uint8_t { None, InternalExternal, BookingKind, HourType, WorkKind, TimeUnit };

struct GridColumn {
  std::string field;
  std::string caption;
  ColumnKind kind = ColumnKind::Text;
  int width = 0;  // in the host's design units (twips: 15 to a pixel)
  bool visible = true;
  // "###,###,###.00"-style pattern ("" keeps the value as it is).
  std::string format;
  Alignment alignment = Alignment::Left;
  ValueList list = ValueList::None;
  // The form supplies the display text (VERSTOTSEC as "h:mm:ss").
  bool form_text = false;
  // The field whose value the cell shows when it is not `field` (under
  // "hh,hh" the OMS columns show the unit's hours, which the records keep
  // in OREPREV and OREVERS).
  std::string display_field;
  [[nodiscard]] const std::string& Shown() const { return display_field.empty() ? field : display_field; }
};

// "###,###,###." followed by `decimals` zeros.
std::string NumberFormat(int decimals);

// The number of decimals a "###,###,###.00"-style pattern shows; -1 for an
// empty pattern.
int FormatDecimals(std::string_view pattern);

// A number written by a "###,###,###.00"-style pattern: the '0's after the
// point are decimals always shown, the '#'s decimals shown when not zero; a
// ',' in the pattern groups thousands with `group`; `point` separates the
// decimals. Rounded half away from zero, exactly.
std::string FormatNumber(const host::Decimal& value, std::string_view pattern, char group = ',', char point = '.');

// A figure's text (TimeText, GapText, GapPercentText) in a locale: a decimal
// figure ("-1364019.40") written with the locale's separators and two
// decimals ("-1.364.019,40" in Italian); an h:mm:ss text, or anything that
// is not a plain number, unchanged. One format per figure kind everywhere
// a window or the print shows it.
std::string LocalizedFigure(const std::string& text, char group, char point);

// A design-unit width in pixels at 96 dots per inch.
inline int WidthInPixels(int twips) { return twips / 15; }

}  // namespace engine
