#include "engine/presentation/booking_texts.h"

#include "engine/presentation/grid_column.h"
#include "engine/value_helpers.h"

namespace engine {

using host::Variant;

std::string BookingTexts::PhaseDescriptionSql(const std::string& company, const std::string& numreg,
                                              const Variant& order_row, const Variant& phase) {
  return "SELECT DO46_DESCRFASE FROM DO46_DOCCORORDDET WITH (NOLOCK) WHERE DO46_DITTA_CG18 = " + company +
         " AND DO46_NUMREG_CO99 = '" + host::ReplaceAll(host::RTrim(numreg), "'", "''") + "' AND " +
         "DO46_PROGRIGA = " + ValoreNumerico(order_row).ToText() +
         " AND DO46_CODFASE = " + ValoreNumerico(phase).ToText();
}

std::string BookingTexts::DescrizioneFase(const Variant& numreg, const Variant& order_row, const Variant& phase,
                                          const std::string& current) {
  const std::string reg = host::RTrim(numreg.IsNull() || numreg.IsEmpty() ? std::string() : numreg.JoinedText());
  if (reg.empty() || host::CompareNumbers(ValoreNumerico(order_row), int16_t{0}) == 0) return current;
  const std::string sql = PhaseDescriptionSql(company_, reg, order_row, phase);
  auto it = phases_.find(sql);
  if (it == phases_.end()) {
    std::string found;
    try {
      ++queries_;
      auto rs = connection_.Execute(sql);
      if (!rs->Eof()) found = host::RTrim(rs->Value(size_t{0}).JoinedText());
    } catch (const host::Error&) {
      // The cell keeps its text.
    }
    it = phases_.emplace(sql, found).first;
  }
  return it->second.empty() ? current : it->second;
}

std::string BookingTexts::CostoFornitore(const std::string& cost_code, const Variant& supplier, const Variant& unit) {
  if (decode_ == nullptr || host::RTrim(cost_code).empty()) return cost_code;
  const std::string sql = decode_->SupplierCostSql(cost_code, supplier.JoinedText(), unit.JoinedText());
  auto it = costs_.find(sql);
  if (it != costs_.end()) return it->second.empty() ? cost_code : it->second;
  std::string text;
  try {
    ++queries_;
    auto rs = connection_.Execute(sql);
    if (!rs->Eof()) {
      const auto date = [](const Variant& v) {
        if (!v.IsDate()) return v.IsNull() ? std::string() : host::RTrim(v.JoinedText());
        const host::DateTime d = v.Date();
        char out[16];
        std::snprintf(out, sizeof out, "%02d/%02d/%04d", d.Day(), d.Month(), d.Year());
        return std::string(out);
      };
      text = " Costo ordinario: " + FormatNumber(ValoreNumerico(rs->Value("PD05_COSTO1")).ToDecimal(),
                                                 "##,###,###,##0.00####") +
             " x " + host::RTrim(rs->Value("PD05_UMSIGLA_CG0C").JoinedText()) + " - Val: " +
             date(rs->Value("PD05_DATAINIVAL")) + " - " + date(rs->Value("PD05_DATAFINVAL"));
    }
  } catch (const host::Error&) {
    // The cell keeps its text.
  }
  costs_.emplace(sql, text);
  return text.empty() ? cost_code : text;
}

}  // namespace engine
