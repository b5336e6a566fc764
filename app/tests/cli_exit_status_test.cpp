// The exit statuses a scheduled run tells apart (app/exit_status.h): success,
// no data, refused and failure, each from a run that must end so.
#include <gtest/gtest.h>

#include <fstream>

#include <cstdio>
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
  // Refused: a value that cannot be right, an unknown field or option, the database as the output.
  EXPECT_EQ(Status(run + " --where Fase=abc"), 2);
  EXPECT_EQ(Status(run + " --group Nessuno"), 2);
  EXPECT_EQ(Status(run + " --no-such-option"), 2);
  EXPECT_EQ(Status(run + " --out " + db), 2);
  // An output's place that cannot take a file is refused before anything is read.
  EXPECT_EQ(Status(run + " --out /dev/full"), 2);
  EXPECT_EQ(Status(run + " --xlsx " + dir.File("no/such/folder/out.xlsx")), 2);
  // Failure: no database, a database that cannot be read.
  EXPECT_EQ(Status("run --db " + dir.File("missing.db")), 3);
  std::ofstream(dir.File("text.db")) << "not a database\n";
  EXPECT_EQ(Status("run --db " + dir.File("text.db")), 3);
}

}  // namespace
