// Connection strings as users type them: spacing, case, braces, empty
// values, repeated keys, bare paths; the password never shows.
#include "host/db/connection_string.h"

#include <gtest/gtest.h>

namespace host::db {
namespace {

TEST(ConnectionStringParsing, SpacingCaseAndEmptyValues) {
  const ConnectionString s("  driver = SQLite3 ;DATABASE=  /tmp/a b.db  ;Empty=;;Trailing=x;");
  EXPECT_EQ(s.Get("Driver"), "SQLite3");
  EXPECT_EQ(s.Get("database"), "/tmp/a b.db");  // inner blanks kept, outer trimmed
  EXPECT_TRUE(s.Has("EMPTY"));
  EXPECT_EQ(s.Get("Empty"), "");
  EXPECT_EQ(s.Get("trailing"), "x");
  EXPECT_FALSE(s.Has("Missing"));
  EXPECT_EQ(s.Get("Missing"), "");
  EXPECT_EQ(s.Path(), "");  // a connection string is not a path
  // The last of a repeated key holds.
  EXPECT_EQ(ConnectionString("Database=first.db;database=second.db").Get("Database"), "second.db");
}

TEST(ConnectionStringParsing, BracesKeepSemicolonsBlanksAndEquals) {
  const ConnectionString s("Driver={ODBC Driver 18};PWD={ a;b=c };Server=srv");
  EXPECT_EQ(s.Get("Driver"), "ODBC Driver 18");
  EXPECT_EQ(s.Get("PWD"), " a;b=c ");
  EXPECT_EQ(s.Get("Server"), "srv");
  // An unclosed brace runs to the end rather than losing the rest.
  EXPECT_EQ(ConnectionString("UID=u;PWD={open").Get("PWD"), "open");
}

TEST(ConnectionStringParsing, ATextWithoutEqualsIsAPath) {
  EXPECT_EQ(ConnectionString("  /data/erp.db ").Path(), "/data/erp.db");
  EXPECT_EQ(ConnectionString("/data/città ünïcode.db").Path(), "/data/città ünïcode.db");
  EXPECT_EQ(ConnectionString("").Path(), "");
  EXPECT_FALSE(ConnectionString("").Has("Database"));
}

TEST(ConnectionStringRedaction, ThePasswordNeverShows) {
  EXPECT_EQ(ConnectionString::Redacted("Server=s;pwd=secret"), "Server=s;pwd=***");
  EXPECT_EQ(ConnectionString::Redacted("Server=s;PassWord={a;b;c};UID=sa"), "Server=s;PassWord=***;UID=sa");
  EXPECT_EQ(ConnectionString::Redacted("PWD="), "PWD=***");  // even an empty one
  // Both spellings, in one string.
  EXPECT_EQ(ConnectionString::Redacted("Driver=FreeTDS;UID=sa;Password=x1;PWD={a;b}"),
            "Driver=FreeTDS;UID=sa;Password=***;PWD=***");
  // A path has no password to hide; it is shown as given.
  EXPECT_EQ(ConnectionString::Redacted("/data/erp.db"), "/data/erp.db");
  const std::string redacted = ConnectionString::Redacted("Driver={FreeTDS};PWD={x}};UID=sa");
  EXPECT_EQ(redacted.find("x}"), std::string::npos) << redacted;
}

}  // namespace
}  // namespace host::db
