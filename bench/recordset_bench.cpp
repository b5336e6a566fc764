// Record set benchmark: a million bookings in 50,000 groups, filtered group by
// group (as the results form does on every move), cloned and searched; and the
// memory of a million rows by 120 columns of typical booking data.
//
//   recordset_bench            full size (1,000,000 rows)
//   recordset_bench --short    10,000 rows, for CI
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>

#include "host/recordset/recordset.h"

using host::DecimalField;
using host::FieldDef;
using host::FieldType;
using host::RecordSet;
using host::TextField;
using host::Variant;

namespace {

using Clock = std::chrono::steady_clock;

double Ms(Clock::time_point since) { return std::chrono::duration<double, std::milli>(Clock::now() - since).count(); }

long PeakRssMiB() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss / 1024;
}

// Filters to groups, walks them, clones, finds.
void GroupFilters(size_t rows, size_t groups) {
  auto rs = RecordSet::Create();
  rs->AppendField(DecimalField("IDVERS", 12, 0));
  rs->AppendField(DecimalField("IDGRUPPO", 12, 0));
  rs->AppendField(TextField("PD44_CODART_MG66", 50));
  rs->AppendField(DecimalField("SECVERS", 18, 0));
  rs->Open();
  auto start = Clock::now();
  host::Table& table = rs->Storage();
  table.Reserve(rows);
  std::mt19937 random(42);
  for (size_t i = 0; i < rows; ++i) {
    const size_t row = table.AppendRow();
    const auto group = static_cast<int64_t>(random() % groups);
    table.Set(row, 0, Variant(static_cast<int64_t>(i + 1)));
    table.Set(row, 1, Variant(group));
    table.Set(row, 2, Variant("ART" + std::to_string(group % 5000)));
    table.Set(row, 3, Variant(static_cast<int64_t>(random() % 7200)));
  }
  std::printf("load %zu rows: %.0f ms; storage %zu MiB\n", rows, Ms(start), table.MemoryBytes() >> 20);

  start = Clock::now();
  rs->SetFilter("IDGRUPPO = 1");
  std::printf("first filter (builds the index): %.1f ms\n", Ms(start));

  const int probes = 2000;
  size_t walked = 0;
  int64_t sum = 0;
  start = Clock::now();
  for (int p = 0; p < probes; ++p) {
    rs->SetFilter("IDGRUPPO = " + std::to_string(random() % groups));
    for (; !rs->Eof(); rs->MoveNext()) {
      sum += rs->Value(3).ToInt64();
      ++walked;
    }
  }
  const double filter_ms = Ms(start);
  std::printf("filter to one group and walk it: %.2f us per group (%zu rows walked, checksum %lld)\n",
              filter_ms * 1000 / probes, walked, static_cast<long long>(sum));

  start = Clock::now();
  for (int p = 0; p < probes; ++p) {
    auto clone = rs->Clone();
    for (; !clone->Eof(); clone->MoveNext()) ++walked;
  }
  std::printf("clone a filtered set and walk it: %.2f us per clone\n", Ms(start) * 1000 / probes);

  rs->SetFilter("");
  start = Clock::now();
  rs->Find("IDVERS = 1");
  std::printf("first find (indexes IDVERS, one key per row): %.1f ms\n", Ms(start));
  start = Clock::now();
  for (int p = 0; p < probes; ++p) {
    rs->MoveFirst();
    rs->Find("IDVERS = " + std::to_string(random() % rows + 1));
    if (rs->Eof()) std::printf("find missed\n");
  }
  std::printf("find one booking by IDVERS from the first record: %.2f us per find\n", Ms(start) * 1000 / probes);
}

// 120 columns in the proportions of the booking query: codes and
// descriptions from small vocabularies, decimals, dates, ids.
void WideMemory(size_t rows) {
  const long before = PeakRssMiB();
  auto rs = RecordSet::Create();
  for (int c = 0; c < 120; ++c) {
    const std::string name = "C" + std::to_string(c);
    if (c < 50) {
      rs->AppendField(TextField(name, 80));
    } else if (c < 95) {
      rs->AppendField(DecimalField(name, 18, c % 3 == 0 ? 0 : 3));
    } else if (c < 110) {
      rs->AppendField(FieldDef{name, FieldType::Date});
    } else {
      rs->AppendField(FieldDef{name, FieldType::Integer});
    }
  }
  rs->Open();
  host::Table& table = rs->Storage();
  table.Reserve(rows);
  std::mt19937 random(7);
  const auto start = Clock::now();
  const int64_t day0 = host::DateTime::FromParts(2026, 1, 1)->Seconds();
  for (size_t i = 0; i < rows; ++i) {
    const size_t row = table.AppendRow();
    for (size_t c = 0; c < 120; ++c) {
      if (c < 50) {
        // Codes repeat: a few hundred distinct values per column, some Null.
        const uint32_t r = random() % 400;
        if (r == 0) continue;
        table.Set(row, c, Variant("CODE" + std::to_string(c) + "-" + std::to_string(r)));
      } else if (c < 95) {
        table.Set(row, c, Variant(host::Decimal::FromParts(random() % 100000, c % 3 == 0 ? 0 : 3)));
      } else if (c < 110) {
        table.Set(row, c, Variant(host::DateTime::FromSeconds(day0 + (random() % 365) * 86400)));
      } else {
        table.Set(row, c, Variant(static_cast<int32_t>(i)));
      }
    }
  }
  std::printf("load %zu rows x 120 columns: %.0f ms; storage %zu MiB; peak RSS grew %ld MiB (peak %ld MiB)\n", rows,
              Ms(start), table.MemoryBytes() >> 20, PeakRssMiB() - before, PeakRssMiB());
}

}  // namespace

int main(int argc, char** argv) {
  const bool short_mode = argc > 1 && std::strcmp(argv[1], "--short") == 0;
  const size_t rows = short_mode ? 10000 : 1000000;
  const size_t groups = short_mode ? 500 : 50000;
  GroupFilters(rows, groups);
  WideMemory(rows);
  std::printf("peak RSS %ld MiB\n", PeakRssMiB());
  return 0;
}
