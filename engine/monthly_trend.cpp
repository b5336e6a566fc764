#include "engine/monthly_trend.h"

#include <algorithm>
#include <map>
#include <optional>
#include <set>

#include "engine/category_texts.h"
#include "engine/comparison.h"
#include "engine/value_helpers.h"
#include "host/value/date_time.h"

namespace engine {
namespace {

using host::Variant;

struct Month {
  host::Decimal planned, booked;
  int64_t bookings = 0;
};

std::string MonthOf(const Variant& date) {
  if (date.IsNull() || date.IsEmpty()) return "";
  const std::string text = date.JoinedText();
  // Dates read as "yyyy-mm-dd…" or "dd/mm/yyyy…".
  if (text.size() >= 7 && text[4] == '-') return text.substr(0, 7);
  if (text.size() >= 10 && text[2] == '/' && text[5] == '/') return text.substr(6, 4) + "-" + text.substr(3, 2);
  return text;
}

}  // namespace

std::vector<MonthFigures> MonthlyTrend(GroupTotals& totals, RunRecordSets& records, int16_t unit) {
  std::map<std::string, Month> months;
  // Each phase of the group, planned once as the group totals plan it (with
  // the quantity of the first of its bookings the group reads), and the
  // earliest month it was booked in, where its plan is counted.
  struct PlannedPhase {
    std::string month;
    host::Decimal planned;
  };
  std::map<std::string, PlannedPhase> phases;
  auto bookings = records.RSTempiVerDett->Clone();
  auto planned_lookup = records.RSTempiPrevDett->Clone();
  planned_lookup->SetFilter("");
  const host::Table& planned_rows = planned_lookup->Storage();
  const auto at = [&](const char* name) { return bookings->FieldIndex(name); };
  const int f_id = at("PD44_PRGMVORE_PD31"), f_date = at("PD44_DATAREG"), f_qty = at("PD44_QTALAV");
  const int f_art = at("PD44_CODART_MG66"), f_opt = at("PD44_OPZIONE");
  const int fh = at("OREVERS"), fm = at("MINVERS"), fs = at("SECVERS"), f_total = at("VERSTOTSEC");
  const auto read = [&](int index) { return index < 0 ? Variant() : bookings->Value(static_cast<size_t>(index)); };
  const auto seconds = [](const Variant& v) { return ValoreNumerico(v).IsNull() ? host::Decimal() : ValoreNumerico(v).ToDecimal(); };
  for (; !bookings->Eof(); bookings->MoveNext()) {
    const std::string month_name = MonthOf(read(f_date));
    Month& month = months[month_name];
    ++month.bookings;
    // The booking's own seconds: a unit's rounding per booking would add up to a visible difference.
    month.booked = month.booked + (f_total >= 0 ? seconds(read(f_total))
                                                : seconds(PlannedSeconds(read(fh), read(fm), read(fs), unit)));
    // The booking's planned record: the same storage row, else found by id.
    const Variant id = read(f_id);
    std::optional<size_t> row;
    const size_t storage = bookings->StorageRow();
    if (storage < planned_rows.RowCount() && planned_rows.Get(storage, 0) == id) {
      row = storage;
    } else {
      planned_lookup->MoveFirst();
      planned_lookup->Find("IDVERS = " + ValoreNumerico(id).ToText());
      if (!planned_lookup->Eof()) row = planned_lookup->StorageRow();
    }
    if (!row) continue;
    const Variant phase = planned_rows.Get(*row, 1);  // IDCICLO
    if (phase.IsNull() || phase.IsEmpty()) continue;
    const Variant order_quantity = planned_rows.Get(*row, 2);  // QTAODL
    const bool order = host::CompareNumbers(ValoreNumerico(order_quantity), int16_t{0}) > 0;
    const auto [seen, first] = phases.try_emplace((order ? "O" : "C") + phase.ToDecimal().ToString());
    if (!first) {
      seen->second.month = std::min(seen->second.month, month_name);
      continue;
    }
    const Variant quantity = read(f_qty).IsNull() ? Variant(int16_t{1}) : read(f_qty);
    const PhaseOutputs o = totals.CalcolaTempiFase(phase, order_quantity, quantity,
                                                   host::RTrim(read(f_art).JoinedText()),
                                                   host::RTrim(read(f_opt).JoinedText()));
    seen->second = {month_name, seconds(PlannedSeconds(o.hours[0], o.minutes[0], o.seconds[0], unit))};
  }
  for (const auto& [key, p] : phases) months[p.month].planned = months[p.month].planned + p.planned;
  std::vector<MonthFigures> out;
  for (const auto& [name, m] : months) out.push_back({name, Variant(m.planned), Variant(m.booked), m.bookings});
  return out;
}

host::RecordSetPtr AndamentoMensile(GroupTotals& totals, RunRecordSets& records, int16_t unit) {
  auto out = host::RecordSet::Create();
  out->AppendField(host::DecimalField("IDGRUPPO", 12, 0));
  out->AppendField(host::TextField("MESE", 7));
  out->AppendField(host::TextField("PREVISTO", 20));
  out->AppendField(host::TextField("VERSATO", 20));
  out->AppendField(host::TextField("SCOST", 20));
  out->AppendField(host::DecimalField("PREV_SEC", 18, 0));
  out->AppendField(host::DecimalField("VERS_SEC", 18, 0));
  out->AppendField(host::DecimalField("SCOST_SEC", 18, 0));
  out->AppendField(host::DecimalField("SCOSTPERC", 8, 2));
  out->Open();
  host::RecordSet& groups = *records.RSTempiVer;
  for (groups.MoveFirst(); !groups.Eof(); groups.MoveNext()) {
    if (totals.TempiPreventivi()) throw host::Error(host::kErrDatabase, "the group's planned times failed", "AndamentoMensile");
    const Variant id = groups.Value("IDGRUPPO");
    for (const MonthFigures& m : MonthlyTrend(totals, records, unit)) {
      const host::Decimal planned = m.planned.ToDecimal().Round(0);
      const host::Decimal booked = m.booked.ToDecimal().Round(0);
      out->AddNew();
      out->SetValue("IDGRUPPO", id);
      out->SetValue("MESE", Variant(m.month));
      out->SetValue("PREVISTO", Variant(TimeText(m.planned, unit)));
      out->SetValue("VERSATO", Variant(TimeText(m.booked, unit)));
      // The gap and gap % of the figures as the row shows them, as a group's
      // are: a reader checking them by hand gets the same.
      const Variant shown_planned(ShownSeconds(m.planned, unit));
      const Variant shown_booked(ShownSeconds(m.booked, unit));
      out->SetValue("SCOST", Variant(GapText(shown_planned, shown_booked, unit)));
      out->SetValue("PREV_SEC", Variant(planned));
      out->SetValue("VERS_SEC", Variant(booked));
      out->SetValue("SCOST_SEC", Variant(booked - planned));
      const std::string percent = GapPercentText(shown_planned, shown_booked);
      out->SetValue("SCOSTPERC", percent.empty() ? Variant::Null() : Variant(*host::Decimal::Parse(percent)));
      out->Update();
    }
  }
  groups.MoveFirst();
  records.RSTempiVerDett->SetFilter("");
  out->MoveFirst();
  return out;
}

host::RecordSetPtr AndamentoMensile(Comparison& run) {
  const RunRecordSets& r = run.Records();
  RunRecordSets clones{r.RSCampi, r.RSTempiVer->Clone(), r.RSTempiVerDett->Clone(), r.RSTempiPrev->Clone(),
                       r.RSTempiPrevDett->Clone()};
  clones.RSTempiVer->SetFilter("");
  clones.RSTempiVerDett->SetFilter("");
  const auto unit = static_cast<int16_t>(run.Unit());
  GroupTotals totals(run.Context(), clones, run.Reader().Phases(), run.Production(), unit, run.Options(), run.GroupingColumns());
  return AndamentoMensile(totals, clones, unit);
}

}  // namespace engine
