#include "host/services/companies.h"

#include "host/value/variant.h"

namespace host {

std::vector<std::string> CompaniesOf(db::Connection& connection) {
  std::vector<std::string> codes;
  for (const char* sql : {"SELECT DISTINCT PD42_DITTA_CG18 FROM PD42_PARGEST WITH (NOLOCK) ORDER BY PD42_DITTA_CG18",
                          "SELECT DISTINCT PD44_DITTA_CG18 FROM PD44_VERSORE WITH (NOLOCK) ORDER BY PD44_DITTA_CG18"}) {
    auto rows = connection.Execute(sql);
    for (rows->MoveFirst(); !rows->Eof(); rows->MoveNext()) {
      const Variant v = rows->Value(size_t{0});
      if (v.IsNull()) continue;
      codes.push_back(v.ToDecimal().Normalized().ToString());
    }
    if (!codes.empty()) break;
  }
  return codes;
}

}  // namespace host
