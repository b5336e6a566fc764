#include "engine/layouts.h"

#include <gtest/gtest.h>

#include "host/tests/fake_form.h"

namespace engine {
namespace {

using host::FieldType;

struct Expected {
  const char* name;
  FieldType type;
  int size;
  int precision;
  int scale;
};

void ExpectField(const host::RecordSet& rs, size_t i, const Expected& e) {
  const host::FieldDef& f = rs.Field(i);
  EXPECT_EQ(f.name, e.name) << i;
  EXPECT_EQ(f.type, e.type) << e.name;
  EXPECT_EQ(f.size, e.size) << e.name;
  EXPECT_EQ(f.precision, e.precision) << e.name;
  EXPECT_EQ(f.scale, e.scale) << e.name;
  EXPECT_TRUE(f.nullable) << e.name;
}

// The 70 time fields from position `first`.
void ExpectTimeFields(const host::RecordSet& rs, size_t first) {
  const std::vector<std::string> suffixes{"", "_LAV", "_SET", "_MACLAV", "_MACSET", "_MANLAV", "_MANSET"};
  size_t i = first;
  for (const auto& s : suffixes) {
    const std::vector<Expected> fields{
        {"OREPREV", FieldType::Decimal, 0, 14, 2}, {"MINPREV", FieldType::Decimal, 0, 18, 2},
        {"SECPREV", FieldType::Decimal, 0, 18, 0}, {"OREVERS", FieldType::Decimal, 0, 14, 2},
        {"MINVERS", FieldType::Decimal, 0, 18, 2}, {"SECVERS", FieldType::Decimal, 0, 18, 0},
        {"OMSPREV", FieldType::Variant, 0, 0, 0},  {"OMSVERS", FieldType::Variant, 0, 0, 0},
        {"GAP", FieldType::Variant, 0, 0, 0},      {"GAPPERC", FieldType::Decimal, 0, 8, 2}};
    for (const auto& e : fields) {
      const std::string name = std::string(e.name) + s;
      ExpectField(rs, i++, {name.c_str(), e.type, e.size, e.precision, e.scale});
    }
  }
  EXPECT_EQ(i, rs.FieldCount());
}

TEST(InizializzaRS, CreatesTheThreeFixedLayoutsAndReleasesTheQueries) {
  host::testing::FakeForm form;
  RunContext context{form};
  RunRecordSets run;
  run.RSTempiVer = host::RecordSet::Create();
  run.RSTempiVerDett = host::RecordSet::Create();
  auto old_campi = NewRSCampi();
  run.RSCampi = old_campi;
  InizializzaRS(context, run);
  EXPECT_TRUE(context.Take().diagnostics().empty());
  EXPECT_EQ(run.RSTempiVer, nullptr);
  EXPECT_EQ(run.RSTempiVerDett, nullptr);
  EXPECT_NE(run.RSCampi, old_campi);  // fresh, not reused

  ASSERT_TRUE(run.RSCampi && run.RSTempiPrev && run.RSTempiPrevDett);
  for (const auto& rs : {run.RSCampi, run.RSTempiPrev, run.RSTempiPrevDett}) {
    EXPECT_TRUE(rs->IsOpen());
    EXPECT_EQ(rs->RecordCount(), 0U);
    EXPECT_TRUE(rs->Bof() && rs->Eof());
  }

  ASSERT_EQ(run.RSCampi->FieldCount(), 7U);
  ExpectField(*run.RSCampi, 0, {"NOME", FieldType::Text, 40, 0, 0});
  ExpectField(*run.RSCampi, 1, {"ALIAS", FieldType::Text, 40, 0, 0});
  ExpectField(*run.RSCampi, 2, {"ALIASLINGUA", FieldType::Text, 40, 0, 0});
  ExpectField(*run.RSCampi, 3, {"GRUPPO", FieldType::Decimal, 0, 1, 0});
  ExpectField(*run.RSCampi, 4, {"TIPO", FieldType::Char, 1, 0, 0});
  ExpectField(*run.RSCampi, 5, {"DECIMALI", FieldType::Decimal, 0, 1, 0});
  ExpectField(*run.RSCampi, 6, {"NOMEPREV", FieldType::Text, 40, 0, 0});

  ASSERT_EQ(run.RSTempiPrev->FieldCount(), 71U);
  ExpectField(*run.RSTempiPrev, 0, {"IDGRUPPO", FieldType::Decimal, 0, 12, 0});
  ExpectTimeFields(*run.RSTempiPrev, 1);

  ASSERT_EQ(run.RSTempiPrevDett->FieldCount(), 73U);
  ExpectField(*run.RSTempiPrevDett, 0, {"IDVERS", FieldType::Decimal, 0, 12, 0});
  ExpectField(*run.RSTempiPrevDett, 1, {"IDCICLO", FieldType::Decimal, 0, 18, 0});
  ExpectField(*run.RSTempiPrevDett, 2, {"QTAODL", FieldType::Decimal, 0, 14, 3});
  ExpectTimeFields(*run.RSTempiPrevDett, 3);
}

TEST(InizializzaRS, StoresOutOfScaleValuesRounded) {
  host::testing::FakeForm form;
  RunContext context{form};
  RunRecordSets run;
  InizializzaRS(context, run);
  auto& rs = *run.RSTempiPrevDett;
  rs.AddNew();
  rs.SetValue("SECPREV", 33.33);      // unit 3 planned seconds in a scale-0 field
  rs.SetValue("GAPPERC", 3599900.0);  // beyond decimal(8,2): kept, not refused
  rs.Update();
  EXPECT_EQ(rs.Value("SECPREV").ToText(), "33");
  EXPECT_EQ(rs.Value("GAPPERC").ToText(), "3599900");
}

}  // namespace
}  // namespace engine
