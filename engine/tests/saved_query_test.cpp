// Saved queries: what the controls hold, written as JSON and read back into
// fresh controls; kept per database and company; a file that is no query,
// or names a field the controls lack, refused by name.
#include "engine/saved_query.h"

#include <gtest/gtest.h>

#include <fstream>

#include "engine/field_lists.h"
#include "engine/tests/demo_db.h"
#include "host/value/error.h"

namespace engine {
namespace {

// A query control and an order control as the form loads them.
struct Controls {
  Controls() {
    LoadFilterFields(query, false);
    LoadGroupingFields(order);
  }
  host::QueryControl query;
  host::OrderControl order;
};

SavedQuery Example() {
  auto [query, order] = Controls();
  query.SetFrom("PD44_DATAREG", std::string("@mese-scorso"));
  query.SetFrom("PD44_CODFASE_PD12", std::string("10"));
  query.SetOnwards("PD44_CODFASE_PD12", true);
  query.SetFrom("PD44_CODFORNREP", std::string("R01"));
  query.SetTo("PD44_CODFORNREP", std::string("R03"));
  order.SetGrouping({"Reparto", "Mese reg.vers."});
  return CaptureQuery("Reparti \"mese\"/scorso", query, order, kMinutiDecimali, true, false);
}

TEST(SavedQuery, WrittenAndReadBackIntoFreshControls) {
  const SavedQuery saved = Example();
  EXPECT_EQ(SavedQueryJson(saved),
            "{\n"
            " \"name\": \"Reparti \\\"mese\\\"/scorso\",\n"
            " \"conditions\": [\n"
            "  {\n   \"field\": \"PD44_DATAREG\",\n   \"caption\": \"Data reg.vers.\",\n"
            "   \"from\": \"@mese-scorso\",\n   \"to\": \"\",\n   \"onwards\": false\n  },\n"
            "  {\n   \"field\": \"PD44_CODFASE_PD12\",\n   \"caption\": \"Fase\",\n   \"from\": \"10\",\n"
            "   \"to\": \"\",\n   \"onwards\": true\n  },\n"
            "  {\n   \"field\": \"PD44_CODFORNREP\",\n   \"caption\": \"Reparto\",\n   \"from\": \"R01\",\n"
            "   \"to\": \"R03\",\n   \"onwards\": false\n  }\n"
            " ],\n"
            " \"grouping\": [\n  \"PD44_CODFORNREP\",\n  \"MESEREGVERS\"\n ],\n"
            " \"unit\": \"mm,mm\",\n \"exclude_wait\": true,\n \"exclude_queue\": false\n}\n");
  const SavedQuery back = SavedQueryFromJson(SavedQueryJson(saved));
  EXPECT_EQ(SavedQueryJson(back), SavedQueryJson(saved));
  // The closed states and the tolerance, when set, travel with it.
  SavedQuery closing = saved;
  closing.closed_states = {9, 10};
  closing.tolerance = 7.5;
  const std::string closing_json = SavedQueryJson(closing);
  EXPECT_NE(closing_json.find(" \"closed_states\": [\n  9,\n  10\n ],\n \"tolerance\": 7.5\n}"), std::string::npos)
      << closing_json;
  const SavedQuery closing_back = SavedQueryFromJson(closing_json);
  EXPECT_EQ(closing_back.closed_states, (std::vector<int64_t>{9, 10}));
  EXPECT_EQ(closing_back.tolerance, 7.5);

  auto [query, order] = Controls();
  query.SetFrom("DO11_NUMDOC", std::string("7"));  // replaced, not kept
  ApplyQuery(back, query, order);
  EXPECT_EQ(query.FromValue("PD44_DATAREG").ToText(), "@mese-scorso");
  EXPECT_TRUE(query.Onwards("PD44_CODFASE_PD12"));
  EXPECT_EQ(query.ToValue("PD44_CODFORNREP").ToText(), "R03");
  EXPECT_TRUE(query.FromValue("DO11_NUMDOC").IsEmpty());
  EXPECT_EQ(order.GroupingText(), "GROUP BY PD44_CODFORNREP, MESEREGVERS");
}

TEST(SavedQuery, KeptPerDatabaseAndCompany) {
  testing::TempDir dir;
  const std::string root = dir.File("ricerche");
  const std::string db = dir.File("a.db");
  std::ofstream(db) << "x";
  const SavedQueryStore store(root, db, "1");
  EXPECT_TRUE(store.Names().empty());
  store.Save(Example());
  SavedQuery other = Example();
  other.name = "Altra";
  store.Save(other);
  EXPECT_EQ(store.Names(), (std::vector<std::string>{"Altra", "Reparti \"mese\"/scorso"}));
  ASSERT_TRUE(store.Load("Reparti \"mese\"/scorso").has_value());
  EXPECT_EQ(store.Load("Reparti \"mese\"/scorso")->unit, kMinutiDecimali);
  EXPECT_FALSE(store.Load("Nessuna").has_value());
  // The same file by another path is the same database; another company or file is not.
  EXPECT_EQ(SavedQueryStore(root, dir.File(".") + "/a.db", "1").Names().size(), 2U);
  EXPECT_TRUE(SavedQueryStore(root, db, "2").Names().empty());
  EXPECT_TRUE(SavedQueryStore(root, dir.File("b.db"), "1").Names().empty());
  EXPECT_TRUE(store.Remove("Altra"));
  EXPECT_FALSE(store.Remove("Altra"));
  EXPECT_EQ(store.Names().size(), 1U);
}

TEST(SavedQuery, WhatIsNoQueryIsRefusedByName) {
  const auto refused = [](const std::string& text) {
    try {
      SavedQueryFromJson(text);
    } catch (const host::Error& e) {
      return std::string(e.what());
    }
    return std::string("accepted");
  };
  const std::pair<const char*, const char*> refusals[] = {
      {"not json", "no JSON object"}, {"{}", "\"name\" is missing"}, {R"({"name": 3})", "\"name\" is not a text"},
      {R"({"name": "a", "conditions": [{"from": "1"}]})", "\"field\" is missing"},
      {R"({"name": "a", "unit": "days"})", "the unit"}, {R"({"name": "a", "closed_states": ["9"]})", "closed state"},
      {R"({"name": "a", "tolerance": -1})", "\"tolerance\""}};
  for (const auto& [text, said] : refusals) EXPECT_NE(refused(text).find(said), std::string::npos) << text;
  EXPECT_EQ(refused(R"({"name": "a"})"), "accepted");

  SavedQuery unknown = Example();
  unknown.conditions.push_back({"NO_SUCH_COLUMN", "", "1", "", false});
  auto [query, order] = Controls();
  EXPECT_THROW(ApplyQuery(unknown, query, order), host::Error);
}

}  // namespace
}  // namespace engine
