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

}  // namespace engine
