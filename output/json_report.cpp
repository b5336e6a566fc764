#include "output/json_report.h"

#include <algorithm>
#include <charconv>
#include <exception>
#include <map>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "output/deferred_output.h"
#include "output/group_members.h"
#include "output/json_values.h"
#include "output/unbooked_report.h"
#include "engine/unbooked_phases.h"
#include "engine/presentation/record_durations.h"
#include "engine/time_unit.h"
#include "engine/value_helpers.h"
#include "output/ordered_blocks.h"

namespace output {

using host::Variant;

namespace {


// How much of a JSON report's groups is kept in memory while its bookings
// are still being written (all of them for a million bookings in 60,000
// groups); beyond it, making the groups waits for the bookings.
constexpr size_t kGroupsKeptAtMost = size_t{256} << 20;

// A value at `depth`, as the whole document dumped with an indent of 1
// would have it.
std::string IndentedJson(const nlohmann::json& value, size_t depth) {
  const std::string text = value.dump(1, ' ', false, nlohmann::json::error_handler_t::replace);
  const std::string indent(depth, ' ');
  std::string indented = indent;
  indented.reserve(text.size() * 2);
  for (const char c : text) {
    indented += c;
    if (c == '\n') indented += indent;
  }
  return indented;
}

// A group of a JSON report at depth 2; with its bookings' IDVERS (the first
// key), which are most of its text and are written without the library.
void WriteJsonGroup(std::ostream& out, const nlohmann::json& group, const std::vector<Variant>* bookings) {
  if (bookings == nullptr) {
    out << IndentedJson(group, 2);
    return;
  }
  std::string text = "  {\n   \"bookings\": [";
  for (size_t i = 0; i < bookings->size(); ++i) {
    text += i == 0 ? "\n    " : ",\n    ";
    AppendJson(text, (*bookings)[i]);
  }
  text += bookings->empty() ? "]" : "\n   ]";
  if (group.empty()) {
    text += "\n  }";
  } else {
    // The other keys, as the library writes them, after the object's "{".
    const std::string rest = IndentedJson(group, 2);
    text += ",";
    text.append(rest, rest.find('\n'));
  }
  out << text;
}

void WriteJsonArray(std::ostream& out, const char* key, size_t count, const std::function<void(size_t)>& each) {
  out << " \"" << key << "\": [";
  if (count == 0) {
    out << "],\n";
    return;
  }
  out << "\n";
  for (size_t i = 0; i < count; ++i) {
    each(i);
    out << (i + 1 < count ? ",\n" : "\n");
  }
  out << " ],\n";
}

// The "bookings" member: every record of RSTempiPrevDett. It reads nothing
// that the group totals write, so it may be written while they are worked out.
// `dett` is a clone of it (its cursor is moved) made on the calling thread.
void WriteJsonBookings(std::ostream& out, const host::RecordSetPtr& dett, int16_t unit) {
  dett->MoveFirst();
  // The keys of a booking in the order a JSON object keeps them (sorted):
  // a field of the record (index) or one of its seconds fields (name).
  struct Key {
    std::string name;
    int field = -1;   // a field of the record, or
    int second = -1;  // a position in engine::RecordDurations::SecondsNames
    std::string prefix = {};  // what comes before its value: the separator, the indent and the name
  };
  std::vector<Key> keys;
  for (size_t i = 0; i < dett->FieldCount(); ++i) keys.push_back({dett->Field(i).name, static_cast<int>(i), -1});
  if (!dett->Eof()) {
    int position = 0;
    for (const auto& name : engine::RecordDurations::SecondsNames()) keys.push_back({name, -1, position++});
  }
  std::sort(keys.begin(), keys.end(), [](const Key& a, const Key& b) { return a.name < b.name; });
  for (size_t k = 0; k < keys.size(); ++k) keys[k].prefix = (k == 0 ? "\n   \"" : ",\n   \"") + keys[k].name + "\": ";
  // Blocks of bookings are made into text on two threads, each with its
  // own cursor, and written in order.
  const size_t count = dett->RecordCount();
  const auto format = [&](size_t first, size_t last) {
    const host::RecordSetPtr mine = dett->Clone();
    mine->SetAbsolutePosition(static_cast<int64_t>(first) + 1);
    engine::RecordDurations booking(*mine, unit);
    std::string text;
    text.reserve((last - first) * 2560);
    for (size_t i = first; i < last; ++i, mine->MoveNext()) {
      booking.Load(*mine);
      text += "  {";
      for (size_t k = 0; k < keys.size(); ++k) {
        text += keys[k].prefix;
        if (keys[k].field >= 0) {
          AppendJson(text, booking.Shown(static_cast<size_t>(keys[k].field)));
        } else {
          AppendJson(text, booking.Seconds(static_cast<size_t>(keys[k].second)));
        }
      }
      text += i + 1 < count ? "\n  },\n" : "\n  }\n";
    }
    return text;
  };
  out << " \"bookings\": [" << (count == 0 ? "],\n" : "\n");
  output::WriteBlocksInOrder(count, 1024, 2, format, [&out](const std::string& text) { out << text; });
  if (count != 0) out << " ],\n";
}

// The JSON report after its bookings: the grouping and every group (its
// totals computed).
void WriteJsonGroups(std::ostream& out, engine::Comparison& run, const ReportOptions& options) {
  const std::vector<std::string>& grouping = run.GroupingColumns();
  auto& r = run.Records();
  std::map<std::string, std::vector<Variant>> members;
  if (options.bookings) members = GroupMembers(run);
  auto prev = r.RSTempiPrev->Clone();
  prev->SetFilter("");
  out << " \"grouping\": " << nlohmann::json(run.DescrizioneGruppo()).dump() << ",\n";
  out << " \"grouping_fields\": ";
  {
    std::ostringstream fields;
    const std::string text = nlohmann::json(grouping).dump(1);
    for (const char c : text) fields << c << (c == '\n' ? " " : "");
    out << fields.str() << ",\n";
  }
  r.RSTempiVer->MoveFirst();
  engine::RecordDurations group_durations(*prev, run.Unit());
  WriteJsonArray(out, "groups", r.RSTempiVer->RecordCount(), [&](size_t) {
    nlohmann::json group;
    for (const auto& column : grouping) group["values"][column] = Json(r.RSTempiVer->Value(column));
    const std::string id = engine::ValoreNumerico(r.RSTempiVer->Value("IDGRUPPO")).ToText();
    prev->MoveFirst();
    prev->Find("IDGRUPPO = " + id);
    if (!prev->Eof()) {
      group_durations.Load(*prev);
      for (size_t i = 0; i < prev->FieldCount(); ++i) {
        group["fields"][prev->Field(i).name] = Json(group_durations.Shown(i));
      }
      for (size_t k = 0; k < engine::RecordDurations::SecondsNames().size(); ++k) {
        group["fields"][engine::RecordDurations::SecondsNames()[k]] = Json(group_durations.Seconds(k));
      }
    }
    WriteJsonGroup(out, group, options.bookings ? &members[id] : nullptr);
    r.RSTempiVer->MoveNext();
  });
  r.RSTempiVer->MoveFirst();
  out << " \"unbooked_phases\": " << UnbookedJson(*engine::FasiNonVersate(run)) << ",\n";
  out << " \"unit\": " << nlohmann::json(std::string(engine::kTipoTempoCaptions[static_cast<size_t>(run.Unit())])).dump()
      << "\n}\n";
}

}  // namespace

void WriteJsonReport(std::ostream& out, engine::Comparison& run, const ReportOptions& options) {
  out << "{\n";
  if (options.bookings) WriteJsonBookings(out, run.Records().RSTempiPrevDett->Clone(), run.Unit());
  WriteJsonGroups(out, run, options);
}

bool WriteJsonReportComputing(std::ostream& out, engine::Comparison& run, const ReportOptions& options,
                              const std::function<bool()>& compute) {
  if (!options.bookings) {
    if (!compute()) return false;
    WriteJsonReport(out, run, options);
    return true;
  }
  // The group totals take one core; the bookings, which do not need them,
  // are made into text and written meanwhile. Once the totals are done, the
  // groups are made too and kept until the bookings are written.
  out << "{\n";
  DeferredOutput groups(out, kGroupsKeptAtMost);
  std::exception_ptr failed_bookings;
  const host::RecordSetPtr dett = run.Records().RSTempiPrevDett->Clone();
  std::thread bookings([&] {
    try {
      WriteJsonBookings(out, dett, run.Unit());
    } catch (...) {  // the worker's edge: whatever it met is thrown again on the caller's thread
      failed_bookings = std::current_exception();
    }
    groups.Release();
  });
  bool computed = false;
  try {
    computed = compute();
    if (computed) {
      std::ostream groups_out(&groups);
      WriteJsonGroups(groups_out, run, options);
    }
  } catch (...) {  // the worker must be joined before anything leaves this thread
    bookings.join();
    throw;
  }
  bookings.join();
  if (failed_bookings) std::rethrow_exception(failed_bookings);
  if (!computed) return false;
  groups.Flush();
  return true;
}

}  // namespace output
