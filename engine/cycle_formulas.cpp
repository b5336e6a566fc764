#include "engine/cycle_formulas.h"

#include "engine/formato_db.h"
#include "engine/planned_queries.h"
#include "engine/value_helpers.h"

namespace engine {
namespace {

// A value as the configuration queries' SQL literal, a refusal shown on the form.
host::Variant Literal(RunContext& context, const host::Variant& value, int32_t kind) {
  return context.Value(FormatoDB(value, kind, true, context.DateService(), context.NumberService()));
}

}  // namespace

using host::Variant;

Variant ElaboraFormulaCicli(RunContext& context, host::ProductionServices& production, const std::string& formula,
                            const std::string& article, const std::string& option, const std::string& cycle,
                            const std::array<Variant, 28>& values, bool* failed) {
  try {
    Variant result;
    production.ValutaFormula(formula, article, option, cycle, values, result);
    return ValoreNumerico(result);
  } catch (const std::exception&) {
    context.Caught("ElaboraFormulaCicli");
    if (failed != nullptr) *failed = true;
    return int16_t{0};
  }
}

std::unique_ptr<FashionCycleService> ConfigurationValues::InizializzaCicloFashion() {
  auto service = std::make_unique<FashionCycleService>();
  try {
    service->Inizializza();
  } catch (const std::exception&) {
    // Errors of the host object are ignored here.
  }
  return service;
}

host::RecordSetPtr ConfigurationValues::Run(const std::string& sql) {
  try {
    return connection_.Execute(sql);
  } catch (const host::Error&) {
    auto empty = host::RecordSet::Create();
    empty->Open();
    return empty;
  }
}

void ConfigurationValues::EliminaTabellaTemporanea(const std::string& name) {
  if (name.empty() || name.front() != '#') return;
  try {
    connection_.ExecuteNoRecords(DropTempTableBatch(name));
  } catch (const host::Error&) {
    // A failing drop is skipped.
  }
}

int16_t ConfigurationValues::CaricaValoriConfigurazione(const std::string& article, const Variant& a, const Variant& b,
                                                        const Variant& c, std::string& model_article,
                                                        bool create_table) {
  EliminaTabellaTemporanea("#CATVAL");
  const std::string art = host::RTrim(article);
  if (RecordsetVuoto(Run(CommercialConfigurationQuery(company_, art)))) return 1;
  const host::RecordSetPtr type = Run(ArticleTypeQuery(company_, art));
  if (!RecordsetVuoto(type) && host::CompareNumbers(ValoreNumerico(type->Value(size_t{0})), int16_t{3}) == 0) {
    return 0;
  }
  if (segment_start_ < 0) {
    segment_start_ = 0;
    segment_length_ = 0;
    int16_t sum = 0;
    const host::RecordSetPtr segments = Run(VariantSegmentsQuery(company_));
    for (; !segments->Eof(); segments->MoveNext()) {
      const auto size = static_cast<int16_t>(ValoreNumerico(segments->Value("MG5F_SIZE")).ToInt64());
      if (host::CompareNumbers(ValoreNumerico(segments->Value("MG5F_INDPROGCONFIG")), int16_t{0}) > 0) {
        segment_start_ = static_cast<int16_t>(sum + 1);
        segment_length_ = size;
        break;
      }
      sum = static_cast<int16_t>(sum + size);
    }
  }
  const host::RecordSetPtr values = Run(CatvalConfigQuery(
      company_, Literal(context_, b, kDbText).JoinedText(), art, Literal(context_, a, kDbText).JoinedText(),
      Literal(context_, c, kDbDate).JoinedText(), std::to_string(segment_start_),
      std::to_string(segment_length_)));
  if (RecordsetVuoto(values)) return 1;
  if (host::CompareNumbers(ValoreNumerico(values->Value("INDTIPOART")), int16_t{0}) == 0) return 0;
  model_article = values->Value("CODARTMOD_MG66").JoinedText();
  if (!create_table) return 1;
  try {
    connection_.ExecuteNoRecords(CatvalCreateBatch());
  } catch (const host::Error&) {
    return 1;
  }
  for (values->MoveFirst(); !values->Eof(); values->MoveNext()) {
    try {
      connection_.ExecuteNoRecords(
          CatvalInsert(values->Value("CODICE").JoinedText(), ValoreNumerico(values->Value("INDTIPODATO")).ToText(),
                       Literal(context_, values->Value("VALORESTR_CM02"), kDbText).JoinedText(),
                       Literal(context_, values->Value("VALORENUM_CM02"), kDbNumber).JoinedText()));
    } catch (const host::Error&) {
      // A failing insert is skipped.
    }
  }
  return 1;
}

bool ConfigurationValues::GestioneDistintaBaseAperta(const Variant& article) {
  bool result = false;
  try {
    const host::RecordSetPtr own =
        connection_.Execute(ArticleBomManagementQuery(company_, host::RTrim(article.JoinedText())));
    if (RecordsetVuoto(own)) return false;
    const int64_t indicator = ValoreNumerico(own->Value(size_t{0})).ToInt64();
    if (indicator == 0) {
      const host::RecordSetPtr company = connection_.Execute(CompanyBomManagementQuery(company_));
      result = !RecordsetVuoto(company) && ValoreNumerico(company->Value(size_t{0})).ToInt64() == 1;
    } else {
      result = indicator == 2;
    }
  } catch (const std::exception&) {
    context_.Caught("GestioneDistintaBaseAperta");
  }
  return result;
}

}  // namespace engine
