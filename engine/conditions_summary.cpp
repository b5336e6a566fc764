#include "engine/conditions_summary.h"

#include <vector>

#include "host/value/variant.h"

namespace engine {

namespace {

std::string ValueText(const host::Variant& value) {
  return value.IsNull() || value.IsEmpty() ? std::string() : host::Trim(value.ToText());
}

// "= A1", "R02 – R04", "≥ 2026-01-01", "≤ 2026-03-31"; empty without a value.
std::string RangeText(const std::string& from, const std::string& to, bool onwards) {
  if (from.empty() && to.empty()) return {};
  if (to.empty()) return (onwards ? "\u2265 " : "= ") + from;
  if (from.empty()) return "\u2264 " + to;
  if (from == to) return "= " + from;
  return from + " \u2013 " + to;
}

}  // namespace

std::string ConditionsSummary(const host::QueryControl& query, const CaptionTranslator& translate) {
  std::vector<std::string> parts;
  const auto add = [&](const std::string& caption, const std::string& column) {
    const std::string range =
        RangeText(ValueText(query.FromValue(column)), ValueText(query.ToValue(column)), query.Onwards(column));
    if (!range.empty()) parts.push_back((translate ? translate(caption) : caption) + " " + range);
  };
  for (const auto& field : query.Fields()) add(field.caption, field.column);
  for (const auto& field : query.ExtraFields()) add(field.caption, field.column);
  for (const auto& state : query.States()) add(state.caption, state.column);
  std::string out;
  for (const std::string& part : parts) out += (out.empty() ? "" : "; ") + part;
  return out;
}

}  // namespace engine
