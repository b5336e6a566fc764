#include "engine/phase_outputs.h"

#include <algorithm>
#include <string>

namespace engine {

PhaseOutputsTable::PhaseOutputsTable() {
  for (const char* part : {"H", "M", "S"}) {
    for (int c = 0; c < 7; ++c) table_.AddField(host::FieldDef{part + std::to_string(c)});
  }
}

size_t PhaseOutputsTable::Append(const PhaseOutputs& outputs) {
  std::array<host::Variant, 21> values;
  std::copy(outputs.hours.begin(), outputs.hours.end(), values.begin());
  std::copy(outputs.minutes.begin(), outputs.minutes.end(), values.begin() + 7);
  std::copy(outputs.seconds.begin(), outputs.seconds.end(), values.begin() + 14);
  return table_.AppendRow(values);
}

void PhaseOutputsTable::Read(size_t row, PhaseOutputs& out) const {
  for (size_t c = 0; c < 7; ++c) {
    table_.GetInto(row, c, out.hours[c]);
    table_.GetInto(row, 7 + c, out.minutes[c]);
    table_.GetInto(row, 14 + c, out.seconds[c]);
  }
}

}  // namespace engine
