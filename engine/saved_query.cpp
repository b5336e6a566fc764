#include "engine/saved_query.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "host/recordset/table.h"
#include "host/value/error.h"

namespace engine {
namespace {

namespace fs = std::filesystem;

[[noreturn]] void Refuse(const std::string& what) { throw host::Error(host::kErrInvalidArgument, what, "SavedQuery"); }

std::string Text(const host::Variant& v) { return v.IsNull() || v.IsEmpty() ? std::string() : v.ToText(); }

// A stable name for a database's folder: FNV-1a of its key, in hex.
std::string KeyOf(const std::string& database) {
  std::string key = database;
  std::error_code error;
  if (fs::exists(database, error)) key = fs::weakly_canonical(database, error).string();
  uint64_t hash = 1469598103934665603ULL;
  for (const unsigned char c : key) {
    hash ^= c;
    hash *= 1099511628211ULL;
  }
  char text[17];
  std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(hash));
  return text;
}

// A query's name as a file name: letters, digits, blank, '-', '_' and '.'
// kept, anything else (a '/', say) as %XX.
std::string FileName(const std::string& name) {
  std::string out;
  for (const unsigned char c : name) {
    if (std::isalnum(c) != 0 || c == ' ' || c == '-' || c == '_' || (c == '.' && !out.empty()) || c >= 0x80) {
      out += static_cast<char>(c);
    } else {
      char hex[4];
      std::snprintf(hex, sizeof hex, "%%%02X", c);
      out += hex;
    }
  }
  return out + ".json";
}

}  // namespace

SavedQuery CaptureQuery(const std::string& name, const host::QueryControl& query, const host::OrderControl& order,
                        TipoTempo unit, bool exclude_wait, bool exclude_queue) {
  SavedQuery saved;
  saved.name = name;
  const auto add = [&](const std::string& column, const std::string& caption) {
    const std::string from = Text(query.FromValue(column));
    const std::string to = Text(query.ToValue(column));
    if (from.empty() && to.empty()) return;
    saved.conditions.push_back({column, caption, from, to, query.Onwards(column)});
  };
  for (const auto& f : query.Fields()) add(f.column, f.caption);
  for (const auto& s : query.States()) add(s.column, s.caption);
  for (const auto& item : order.Items()) {
    if (item.use == host::OrderControl::Use::Grouping) saved.grouping.push_back(item.column);
  }
  saved.unit = unit;
  saved.exclude_wait = exclude_wait;
  saved.exclude_queue = exclude_queue;
  return saved;
}

void ApplyQuery(const SavedQuery& saved, host::QueryControl& query, host::OrderControl& order) {
  const auto known = [&](const std::string& column) {
    const auto same = [&](const auto& f) { return host::UpperAscii(f.column) == host::UpperAscii(column); };
    return std::any_of(query.Fields().begin(), query.Fields().end(), same) ||
           std::any_of(query.States().begin(), query.States().end(), same);
  };
  for (const auto& c : saved.conditions) {
    if (!known(c.column)) Refuse("the saved query \"" + saved.name + "\" has an unknown condition " + c.column);
  }
  query.ClearConditions();
  for (const auto& c : saved.conditions) {
    if (!c.from.empty()) query.SetFrom(c.column, c.from);
    if (!c.to.empty()) query.SetTo(c.column, c.to);
    query.SetOnwards(c.column, c.onwards);
  }
  if (!saved.grouping.empty()) order.SetGrouping(saved.grouping);
}

std::string SavedQueryJson(const SavedQuery& saved) {
  nlohmann::ordered_json j;
  j["name"] = saved.name;
  j["conditions"] = nlohmann::ordered_json::array();
  for (const auto& c : saved.conditions) {
    nlohmann::ordered_json condition;
    condition["field"] = c.column;
    condition["caption"] = c.caption;
    condition["from"] = c.from;
    condition["to"] = c.to;
    condition["onwards"] = c.onwards;
    j["conditions"].push_back(std::move(condition));
  }
  j["grouping"] = saved.grouping;
  j["unit"] = std::string(kTipoTempoCaptions[static_cast<size_t>(saved.unit)]);
  j["exclude_wait"] = saved.exclude_wait;
  j["exclude_queue"] = saved.exclude_queue;
  // Written only when set, so a query without them reads as before.
  if (!saved.closed_states.empty()) j["closed_states"] = saved.closed_states;
  if (saved.tolerance) j["tolerance"] = *saved.tolerance;
  return j.dump(1) + "\n";
}

SavedQuery SavedQueryFromJson(const std::string& text) {
  const nlohmann::json j = nlohmann::json::parse(text, nullptr, false);
  if (j.is_discarded() || !j.is_object()) Refuse("not a saved query: the text is no JSON object");
  const auto string_of = [](const nlohmann::json& object, const char* key, bool required) {
    if (!object.contains(key)) {
      if (required) Refuse(std::string("not a saved query: \"") + key + "\" is missing");
      return std::string();
    }
    if (!object[key].is_string()) Refuse(std::string("not a saved query: \"") + key + "\" is not a text");
    return object[key].get<std::string>();
  };
  SavedQuery saved;
  saved.name = string_of(j, "name", true);
  if (j.contains("conditions")) {
    if (!j["conditions"].is_array()) Refuse("not a saved query: \"conditions\" is not a list");
    for (const auto& c : j["conditions"]) {
      if (!c.is_object()) Refuse("not a saved query: a condition is not an object");
      SavedQuery::Condition condition;
      condition.column = string_of(c, "field", true);
      condition.caption = string_of(c, "caption", false);
      condition.from = string_of(c, "from", false);
      condition.to = string_of(c, "to", false);
      condition.onwards = c.contains("onwards") && c["onwards"].is_boolean() && c["onwards"].get<bool>();
      saved.conditions.push_back(std::move(condition));
    }
  }
  if (j.contains("grouping")) {
    if (!j["grouping"].is_array()) Refuse("not a saved query: \"grouping\" is not a list");
    for (const auto& g : j["grouping"]) {
      if (!g.is_string()) Refuse("not a saved query: a grouping field is not a text");
      saved.grouping.push_back(g.get<std::string>());
    }
  }
  if (j.contains("unit")) {
    const auto unit = TipoTempoFromCaption(string_of(j, "unit", false));
    if (!unit) Refuse("not a saved query: the unit is none of hh:mm:ss, hh,hh, mm,mm, ss,ss");
    saved.unit = *unit;
  }
  saved.exclude_wait = j.contains("exclude_wait") && j["exclude_wait"].is_boolean() && j["exclude_wait"].get<bool>();
  saved.exclude_queue =
      j.contains("exclude_queue") && j["exclude_queue"].is_boolean() && j["exclude_queue"].get<bool>();
  if (j.contains("closed_states")) {
    if (!j["closed_states"].is_array()) Refuse("not a saved query: \"closed_states\" is not a list");
    for (const auto& state : j["closed_states"]) {
      if (!state.is_number_integer()) Refuse("not a saved query: a closed state is not a whole number");
      saved.closed_states.push_back(state.get<int64_t>());
    }
  }
  if (j.contains("tolerance")) {
    if (!j["tolerance"].is_number() || j["tolerance"].get<double>() < 0) {
      Refuse("not a saved query: \"tolerance\" is not a number of at least 0");
    }
    saved.tolerance = j["tolerance"].get<double>();
  }
  return saved;
}

SavedQueryStore::SavedQueryStore(const std::string& root, const std::string& database, const std::string& company)
    : folder_((fs::path(root) / KeyOf(database) / (company.empty() ? std::string("1") : company)).string()) {}

std::string SavedQueryStore::DefaultRoot() {
  const char* config = std::getenv("XDG_CONFIG_HOME");
  const char* home = std::getenv("HOME");
  const fs::path base = config != nullptr && *config != '\0' ? fs::path(config)
                                                              : fs::path(home != nullptr ? home : ".") / ".config";
  return (base / "quarvelindo" / "ricerche").string();
}

std::string SavedQueryStore::FileOf(const std::string& name) const {
  return (fs::path(folder_) / FileName(name)).string();
}

std::vector<std::string> SavedQueryStore::Names() const {
  std::vector<std::string> names;
  std::error_code error;
  for (const auto& entry : fs::directory_iterator(folder_, error)) {
    if (entry.path().extension() != ".json") continue;
    try {
      names.push_back(ReadSavedQueryFile(entry.path().string()).name);
    } catch (const host::Error&) {
      // A damaged file is no query; the others are still listed.
    }
  }
  std::sort(names.begin(), names.end());
  return names;
}

std::optional<SavedQuery> SavedQueryStore::Load(const std::string& name) const {
  if (!fs::exists(FileOf(name))) return std::nullopt;
  return ReadSavedQueryFile(FileOf(name));
}

void SavedQueryStore::Save(const SavedQuery& saved) const {
  std::error_code error;
  fs::create_directories(folder_, error);
  if (error) Refuse("the folder " + folder_ + " cannot be made: " + error.message());
  WriteSavedQueryFile(FileOf(saved.name), saved);
}

bool SavedQueryStore::Remove(const std::string& name) const {
  std::error_code error;
  return fs::remove(FileOf(name), error);
}

SavedQuery ReadSavedQueryFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) Refuse("the saved query " + path + " cannot be read");
  std::ostringstream text;
  text << in.rdbuf();
  return SavedQueryFromJson(text.str());
}

void WriteSavedQueryFile(const std::string& path, const SavedQuery& saved) {
  const std::string partial = path + ".partial";
  {
    std::ofstream out(partial, std::ios::binary | std::ios::trunc);
    out << SavedQueryJson(saved);
    if (!out.flush()) {
      std::error_code ignored;
      fs::remove(partial, ignored);
      Refuse("the saved query cannot be written to " + path);
    }
  }
  std::error_code error;
  fs::rename(partial, path, error);
  if (error) Refuse("the saved query cannot be written to " + path + ": " + error.message());
}

}  // namespace engine
