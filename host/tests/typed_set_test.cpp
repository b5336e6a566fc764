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

TEST(TypedSet, KeepsWhatSetKeeps) {
  const std::vector<int64_t> numbers{0, 7, -5, 40000, 3000000000, INT64_MAX, INT64_MIN};
  const std::vector<std::string> texts{"", "ab", "abcd", "\xC3\xA9", "  x", "12.5", "2026-12-06"};
  for (const FieldDef& field : EveryKindOfField()) {
    TextPool pool;
    auto typed = MakeColumn(field, pool);
    auto plain = MakeColumn(field, pool);
    typed->AppendNull();
    plain->AppendNull();
    for (const int64_t n : numbers) {
      EXPECT_EQ(Kept(*typed, [&] { typed->SetInteger(0, n); }), Kept(*plain, [&] { plain->Set(0, Variant(n)); }))
          << field.name << " <- " << n;
    }
    for (const std::string& t : texts) {
      EXPECT_EQ(Kept(*typed, [&] { typed->SetText(0, t); }), Kept(*plain, [&] { plain->Set(0, Variant(t)); }))
          << field.name << " <- '" << t << "'";
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

// Appending a row holding a value writes once what AppendNull and the set
// write in two: the same cell, or the same refusal with the row appended
// Null all the same (the next row goes where it would).
TEST(TypedAppend, KeepsWhatAppendNullAndSetKeep) {
  const std::vector<int64_t> numbers{0, 7, -5, 40000, 3000000000, INT64_MAX, INT64_MIN};
  const std::vector<std::string> texts{"", "ab", "abcd", "\xC3\xA9", "  x", "12.5", "2026-12-06"};
  const std::vector<Variant> values{Variant(),
                                    Variant::Null(),
                                    int16_t{7},
                                    2.675,
                                    Decimal::FromParts(-12345, 3),
                                    "ab",
                                    DateTime::FromSeconds(86400 * 3),
                                    Variant(true),
                                    "abcd"};
  for (const FieldDef& field : EveryKindOfField()) {
    TextPool pool;
    auto typed = MakeColumn(field, pool);
    auto plain = MakeColumn(field, pool);
    size_t row = 0;
    const auto compare = [&](const std::function<void()>& append, const std::function<void()>& set,
                             const std::string& what) {
      const std::string appended = Described([&] {
        append();
        return typed->Get(row);
      });
      const std::string kept = Described([&] {
        plain->AppendNull();
        set();
        return plain->Get(row);
      });
      EXPECT_EQ(appended, kept) << field.name << " <- " << what;
      EXPECT_EQ(Described([&] { return typed->Get(row); }), Described([&] { return plain->Get(row); }))
          << field.name << " <- " << what << ": the cell after";
      ++row;
    };
    for (const int64_t n : numbers) {
      compare([&] { typed->AppendInteger(row, n); }, [&] { plain->SetInteger(row, n); }, std::to_string(n));
    }
    for (const std::string& t : texts) {
      compare([&] { typed->AppendText(row, t); }, [&] { plain->SetText(row, t); }, "'" + t + "'");
    }
    for (const Variant& v : values) {
      compare([&] { typed->AppendValue(row, v); }, [&] { plain->Set(row, v); },
              v.IsNull() || v.IsEmpty() ? "null" : v.ToText());
    }
    // Every cell still where it was appended.
    for (size_t r = 0; r < row; ++r) {
      EXPECT_EQ(Described([&] { return typed->Get(r); }), Described([&] { return plain->Get(r); }))
          << field.name << " row " << r;
    }
  }
}

TEST(RowAppender, AppendsRowsAsAppendRowAndSetsWould) {
  Table appended;
  Table set;
  for (Table* t : {&appended, &set}) {
    t->AddField(FieldDef{"ID", FieldType::Integer});
    t->AddField(TextField("CODE", 3));
    t->AddField(DecimalField("QTY", 10, 2));
  }
  {
    RowAppender append(appended);
    append.Integer(1);
    append.Text("AB");
    append.Value(Decimal::FromParts(1250, 3));
    EXPECT_EQ(append.EndRow(), 0U);
    append.Null();
    append.Text("C");
    append.Integer(4);
    EXPECT_EQ(append.EndRow(), 1U);
    // A text too long for its field: Null there, refused, and the row goes on.
    append.Integer(3);
    EXPECT_THROW(append.Text("ABCD"), Error);
    append.Null();
    EXPECT_EQ(append.EndRow(), 2U);
  }
  set.AppendRow(std::vector<Variant>{int32_t{1}, "AB", Decimal::FromParts(1250, 3)});
  set.AppendRow(std::vector<Variant>{Variant::Null(), "C", int32_t{4}});
  set.AppendRow(std::vector<Variant>{int32_t{3}, Variant::Null(), Variant::Null()});
  ASSERT_EQ(appended.RowCount(), 3U);
  for (size_t r = 0; r < 3; ++r) {
    for (size_t c = 0; c < 3; ++c) {
      EXPECT_EQ(Described([&] { return appended.Get(r, c); }), Described([&] { return set.Get(r, c); }))
          << "row " << r << " column " << c;
    }
  }
  EXPECT_EQ(appended.Get(0, 2).ToText(), "1.25");
}

// A row left open (its read failed) is taken back whole; a row is closed
// only with a cell for every field, and has no more.
TEST(RowAppender, TakesBackARowLeftOpenAndRefusesAnUnevenRow) {
  Table table;
  table.AddField(FieldDef{"ID", FieldType::Integer});
  table.AddField(TextField("CODE", 0));
  {
    RowAppender append(table);
    append.Integer(1);
    append.Text("A");
    append.EndRow();
    append.Integer(2);
    EXPECT_THROW(append.EndRow(), Error);
    append.Text("B");
    EXPECT_THROW(append.Null(), Error);
    append.EndRow();
    append.Integer(3);  // left open
  }
  ASSERT_EQ(table.RowCount(), 2U);
  const size_t next = table.AppendRow();
  table.SetText(next, 1, "C");
  EXPECT_EQ(table.Get(1, 0).ToText(), "2");
  EXPECT_EQ(table.Get(1, 1).ToText(), "B");
  EXPECT_TRUE(table.Get(2, 0).IsNull());
  EXPECT_EQ(table.Get(2, 1).ToText(), "C");
}

}  // namespace
}  // namespace host
