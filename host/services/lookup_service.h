// The host's look-up of master data (machines, employees, phases,
// departments, job orders and their sub-orders, projects with their
// sub-projects and nodes, articles, order codes and sections) and its
// document look-up (production orders by section and number).
//
// A look-up never loads a table: each page is one query of at most `limit`
// rows, ordered by code, of the rows whose code starts with the typed text
// or whose description contains it (any case). The typed text reaches SQL
// with its quotes doubled and its LIKE characters escaped.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "host/db/connection.h"
#include "host/recordset/recordset.h"

namespace host {

struct LookupDefinition {
  std::string title;        // the window's title: the field's caption
  std::string from;         // FROM clause (tables, joins)
  std::string code;         // the code expression (first column)
  std::string description;  // the description expression (second column)
  std::string where;        // company and parent conditions, without "WHERE"
  std::vector<std::pair<std::string, std::string>> extra;  // further columns: caption, expression
  bool distinct = false;
  bool numeric_code = false;  // the code is a number: matched as text from its start
};

class LookupService {
 public:
  LookupService(db::Connection& connection, std::string company)
      : connection_(connection), company_(std::move(company)) {}

  // The look-up of a filter field by its caption; `parent` is the value of
  // the field it depends on (the job order of "Sottocommessa", the project
  // of "Sottoprogetto" and "Nodo"). Nothing for captions without a look-up.
  [[nodiscard]] std::optional<LookupDefinition> Definition(const std::string& caption,
                                                           const std::string& parent = {}) const;
  // The document look-up: order lines with section, number, date, article
  // and quantity (document kinds 24 and 20).
  [[nodiscard]] LookupDefinition Documents() const;

  // The T-SQL text of one page.
  [[nodiscard]] static std::string PageSql(const LookupDefinition& definition, const std::string& typed, int limit);
  // One page: columns "CODICE", "DESCRIZIONE" and the extra ones. Throws
  // host::Error as the connection does.
  RecordSetPtr Page(const LookupDefinition& definition, const std::string& typed, int limit = 200);

 private:
  db::Connection& connection_;
  std::string company_;
};

}  // namespace host
