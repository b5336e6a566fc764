// The group filter's criteria, including what "= NULL" stands for.
#include <gtest/gtest.h>

#include "host/recordset/recordset.h"
#include "host/value/error.h"

namespace host {
namespace {

class GroupFilter : public ::testing::Test {
 protected:
  void SetUp() override {
    rs_ = RecordSet::Create();
    rs_->AppendField(TextField("A", 10));
    rs_->AppendField(DecimalField("B", 5, 0));
    rs_->AppendField(FieldDef{"C", FieldType::Date});
    rs_->AppendField(VariantField("V"));
    rs_->AppendField(FieldDef{"ID", FieldType::Integer});
    rs_->Open();
    // rows: 0 ("x", 3, 2026-01-05, Null) 1 ("  ", 0, Null, "") 2 (Null, -1, Null, 0)
    //       3 ("X  ", Null, 2026-01-05 10:00, "k") 4 ("O'Neil", 3, Null, 5)
    Row("x", int32_t{3}, "2026-01-05", Variant::Null());
    Row("  ", int32_t{0}, Variant::Null(), "");
    Row(Variant::Null(), int32_t{-1}, Variant::Null(), int32_t{0});
    Row("X  ", Variant::Null(), "2026-01-05 10:00:00", "k");
    Row("O'Neil", int32_t{3}, Variant::Null(), int32_t{5});
  }
  void Row(const Variant& a, const Variant& b, const Variant& c, const Variant& v) {
    rs_->AddNew();
    rs_->SetValue("ID", static_cast<int32_t>(rs_->Storage().RowCount() - 1));
    rs_->SetValue("A", a);
    rs_->SetValue("B", b);
    rs_->SetValue("C", c);
    rs_->SetValue("V", v);
    rs_->Update();
  }
  // The ID of every record the filter keeps, in order.
  std::vector<int> Rows(const char* filter) {
    rs_->SetFilter(filter);
    std::vector<int> ids;
    for (; !rs_->Eof(); rs_->MoveNext()) ids.push_back(rs_->Value("ID").ToInt32());
    return ids;
  }
  // Each filter keeps the rows listed.
  void Expect(std::initializer_list<std::pair<const char*, std::vector<int>>> filters) {
    for (const auto& [filter, ids] : filters) EXPECT_EQ(Rows(filter), ids) << filter;
  }
  RecordSetPtr rs_;
};

TEST_F(GroupFilter, EqualsNullMeansNullEmptyBlankOrNotPositive) {
  Expect({{"A = NULL", {1, 2}}, {"B = NULL", {1, 2, 3}}, {"C = NULL", {1, 2, 4}}, {"V = NULL", {0, 1, 2}},
          {"A = 'x' AND B = 3 AND C = NULL", {}}, {"A = 'x' AND B = NULL", {3}}, {"A <> NULL", {0, 3, 4}}});
}

TEST_F(GroupFilter, ValuesCompareInTheColumnsDomain) {
  Expect({{"A = 'X'", {0, 3}},  // case and trailing blanks ignored
          {"A = 'O''Neil'", {4}}, {"B = 3.000", {0, 4}}, {"B = 3.5", {}}, {"C = '2026-01-05'", {0}},
          {"C = #05/01/2026 10:00#", {3}}, {"V = 5", {4}}, {"V = 'K'", {3}}, {"B >= 0 AND B < 3", {1}},
          {"A LIKE 'o%'", {4}}, {"B = 3 OR A = NULL", {0, 1, 2, 4}}, {"(B = -1) OR (A = 'x')", {0, 2, 3}}});
}

TEST_F(GroupFilter, BadCriteriaAreErrorsNotCrashes) {
  for (const char* bad :
       {"A = 'open", "A =", "= 3", "A = 3 AND", "A = 3 XOR B = 1", "C = #nope#", "B = abc", "A > NULL", "(A = 1"}) {
    EXPECT_THROW(rs_->SetFilter(bad), Error) << bad;
  }
}

TEST_F(GroupFilter, IsNullTellsNullFromBlankAndZero) {
  Expect({{"A IS NULL", {2}}, {"B IS NULL", {3}}, {"A = ''", {1}} /* blank, not Null */, {"B = 0", {1}},
          {"B = NULL AND B IS NOT NULL", {1, 2}}});
}

// A column's equality index: a value equal however written, on either side
// of 64 bits, found in a run of equal keys and where the key comes back.
TEST(EqualityIndex, KeepsEveryRowOfAValueHoweverWrittenAndWhereverItLies) {
  const RecordSetPtr rs = RecordSet::Create();
  rs->AppendField(DecimalField("D", 28, 2));
  rs->AppendField(FieldDef{"ID", FieldType::Integer});
  rs->Open();
  const std::vector<Variant> values = {
      Variant(int32_t{5}), Variant(int32_t{5}), Variant(int32_t{7}), Variant(int32_t{7}), Variant(int32_t{5}),
      *Decimal::Parse("12.00"), Variant(int32_t{1200}), *Decimal::Parse("12"),
      // 99,999,999,999,999,999,999.5: a coefficient of 72 bits at two places.
      *Decimal::Parse("99999999999999999999.5"), *Decimal::Parse("-92233720368547758.07"),
      *Decimal::Parse("99999999999999999999.50"), Variant(int32_t{0})};
  for (size_t row = 0; row < values.size(); ++row) {
    rs->AddNew();
    rs->SetValue("ID", static_cast<int32_t>(row));
    rs->SetValue("D", values[row]);
    rs->Update();
  }
  const auto rows = [&](const char* filter) {
    rs->SetFilter(filter);
    std::vector<int> ids;
    for (; !rs->Eof(); rs->MoveNext()) ids.push_back(rs->Value("ID").ToInt32());
    return ids;
  };
  EXPECT_EQ(rows("D = 5"), (std::vector<int>{0, 1, 4}));
  EXPECT_EQ(rows("D = 7.0"), (std::vector<int>{2, 3}));
  EXPECT_EQ(rows("D = 12"), (std::vector<int>{5, 7}));
  EXPECT_EQ(rows("D = 1200.00"), (std::vector<int>{6}));
  EXPECT_EQ(rows("D = 99999999999999999999.5"), (std::vector<int>{8, 10}));
  EXPECT_EQ(rows("D = -92233720368547758.07"), (std::vector<int>{9}));
  EXPECT_EQ(rows("D = NULL"), (std::vector<int>{9, 11}));
}

// An id column: the index is sized from its first rows, and a key that
// comes back later, or in rows added after the first filter, is still found.
TEST(EqualityIndex, AnIdColumnFindsKeysThatComeBackAndRowsAddedLater) {
  const RecordSetPtr rs = RecordSet::Create();
  rs->AppendField(FieldDef{"ID", FieldType::Integer});
  rs->Open();
  const auto add = [&](int from, int to) {
    for (int id = from; id < to; ++id) {
      rs->AddNew();
      rs->SetValue("ID", id);
      rs->Update();
    }
  };
  add(0, 3000);
  add(0, 3000);  // every id again: twice the keys the first rows foretold
  const auto rows = [&](const char* filter) {
    rs->SetFilter(filter);
    std::vector<size_t> out;
    for (; !rs->Eof(); rs->MoveNext()) out.push_back(rs->StorageRow());
    return out;
  };
  EXPECT_EQ(rows("ID = 5"), (std::vector<size_t>{5, 3005}));
  EXPECT_EQ(rows("ID = 2999"), (std::vector<size_t>{2999, 5999}));
  rs->SetFilter("");
  add(2990, 12000);
  EXPECT_EQ(rows("ID = 2999"), (std::vector<size_t>{2999, 5999, 6009}));
  EXPECT_EQ(rows("ID = 11999"), (std::vector<size_t>{15009}));
  EXPECT_TRUE(rows("ID = 12000").empty());
  EXPECT_EQ(rows("ID = NULL"), (std::vector<size_t>{0, 3000}));  // 0 is not above 0
}

}  // namespace
}  // namespace host
