#include "engine/value_helpers.h"

#include <gtest/gtest.h>

#include <limits>

#include "engine/tests/fake_form.h"

namespace engine {
namespace {

using host::Decimal;
using host::Variant;
using testing::FakeForm;

TEST(Arrotonda, RoundsHalvesUpInBaseTen) {
  FakeForm form;
  EXPECT_DOUBLE_EQ(Arrotonda(form, 2.345, 2), 2.35);
  EXPECT_DOUBLE_EQ(Arrotonda(form, 1.005, 2), 1.01);
  EXPECT_DOUBLE_EQ(Arrotonda(form, 2.5, 0), 3);
  EXPECT_DOUBLE_EQ(Arrotonda(form, -2.5, 0), -2);
  EXPECT_DOUBLE_EQ(Arrotonda(form, -2.51, 0), -3);
  EXPECT_DOUBLE_EQ(Arrotonda(form, "59.5", 0), 60);
  EXPECT_DOUBLE_EQ(Arrotonda(form, *Decimal::Parse("-3.3611"), 2), -3.36);
  EXPECT_DOUBLE_EQ(Arrotonda(form, 1250, -2), 1300);
  EXPECT_TRUE(form.errors.empty());
}

TEST(Arrotonda, ReportsANonNumericTextAndAnswersZero) {
  FakeForm form;
  EXPECT_EQ(Arrotonda(form, "abc", 2), 0);
  ASSERT_EQ(form.errors.size(), 1U);
  EXPECT_EQ(form.errors[0], "Arrotonda");
  EXPECT_EQ(Arrotonda(form, Variant::Null(), 2), 0);
  EXPECT_EQ(form.errors.size(), 2U);
}

TEST(NVL, ReplacesMissingNullAndBlank) {
  FakeForm form;
  EXPECT_EQ(NVL(form, "   ", int32_t{7}), Variant(int32_t{7}));
  EXPECT_EQ(NVL(form, Variant::Null(), int32_t{7}), Variant(int32_t{7}));
  EXPECT_EQ(NVL(form, Variant(), int32_t{7}), Variant(int32_t{7}));
  EXPECT_EQ(NVL(form, int32_t{0}, int32_t{7}), Variant(int32_t{0}));
  EXPECT_EQ(NVL(form, "0", int32_t{7}), Variant("0"));
}

TEST(Massimo, AnswersTheLargerNumberOrNothing) {
  FakeForm form;
  EXPECT_TRUE(Massimo(form, int32_t{2}, "x").IsEmpty());
  const Variant three_a = int32_t{3};
  const Variant three_b = *Decimal::Parse("3.0");
  EXPECT_EQ(Massimo(form, three_a, three_b).Type(), host::VarType::Int32);  // a tie gives the first
  EXPECT_EQ(Massimo(form, "10", int32_t{9}), Variant("10"));
  EXPECT_EQ(Massimo(form, int32_t{9}, "10"), Variant("10"));
  EXPECT_TRUE(Massimo(form, Variant::Null(), int32_t{1}).IsEmpty());
  EXPECT_TRUE(form.errors.empty());
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

}  // namespace
}  // namespace engine
