// The record set at the edges of its values: Null, empty, blank, 0,
// negative, the largest values of each type and texts beyond ASCII, as
// filters, searches and storage meet them.
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "host/recordset/recordset.h"
#include "host/value/error.h"

namespace host {
namespace {

int ErrorOf(const std::function<void()>& action) {
  try {
    action();
  } catch (const Error& e) {
    return e.Number();
  }
  return 0;
}

class Edges : public ::testing::Test {
 protected:
  void SetUp() override {
    rs_ = RecordSet::Create();
    rs_->AppendField(FieldDef{"ID", FieldType::Integer});
    rs_->AppendField(TextField("T", 6));
    rs_->AppendField(DecimalField("D", 28, 6));
    rs_->AppendField(FieldDef{"B", FieldType::BigInt});
    rs_->AppendField(FieldDef{"S", FieldType::SmallInt});
    rs_->Open();
  }
  void Row(const Variant& t, const Variant& d, const Variant& b = Variant::Null()) {
    rs_->AddNew();
    rs_->SetValue("ID", static_cast<int32_t>(rs_->Storage().RowCount() - 1));
    rs_->SetValue("T", t);
    rs_->SetValue("D", d);
    rs_->SetValue("B", b);
    rs_->Update();
  }
  std::vector<int> Rows(const std::string& filter) {
    rs_->SetFilter(filter);
    std::vector<int> ids;
    for (; !rs_->Eof(); rs_->MoveNext()) ids.push_back(rs_->Value("ID").ToInt32());
    rs_->SetFilter("");
    return ids;
  }
  // Each filter keeps the rows listed.
  void Expect(std::initializer_list<std::pair<std::string, std::vector<int>>> filters) {
    for (const auto& [filter, ids] : filters) EXPECT_EQ(Rows(filter), ids) << filter;
  }
  RecordSetPtr rs_;
};

TEST_F(Edges, NumbersCompareByValueAtEveryScaleAndSign) {
  for (const char* d : {"0", "-0.000001", "2.5", "-2.50", "9999999999999999999999.999999"}) Row("n", *Decimal::Parse(d));
  Row("f", Variant::Null());
  Expect({{"D = 0", {0}}, {"D = 2.500000", {2}}, {"D = -2.5", {3}}, {"D < 0", {1, 3}}, {"D > 1000", {4}},
          {"D = 9999999999999999999999.999999", {4}},
          {"D = 2.5000001", {}},          // more decimals than the field keeps
          {"D IS NULL", {5}},
          {"D = NULL", {0, 1, 3, 5}},     // not greater than 0, or Null
          {"D <> 0", {1, 2, 3, 4}}});     // Null is neither equal nor different
}

TEST_F(Edges, TextsFoldCaseAndTrailingBlanksButNotLeadingOnes) {
  int32_t d = 0;
  for (const char* t : {"abc", "ABC  ", " abc", "", "O'K"}) Row(t, ++d);
  Expect({{"T = 'Abc'", {0, 1}}, {"T = ' ABC'", {2}}, {"T = ''", {3}}, {"T = 'O''K'", {4}}, {"T LIKE 'a*'", {0, 1}},
          {"T LIKE '%c'", {0, 1, 2}}, {"T = NULL", {3}}});  // blank means no value
}

TEST_F(Edges, TextsBeyondAsciiAreKeptAndFound) {
  // T holds six: "日本語" (three characters, nine bytes) fits only because
  // the size counts characters.
  Row("Città", 1);
  Row("Ünï", 2);
  Row("日本語", 3);
  EXPECT_EQ(rs_->ValueAt(0, 1).Text(), "Città");
  Expect({{"T = 'Città'", {0}}, {"T = '日本語'", {2}}});
  rs_->MoveFirst();
  rs_->Find("T = 'Ünï'");
  ASSERT_FALSE(rs_->Eof());
  EXPECT_EQ(rs_->Value("ID").ToInt32(), 1);
}

TEST_F(Edges, TheLargestValuesOfEachTypeFitAndOneMoreIsRefused) {
  rs_->AddNew();
  rs_->SetValue("B", std::numeric_limits<int64_t>::max());
  EXPECT_EQ(rs_->Value("B").ToInt64(), std::numeric_limits<int64_t>::max());
  rs_->SetValue("B", std::numeric_limits<int64_t>::min());
  EXPECT_EQ(rs_->Value("B").ToInt64(), std::numeric_limits<int64_t>::min());
  rs_->SetValue("S", int32_t{32767});
  EXPECT_EQ(rs_->Value("S").ToInt32(), 32767);
  EXPECT_EQ(ErrorOf([&] { rs_->SetValue("S", int32_t{32768}); }), kErrOverflow);
  EXPECT_EQ(rs_->Value("S").ToInt32(), 32767);  // a refused value leaves the cell
  EXPECT_EQ(ErrorOf([&] { rs_->SetValue("S", int32_t{-32769}); }), kErrOverflow);
  rs_->SetValue("ID", std::numeric_limits<int32_t>::min());
  EXPECT_EQ(rs_->Value("ID").ToInt32(), std::numeric_limits<int32_t>::min());
  EXPECT_EQ(ErrorOf([&] { rs_->SetValue("ID", int64_t{1} << 31); }), kErrOverflow);
  rs_->SetValue("T", "123456");
  EXPECT_EQ(ErrorOf([&] { rs_->SetValue("T", "1234567"); }), kErrValueTooLong);
  EXPECT_EQ(ErrorOf([&] { rs_->SetValue("D", "twelve"); }), kErrTypeMismatch);
  rs_->CancelUpdate();
  EXPECT_EQ(rs_->RecordCount(), 0U);
}

TEST_F(Edges, FindOnNothingAndPastTheEnd) {
  rs_->Find("T = 'x'");  // an empty set: at EOF, no error
  EXPECT_TRUE(rs_->Eof());
  for (const char* t : {"x", "y", "x"}) Row(t, 0);
  rs_->MoveFirst();
  rs_->Find("T = 'x'", 1);  // skip the current record: the next "x"
  ASSERT_FALSE(rs_->Eof());
  EXPECT_EQ(rs_->Value("ID").ToInt32(), 2);
  rs_->Find("T = 'y'", 1);  // nothing after the last record
  EXPECT_TRUE(rs_->Eof());
  EXPECT_EQ(ErrorOf([&] { rs_->Find("NOPE = 1"); }), kErrItemNotFound);
  EXPECT_EQ(ErrorOf([&] { rs_->SetFilter("T = 'open"); }), kErrBadFilter);
}

TEST_F(Edges, AFilterOverAWideningColumnSeesOldAndNewRows) {
  Row("a", 1, int64_t{1});
  EXPECT_EQ(Rows("B = 1"), (std::vector<int>{0}));
  Row("b", 2, std::numeric_limits<int64_t>::max());  // the column widens
  Row("c", 3, int64_t{-1});
  Expect({{"B = 1", {0}}, {"B = 9223372036854775807", {1}}, {"B < 0", {2}}, {"B = NULL", {2}}});
}

}  // namespace
}  // namespace host
