#include "app/query_argument.h"

#include <filesystem>

#include "host/value/error.h"

namespace app {

engine::SavedQuery QueryArgument(const std::string& argument, const std::string& database,
                                 const std::string& company) {
  std::error_code error;
  if (std::filesystem::is_regular_file(argument, error)) return engine::ReadSavedQueryFile(argument);
  const engine::SavedQueryStore store(engine::SavedQueryStore::DefaultRoot(), database, company);
  if (auto saved = store.Load(argument)) return *saved;
  std::string known;
  for (const auto& name : store.Names()) known += (known.empty() ? "" : ", ") + ("\"" + name + "\"");
  throw host::Error(host::kErrInvalidArgument,
                    "no saved query \"" + argument + "\" for this database and company" +
                        (known.empty() ? std::string(" (none is saved)") : "; the saved ones are " + known),
                    "SavedQuery");
}

}  // namespace app
