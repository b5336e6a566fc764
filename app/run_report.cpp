#include "app/run_report.h"

#include <iomanip>
#include <map>
#include <nlohmann/json.hpp>
#include <sstream>

#include "engine/category_texts.h"
#include "engine/oms.h"
#include "engine/value_helpers.h"

namespace app {

using host::Variant;

namespace {

std::string Text(const Variant& v) {
  if (v.IsNull() || v.IsEmpty()) return {};
  if (v.IsDate()) return v.Date().ToIsoText();
  return v.ToText();
}

nlohmann::json Json(const Variant& v) {
  switch (v.Type()) {
    case host::VarType::Empty:
    case host::VarType::Null: return nullptr;
    case host::VarType::Boolean: return v.ToBool();
    case host::VarType::Int16:
    case host::VarType::Int32:
    case host::VarType::Int64: return v.ToInt64();
    case host::VarType::Decimal: {
      const host::Decimal d = v.ToDecimal().Normalized();
      if (d.Scale() == 0 && d.Coefficient() >= INT64_MIN && d.Coefficient() <= INT64_MAX) {
        return static_cast<int64_t>(d.Coefficient());
      }
      return d.ToDouble();
    }
    case host::VarType::Double: return v.ToDouble();
    case host::VarType::Date: return v.Date().ToIsoText();
    case host::VarType::Text: return host::RTrim(v.Text());
  }
  return nullptr;
}

std::string Csv(const std::string& text) {
  if (text.find_first_of(",\"\n\r") == std::string::npos) return text;
  return "\"" + host::ReplaceAll(text, "\"", "\"\"") + "\"";
}

// The IDVERS that each group's filter keeps, by IDGRUPPO.
std::map<std::string, std::vector<Variant>> BookingsOfGroups(engine::Comparison& run, engine::GroupTotals& totals) {
  std::map<std::string, std::vector<Variant>> out;
  auto& r = run.Records();
  for (r.RSTempiVer->MoveFirst(); !r.RSTempiVer->Eof(); r.RSTempiVer->MoveNext()) {
    r.RSTempiVerDett->SetFilter(totals.GroupFilter());
    auto& ids = out[engine::ValoreNumerico(r.RSTempiVer->Value("IDGRUPPO")).ToText()];
    for (; !r.RSTempiVerDett->Eof(); r.RSTempiVerDett->MoveNext())
      ids.push_back(r.RSTempiVerDett->Value("PD44_PRGMVORE_PD31"));
  }
  r.RSTempiVerDett->SetFilter("");
  r.RSTempiVer->MoveFirst();
  return out;
}

void WriteTable(std::ostream& out, engine::Comparison& run, const std::vector<std::string>& grouping) {
  auto& r = run.Records();
  const int16_t unit = run.Unit();
  const auto& blocks = engine::SummaryBlocks();
  out << std::left << std::setw(24) << run.DescrizioneGruppo();
  for (const auto& b : blocks) out << " | " << std::setw(48) << b.caption;
  out << "\n" << std::setw(24) << "";
  for (size_t i = 0; i < blocks.size(); ++i) {
    out << " | " << std::setw(12) << "previsto" << std::setw(12) << "versato" << std::setw(14) << "scost."
        << std::setw(10) << "scost.%";
  }
  out << "\n";
  auto prev = r.RSTempiPrev->Clone();
  prev->SetFilter("");
  for (r.RSTempiVer->MoveFirst(); !r.RSTempiVer->Eof(); r.RSTempiVer->MoveNext()) {
    std::string label;
    for (const auto& column : grouping) {
      label += (label.empty() ? "" : "/") + host::RTrim(Text(r.RSTempiVer->Value(column)));
    }
    out << std::setw(24) << label.substr(0, 24);
    prev->MoveFirst();
    prev->Find("IDGRUPPO = " + engine::ValoreNumerico(r.RSTempiVer->Value("IDGRUPPO")).ToText());
    for (const auto& b : blocks) {
      const engine::CategorySeconds c = prev->Eof() ? engine::CategorySeconds{} : engine::SecondsOf(*prev, b.suffixes, unit);
      out << " | " << std::setw(12) << engine::TimeText(c.planned, unit) << std::setw(12)
          << engine::TimeText(c.booked, unit) << std::setw(14) << engine::GapText(c.planned, c.booked, unit)
          << std::setw(10) << engine::GapPercentText(c.planned, c.booked);
    }
    out << "\n";
  }
  out << "\nA cycle phase (planned from the routing) counts once per group, with the quantity of the group's "
         "first booking of it.\n";
  r.RSTempiVer->MoveFirst();
}

}  // namespace

void WriteReport(std::ostream& out, engine::Comparison& run, const ReportOptions& options) {
  const std::vector<std::string>& grouping = run.GroupingColumns();
  engine::GroupTotals& totals = run.Totals();
  auto& r = run.Records();
  if (options.format == "table") {
    WriteTable(out, run, grouping);
    return;
  }
  std::map<std::string, std::vector<Variant>> members;
  if (options.bookings) members = BookingsOfGroups(run, totals);
  auto prev = r.RSTempiPrev->Clone();
  prev->SetFilter("");
  if (options.format == "csv") {
    for (const auto& column : grouping) out << Csv(column) << ",";
    for (size_t i = 0; i < prev->FieldCount(); ++i) out << (i ? "," : "") << prev->Field(i).name;
    out << "\n";
    for (r.RSTempiVer->MoveFirst(); !r.RSTempiVer->Eof(); r.RSTempiVer->MoveNext()) {
      for (const auto& column : grouping) out << Csv(host::RTrim(Text(r.RSTempiVer->Value(column)))) << ",";
      prev->MoveFirst();
      prev->Find("IDGRUPPO = " + engine::ValoreNumerico(r.RSTempiVer->Value("IDGRUPPO")).ToText());
      for (size_t i = 0; i < prev->FieldCount(); ++i)
        out << (i ? "," : "") << (prev->Eof() ? "" : Csv(Text(prev->Value(i))));
      out << "\n";
    }
    if (options.bookings) {
      out << "\nIDGRUPPO";
      auto dett = r.RSTempiPrevDett->Clone();
      for (size_t i = 0; i < dett->FieldCount(); ++i) out << "," << dett->Field(i).name;
      out << "\n";
      std::map<std::string, std::string> group_of;
      for (const auto& [group, ids] : members) {
        for (const auto& id : ids) group_of[engine::ValoreNumerico(id).ToText()] = group;
      }
      for (dett->MoveFirst(); !dett->Eof(); dett->MoveNext()) {
        out << group_of[engine::ValoreNumerico(dett->Value("IDVERS")).ToText()];
        for (size_t i = 0; i < dett->FieldCount(); ++i) out << "," << Csv(Text(dett->Value(i)));
        out << "\n";
      }
    }
    r.RSTempiVer->MoveFirst();
    return;
  }
  nlohmann::json doc;
  doc["unit"] = std::string(engine::kTipoTempoCaptions[static_cast<size_t>(run.Unit())]);
  doc["grouping"] = run.DescrizioneGruppo();
  doc["grouping_fields"] = grouping;
  doc["groups"] = nlohmann::json::array();
  for (r.RSTempiVer->MoveFirst(); !r.RSTempiVer->Eof(); r.RSTempiVer->MoveNext()) {
    nlohmann::json group;
    for (const auto& column : grouping) group["values"][column] = Json(r.RSTempiVer->Value(column));
    const std::string id = engine::ValoreNumerico(r.RSTempiVer->Value("IDGRUPPO")).ToText();
    prev->MoveFirst();
    prev->Find("IDGRUPPO = " + id);
    if (!prev->Eof()) {
      for (size_t i = 0; i < prev->FieldCount(); ++i) group["fields"][prev->Field(i).name] = Json(prev->Value(i));
    }
    if (options.bookings) {
      group["bookings"] = nlohmann::json::array();
      for (const auto& v : members[id]) group["bookings"].push_back(Json(v));
    }
    doc["groups"].push_back(std::move(group));
  }
  if (options.bookings) {
    doc["bookings"] = nlohmann::json::array();
    auto dett = r.RSTempiPrevDett->Clone();
    for (dett->MoveFirst(); !dett->Eof(); dett->MoveNext()) {
      nlohmann::json booking;
      for (size_t i = 0; i < dett->FieldCount(); ++i) booking[dett->Field(i).name] = Json(dett->Value(i));
      doc["bookings"].push_back(std::move(booking));
    }
  }
  r.RSTempiVer->MoveFirst();
  out << doc.dump(1) << "\n";
}

}  // namespace app
