// "Key=Value;Key2={value; with semicolons}" as ODBC and the ERP write them.
// Keys compare without case. A text without '=' is taken as a file path.
#pragma once

#include <map>
#include <string>
#include <string_view>

namespace host::db {

class ConnectionString {
 public:
  explicit ConnectionString(std::string_view text);
  [[nodiscard]] bool Has(std::string_view key) const;
  // The value of a key, or "" when absent.
  [[nodiscard]] std::string Get(std::string_view key) const;
  // The bare path, when the text was one.
  [[nodiscard]] const std::string& Path() const { return path_; }
  // The text with the values of PWD/Password replaced by "***", for messages.
  [[nodiscard]] static std::string Redacted(std::string_view text);

 private:
  std::map<std::string, std::string> values_;  // upper-case key -> value
  std::string path_;
};

}  // namespace host::db
