// The module's exported factory: the host creates the class through it, as a
// COM host creates a coclass, and destroys it through the second function.
#include "component/clspd_quarvelindo.h"
#include "query_form/frmpd_quarvelindo.h"

extern "C" __attribute__((visibility("default"))) host::Cinterface* CreateCLSPD_QUARVELINDO() {
  return new component::CLSPD_QUARVELINDO([] { return query_form::FRMPD_QUARVELINDO::Create(); });
}

extern "C" __attribute__((visibility("default"))) void DestroyCLSPD_QUARVELINDO(host::Cinterface* instance) {
  delete instance;
}
