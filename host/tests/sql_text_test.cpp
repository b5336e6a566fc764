// T-SQL text as the dialect sees it: tokens at their edges (quotes inside
// strings, N'' texts, brackets, temporary names, comments, non-ASCII) and
// declared column types as the schema gives them.
#include <gtest/gtest.h>

#include "host/db/schema_catalog.h"
#include "host/db/sql_lexer.h"
#include "host/value/error.h"

namespace host {
namespace {

std::vector<std::pair<sql::Token::Kind, std::string>> Kinds(std::string_view text) {
  std::vector<std::pair<sql::Token::Kind, std::string>> out;
  for (const auto& t : sql::Tokenize(text)) {
    if (t.kind != sql::Token::Blank) out.emplace_back(t.kind, t.text);
  }
  return out;
}

using K = sql::Token::Kind;

TEST(SqlTokens, StringsNamesAndCommentsKeepWhatTheyHold) {
  EXPECT_EQ(Kinds("SELECT 'it''s -- not /* a */ comment'"),
            (std::vector<std::pair<K, std::string>>{{K::Word, "SELECT"}, {K::String, "'it''s -- not /* a */ comment'"}}));
  EXPECT_EQ(Kinds("N'Città' + ''"),
            (std::vector<std::pair<K, std::string>>{{K::UnicodeString, "N'Città'"}, {K::Symbol, "+"}, {K::String, "''"}}));
  EXPECT_EQ(Kinds("[Order Lines].[Qty] #CATVAL @x"),
            (std::vector<std::pair<K, std::string>>{{K::Word, "[Order Lines]"},
                                                     {K::Symbol, "."},
                                                     {K::Word, "[Qty]"},
                                                     {K::TempName, "#CATVAL"},
                                                     {K::Variable, "@x"}}));
  EXPECT_EQ(Kinds("a--rest of line\nb/* block\n*/c"),
            (std::vector<std::pair<K, std::string>>{{K::Word, "a"},
                                                     {K::Comment, "--rest of line"},
                                                     {K::Word, "b"},
                                                     {K::Comment, "/* block\n*/"},
                                                     {K::Word, "c"}}));
}

TEST(SqlTokens, NumbersAndSymbols) {
  EXPECT_EQ(Kinds("1.50<>-2 >= 3e2"), (std::vector<std::pair<K, std::string>>{{K::Number, "1.50"},
                                                                              {K::Symbol, "<>"},
                                                                              {K::Symbol, "-"},
                                                                              {K::Number, "2"},
                                                                              {K::Symbol, ">="},
                                                                              {K::Number, "3e2"}}));
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
