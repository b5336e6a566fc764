#include "output/group_members.h"

#include "engine/value_helpers.h"

namespace output {

std::map<std::string, std::vector<host::Variant>> GroupMembers(engine::Comparison& run) {
  engine::GroupTotals& totals = run.Totals();
  std::map<std::string, std::vector<host::Variant>> out;
  auto& r = run.Records();
  for (r.RSTempiVer->MoveFirst(); !r.RSTempiVer->Eof(); r.RSTempiVer->MoveNext()) {
    r.RSTempiVerDett->SetFilter(totals.GroupFilter());
    auto& ids = out[engine::ValoreNumerico(r.RSTempiVer->Value("IDGRUPPO")).ToText()];
    for (; !r.RSTempiVerDett->Eof(); r.RSTempiVerDett->MoveNext())
      ids.push_back(r.RSTempiVerDett->Value("PD44_PRGMVORE_PD31"));
  }
  r.RSTempiVerDett->SetFilter("");
  r.RSTempiVer->MoveFirst();
  return out;
}

}  // namespace output
