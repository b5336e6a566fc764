// The condition and grouping lists, and the query control's condition text.
#include <gtest/gtest.h>

#include "engine/field_lists.h"
#include "host/services/lookup_service.h"
#include "host/value/error.h"

namespace engine {
namespace {

TEST(FieldLists, FilterFieldsWithTheirNumbersAndSettings) {
  host::QueryControl query;
  LoadFilterFields(query, false);
  const auto& fields = query.Fields();
  ASSERT_EQ(fields.size(), 18U);
  EXPECT_EQ(fields[0].caption, "Data reg.vers.");
  EXPECT_EQ(fields[0].column, "PD44_DATAREG");
  EXPECT_TRUE(fields[0].IsDate());
  EXPECT_EQ(fields[2].caption, "Variante");
  EXPECT_TRUE(fields[2].variant_extra);
  EXPECT_EQ(fields[2].max_length, 15);
  EXPECT_EQ(fields[3].caption, "Fase");
  EXPECT_TRUE(fields[3].IsNumber());
  EXPECT_EQ(fields[17].caption, "Data ini. lavoraz.");
  for (size_t i = 0; i < fields.size(); ++i) {
    EXPECT_EQ(fields[i].number, static_cast<int16_t>(i + 1));
    EXPECT_EQ(fields[i].settings[0], !fields[i].settings[3]) << fields[i].caption;  // S1 exactly for non-dates
  }
  ASSERT_EQ(query.Categories().size(), 1U);
  EXPECT_EQ(query.Categories()[0].caption, "Categorie");
  EXPECT_EQ(query.Categories()[0].number, 20);
  ASSERT_EQ(query.States().size(), 2U);
  EXPECT_EQ(query.States()[0].column, "VS_MG66.V_IDSTATO");
  EXPECT_EQ(query.States()[0].number, 21);
  EXPECT_EQ(query.States()[0].entity, 6);
  EXPECT_EQ(query.States()[1].number, 22);
  ASSERT_EQ(query.Attributes().size(), 4U);
  EXPECT_EQ(query.Attributes()[3].entity, 19);
  EXPECT_EQ(query.Attributes()[3].alias, "CO5L_DOT");
  EXPECT_TRUE(query.FashionEntries().empty());

  host::QueryControl fashion;
  LoadFilterFields(fashion, true);
  ASSERT_EQ(fashion.FashionEntries().size(), 3U);
  EXPECT_EQ(fashion.FashionEntries()[2].column, "PD44_CODART_MG66");
}

TEST(FieldLists, GroupingFieldsAndTheDefaultGrouping) {
  host::OrderControl order;
  LoadGroupingFields(order);
  ASSERT_EQ(order.Items().size(), 22U);
  EXPECT_EQ(order.Items()[14].caption, "Riga ordine");
  EXPECT_EQ(order.Items()[15].caption, "Sequenza fase");
  EXPECT_EQ(order.GroupingText(),
            "GROUP BY PD44_CODART_MG66, PD44_OPZIONE, DO11_DOCUM_MG36, DO11_DATADOC, DO11_SEZDOC, DO11_NUMDOC, "
            "DO30_PROGRIGA");
  order.SetGrouping({"Reparto", "fase"});
  EXPECT_EQ(order.GroupingText(), "GROUP BY PD44_CODFORNREP, PD44_CODFASE_PD12");
}

TEST(QueryControl, ConditionsAreCheckedAndQuoted) {
  host::QueryControl query;
  LoadFilterFields(query, false);
  EXPECT_EQ(query.ConditionText(), "");
  query.SetFrom("PD44_CODART_MG66", "O'NEIL  ");
  query.SetFrom("PD44_CODFASE_PD12", "10");
  query.SetTo("PD44_CODFASE_PD12", "30");
  query.SetFrom("PD44_DATAREG", "01/02/2026");
  query.SetTo("PD44_DATAREG", "2026-02-28");
  query.SetFrom("PD44_MACCHINA_PD08", "M*");
  query.SetFrom("VS_MG66.V_IDSTATO", "2");
  EXPECT_EQ(query.ConditionText(),
            " AND PD44_DATAREG >= '20260201' AND PD44_DATAREG < '20260301' AND PD44_CODART_MG66 = 'O''NEIL' AND "
            "PD44_CODFASE_PD12 >= 10 AND PD44_CODFASE_PD12 <= 30 AND PD44_MACCHINA_PD08 LIKE 'M%' ESCAPE '!' AND "
            "VS_MG66.V_IDSTATO = 2");
  query.ClearConditions();
  query.SetFrom("PD44_CODFASE_PD12", "10; DROP TABLE PD44_VERSORE");
  try {
    (void)query.ConditionText();
    FAIL();
  } catch (const host::Error& e) {
    EXPECT_EQ(std::string(e.what()), "\"Fase\": '10; DROP TABLE PD44_VERSORE' is not a number");
  }
}

// What is typed is what is applied: open ranges stay open, one date is its
// whole day (with or without a time). (Wildcards, states' ranges and an open
// range kept through saving and restoring: host/tests/query_control_test.cpp.)
TEST(QueryControl, TheConditionsTypedAreTheConditionsApplied) {
  host::QueryControl query;
  LoadFilterFields(query, false);
  query.SetFrom("PD44_CODFASE_PD12", std::string("10"));
  query.SetOnwards("PD44_CODFASE_PD12", true);
  query.SetFrom("PD44_DATAREG", std::string("2026-03-01 10:00:00"));
  EXPECT_EQ(query.ConditionText(),
            " AND PD44_DATAREG >= '20260301' AND PD44_DATAREG < '20260302' AND PD44_CODFASE_PD12 >= 10");
  query.ClearConditions();
  query.SetFrom("PD44_DATAREG", std::string("2026-03-01"));
  query.SetOnwards("PD44_DATAREG", true);
  query.SetTo("PD44_CODFASE_PD12", std::string("30"));
  EXPECT_EQ(query.ConditionText(), " AND PD44_DATAREG >= '20260301' AND PD44_CODFASE_PD12 <= 30");
}

// The look-ups' queries: one page, ordered by code, the typed text escaped.
TEST(LookupService, PagesOfTheMasterData) {
  // Only the texts are asked here: a connection that runs nothing.
  struct NoConnection : host::db::Connection {
    void Open(const std::string&) override {}
    void Close() override {}
    [[nodiscard]] bool IsOpen() const override { return false; }
    [[nodiscard]] std::string BackEnd() const override { return "none"; }
    host::DateService& Dates() override { return dates; }
    host::NumberService& Numbers() override { return numbers; }
    host::RecordSetPtr Run(std::string_view, int64_t*) override { Fail({host::kErrDatabase, "no database"}); }
    host::PlainDateService dates;
    host::PlainNumberService numbers;
  } none;
  host::LookupService lookups(none, "1");
  const auto sub_orders = lookups.Definition("Sottocommessa", " C'1 ");
  ASSERT_TRUE(sub_orders.has_value());
  EXPECT_EQ(host::LookupService::PageSql(*sub_orders, "5", 200),
            "SELECT TOP 200 PD25_CODSOTCOMM AS CODICE, PD25_DESCR AS DESCRIZIONE FROM PD25_COMMESSA WITH (NOLOCK) "
            "WHERE PD25_DITTA_CG18 = 1 AND PD25_CODSOTCOMM <> 0 AND PD25_CODCOMMESSA = 'C''1' AND "
            "(PD25_CODSOTCOMM = 5 OR PD25_DESCR LIKE '%5%' ESCAPE '!') ORDER BY PD25_CODSOTCOMM");
  const auto machines = lookups.Definition("Macchina");
  ASSERT_TRUE(machines.has_value());
  EXPECT_EQ(host::LookupService::PageSql(*machines, "50%_x", 20),
            "SELECT TOP 20 PD08_MACCHINA AS CODICE, PD08_DESCR AS DESCRIZIONE FROM VPD08_MACCHINA WITH (NOLOCK) "
            "WHERE PD08_DITTA_CG18 = 1 AND (PD08_MACCHINA LIKE '50!%!_x%' ESCAPE '!' OR PD08_DESCR LIKE "
            "'%50!%!_x%' ESCAPE '!') ORDER BY PD08_MACCHINA");
  const auto sections = lookups.Definition("Sezionale ordine");
  ASSERT_TRUE(sections.has_value());
  EXPECT_TRUE(sections->distinct);
  EXPECT_FALSE(lookups.Definition("Data ordine").has_value());
}

// The attribute sources give conditions that reach the booking query: two
// text attributes and one number per source, on the source's alias.
TEST(QueryControl, AttributeSourcesBecomeConditions) {
  host::QueryControl query;
  LoadFilterFields(query, false);
  ASSERT_EQ(query.ExtraFields().size(), 13U);  // the category, then 4 sources x 3
  EXPECT_EQ(query.ExtraFields()[1].caption, "Articolo attributo 1");
  EXPECT_EQ(query.ExtraFields()[1].column, "CO5L_ART.CO5L_ATTR01");
  EXPECT_EQ(query.ExtraFields()[12].caption, "Ordine attributo 3");
  EXPECT_EQ(query.ExtraFields()[12].column, "CO5L_DOT.CO5L_ATTR03");
  ASSERT_NE(query.FieldByCaption("Progetto attributo 2"), nullptr);
  query.SetFrom("CO5L_ART.CO5L_ATTR02", std::string("A'B"));
  query.SetFrom("CO5L_DOT.CO5L_ATTR03", std::string("10"));
  query.SetTo("CO5L_DOT.CO5L_ATTR03", std::string("50"));
  EXPECT_EQ(query.ConditionText(),
            " AND CO5L_ART.CO5L_ATTR02 = 'A''B' AND CO5L_DOT.CO5L_ATTR03 >= 10 AND CO5L_DOT.CO5L_ATTR03 <= 50");
  query.SetFrom("CO5L_NOD.CO5L_ATTR03", std::string("dieci"));
  const auto problems = query.Validate();
  ASSERT_EQ(problems.size(), 1U);
  EXPECT_EQ(problems[0].caption, "Nodo attributo 3");
}

// "Categorie" asks that the booking's article (or its variant) be in the
// category: one code, a range or a pattern, inside the same sub-query.
TEST(QueryControl, CategoryBecomesAnArticleCondition) {
  host::QueryControl query;
  query.Settings(host::ControlSettings{"2", "", "", "", false, nullptr});
  LoadFilterFields(query, false);
  const auto* category = query.FieldByCaption("Categorie");
  ASSERT_NE(category, nullptr);
  EXPECT_EQ(category->column, "CO5C_CODCAT");
  EXPECT_EQ(query.ConditionText(), "");
  const std::string head =
      " AND EXISTS (SELECT 1 FROM CO5C_CATEGORIEART WITH (NOLOCK) WHERE CO5C_DITTA_CG18 = 2 AND "
      "CO5C_CODART_MG66 = PD44_CODART_MG66 AND CO5C_OPZIONE_MG5E IN ('', ISNULL(PD44_OPZIONE,''))";
  query.SetFrom("CO5C_CODCAT", std::string("MECC"));
  EXPECT_EQ(query.ConditionText(), head + " AND CO5C_CODCAT = 'MECC')");
  query.SetFrom("CO5C_CODCAT", std::string("EL*_1"));
  EXPECT_EQ(query.ConditionText(), head + " AND CO5C_CODCAT LIKE 'EL%!_1' ESCAPE '!')");
  query.SetFrom("CO5C_CODCAT", std::string("A"));
  query.SetTo("CO5C_CODCAT", std::string("M"));
  EXPECT_EQ(query.ConditionText(), head + " AND CO5C_CODCAT >= 'A' AND CO5C_CODCAT <= 'M')");
  query.SetFrom("CO5C_CODCAT", std::string("TROPPO_LUNGO"));
  const auto problems = query.Validate();
  ASSERT_EQ(problems.size(), 1U);
  EXPECT_EQ(problems[0].kind, host::QueryControl::ProblemKind::TooLong);
}

}  // namespace
}  // namespace engine
