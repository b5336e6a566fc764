#include "host/services/production_services.h"

#include <muParser.h>

#include <cmath>

#include "host/recordset/table.h"

namespace host {

struct ProductionServices::Formula {
  std::unique_ptr<mu::Parser> parser;  // null: unknown code or bad expression
  std::array<double, kFormulaValues> slots{};
};

namespace {

std::string Quoted(const std::string& text) { return "'" + ReplaceAll(text, "'", "''") + "'"; }

}  // namespace

ProductionServices::ProductionServices(db::Connection& connection, std::string company)
    : connection_(connection), company_(std::move(company)) {}

ProductionServices::~ProductionServices() = default;

Variant ProductionServices::CercaDistintaBase(const std::string& article, const std::string& option,
                                              int16_t article_type, const std::string& project, int32_t, int32_t,
                                              int32_t, bool, int32_t, std::string*) {
  const std::string key = article + '\x1f' + option + '\x1f' + std::to_string(article_type) + '\x1f' + project;
  if (auto it = boms_.find(key); it != boms_.end()) return it->second;
  std::string sql = "SELECT PD95_IDDISBA FROM PD95_DISBA WITH (NOLOCK) WHERE PD95_DITTA_CG18 = " + company_ +
                    " AND PD95_CODART_MG66 = " + Quoted(article) + " AND PD95_OPZIONE_MG5E = " + Quoted(option);
  if (article_type == 3) sql += " AND PD95_CODPROG_PD68 = " + Quoted(project);
  sql += " ORDER BY PD95_IDDISBA";
  ++queries_;
  const RecordSetPtr rows = connection_.Execute(sql);
  Variant id = Variant::Null();
  if (!rows->Eof()) id = rows->Value(size_t{0});
  boms_.emplace(key, id);
  return id;
}

const ProductionServices::Formula* ProductionServices::LoadFormula(const std::string& code) {
  const std::string key = UpperAscii(RTrim(code));
  if (auto it = formulas_.find(key); it != formulas_.end()) return it->second.get();
  auto formula = std::make_unique<Formula>();
  ++queries_;
  const RecordSetPtr rows = connection_.Execute(
      "SELECT PD24_ESPRESSIONE FROM PD24_FORMULE WITH (NOLOCK) WHERE PD24_DITTA_CG18 = " + company_ +
      " AND PD24_CODICE = " + Quoted(RTrim(code)));
  if (!rows->Eof() && !Trim(rows->Value(size_t{0}).JoinedText()).empty()) {
    auto parser = std::make_unique<mu::Parser>();
    try {
      for (size_t i = 0; i < kFormulaValues; ++i) parser->DefineVar("V" + std::to_string(i + 1), &formula->slots[i]);
      parser->DefineVar("T", &formula->slots[0]);
      parser->DefineVar("NP", &formula->slots[1]);
      parser->DefineVar("Q", &formula->slots[2]);
      parser->SetExpr(rows->Value(size_t{0}).JoinedText());
      formula->parser = std::move(parser);
    } catch (const mu::Parser::exception_type&) {
      formula->parser.reset();
    }
  }
  return formulas_.emplace(key, std::move(formula)).first->second.get();
}

void ProductionServices::ValutaFormula(const std::string& code, const std::string& /*article*/,
                                       const std::string& /*option*/, const std::string& /*cycle*/,
                                       const std::array<Variant, kFormulaValues>& values, Variant& result) {
  result = Variant();
  auto* formula = const_cast<Formula*>(LoadFormula(code));
  if (formula == nullptr || !formula->parser) return;
  for (size_t i = 0; i < kFormulaValues; ++i) {
    const Variant& v = values[i];
    formula->slots[i] = v.IsNumber() || (v.IsText() && v.IsNumeric()) ? v.ToDouble() : 0.0;
  }
  try {
    const double value = formula->parser->Eval();
    if (std::isfinite(value)) result = value;
  } catch (const mu::Parser::exception_type&) {
    result = Variant();
  }
}

}  // namespace host
