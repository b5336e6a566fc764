#include "host/framework/free_cores.h"

#include <sched.h>

#include <thread>

namespace host {

int FreeCores() {
  cpu_set_t cores;
  CPU_ZERO(&cores);
  if (sched_getaffinity(0, sizeof cores, &cores) != 0) {
    const unsigned all = std::thread::hardware_concurrency();
    return all == 0 ? 1 : static_cast<int>(all);
  }
  const int count = CPU_COUNT(&cores);
  return count < 1 ? 1 : count;
}

}  // namespace host
