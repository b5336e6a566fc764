// The system's ODBC data sources and drivers, as unixODBC lists them
// (odbc.ini, odbcinst.ini). Empty when there are none or ODBC answers nothing.
#pragma once

#include <string>
#include <vector>

namespace shell {

[[nodiscard]] std::vector<std::string> OdbcDataSources();
[[nodiscard]] std::vector<std::string> OdbcDrivers();

}  // namespace shell
