#include "engine/value_helpers.h"
#include "engine/exact_sum.h"

#include <gtest/gtest.h>

#include <limits>
#include <vector>

#include "host/tests/fake_form.h"

namespace engine {
namespace {

using host::Decimal;
using host::Variant;
using host::testing::FakeForm;

TEST(Arrotonda, RoundsHalvesUpInBaseTenWithoutAForm) {
  EXPECT_DOUBLE_EQ(Arrotonda(2.345, 2).value, 2.35);
  EXPECT_DOUBLE_EQ(Arrotonda(1.005, 2).value, 1.01);
  EXPECT_DOUBLE_EQ(Arrotonda(2.5, 0).value, 3);
  EXPECT_DOUBLE_EQ(Arrotonda(-2.5, 0).value, -2);
  EXPECT_DOUBLE_EQ(Arrotonda(-2.51, 0).value, -3);
  EXPECT_DOUBLE_EQ(Arrotonda("59.5", 0).value, 60);
  EXPECT_DOUBLE_EQ(Arrotonda(*Decimal::Parse("-3.3611"), 2).value, -3.36);
  EXPECT_DOUBLE_EQ(Arrotonda(1250, -2).value, 1300);
  EXPECT_TRUE(Arrotonda(2.345, 2).status.diagnostics().empty());
}

TEST(Arrotonda, ANonNumericTextFailsUnderItsNameAndAnswersZero) {
  const auto text = Arrotonda("abc", 2);
  EXPECT_EQ(text.value, 0);
  EXPECT_TRUE(text.status.failed());
  ASSERT_EQ(text.status.diagnostics().size(), 1U);
  EXPECT_EQ(text.status.diagnostics()[0].procedure, "Arrotonda");
  EXPECT_EQ(text.status.diagnostics()[0].error.Number(), host::kErrTypeMismatch);
  EXPECT_EQ(Arrotonda(Variant::Null(), 2).value, 0);
  EXPECT_TRUE(Arrotonda(Variant::Null(), 2).status.failed());
  // Shown on a form, the failure reaches its error routine as before.
  FakeForm form;
  EXPECT_EQ(Reported(form, Arrotonda("abc", 2)), 0);
  EXPECT_EQ(form.errors, std::vector<std::string>{"Arrotonda"});
}

TEST(NVL, ReplacesMissingNullAndBlank) {
  EXPECT_EQ(NVL("   ", int32_t{7}).value, Variant(int32_t{7}));
  EXPECT_EQ(NVL(Variant::Null(), int32_t{7}).value, Variant(int32_t{7}));
  EXPECT_EQ(NVL(Variant(), int32_t{7}).value, Variant(int32_t{7}));
  EXPECT_EQ(NVL(int32_t{0}, int32_t{7}).value, Variant(int32_t{0}));
  EXPECT_EQ(NVL("0", int32_t{7}).value, Variant("0"));
  EXPECT_TRUE(NVL(Variant::Null(), int32_t{7}).status.ok());
}

TEST(Massimo, AnswersTheLargerNumberOrNothing) {
  EXPECT_TRUE(Massimo(int32_t{2}, "x").value.IsEmpty());
  const Variant three_a = int32_t{3};
  const Variant three_b = *Decimal::Parse("3.0");
  EXPECT_EQ(Massimo(three_a, three_b).value.Type(), host::VarType::Int32);  // a tie gives the first
  EXPECT_EQ(Massimo("10", int32_t{9}).value, Variant("10"));
  EXPECT_EQ(Massimo(int32_t{9}, "10").value, Variant("10"));
  EXPECT_TRUE(Massimo(Variant::Null(), int32_t{1}).value.IsEmpty());
  EXPECT_TRUE(Massimo(Variant::Null(), int32_t{1}).status.diagnostics().empty());
}

TEST(ValoreNumerico, IsBlankTolerant) {
  EXPECT_EQ(ValoreNumerico(Variant::Null()), Variant(int16_t{0}));
  EXPECT_EQ(ValoreNumerico("  "), Variant(int16_t{0}));
  EXPECT_EQ(ValoreNumerico("abc"), Variant(int16_t{0}));
  EXPECT_EQ(ValoreNumerico(" 12.5 ").Type(), host::VarType::Decimal);
  EXPECT_EQ(ValoreNumerico(" 12.5 ").ToText(), "12.5");
  EXPECT_EQ(ValoreNumerico(int32_t{4}).ToText(), "4");
  // Numbers of every kind come back as decimals; zero is a number, not a blank.
  EXPECT_EQ(ValoreNumerico(int16_t{0}).Type(), host::VarType::Decimal);
  EXPECT_EQ(ValoreNumerico(2.5).ToText(), "2.5");
  EXPECT_EQ(ValoreNumerico(host::Decimal::FromParts(-1050, 2)).ToText(), "-10.5");
  EXPECT_EQ(ValoreNumerico(std::numeric_limits<double>::quiet_NaN()), Variant(int16_t{0}));
}

// Told as CompareNumbers(ValoreNumerico(value), n) tells it, whatever the
// value's type: the quick paths for whole numbers and decimals included.
TEST(ValoreNumerico, ComparedWithAWholeNumberAsItsDecimalIs) {
  const std::vector<Variant> values = {Variant::Null(), Variant(), "", " 1 ", "abc", int16_t{0}, int16_t{1},
                                       int32_t{-1}, INT64_MIN, INT64_MAX, host::Decimal::FromParts(0, 3),
                                       host::Decimal::FromParts(100, 2), host::Decimal::FromParts(-1, 2),
                                       host::Decimal::FromParts(999, 3), 0.5, -2.0};
  for (const Variant& v : values) {
    for (const int16_t n : {int16_t{-1}, int16_t{0}, int16_t{1}}) {
      const int want = host::CompareNumbers(ValoreNumerico(v), n);
      EXPECT_EQ(CompareValueWith(v, n), want < 0 ? -1 : (want > 0 ? 1 : 0)) << v.JoinedText() << " against " << n;
    }
  }
}

TEST(RecordsetVuoto, TrueForMissingClosedOrEmpty) {
  EXPECT_TRUE(RecordsetVuoto(nullptr));
  auto rs = host::RecordSet::Create();
  rs->AppendField(host::TextField("A", 1));
  EXPECT_TRUE(RecordsetVuoto(rs));
  rs->Open();
  EXPECT_TRUE(RecordsetVuoto(rs));
  rs->AddNew();
  rs->Update();
  EXPECT_FALSE(RecordsetVuoto(rs));
  rs->MoveNext();  // at EOF but not BOF: still has records
  EXPECT_FALSE(RecordsetVuoto(rs));
}

// The group totals' typed sums must end where chaining host::Add from
// Int16 0 ends: the same value, type and scale, for each kind of value the
// chain can meet (the figures and every output read them back).
TEST(ExactSum, EndsWhereTheVariantAdditionsEnd) {
  const auto chained = [](const std::vector<Variant>& values) {
    Variant sum = int16_t{0};
    for (const Variant& v : values) sum = host::Add(sum, v);
    return sum;
  };
  const std::vector<std::vector<Variant>> cases = {
      {},
      {int16_t{0}},
      {int16_t{3}, int32_t{4}},
      {int32_t{2000000000}, int32_t{2000000000}},                       // past Int32: Int64
      {std::numeric_limits<int64_t>::max(), int16_t{1}, int16_t{-2}},  // past Int64: a decimal
      {*Decimal::Parse("1.5"), int16_t{2}, *Decimal::Parse("0.250")},  // the larger scale stays
      {int16_t{1}, *Decimal::Parse("2.00")},
      {*Decimal::Parse("1.5"), 0.25, *Decimal::Parse("1")},           // a double: Variant arithmetic on
      {int16_t{1}, Variant::Null(), int16_t{2}},
      // Decimals of one scale add on their coefficient; another scale or an
      // integer in between goes through the decimal addition.
      {*Decimal::Parse("1.25"), *Decimal::Parse("2.50"), *Decimal::Parse("-0.75"), int16_t{1},
       *Decimal::Parse("0.125"), *Decimal::Parse("0.001")},
      // Past the largest coefficient the sum rounds, as the addition does.
      {Decimal::FromParts(Decimal::kMaxCoefficient - 1, 2), Decimal::FromParts(7, 2)},
  };
  for (const auto& values : cases) {
    ExactSum sum;
    for (const Variant& v : values) sum.Add(v);
    const Variant expected = chained(values);
    const Variant got = sum.Value();
    ASSERT_EQ(got.Type(), expected.Type()) << values.size();
    if (expected.IsNull()) continue;
    EXPECT_EQ(got.ToText(), expected.ToText());
    if (expected.Type() == host::VarType::Decimal) {
      EXPECT_EQ(got.ToDecimal().Scale(), expected.ToDecimal().Scale());
    }
  }
}

}  // namespace
}  // namespace engine
