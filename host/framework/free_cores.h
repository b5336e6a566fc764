// How many processor cores this process may run on (its affinity, as
// `taskset` sets it), for the steps that take a second thread only when a
// second core is there to run it: on one core the threads would only take
// turns, and do some work twice.
#pragma once

namespace host {

// At least 1.
int FreeCores();

}  // namespace host
