// The command line's password: from a private file or the environment, added
// to an ODBC connection string as PWD; a file others can read is refused.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "app/cli_language.h"
#include "app/password_source.h"

namespace app {
namespace {

namespace fs = std::filesystem;

const std::string kServer = "Driver=FreeTDS;Server=erp;Port=1433;Database=ERP;UID=report";

class PasswordFile : public ::testing::Test {
 protected:
  void SetUp() override {
    SetCliLanguage("en");
    dir_ = fs::temp_directory_path() / ("quarvelindo-pwd-" + std::to_string(::getpid()));
    fs::create_directories(dir_);
  }
  void TearDown() override {
    SetCliLanguage("it");
    fs::remove_all(dir_);
  }
  std::string Write(const std::string& name, const std::string& text, mode_t mode) {
    const std::string path = (dir_ / name).string();
    std::ofstream(path, std::ios::binary) << text;
    ::chmod(path.c_str(), mode);
    return path;
  }
  fs::path dir_;
};

TEST_F(PasswordFile, OnlyTheOwnerMayReadIt) {
  const std::string open = Write("open", "s3cret\n", 0644);
  PasswordOutcome outcome = WithPassword(kServer, open, nullptr);
  EXPECT_EQ(outcome.connection, "");
  EXPECT_EQ(outcome.refused, "the password file " + open + " can be read by others (mode 0644); make it private with: chmod 600 " + open);
  EXPECT_EQ(outcome.refused.find("s3cret"), std::string::npos);
  // Group access alone is refused too, and in Italian by default.
  const std::string group = Write("group", "s3cret\n", 0640);
  SetCliLanguage("it");
  outcome = WithPassword(kServer, group, nullptr);
  EXPECT_EQ(outcome.refused, "il file della password " + group +
                                 " è accessibile ad altri (permessi 0640); renderlo privato con: chmod 600 " + group);
  // 0600 and 0400 are private: the first line is the password, without its line end.
  for (const mode_t mode : {0600, 0400}) {
    const std::string mine = Write("mine" + std::to_string(mode), "s3cret\r\nsecond line\n", mode);
    outcome = WithPassword(kServer, mine, "from-environment");
    EXPECT_EQ(outcome.refused, "");
    EXPECT_EQ(outcome.connection, kServer + ";PWD=s3cret");
  }
}

TEST_F(PasswordFile, UnreadableEmptyOrNotAFileIsRefused) {
  const std::string missing = (dir_ / "missing").string();
  EXPECT_EQ(WithPassword(kServer, missing, nullptr).refused, "cannot read the password file " + missing);
  const std::string empty = Write("empty", "\n", 0600);
  EXPECT_EQ(WithPassword(kServer, empty, nullptr).refused, "the password file " + empty + " is empty");
  fs::create_directories(dir_ / "folder");
  ::chmod((dir_ / "folder").c_str(), 0700);
  EXPECT_EQ(WithPassword(kServer, (dir_ / "folder").string(), nullptr).refused,
            "the password file " + (dir_ / "folder").string() + " is not a regular file");
}

TEST_F(PasswordFile, ItIsOnlyForAConnectionStringWithoutItsOwnPassword) {
  const std::string mine = Write("mine", "s3cret", 0600);
  EXPECT_EQ(WithPassword("/data/erp.db", mine, nullptr).refused,
            "--password-file is for an ODBC connection string, not for a database file");
  EXPECT_EQ(WithPassword(kServer + ";PWD=inline", mine, nullptr).refused,
            "the connection string has a PWD already: leave out PWD or --password-file");
  EXPECT_EQ(WithPassword(kServer + ";password=inline", mine, nullptr).refused,
            "the connection string has a PWD already: leave out PWD or --password-file");
}

TEST(PasswordEnvironment, IsAddedWhenTheStringHasNone) {
  EXPECT_EQ(WithPassword(kServer, "", "s3cret").connection, kServer + ";PWD=s3cret");
  EXPECT_EQ(WithPassword(kServer + ";", "", "s3cret").connection, kServer + ";PWD=s3cret");
  // The string's own password wins; a database file has none to take.
  EXPECT_EQ(WithPassword(kServer + ";PWD=inline", "", "s3cret").connection, kServer + ";PWD=inline");
  EXPECT_EQ(WithPassword("/data/erp.db", "", "s3cret").connection, "/data/erp.db");
  EXPECT_EQ(WithPassword("/data/erp.db", "", "s3cret").refused, "");
  // Without any, the string goes as it is.
  EXPECT_EQ(WithPassword(kServer, "", nullptr).connection, kServer);
}

TEST(PasswordQuoting, BracesWhereTheValueWouldEndTheString) {
  EXPECT_EQ(QuotedOdbcValue("plain"), "plain");
  EXPECT_EQ(QuotedOdbcValue("a;b"), "{a;b}");
  EXPECT_EQ(QuotedOdbcValue("x}y{"), "{x}}y{}");
  EXPECT_EQ(QuotedOdbcValue(" spaced "), "{ spaced }");
  EXPECT_EQ(QuotedOdbcValue(""), "{}");
  EXPECT_EQ(WithPassword(kServer, "", "p;w").connection, kServer + ";PWD={p;w}");
}

}  // namespace
}  // namespace app
