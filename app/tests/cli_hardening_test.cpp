// The command line as a careless or hostile user drives it: databases that
// are broken or not databases at all, outputs aimed at devices, databases and
// full disks, timeouts written wrong, values the columns cannot hold, and
// too little memory. Each ends in status 2 with a plain message, and never
// in a crash, a hang or a file destroyed.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/mount.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "app/tests/command_output.h"
#include "engine/tests/tiny_erp.h"

namespace {

namespace fs = std::filesystem;

using app::testing::Output;
using engine::testing::FileBytes;
using engine::testing::Listing;

// The standard output and the error stream of a run after `before`.
Output Cli(const std::string& arguments, const std::string& before = "") {
  return app::testing::RunCli(arguments, app::testing::Errors::kMixedIn, before);
}

bool Has(const Output& o, const std::string& text) { return o.text.find(text) != std::string::npos; }

// Both back ends on the same file.
std::vector<std::string> BothBackEnds(const std::string& path) {
  return {path, "\"Driver=SQLite3;Database=" + path + "\""};
}

TEST(BrokenDatabases, ACorruptFileIsAnErrorThroughEitherBackEnd) {
  engine::testing::TempDir dir;
  const std::string good = engine::testing::TinyErp(dir);
  const std::string bytes = FileBytes(good);
  // Cut to half; and the SQLite header followed by random bytes.
  const std::string half = dir.File("half.db");
  std::ofstream(half, std::ios::binary) << bytes.substr(0, bytes.size() / 2);
  const std::string noise = dir.File("noise.db");
  {
    std::mt19937 random(23);
    std::string text = bytes.substr(0, 100);
    while (text.size() < bytes.size()) text += static_cast<char>(random() & 0xff);
    std::ofstream(noise, std::ios::binary) << text;
  }
  for (const std::string& file : {half, noise}) {
    for (const std::string& db : BothBackEnds(file)) {
      const Output o = Cli("run --language en --db " + db + " --format json --bookings");
      EXPECT_EQ(o.status, 3) << db << ": " << o.text;
      EXPECT_TRUE(Has(o, "quarvelindo: ")) << db << ": " << o.text;
    }
  }
  // An SQLite file that is not the ERP's says so the same way on both.
  const std::string other = dir.File("other.db");
  engine::testing::ExecOn(other, "CREATE TABLE T (X INT)");
  for (const std::string& db : BothBackEnds(other)) {
    const Output o = Cli("run --language en --db " + db);
    EXPECT_EQ(o.status, 3) << db;
    EXPECT_TRUE(Has(o, other + " is not an ERP database (it has no booking table PD44_VERSORE)"))
        << db << ": " << o.text;
  }
}

TEST(BrokenDatabases, APipeOrADeviceAsTheDatabaseIsRefusedAtOnce) {
  engine::testing::TempDir dir;
  const std::string fifo = dir.File("pipe.db");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  for (const std::string& db : BothBackEnds(fifo)) {
    const auto start = std::chrono::steady_clock::now();
    const Output o = Cli("run --language en --db " + db);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
    EXPECT_EQ(o.status, 3);
    EXPECT_TRUE(Has(o, fifo + " is not an ERP database (not a file but a device, a pipe or a socket)")) << o.text;
  }
  EXPECT_TRUE(Has(Cli("run --db /dev/zero"), "/dev/zero non è un database dell'ERP (non è un file ma un dispositivo"));
}

TEST(Timeouts, ATimeoutThatIsNoNumberOfSecondsIsRefused) {
  engine::testing::TempDir dir;
  const std::string db = engine::testing::TinyErp(dir);
  const std::vector<std::pair<std::string, std::string>> cases{
      {"Driver=SQLite3;Database=" + db + ";LoginTimeout=abc",
       "LoginTimeout takes a whole number of seconds from 1 to 86400: 'abc' is not one"},
      {"Driver=SQLite3;Database=" + db + ";QueryTimeout=0",
       "QueryTimeout takes a whole number of seconds from 1 to 86400: '0' is not one"},
      {"Driver=FreeTDS;Server=127.0.0.1;Port=1;LoginTimeout=10s",
       "LoginTimeout takes a whole number of seconds from 1 to 86400: '10s' is not one"}};
  for (const auto& [connection, said] : cases) {
    const Output o = Cli("run --language en --db \"" + connection + "\"");
    EXPECT_EQ(o.status, 2) << connection;
    EXPECT_TRUE(Has(o, said)) << connection << ": " << o.text;
  }
  // A good one runs.
  EXPECT_EQ(Cli("run --db \"Data Source=" + db + ";QueryTimeout=30\"").status, 0);
}

// A server that accepts the connection and never says a word.
class SilentServer {
 public:
  SilentServer() {
    listener_ = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address);
    listen(listener_, 16);
    socklen_t length = sizeof address;
    getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length);
    port_ = ntohs(address.sin_port);
  }
  ~SilentServer() { close(listener_); }
  [[nodiscard]] int Port() const { return port_; }

 private:
  int listener_ = -1;  // connections wait in its backlog, accepted by the system, never answered
  int port_ = 0;
};

TEST(Timeouts, ASilentServerIsGivenUpWithinTheLoginTimeout) {
  SilentServer server;
  const std::string base = "Driver=FreeTDS;Server=127.0.0.1;Port=" + std::to_string(server.Port()) +
                           ";Database=erp;UID=sa;PWD=x;LoginTimeout=2";
  // Without TDS_Version too: not one wait per protocol version.
  for (const std::string& connection : {base, base + ";TDS_Version=7.4"}) {
    const auto start = std::chrono::steady_clock::now();
    const Output o = Cli("run --language en --db \"" + connection + "\"");
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_EQ(o.status, 3) << o.text;
    EXPECT_LT(seconds, 2 + 2 + 2.0) << connection << ": " << o.text;  // the timeout, the grace, the start
    EXPECT_FALSE(Has(o, "PWD=x")) << o.text;
  }
}

// The fake TDS server of tests/fake_tds_server.py, for as long as it lives.
class FakeTdsServer {
 public:
  explicit FakeTdsServer(const std::string& options = "") {
    pipe_ = popen(("exec python3 " + std::string(QUARVELINDO_FAKE_TDS) + " " + options).c_str(), "r");
    if (pipe_ == nullptr || fscanf(pipe_, "%d %d", &port_, &pid_) != 2) port_ = 0;
  }
  ~FakeTdsServer() {
    if (pid_ > 0) kill(pid_, SIGTERM);
    if (pipe_ != nullptr) pclose(pipe_);
  }
  FakeTdsServer(const FakeTdsServer&) = delete;
  FakeTdsServer& operator=(const FakeTdsServer&) = delete;
  [[nodiscard]] int Port() const { return port_; }

 private:
  FILE* pipe_ = nullptr;
  int port_ = 0, pid_ = 0;
};

// Over FreeTDS, a fake server that never ends its login (the line never
// quiet: the driver's own timeout never fires), and one that logs in and
// never answers a statement: each given up within its timeout, with our words.
TEST(Timeouts, AServerThatNeverAnswersIsGivenUpWhateverTheDriverDoes) {
  const struct {
    const char* server_options;
    const char* timeout;
    const char* said;
    double seconds;  // the timeout, the grace or the login, and the start
  } cases[] = {{"--trickle", "LoginTimeout=2",
                "the server did not answer within 2 s; check its name and port, or set a longer "
                "LoginTimeout=SECONDS in the connection string",
                2 + 2 + 2.5},
               {"", "QueryTimeout=4", "the database did not answer within 4 s", 4 + 3.0}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.timeout);
    FakeTdsServer server(c.server_options);
    ASSERT_NE(server.Port(), 0);
    const auto start = std::chrono::steady_clock::now();
    const Output o = Cli("run --language en --db \"Driver=FreeTDS;Server=127.0.0.1;Port=" +
                         std::to_string(server.Port()) + ";Database=erp;UID=sa;PWD=x;" + c.timeout + "\"");
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_EQ(o.status, 3);
    EXPECT_TRUE(Has(o, c.said)) << o.text;
    EXPECT_LT(seconds, c.seconds) << o.text;
  }
}

class Outputs : public ::testing::Test {
 protected:
  void SetUp() override {
    db_ = engine::testing::TinyErp(dir_);
    before_ = FileBytes(db_);
  }
  void TearDown() override {
    if (!mounted_.empty()) umount(mounted_.c_str());
    EXPECT_EQ(FileBytes(db_), before_) << "the database changed";
  }
  std::string Run(const std::string& options) { return "run --language en --db " + db_ + " " + options; }
  engine::testing::TempDir dir_;
  std::string db_, before_, mounted_;
};

TEST_F(Outputs, EveryPlaceIsCheckedBeforeAnyIsWritten) {
  const std::string old = dir_.File("old.json");
  std::ofstream(old) << "earlier\n";
  for (const std::string& second : {"--pdf " + dir_.File("missing/r.pdf"), "--xlsx " + dir_.File("missing/r.xlsx"),
                                    "--csv-dir " + db_, "--xlsx " + db_}) {
    const Output o = Cli(Run("--format json --out " + old + " " + second));
    EXPECT_EQ(o.status, 2) << second << ": " << o.text;
    EXPECT_EQ(FileBytes(old), "earlier\n") << second;
  }
  EXPECT_TRUE(
      Has(Cli(Run("--out " + old + " --pdf " + dir_.File("missing/r.pdf"))),
          "cannot write " + dir_.File("missing/r.pdf") + ": the folder " + dir_.File("missing") + " does not exist"));
  EXPECT_EQ(Listing(dir_.File("")), (std::vector<std::string>{"old.json", "tiny.db"}));
}

TEST_F(Outputs, ADeviceIsNeverReplacedByAFile) {
  const std::string device = dir_.File("full");
  if (mknod(device.c_str(), S_IFCHR | 0666, makedev(1, 7)) != 0) GTEST_SKIP() << "mknod is not allowed here";
  for (const std::string option : {"--out", "--xlsx", "--pdf"}) {
    const Output o = Cli(Run(option + std::string(" ") + device));
    EXPECT_EQ(o.status, 2) << option;
    EXPECT_TRUE(Has(o, "the output file " + device + " is a device, a pipe or a socket, not a file")) << o.text;
    EXPECT_TRUE(fs::is_character_file(device)) << option;
  }
  EXPECT_EQ(Listing(dir_.File("")), (std::vector<std::string>{"full", "tiny.db"}));
}

// (The database being read, under any name: output_file_test's
// PlacesThatAreNotPlainFilesOrAreDatabasesAreRefused, and as a place here in
// EveryPlaceIsCheckedBeforeAnyIsWritten.)
TEST_F(Outputs, NoOutputGoesOverAnSqliteFileWhateverItsName) {
  // A database named as a temporary file once was: untouched, and the
  // report is written beside it.
  const std::string named = dir_.File("report.json.partial");
  fs::copy_file(db_, named);
  const Output o = Cli("run --db " + named + " --format json --out " + dir_.File("report.json"));
  EXPECT_EQ(o.status, 0) << o.text;
  EXPECT_EQ(FileBytes(named), before_);
  EXPECT_NE(FileBytes(dir_.File("report.json")).find("\"groups\""), std::string::npos);
  // A CSV folder holding a database under a CSV file's name.
  const std::string folder = dir_.File("csv");
  fs::create_directories(folder);
  const std::string csv = folder + "/TempiDiLavorazione.csv";
  fs::copy_file(db_, csv);
  const Output refused = Cli(Run("--csv-dir " + folder));
  EXPECT_EQ(refused.status, 2);
  EXPECT_TRUE(Has(refused, "the output file " + csv + " is a SQLite database")) << refused.text;
  EXPECT_EQ(FileBytes(csv), before_);
  EXPECT_EQ(Listing(folder), std::vector<std::string>{"TempiDiLavorazione.csv"});
}

TEST_F(Outputs, AFullDiskIsAFailureThatKeepsEveryEarlierFile) {
  const std::string small = dir_.File("small");
  fs::create_directories(small);
  if (mount("tmpfs", small.c_str(), "tmpfs", 0, "size=64k") != 0) GTEST_SKIP() << "no tmpfs can be mounted here";
  mounted_ = small;
  const std::vector<std::string> names{"r.json", "r.xlsx", "r.pdf"};
  for (const auto& name : names) std::ofstream(small + "/" + name) << "earlier " << name << "\n";
  fs::create_directories(small + "/csv");
  std::ofstream(small + "/csv/TempiDiLavorazione.csv") << "earlier csv\n";
  {
    std::ofstream filler(small + "/filler", std::ios::binary);
    const std::string block(4096, 'x');
    for (int i = 0; i < 64 && filler; ++i) filler << block << std::flush;
  }
  const auto listing = Listing(small);
  for (const std::string& option : {"--format json --out " + small + "/r.json", "--xlsx " + small + "/r.xlsx",
                                    "--pdf " + small + "/r.pdf", "--csv-dir " + small + "/csv"}) {
    const Output o = Cli(Run(option));
    EXPECT_EQ(o.status, 3) << option << ": " << o.text;
    EXPECT_TRUE(Has(o, "cannot write " + small)) << option << ": " << o.text;
    EXPECT_EQ(Listing(small), listing) << option;
  }
  for (const auto& name : names) EXPECT_EQ(FileBytes(small + "/" + name), "earlier " + name + "\n");
  EXPECT_EQ(FileBytes(small + "/csv/TempiDiLavorazione.csv"), "earlier csv\n");
  EXPECT_EQ(Listing(small + "/csv"), std::vector<std::string>{"TempiDiLavorazione.csv"});
}

TEST(Conditions, RangeEndsDatesLengthsAndDigitsAsAUserMeansThem) {
  engine::testing::TempDir dir;
  const std::string db = engine::testing::TinyErp(dir);
  const auto run = [&](const std::string& where) {
    return Cli("run --db " + db + " --group Articolo --format csv --where \"" + where + "\"");
  };
  // "A1*" as a range's end: every article that starts with A1.
  for (const std::string where : {"Articolo=..A1*", "Articolo=A1*..A1*", "Articolo=A*..A1*"}) {
    const Output o = run(where);
    EXPECT_EQ(o.status, 0) << where << ": " << o.text;
    EXPECT_TRUE(Has(o, "\nA1,")) << where << ": " << o.text;
    EXPECT_FALSE(Has(o, "\nA2,")) << where << ": " << o.text;
  }
  EXPECT_TRUE(Has(run("Articolo=A1*.."), "\nA2,"));
  // The last day there is: nothing booked then, and no refusal.
  EXPECT_EQ(run("Data reg.vers.=9999-12-31").status, 1);
  EXPECT_EQ(run("Data reg.vers.=2000-01-01..9999-12-31").status, 0);
  const Output digits = run("Fase=20.0000000000000000000000000001");
  EXPECT_EQ(digits.status, 2);
  EXPECT_TRUE(Has(digits, "\"Fase\": '20.0000000000000000000000000001' ha più di 28 cifre")) << digits.text;
  const Output inside = run("Articolo=A?..B");
  EXPECT_EQ(inside.status, 2);
  EXPECT_TRUE(Has(inside, "\"Articolo\": 'A?' ha '*' o '?' all'interno")) << inside.text;
}

// With too little memory a run says so plainly, in the user's language, and
// leaves no file; with enough it writes the whole report. Tried under
// several limits, since where the memory runs out depends on the machine.
TEST(Memory, RunningOutIsSaidAndLeavesNoFile) {
#ifdef QUARVELINDO_SANITIZED
  // A sanitized program reserves terabytes of shadow memory at its start:
  // no `ulimit -v` leaves it room to run at all.
  GTEST_SKIP() << "not under the address sanitizer";
#endif
  engine::testing::TempDir dir;
  const std::string db = dir.File("demo.db");
  ASSERT_EQ(Cli("demo-db " + db + " --bookings 20000").status, 0);
  const std::string out = dir.File("r.json");
  int said = 0;
  for (const int megabytes : {70, 80, 100, 120, 160, 200, 260, 340}) {
    fs::remove(out);
    const Output o = Cli("run --db " + db + " --format json --bookings --out " + out,
                         "ulimit -v " + std::to_string(megabytes * 1024) + "; ");
    ASSERT_NE(o.status, -1) << megabytes << " MB: " << o.text;  // never a crash
    if (o.status == 127) continue;                              // too little even to load the program
    if (o.status == 0) {
      EXPECT_NE(FileBytes(out).find("\"unit\""), std::string::npos) << megabytes;
      continue;
    }
    EXPECT_EQ(o.status, 2) << megabytes << " MB: " << o.text;
    EXPECT_FALSE(fs::exists(out)) << megabytes;
    EXPECT_EQ(Listing(dir.File("")), std::vector<std::string>{"demo.db"}) << megabytes;
    if (Has(o, "memoria insufficiente")) ++said;
    EXPECT_FALSE(Has(o, "bad_alloc")) << o.text;
    EXPECT_FALSE(Has(o, "Resource temporarily unavailable")) << o.text;
  }
  EXPECT_GT(said, 0) << "no limit was low enough";
}

}  // namespace
