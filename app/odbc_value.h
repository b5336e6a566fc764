// A value as it goes after "KEY=" in an ODBC connection string: as it is,
// or in braces (a closing brace inside doubled) when it holds ';', '{', '}'
// or outer spaces, or is empty.
#pragma once

#include <string>

namespace app {

[[nodiscard]] inline std::string QuotedOdbcValue(const std::string& value) {
  const bool plain = value.find_first_of(";{}") == std::string::npos && !value.empty() && value.front() != ' ' &&
                     value.back() != ' ';
  if (plain) return value;
  std::string quoted = "{";
  for (const char c : value) {
    quoted += c;
    if (c == '}') quoted += '}';
  }
  return quoted + "}";
}

}  // namespace app
