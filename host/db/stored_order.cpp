#include "host/db/stored_order.h"

#include <optional>
#include <vector>

#include "host/db/sql_lexer.h"
#include "host/value/error.h"

namespace host::sql {
namespace {

// The top level of one SELECT: where its clauses start, and whether it has
// anything that makes a row id meaningless as a sort key.
struct TopLevel {
  size_t from = std::string::npos;
  size_t order = std::string::npos;
  size_t order_end = std::string::npos;  // LIMIT, OFFSET, ';' or the end
  bool plain = true;
};

bool IsAggregate(const Token& t) {
  for (const auto name : {"COUNT", "SUM", "MIN", "MAX", "AVG", "TOTAL", "GROUP_CONCAT"}) {
    if (t.IsWord(name)) return true;
  }
  return false;
}

size_t NextSolid(const std::vector<Token>& t, size_t i) {
  while (i < t.size() && t[i].IsSpace()) ++i;
  return i;
}

TopLevel ReadTopLevel(const std::vector<Token>& t) {
  TopLevel top;
  const size_t first = NextSolid(t, 0);
  if (first >= t.size() || !t[first].IsWord("SELECT")) top.plain = false;
  int depth = 0;
  for (size_t i = first; top.plain && i < t.size(); ++i) {
    const Token& tok = t[i];
    if (tok.IsSymbol("(")) ++depth;
    if (tok.IsSymbol(")")) --depth;
    if (depth != 0 || tok.IsSpace()) continue;
    if (tok.IsSymbol(";")) {
      // A second statement after it: not one plain SELECT.
      if (NextSolid(t, i + 1) < t.size()) top.plain = false;
      if (top.order != std::string::npos && top.order_end == std::string::npos) top.order_end = i;
      break;
    }
    if (i != first && tok.IsWord("SELECT")) top.plain = false;  // a compound select
    for (const auto word : {"DISTINCT", "GROUP", "HAVING", "UNION", "EXCEPT", "INTERSECT", "WINDOW"}) {
      if (tok.IsWord(word)) top.plain = false;
    }
    const size_t next = NextSolid(t, i + 1);
    if (top.from == std::string::npos && IsAggregate(tok) && next < t.size() && t[next].IsSymbol("(")) {
      top.plain = false;
    }
    if (tok.IsWord("FROM") && top.from == std::string::npos) top.from = i;
    if (tok.IsWord("ORDER") && top.order == std::string::npos) top.order = i;
    if ((tok.IsWord("LIMIT") || tok.IsWord("OFFSET")) && top.order != std::string::npos &&
        top.order_end == std::string::npos) {
      top.order_end = i;
    }
  }
  if (depth != 0 || top.from == std::string::npos || top.order == std::string::npos || top.order < top.from) {
    top.plain = false;
  }
  if (top.order_end == std::string::npos) top.order_end = t.size();
  return top;
}

bool IsClauseWord(const Token& t) {
  for (const auto word : {"LEFT", "RIGHT", "INNER", "OUTER", "CROSS", "NATURAL", "FULL", "JOIN", "WHERE", "ORDER",
                          "ON", "USING", "INDEXED", "NOT", "LIMIT"}) {
    if (t.IsWord(word)) return true;
  }
  return false;
}

std::string Unquoted(const std::string& name) {
  if (name.size() >= 2 && name.front() == '"' && name.back() == '"') return name.substr(1, name.size() - 2);
  return name;
}

// The name the query's first table goes by (its alias, else its own name),
// if that table is one `has_row_id` accepts.
std::optional<std::string> FirstTableQualifier(const std::vector<Token>& t, size_t from,
                                               const std::function<bool(std::string_view)>& has_row_id) {
  const size_t name = NextSolid(t, from + 1);
  if (name >= t.size() || t[name].kind != Token::Word || IsClauseWord(t[name])) return std::nullopt;
  size_t after = NextSolid(t, name + 1);
  // schema.table, a temporary table, or a table function's arguments.
  if (after < t.size() && (t[after].IsSymbol(".") || t[after].IsSymbol("("))) return std::nullopt;
  if (!has_row_id || !has_row_id(Unquoted(t[name].text))) return std::nullopt;
  if (after < t.size() && t[after].IsWord("AS")) {
    after = NextSolid(t, after + 1);
    if (after >= t.size() || t[after].kind != Token::Word) return std::nullopt;
    return t[after].text;
  }
  if (after < t.size() && t[after].kind == Token::Word && !IsClauseWord(t[after])) return t[after].text;
  return t[name].text;
}

}  // namespace

bool AppendStoredOrderTieBreak(std::string* sql, const std::function<bool(std::string_view)>& has_row_id) {
  std::vector<Token> t;
  try {
    t = Tokenize(*sql);
  } catch (const Error&) {
    return false;
  }
  const TopLevel top = ReadTopLevel(t);
  if (!top.plain) return false;
  const auto qualifier = FirstTableQualifier(t, top.from, has_row_id);
  if (!qualifier) return false;
  // After the clause's last term, before the blanks that end it.
  size_t at = top.order_end;
  while (at > top.order && t[at - 1].IsSpace()) --at;
  t.insert(t.begin() + static_cast<std::ptrdiff_t>(at), Token{Token::Word, ", " + *qualifier + ".rowid"});
  *sql = Join(t);
  return true;
}

}  // namespace host::sql
