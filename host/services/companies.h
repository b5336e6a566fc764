// The companies of an ERP database: those with production parameters
// (PD42_PARGEST), else those with bookings. Answers the codes as plain
// whole-number texts, in order; empty when there are none. Throws
// host::Error as the connection does.
#pragma once

#include <string>
#include <vector>

#include "host/db/connection.h"

namespace host {

std::vector<std::string> CompaniesOf(db::Connection& connection);

}  // namespace host
