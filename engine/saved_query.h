// A saved query ("ricerca"): its name, the conditions as typed (relative
// dates stay relative: "@mese-scorso"), the grouping fields in order, the
// unit and the two options. It is kept per database and company, and
// exported or imported as a small JSON file to share:
//
//   {"name": "Reparti, mese scorso",
//    "conditions": [{"field": "PD44_DATAREG", "caption": "Data reg.vers.",
//                    "from": "@mese-scorso", "to": "", "onwards": false}],
//    "grouping": ["PD44_CODFORNREP", "PD44_CODFASE_PD12"],
//    "unit": "hh:mm:ss", "exclude_wait": false, "exclude_queue": false,
//    "closed_states": [9, 10], "tolerance": 5}
//
// The last two are there only when set: the order states that mean closed
// (the phases never booked say whether their order is closed) and the
// tolerance band's half width in percent.
// Fields are named by column, which does not change with the language; the
// caption is there for a reader. Reading a file that is not such a query,
// or applying one that names a field the controls lack, throws host::Error
// (kErrInvalidArgument) saying which.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "engine/time_unit.h"
#include "host/controls/order_control.h"
#include "host/controls/query_control.h"

namespace engine {

struct SavedQuery {
  struct Condition {
    std::string column, caption, from, to;
    bool onwards = false;
  };
  std::string name;
  std::vector<Condition> conditions;
  std::vector<std::string> grouping;  // columns, in order
  TipoTempo unit = kOreMinutiSecondi;
  bool exclude_wait = false;
  bool exclude_queue = false;
  std::vector<int64_t> closed_states;  // none: nothing said about closed
  std::optional<double> tolerance;     // unset: the reader's own (10 by default)
};

// The query the controls hold now (fields and states with a value).
SavedQuery CaptureQuery(const std::string& name, const host::QueryControl& query, const host::OrderControl& order,
                        TipoTempo unit, bool exclude_wait, bool exclude_queue);
// Clears the conditions and puts the query's conditions and grouping into
// the controls.
void ApplyQuery(const SavedQuery& saved, host::QueryControl& query, host::OrderControl& order);

std::string SavedQueryJson(const SavedQuery& saved);
SavedQuery SavedQueryFromJson(const std::string& text);

// Where the queries of a database (a file's canonical path, or a connection
// string) and a company are kept: one JSON file a query under `root`.
class SavedQueryStore {
 public:
  SavedQueryStore(const std::string& root, const std::string& database, const std::string& company);
  // The default root: $XDG_CONFIG_HOME (or ~/.config) /quarvelindo/ricerche.
  static std::string DefaultRoot();

  [[nodiscard]] std::vector<std::string> Names() const;  // sorted
  [[nodiscard]] std::optional<SavedQuery> Load(const std::string& name) const;
  // Writes (or replaces) the query under its name; throws host::Error when it cannot.
  void Save(const SavedQuery& saved) const;
  // Answers whether there was such a query.
  bool Remove(const std::string& name) const;
  [[nodiscard]] const std::string& Folder() const { return folder_; }

 private:
  [[nodiscard]] std::string FileOf(const std::string& name) const;
  std::string folder_;
};

// Reads a query file (an export); throws host::Error when it cannot.
SavedQuery ReadSavedQueryFile(const std::string& path);
void WriteSavedQueryFile(const std::string& path, const SavedQuery& saved);

}  // namespace engine
