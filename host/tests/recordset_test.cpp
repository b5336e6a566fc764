#include "host/recordset/int_storage.h"
#include "host/recordset/recordset.h"

#include <gtest/gtest.h>

#include "host/value/error.h"

namespace host {
namespace {

// IDGRUPPO decimal(12,0), NOME text(10), QTA decimal(14,3), NOTE variant.
RecordSetPtr Sample() {
  auto rs = RecordSet::Create();
  rs->AppendField(DecimalField("IDGRUPPO", 12, 0));
  rs->AppendField(TextField("NOME", 10));
  rs->AppendField(DecimalField("QTA", 14, 3));
  rs->AppendField(VariantField("NOTE"));
  rs->Open();
  return rs;
}

void Add(RecordSet& rs, int group, const Variant& name) {
  rs.AddNew();
  rs.SetValue("IDGRUPPO", int32_t{group});
  rs.SetValue("NOME", name);
  rs.Update();
}

TEST(RecordSet, OpensEmptyAtBofAndEof) {
  auto rs = Sample();
  EXPECT_TRUE(rs->Bof());
  EXPECT_TRUE(rs->Eof());
  EXPECT_EQ(rs->RecordCount(), 0U);
  EXPECT_EQ(rs->AbsolutePosition(), RecordSet::kPosUnknown);
  EXPECT_EQ(rs->FieldIndex("nome"), 1);
  EXPECT_EQ(rs->FieldIndex("MISSING"), -1);
  try {
    (void)rs->Value("NOME");
    FAIL();
  } catch (const Error& e) {
    EXPECT_EQ(e.Number(), kErrNoCurrentRecord);
  }
  EXPECT_THROW(rs->AppendField(TextField("LATE", 1)), Error);
}

TEST(RecordSet, StoresValuesByFieldRules) {
  auto rs = Sample();
  rs->AddNew();
  EXPECT_TRUE(rs->Value("NOME").IsNull());  // a new record holds Nulls
  rs->SetValue("QTA", 2.34567);
  EXPECT_EQ(rs->Value("QTA").ToText(), "2.346");  // rounded to the field's scale
  EXPECT_EQ(rs->Value("QTA").Type(), VarType::Decimal);
  rs->SetValue("QTA", "-1.0005");
  EXPECT_EQ(rs->Value("QTA").ToText(), "-1.001");  // half away from zero
  rs->SetValue("NOTE", "0:05:07");
  EXPECT_EQ(rs->Value("NOTE").Text(), "0:05:07");
  rs->SetValue("NOTE", *Decimal::Parse("-3.36"));
  EXPECT_EQ(rs->Value("NOTE").Type(), VarType::Decimal);
  EXPECT_EQ(rs->Value("NOTE").ToText(), "-3.36");
  rs->SetValue("NOTE", Variant());
  EXPECT_TRUE(rs->Value("NOTE").IsEmpty());
  rs->Update();
  EXPECT_EQ(rs->RecordCount(), 1U);
}

// A whole record at once: stored by the same rules, current, and inside a
// filter's view; a refused value is Null and said once the record is in.
TEST(RecordSet, AddRecordStoresAWholeRecordAsTheFieldsWouldOneByOne) {
  auto rs = Sample();
  Add(*rs, 1, "A");
  rs->SetFilter("IDGRUPPO = 1");
  const Variant values[] = {int32_t{1}, "B", 2.34567, Variant()};
  rs->AddRecord(values);
  EXPECT_EQ(rs->RecordCount(), 2U);  // the view gains it, as AddNew's
  EXPECT_EQ(rs->AbsolutePosition(), 2);
  EXPECT_EQ(rs->Value("NOME").Text(), "B");
  EXPECT_EQ(rs->Value("QTA").ToText(), "2.346");
  EXPECT_TRUE(rs->Value("NOTE").IsEmpty());
  EXPECT_EQ(rs->Editing(), RecordSet::EditMode::None);
  const Variant refused[] = {int32_t{1}, "C", "abc", Variant::Null()};
  EXPECT_THROW(rs->AddRecord(refused), Error);
  EXPECT_EQ(rs->RecordCount(), 3U);
  EXPECT_EQ(rs->Value("NOME").Text(), "C");
  EXPECT_TRUE(rs->Value("QTA").IsNull());
  EXPECT_TRUE(rs->Value("NOTE").IsNull());
  try {
    rs->AddRecord(std::span<const Variant>(values, 3));
    FAIL();
  } catch (const Error& e) {
    EXPECT_EQ(e.Number(), kErrInvalidArgument);
  }
  EXPECT_EQ(rs->RecordCount(), 3U);
}

// Many fields at once: the same values as one at a time, texts found again
// in the pool (a thousand rows grow it past any cache of the look-ups).
TEST(RecordSet, SetValuesWritesAsSetValueAndRefusesAnUnknownFieldFirst) {
  auto many = Sample();
  auto single = Sample();
  for (int n = 0; n < 1000; ++n) {
    const std::string text = std::to_string(n % 300) + ":05:07";
    many->AddNew();
    const std::vector<RecordSet::FieldValue> values{
        {0, int32_t{n}}, {1, text.substr(0, 3)}, {2, 2.34567}, {3, text}, {3, text + "x"}};
    many->SetValues(values);
    single->AddNew();
    for (const auto& v : values) single->SetValue(v.field, v.value);
  }
  for (size_t row = 0; row < 1000; ++row) {
    for (size_t field = 0; field < 4; ++field) {
      ASSERT_EQ(many->ValueAt(row, field), single->ValueAt(row, field)) << row << " " << field;
    }
  }
  EXPECT_EQ(many->ValueAt(7, 3).Text(), "7:05:07x");  // the last value given for a field stays
  EXPECT_EQ(many->ValueAt(7, 2).ToText(), "2.346");     // by the field's rules
  const std::vector<RecordSet::FieldValue> bad{{1, "kept?"}, {9, int16_t{1}}};
  EXPECT_THROW(many->SetValues(bad), Error);
  EXPECT_EQ(many->Value("NOME").Text(), "99:");  // row 999 as it was: nothing written
}

TEST(RecordSet, MovesAndPositions) {
  auto rs = Sample();
  for (int i = 1; i <= 3; ++i) Add(*rs, i, "R" + std::to_string(i));
  int moves = 0;
  const int sub = rs->Subscribe([&](RecordSet&) { ++moves; });
  rs->MoveFirst();
  EXPECT_EQ(rs->AbsolutePosition(), 1);
  rs->MoveNext();
  rs->MoveNext();
  EXPECT_EQ(rs->Value("NOME").Text(), "R3");
  rs->MoveNext();
  EXPECT_TRUE(rs->Eof());
  EXPECT_FALSE(rs->Bof());
  EXPECT_EQ(rs->AbsolutePosition(), RecordSet::kPosEof);
  EXPECT_THROW(rs->MoveNext(), Error);
  rs->MoveLast();
  EXPECT_EQ(rs->AbsolutePosition(), 3);
  rs->MovePrevious();
  rs->MovePrevious();
  rs->MovePrevious();
  EXPECT_TRUE(rs->Bof());
  EXPECT_EQ(rs->AbsolutePosition(), RecordSet::kPosBof);
  rs->SetAbsolutePosition(2);
  EXPECT_EQ(rs->Value("IDGRUPPO").ToText(), "2");
  EXPECT_EQ(moves, 9);  // every move that succeeded, none for the failed one
  rs->Unsubscribe(sub);
  rs->MoveFirst();
  EXPECT_EQ(moves, 9);
}

TEST(RecordSet, FilterSeesRowsAddedAfterTheFirstFilter) {
  auto rs = Sample();
  Add(*rs, 1, "A");
  rs->SetFilter("IDGRUPPO = 2");
  EXPECT_EQ(rs->RecordCount(), 0U);
  rs->AddNew();  // stays visible under the filter until it is set again
  rs->SetValue("IDGRUPPO", int32_t{2});
  rs->Update();
  EXPECT_EQ(rs->RecordCount(), 1U);
  rs->SetFilter("IDGRUPPO = 2");
  EXPECT_EQ(rs->RecordCount(), 1U);
}

TEST(RecordSet, AFilterSetAgainReusesItsRowsUntilTheRowsChange) {
  auto rs = Sample();
  for (int i = 0; i < 6; ++i) Add(*rs, i % 3, "N" + std::to_string(i));
  rs->SetFilter("IDGRUPPO = 1");
  EXPECT_EQ(rs->RecordCount(), 2U);
  auto clone = rs->Clone();
  clone->SetFilter("IDGRUPPO = 2");
  clone->SetFilter("IDGRUPPO = 1");  // remembered: the same rows, the same order
  EXPECT_EQ(clone->RecordCount(), 2U);
  EXPECT_EQ(clone->Value("NOME").Text(), "N1");
  clone->MoveNext();
  EXPECT_EQ(clone->Value("NOME").Text(), "N4");
  // A written cell forgets every remembered selection.
  clone->SetValue("IDGRUPPO", int32_t{2});
  clone->Update();
  rs->SetFilter("IDGRUPPO = 1");
  EXPECT_EQ(rs->RecordCount(), 1U);
  // A bad filter leaves the record set as it was.
  EXPECT_THROW(rs->SetFilter("NOSUCHFIELD = 1"), Error);
  EXPECT_EQ(rs->Filter(), "IDGRUPPO = 1");
  EXPECT_EQ(rs->RecordCount(), 1U);
  // A record set that does not remember its filters leaves nothing in the
  // shared rows, and still reuses what another one remembered.
  auto once = rs->Clone();
  once->RememberFilters(false);
  once->SetFilter("IDGRUPPO = 0");
  EXPECT_EQ(once->RecordCount(), 2U);
  EXPECT_EQ(rs->Storage().RememberedSelection("IDGRUPPO = 0"), nullptr);
  once->SetFilter("IDGRUPPO = 1");
  EXPECT_EQ(once->RecordCount(), 1U);
  EXPECT_EQ(once->Value("NOME").Text(), "N1");
  EXPECT_NE(rs->Storage().RememberedSelection("IDGRUPPO = 1"), nullptr);
}

TEST(RecordSet, FindSearchesForwardFromTheCurrentRecord) {
  auto rs = Sample();
  Add(*rs, 1, "A");
  Add(*rs, 2, "B");
  Add(*rs, 1, "C");
  rs->MoveFirst();
  rs->Find("IDGRUPPO = 1");
  EXPECT_EQ(rs->Value("NOME").Text(), "A");  // the current record counts
  rs->Find("IDGRUPPO = 1", 1);
  EXPECT_EQ(rs->Value("NOME").Text(), "C");
  rs->Find("NOME = 'B'");
  EXPECT_TRUE(rs->Eof());  // B lies behind
  rs->MoveFirst();
  rs->Find("NOME = 'B'");
  EXPECT_EQ(rs->AbsolutePosition(), 2);
  rs->MoveFirst();
  rs->Find("IDGRUPPO > 1");
  EXPECT_EQ(rs->Value("NOME").Text(), "B");
  EXPECT_THROW(rs->Find("IDGRUPPO = 1 AND NOME = 'A'"), Error);
  // Under a filter the search stays inside it.
  rs->SetFilter("NOME <> 'A'");
  rs->Find("IDGRUPPO = 1");
  EXPECT_EQ(rs->Value("NOME").Text(), "C");
}

TEST(RecordSet, CloneSharesRowsWithItsOwnCursorAndFilter) {
  auto rs = Sample();
  Add(*rs, 1, "A");
  Add(*rs, 2, "B");
  Add(*rs, 1, "C");
  rs->SetFilter("IDGRUPPO = 1");
  rs->MoveLast();
  auto clone = rs->Clone();
  EXPECT_EQ(clone->RecordCount(), 2U);
  EXPECT_EQ(clone->AbsolutePosition(), 1);
  clone->SetFilter("");
  EXPECT_EQ(clone->RecordCount(), 3U);
  EXPECT_EQ(rs->RecordCount(), 2U);
  EXPECT_EQ(rs->Value("NOME").Text(), "C");
  clone->MoveFirst();
  clone->SetValue("NOME", "Z");  // the rows are shared
  clone->Update();
  rs->MoveFirst();
  EXPECT_EQ(rs->Value("NOME").Text(), "Z");
  clone->AddNew();
  clone->SetValue("IDGRUPPO", int32_t{7});
  clone->Update();
  rs->SetFilter("");
  EXPECT_EQ(rs->RecordCount(), 4U);
}

TEST(RecordSetStorage, ValuesSurviveTheColumnsWidening) {
  auto rs = RecordSet::Create();
  rs->AppendField(DecimalField("Q", 28, 6));
  rs->AppendField(VariantField("V"));
  rs->AppendField(TextField("T", 0));
  rs->Open();
  // Small values first (one byte each), then wider ones: earlier rows keep theirs.
  const std::vector<std::string> decimals{"1", "-2.5", "300.125", "70000.000001", "9999999999999.999999"};
  const std::vector<Variant> variants{
      int16_t{1}, "x", *Decimal::Parse("-1.25"), 3.5, int64_t{1} << 40, *Decimal::Parse("12345678901234567890.123")};
  for (size_t i = 0; i < variants.size(); ++i) {
    rs->AddNew();
    if (i < decimals.size()) rs->SetValue("Q", *Decimal::Parse(decimals[i]));
    rs->SetValue("V", variants[i]);
    rs->SetValue("T", std::string(i * 3, 'a'));
    rs->Update();
  }
  rs->MoveFirst();
  for (size_t i = 0; i < variants.size(); ++i, rs->MoveNext()) {
    if (i < decimals.size()) {
      EXPECT_EQ(rs->Value("Q").ToDecimal(), *Decimal::Parse(decimals[i])) << i;
    } else {
      EXPECT_TRUE(rs->Value("Q").IsNull());
    }
    EXPECT_EQ(rs->Value("V"), variants[i]) << i;
    EXPECT_EQ(rs->Value("T").Text(), std::string(i * 3, 'a'));
  }
}

TEST(RecordSetStorage, ManyValuesSurviveEveryWideningInPlace) {
  // Each widening re-encodes the values already stored where they lie; a
  // thousand rows of mixed signs at each width make any overlap show.
  IntStorage storage;
  std::vector<Int128> expected;
  const std::vector<Int128> wider{Int128{-300}, Int128{70000}, Int128{-5000000000LL},
                                  Int128{INT64_MAX} * 1000 + 7};
  for (const Int128 step : wider) {
    for (int i = 0; i < 1000; ++i) {
      const Int128 v = (i % 2 == 0 ? 1 : -1) * static_cast<Int128>(i % 120);
      storage.Push(v);
      expected.push_back(v);
    }
    storage.Push(step);
    expected.push_back(step);
  }
  storage.Set(3, wider.back() * -1);
  expected[3] = wider.back() * -1;
  ASSERT_EQ(storage.Size(), expected.size());
  for (size_t i = 0; i < expected.size(); ++i) ASSERT_TRUE(storage.Get(i) == expected[i]) << i;
}

TEST(RecordSetStorage, EveryValueAtTheEdgeOfAWidthComesBackWhole) {
  // Each width's last values and the first ones past it, both signs: a
  // width judged one too narrow cuts the value.
  std::vector<Int128> edges;
  for (const Int128 max : {Int128{INT8_MAX}, Int128{INT16_MAX}, Int128{INT32_MAX}, Int128{INT64_MAX}}) {
    for (const Int128 v : {max, max + 1, -max - 1, -max - 2}) edges.push_back(v);
  }
  for (const Int128 v : edges) {
    IntStorage storage;
    storage.Push(0);
    storage.Push(v);
    storage.Push(0);  // writes the held value out
    ASSERT_TRUE(storage.Get(1) == v) << static_cast<double>(v);
  }
}

TEST(RecordSetStorage, OneValueRepeatedTakesNoBytesUntilAnotherComes) {
  // A column every booking leaves at one value costs nothing; the first
  // other value, pushed or set, writes the repeated one out beside it.
  IntStorage pushed;
  for (int i = 0; i < 5000; ++i) pushed.Push(-7);
  pushed.Set(10, -7);
  EXPECT_EQ(pushed.MemoryBytes(), 0U);
  pushed.Push(300);
  EXPECT_EQ(pushed.MemoryBytes(), 0U);  // the last row is held apart
  pushed.Push(-7);
  ASSERT_EQ(pushed.Size(), 5002U);
  EXPECT_GE(pushed.MemoryBytes(), 5002U * 2);
  pushed.ShrinkToFit();  // a read that has ended keeps two bytes a value, no more
  EXPECT_EQ(pushed.MemoryBytes(), 5002U * 2);
  for (size_t i = 0; i < 5000; ++i) ASSERT_TRUE(pushed.Get(i) == -7) << i;
  EXPECT_TRUE(pushed.Get(5000) == 300);
  EXPECT_TRUE(pushed.Get(5001) == -7);

  // Rows are appended Null (0) and set at once: a column every booking fills
  // with its company's code takes nothing either.
  IntStorage coded;
  for (size_t row = 0; row < 5000; ++row) {
    coded.Push(0);
    coded.Set(row, 1);
  }
  coded.ShrinkToFit();
  EXPECT_EQ(coded.MemoryBytes(), 0U);
  EXPECT_TRUE(coded.Get(0) == 1);
  EXPECT_TRUE(coded.Get(4999) == 1);

  IntStorage set;
  for (int i = 0; i < 3; ++i) set.Push(Int128{INT64_MAX} * 4);
  set.Set(1, 1);
  EXPECT_TRUE(set.Get(0) == Int128{INT64_MAX} * 4);
  EXPECT_TRUE(set.Get(1) == 1);
  EXPECT_TRUE(set.Get(2) == Int128{INT64_MAX} * 4);
  set.PopBack();
  set.PopBack();
  set.Push(5);
  EXPECT_TRUE(set.Get(1) == 5);
}

// A row appended whole holds what AppendRow and a Set of each field would,
// costs a repeated value nothing, and comes whole even when a value cannot
// be stored.
TEST(RecordSetStorage, ARowAppendedWholeIsTheRowAppendedThenSet) {
  Table whole;
  Table set;
  for (Table* t : {&whole, &set}) {
    t->AddField(VariantField("V"));
    t->AddField(DecimalField("D", 4, 1));
    t->AddField(VariantField("SAME"));
  }
  const std::vector<Variant> values{int16_t{7}, *Decimal::Parse("-12.5"), std::string("0:05:07"), 2.5,
                                    Variant::Null(), Variant(), int64_t{INT64_MAX}};
  for (size_t i = 0; i < 700; ++i) {
    const std::vector<Variant> row{values[i % values.size()], *Decimal::Parse(std::to_string(i % 100) + ".25"),
                                   int16_t{3}};
    whole.AppendRow(row);
    const size_t at = set.AppendRow();
    for (size_t c = 0; c < row.size(); ++c) set.Set(at, c, row[c]);
  }
  ASSERT_EQ(whole.RowCount(), set.RowCount());
  for (size_t row = 0; row < whole.RowCount(); ++row) {
    for (size_t c = 0; c < 3; ++c) ASSERT_EQ(whole.Get(row, c), set.Get(row, c)) << row << " " << c;
  }
  EXPECT_EQ(whole.Get(1, 1).ToText(), "1.3");  // by the field's rules: 1.25 rounded half away
  whole.ShrinkToFit();
  EXPECT_EQ(whole.ColumnAt(2).MemoryBytes(), 0U);  // 3 on every row
  // "abc" is no decimal: the row still comes, Null there.
  const std::vector<Variant> no_number{int16_t{1}, std::string("abc"), int16_t{3}};
  EXPECT_THROW(whole.AppendRow(no_number), Error);
  ASSERT_EQ(whole.RowCount(), 701U);
  EXPECT_EQ(whole.Get(700, 0), Variant(int16_t{1}));
  EXPECT_TRUE(whole.Get(700, 1).IsNull());
  EXPECT_EQ(whole.Get(700, 2), Variant(int16_t{3}));
  const std::vector<Variant> short_row{int16_t{1}};
  EXPECT_THROW(whole.AppendRow(short_row), Error);  // one value per field
  EXPECT_EQ(whole.RowCount(), 701U);
}

TEST(RecordSetStorage, NullBitsTakeNoRoomUntilARowStaysNull) {
  // Rows are appended Null and given their value at once, column by column:
  // a column that never keeps a Null has no bits at all.
  NullBits nulls;
  for (size_t row = 0; row < 5000; ++row) {
    nulls.Set(row, true);
    nulls.Set(row, false);
  }
  EXPECT_EQ(nulls.MemoryBytes(), 0U);
  EXPECT_FALSE(nulls.Get(4999));
  nulls.Set(5000, true);  // stays Null
  nulls.Set(5001, true);
  nulls.Set(5001, false);
  EXPECT_TRUE(nulls.Get(5000));
  EXPECT_FALSE(nulls.Get(5001));
  EXPECT_GT(nulls.MemoryBytes(), 0U);
  nulls.Set(17, true);  // an earlier row made Null, then another row marked
  nulls.Set(5002, false);
  EXPECT_TRUE(nulls.Get(17));
  nulls.Set(17, false);
  nulls.Set(5000, false);  // both cleared, the first one in the bits
  EXPECT_FALSE(nulls.Get(17));
  EXPECT_FALSE(nulls.Get(5000));
  EXPECT_FALSE(nulls.Get(16));
  EXPECT_FALSE(nulls.Get(1000000));
}

}  // namespace
}  // namespace host
