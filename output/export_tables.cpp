#include "output/export_tables.h"

#include <set>

#include "engine/presentation/planned_columns.h"
#include "engine/monthly_trend.h"
#include "engine/unbooked_phases.h"
#include "engine/value_helpers.h"

namespace output {

std::string PlannedPhaseCaption(const std::string& field) {
  if (field == "IDVERS") return "ID";
  // The totals and the processing texts keep their field names.
  static const std::set<std::string> kByName{"OMSPREV", "OMSVERS", "MINPREV",     "MINVERS",    "SECPREV",
                                             "SECVERS", "GAP",     "GAPPERC",     "OMSPREV_LAV", "OMSVERS_LAV"};
  if (kByName.count(field) != 0) return field;
  for (const auto& c : engine::PlannedGridColumns()) {
    if (c.field == field) return c.caption;
  }
  return field;
}

host::Status KVL_EXPTOQV1_BeforeExportToQV(engine::Comparison& run, host::DecodeService& decode,
                                           const engine::DizionarioEtichette& captions, PrintRecords& print,
                                           std::vector<ExportTable>& tables, const GoingOn& going_on) {
  try {
    if (host::Status prepared = PreparaRSStampa(run, decode, true, print, going_on); !prepared.ok()) return prepared;
    const auto fields = [](const host::RecordSet& rs, const auto& caption) {
      std::vector<std::pair<std::string, std::string>> out;
      for (size_t i = 0; i < rs.FieldCount(); ++i) out.emplace_back(rs.Field(i).name, caption(rs.Field(i).name));
      return out;
    };
    if (!engine::RecordsetVuoto(print.RSStampa.get())) {
      tables.push_back({kExportTableNames[0], print.RSStampa,
                        fields(*print.RSStampa, [](const std::string& name) { return name; })});
    }
    if (!engine::RecordsetVuoto(print.RSStampaDett.get())) {
      tables.push_back(
          {kExportTableNames[1], print.RSStampaDett, fields(*print.RSStampaDett, [&captions](const std::string& name) {
             return engine::EtichettaCampo(captions, name);
           })});
    }
    const auto& planned = run.Records().RSTempiPrevDett;
    if (planned) {
      auto clone = planned->Clone();
      clone->SetFilter("");
      if (!engine::RecordsetVuoto(clone.get())) {
        tables.push_back({kExportTableNames[2], clone, fields(*clone, PlannedPhaseCaption)});
      }
    }
    if (auto unbooked = engine::FasiNonVersate(run); !engine::RecordsetVuoto(unbooked.get())) {
      tables.push_back({engine::kUnbookedTable, unbooked, fields(*unbooked, engine::UnbookedCaption)});
    }
    if (auto trend = engine::AndamentoMensile(run); !engine::RecordsetVuoto(trend.get())) {
      tables.push_back({"AndamentoMensile", trend, fields(*trend, [](const std::string& name) { return name; })});
    }
  } catch (const std::exception&) {
    run.Context().Caught("KVL_EXPTOQV1_BeforeExportToQV");
  }
  return run.TakeStatus();
}

}  // namespace output
