#include "host/services/decode_service.h"

namespace host {
namespace {

std::string Q(const std::string& text) { return "'" + ReplaceAll(RTrim(text), "'", "''") + "'"; }

// A number for SQL, or "NULL" when the text is not one (so nothing matches).
std::string N(const std::string& text) {
  auto d = Decimal::Parse(text);
  return d ? d->ToString() : "NULL";
}

}  // namespace

int DecodeService::Lookup(const std::string& sql, bool two_parts) {
  auto it = cache_.find(sql);
  if (it == cache_.end()) {
    const RecordSetPtr rows = connection_.Execute(sql);
    std::pair<int, std::pair<std::string, std::string>> answer{1, {}};
    if (!rows->Eof()) {
      answer.first = 0;
      answer.second.first = RTrim(rows->Value(size_t{0}).JoinedText());
      if (two_parts && rows->FieldCount() > 1) answer.second.second = RTrim(rows->Value(size_t{1}).JoinedText());
    }
    it = cache_.emplace(sql, answer).first;
  }
  description_ = surname_ = name_ = "";
  if (it->second.first == 0) {
    if (two_parts) {
      surname_ = it->second.second.first;
      name_ = it->second.second.second;
      description_ = surname_ + " " + name_;
    } else {
      description_ = it->second.second.first;
    }
  }
  return it->second.first;
}

int DecodeService::DecodeReparto(const std::string& code) {
  return Lookup("SELECT PD07_DESCR FROM VPD07_REPARTO WITH (NOLOCK) WHERE PD07_DITTA_CG18 = " + company_ +
                " AND PD07_CODREP = " + Q(code));
}

int DecodeService::DecodeFase(const std::string& code) {
  return Lookup("SELECT PD12_DESCR FROM VPD12_FASILAVORO WITH (NOLOCK) WHERE PD12_DITTA_CG18 = " + company_ +
                " AND PD12_CODFASE = " + N(code));
}

int DecodeService::DecodeDipendente(const std::string& code) {
  return Lookup("SELECT PD06_COGNOME, PD06_NOME FROM PD06_DIPENDENTI WITH (NOLOCK) WHERE PD06_DITTA_CG18 = " +
                    company_ + " AND PD06_CODDIP = " + Q(code),
                true);
}

int DecodeService::DecodeMacchina(const std::string& code) {
  return Lookup("SELECT PD08_DESCR FROM VPD08_MACCHINA WITH (NOLOCK) WHERE PD08_DITTA_CG18 = " + company_ +
                " AND PD08_MACCHINA = " + Q(code));
}

int DecodeService::DecodeCommessa(const std::string& job_order, int16_t sub_order) {
  return Lookup("SELECT PD25_DESCR FROM PD25_COMMESSA WITH (NOLOCK) WHERE PD25_DITTA_CG18 = " + company_ +
                " AND PD25_CODCOMMESSA = " + Q(job_order) + " AND PD25_CODSOTCOMM = " + std::to_string(sub_order));
}

int DecodeService::DecodeProgetto(const std::string& project, const std::string& sub_project) {
  if (Trim(sub_project).empty()) {
    return Lookup("SELECT PD68_DESCRPROG FROM PD68_PROGETTI WITH (NOLOCK) WHERE PD68_DITTA_CG18 = " + company_ +
                  " AND PD68_CODPROG = " + Q(project));
  }
  return Lookup("SELECT PD69_DESCRSOTPROG FROM PD69_SOTTOPROGETTI WITH (NOLOCK) WHERE PD69_DITTA_CG18 = " + company_ +
                " AND PD69_CODPROG_PD68 = " + Q(project) + " AND PD69_SOTPROG = " + N(sub_project));
}

int DecodeService::DecodeNodo(const std::string& project, const std::string& node) {
  return Lookup("SELECT PD0C_DESCR FROM VPD0C_NODO WITH (NOLOCK) WHERE PD0C_DITTA_CG18 = " + company_ +
                " AND PD0C_CODPROG_PD68 = " + Q(project) + " AND PD0C_CODNODO = " + Q(node));
}

int DecodeService::DecodeArticolo(const std::string& article, const std::string& option) {
  return Lookup("SELECT MG87_DESCART FROM MG87_ARTDESC WITH (NOLOCK) WHERE MG87_DITTA_CG18 = " + company_ +
                " AND MG87_CODART_MG66 = " + Q(article) + " AND MG87_OPZIONE_MG5E = " + Q(option) +
                " AND MG87_LINGUA_MG52 = ''");
}

std::string DecodeService::SupplierCostSql(const std::string& cost_code, const std::string& supplier,
                                           const std::string& unit) const {
  return "SELECT PD05_COSTO1, PD05_UMSIGLA_CG0C, PD05_DATAINIVAL, PD05_DATAFINVAL FROM PD05_COSTIFORN WITH (NOLOCK) "
         "WHERE PD05_DITTA_CG18 = " +
         company_ + " AND PD05_CODCOSTO = " + Q(cost_code) + " AND PD05_CLIFOR_CG44 = " + N(supplier) +
         " AND PD05_UMSIGLA_CG0C = " + Q(unit) + " ORDER BY PD05_DATAINIVAL DESC";
}

int DecodeService::DecodeDocumento(const std::string& section, const std::string& number, int16_t, int16_t) {
  return Lookup("SELECT DO11_NUMREG_CO99 FROM DO11_DOCTESTATA WITH (NOLOCK) WHERE DO11_DITTA_CG18 = " + company_ +
                " AND DO11_SEZDOC = " + Q(section) + " AND DO11_NUMDOC = " + N(number));
}

}  // namespace host
