#include "engine/unbooked_phases.h"

#include <algorithm>
#include <unordered_set>
#include <vector>

#include "engine/category_texts.h"
#include "engine/comparison.h"
#include "engine/value_helpers.h"
#include "host/recordset/table.h"
#include "host/value/error.h"

namespace engine {
namespace {

using host::Variant;

// No booking names the phase (company, order, line, department, phase);
// some booking names the order.
std::string NeverBooked(const std::string& numreg, const std::string& line, const std::string& department,
                        const std::string& phase) {
  return "AND NOT EXISTS (SELECT 1 FROM PD44_VERSORE WITH (NOLOCK) WHERE PD44_DITTA_CG18 = DO30_DITTA_CG18 "
         "AND PD44_NUMREG_CO99 = " + numreg + " AND PD44_PROGRIGA_DO30 = " + line +
         " AND PD44_CODFORNREP = " + department + " AND PD44_CODFASE_PD12 = " + phase + ") "
         "AND EXISTS (SELECT 1 FROM PD44_VERSORE WITH (NOLOCK) WHERE PD44_DITTA_CG18 = DO30_DITTA_CG18 "
         "AND PD44_NUMREG_CO99 = " + numreg + ") ";
}

struct Candidate {
  std::vector<Variant> values;  // in the record set's field order
  std::string numreg;
};

}  // namespace

std::string UnbookedPhasesQuery(const std::string& company) {
  return "SELECT 'ODL' AS FONTE, DO46_NUMREG_CO99 AS NUMREG, DO11_DOCUM_MG36, DO11_SEZDOC, DO11_NUMDOC, "
         "DO30_PROGRIGA, DO30_CODART_MG66 AS CODART, ISNULL(DO30_OPZIONE_MG5E,'') AS OPZIONE, "
         "DO46_PROGDET AS SEQFASE, DO46_CODFASE AS CODFASE, ISNULL(DO46_DESCRFASE, PD12_DESCR) AS DESCRFASE, "
         "DO46_CODREPARTO AS CODREPARTO, ISNULL(DO46_MACCHINAALT, PD48_MACCHINA_PD08) AS MACCHINA, "
         "PD2A_IDFASE AS IDFASE, DO46_QTA1ORD AS QTA, VS_DO11.V_IDSTATO AS STATOORDINE "
         "FROM DO46_DOCCORORDDET WITH (NOLOCK) "
         "INNER JOIN PD2A_DETFASIDOC WITH (NOLOCK) ON PD2A_NUMREG_CO99 = DO46_NUMREG_CO99 "
         "AND PD2A_PROGRIGA_DO46 = DO46_PROGRIGA AND PD2A_PROGDET_DO46 = DO46_PROGDET "
         "INNER JOIN DO30_DOCCORPO WITH (NOLOCK) ON DO30_DITTA_CG18 = DO46_DITTA_CG18 "
         "AND DO30_NUMREG_CO99 = DO46_NUMREG_CO99 AND DO30_PROGRIGA = DO46_PROGRIGA "
         "LEFT OUTER JOIN DO11_DOCTESTATA WITH (NOLOCK) ON DO11_DITTA_CG18 = DO30_DITTA_CG18 "
         "AND DO11_NUMREG_CO99 = DO30_NUMREG_CO99 "
         "LEFT JOIN VFILTROSTATI AS VS_DO11 WITH (NOLOCK) ON VS_DO11.V_GUID = DO11_DOCTESTATA.DO11_GUID "
         "LEFT OUTER JOIN PD48_CICLI WITH (NOLOCK) ON PD48_IDCICLO = DO46_IDCICLO_PD48 "
         "LEFT OUTER JOIN VPD12_FASILAVORO AS PD12_FASILAVORO WITH (NOLOCK) ON PD12_DITTA_CG18 = DO46_DITTA_CG18 "
         "AND PD12_CODFASE = DO46_CODFASE "
         "WHERE DO46_DITTA_CG18 = " + company + " AND DO46_QTA1ORD > 0 " +
         NeverBooked("DO46_NUMREG_CO99", "DO46_PROGRIGA", "DO46_CODREPARTO", "DO46_CODFASE") +
         "UNION ALL "
         "SELECT 'CICLO' AS FONTE, DO30_NUMREG_CO99 AS NUMREG, DO11_DOCUM_MG36, DO11_SEZDOC, DO11_NUMDOC, "
         "DO30_PROGRIGA, DO30_CODART_MG66 AS CODART, ISNULL(DO30_OPZIONE_MG5E,'') AS OPZIONE, "
         "PD48_SEQFASE AS SEQFASE, PD48_CODFASE_PD12 AS CODFASE, PD12_DESCR AS DESCRFASE, "
         "PD48_CODREP_PD07 AS CODREPARTO, PD48_MACCHINA_PD08 AS MACCHINA, PD48_IDCICLO AS IDFASE, DO30_QTA AS QTA, "
         "VS_DO11.V_IDSTATO AS STATOORDINE "
         "FROM DO30_DOCCORPO WITH (NOLOCK) "
         "INNER JOIN PD48_CICLI WITH (NOLOCK) ON PD48_DITTA_CG18 = DO30_DITTA_CG18 "
         "AND PD48_IDDISBA_PD95 = DO30_IDDISBA_PD95 "
         "LEFT OUTER JOIN DO11_DOCTESTATA WITH (NOLOCK) ON DO11_DITTA_CG18 = DO30_DITTA_CG18 "
         "AND DO11_NUMREG_CO99 = DO30_NUMREG_CO99 "
         "LEFT JOIN VFILTROSTATI AS VS_DO11 WITH (NOLOCK) ON VS_DO11.V_GUID = DO11_DOCTESTATA.DO11_GUID "
         "LEFT OUTER JOIN VPD12_FASILAVORO AS PD12_FASILAVORO WITH (NOLOCK) ON PD12_DITTA_CG18 = PD48_DITTA_CG18 "
         "AND PD12_CODFASE = PD48_CODFASE_PD12 "
         "WHERE DO30_DITTA_CG18 = " + company + " AND DO30_QTA > 0 "
         "AND NOT EXISTS (SELECT 1 FROM DO46_DOCCORORDDET WITH (NOLOCK) WHERE DO46_DITTA_CG18 = DO30_DITTA_CG18 "
         "AND DO46_NUMREG_CO99 = DO30_NUMREG_CO99 AND DO46_PROGRIGA = DO30_PROGRIGA) " +
         NeverBooked("DO30_NUMREG_CO99", "DO30_PROGRIGA", "PD48_CODREP_PD07", "PD48_CODFASE_PD12");
}

std::string UnbookedCaption(const std::string& field) {
  for (const auto& c : kUnbookedColumns) {
    if (field == c.field) return c.caption;
  }
  return field;
}

std::vector<int64_t> ParseClosedStates(const std::string& text) {
  std::vector<int64_t> states;
  std::string item;
  const auto take = [&] {
    if (item.empty()) return;
    const bool digits = std::all_of(item.begin(), item.end(), [](char c) { return c >= '0' && c <= '9'; });
    if (!digits || item.size() > 9) {
      throw host::Error(host::kErrInvalidArgument, "not a state number: " + item, "ParseClosedStates");
    }
    const int64_t state = std::stoll(item);
    if (std::find(states.begin(), states.end(), state) == states.end()) states.push_back(state);
    item.clear();
  };
  for (const char c : text) {
    if (c == ',' || c == ';' || c == ' ' || c == '\t') {
      take();
    } else {
      item += c;
    }
  }
  take();
  return states;
}

std::string ClosedStatesText(const std::vector<int64_t>& states) {
  std::string text;
  for (const int64_t state : states) text += (text.empty() ? "" : ", ") + std::to_string(state);
  return text;
}

host::RecordSetPtr FasiNonVersate(Comparison& run) {
  auto out = host::RecordSet::Create();
  out->AppendField(host::TextField("DO11_DOCUM_MG36", 5));
  out->AppendField(host::TextField("DO11_SEZDOC", 3));
  out->AppendField(host::DecimalField("DO11_NUMDOC", 10, 0));
  out->AppendField(host::DecimalField("DO30_PROGRIGA", 6, 0));
  out->AppendField(host::TextField("CODART", 50));
  out->AppendField(host::DecimalField("SEQFASE", 6, 0));
  out->AppendField(host::DecimalField("CODFASE", 6, 0));
  out->AppendField(host::TextField("DESCRFASE", 80));
  out->AppendField(host::TextField("CODREPARTO", 15));
  out->AppendField(host::TextField("MACCHINA", 15));
  out->AppendField(host::TextField("FONTE", 5));
  out->AppendField(host::DecimalField("PREV_SEC", 18, 0));
  out->AppendField(host::TextField("OMSPREV", 20));
  out->AppendField(host::DecimalField("STATOORDINE", 6, 0));
  out->AppendField(host::TextField("CHIUSA", 3));
  out->Open();
  if (run.Empty() || !run.Records().RSTempiVerDett) return out;

  // The orders of the run, compared as the server compares codes.
  const auto key = [](const Variant& v) { return host::UpperAscii(host::RTrim(v.IsNull() ? "" : v.ToText())); };
  std::unordered_set<std::string> orders;
  auto bookings = run.Records().RSTempiVerDett->Clone();
  bookings->SetFilter("");
  const int f_numreg = bookings->FieldIndex("PD44_NUMREG_CO99");
  if (f_numreg < 0) return out;
  for (; !bookings->Eof(); bookings->MoveNext()) {
    const Variant numreg = bookings->Value(static_cast<size_t>(f_numreg));
    if (!numreg.IsNull()) orders.insert(key(numreg));
  }
  if (orders.empty()) return out;

  const std::unordered_set<int64_t> closed(run.ClosedStates().begin(), run.ClosedStates().end());
  const auto rows = run.Connection().Execute(UnbookedPhasesQuery(run.Company()));
  const auto unit = static_cast<int16_t>(run.Unit());
  std::vector<Candidate> found;
  for (; !rows->Eof(); rows->MoveNext()) {
    if (orders.count(key(rows->Value("NUMREG"))) == 0) continue;
    const bool order_phase = rows->Value("FONTE").ToText() == "ODL";
    const Variant quantity = rows->Value("QTA");
    const PhaseOutputs planned = run.Totals().CalcolaTempiFase(
        rows->Value("IDFASE"), order_phase ? quantity : Variant(int16_t{0}), quantity,
        host::RTrim(rows->Value("CODART").IsNull() ? "" : rows->Value("CODART").ToText()),
        host::RTrim(rows->Value("OPZIONE").IsNull() ? "" : rows->Value("OPZIONE").ToText()));
    const Variant seconds = PlannedSeconds(planned.hours[0], planned.minutes[0], planned.seconds[0], unit);
    if (host::CompareNumbers(ValoreNumerico(seconds), int16_t{0}) <= 0) continue;
    Candidate c;
    c.numreg = key(rows->Value("NUMREG"));
    for (const char* name : {"DO11_DOCUM_MG36", "DO11_SEZDOC", "DO11_NUMDOC", "DO30_PROGRIGA", "CODART", "SEQFASE",
                             "CODFASE", "DESCRFASE", "CODREPARTO", "MACCHINA", "FONTE"}) {
      c.values.push_back(rows->Value(name));
    }
    c.values.push_back(Variant(ValoreNumerico(seconds).ToDecimal().Round(0)));
    c.values.push_back(Variant(TimeText(seconds, unit)));
    const Variant state = rows->Value("STATOORDINE");
    const bool has_state = !state.IsNull() && !state.IsEmpty();
    c.values.push_back(has_state ? Variant(ValoreNumerico(state).ToDecimal().Round(0)) : Variant::Null());
    if (closed.empty()) {
      c.values.push_back(Variant::Null());
    } else {
      const bool is_closed = has_state && closed.count(ValoreNumerico(state).ToDecimal().Round(0).TruncToInt64()) > 0;
      c.values.push_back(Variant(std::string(is_closed ? kClosedYes : kClosedNo)));
    }
    found.push_back(std::move(c));
  }
  // By order number, line and sequence.
  const auto number = [](const Variant& v) { return v.IsNull() ? host::Decimal() : v.ToDecimal(); };
  std::stable_sort(found.begin(), found.end(), [&](const Candidate& a, const Candidate& b) {
    if (a.numreg != b.numreg) return a.numreg < b.numreg;
    if ((number(a.values[3]) <=> number(b.values[3])) != 0) return number(a.values[3]) < number(b.values[3]);
    return number(a.values[5]) < number(b.values[5]);
  });
  for (const Candidate& c : found) {
    out->AddNew();
    for (size_t f = 0; f < c.values.size(); ++f) out->SetValue(f, c.values[f]);
    out->Update();
  }
  out->MoveFirst();
  return out;
}

}  // namespace engine
