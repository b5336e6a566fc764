// The SQLite dialect: each T-SQL construct the module uses, rewritten to the
// letter, and what SQLite then computes with it.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include "host/db/sqlite_dialect.h"
#include "host/db/sqlite_functions.h"
#include "host/value/error.h"

namespace host::sql {
namespace {

std::string T(std::string_view tsql) { return SqliteDialect().Translate(tsql).sql; }

TEST(SqliteDialect, RewritesEachConstruct) {
  EXPECT_EQ(T("SELECT A FROM T WITH(NOLOCK) WHERE B = 1"), "SELECT A FROM T  WHERE B = 1");
  EXPECT_EQ(T("FROM T WITH (NOLOCK) LEFT JOIN U WITH (NOLOCK)ON 1=1"), "FROM T  LEFT JOIN U ON 1=1");
  EXPECT_EQ(T("SELECT ISNULL(PD44_OPZIONE,'') AS X"), "SELECT IFNULL(PD44_OPZIONE,'') AS X");
  EXPECT_EQ(T("SELECT isnull (a, 0)"), "SELECT IFNULL (a, 0)");
  EXPECT_EQ(T("ON PD07_CODREP = LEFT(PD44_CODFORNREP,5) LEFT OUTER JOIN X"),
            "ON PD07_CODREP = QV_LEFT(PD44_CODFORNREP,5) LEFT OUTER JOIN X");
  EXPECT_EQ(T("SELECT TOP 1 1 FROM CM15 WHERE A = 'x'"), "SELECT  1 FROM CM15 WHERE A = 'x' LIMIT 1");
  EXPECT_EQ(T("SELECT * FROM (SELECT TOP 5 A FROM T) X"), "SELECT * FROM (SELECT  A FROM T LIMIT 5) X");
  // The limit stays outside the last ordering term's collation.
  EXPECT_EQ(T("SELECT TOP 0 A FROM T ORDER BY A, ISNULL(B,'')"),
            "SELECT  A FROM T ORDER BY A COLLATE QV_CI, (IFNULL(B,'')) COLLATE QV_CI LIMIT 0");
  EXPECT_EQ(T("SELECT dbo.F(1), DBO.G(2)"), "SELECT F(1), G(2)");
  EXPECT_EQ(T("SELECT N'O''Neil', 'N''x'"), "SELECT 'O''Neil', 'N''x'");
  EXPECT_EQ(T("SELECT [Order], [A B] FROM [T]"), "SELECT \"Order\", \"A B\" FROM \"T\"");
  // A function that reads one keyed row of a table is a join of the table.
  EXPECT_EQ(T("OUTER APPLY DBO.FNCI03_CAUSALI(A, B) LEFT OUTER JOIN X"),
            "LEFT JOIN CI03_CAUSALI AS FNCI03_CAUSALI ON FNCI03_CAUSALI.CI03_CODICE = A AND "
            "FNCI03_CAUSALI.CI03_DITTA_CG18 = B LEFT OUTER JOIN X");
  EXPECT_EQ(T("OUTER APPLY DBO.FNPC03_ANAGPDC_COAN(A, B, C, NULL) AS ORI OUTER APPLY F(1) AS D2 "),
            "LEFT JOIN PC03_ANAGPDC AS ORI ON ORI.PC03_PDC_PC01 = A AND ORI.PC03_CONTO = B AND ORI.PC03_DITTA_CG18 = C "
            "LEFT JOIN F(1) AS D2 ON 1 ");
  // With an expression among the arguments the function stays a function.
  EXPECT_EQ(T("OUTER APPLY FNCI03_CAUSALI(ISNULL(A,''), B) X"), "LEFT JOIN FNCI03_CAUSALI(IFNULL(A,''), B) X ON 1");
  EXPECT_EQ(T("CROSS APPLY F(A) X WHERE 1=1"), "JOIN F(A) X ON 1 WHERE 1=1");
}

// Codes order and group without case, as on the ERP's server; a column
// that holds no text (a date, a number) and a column position keep theirs.
TEST(SqliteDialect, OrderingAndGroupingOfTextsIgnoreCase) {
  const SqliteDialect dialect([](std::string_view c) { return c == "PD44_CODREP" || c == "DO11_NUMDOC"; });
  const auto t = [&](std::string_view tsql) { return dialect.Translate(tsql).sql; };
  EXPECT_EQ(t("SELECT PD44_CODREP, MAX(DO11_NUMDOC) AS DO11_NUMDOC FROM T GROUP BY PD44_CODREP "
              "ORDER BY PD44_CODREP, DO11_NUMDOC DESC, PD44_DATAREG"),
            "SELECT PD44_CODREP, MAX(DO11_NUMDOC COLLATE QV_CI) AS DO11_NUMDOC FROM T GROUP BY PD44_CODREP COLLATE QV_CI "
            "ORDER BY PD44_CODREP COLLATE QV_CI, DO11_NUMDOC COLLATE QV_CI DESC, PD44_DATAREG");
  EXPECT_EQ(t("SELECT A FROM (SELECT A FROM T ORDER BY T.PD44_CODREP) X GROUP BY ISNULL(A,'') HAVING 1=1 ORDER BY 1"),
            "SELECT A FROM (SELECT A FROM T ORDER BY T.PD44_CODREP COLLATE QV_CI) X "
            "GROUP BY (IFNULL(A,'')) COLLATE QV_CI HAVING 1=1 ORDER BY 1");
  EXPECT_EQ(t("SELECT MIN(PD44_CODREP), MAX(DISTINCT A) FROM T"),
            "SELECT MIN(PD44_CODREP COLLATE QV_CI), MAX(DISTINCT A) FROM T");
}

// Truncated or malformed texts found by fuzzing: each is refused by name
// (host::Error), never read past its end nor thrown as another exception.
TEST(SqliteDialect, TruncatedTextsAreRefused) {
  for (const char* text : {"SELECT A /", "SELECT CAST(A AS DECIMAL(18,-)) / B FROM T",
                           "SELECT CAST(A AS DECIMAL(x)) FROM T", "IF OBJECT_ID(", "IF", "SELECT TOP",
                           "SELECT A FROM T WHERE B = -", "SELECT LEFT("}) {
    try {
      (void)T(text);
    } catch (const Error&) {
      continue;  // refused: fine
    } catch (const std::exception& e) {
      ADD_FAILURE() << text << ": " << e.what();
    }
  }
  EXPECT_THROW(T("SELECT A /"), Error);
  EXPECT_THROW(T("SELECT CAST(A AS DECIMAL(18,-)) FROM T"), Error);
}

TEST(SqliteDialect, DecimalCastsAndDivisions) {
  EXPECT_EQ(T("CAST(SUM(ISNULL(PD44_MINORD,0))/60 AS DECIMAL(14,2))"),
            "QV_DECIMAL(QV_DIV(SUM(IFNULL(PD44_MINORD,0)), 60), 14, 2)");
  EXPECT_EQ(T("CAST(ISNULL(PD44_SECORD,0)/3600 AS DECIMAL (14,2))"),
            "QV_DECIMAL(QV_DIV(IFNULL(PD44_SECORD,0), 3600), 14, 2)");
  EXPECT_EQ(T("SELECT a/b, t.x / (c+1), 3 / -2 FROM t"),
            "SELECT QV_DIV(a, b), QV_DIV(t.x, (c+1)), QV_DIV(3, -2) FROM t");
  EXPECT_EQ(T("SELECT CAST(x AS VARCHAR(10))"), "SELECT CAST(x AS VARCHAR(10))");
  EXPECT_EQ(T("SELECT '/' + x -- a/b\n"), "SELECT '/' || x -- a/b\n");
}

TEST(SqliteDialect, PlusJoinsTextsNextToALiteralOrATextColumn) {
  EXPECT_EQ(T("PD06_COGNOME + ' ' + PD06_NOME AS DESCRDIP"), "PD06_COGNOME || ' ' || PD06_NOME AS DESCRDIP");
  EXPECT_EQ(T("ISNULL(PD44_IMPDQR,0) + ISNULL(PD44_IMPMAC,0) AS T"),
            "IFNULL(PD44_IMPDQR,0) + IFNULL(PD44_IMPMAC,0) AS T");
  const SqliteDialect with_schema([](std::string_view column) { return column == "A" || column == "B"; });
  EXPECT_EQ(with_schema.Translate("SELECT A + B, A + 1, x.B + C").sql, "SELECT A || B, A || 1, x.B || C");
  EXPECT_EQ(T("SELECT +1, (a) + 2"), "SELECT +1, (a) + 2");
}

TEST(SqliteDialect, TemporaryTablesAndIdentity) {
  EXPECT_EQ(T("IF OBJECT_ID('tempdb..#CATVAL') IS NOT NULL DROP TABLE #CATVAL"),
            "DROP TABLE IF EXISTS temp.\"#CATVAL\";");
  EXPECT_EQ(T("IF OBJECT_ID('tempdb..#CATVAL') IS NOT NULL DROP TABLE #CATVAL\r\n CREATE TABLE #CATVAL (PROG DECIMAL "
              "(5,0) NOT NULL IDENTITY (1,1), CAT CHAR (10) COLLATE DATABASE_DEFAULT, VALNUM DECIMAL(17,6) NULL)"),
            "DROP TABLE IF EXISTS temp.\"#CATVAL\";\r\n CREATE TEMP TABLE \"#CATVAL\" (PROG INTEGER PRIMARY KEY "
            "AUTOINCREMENT, CAT CHAR (10) , VALNUM DECIMAL(17,6) NULL)");
  EXPECT_EQ(T("INSERT INTO #CATVAL (CAT) VALUES ('x')"), "INSERT INTO temp.\"#CATVAL\" (CAT) VALUES ('x')");
}

TEST(SqliteDialect, UnknownConstructsAreNamedErrors) {
  for (const auto* bad : {"SELECT CONVERT(INT, a)", "SELECT @x", "SELECT DATEADD(d, 1, x)", "FROM T WITH (READPAST)",
                          "IF EXISTS (SELECT 1) SELECT 2", "SELECT a::int", "SELECT TOP (5) a", "SELECT 'open"}) {
    try {
      (void)T(bad);
      ADD_FAILURE() << bad;
    } catch (const Error& e) {
      EXPECT_EQ(e.Number(), kErrDatabase) << bad;
      EXPECT_FALSE(std::string(e.what()).empty());
      // The construct is named.
      EXPECT_TRUE(bad[7] != 'C' || std::string(e.what()).find("CONVERT()") != std::string::npos) << e.what();
    }
  }
}

TEST(SqliteDialect, HintsTypeTheDecimalSumsOfCasts) {
  const auto t = SqliteDialect().Translate(
      "SELECT A, (CAST(SUM(X) AS DECIMAL(14,2)) + CAST(SUM(Y)/60 AS DECIMAL(14,2))) AS OREVERS, "
      "MAX(Z) AS Z FROM T");
  ASSERT_EQ(t.column_hints.count("OREVERS"), 1U);
  EXPECT_EQ(t.column_hints.at("OREVERS").type, FieldType::Decimal);
  EXPECT_EQ(t.column_hints.at("OREVERS").scale, 2);
  EXPECT_EQ(t.column_hints.count("Z"), 0U);
}

// What SQLite computes with the rewritten text.
class DialectOnSqlite : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(sqlite3_open(":memory:", &db_), SQLITE_OK);
    ASSERT_EQ(db::RegisterSqliteFunctions(db_), SQLITE_OK);
  }
  void TearDown() override { sqlite3_close(db_); }
  // Every row of `sql` as SQLite runs it: cells between '|', each row ended
  // by ';', and what went wrong after the rows read.
  std::string Rows(const std::string& sql) {
    sqlite3_stmt* stmt = nullptr;
    EXPECT_EQ(sqlite3_prepare_v2(db_, sql.c_str(), -1, &stmt, nullptr), SQLITE_OK) << sqlite3_errmsg(db_) << sql;
    std::string out;
    int step = SQLITE_DONE;
    while ((step = sqlite3_step(stmt)) == SQLITE_ROW) {
      for (int c = 0; c < sqlite3_column_count(stmt); ++c) {
        const auto* text = sqlite3_column_text(stmt, c);
        out += (c > 0 ? "|" : "") + std::string(text == nullptr ? "NULL" : reinterpret_cast<const char*>(text));
      }
      out += ";";
    }
    if (step != SQLITE_DONE) out += std::string("error: ") + sqlite3_errmsg(db_);
    sqlite3_finalize(stmt);
    return out;
  }
  // The one value of a T-SQL query, or its error.
  std::string One(std::string_view tsql) {
    std::string out = Rows(T(tsql));
    if (!out.empty() && out.back() == ';') out.pop_back();
    return out;
  }
  sqlite3* db_ = nullptr;
};

// The join that replaces a keyed look-up function finds what the function
// finds: the company's row, none for a Null or unknown code, case ignored.
TEST_F(DialectOnSqlite, AKeyedLookUpJoinFindsWhatTheFunctionFinds) {
  ASSERT_EQ(sqlite3_exec(db_, R"(
CREATE TABLE CI03_CAUSALI (CI03_DITTA_CG18 DECIMAL(6,0), CI03_CODICE VARCHAR(10) COLLATE NOCASE, CI03_DESCR VARCHAR(80),
  PRIMARY KEY (CI03_DITTA_CG18, CI03_CODICE));
INSERT INTO CI03_CAUSALI VALUES (1, 'VERS', 'Versamento'), (2, 'VERS', 'Altra ditta'), (1, 'X', 'Ics');
CREATE TABLE B (ID INTEGER, CODE VARCHAR(10), DITTA DECIMAL(6,0));
INSERT INTO B VALUES (1, 'VERS', 1), (2, 'vers', 2), (3, NULL, 1), (4, 'NONE', 1), (5, 'X', 2);
)", nullptr, nullptr, nullptr), SQLITE_OK);
  const std::string joined = T("SELECT ID, CI03_DESCR FROM B OUTER APPLY DBO.FNCI03_CAUSALI(CODE, DITTA) ORDER BY ID");
  ASSERT_NE(joined.find("LEFT JOIN CI03_CAUSALI"), std::string::npos) << joined;
  const std::string called = "SELECT ID, CI03_DESCR FROM B LEFT JOIN FNCI03_CAUSALI(CODE, DITTA) ON 1 ORDER BY ID";
  EXPECT_EQ(Rows(joined), "1|Versamento;2|Altra ditta;3|NULL;4|NULL;5|NULL;");
  EXPECT_EQ(Rows(joined), Rows(called));
}

TEST_F(DialectOnSqlite, CodesSortAndGroupWithoutCaseOrTrailingBlanks) {
  const auto all = [&](const std::string& tsql) { return Rows(T(tsql)); };
  const std::string codes = "(SELECT 'R04' AS C, 1 AS N UNION ALL SELECT 'r03', 2 UNION ALL SELECT 'R03 ', 4 "
                            "UNION ALL SELECT 'b', 8)";
  EXPECT_EQ(all("SELECT C FROM " + codes + " WHERE N <> 4 ORDER BY C"), "b;r03;R04;");
  // 'r03' and 'R03 ' are one group, as on the server.
  EXPECT_EQ(all("SELECT UPPER(RTRIM(MAX(C))), SUM(N) FROM " + codes + " GROUP BY C ORDER BY MAX(C)"),
            "B|8;R03|6;R04|1;");
  EXPECT_EQ(all("SELECT MAX(C) AS C FROM " + codes), "R04;");
}

TEST_F(DialectOnSqlite, DecimalArithmeticAsTheServerDoes) {
  EXPECT_EQ(One("SELECT CAST(30/60 AS DECIMAL(14,2))"), "0.5");     // never integer division
  EXPECT_EQ(One("SELECT CAST(54/3600 AS DECIMAL(14,2))"), "0.02");  // 0.015 rounds up, exactly
  EXPECT_EQ(One("SELECT CAST(18/3600 AS DECIMAL(14,2))"), "0.01");
  EXPECT_EQ(One("SELECT CAST(-0.125 AS DECIMAL(14,2))"), "-0.13");  // half away from zero
  EXPECT_EQ(One("SELECT CAST(2.5 AS DECIMAL(5,0))"), "3");
  EXPECT_EQ(One("SELECT CAST(1000 AS DECIMAL(3,0))"),
            "error: Arithmetic overflow error converting numeric to data type numeric.");
  EXPECT_EQ(One("SELECT 1/0"), "error: Divide by zero error encountered.");
  EXPECT_EQ(One("SELECT ISNULL(NULL, 'a') + 'b' + ISNULL(NULL,'')"), "ab");
  EXPECT_EQ(One("SELECT 'x' + NULL"), "NULL");
  EXPECT_EQ(One("SELECT LEFT('ABCDEFG', 5)"), "ABCDE");
  EXPECT_EQ(One("SELECT LEFT('àèìòùx', 5)"), "àèìòù");
  EXPECT_EQ(One("SELECT TOP 1 v FROM (SELECT 2 AS v UNION ALL SELECT 1) ORDER BY v"), "1");
  EXPECT_EQ(One("SELECT dbo.FNFA_VALVARIANTEPRI(5, 1, 'A', ISNULL('ROS.042', ''), 'FA12_ARTICOLI')"), "ROS");
}

}  // namespace
}  // namespace host::sql
