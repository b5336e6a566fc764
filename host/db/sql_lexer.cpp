#include "host/db/sql_lexer.h"

#include <cctype>

#include "host/recordset/table.h"
#include "host/value/error.h"

namespace host::sql {
namespace {

bool IsWordChar(char c) {
  return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '_' || c == '$' || (c & 0x80) != 0;
}

[[noreturn]] void Unterminated(std::string_view what) {
  throw Error(kErrDatabase, "Unterminated " + std::string(what) + " in the SQL text", "SQL");
}

size_t QuotedEnd(std::string_view sql, size_t start, char close, std::string_view what) {
  size_t i = start + 1;
  for (;;) {
    if (i >= sql.size()) Unterminated(what);
    if (sql[i] == close) {
      if (i + 1 < sql.size() && sql[i + 1] == close) {
        i += 2;
        continue;
      }
      return i + 1;
    }
    ++i;
  }
}

}  // namespace

bool Token::IsWord(std::string_view upper) const {
  return kind == Word && text.size() == upper.size() && UpperAscii(text) == upper;
}

std::vector<Token> Tokenize(std::string_view sql) {
  std::vector<Token> tokens;
  size_t i = 0;
  auto push = [&](Token::Kind kind, size_t end) {
    tokens.push_back({kind, std::string(sql.substr(i, end - i))});
    i = end;
  };
  while (i < sql.size()) {
    const char c = sql[i];
    const char next = i + 1 < sql.size() ? sql[i + 1] : '\0';
    if (c == ' ' || c == '\t' || c == '\r' || c == '\n') {
      size_t j = i;
      while (j < sql.size() && (sql[j] == ' ' || sql[j] == '\t' || sql[j] == '\r' || sql[j] == '\n')) ++j;
      push(Token::Blank, j);
    } else if (c == '-' && next == '-') {
      size_t j = sql.find('\n', i);
      push(Token::Comment, j == std::string_view::npos ? sql.size() : j);
    } else if (c == '/' && next == '*') {
      const size_t j = sql.find("*/", i + 2);
      if (j == std::string_view::npos) Unterminated("comment");
      push(Token::Comment, j + 2);
    } else if (c == '\'') {
      push(Token::String, QuotedEnd(sql, i, '\'', "string"));
    } else if ((c == 'N' || c == 'n') && next == '\'') {
      push(Token::UnicodeString, QuotedEnd(sql, i + 1, '\'', "string"));
    } else if (c == '[') {
      push(Token::Word, QuotedEnd(sql, i, ']', "name"));
    } else if (c == '"') {
      push(Token::Word, QuotedEnd(sql, i, '"', "name"));
    } else if (c == '#' || c == '@') {
      size_t j = i + 1;
      while (j < sql.size() && (IsWordChar(sql[j]) || sql[j] == '#' || sql[j] == '@')) ++j;
      push(c == '#' ? Token::TempName : Token::Variable, j);
    } else if (std::isdigit(static_cast<unsigned char>(c)) != 0 ||
               (c == '.' && std::isdigit(static_cast<unsigned char>(next)) != 0)) {
      size_t j = i;
      while (j < sql.size() && (std::isdigit(static_cast<unsigned char>(sql[j])) != 0 || sql[j] == '.')) ++j;
      if (j < sql.size() && (sql[j] == 'e' || sql[j] == 'E')) {
        size_t k = j + 1;
        if (k < sql.size() && (sql[k] == '+' || sql[k] == '-')) ++k;
        if (k < sql.size() && std::isdigit(static_cast<unsigned char>(sql[k])) != 0) {
          j = k;
          while (j < sql.size() && std::isdigit(static_cast<unsigned char>(sql[j])) != 0) ++j;
        }
      }
      push(Token::Number, j);
    } else if (IsWordChar(c)) {
      size_t j = i;
      while (j < sql.size() && IsWordChar(sql[j])) ++j;
      push(Token::Word, j);
    } else {
      static constexpr std::string_view kTwo[] = {"<>", "<=", ">=", "!=", "||", "::"};
      size_t len = 1;
      for (const auto two : kTwo) {
        if (sql.substr(i, 2) == two) len = 2;
      }
      push(Token::Symbol, i + len);
    }
  }
  return tokens;
}

std::string Join(const std::vector<Token>& tokens) {
  std::string out;
  for (const Token& t : tokens) out += t.text;
  return out;
}

}  // namespace host::sql
