// The settings both enhanced controls receive before their entries.
#pragma once

#include <string>

namespace host::db {
class Connection;
}

namespace host {

struct ControlSettings {
  std::string company;       // PvarCodDitta as text
  std::string environment1;  // the user environment's two values
  std::string environment2;
  std::string module;  // the module name
  bool flag = false;
  db::Connection* connection = nullptr;  // for dates: its date service writes the literals
};

}  // namespace host
