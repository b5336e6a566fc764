#include "engine/phase_columns.h"

#include <string>

namespace engine {

namespace {

PhaseColumns::Kind KindColumns(const host::Table& t, const std::string& p, const char* setup_pieces) {
  PhaseColumns::Kind k;
  k.setup_formula = t.FieldIndex(p + "FORMSETUP_PD24");
  k.setup_time = t.FieldIndex(p + "TMACSETUP");
  k.setup_pieces = t.FieldIndex(setup_pieces);
  k.run_formula = t.FieldIndex(p + "FORMLAV_PD24");
  k.run_time = t.FieldIndex(p + "TMACLAV");
  k.pieces_per_unit = t.FieldIndex(p + "NUMPEZZIUM");
  k.run_unit = t.FieldIndex(p + "INDUMLAV");
  k.setup_unit = t.FieldIndex(p + "INDUMSETUP");
  k.wait = t.FieldIndex(p + "TATTESA");
  k.wait_unit = t.FieldIndex(p + "INDUMATTESA");
  k.queue = t.FieldIndex(p + "TCODA");
  k.queue_unit = t.FieldIndex(p + "INDUMCODA");
  k.ident = t.FieldIndex(p + "IDENTPROG");
  k.total_unit = t.FieldIndex(p + "INDUMTOTLAV");
  k.total_time = t.FieldIndex(p + "TTOTLAV");
  return k;
}

}  // namespace

PhaseColumns::PhaseColumns(const host::Table* table) {
  if (table == nullptr) return;
  const host::Table& t = *table;
  order = KindColumns(t, "PD2A_", "PD2A_NUMPEZZISETUP");
  cycle = KindColumns(t, "PD48_", "PD48_NUMPEZSETUP");
  cycle_code = t.FieldIndex("PD48_CICLO_PD52");
  detail = t.FieldIndex("DO46_PROGDET");
  alternative_machine = t.FieldIndex("DO46_MACCHINAALT");
  phase_id = t.FieldIndex("PD2A_IDFASE");
  order_quantity = t.FieldIndex("DO46_QTA1ORD");
  cycle_id = t.FieldIndex("PD48_IDCICLO");
  machine = t.FieldIndex("PD48_MACCHINA_PD08");
  order_numreg = t.FieldIndex("DO46_NUMREG_CO99");
  order_line = t.FieldIndex("DO46_PROGRIGA");
  order_phase = t.FieldIndex("DO46_CODFASE");
  order_department = t.FieldIndex("DO46_CODREPARTO");
  cycle_phase = t.FieldIndex("PD48_CODFASE_PD12");
  cycle_department = t.FieldIndex("PD48_CODREP_PD07");
}

host::Variant ColumnValue(const host::Table* table, size_t row, int index) {
  if (table == nullptr || index < 0) return {};
  return table->Get(row, static_cast<size_t>(index));
}

}  // namespace engine
