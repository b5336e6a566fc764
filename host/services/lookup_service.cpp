#include "host/services/lookup_service.h"

#include "host/value/variant.h"

namespace host {
namespace {

std::string Quoted(const std::string& text) { return "'" + ReplaceAll(text, "'", "''") + "'"; }

// A LIKE pattern of the typed text: '!' escapes the characters that LIKE
// (and SQL Server's brackets) would read as wildcards.
std::string LikeText(const std::string& typed) {
  std::string out;
  for (const char c : typed) {
    if (c == '!' || c == '%' || c == '_' || c == '[') out += '!';
    out += c;
  }
  return ReplaceAll(out, "'", "''");
}

bool Digits(const std::string& text) {
  if (text.empty()) return false;
  for (const char c : text) {
    if (c < '0' || c > '9') return false;
  }
  return true;
}

}  // namespace

std::optional<LookupDefinition> LookupService::Definition(const std::string& caption, const std::string& parent) const {
  const std::string company = company_;
  const std::string p = Trim(parent);
  LookupDefinition d;
  d.title = caption;
  if (caption == "Macchina") {
    d.from = "VPD08_MACCHINA WITH (NOLOCK)";
    d.code = "PD08_MACCHINA";
    d.description = "PD08_DESCR";
    d.where = "PD08_DITTA_CG18 = " + company;
  } else if (caption == "Dipendente") {
    d.from = "PD06_DIPENDENTI WITH (NOLOCK)";
    d.code = "PD06_CODDIP";
    d.description = "PD06_COGNOME + ' ' + PD06_NOME";
    d.where = "PD06_DITTA_CG18 = " + company;
  } else if (caption == "Fase") {
    d.from = "VPD12_FASILAVORO WITH (NOLOCK)";
    d.code = "PD12_CODFASE";
    d.description = "PD12_DESCR";
    d.where = "PD12_DITTA_CG18 = " + company;
    d.numeric_code = true;
  } else if (caption == "Reparto") {
    d.from = "VPD07_REPARTO WITH (NOLOCK)";
    d.code = "PD07_CODREP";
    d.description = "PD07_DESCR";
    d.where = "PD07_DITTA_CG18 = " + company;
  } else if (caption == "Commessa") {
    d.from = "PD25_COMMESSA WITH (NOLOCK)";
    d.code = "PD25_CODCOMMESSA";
    d.description = "PD25_DESCR";
    d.where = "PD25_DITTA_CG18 = " + company + " AND PD25_CODSOTCOMM = 0";
  } else if (caption == "Sottocommessa") {
    d.from = "PD25_COMMESSA WITH (NOLOCK)";
    d.code = "PD25_CODSOTCOMM";
    d.description = "PD25_DESCR";
    d.where = "PD25_DITTA_CG18 = " + company + " AND PD25_CODSOTCOMM <> 0 AND PD25_CODCOMMESSA = " + Quoted(p);
    d.numeric_code = true;
  } else if (caption == "Progetto") {
    d.from = "PD68_PROGETTI WITH (NOLOCK)";
    d.code = "PD68_CODPROG";
    d.description = "PD68_DESCRPROG";
    d.where = "PD68_DITTA_CG18 = " + company;
  } else if (caption == "Sottoprogetto") {
    d.from = "PD69_SOTTOPROGETTI WITH (NOLOCK)";
    d.code = "PD69_SOTPROG";
    d.description = "PD69_DESCRSOTPROG";
    d.where = "PD69_DITTA_CG18 = " + company + " AND PD69_CODPROG_PD68 = " + Quoted(p);
    d.numeric_code = true;
  } else if (caption == "Nodo") {
    d.from = "VPD0C_NODO WITH (NOLOCK)";
    d.code = "PD0C_CODNODO";
    d.description = "PD0C_DESCR";
    d.where = "PD0C_DITTA_CG18 = " + company + " AND PD0C_CODPROG_PD68 = " + Quoted(p);
  } else if (caption == "Articolo") {
    d.from =
        "MG66_ANAGRART WITH (NOLOCK) LEFT OUTER JOIN MG87_ARTDESC WITH (NOLOCK) ON MG87_DITTA_CG18 = MG66_DITTA_CG18 "
        "AND MG87_CODART_MG66 = MG66_CODART AND MG87_OPZIONE_MG5E = '' AND MG87_LINGUA_MG52 = ''";
    d.code = "MG66_CODART";
    d.description = "MG87_DESCART";
    d.where = "MG66_DITTA_CG18 = " + company;
  } else if (caption == "Codice ordine") {
    d.from = "DO11_DOCTESTATA WITH (NOLOCK)";
    d.code = "DO11_DOCUM_MG36";
    d.description = "DO11_DOCUM_MG36";
    d.where = "DO11_DITTA_CG18 = " + company + " AND DO11_DOCUM_MG36 IS NOT NULL";
    d.distinct = true;
  } else if (caption == "Sezionale ordine") {
    d.from = "DO11_DOCTESTATA WITH (NOLOCK)";
    d.code = "DO11_SEZDOC";
    d.description = "DO11_SEZDOC";
    d.where = "DO11_DITTA_CG18 = " + company + " AND DO11_SEZDOC IS NOT NULL";
    d.distinct = true;
  } else {
    return std::nullopt;
  }
  return d;
}

LookupDefinition LookupService::Documents() const {
  LookupDefinition d;
  d.title = "Numero ordine";
  d.from =
      "DO11_DOCTESTATA WITH (NOLOCK) INNER JOIN DO30_DOCCORPO WITH (NOLOCK) ON DO30_DITTA_CG18 = DO11_DITTA_CG18 "
      "AND DO30_NUMREG_CO99 = DO11_NUMREG_CO99";
  d.code = "DO11_NUMDOC";
  d.description = "DO30_CODART_MG66";
  d.where = "DO11_DITTA_CG18 = " + company_;
  d.extra = {{"SEZIONALE", "DO11_SEZDOC"},
             {"DATA", "DO11_DATADOC"},
             {"RIGA", "DO30_PROGRIGA"},
             {"QUANTITA", "DO30_QTA"},
             {"NUMREG", "DO11_NUMREG_CO99"}};
  d.numeric_code = true;
  return d;
}

std::string LookupService::PageSql(const LookupDefinition& d, const std::string& typed, int limit) {
  std::string sql = "SELECT ";
  if (d.distinct) sql += "DISTINCT ";
  sql += "TOP " + std::to_string(limit < 1 ? 1 : limit) + " " + d.code + " AS CODICE, " + d.description +
         " AS DESCRIZIONE";
  for (const auto& [caption, expression] : d.extra) sql += ", " + expression + " AS " + caption;
  sql += " FROM " + d.from + " WHERE " + d.where;
  const std::string text = Trim(typed);
  if (!text.empty()) {
    const std::string like = LikeText(text);
    if (d.numeric_code) {
      // A number matches exactly; other text only the description.
      sql += Digits(text) ? " AND (" + d.code + " = " + text + " OR " + d.description + " LIKE '%" + like +
                                "%' ESCAPE '!')"
                          : " AND " + d.description + " LIKE '%" + like + "%' ESCAPE '!'";
    } else {
      sql += " AND (" + d.code + " LIKE '" + like + "%' ESCAPE '!' OR " + d.description + " LIKE '%" + like +
             "%' ESCAPE '!')";
    }
  }
  sql += " ORDER BY " + d.code;
  for (const auto& [caption, expression] : d.extra) {
    if (caption == "RIGA") sql += ", " + expression;
  }
  return sql;
}

RecordSetPtr LookupService::Page(const LookupDefinition& definition, const std::string& typed, int limit) {
  return connection_.Execute(PageSql(definition, typed, limit));
}

}  // namespace host
