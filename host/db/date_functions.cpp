#include "host/db/date_functions.h"

#include "host/db/sql_lexer.h"
#include "host/recordset/table.h"
#include "host/value/error.h"

namespace host::sql {
namespace {

size_t NextSolid(const std::vector<Token>& t, size_t i) {
  while (i < t.size() && t[i].IsSpace()) ++i;
  return i;
}

[[noreturn]] void Refuse(const std::string& what) {
  throw Error(kErrDatabase, "T-SQL construct not supported on SQLite: " + what, "SQLite dialect");
}

// The arguments of the call whose "(" is at `open`, split on top-level
// commas, each rewritten in turn; `close` receives the ")".
std::vector<std::string> Arguments(const std::vector<Token>& t, size_t open, size_t* close);

std::string Rewrite(const std::vector<Token>& t, size_t from, size_t to) {
  std::string out;
  for (size_t i = from; i < to; ++i) {
    const Token& tok = t[i];
    const size_t open = NextSolid(t, i + 1);
    const bool call = tok.kind == Token::Word && open < to && t[open].IsSymbol("(");
    if (!call || !(tok.IsWord("YEAR") || tok.IsWord("MONTH") || tok.IsWord("DATEPART") || tok.IsWord("RIGHT"))) {
      out += tok.text;
      continue;
    }
    size_t close = 0;
    const std::vector<std::string> args = Arguments(t, open, &close);
    if (tok.IsWord("YEAR") && args.size() == 1) {
      out += "CAST(strftime('%Y', " + args[0] + ") AS INTEGER)";
    } else if (tok.IsWord("MONTH") && args.size() == 1) {
      out += "CAST(strftime('%m', " + args[0] + ") AS INTEGER)";
    } else if (tok.IsWord("DATEPART") && args.size() == 2) {
      std::string part = args[0];
      while (!part.empty() && part.front() == ' ') part.erase(0, 1);
      while (!part.empty() && part.back() == ' ') part.pop_back();
      if (UpperAscii(part) != "ISO_WEEK" && UpperAscii(part) != "ISOWK" && UpperAscii(part) != "ISOWW") {
        Refuse("DATEPART(" + part + ", ...)");
      }
      // The Thursday of the date's week: three days back, then on to the
      // next Thursday (the same day if it is one).
      out += "((CAST(strftime('%j', date(" + args[1] + ", '-3 days', 'weekday 4')) AS INTEGER) + 6) / 7)";
    } else if (tok.IsWord("RIGHT") && args.size() == 2) {
      out += "substr(" + args[0] + ", -(" + args[1] + "))";
    } else {
      Refuse(UpperAscii(tok.text) + "() with " + std::to_string(args.size()) + " arguments");
    }
    i = close;
  }
  return out;
}

std::vector<std::string> Arguments(const std::vector<Token>& t, size_t open, size_t* close) {
  std::vector<std::string> args;
  int depth = 0;
  size_t start = open + 1;
  for (size_t i = open; i < t.size(); ++i) {
    if (t[i].IsSymbol("(")) ++depth;
    if (t[i].IsSymbol(")")) --depth;
    if ((depth == 1 && t[i].IsSymbol(",")) || depth == 0) {
      args.push_back(Rewrite(t, start, i));
      start = i + 1;
    }
    if (depth == 0) {
      *close = i;
      return args;
    }
  }
  Refuse("unbalanced parentheses");
}

}  // namespace

std::string RewriteDateFunctions(std::string_view sql) {
  const std::vector<Token> t = Tokenize(sql);
  return Rewrite(t, 0, t.size());
}

}  // namespace host::sql
