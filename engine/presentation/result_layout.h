// How the results form lays out the grouped comparison (PreparaForm): the
// columns of GRD_VERS from the fields of RSTempiVer and their metadata in
// RSCampi, and which caption/value pairs of the label row show; then the
// label row's texts for the current group (TempiPreventivi's step 2).
#pragma once

#include <string>
#include <vector>

#include "engine/presentation/grid_column.h"
#include "host/recordset/recordset.h"
#include "host/services/decode_service.h"
#include "host/value/language_services.h"
#include "host/value/status.h"

namespace engine {

// The caption/value pairs of the label row, in the order the form knows them.
enum class LabelPair : uint8_t {
  Articolo,    // LBL_cArticolo: LBL_ART, LBL_VAR, LBL_DESCART
  Fase,        // LBL_cFase: LBL_FASE
  Reparto,     // LBL_cReparto: LBL_REPARTO
  Macchina,    // LBL_cMacchina: LBL_MACCHINA
  Dipendente,  // LBL_cDipendente: LBL_DIPENDENTE
  Progetto,    // LBL_cProgetto: LBL_PROGETTO
  Commessa,    // LBL_cCommessa: LBL_COMMESSA
  Ordine,      // LBL_cOrdine: LBL_ORDINE
  DataCons,    // LBL_cDataCons: LBL_DATACONS
  DataIniLav,  // LBL_cDataIniLav: LBL_DATAINILAV
};

// The Italian caption of a pair ("Articolo", ..., "Data cons.", "Data ini.lav.").
std::string LabelCaption(LabelPair pair);

struct ResultLayout {
  // One column per field of RSTempiVer, in field order: captions, formats
  // and alignment from RSCampi (the caption in the user's language); the
  // last field keeps its name and no format; IDGRUPPO and the booked
  // triple hidden.
  std::vector<GridColumn> columns;
  // The pairs that show: those of the grouping dimensions only (a field
  // that is not a grouping one holds one booking's value, which would
  // mislabel the group), in the order of the fields that named them, each
  // once (article and variant share one, phase and phase sequence too, the
  // order's code, number, section, date and row one, a sub-project its
  // project's, a sub-order its job order's).
  std::vector<LabelPair> pairs;
  // The fields of RSTempiVer that are grouping dimensions (RSCampi's GRUPPO).
  std::vector<std::string> grouping_fields;
};

// Throws host::Error as the record sets do (the form reports it as
// "PreparaForm").
ResultLayout PreparaFormLayout(const host::RecordSet& groups, const host::RecordSet& campi);

// The texts of the shown pairs for the current record of `groups`: codes
// with their descriptions, the phase with "seq." and its sequence, the order
// with "n.", "sez.", "del" and "riga", a sub-project or sub-order after
// its project or job order with "/". A pair whose fields the grouping lacks
// reads as empty.
struct LabelText {
  LabelPair pair;
  std::string caption;  // in the user's language
  std::string value;    // LBL_ART + LBL_VAR + LBL_DESCART for the article
};
// Only the fields in `grouping_fields` are read (every field when it is
// empty): a pair shows each of its parts that is a grouping dimension.
// A decode that fails leaves its description empty and its failure in the
// status (under the decode's name); the other labels are still made.
host::Valued<std::vector<LabelText>> LabelRowTexts(host::LanguageServices& language, host::DecodeService& decode, const host::RecordSet& groups,
                                     const std::vector<LabelPair>& pairs,
                                     const std::vector<std::string>& grouping_fields = {});

}  // namespace engine
