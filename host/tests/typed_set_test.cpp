// A statement's whole numbers and texts are stored without a Variant: each
// typed setter must keep what Set with the same value keeps, or refuse it
// with the same error, in every kind of column; so must a computed value
// converted without storing it, and a row appended cell by cell.
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "host/recordset/column.h"
#include "host/recordset/recordset.h"
#include "host/recordset/row_appender.h"
#include "host/value/error.h"

namespace host {
namespace {

std::vector<FieldDef> EveryKindOfField() {
  FieldDef lenient = TextField("L", 3);
  lenient.lenient_size = true;
  return {DecimalField("D", 10, 2), DecimalField("E", 38, 20), FieldDef{"S", FieldType::SmallInt},
          FieldDef{"I", FieldType::Integer}, FieldDef{"B", FieldType::BigInt}, FieldDef{"O", FieldType::Boolean},
          FieldDef{"W", FieldType::Date}, FieldDef{"F", FieldType::Double}, CharField("C", 4), TextField("T", 3),
          TextField("U", 0), lenient, VariantField("V")};
}

// A value as type and text, or the error that refused it.
std::string Described(const std::function<Variant()>& read) {
  try {
    const Variant v = read();
    return std::to_string(static_cast<int>(v.Type())) + ":" + (v.IsNull() || v.IsEmpty() ? "" : v.ToText());
  } catch (const Error& e) {
    return "error " + std::to_string(e.Number());
  }
}

// What a cell holds after `store`, or the error it refused with.
std::string Kept(Column& cell, const std::function<void()>& store) {
  return Described([&] {
    store();
    return cell.Get(0);
  });
}

// ... and appending a row holding the value writes once what AppendNull and
// the set write in two: the same cell, or the same refusal with the row
// appended Null all the same (every later row where it would be).
TEST(TypedSet, KeepsWhatSetKeeps) {
  const std::vector<int64_t> numbers{0, 7, -5, 40000, 3000000000, INT64_MAX, INT64_MIN};
  const std::vector<std::string> texts{"", "ab", "abcd", "\xC3\xA9", "  x", "12.5", "2026-12-06"};
  const std::vector<Variant> values{Variant(), Variant::Null(), int16_t{7}, 2.675, Decimal::FromParts(-12345, 3),
                                    "ab", DateTime::FromSeconds(86400 * 3), Variant(true), "abcd"};
  for (const FieldDef& field : EveryKindOfField()) {
    TextPool pool;
    auto typed = MakeColumn(field, pool);
    auto plain = MakeColumn(field, pool);
    auto appended = MakeColumn(field, pool);
    auto set_after = MakeColumn(field, pool);
    typed->AppendNull();
    plain->AppendNull();
    size_t row = 0;
    const auto check = [&](const std::string& what, const std::function<void(Column&, size_t)>& typed_store,
                           const std::function<void(Column&, size_t)>& plain_store,
                           const std::function<void(Column&, size_t)>& append) {
      EXPECT_EQ(Kept(*typed, [&] { typed_store(*typed, 0); }), Kept(*plain, [&] { plain_store(*plain, 0); }))
          << field.name << " <- " << what;
      const std::string kept = Described([&] {
        set_after->AppendNull();
        plain_store(*set_after, row);
        return set_after->Get(row);
      });
      EXPECT_EQ(Described([&] {
                  append(*appended, row);
                  return appended->Get(row);
                }),
                kept)
          << field.name << " <- " << what << ", appended";
      ++row;
    };
    for (const int64_t n : numbers) {
      check(std::to_string(n), [&](Column& c, size_t r) { c.SetInteger(r, n); },
            [&](Column& c, size_t r) { c.Set(r, Variant(n)); }, [&](Column& c, size_t r) { c.AppendInteger(r, n); });
    }
    for (const std::string& t : texts) {
      check("'" + t + "'", [&](Column& c, size_t r) { c.SetText(r, t); },
            [&](Column& c, size_t r) { c.Set(r, Variant(t)); }, [&](Column& c, size_t r) { c.AppendText(r, t); });
    }
    for (const Variant& v : values) {
      check(v.IsNull() || v.IsEmpty() ? "null" : v.ToText(), [&](Column& c, size_t r) { c.Set(r, v); },
            [&](Column& c, size_t r) { c.Set(r, v); }, [&](Column& c, size_t r) { c.AppendValue(r, v); });
    }
    for (size_t r = 0; r < row; ++r) {
      EXPECT_EQ(Described([&] { return appended->Get(r); }), Described([&] { return set_after->Get(r); }))
          << field.name << " row " << r << " at the end";
    }
  }
}

// Computed values are converted without storing them: exactly what a cell of
// the field's type gives back, or the same refusal.
TEST(ColumnStored, IsWhatACellGivesBack) {
  const std::vector<Variant> values{Variant(),  Variant::Null(), int16_t{7}, 2.675, Decimal::FromParts(-12345, 3),
                                    "ab",       std::string("é"), DateTime::FromSeconds(86400 * 3), Variant(true),
                                    "abcd"};
  for (const FieldDef& field : EveryKindOfField()) {
    TextPool pool;
    auto cell = MakeColumn(field, pool);
    cell->AppendNull();
    for (const Variant& v : values) {
      EXPECT_EQ(Described([&] { return cell->Stored(v); }), Kept(*cell, [&] { cell->Set(0, v); }))
          << field.name << " <- " << (v.IsNull() || v.IsEmpty() ? "null" : v.ToText());
    }
  }
}

// A typed set on a row a filter has indexed makes the filter see the new
// value, as Set does.
TEST(TypedSet, AFilterSeesTheNewValue) {
  auto rs = RecordSet::Create();
  rs->AppendField(FieldDef{"ID", FieldType::Integer});
  rs->AppendField(TextField("CODE", 8));
  rs->Open();
  for (int32_t id = 1; id <= 3; ++id) {
    rs->AddNew();
    rs->SetValue(size_t{0}, id);
    rs->SetValue(size_t{1}, "A" + std::to_string(id));
    rs->Update();
  }
  rs->SetFilter("ID = 2 AND CODE = 'A2'");
  ASSERT_EQ(rs->RecordCount(), 1U);
  rs->Storage().SetInteger(1, 0, 7);
  rs->Storage().SetText(1, 1, "B7");
  rs->SetFilter("ID = 2");
  EXPECT_EQ(rs->RecordCount(), 0U);
  rs->SetFilter("ID = 7 AND CODE = 'b7'");
  ASSERT_EQ(rs->RecordCount(), 1U);
  EXPECT_EQ(rs->Value("CODE").ToText(), "B7");
}

// A row is closed only with a cell for every field; a refused value leaves
// its cell Null and the row goes on; a row left open (its read failed) is
// taken back whole.
TEST(RowAppender, ClosesWholeRowsOnlyAndTakesBackOneLeftOpen) {
  Table table;
  table.AddField(FieldDef{"ID", FieldType::Integer});
  table.AddField(TextField("CODE", 3));
  {
    RowAppender append(table);
    append.Integer(1);
    append.Text("A");
    EXPECT_EQ(append.EndRow(), 0U);
    append.Integer(2);
    EXPECT_THROW(append.EndRow(), Error);
    EXPECT_THROW(append.Text("ABCD"), Error);  // too long for CODE
    EXPECT_THROW(append.Null(), Error);        // no third field
    EXPECT_EQ(append.EndRow(), 1U);
    append.Integer(3);  // left open
  }
  ASSERT_EQ(table.RowCount(), 2U);
  const size_t next = table.AppendRow();
  table.SetText(next, 1, "C");
  EXPECT_EQ(table.Get(1, 0).ToText(), "2");
  EXPECT_TRUE(table.Get(1, 1).IsNull());
  EXPECT_TRUE(table.Get(2, 0).IsNull());
  EXPECT_EQ(table.Get(2, 1).ToText(), "C");
}

}  // namespace
}  // namespace host
