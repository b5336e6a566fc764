// The query control on fields of its own (no module's list): what each kind
// of value becomes in the condition text, at the edges (blank, quotes,
// pattern characters, negative and largest numbers, dates at the end of a
// day, texts beyond ASCII), and its state kept as text.
#include "host/controls/query_control.h"

#include <gtest/gtest.h>

#include "host/value/error.h"

namespace host {
namespace {

class Conditions : public ::testing::Test {
 protected:
  void SetUp() override {
    int16_t n = 1;
    // Text code (10), number, date; a state.
    query_.AddField("G", "Codice", "T.CODE", true, n, true, true, false, false, false, false, int16_t{10});
    query_.AddField("G", "Numero", "T.NUM", true, n, true, false, true, false, false, false);
    query_.AddField("G", "Data", "T.DAY", true, n, false, false, false, true, false, false);
    query_.AddState("G", "Stato", "S.ID", false, n, 6);
  }
  std::string With(const std::string& column, const std::string& from, const std::string& to = "",
                   bool onwards = false) {
    query_.ClearConditions();
    if (!from.empty()) query_.SetFrom(column, from);
    if (!to.empty()) query_.SetTo(column, to);
    query_.SetOnwards(column, onwards);
    return query_.ConditionText();
  }
  int ProblemKindOf(const std::string& column, const std::string& value) {
    const auto problem = query_.ProblemOf(column, value);
    return problem ? static_cast<int>(problem->kind) : -1;
  }
  QueryControl query_;
};

TEST_F(Conditions, TextsAreQuotedTrimmedOnTheRightAndMatchedLiterally) {
  EXPECT_EQ(With("T.CODE", "O'Neil"), " AND T.CODE = 'O''Neil'");
  EXPECT_EQ(With("T.CODE", "  AB  "), " AND T.CODE = '  AB'");  // leading blanks are part of a code
  EXPECT_EQ(With("T.CODE", "'; DROP--"), " AND T.CODE = '''; DROP--'");
  EXPECT_EQ(With("T.CODE", "100%_[x]"), " AND T.CODE = '100%_[x]'");  // no pattern: plain equality
  EXPECT_EQ(With("T.CODE", "Città"), " AND T.CODE = 'Città'");
  EXPECT_EQ(With("T.CODE", "   "), "");  // blank: no condition
}

TEST_F(Conditions, StarAndQuestionMarkArePatternsAndTheRestIsEscaped) {
  EXPECT_EQ(With("T.CODE", "A*"), " AND T.CODE LIKE 'A%' ESCAPE '!'");
  EXPECT_EQ(With("T.CODE", "?%_[!*"), " AND T.CODE LIKE '_!%!_![!!%' ESCAPE '!'");
  EXPECT_EQ(With("T.CODE", "*'*"), " AND T.CODE LIKE '%''%' ESCAPE '!'");
  // In a range a star at the end is every text that starts so: from the
  // lowest (the prefix itself) up to the highest.
  EXPECT_EQ(With("T.CODE", "A*", "B"), " AND T.CODE >= 'A' AND T.CODE <= 'B'");
  EXPECT_EQ(With("T.CODE", "ART001*", "ART002*"),
            " AND T.CODE >= 'ART001' AND (T.CODE <= 'ART002' OR T.CODE LIKE 'ART002%' ESCAPE '!')");
  EXPECT_EQ(With("T.CODE", "", "ART_0*"), " AND (T.CODE <= 'ART_0' OR T.CODE LIKE 'ART!_0%' ESCAPE '!')");
  EXPECT_EQ(With("T.CODE", "O'N*", "", true), " AND T.CODE >= 'O''N'");
}

// What a range's end, a text's length or a number's digits cannot be is
// refused with the field, the value and the reason; never taken otherwise.
TEST_F(Conditions, RangeEndsLengthsAndDigitsAreRefusedRatherThanTakenOtherwise) {
  const auto refused = [&](const std::string& column, const std::string& from, const std::string& to) {
    query_.ClearConditions();
    if (!from.empty()) query_.SetFrom(column, from);
    if (!to.empty()) query_.SetTo(column, to);
    query_.SetOnwards(column, to.empty());
    const auto problems = query_.Validate();
    std::string said;
    for (const auto& p : problems) said += p.message + (p.to_side ? " (to)" : " (from)");
    EXPECT_THROW((void)query_.ConditionText(), Error) << said;
    return said;
  };
  EXPECT_EQ(refused("T.CODE", "A?", "B"),
            "\"Codice\": 'A?' has '*' or '?' inside; a range's end takes '*' only at its end (from)");
  EXPECT_EQ(refused("T.CODE", "A", "B*C"),
            "\"Codice\": 'B*C' has '*' or '?' inside; a range's end takes '*' only at its end (to)");
  EXPECT_EQ(refused("T.CODE", "**", ""),
            "\"Codice\": '**' has '*' or '?' inside; a range's end takes '*' only at its end (from)");
  // Lengths in characters: ten accented letters fit a code of 10, eleven do not.
  EXPECT_EQ(With("T.CODE", "ÀÀÀÀÀÀÀÀÀÀ"), " AND T.CODE = 'ÀÀÀÀÀÀÀÀÀÀ'");
  EXPECT_EQ(refused("T.CODE", "", "èèèèèèèèèèè"), "\"Codice\": 'èèèèèèèèèèè' is longer than 10 characters (to)");
  // 28 significant digits pass; one more would be rounded by the database.
  EXPECT_EQ(With("T.NUM", "20.00000000000000000000000001"), " AND T.NUM = 20.00000000000000000000000001");
  EXPECT_EQ(refused("T.NUM", "0.000000000000000000000000000000001", ""),
            "\"Numero\": '0.000000000000000000000000000000001' has more than 28 digits (from)");
  EXPECT_EQ(With("T.NUM", "-007.50"), " AND T.NUM = -7.5");
  EXPECT_EQ(With("T.NUM", "20.000000000000000000000000000000"), " AND T.NUM = 20");
  EXPECT_EQ(refused("T.NUM", "20.0000000000000000000000000001", ""),
            "\"Numero\": '20.0000000000000000000000000001' has more than 28 digits (from)");
  const auto problem = query_.ProblemOf("T.NUM", std::string("12345678901234567890123456789"));
  ASSERT_TRUE(problem.has_value());
  EXPECT_EQ(problem->kind, QueryControl::ProblemKind::TooManyDigits);
  EXPECT_EQ(problem->limit, 28);
  // A long value is quoted cut, not whole.
  const std::string long_value(128 * 1024, 'x');
  EXPECT_EQ(query_.CheckValue("T.NUM", long_value).value_or(""),
            "\"Numero\": '" + std::string(60, 'x') + "…' is not a number");
}

// The last day there is has no next midnight: its whole day ends at its
// last second.
TEST_F(Conditions, TheLastDayThereIsIsAcceptedWholeDay) {
  EXPECT_EQ(With("T.DAY", "9999-12-31"), " AND T.DAY >= '99991231' AND T.DAY <= '99991231 23:59:59'");
  EXPECT_EQ(With("T.DAY", "2026-01-01", "31/12/9999"), " AND T.DAY >= '20260101' AND T.DAY <= '99991231 23:59:59'");
  EXPECT_EQ(ProblemKindOf("T.DAY", "9999-12-31"), -1);
}

TEST_F(Conditions, NumbersReadAsNumbersOnly) {
  EXPECT_EQ(With("T.NUM", "-5"), " AND T.NUM = -5");
  EXPECT_EQ(With("T.NUM", "0", "", true), " AND T.NUM >= 0");
  EXPECT_EQ(With("T.NUM", "", "99999999999999999999"), " AND T.NUM <= 99999999999999999999");
  EXPECT_EQ(With("T.NUM", "1.50", "2"), " AND T.NUM >= 1.5 AND T.NUM <= 2");
  EXPECT_THROW(With("T.NUM", "1; DELETE"), Error);
  EXPECT_THROW(With("T.NUM", "1*"), Error);  // no patterns on numbers
  EXPECT_EQ(ProblemKindOf("T.NUM", "dieci"), static_cast<int>(QueryControl::ProblemKind::NotANumber));
  EXPECT_EQ(ProblemKindOf("T.NUM", "  "), -1);  // blank passes: no condition
}

// Without a connection the dates are written as the server reads them in
// any language setting: YYYYMMDD.
TEST_F(Conditions, DatesTakeWholeDaysUnlessATimeIsGiven) {
  EXPECT_EQ(With("T.DAY", "31/12/2026"), " AND T.DAY >= '20261231' AND T.DAY < '20270101'");
  EXPECT_EQ(With("T.DAY", "2024-02-28", "2024-02-29"), " AND T.DAY >= '20240228' AND T.DAY < '20240301'");
  EXPECT_EQ(With("T.DAY", "", "2026-03-01 12:30:00"), " AND T.DAY <= '20260301 12:30:00'");
  EXPECT_EQ(With("T.DAY", "2026-03-01", "", true), " AND T.DAY >= '20260301'");
  EXPECT_EQ(ProblemKindOf("T.DAY", "2026-02-29"), static_cast<int>(QueryControl::ProblemKind::NotADate));
  EXPECT_EQ(ProblemKindOf("T.DAY", "ieri"), static_cast<int>(QueryControl::ProblemKind::NotADate));
}

TEST_F(Conditions, StatesAreNumbersAndRangesKeepBothEnds) {
  EXPECT_EQ(With("S.ID", "2"), " AND S.ID = 2");
  EXPECT_EQ(With("S.ID", "1", "3"), " AND S.ID >= 1 AND S.ID <= 3");
  EXPECT_EQ(With("S.ID", "", "5"), " AND S.ID <= 5");
  EXPECT_EQ(With("S.ID", "4", "", true), " AND S.ID >= 4");
  EXPECT_EQ(ProblemKindOf("S.ID", "attivo"), static_cast<int>(QueryControl::ProblemKind::NotAState));
}

TEST_F(Conditions, TheStateAsTextKeepsTabsNewlinesAndOpenRanges) {
  query_.ClearConditions();
  query_.SetFrom("T.CODE", std::string("a\tb\\c"));
  query_.SetTo("T.CODE", std::string("x\ny"));
  query_.SetFrom("T.NUM", std::string("7"));
  query_.SetOnwards("T.NUM", true);
  const std::string saved = query_.SaveState();
  QueryControl other;
  other.RestoreState(saved);
  EXPECT_EQ(other.FromValue("T.CODE").Text(), "a\tb\\c");
  EXPECT_EQ(other.ToValue("T.CODE").Text(), "x\ny");
  EXPECT_TRUE(other.Onwards("T.NUM"));
  EXPECT_FALSE(other.Onwards("T.CODE"));
  EXPECT_TRUE(other.FromValue("MISSING").IsEmpty());
  // Garbage restores nothing rather than failing.
  other.RestoreState("no tabs here\n\t\t\n");
  EXPECT_EQ(other.SaveState(), "");
}

}  // namespace
}  // namespace host
