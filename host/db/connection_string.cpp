#include "host/db/connection_string.h"

#include "host/recordset/table.h"
#include "host/value/variant.h"

namespace host::db {
namespace {

// Calls `visit(key, value, key_begin, value_end)` for each pair.
template <typename Visit>
void ForEachPair(std::string_view text, Visit visit) {
  size_t i = 0;
  while (i < text.size()) {
    // Empty parts (";;", a leading ';') hold no pair.
    while (i < text.size() && (text[i] == ';' || text[i] == ' ')) ++i;
    if (i == text.size()) break;
    const size_t eq = text.find('=', i);
    if (eq == std::string_view::npos) break;
    const std::string key = Trim(text.substr(i, eq - i));
    size_t j = eq + 1;
    std::string value;
    while (j < text.size() && text[j] == ' ') ++j;
    if (j < text.size() && text[j] == '{') {
      const size_t close = text.find('}', j + 1);
      const size_t end = close == std::string_view::npos ? text.size() : close;
      value = std::string(text.substr(j + 1, end - j - 1));
      j = end == text.size() ? end : end + 1;
      while (j < text.size() && text[j] != ';') ++j;
    } else {
      const size_t semi = text.find(';', j);
      const size_t end = semi == std::string_view::npos ? text.size() : semi;
      value = Trim(text.substr(j, end - j));
      j = end;
    }
    visit(key, value, i, j);
    i = j < text.size() ? j + 1 : j;
  }
}

}  // namespace

ConnectionString::ConnectionString(std::string_view text) {
  if (text.find('=') == std::string_view::npos) {
    path_ = Trim(text);
    return;
  }
  ForEachPair(text, [&](const std::string& key, const std::string& value, size_t, size_t) {
    values_[UpperAscii(key)] = value;
  });
}

bool ConnectionString::Has(std::string_view key) const { return values_.count(UpperAscii(key)) != 0; }

std::string ConnectionString::Get(std::string_view key) const {
  auto it = values_.find(UpperAscii(key));
  return it == values_.end() ? std::string() : it->second;
}

std::string ConnectionString::Redacted(std::string_view text) {
  if (text.find('=') == std::string_view::npos) return std::string(text);
  std::string out;
  ForEachPair(text, [&](const std::string& key, const std::string& value, size_t, size_t) {
    const std::string upper = UpperAscii(key);
    if (!out.empty()) out += ';';
    out += key + "=" + ((upper == "PWD" || upper == "PASSWORD") ? std::string("***") : value);
  });
  return out;
}

}  // namespace host::db
