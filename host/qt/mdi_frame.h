// The host's frame as the forms receive it through ActiveFrame: the MDI area
// of the host shell, where the module's windows open.
#pragma once

#include <QMdiArea>
#include <QPointer>

#include "host/framework/host_object.h"

namespace host::qt {

struct MdiFrame : host::HostObject {
  QPointer<QMdiArea> area;
};

}  // namespace host::qt
