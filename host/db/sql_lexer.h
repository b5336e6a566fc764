// Tokens of T-SQL text: words (identifiers and keywords, with [bracketed]
// and "quoted" names), numbers, string literals ('' inside, N'' prefix
// kept apart), #temp names, @variables, comments, blanks and symbols. The
// dialect works on these, never on raw substrings, so that a keyword inside
// a string or a comment is left alone.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace host::sql {

struct Token {
  enum Kind { Word, Number, String, UnicodeString, TempName, Variable, Symbol, Blank, Comment };
  Kind kind;
  std::string text;  // as written (String keeps its quotes)

  [[nodiscard]] bool IsWord(std::string_view upper) const;  // case-insensitive word match
  [[nodiscard]] bool IsSymbol(std::string_view s) const { return kind == Symbol && text == s; }
  [[nodiscard]] bool IsSpace() const { return kind == Blank || kind == Comment; }
};

// Splits SQL text into tokens; throws host::Error (kErrDatabase) on an
// unterminated string, name or comment.
std::vector<Token> Tokenize(std::string_view sql);

// Joins tokens back into text.
std::string Join(const std::vector<Token>& tokens);

}  // namespace host::sql
