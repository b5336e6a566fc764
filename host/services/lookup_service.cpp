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

// The look-ups of the master data, one row each: caption, FROM, code,
// description, the company column, what else the rows must meet (with
// "{parent}" where the parent field's value goes), DISTINCT, numeric code.
struct LookupRow {
  const char* caption;
  const char* from;
  const char* code;
  const char* description;
  const char* company_column;
  const char* more;
  bool distinct;
  bool numeric_code;
};

constexpr LookupRow kLookups[] = {
    {"Macchina", "VPD08_MACCHINA WITH (NOLOCK)", "PD08_MACCHINA", "PD08_DESCR", "PD08_DITTA_CG18", "", false, false},
    {"Dipendente", "PD06_DIPENDENTI WITH (NOLOCK)", "PD06_CODDIP", "PD06_COGNOME + ' ' + PD06_NOME",
     "PD06_DITTA_CG18", "", false, false},
    {"Fase", "VPD12_FASILAVORO WITH (NOLOCK)", "PD12_CODFASE", "PD12_DESCR", "PD12_DITTA_CG18", "", false, true},
    {"Reparto", "VPD07_REPARTO WITH (NOLOCK)", "PD07_CODREP", "PD07_DESCR", "PD07_DITTA_CG18", "", false, false},
    {"Commessa", "PD25_COMMESSA WITH (NOLOCK)", "PD25_CODCOMMESSA", "PD25_DESCR", "PD25_DITTA_CG18",
     " AND PD25_CODSOTCOMM = 0", false, false},
    {"Sottocommessa", "PD25_COMMESSA WITH (NOLOCK)", "PD25_CODSOTCOMM", "PD25_DESCR", "PD25_DITTA_CG18",
     " AND PD25_CODSOTCOMM <> 0 AND PD25_CODCOMMESSA = {parent}", false, true},
    {"Progetto", "PD68_PROGETTI WITH (NOLOCK)", "PD68_CODPROG", "PD68_DESCRPROG", "PD68_DITTA_CG18", "", false, false},
    {"Sottoprogetto", "PD69_SOTTOPROGETTI WITH (NOLOCK)", "PD69_SOTPROG", "PD69_DESCRSOTPROG", "PD69_DITTA_CG18",
     " AND PD69_CODPROG_PD68 = {parent}", false, true},
    {"Nodo", "VPD0C_NODO WITH (NOLOCK)", "PD0C_CODNODO", "PD0C_DESCR", "PD0C_DITTA_CG18",
     " AND PD0C_CODPROG_PD68 = {parent}", false, false},
    {"Articolo",
     "MG66_ANAGRART WITH (NOLOCK) LEFT OUTER JOIN MG87_ARTDESC WITH (NOLOCK) ON MG87_DITTA_CG18 = MG66_DITTA_CG18 "
     "AND MG87_CODART_MG66 = MG66_CODART AND MG87_OPZIONE_MG5E = '' AND MG87_LINGUA_MG52 = ''",
     "MG66_CODART", "MG87_DESCART", "MG66_DITTA_CG18", "", false, false},
    {"Codice ordine", "DO11_DOCTESTATA WITH (NOLOCK)", "DO11_DOCUM_MG36", "DO11_DOCUM_MG36", "DO11_DITTA_CG18",
     " AND DO11_DOCUM_MG36 IS NOT NULL", true, false},
    {"Sezionale ordine", "DO11_DOCTESTATA WITH (NOLOCK)", "DO11_SEZDOC", "DO11_SEZDOC", "DO11_DITTA_CG18",
     " AND DO11_SEZDOC IS NOT NULL", true, false},
    {"Categorie", "CO5C_CATEGORIEART WITH (NOLOCK)", "CO5C_CODCAT", "CO5C_CODCAT", "CO5C_DITTA_CG18", "", true, false},
};

}  // namespace

std::optional<LookupDefinition> LookupService::Definition(const std::string& caption, const std::string& parent) const {
  for (const LookupRow& row : kLookups) {
    if (caption != row.caption) continue;
    LookupDefinition d;
    d.title = caption;
    d.from = row.from;
    d.code = row.code;
    d.description = row.description;
    d.where = std::string(row.company_column) + " = " + company_ +
              ReplaceAll(row.more, "{parent}", Quoted(Trim(parent)));
    d.distinct = row.distinct;
    d.numeric_code = row.numeric_code;
    return d;
  }
  return std::nullopt;
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
