#include "app/shell/module_loader.h"

#include <dlfcn.h>

#include <stdexcept>

namespace shell {

ModuleLoader::ModuleLoader(const std::string& path) {
  library_ = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (library_ == nullptr) throw std::runtime_error("Cannot load the module " + path + ": " + dlerror());
  create_ = reinterpret_cast<host::CreateModuleFunction>(dlsym(library_, "CreateCLSPD_QUARVELINDO"));
  destroy_ = reinterpret_cast<host::DestroyModuleFunction>(dlsym(library_, "DestroyCLSPD_QUARVELINDO"));
  if (create_ == nullptr || destroy_ == nullptr) {
    dlclose(library_);
    throw std::runtime_error("The module " + path + " does not export CreateCLSPD_QUARVELINDO");
  }
}

ModuleLoader::~ModuleLoader() {
  // The library stays loaded: Qt may still hold its window classes' code.
}

std::shared_ptr<host::Cinterface> ModuleLoader::Create() {
  auto destroy = destroy_;
  return std::shared_ptr<host::Cinterface>(create_(), [destroy](host::Cinterface* instance) { destroy(instance); });
}

}  // namespace shell
