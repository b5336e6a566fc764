// A statement's whole numbers and texts are stored without a Variant: each
// typed setter must keep what Set with the same value keeps, or refuse it
// with the same error, in every kind of column.
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "host/recordset/column.h"
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

// What a cell holds after `store`, or the error it refused with.
std::string Kept(Column& cell, const std::function<void()>& store) {
  try {
    store();
    const Variant v = cell.Get(0);
    return std::to_string(static_cast<int>(v.Type())) + ":" + (v.IsNull() || v.IsEmpty() ? "" : v.ToText());
  } catch (const Error& e) {
    return "error " + std::to_string(e.Number());
  }
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

}  // namespace
}  // namespace host
