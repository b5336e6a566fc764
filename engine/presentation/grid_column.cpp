#include "engine/presentation/grid_column.h"

namespace engine {

std::string NumberFormat(int decimals) { return "###,###,###." + std::string(decimals > 0 ? decimals : 0, '0'); }

int FormatDecimals(std::string_view pattern) {
  if (pattern.empty()) return -1;
  const size_t point = pattern.rfind('.');
  if (point == std::string_view::npos) return 0;
  int decimals = 0;
  for (size_t i = point + 1; i < pattern.size(); ++i) {
    if (pattern[i] == '0' || pattern[i] == '#') ++decimals;
  }
  return decimals;
}

std::string FormatNumber(const host::Decimal& value, std::string_view pattern, char group, char point) {
  int shown = 0;    // '0' after the point
  int allowed = 0;  // '0' and '#' after the point
  const size_t dot = pattern.rfind('.');
  if (dot != std::string_view::npos) {
    for (size_t i = dot + 1; i < pattern.size(); ++i) {
      if (pattern[i] == '0') ++shown;
      if (pattern[i] == '0' || pattern[i] == '#') ++allowed;
    }
  }
  const bool grouped = pattern.substr(0, dot == std::string_view::npos ? pattern.size() : dot).find(',') !=
                       std::string_view::npos;
  std::string text = value.Round(allowed).ToFixed(allowed);
  // Decimals beyond the ones always shown go when they are zeros.
  if (allowed > shown) {
    size_t keep = text.size();
    int dropped = 0;
    while (dropped < allowed - shown && text[keep - 1] == '0') {
      --keep;
      ++dropped;
    }
    text.resize(keep);
    if (!text.empty() && text.back() == '.') text.pop_back();
  }
  const bool negative = !text.empty() && text.front() == '-';
  if (negative) text.erase(0, 1);
  const size_t decimals_at = text.find('.');
  std::string whole = text.substr(0, decimals_at);
  const std::string fraction = decimals_at == std::string::npos ? std::string() : text.substr(decimals_at + 1);
  if (grouped) {
    std::string with_groups;
    for (size_t i = 0; i < whole.size(); ++i) {
      if (i > 0 && (whole.size() - i) % 3 == 0) with_groups += group;
      with_groups += whole[i];
    }
    whole = std::move(with_groups);
  }
  std::string out = (negative ? "-" : "") + whole;
  if (!fraction.empty()) out += point + fraction;
  return out;
}

std::string LocalizedFigure(const std::string& text, char group, char point) {
  const auto number = host::Decimal::Parse(text);
  if (!number) return text;
  return FormatNumber(*number, NumberFormat(2), group, point);
}

}  // namespace engine
