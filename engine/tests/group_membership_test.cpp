// Every group's bookings found in one pass are exactly the rows its filter
// keeps, on a table whose values collide under "= NULL".
#include "engine/group_membership.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host/recordset/recordset.h"
#include "host/value/error.h"

namespace engine {
namespace {

// Article (text), sequence (whole number), and a note the filters never use.
host::RecordSetPtr Bookings() {
  auto rs = host::RecordSet::Create();
  rs->AppendField({"ART", host::FieldType::Text, 20});
  rs->AppendField({"SEQ", host::FieldType::Integer});
  rs->AppendField({"NOTE", host::FieldType::Text, 20});
  rs->Open();
  const std::vector<std::vector<host::Variant>> rows = {
      {std::string("A1"), int32_t{10}, std::string("r0")},  {std::string("a1 "), int32_t{10}, std::string("r1")},
      {host::Variant::Null(), int32_t{10}, std::string("r2")}, {std::string(""), int32_t{10}, std::string("r3")},
      {std::string("   "), int32_t{0}, std::string("r4")},   {std::string("A1"), host::Variant::Null(), std::string("r5")},
      {std::string("A1"), int32_t{0}, std::string("r6")},    {std::string("A2"), int32_t{-1}, std::string("r7")},
      {std::string("A9"), int32_t{10}, std::string("r8")},
  };
  for (const auto& row : rows) {
    rs->AddNew();
    for (size_t f = 0; f < row.size(); ++f) rs->SetValue(f, row[f]);
    rs->Update();
  }
  return rs;
}

// The storage rows a record set's filter keeps.
std::vector<uint32_t> Filtered(host::RecordSet& rs, const std::string& filter) {
  rs.SetFilter(filter);
  std::vector<uint32_t> rows;
  for (rs.MoveFirst(); !rs.Eof(); rs.MoveNext()) rows.push_back(static_cast<uint32_t>(rs.StorageRow()));
  return rows;
}

TEST(GroupMembership, EachGroupKeepsTheRowsOfItsFilter) {
  auto rs = Bookings();
  const std::vector<std::string> filters = {
      "ART = 'A1' AND SEQ = 10",                      // case and trailing blanks ignored: rows 0, 1
      "SEQ = 10 AND ART = NULL",                      // Null and blank alike: rows 2, 3 (another order)
      "ART = NULL AND SEQ = NULL",                    // blank text beside 0: row 4
      "ART = 'A1' AND SEQ = NULL AND SEQ IS NULL",    // exact Null: row 5
      "ART = 'A1' AND SEQ = NULL AND SEQ = 0",        // exact 0: row 6
      "ART = 'A2' AND SEQ = NULL",                    // a number below 0 is Null-like: row 7
      "ART = 'A1' AND SEQ = 99",                      // nothing
      "SEQ = 10 AND NOTE = 'r8'",                     // other columns: asked of the filter
      "ART = 'A9' AND SEQ = 10 OR ART = 'A2' AND SEQ = -1",  // another shape: rows 7, 8
      "",                                             // every row
      "ART = 'A1' AND SEQ = 10",                      // the same filter twice: the same rows
  };
  GroupMembership membership(rs->Storage());
  for (const auto& f : filters) membership.AddGroup(f);
  EXPECT_TRUE(membership.RowsOf(0).empty());  // nothing before the pass
  size_t steps = 0;
  while (!membership.Assign(2)) ++steps;
  EXPECT_EQ(steps, 4U);  // nine rows, two at a time
  for (size_t g = 0; g < filters.size(); ++g) {
    const auto rows = membership.RowsOf(g);
    EXPECT_EQ(std::vector<uint32_t>(rows.begin(), rows.end()), Filtered(*rs, filters[g])) << filters[g];
  }
  const auto first = membership.RowsOf(0);
  EXPECT_EQ(std::vector<uint32_t>(first.begin(), first.end()), (std::vector<uint32_t>{0, 1}));
  const auto other_shape = membership.RowsOf(8);
  EXPECT_EQ(std::vector<uint32_t>(other_shape.begin(), other_shape.end()), (std::vector<uint32_t>{7, 8}));
  EXPECT_EQ(membership.RowsOf(9).size(), 9U);
  EXPECT_TRUE(membership.RowsOf(6).empty());
}

TEST(GroupMembership, ABadFilterIsRefusedAsTheRecordSetRefusesIt) {
  auto rs = Bookings();
  GroupMembership membership(rs->Storage());
  EXPECT_THROW(membership.AddGroup("NOPE = 1"), host::Error);
  EXPECT_THROW(membership.AddGroup("ART = "), host::Error);
  EXPECT_EQ(membership.Groups(), 0U);
  EXPECT_TRUE(membership.Assign(100));
}

}  // namespace
}  // namespace engine
