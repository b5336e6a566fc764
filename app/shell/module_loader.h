// Loads the module library and creates its class through the exported
// factory, as the ERP's host creates a COM class.
#pragma once

#include <memory>
#include <string>

#include "host/framework/cinterface.h"

namespace shell {

class ModuleLoader {
 public:
  // Opens the library; throws std::runtime_error naming the library and the
  // loader's message when it cannot.
  explicit ModuleLoader(const std::string& path);
  ~ModuleLoader();
  ModuleLoader(const ModuleLoader&) = delete;
  ModuleLoader& operator=(const ModuleLoader&) = delete;

  // A new instance of CLSPD_QUARVELINDO, destroyed by the library's own function.
  std::shared_ptr<host::Cinterface> Create();

 private:
  void* library_ = nullptr;
  host::CreateModuleFunction create_ = nullptr;
  host::DestroyModuleFunction destroy_ = nullptr;
};

}  // namespace shell
