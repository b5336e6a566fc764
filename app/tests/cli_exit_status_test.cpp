// The exit statuses a scheduled run tells apart (app/exit_status.h): success,
// no data, refused and failure, each from a run that must end so.
#include <gtest/gtest.h>

#include <string>

#include "engine/tests/tiny_erp.h"

namespace {

int Status(const std::string& arguments) {
  const int status = std::system((std::string(QUARVELINDO_CLI) + " " + arguments + " > /dev/null 2>&1").c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(ExitStatus, SuccessNoDataRefusedAndFailureApart) {
  engine::testing::TempDir dir;
  const std::string db = engine::testing::TinyErp(dir);
  const std::string run = "run --db " + db;
  EXPECT_EQ(Status(run + " --group Reparto"), 0);
  EXPECT_EQ(Status(run + " --group Reparto --xlsx " + dir.File("out.xlsx")), 0);
  // No data: nothing the conditions keep.
  EXPECT_EQ(Status(run + " --where Articolo=NOPE"), 1);
  EXPECT_EQ(Status(run + " --where \"Data reg.vers.=01/01/2020\""), 1);
  // Refused: a value that cannot be right, an unknown field. (An unknown
  // option: cli_test; an output's place that cannot take a file, or the
  // database itself: cli_test and cli_hardening_test.)
  EXPECT_EQ(Status(run + " --where Fase=abc"), 2);
  EXPECT_EQ(Status(run + " --group Nessuno"), 2);
  // Failure: no database (one that cannot be read: cli_test).
  EXPECT_EQ(Status("run --db " + dir.File("missing.db")), 3);
}

}  // namespace
