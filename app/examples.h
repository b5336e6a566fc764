// `quarvelindo examples`: the time helpers on worked examples, one line each,
// so that a user can see how planned and booked times compare under each
// time unit before pointing the module at a database.
#pragma once

#include <ostream>

namespace app {

int RunExamples(std::ostream& out);

}  // namespace app
