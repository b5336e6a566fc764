// Phases planned and never booked: for the orders that have at least one
// booking in a run, every order phase with a planned time and no booking at
// all (of any period), and, for an order line planned from the routing
// (no phase details of its own), every cycle phase of its bill of
// materials likewise. The forgotten bookings, or work done elsewhere.
//
// One statement per run reads the candidates of the whole company (a phase
// is booked when a booking names its order, order line, department and
// phase); the orders of the run are then kept in memory. The planned time
// is the phase's, for the order line's quantity, computed as the group
// totals compute a phase (GroupTotals::CalcolaTempiFase); a phase whose
// planned time is 0 is left out.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "host/recordset/recordset.h"

namespace engine {

class Comparison;

// The record set "FasiNonVersate", in order of order number, line and
// sequence, with the fields:
//   DO11_DOCUM_MG36, DO11_SEZDOC, DO11_NUMDOC  the order (document, section, number)
//   DO30_PROGRIGA      the order line
//   CODART             the order line's article
//   SEQFASE, CODFASE   the phase's sequence (the detail's number for an order phase) and code
//   DESCRFASE          its description
//   CODREPARTO         the department
//   MACCHINA           the machine (the order phase's alternative one, else the cycle's)
//   FONTE              "ODL" for an order phase, "CICLO" for a cycle phase
//   PREV_SEC           the planned time in seconds (whole)
//   OMSPREV            the planned time as the run's unit shows it (engine::TimeText)
//   STATOORDINE        the order's state (its number in the state view), Null without one
//   CHIUSA             "sì" when that state is one of the run's closed states, "no"
//                      when it is not (also without a state); Null when the run was
//                      given no closed states, since then nothing says what closed is
// Empty (but with its fields) for a run without groups. Throws host::Error
// when the statement fails.
host::RecordSetPtr FasiNonVersate(Comparison& run);

// The columns a user sees, in order: the field and its Italian caption
// (translated through the catalog). PREV_SEC is for machines (JSON, the
// export's figures) and is not among them.
struct UnbookedColumn {
  const char* field;
  const char* caption;
};
inline constexpr std::array<UnbookedColumn, 14> kUnbookedColumns{{{"DO11_DOCUM_MG36", "Codice ordine"},
                                                                  {"DO11_SEZDOC", "Sezionale ordine"},
                                                                  {"DO11_NUMDOC", "Numero ordine"},
                                                                  {"DO30_PROGRIGA", "Riga ordine"},
                                                                  {"CODART", "Articolo"},
                                                                  {"SEQFASE", "Sequenza fase"},
                                                                  {"CODFASE", "Fase"},
                                                                  {"DESCRFASE", "Descrizione"},
                                                                  {"CODREPARTO", "Reparto"},
                                                                  {"MACCHINA", "Macchina"},
                                                                  {"FONTE", "Origine"},
                                                                  {"OMSPREV", "Previsto"},
                                                                  {"STATOORDINE", "Stato ordine"},
                                                                  {"CHIUSA", "Chiusa"}}};
// A field's Italian caption (the field's name for PREV_SEC and any other).
std::string UnbookedCaption(const std::string& field);

// The list's title, "Fasi senza versamenti", and its table's name in the
// export, "FasiNonVersate".
inline constexpr const char* kUnbookedTitle = "Fasi senza versamenti";
inline constexpr const char* kUnbookedTable = "FasiNonVersate";

// The statement, for a company number written as it is.
std::string UnbookedPhasesQuery(const std::string& company);

// The values CHIUSA takes, in Italian (the windows and the reports translate
// them through the catalog; the data keeps them as they are).
inline constexpr const char* kClosedYes = "sì";
inline constexpr const char* kClosedNo = "no";

// The closed order states as a user types them: whole numbers separated by
// commas, semicolons or blanks ("9, 10"); "" gives none. Throws host::Error
// (kErrInvalidArgument) naming the first item that is not a whole number.
std::vector<int64_t> ParseClosedStates(const std::string& text);
// The same list as the form shows it: "9, 10" ("" for none).
std::string ClosedStatesText(const std::vector<int64_t>& states);

}  // namespace engine
