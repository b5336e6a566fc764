#include "engine/formato_db.h"

#include <gtest/gtest.h>

#include "host/tests/fake_form.h"

namespace engine {
namespace {

using host::Variant;
using host::testing::FakeForm;

// FormatoDB's literal with what it had to say shown on `form`, as the
// configuration queries show it.
Variant Shown(FakeForm& form, const Variant& value, int32_t kind, bool null_allowed) {
  return Reported(form, FormatoDB(value, kind, null_allowed, form.DateService(), form.NumberService()));
}

TEST(FormatoDB, ARefusalIsAMessageInTheStatusNotADialog) {
  host::PlainDateService dates;
  host::PlainNumberService numbers;
  const auto refused = FormatoDB(" ", kDbNumber, false, dates, numbers);
  EXPECT_TRUE(refused.value.IsEmpty());
  EXPECT_TRUE(refused.status.failed());
  ASSERT_EQ(refused.status.diagnostics().size(), 1U);
  const host::Diagnostic& d = refused.status.diagnostics()[0];
  EXPECT_EQ(d.kind, host::Diagnostic::Kind::kMessage);
  EXPECT_EQ(d.number, kMsgNullNumber);
}

TEST(FormatoDB, TextsAreQuotedWithQuotesDoubled) {
  FakeForm form;
  EXPECT_EQ(Shown(form, "O'Neil", kDbText, false), Variant("'O''Neil'"));
  EXPECT_EQ(Shown(form, "O'Neil", kDbUnicodeText, false), Variant("N'O''Neil'"));
  EXPECT_EQ(Shown(form, "'; DROP TABLE X; --", kDbText, true), Variant("'''; DROP TABLE X; --'"));
  EXPECT_EQ(Shown(form, "  ", kDbText, false), Variant("''"));
  EXPECT_EQ(Shown(form, Variant::Null(), kDbUnicodeText, false), Variant("''"));
}

TEST(FormatoDB, BlankWithNullAllowedIsNullForEveryKind) {
  FakeForm form;
  for (int32_t kind = 0; kind <= 5; ++kind) {
    EXPECT_EQ(Shown(form, Variant::Null(), kind, true), Variant("null")) << kind;
    EXPECT_EQ(Shown(form, "   ", kind, true), Variant("null")) << kind;
    EXPECT_EQ(Shown(form, Variant(), kind, true), Variant("null")) << kind;
  }
  EXPECT_TRUE(form.messages.empty());
}

TEST(FormatoDB, NumbersAndDates) {
  FakeForm form;
  EXPECT_EQ(Shown(form, "12.50", kDbDecimal, false).Type(), host::VarType::Decimal);
  EXPECT_EQ(Shown(form, "12.50", kDbDecimal, false).ToText(), "12.5");
  EXPECT_EQ(Shown(form, 3.25, kDbNumber, false), Variant("3.25"));
  EXPECT_EQ(Shown(form, "2026-03-07", kDbDate, false), Variant("'20260307'"));
  EXPECT_EQ(Shown(form, *host::DateTime::FromParts(2026, 3, 7, 8, 5, 9), kDbDate, false),
            Variant("'20260307 08:05:09'"));
  EXPECT_TRUE(Shown(form, "x", 9, false).IsEmpty());
  EXPECT_TRUE(form.messages.empty());
}

TEST(FormatoDB, BlankNotAllowedShowsTheMessage) {
  FakeForm form;
  EXPECT_TRUE(Shown(form, " ", kDbNumber, false).IsEmpty());
  EXPECT_TRUE(Shown(form, Variant::Null(), kDbDate, false).IsEmpty());
  EXPECT_TRUE(Shown(form, "31/02/2026", kDbDate, false).IsEmpty());
  ASSERT_EQ(form.messages.size(), 3U);
  EXPECT_EQ(form.messages[0].text,
            "[x52518x] Si sta tentando di assegnare il valore (numerico) null a un campo che non ammette null.");
  EXPECT_EQ(form.messages[0].buttons, 48);
  EXPECT_EQ(form.messages[0].title, "Ricerca ordini di lavorazione");
  EXPECT_EQ(form.messages[1].text,
            "[x52517x] Si sta tentando di assegnare il valore (data) null a un campo che non ammette null.");
  EXPECT_EQ(form.messages[2].text.substr(0, 10), "[x25382x] ");
  EXPECT_TRUE(form.errors.empty());
}

TEST(FormatoDB, ANonNumberIsReported) {
  FakeForm form;
  EXPECT_TRUE(Shown(form, "abc", kDbDecimal, false).IsEmpty());
  EXPECT_EQ(form.errors, std::vector<std::string>{"FormatoDB"});
}

}  // namespace
}  // namespace engine
