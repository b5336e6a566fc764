#include "host/db/sqlite_dialect.h"

#include <optional>

#include <algorithm>
#include <array>

#include "host/db/date_functions.h"
#include "host/db/sql_lexer.h"
#include "host/db/stored_order.h"
#include "host/recordset/table.h"
#include "host/value/error.h"

namespace host::sql {
namespace {

// The tokens of a text. Reading past either end answers an empty symbol
// that matches nothing, so that a rewrite looking one token too far on a
// truncated text refuses it ("... without ...") instead of reading beyond
// the tokens; text from users is arbitrary.
class Tokens : public std::vector<Token> {
 public:
  Tokens() = default;
  Tokens(std::vector<Token> tokens) : std::vector<Token>(std::move(tokens)) {}  // NOLINT: a plain conversion
  const Token& operator[](size_t i) const { return i < size() ? std::vector<Token>::operator[](i) : End(); }
  Token& operator[](size_t i) {
    if (i < size()) return std::vector<Token>::operator[](i);
    static thread_local Token scratch;
    scratch = End();
    return scratch;
  }

 private:
  static const Token& End() {
    static const Token end{Token::Symbol, ""};
    return end;
  }
};

[[noreturn]] void Unsupported(std::string_view what) {
  throw Error(kErrDatabase, "T-SQL construct not supported on SQLite: " + std::string(what), "SQLite dialect");
}

// Index of the next token that is not blank or comment, from i on; size() if none.
size_t Next(const Tokens& t, size_t i) {
  while (i < t.size() && t[i].IsSpace()) ++i;
  return i;
}

// Index of the previous non-space token before i; npos if none.
size_t Prev(const Tokens& t, size_t i) {
  while (i > 0) {
    --i;
    if (!t[i].IsSpace()) return i;
  }
  return std::string::npos;
}

size_t MatchingClose(const Tokens& t, size_t open) {
  int depth = 0;
  for (size_t i = open; i < t.size(); ++i) {
    if (t[i].IsSymbol("(")) ++depth;
    if (t[i].IsSymbol(")") && --depth == 0) return i;
  }
  Unsupported("unbalanced parentheses");
}

size_t MatchingOpen(const Tokens& t, size_t close) {
  int depth = 0;
  for (size_t i = close + 1; i-- > 0;) {
    if (t[i].IsSymbol(")")) ++depth;
    if (t[i].IsSymbol("(") && --depth == 0) return i;
  }
  Unsupported("unbalanced parentheses");
}

std::string Text(const Tokens& t, size_t from, size_t to) {
  std::string out;
  for (size_t i = from; i <= to && i < t.size(); ++i) out += t[i].text;
  return out;
}

// Replaces tokens [from, to] with one word token holding `text`.
void Replace(Tokens& t, size_t from, size_t to, std::string text) {
  t.erase(t.begin() + static_cast<std::ptrdiff_t>(from) + 1, t.begin() + static_cast<std::ptrdiff_t>(to) + 1);
  t[from] = {Token::Word, std::move(text)};
}

// First token of the primary expression that ends at `end` (a name, a
// literal, a call or a parenthesised group).
size_t PrimaryStart(const Tokens& t, size_t end) {
  size_t start = end;
  if (t[end].IsSymbol(")")) {
    start = MatchingOpen(t, end);
    const size_t before = Prev(t, start);
    if (before != std::string::npos && t[before].kind == Token::Word && !t[before].IsWord("AND") &&
        !t[before].IsWord("OR") && !t[before].IsWord("SELECT") && !t[before].IsWord("ON") &&
        !t[before].IsWord("WHERE") && !t[before].IsWord("NOT") && !t[before].IsWord("IN")) {
      start = before;
    }
  }
  // Qualified names: a.b
  for (;;) {
    const size_t dot = Prev(t, start);
    if (dot == std::string::npos || !t[dot].IsSymbol(".")) break;
    const size_t owner = Prev(t, dot);
    if (owner == std::string::npos || t[owner].kind != Token::Word) break;
    start = owner;
  }
  return start;
}

// Last token of the primary expression that starts at `start`.
size_t PrimaryEnd(const Tokens& t, size_t start) {
  // An operator at the very end ("A /") has nothing after it.
  if (start >= t.size()) Unsupported("an operator without operand");
  size_t i = start;
  if (t[i].IsSymbol("-") || t[i].IsSymbol("+")) i = Next(t, i + 1);
  if (i >= t.size()) Unsupported("an operator without operand");
  if (t[i].IsSymbol("(")) return MatchingClose(t, i);
  size_t end = i;
  for (;;) {
    const size_t after = Next(t, end + 1);
    if (after < t.size() && t[after].IsSymbol("(") && t[end].kind == Token::Word) return MatchingClose(t, after);
    if (after < t.size() && t[after].IsSymbol(".")) {
      const size_t name = Next(t, after + 1);
      if (name < t.size() && t[name].kind == Token::Word) {
        end = name;
        continue;
      }
    }
    return end;
  }
}

bool IsCastToDecimal(const Tokens& t, size_t cast, int* precision, int* scale) {
  // CAST ( ... AS DECIMAL ( p , s ) )
  const size_t open = Next(t, cast + 1);
  if (open >= t.size() || !t[open].IsSymbol("(")) return false;
  const size_t close = MatchingClose(t, open);
  size_t as = std::string::npos;
  int depth = 0;
  for (size_t i = open + 1; i < close; ++i) {
    if (t[i].IsSymbol("(")) ++depth;
    if (t[i].IsSymbol(")")) --depth;
    if (depth == 0 && t[i].IsWord("AS")) as = i;
  }
  if (as == std::string::npos) return false;
  const size_t type = Next(t, as + 1);
  if (!t[type].IsWord("DECIMAL") && !t[type].IsWord("NUMERIC")) return false;
  *precision = 18;
  *scale = 0;
  const size_t p_open = Next(t, type + 1);
  if (p_open < close && t[p_open].IsSymbol("(")) {
    // DECIMAL(p) or DECIMAL(p, s) with small whole numbers; anything else
    // is refused by name rather than guessed.
    const auto digits = [&](size_t at) {
      if (at >= t.size() || t[at].kind != Token::Number || t[at].text.empty() || t[at].text.size() > 2 ||
          t[at].text.find_first_not_of("0123456789") != std::string::npos) {
        Unsupported("a DECIMAL type without whole precision and scale");
      }
      return std::stoi(t[at].text);
    };
    const size_t p = Next(t, p_open + 1);
    *precision = digits(p);
    const size_t comma = Next(t, p + 1);
    if (comma < t.size() && t[comma].IsSymbol(",")) *scale = digits(Next(t, comma + 1));
  }
  return true;
}

// Table hints other than NOLOCK, T-SQL only functions and syntax.
void RejectUnknown(const Tokens& t) {
  // DATEPART is left to RewriteDateFunctions, which knows its ISO week.
  static constexpr std::array<std::string_view, 15> kFunctions{
      "CONVERT",   "TRY_CAST", "TRY_CONVERT", "DATEADD", "DATEDIFF", "DATENAME", "GETDATE",
      "CHARINDEX", "LEN",      "ISNUMERIC",   "STUFF",   "FORMAT",   "IIF",      "EOMONTH",  "NEWID"};
  static constexpr std::array<std::string_view, 6> kStatements{"PIVOT",  "UNPIVOT", "MERGE",
                                                               "OUTPUT", "DECLARE", "EXEC"};
  for (size_t i = 0; i < t.size(); ++i) {
    const Token& tok = t[i];
    if (tok.kind == Token::Variable) Unsupported("variable " + tok.text);
    if (tok.IsSymbol("::")) Unsupported("::");
    if (tok.kind != Token::Word) continue;
    const std::string upper = UpperAscii(tok.text);
    for (const auto name : kStatements) {
      if (upper == name) Unsupported(name);
    }
    const size_t next = Next(t, i + 1);
    if (next < t.size() && t[next].IsSymbol("(")) {
      for (const auto name : kFunctions) {
        if (upper == name) Unsupported(std::string(name) + "()");
      }
    }
  }
}

class Rewriter {
 public:
  Rewriter(std::string_view tsql, const std::function<bool(std::string_view)>& is_text_column)
      : t_(Tokenize(tsql)), is_text_column_(is_text_column) {}

  Translation Run() {
    RejectUnknown(t_);
    Translation out;
    out.column_hints = Hints();
    TempTableDrops();
    SimpleTokens();
    TableHints();
    Identity();
    Top();
    Apply();
    CastsToDecimal();
    Divisions();
    Concatenations();
    CaseInsensitiveOrder();
    out.sql = RewriteDateFunctions(Join(t_));
    return out;
  }

 private:
  void Retokenize() { t_ = Tokenize(Join(t_)); }

  // IF OBJECT_ID('tempdb..#X') IS NOT NULL DROP TABLE #X
  void TempTableDrops() {
    for (size_t i = 0; i < t_.size(); ++i) {
      if (!t_[i].IsWord("IF")) continue;
      size_t j = Next(t_, i + 1);
      if (!t_[j].IsWord("OBJECT_ID")) Unsupported("IF");
      const size_t open = Next(t_, j + 1);
      const size_t close = MatchingClose(t_, open);
      j = Next(t_, close + 1);
      for (const auto word : {"IS", "NOT", "NULL", "DROP", "TABLE"}) {
        if (j >= t_.size() || !t_[j].IsWord(word)) Unsupported("IF OBJECT_ID(...) without IS NOT NULL DROP TABLE");
        j = Next(t_, j + 1);
      }
      if (j >= t_.size() || t_[j].kind != Token::TempName)
        Unsupported("IF OBJECT_ID(...) DROP TABLE of a non-temporary table");
      Replace(t_, i, j, "DROP TABLE IF EXISTS temp.\"" + t_[j].text + "\";");
    }
  }

  void SimpleTokens() {
    for (size_t i = 0; i < t_.size(); ++i) {
      Token& tok = t_[i];
      if (tok.kind == Token::UnicodeString) {
        tok = {Token::String, tok.text.substr(1)};
      } else if (tok.kind == Token::TempName) {
        const size_t before = Prev(t_, i);
        const size_t before2 = before == std::string::npos ? before : Prev(t_, before);
        const bool creating =
            before2 != std::string::npos && t_[before].IsWord("TABLE") && t_[before2].IsWord("CREATE");
        tok = {Token::Word, (creating ? "\"" : "temp.\"") + tok.text + "\""};
        if (creating) t_[before2].text = "CREATE TEMP";
      } else if (tok.kind == Token::Word && tok.text.front() == '[') {
        tok.text = "\"" + tok.text.substr(1, tok.text.size() - 2) + "\"";
      } else if (tok.IsWord("DBO")) {
        const size_t dot = Next(t_, i + 1);
        if (dot < t_.size() && t_[dot].IsSymbol(".")) {
          t_.erase(t_.begin() + static_cast<std::ptrdiff_t>(i), t_.begin() + static_cast<std::ptrdiff_t>(dot) + 1);
          --i;
        }
      } else if (tok.IsWord("COLLATE")) {
        const size_t name = Next(t_, i + 1);
        if (name < t_.size() && t_[name].IsWord("DATABASE_DEFAULT")) {
          Replace(t_, i, name, "");
        }
      } else if (tok.kind == Token::Word) {
        const size_t next = Next(t_, i + 1);
        const bool call = next < t_.size() && t_[next].IsSymbol("(");
        if (call && tok.IsWord("ISNULL")) tok.text = "IFNULL";
        if (call && tok.IsWord("LEFT")) tok.text = "QV_LEFT";
      }
    }
  }

  // WITH ( NOLOCK ) after a table; any other hint is refused.
  void TableHints() {
    for (size_t i = 0; i < t_.size(); ++i) {
      if (!t_[i].IsWord("WITH")) continue;
      const size_t open = Next(t_, i + 1);
      if (open >= t_.size() || !t_[open].IsSymbol("(")) Unsupported("WITH");
      const size_t close = MatchingClose(t_, open);
      for (size_t j = open + 1; j < close; ++j) {
        if (t_[j].kind == Token::Word && !t_[j].IsWord("NOLOCK")) Unsupported("table hint " + t_[j].text);
      }
      Replace(t_, i, close, "");
    }
  }

  // c <type> [NOT NULL] IDENTITY (seed, step) inside CREATE TABLE.
  void Identity() {
    for (size_t i = 0; i < t_.size(); ++i) {
      if (!t_[i].IsWord("IDENTITY")) continue;
      size_t end = i;
      const size_t open = Next(t_, i + 1);
      if (open < t_.size() && t_[open].IsSymbol("(")) end = MatchingClose(t_, open);
      // Back to the column name: the word after the enclosing '(' or ','.
      size_t start = i;
      int depth = 0;
      while (start > 0) {
        const size_t p = Prev(t_, start);
        if (p == std::string::npos) Unsupported("IDENTITY outside CREATE TABLE");
        if (t_[p].IsSymbol(")")) ++depth;
        if (t_[p].IsSymbol("(")) {
          if (depth == 0) break;
          --depth;
        }
        if (depth == 0 && t_[p].IsSymbol(",")) break;
        start = p;
      }
      Replace(t_, start, end, t_[start].text + " INTEGER PRIMARY KEY AUTOINCREMENT");
    }
  }

  // SELECT [DISTINCT] TOP n ... → SELECT ... LIMIT n, at the end of that select.
  void Top() {
    for (size_t i = 0; i < t_.size(); ++i) {
      if (!t_[i].IsWord("TOP")) continue;
      const size_t count = Next(t_, i + 1);
      if (count >= t_.size() || t_[count].kind != Token::Number) Unsupported("TOP without a plain number");
      const std::string n = t_[count].text;
      // The select ends at the ')' that closes its level, at ';', or at the end.
      int depth = 0;
      size_t end = t_.size();
      for (size_t j = count + 1; j < t_.size(); ++j) {
        if (t_[j].IsSymbol("(")) ++depth;
        if (t_[j].IsSymbol(")") && depth-- == 0) {
          end = j;
          break;
        }
        if (depth == 0 && t_[j].IsSymbol(";")) {
          end = j;
          break;
        }
      }
      // As tokens of their own: the ORDER BY before it must see its clause
      // end at LIMIT, or the collation would wrap the limit into the term.
      t_.insert(t_.begin() + static_cast<std::ptrdiff_t>(end),
                {Token{Token::Blank, " "}, Token{Token::Word, "LIMIT"}, Token{Token::Blank, " "},
                 Token{Token::Number, n}});
      Replace(t_, i, count, "");
    }
  }

  // OUTER/CROSS APPLY f(args) [AS] alias → [LEFT] JOIN f(args) AS alias ON 1;
  // a function that is one keyed look-up of a table becomes a plain join of
  // that table (SQLite then uses the table's key instead of calling the
  // function once per row).
  void Apply() {
    for (size_t i = 0; i < t_.size(); ++i) {
      if (!t_[i].IsWord("OUTER") && !t_[i].IsWord("CROSS")) continue;
      const size_t apply = Next(t_, i + 1);
      if (apply >= t_.size() || !t_[apply].IsWord("APPLY")) continue;
      const bool outer = t_[i].IsWord("OUTER");
      const size_t name = Next(t_, apply + 1);
      const size_t open = Next(t_, name + 1);
      if (open >= t_.size() || !t_[open].IsSymbol("(")) Unsupported("APPLY of something other than a table function");
      const size_t close = MatchingClose(t_, open);
      size_t end = close;
      size_t after = Next(t_, end + 1);
      if (after < t_.size() && t_[after].IsWord("AS")) after = Next(t_, after + 1);
      const bool aliased = after < t_.size() && t_[after].kind == Token::Word && !IsClauseWord(t_[after]);
      if (aliased) end = after;
      if (auto join = PlainJoin(name, open, close, aliased ? t_[after].text : t_[name].text)) {
        Replace(t_, i, end, (outer ? "LEFT JOIN " : "JOIN ") + *join);
        continue;
      }
      t_.insert(t_.begin() + static_cast<std::ptrdiff_t>(end) + 1, Token{Token::Word, " ON 1"});
      Replace(t_, i, apply, outer ? "LEFT JOIN" : "JOIN");
    }
  }

  // "TABLE AS alias ON alias.key1 = arg1 AND ..." for a function that reads
  // one row of a table by its key, when every argument is a plain name,
  // number or NULL; nullopt otherwise.
  std::optional<std::string> PlainJoin(size_t name, size_t open, size_t close, const std::string& alias) const {
    struct KeyedLookup {
      std::string_view function, table;
      std::array<std::string_view, 4> keys;  // by argument; empty: an argument the function ignores
    };
    static constexpr std::array<KeyedLookup, 2> kLookups{
        {{"FNCI03_CAUSALI", "CI03_CAUSALI", {"CI03_CODICE", "CI03_DITTA_CG18", "", ""}},
         {"FNPC03_ANAGPDC_COAN", "PC03_ANAGPDC", {"PC03_PDC_PC01", "PC03_CONTO", "PC03_DITTA_CG18", ""}}}};
    const std::string function = UpperAscii(t_[name].text);
    const KeyedLookup* lookup = nullptr;
    for (const auto& l : kLookups) {
      if (function == l.function) lookup = &l;
    }
    if (lookup == nullptr) return std::nullopt;
    std::vector<std::string> args;
    bool expecting = true;
    for (size_t j = Next(t_, open + 1); j < close; j = Next(t_, j + 1)) {
      if (expecting && (t_[j].kind == Token::Word || t_[j].kind == Token::Number || t_[j].kind == Token::String)) {
        args.push_back(t_[j].text);
        expecting = false;
      } else if (!expecting && t_[j].IsSymbol(",")) {
        expecting = true;
      } else {
        return std::nullopt;  // an expression: the function keeps it
      }
    }
    std::string on;
    size_t keyed = 0;
    for (size_t a = 0; a < args.size(); ++a) {
      if (a >= lookup->keys.size()) return std::nullopt;
      if (lookup->keys[a].empty()) continue;
      on += (on.empty() ? "" : " AND ") + alias + "." + std::string(lookup->keys[a]) + " = " + args[a];
      ++keyed;
    }
    if (keyed == 0) return std::nullopt;
    return std::string(lookup->table) + " AS " + alias + " ON " + on;
  }

  // The ERP's server compares codes without case: 'r03' sorts before 'R04'
  // and 'R03' and 'r03' are one group. SQLite compares bytes, so every
  // GROUP BY and ORDER BY term and every MIN/MAX argument takes the QV_CI
  // collation (numbers are not affected by a collation). A term that is a
  // column position or already has a collation is left alone.
  void CaseInsensitiveOrder() {
    for (size_t i = 0; i < t_.size(); ++i) {
      if (t_[i].IsWord("GROUP") || t_[i].IsWord("ORDER")) {
        const size_t by = Next(t_, i + 1);
        if (by < t_.size() && t_[by].IsWord("BY")) CollateTerms(by);
      } else if (t_[i].IsWord("MAX") || t_[i].IsWord("MIN")) {
        const size_t open = Next(t_, i + 1);
        if (open >= t_.size() || !t_[open].IsSymbol("(")) continue;
        const size_t close = MatchingClose(t_, open);
        const size_t first = Next(t_, open + 1);
        if (first >= close || t_[first].IsWord("DISTINCT")) continue;
        CollateTerm(first, Prev(t_, close));
      }
    }
  }

  // The terms after `by`, up to the clause's end: a ')' closing its level,
  // ';', the end of the text, or the next clause.
  void CollateTerms(size_t by) {
    size_t start = Next(t_, by + 1);
    int depth = 0;
    for (size_t j = start; j <= t_.size(); ++j) {
      const bool at_end = j == t_.size();
      if (!at_end && t_[j].IsSymbol("(")) ++depth;
      if (!at_end && t_[j].IsSymbol(")") && depth-- > 0) continue;
      if (!at_end && depth > 0) continue;
      const bool stops = at_end || t_[j].IsSymbol(")") || t_[j].IsSymbol(";") || EndsOrdering(t_[j]);
      if (!stops && !t_[j].IsSymbol(",")) continue;
      size_t last = Prev(t_, j);
      // ASC / DESC stay after the collation.
      while (last != std::string::npos && last >= start && (t_[last].IsWord("ASC") || t_[last].IsWord("DESC"))) {
        last = Prev(t_, last);
      }
      if (last != std::string::npos && last >= start && start < t_.size()) {
        const size_t before = t_.size();
        CollateTerm(start, last);
        j += t_.size() - before;
      }
      if (stops) return;
      start = Next(t_, j + 1);
    }
  }

  static bool EndsOrdering(const Token& t) {
    for (const auto w : {"HAVING", "ORDER", "LIMIT", "UNION", "EXCEPT", "INTERSECT", "WINDOW", "OFFSET"}) {
      if (t.IsWord(w)) return true;
    }
    return false;
  }

  // Adds the collation after the term [first, last]: a plain (possibly
  // qualified) name stays bare so that an ORDER BY still finds a select
  // alias; anything longer is put in parentheses first.
  void CollateTerm(size_t first, size_t last) {
    bool plain_name = true;
    for (size_t k = first; k <= last; ++k) {
      if (t_[k].IsWord("COLLATE")) return;
      if (!t_[k].IsSpace() && t_[k].kind != Token::Word && !t_[k].IsSymbol(".")) plain_name = false;
    }
    if (first == last && t_[first].kind == Token::Number) return;  // a column position
    if (first == last && t_[first].kind != Token::Word) return;     // a literal
    // A name known not to hold text (a date, a number) keeps its order and
    // whatever index serves it.
    if (plain_name && is_text_column_ && !is_text_column_(t_[last].text)) return;
    t_.insert(t_.begin() + static_cast<std::ptrdiff_t>(last) + 1, Token{Token::Word, " COLLATE QV_CI"});
    if (!plain_name) {
      t_.insert(t_.begin() + static_cast<std::ptrdiff_t>(last) + 1, Token{Token::Symbol, ")"});
      t_.insert(t_.begin() + static_cast<std::ptrdiff_t>(first), Token{Token::Symbol, "("});
    }
  }

  static bool IsClauseWord(const Token& t) {
    for (const auto w : {"LEFT", "RIGHT", "INNER", "OUTER", "CROSS", "JOIN", "WHERE", "GROUP", "ORDER", "ON", "FULL"}) {
      if (t.IsWord(w)) return true;
    }
    return false;
  }

  void CastsToDecimal() {
    for (bool again = true; again;) {
      again = false;
      for (size_t i = 0; i < t_.size(); ++i) {
        int precision = 0;
        int scale = 0;
        if (!t_[i].IsWord("CAST") || !IsCastToDecimal(t_, i, &precision, &scale)) continue;
        const size_t open = Next(t_, i + 1);
        const size_t close = MatchingClose(t_, open);
        size_t as = open;
        int depth = 0;
        for (size_t j = open + 1; j < close; ++j) {
          if (t_[j].IsSymbol("(")) ++depth;
          if (t_[j].IsSymbol(")")) --depth;
          if (depth == 0 && t_[j].IsWord("AS")) as = j;
        }
        Replace(t_, i, close,
                "QV_DECIMAL(" + Text(t_, Next(t_, open + 1), Prev(t_, as)) + ", " + std::to_string(precision) + ", " +
                    std::to_string(scale) + ")");
        Retokenize();
        again = true;
        break;
      }
    }
  }

  void Divisions() {
    for (bool again = true; again;) {
      again = false;
      for (size_t i = 0; i < t_.size(); ++i) {
        if (!t_[i].IsSymbol("/")) continue;
        const size_t left_end = Prev(t_, i);
        if (left_end == std::string::npos) Unsupported("/ without a left operand");
        const size_t left_start = PrimaryStart(t_, left_end);
        const size_t right_start = Next(t_, i + 1);
        const size_t right_end = PrimaryEnd(t_, right_start);
        Replace(t_, left_start, right_end,
                "QV_DIV(" + Text(t_, left_start, left_end) + ", " + Text(t_, right_start, right_end) + ")");
        Retokenize();
        again = true;
        break;
      }
    }
  }

  [[nodiscard]] bool IsTextOperand(size_t start, size_t end) const {
    if (start == end && (t_[start].kind == Token::String)) return true;
    if (t_[start].IsWord("QV_LEFT") || t_[start].IsWord("SUBSTR") || t_[start].IsWord("RTRIM") ||
        t_[start].IsWord("LTRIM")) {
      return true;
    }
    if (start == end && t_[start].kind == Token::Word && is_text_column_) return is_text_column_(t_[start].text);
    if (end >= start + 2 && t_[end].kind == Token::Word && t_[end - 1].IsSymbol(".") && is_text_column_) {
      return is_text_column_(t_[end].text);
    }
    return false;
  }

  void Concatenations() {
    for (size_t i = 0; i < t_.size(); ++i) {
      if (!t_[i].IsSymbol("+")) continue;
      const size_t left_end = Prev(t_, i);
      if (left_end == std::string::npos || (t_[left_end].kind == Token::Symbol && !t_[left_end].IsSymbol(")"))) {
        continue;  // unary plus
      }
      const size_t left_start = PrimaryStart(t_, left_end);
      const size_t right_start = Next(t_, i + 1);
      if (right_start >= t_.size()) continue;
      const size_t right_end = PrimaryEnd(t_, right_start);
      if (IsTextOperand(left_start, left_end) || IsTextOperand(right_start, right_end)) t_[i].text = "||";
    }
  }

  // For each top-level select item made only of CAST(... AS DECIMAL(p,s))
  // terms joined by + or -, its alias → decimal(p + 1, s).
  std::unordered_map<std::string, FieldDef> Hints() const {
    std::unordered_map<std::string, FieldDef> hints;
    for (size_t i = 0; i < t_.size(); ++i) {
      if (!t_[i].IsWord("SELECT")) continue;
      size_t item_start = i + 1;
      int depth = 0;
      for (size_t j = i + 1; j < t_.size(); ++j) {
        if (t_[j].IsSymbol("(")) ++depth;
        if (t_[j].IsSymbol(")")) --depth;
        if (depth < 0) break;
        const bool end_of_list = depth == 0 && t_[j].IsWord("FROM");
        if (depth == 0 && (t_[j].IsSymbol(",") || end_of_list)) {
          HintOfItem(item_start, j, hints);
          item_start = j + 1;
        }
        if (end_of_list) break;
      }
    }
    return hints;
  }

  void HintOfItem(size_t from, size_t to, std::unordered_map<std::string, FieldDef>& hints) const {
    const size_t alias = Prev(t_, to);
    if (alias == std::string::npos || alias < from || t_[alias].kind != Token::Word) return;
    const size_t as = Prev(t_, alias);
    if (as == std::string::npos || !t_[as].IsWord("AS")) return;
    int precision = 0;
    int scale = -1;
    bool only_casts = true;
    for (size_t k = Next(t_, from); k < as; k = Next(t_, k + 1)) {
      int p = 0;
      int s = 0;
      if (t_[k].IsWord("CAST") && IsCastToDecimal(t_, k, &p, &s)) {
        precision = std::max(precision, p);
        scale = std::max(scale, s);
        k = MatchingClose(t_, Next(t_, k + 1));
      } else if (!(t_[k].IsSymbol("(") || t_[k].IsSymbol(")") || t_[k].IsSymbol("+") || t_[k].IsSymbol("-"))) {
        only_casts = false;
        break;
      }
    }
    if (!only_casts || scale < 0) {
      if (IsTextExpression(from, as)) hints[UpperAscii(t_[alias].text)] = TextField(t_[alias].text, 0);
      return;
    }
    hints[UpperAscii(t_[alias].text)] =
        DecimalField(t_[alias].text, static_cast<uint8_t>(std::min(38, precision + 1)), static_cast<uint8_t>(scale));
  }

  // ISNULL(text column, ...) or a joining of texts with a literal.
  [[nodiscard]] bool IsTextExpression(size_t from, size_t to) const {
    const size_t first = Next(t_, from);
    if (first < to && t_[first].IsWord("ISNULL")) {
      const size_t arg = Next(t_, Next(t_, first + 1) + 1);
      return arg < to && t_[arg].kind == Token::Word && is_text_column_ && is_text_column_(t_[arg].text);
    }
    bool plus = false;
    bool literal = false;
    for (size_t k = first; k < to; ++k) {
      plus = plus || t_[k].IsSymbol("+");
      literal = literal || t_[k].kind == Token::String || t_[k].kind == Token::UnicodeString;
    }
    return plus && literal;
  }

  Tokens t_;
  const std::function<bool(std::string_view)>& is_text_column_;
};

}  // namespace

Translation SqliteDialect::Translate(std::string_view tsql) const {
  Translation out = Rewriter(tsql, is_text_column_).Run();
  out.total_order = AppendStoredOrderTieBreak(&out.sql, has_row_id_);
  return out;
}

}  // namespace host::sql
