// What a report says it covers: the run's conditions, field by field, in
// the form's order, with captions in the reader's language.
#include "engine/conditions_summary.h"

#include <gtest/gtest.h>

#include "engine/field_lists.h"

namespace engine {
namespace {

TEST(ConditionsSummary, EachFieldWithAValueAsARangeInTheFormsOrder) {
  host::QueryControl query;
  LoadFilterFields(query, false);
  EXPECT_EQ(ConditionsSummary(query, nullptr), "");
  query.SetFrom("PD44_CODFORNREP", host::Variant(std::string("R02")));
  query.SetTo("PD44_CODFORNREP", host::Variant(std::string(" R04 ")));
  query.SetFrom("PD44_CODART_MG66", host::Variant(std::string("A1")));
  query.SetFrom("PD44_DATAREG", host::Variant(std::string("2026-01-01")));
  query.SetOnwards("PD44_DATAREG", true);
  query.SetTo("DO31_DATACONS", host::Variant(std::string("2026-03-31")));
  query.SetFrom("VS_DO11.V_IDSTATO", host::Variant(std::string("9")));
  query.SetTo("VS_DO11.V_IDSTATO", host::Variant(std::string("9")));
  EXPECT_EQ(ConditionsSummary(query, nullptr),
            "Data reg.vers. \u2265 2026-01-01; Articolo = A1; Reparto R02 \u2013 R04; Data consegna \u2264 2026-03-31; "
            "Stato ordine = 9");
  const CaptionTranslator english = [](const std::string& italian) {
    return italian == "Reparto" ? std::string("Department") : italian;
  };
  query.SetFrom("PD44_CODART_MG66", host::Variant());
  query.SetFrom("PD44_DATAREG", host::Variant(std::string("  ")));
  query.SetTo("DO31_DATACONS", host::Variant());
  query.SetFrom("VS_DO11.V_IDSTATO", host::Variant());
  query.SetTo("VS_DO11.V_IDSTATO", host::Variant());
  EXPECT_EQ(ConditionsSummary(query, english), "Department R02 \u2013 R04");
}

}  // namespace
}  // namespace engine
