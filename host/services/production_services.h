// The host's production services: the bill of materials of an article and
// the evaluation of cycle formulas.
//
// A cycle formula (table PD24_FORMULE) is an arithmetic expression over the
// 28 values that the engine passes, named V1 .. V28, with the first three
// also named T (the base time), NP (the pieces) and Q (the quantity). The
// muParser language: + - * / ^, parentheses, min, max, sqrt, abs, round-free
// arithmetic, if-then-else as c ? a : b. A value that is not a number counts
// as 0. An unknown code, a missing expression or one that does not evaluate
// leaves the result Empty, which the engine reads as 0.
//
// Both answers are cached for the object's life: a run asks the same
// question for every booking of the same article or phase.
#pragma once

#include <array>
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "host/db/connection.h"
#include "host/value/variant.h"

namespace host {

class ProductionServices {
 public:
  static constexpr size_t kFormulaValues = 28;

  ProductionServices(db::Connection& connection, std::string company);
  ~ProductionServices();
  ProductionServices(const ProductionServices&) = delete;
  ProductionServices& operator=(const ProductionServices&) = delete;

  // The id of the bill of materials of article and option (for article
  // type 3, of the project too), or Null when there is none. The arguments
  // after the project are the host's fixed ones and are not used here.
  Variant CercaDistintaBase(const std::string& article, const std::string& option, int16_t article_type,
                            const std::string& project, int32_t a = 0, int32_t b = 0, int32_t c = 0, bool d = true,
                            int32_t e = 0, std::string* message = nullptr);

  // Evaluates formula `code`; the result goes to `result` (Empty on failure).
  void ValutaFormula(const std::string& code, const std::string& article, const std::string& option,
                     const std::string& cycle, const std::array<Variant, kFormulaValues>& values, Variant& result);

  // Statements run since creation (for measurements).
  [[nodiscard]] int64_t Queries() const { return queries_; }

 private:
  struct Formula;
  const Formula* LoadFormula(const std::string& code);

  db::Connection& connection_;
  std::string company_;
  std::map<std::string, Variant> boms_;
  std::map<std::string, std::unique_ptr<Formula>> formulas_;
  int64_t queries_ = 0;
};

}  // namespace host
