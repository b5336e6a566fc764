// Any object the host hands the module by reference (frames, status bars,
// connections, menu items): the module stores and returns them.
#pragma once

#include <memory>

namespace host {

struct HostObject {
  virtual ~HostObject() = default;
};
using HostObjectPtr = std::shared_ptr<HostObject>;

}  // namespace host
