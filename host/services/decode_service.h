// The host's decode service: the description of a code of master data, read
// from the ERP's tables. Each Decode call answers a result code (0 found,
// 1 not found) and leaves the description in Description() (employees: the
// two name parts in Surname() and Name()). Answers are cached for the
// object's life; texts are quoted with their quotes doubled.
#pragma once

#include <map>
#include <string>

#include "host/db/connection.h"

namespace host {

class DecodeService {
 public:
  DecodeService(db::Connection& connection, std::string company)
      : connection_(connection), company_(std::move(company)) {}

  int DecodeReparto(const std::string& code);
  int DecodeFase(const std::string& code);
  int DecodeDipendente(const std::string& code);
  int DecodeMacchina(const std::string& code);
  int DecodeCommessa(const std::string& job_order, int16_t sub_order);
  int DecodeProgetto(const std::string& project, const std::string& sub_project);
  int DecodeNodo(const std::string& project, const std::string& node);
  int DecodeArticolo(const std::string& article, const std::string& option);
  // Whether the order document of section and number exists among the kinds.
  int DecodeDocumento(const std::string& section, const std::string& number, int16_t kind1, int16_t kind2);

  // The query text of the supplier cost record of a cost code, supplier and
  // unit (its PD05_COSTO1, PD05_UMSIGLA_CG0C, PD05_DATAINIVAL and
  // PD05_DATAFINVAL), the latest validity first.
  [[nodiscard]] std::string SupplierCostSql(const std::string& cost_code, const std::string& supplier,
                                            const std::string& unit) const;

  [[nodiscard]] const std::string& Description() const { return description_; }
  [[nodiscard]] const std::string& Surname() const { return surname_; }
  [[nodiscard]] const std::string& Name() const { return name_; }

 private:
  // Runs a one-row query (cached by text); answers 0 and sets the texts from
  // its first (and second) column, or 1.
  int Lookup(const std::string& sql, bool two_parts = false);

  db::Connection& connection_;
  std::string company_;
  std::string description_, surname_, name_;
  std::map<std::string, std::pair<int, std::pair<std::string, std::string>>> cache_;
};

}  // namespace host
