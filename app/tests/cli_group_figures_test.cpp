// Every group's figures as the results form works them out (in one pass over
// the bookings) are those that the command line prints for the same options:
// planned, booked and gap % of each of the seven categories.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "engine/category_texts.h"
#include "engine/group_figures.h"
#include "engine/tests/demo_db.h"
#include "app/tests/command_output.h"
#include "host/tests/fake_form.h"
#include "engine/tests/run_request.h"

namespace {

std::string Cli(const std::string& arguments) {
  const app::testing::Output out = app::testing::RunCli(arguments, app::testing::Errors::kDropped);
  EXPECT_EQ(out.status, 0) << arguments;
  return out.text;
}

// A JSON number as an exact decimal (its text), or Null.
host::Variant Number(const nlohmann::json& value) {
  if (value.is_null()) return host::Variant::Null();
  return host::Variant(host::Decimal::Parse(value.dump()).value());
}

void ExpectFiguresOfTheCommandLine(const std::string& db, const std::vector<std::string>& grouping, int unit) {
  const char* unit_option = unit == 0 ? "hh:mm:ss" : "hh,hh";
  std::string groups_option;
  for (const auto& g : grouping) groups_option += (groups_option.empty() ? "" : ",") + g;
  const auto printed = nlohmann::json::parse(Cli("run --db " + db + " --format json --unit " + unit_option +
                                                 (grouping.empty() ? "" : " --group " + groups_option)));

  host::testing::FakeForm form;
  engine::NoProgress progress;
  auto run = engine::Comparison::Make(
      form, engine::testing::RequestOn(db, grouping, static_cast<engine::TipoTempo>(unit)), progress);
  ASSERT_FALSE(run->Failed());
  engine::GroupFigures figures(*run);
  while (!figures.Step(16)) {
  }
  ASSERT_EQ(printed["groups"].size(), figures.Total());
  for (const auto& group : printed["groups"]) {
    const auto& fields = group["fields"];
    const host::Variant id = Number(fields["IDGRUPPO"]);
    const engine::CategoryFigures* f = figures.Of(id);
    ASSERT_NE(f, nullptr) << fields["IDGRUPPO"];
    for (size_t c = 0; c < engine::kCategoryNames.size(); ++c) {
      const std::string suffix(engine::kCategoryNames[c].suffix);
      const std::string what = "group " + fields["IDGRUPPO"].dump() + " category '" + suffix + "' unit " + unit_option;
      // The printed seconds are whole: the figures' are whole too under
      // hh:mm:ss, and hours of two decimals are whole seconds.
      EXPECT_EQ((*f)[c].planned.ToDecimal(), Number(fields["PREV_SEC" + suffix]).ToDecimal()) << what;
      EXPECT_EQ((*f)[c].booked.ToDecimal(), Number(fields["VERS_SEC" + suffix]).ToDecimal()) << what;
      const host::Variant percent = Number(fields["GAPPERC" + suffix]);
      const std::string text = engine::GapPercentText((*f)[c].planned, (*f)[c].booked);
      EXPECT_EQ(text, percent.IsNull() ? std::string() : percent.ToDecimal().ToFixed(2)) << what;
    }
  }
}

TEST(GroupFiguresOfTheCommandLine, DepartmentAndPhaseAndTheDefaultGroupingInBothUnits) {
  const std::string& db = engine::testing::DemoDatabase();
  for (const int unit : {0, 1}) {
    ExpectFiguresOfTheCommandLine(db, {"Reparto", "Fase"}, unit);
    ExpectFiguresOfTheCommandLine(db, {}, unit);
  }
}

}  // namespace
