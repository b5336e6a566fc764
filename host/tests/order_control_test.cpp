// The order control on items of its own: the initial use of each item, a
// grouping chosen by caption or column (blanks, case, repeats, unknown
// names), moves at the ends, and its state kept as text.
#include "host/controls/order_control.h"

#include <gtest/gtest.h>

#include "host/value/error.h"

namespace host {
namespace {

// Four items: A groups (G); B is selected (O only); C and D are left out.
void AddItems(OrderControl& order) {
  int16_t n = 1;
  order.AddField("G", "Articolo", "T.A", true, n, 0, true, false, true, 0);
  order.AddField("G", "Reparto", "T.B", false, n, 0, true, false, true, 0);
  order.AddField("G", "Macchina", "T.C", false, n, 0, true, false, false, 0);
  order.AddField("G", "Fase", "T.D", false, n, 0, true, false, false, 0);
}

class Grouping : public ::testing::Test {
 protected:
  void SetUp() override { AddItems(order_); }
  std::vector<std::string> Columns() const {
    std::vector<std::string> out;
    for (const auto& item : order_.Items()) out.push_back(item.column);
    return out;
  }
  OrderControl order_;
};

TEST_F(Grouping, EachItemStartsAsItsSettingsSay) {
  ASSERT_EQ(order_.Items().size(), 4U);
  EXPECT_EQ(order_.Items()[0].use, OrderControl::Use::Grouping);
  EXPECT_EQ(order_.Items()[1].use, OrderControl::Use::Selected);
  EXPECT_EQ(order_.Items()[2].use, OrderControl::Use::LeftOut);
  EXPECT_EQ(order_.GroupingText(), "GROUP BY T.A");
  EXPECT_EQ(order_.OrderingText(), "ORDER BY T.A, T.B");
  order_.SetOrdered(false);
  EXPECT_EQ(order_.OrderingText(), "");
}

TEST_F(Grouping, NamesByCaptionOrColumnInTheOrderGiven) {
  order_.SetGrouping({" fase ", "t.c"});
  EXPECT_EQ(order_.GroupingText(), "GROUP BY T.D, T.C");
  EXPECT_EQ(Columns(), (std::vector<std::string>{"T.D", "T.C", "T.A", "T.B"}));
  EXPECT_EQ(order_.Items()[2].use, OrderControl::Use::Selected);  // A grouped before: now selected
  // The same field twice groups once.
  order_.SetGrouping({"Reparto", "REPARTO", "T.B"});
  EXPECT_EQ(order_.GroupingText(), "GROUP BY T.B");
  EXPECT_EQ(order_.Items().size(), 4U);
  // An unknown name changes nothing.
  EXPECT_THROW(order_.SetGrouping({"Fase", "Nessuno"}), Error);
  EXPECT_EQ(order_.GroupingText(), "GROUP BY T.B");
  // No grouping at all.
  order_.SetGrouping({});
  EXPECT_EQ(order_.GroupingText(), "");
}

TEST_F(Grouping, MovesWithinTheListOnly) {
  order_.Move(0, 3);
  EXPECT_EQ(Columns(), (std::vector<std::string>{"T.B", "T.C", "T.D", "T.A"}));
  order_.Move(3, 0);
  EXPECT_EQ(Columns(), (std::vector<std::string>{"T.A", "T.B", "T.C", "T.D"}));
  order_.Move(0, 4);  // out of range: nothing
  order_.Move(7, 0);
  order_.Move(2, 2);
  EXPECT_EQ(Columns(), (std::vector<std::string>{"T.A", "T.B", "T.C", "T.D"}));
}

TEST_F(Grouping, TheStateAsTextRestoresOrderUseAndUnknownItemsStayLast) {
  order_.SetUse("T.C", OrderControl::Use::Grouping);
  order_.Move(2, 0);
  order_.SetOrdered(false);
  const std::string saved = order_.SaveState();
  OrderControl fresh;
  AddItems(fresh);
  fresh.RestoreState(saved);
  EXPECT_EQ(fresh.GroupingText(), "GROUP BY T.C, T.A");
  EXPECT_EQ(fresh.OrderingText(), "");
  // A state of another version: unknown columns, repeats and garbage; the
  // items it does not name keep their use, after the ones it names.
  fresh.RestoreState("ordered\nT.X\t2\nT.D\t2\nT.D\t0\nrubbish\n");
  EXPECT_EQ(fresh.GroupingText(), "GROUP BY T.D, T.C, T.A");
  EXPECT_EQ(fresh.Items().size(), 4U);
  EXPECT_EQ(fresh.Items()[0].column, "T.D");
}

}  // namespace
}  // namespace host
