// The tables of the export for analysis (KVL_EXPTOQV1_BeforeExportToQV):
// "TempiDiLavorazione" (RSStampa, captioned by its field names),
// "TempiDiLavorazioneDettaglioVersamenti" (RSStampaDett, captioned through
// EtichettaCampo) and "ScostamentoTempiDettaglioVersamenti" (a clone of
// RSTempiPrevDett, captioned as the planned grids are, the totals by their
// field names), and "FasiNonVersate" (engine::FasiNonVersate, captioned by
// engine::UnbookedCaption) and "AndamentoMensile" (engine::AndamentoMensile,
// by its field names). An empty record set adds no table.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "host/value/status.h"
#include "engine/presentation/booking_columns.h"
#include "output/print_records.h"

namespace output {

struct ExportTable {
  std::string name;
  host::RecordSetPtr records;
  std::vector<std::pair<std::string, std::string>> fields;  // field name, caption
};

// The tables' names, in their order (a CSV file each: NAME.csv).
inline constexpr const char* kExportTableNames[] = {"TempiDiLavorazione", "TempiDiLavorazioneDettaglioVersamenti",
                                                    "ScostamentoTempiDettaglioVersamenti"};

// The caption of a field of the third table.
std::string PlannedPhaseCaption(const std::string& field);

// Prepares the print record sets into `print` and adds the tables; a
// failure answers failed under "KVL_EXPTOQV1_BeforeExportToQV" (the tables
// added before it stay), or PreparaRSStampa's status when that failed.
// `going_on` follows the preparation (PreparaRSStampa); stopped, it
// answers cancelled.
host::Status KVL_EXPTOQV1_BeforeExportToQV(engine::Comparison& run, host::DecodeService& decode,
                                           const engine::DizionarioEtichette& captions, PrintRecords& print,
                                           std::vector<ExportTable>& tables, const GoingOn& going_on = {});

}  // namespace output
