// Fields worked out from their row when read: the values a reader gets are
// the ones storing them would have kept, filters and searches see them, and
// a row's fields read one after the other cost one computation.
#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "host/recordset/recordset.h"
#include "host/value/error.h"

namespace host {
namespace {

// Row r: AMOUNT r / 3 (kept with 2 decimals), CODE "c<r>" (padded to 4),
// ANY r * 10 as a plain integer; row 3 has no ANY (Null).
class Thirds final : public RowFormula {
 public:
  void Compute(size_t row, std::span<Variant> values) const override {
    ++calls;
    values[0] = Decimal::FromInt(static_cast<int64_t>(row)) / Decimal::FromInt(3);
    values[1] = "c" + std::to_string(row);
    if (row != 3) values[2] = static_cast<int32_t>(row * 10);
  }
  mutable std::atomic<int> calls{0};
};

class ComputedFields : public ::testing::Test {
 protected:
  void SetUp() override {
    rs_ = RecordSet::Create();
    rs_->AppendField(FieldDef{"ID", FieldType::Integer});
    rs_->AppendField(DecimalField("AMOUNT", 10, 2));
    rs_->AppendField(CharField("CODE", 4));
    rs_->AppendField(VariantField("ANY"));
    rs_->Open();
    rs_->Storage().ComputeFields(1, {"amount", "CODE", "ANY"}, formula_);
    for (int32_t id = 0; id < 6; ++id) {
      rs_->AddNew();
      rs_->SetValue(size_t{0}, id);
      rs_->Update();
    }
    rs_->MoveFirst();
  }
  std::shared_ptr<Thirds> formula_ = std::make_shared<Thirds>();
  RecordSetPtr rs_;
};

TEST_F(ComputedFields, ValuesAreWhatTheFieldsTypesKeep) {
  rs_->Find("ID = 2");
  EXPECT_EQ(rs_->Value("AMOUNT").ToText(), "0.67");  // 2/3 rounded to the field's 2 decimals
  EXPECT_EQ(rs_->Value("CODE").ToText(), "c2  ");   // padded as a fixed character field
  EXPECT_EQ(rs_->Value("ANY").ToText(), "20");
  rs_->Find("ID = 3");
  EXPECT_TRUE(rs_->Value("ANY").IsNull());
  EXPECT_EQ(rs_->ValueAt(5, 1).ToText(), "1.67");
}

// A reader of every field (the command line's outputs) reads into values it
// keeps: it gets what Value gives, whatever the value held before.
TEST_F(ComputedFields, ReadingIntoAValueGivesWhatValueGives) {
  std::vector<Variant> into(rs_->FieldCount(), Variant("an earlier, longer text that is replaced"));
  for (rs_->MoveFirst(); !rs_->Eof(); rs_->MoveNext()) {
    for (size_t i = 0; i < rs_->FieldCount(); ++i) {
      rs_->ValueInto(i, into[i]);
      const Variant v = rs_->Value(i);
      EXPECT_EQ(into[i].Type(), v.Type()) << i;
      EXPECT_EQ(into[i].IsNull() ? "null" : into[i].ToText(), v.IsNull() ? "null" : v.ToText()) << i;
    }
  }
  EXPECT_THROW(rs_->ValueInto(rs_->FieldCount(), into[0]), Error);
}

TEST_F(ComputedFields, FiltersAndSearchesSeeThem) {
  rs_->SetFilter("AMOUNT = 1");  // row 3
  ASSERT_EQ(rs_->RecordCount(), 1U);
  EXPECT_EQ(rs_->Value("ID").ToText(), "3");
  rs_->SetFilter("CODE = 'C4'");  // folded and without trailing blanks, as stored texts compare
  ASSERT_EQ(rs_->RecordCount(), 1U);
  EXPECT_EQ(rs_->Value("ID").ToText(), "4");
  rs_->SetFilter("ANY = NULL");  // Null, or a number not above 0: rows 0 and 3
  EXPECT_EQ(rs_->RecordCount(), 2U);
  rs_->SetFilter("");
  rs_->Find("ANY = 50");
  EXPECT_EQ(rs_->Value("ID").ToText(), "5");
}

TEST_F(ComputedFields, ARowIsWorkedOutOnceForAllItsFields) {
  rs_->Find("ID = 4");
  formula_->calls = 0;
  for (int i = 0; i < 3; ++i) {
    (void)rs_->Value("AMOUNT");
    (void)rs_->Value("CODE");
    (void)rs_->Value("ANY");
  }
  EXPECT_EQ(formula_->calls, 1);
  EXPECT_EQ(rs_->Storage().MemoryBytes() < 4096, true);  // nothing stored per row for them
}

TEST_F(ComputedFields, WritingOrMakingThemLateIsRefused) {
  try {
    rs_->SetValue("AMOUNT", 1);
    FAIL() << "a computed field was written";
  } catch (const Error& e) {
    EXPECT_EQ(e.Number(), kErrOperationNotAllowed);
    EXPECT_STREQ(e.what(), "Field AMOUNT is worked out from its row and cannot be written");
  }
  // Rows exist: their stored values would be lost.
  EXPECT_THROW(rs_->Storage().ComputeFields(0, {"ID"}, formula_), Error);
  auto fresh = RecordSet::Create();
  fresh->AppendField(FieldDef{"ID", FieldType::Integer});
  fresh->Open();
  EXPECT_THROW(fresh->Storage().ComputeFields(0, {"OTHER"}, formula_), Error);  // not the field there
  EXPECT_THROW(fresh->Storage().ComputeFields(0, {"ID", "MORE"}, formula_), Error);  // past the last field
}

TEST_F(ComputedFields, ClonesOnOtherThreadsReadTheSameValues) {
  std::vector<std::string> seen(4);
  std::vector<std::thread> readers;
  for (size_t t = 0; t < seen.size(); ++t) {
    readers.emplace_back([&, t] {
      const auto mine = rs_->Clone();
      for (int pass = 0; pass < 200; ++pass) {
        std::string text;
        for (mine->MoveFirst(); !mine->Eof(); mine->MoveNext()) {
          text += mine->Value("AMOUNT").ToText() + mine->Value("CODE").ToText() + "|";
        }
        seen[t] = text;
      }
    });
  }
  for (auto& r : readers) r.join();
  for (const auto& text : seen) EXPECT_EQ(text, "0c0  |0.33c1  |0.67c2  |1c3  |1.33c4  |1.67c5  |");
}

// A filter builds its index once for the table; the texts' keys must mean
// the same on every thread that filters afterwards.
TEST_F(ComputedFields, AnIndexBuiltOnOneThreadAnswersOnAnother) {
  std::thread([&] { rs_->SetFilter("CODE = 'c4'"); }).join();
  ASSERT_EQ(rs_->RecordCount(), 1U);
  rs_->SetFilter("CODE = 'C2'");
  ASSERT_EQ(rs_->RecordCount(), 1U);
  EXPECT_EQ(rs_->Value("ID").ToText(), "2");
  std::thread([&] { rs_->SetFilter("CODE = 'c5  '"); }).join();
  ASSERT_EQ(rs_->RecordCount(), 1U);
  EXPECT_EQ(rs_->Value("ID").ToText(), "5");
}

}  // namespace
}  // namespace host
