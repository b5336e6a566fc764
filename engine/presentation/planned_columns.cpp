#include "engine/presentation/planned_columns.h"

#include <array>

namespace engine {
namespace {

struct Row {
  const char* field;
  const char* caption;
  int width;
  bool visible;
};

// Field, caption, width, initially visible: the grid's columns in order.
constexpr std::array<Row, 56> kColumns{{
    {"OMSPREV", "Previsto", 1470, true},
    {"OMSVERS", "Versato", 1470, true},
    {"MINPREV", "Minuti previsti", 1500, false},
    {"MINVERS", "Minuti versati", 1500, false},
    {"SECPREV", "Secondi previsti", 1515, false},
    {"SECVERS", "Secondi versati", 1515, false},
    {"GAP", "Scostamento", 1515, true},
    {"GAPPERC", "Scost. %", 855, true},
    {"OMSPREV_LAV", "Previsto lav.", 1200, true},
    {"OMSVERS_LAV", "Versato lav.", 1200, true},
    {"MINPREV_LAV", "Min.prev.lav.", 1200, false},
    {"MINVERS_LAV", "Min.vers.lav.", 1200, false},
    {"SECPREV_LAV", "Sec.prev.lav.", 1200, false},
    {"SECVERS_LAV", "Sec.vers.lav.", 1200, false},
    {"GAP_LAV", "Scost. lav.", 1200, true},
    {"GAPPERC_LAV", "Sc. lav. %", 855, true},
    {"OMSPREV_SET", "Previsto set.", 1200, true},
    {"OMSVERS_SET", "Versato set.", 1200, true},
    {"MINPREV_SET", "Min.prev.setup", 1200, false},
    {"MINVERS_SET", "Min.vers.setup", 1200, false},
    {"SECPREV_SET", "Sec.prev.setup", 1200, false},
    {"SECVERS_SET", "Sec.vers.setup", 1200, false},
    {"GAP_SET", "Scost. setup", 1200, true},
    {"GAPPERC_SET", "Sc. set. %", 855, true},
    {"OMSPREV_MACLAV", "Prev.lav.mac", 1300, true},
    {"OMSVERS_MACLAV", "Vers.lav.mac", 1300, true},
    {"MINPREV_MACLAV", "Min.prev.lav.mac.", 1300, false},
    {"MINVERS_MACLAV", "Min.vers.lav.mac.", 1300, false},
    {"SECPREV_MACLAV", "Sec.prev.lav.mac.", 1300, false},
    {"SECVERS_MACLAV", "Sec.vers.lav.mac.", 1300, false},
    {"GAP_MACLAV", "Scost.lav.mac.", 1300, true},
    {"GAPPERC_MACLAV", "Sc.lav.mac.%", 1300, true},
    {"OMSPREV_MACSET", "Prev.set.mac", 1300, true},
    {"OMSVERS_MACSET", "Vers.set.mac", 1300, true},
    {"MINPREV_MACSET", "Min.prev.set.mac.", 1300, false},
    {"MINVERS_MACSET", "Min.vers.set.mac.", 1300, false},
    {"SECPREV_MACSET", "Sec.prev.set.mac.", 1300, false},
    {"SECVERS_MACSET", "Sec.vers.set.mac.", 1300, false},
    {"GAP_MACSET", "Scost.set.mac.", 1300, true},
    {"GAPPERC_MACSET", "Sc.set.mac.%", 1300, true},
    {"OMSPREV_MANLAV", "Prev.lav.man.", 1300, true},
    {"OMSVERS_MANLAV", "Vers.lav.man.", 1300, true},
    {"MINPREV_MANLAV", "Min.prev.lav.man.", 1300, false},
    {"MINVERS_MANLAV", "Min.vers.lav.man.", 1300, false},
    {"SECPREV_MANLAV", "Sec.prev.lav.man.", 1300, false},
    {"SECVERS_MANLAV", "Sec.vers.lav.man.", 1300, false},
    {"GAP_MANLAV", "Scost.lav.man.", 1300, true},
    {"GAPPERC_MANLAV", "Sc.lav.man.%", 1300, true},
    {"OMSPREV_MANSET", "Prev.set.man.", 1300, true},
    {"OMSVERS_MANSET", "Vers.set.man.", 1300, true},
    {"MINPREV_MANSET", "Min.prev.set.man.", 1300, false},
    {"MINVERS_MANSET", "Min.vers.set.man.", 1300, false},
    {"SECPREV_MANSET", "Sec.prev.set.man.", 1300, false},
    {"SECVERS_MANSET", "Sec.vers.set.man.", 1300, false},
    {"GAP_MANSET", "Scost.set.man.", 1300, true},
    {"GAPPERC_MANSET", "Sc.set.man.%", 1300, true},
}};

bool StartsWith(const std::string& text, std::string_view prefix) { return text.rfind(prefix, 0) == 0; }

// The total, processing and set-up columns of a base (OMSPREV, OMSVERS,
// OMSPREV_LAV, ..., OMSVERS_SET for "OMS").
bool TotalProcessingOrSetUp(const std::string& field, std::string_view base) {
  if (!StartsWith(field, base)) return false;
  for (const std::string_view suffix : {"", "_LAV", "_SET"}) {
    for (const std::string_view kind : {"PREV", "VERS"}) {
      if (field == std::string(base) + std::string(kind) + std::string(suffix)) return true;
    }
  }
  return false;
}

}  // namespace

const std::vector<GridColumn>& PlannedGridColumns() {
  static const std::vector<GridColumn> kGrid = [] {
    std::vector<GridColumn> out;
    for (const Row& r : kColumns) {
      GridColumn c;
      c.field = r.field;
      c.caption = r.caption;
      c.kind = ColumnKind::Text;
      c.width = r.width;
      c.visible = r.visible;
      c.alignment = Alignment::Right;
      out.push_back(std::move(c));
    }
    return out;
  }();
  return kGrid;
}

std::vector<GridColumn> PlannedGridColumnsFor(int16_t unit) {
  std::vector<GridColumn> columns = PlannedGridColumns();
  const std::string two = NumberFormat(2);
  for (GridColumn& c : columns) {
    const bool gap = StartsWith(c.field, "GAP") && !StartsWith(c.field, "GAPPERC");
    const bool minutes = StartsWith(c.field, "MIN");
    const bool seconds = StartsWith(c.field, "SEC");
    const bool oms = StartsWith(c.field, "OMS");
    // A gap percent reads with two decimals in every grid, as in the summary.
    if (StartsWith(c.field, "GAPPERC")) c.format = two;
    switch (unit) {
      case 0:
        if (minutes || seconds) c.visible = false;
        if (gap) c.format = two;
        break;
      case 1:
        // Every category's hours with two decimals: one format per figure
        // kind across the grid ("6.70", never "6.7" beside it).
        if (gap || oms) c.format = two;
        if (minutes || seconds) c.visible = false;
        // The records hold the unit's hours in OREPREV/OREVERS: the OMS
        // columns of every category show them.
        if (oms) c.display_field = "ORE" + c.field.substr(3);
        break;
      case 2:
        if (gap || TotalProcessingOrSetUp(c.field, "MIN")) c.format = two;
        if (oms || seconds) c.visible = false;
        // The minutes of the unit show in place of the OMS texts.
        if (TotalProcessingOrSetUp(c.field, "MIN")) c.visible = true;
        break;
      case 3:
        if (gap || TotalProcessingOrSetUp(c.field, "SEC")) c.format = two;
        if (oms || minutes) c.visible = false;
        if (TotalProcessingOrSetUp(c.field, "SEC")) c.visible = true;
        break;
      default: break;
    }
  }
  return columns;
}

}  // namespace engine
