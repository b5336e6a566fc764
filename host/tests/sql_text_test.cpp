// T-SQL text as the dialect sees it: tokens at their edges (quotes inside
// strings, N'' texts, brackets, temporary names, comments, non-ASCII) and
// declared column types as the schema gives them.
#include <gtest/gtest.h>

#include "host/db/schema_catalog.h"
#include "host/db/sql_lexer.h"
#include "host/value/error.h"

namespace host {
namespace {

// The tokens of `text` but the blanks, each as its kind and its text.
std::string Kinds(std::string_view text) {
  const char* names[] = {"Word", "Number", "String", "UnicodeString", "TempName", "Variable", "Symbol", "", "Comment"};
  std::string out;
  for (const auto& t : sql::Tokenize(text)) {
    if (t.kind != sql::Token::Blank) out += std::string(out.empty() ? "" : " ") + names[t.kind] + "<" + t.text + ">";
  }
  return out;
}

TEST(SqlTokens, StringsNamesAndCommentsKeepWhatTheyHold) {
  EXPECT_EQ(Kinds("SELECT 'it''s -- not /* a */ comment'"), "Word<SELECT> String<'it''s -- not /* a */ comment'>");
  EXPECT_EQ(Kinds("N'Città' + ''"), "UnicodeString<N'Città'> Symbol<+> String<''>");
  EXPECT_EQ(Kinds("[Order Lines].[Qty] #CATVAL @x"),
            "Word<[Order Lines]> Symbol<.> Word<[Qty]> TempName<#CATVAL> Variable<@x>");
  EXPECT_EQ(Kinds("a--rest of line\nb/* block\n*/c"),
            "Word<a> Comment<--rest of line> Word<b> Comment</* block\n*/> Word<c>");
}

TEST(SqlTokens, NumbersAndSymbols) {
  EXPECT_EQ(Kinds("1.50<>-2 >= 3e2"), "Number<1.50> Symbol<<>> Symbol<-> Number<2> Symbol<>=> Number<3e2>");
}

TEST(SqlTokens, JoiningGivesBackTheTextAndUnterminatedPartsAreRefused) {
  for (const char* text : {"SELECT  A,B FROM [T] WHERE X = N'y''z' -- c\n", "", "   ", "/**/"}) {
    EXPECT_EQ(sql::Join(sql::Tokenize(text)), text);
  }
  for (const char* text : {"SELECT 'open", "SELECT [open", "SELECT /* open", "N'"}) {
    EXPECT_THROW((void)sql::Tokenize(text), Error) << text;
  }
}

TEST(DeclaredColumnTypes, TheCatalogAnswersByColumnNameWhateverTheCase) {
  db::SchemaCatalog catalog;
  catalog.LoadFromSqlite([](const std::string& sql) -> db::SchemaCatalog::Rows {
    if (sql.find("sqlite_master") != std::string::npos) return {{"PD44_VERSORE"}};
    // PRAGMA table_info: cid, name, type, ...
    return {{"0", "PD44_QTALAV", "DECIMAL(17,6)"}, {"1", "PD44_CODART_MG66", "VARCHAR(50)"}};
  });
  catalog.AddDeclared("PREV_SEC", "DECIMAL(20,0)");
  EXPECT_TRUE(catalog.HasTable("pd44_versore"));
  EXPECT_FALSE(catalog.HasTable("PD45"));
  ASSERT_TRUE(catalog.Lookup("pd44_qtalav").has_value());
  EXPECT_EQ(catalog.Lookup("PD44_QTALAV")->scale, 6);
  EXPECT_EQ(catalog.Lookup("PREV_SEC")->type, FieldType::Decimal);
  EXPECT_TRUE(catalog.IsTextColumn("pd44_codart_mg66"));
  EXPECT_FALSE(catalog.IsTextColumn("PD44_QTALAV"));
  EXPECT_FALSE(catalog.Lookup("NOPE").has_value());
}

}  // namespace
}  // namespace host
