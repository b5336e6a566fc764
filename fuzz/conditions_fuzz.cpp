// Fuzzes the query control's conditions: from, to and open-range values of
// any field, as a user or the command line types them. Either a condition
// text comes out or host::Error refuses the value; and a text that comes
// out never carries an unescaped quote of the typed value.
#include <cstddef>
#include <cstdint>
#include <string>

#include "engine/field_lists.h"
#include "host/controls/query_control.h"
#include "host/value/error.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static host::QueryControl query = [] {
    host::QueryControl q;
    engine::LoadFilterFields(q, false);
    return q;
  }();
  if (size < 2) return 0;
  // The first byte picks the field, the second the shape; the rest is split
  // at the first 0 byte into from and to.
  const auto& fields = query.Fields();
  const auto& field = fields[data[0] % fields.size()];
  const std::string rest(reinterpret_cast<const char*>(data + 2), size - 2);
  const size_t split = rest.find('\0');
  const std::string from = rest.substr(0, split);
  const std::string to = split == std::string::npos ? std::string() : rest.substr(split + 1);
  query.ClearConditions();
  if ((data[1] & 1) != 0) query.SetFrom(field.column, from);
  if ((data[1] & 2) != 0) query.SetTo(field.column, to);
  query.SetOnwards(field.column, (data[1] & 4) != 0);
  try {
    const std::string condition = query.ConditionText();
    // Quotes come in pairs: a typed quote is doubled, so the text's quotes
    // balance and no value ends its literal early.
    size_t quotes = 0;
    for (const char c : condition) quotes += c == '\'' ? 1 : 0;
    if (quotes % 2 != 0) __builtin_trap();
    (void)query.Validate();
  } catch (const host::Error&) {
    // Refused: a value that is no date or no number, or too long.
  }
  return 0;
}
