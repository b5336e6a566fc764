// Configuration values, open bills of materials, formulas and decodes on the
// hand-made database.
#include <gtest/gtest.h>

#include "engine/cycle_formulas.h"
#include "engine/decodes.h"
#include "host/tests/fake_form.h"
#include "engine/tests/tiny_erp.h"

namespace engine {
namespace {

class Configuration : public ::testing::Test {
 protected:
  testing::TempDir dir_;
  host::testing::FakeForm form_;
  std::unique_ptr<host::db::Connection> connection_ = host::db::OpenConnection(testing::TinyErp(dir_));
  RunContext context_{form_, &connection_->Dates()};  // dates as this database writes them
  ConfigurationValues values_{context_, *connection_, "1"};
};

TEST_F(Configuration, ValuesOfAConfiguredArticleGoToTheTemporaryTable) {
  std::string model;
  EXPECT_EQ(values_.CaricaValoriConfigurazione("A1  ", "ROS.0420001", host::Variant::Null(), "2026-06-01", model, true),
            1);
  EXPECT_EQ(model, "A1M");
  // Segments 3 and 2 before the progressive one of 4: it starts at 6.
  EXPECT_EQ(values_.SegmentStart(), 6);
  EXPECT_EQ(values_.SegmentLength(), 4);
  auto rows = connection_->Execute("SELECT CAT, TIPOCAT, VALSTR, VALNUM FROM #CATVAL ORDER BY PROG");
  ASSERT_EQ(rows->RecordCount(), 2U);
  EXPECT_EQ(rows->Value("CAT").Text(), "DIAM      ");
  EXPECT_EQ(rows->Value("VALNUM").ToDecimal().ToString(), "12.5");
  rows->MoveNext();
  EXPECT_TRUE(rows->Value("VALSTR").IsNull());  // a blank text is inserted as null
  // A second call does not read the segments again.
  const int64_t before = connection_->StatementCount();
  values_.CaricaValoriConfigurazione("A1", "", "", "", model, false);
  EXPECT_EQ(connection_->StatementCount() - before, 4);  // drop, configured?, type, values: no segments
}

TEST_F(Configuration, UnconfiguredAndProjectArticles) {
  std::string model = "unchanged";
  connection_->ExecuteNoRecords("CREATE TABLE #CATVAL (X INT)");
  EXPECT_EQ(values_.CaricaValoriConfigurazione("A2", "", "", "", model, true), 1);
  EXPECT_THROW(connection_->Execute("SELECT * FROM #CATVAL"), host::Error);         // dropped, not made again
  EXPECT_EQ(values_.CaricaValoriConfigurazione("A4", "", "", "", model, true), 0);  // made to project
  EXPECT_EQ(model, "unchanged");
  const int64_t before = connection_->StatementCount();
  values_.EliminaTabellaTemporanea("CATVAL");  // no "#": nothing runs
  EXPECT_EQ(connection_->StatementCount(), before);
}

TEST_F(Configuration, OpenBillOfMaterials) {
  EXPECT_TRUE(values_.GestioneDistintaBaseAperta("A1"));   // article 0, company 1
  EXPECT_FALSE(values_.GestioneDistintaBaseAperta("A3"));  // article 1: whatever the company says
  EXPECT_TRUE(values_.GestioneDistintaBaseAperta("A4"));   // article 2
  EXPECT_FALSE(values_.GestioneDistintaBaseAperta("ZZ"));  // unknown
  EXPECT_TRUE(context_.Take().diagnostics().empty());
}

TEST_F(Configuration, FormulasAnswerNumbersOrZero) {
  connection_->ExecuteNoRecords(
      "CREATE TEMP TABLE PD24_FORMULE (PD24_DITTA_CG18, PD24_CODICE, PD24_DESCR, "
      "PD24_ESPRESSIONE)");
  connection_->ExecuteNoRecords(
      "INSERT INTO temp.PD24_FORMULE VALUES (1, 'F1', '', 'T * NP + Q'), "
      "(1, 'BAD', '', 'T * * 2')");
  host::ProductionServices production(*connection_, "1");
  std::array<host::Variant, 28> values;
  values[0] = int32_t{3};
  values[1] = int32_t{4};
  values[2] = "5";
  EXPECT_EQ(ElaboraFormulaCicli(context_, production, "F1", "A1", "", "C1", values).ToText(), "17");
  EXPECT_EQ(ElaboraFormulaCicli(context_, production, "BAD", "A1", "", "C1", values), host::Variant(int16_t{0}));
  EXPECT_EQ(ElaboraFormulaCicli(context_, production, "NONE", "A1", "", "C1", values), host::Variant(int16_t{0}));
}

TEST_F(Configuration, DecodesReadTheMasterData) {
  host::DecodeService decode(*connection_, "1");
  EXPECT_EQ(DecodificaReparto(decode, "R01").value, "Taglio");
  EXPECT_EQ(DecodificaFase(decode, int32_t{10}).value, "Taglio barre");
  EXPECT_EQ(DecodificaDipendente(decode, "E1 ").value, "Rossi Mario");
  EXPECT_EQ(DecodificaMacchina(decode, "M1").value, "Sega a nastro");
  EXPECT_EQ(DecodificaArticolo(decode, "A1", ""), "Albero");
  EXPECT_EQ(DecodificaMacchina(decode, "NOPE").value, "");
  const int64_t before = connection_->StatementCount();
  EXPECT_EQ(DecodificaReparto(decode, "   ").value, "");  // blank: the service is not asked
  EXPECT_EQ(DecodificaCommessa(decode, "", "3"), "");
  EXPECT_EQ(connection_->StatementCount(), before);
  EXPECT_TRUE(DecodeDocumento(decode, "A", "7").value);
  EXPECT_FALSE(DecodeDocumento(decode, "A", "8").value);
  EXPECT_FALSE(DecodeDocumento(decode, " ", "7").value);
  // A service that fails: the empty text, and the failure under the decode's name.
  connection_->Close();
  const auto failed = DecodificaReparto(decode, "R02");  // not asked before: no answer kept
  EXPECT_EQ(failed.value, "");
  EXPECT_TRUE(failed.status.failed());
  EXPECT_EQ(host::testing::Procedures(failed.status), std::vector<std::string>{"DecodificaReparto"});
  EXPECT_TRUE(DecodeDocumento(decode, "B", "9").status.failed());
  EXPECT_EQ(DecodificaArticolo(decode, "A2", ""), "");  // suppressed
}

}  // namespace
}  // namespace engine
