// Cycle formulas and configuration values of the query form:
// ElaboraFormulaCicli, InizializzaCicloFashion, EliminaTabellaTemporanea,
// CaricaValoriConfigurazione and GestioneDistintaBaseAperta.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "engine/run_context.h"
#include "host/db/connection.h"
#include "host/services/production_services.h"

namespace engine {

// The host's fashion-cycle service: it may reconfigure the phase rows of a
// cycle for the article's variant by date. The substitute host answers the
// rows unchanged.
class FashionCycleService {
 public:
  virtual ~FashionCycleService() = default;
  virtual void Inizializza() {}
  virtual host::RecordSetPtr ConfiguraCicloFashionPerDate(host::RecordSetPtr cycle, const std::string& /*article*/,
                                                          const std::string& /*option*/) {
    return cycle;
  }
};

// The formula's result as a number: ValoreNumerico of what the evaluator
// answers (0 for empty or non-numeric). A failure is reported as
// "ElaboraFormulaCicli" and answers 0 (and sets `*failed` when given).
host::Variant ElaboraFormulaCicli(RunContext& context, host::ProductionServices& production, const std::string& formula,
                                  const std::string& article, const std::string& option, const std::string& cycle,
                                  const std::array<host::Variant, 28>& values, bool* failed = nullptr);

class ConfigurationValues {
 public:
  ConfigurationValues(RunContext& context, host::db::Connection& connection, std::string company)
      : context_(context), connection_(connection), company_(std::move(company)) {}

  // Creates the fashion-cycle object (errors ignored).
  std::unique_ptr<FashionCycleService> InizializzaCicloFashion();
  // Drops a temporary table; a name not starting with "#" does nothing.
  void EliminaTabellaTemporanea(const std::string& name);
  // 1 or 0, filling #CATVAL when asked; errors skip the failing step.
  int16_t CaricaValoriConfigurazione(const std::string& article, const host::Variant& a, const host::Variant& b,
                                     const host::Variant& c, std::string& model_article, bool create_table);
  // Whether the article's bill of materials is managed open.
  bool GestioneDistintaBaseAperta(const host::Variant& article);

  [[nodiscard]] int16_t SegmentStart() const { return segment_start_; }
  [[nodiscard]] int16_t SegmentLength() const { return segment_length_; }

 private:
  host::RecordSetPtr Run(const std::string& sql);  // errors give an empty record set

  RunContext& context_;
  host::db::Connection& connection_;
  std::string company_;
  int16_t segment_start_ = -1;
  int16_t segment_length_ = -1;
};

}  // namespace engine
