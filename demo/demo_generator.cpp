// The deterministic demo: a small manufacturing company (and a second, smaller
// one) with a year of bookings against production orders and routing cycles.
// Booked times scatter around the planned ones so that the comparison has
// something to show: most phases near plan, some slow, a few far off.
#include <sqlite3.h>

#include <algorithm>
#include <array>
#include <set>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <map>
#include <random>
#include <string>
#include <unordered_map>
#include <variant>
#include <vector>

#include "demo/erp_database.h"
#include "host/value/date_time.h"
#include "host/value/error.h"

namespace demo {
namespace {

using Value = std::variant<std::monostate, int64_t, double, std::string>;
const Value kNull{};

class Random {
 public:
  explicit Random(uint32_t seed) : engine_(seed) {}
  // 0 .. n-1, from the raw engine (the same on every library).
  int64_t Below(int64_t n) { return static_cast<int64_t>(engine_() % static_cast<uint32_t>(n)); }
  bool Percent(int p) { return Below(100) < p; }
  double Unit() { return static_cast<double>(engine_()) / 4294967296.0; }
  template <typename T>
  const T& Pick(const std::vector<T>& items) {
    return items[static_cast<size_t>(Below(static_cast<int64_t>(items.size())))];
  }

 private:
  std::mt19937 engine_;
};

class Writer {
 public:
  explicit Writer(sqlite3* db) : db_(db) {}
  ~Writer() {
    for (auto& [sql, stmt] : statements_) sqlite3_finalize(stmt);
  }
  Writer(const Writer&) = delete;
  Writer& operator=(const Writer&) = delete;

  void Exec(const std::string& sql) {
    if (sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, nullptr) != SQLITE_OK) Fail(sql);
  }

  void Insert(const std::string& table, const std::vector<const char*>& columns, const std::vector<Value>& values) {
    std::string key = table;
    for (const char* c : columns) key += ',' + std::string(c);
    sqlite3_stmt*& stmt = statements_[key];
    if (stmt == nullptr) {
      std::string sql = "INSERT INTO " + table + " (";
      std::string marks;
      for (size_t i = 0; i < columns.size(); ++i) {
        sql += (i ? "," : "") + std::string(columns[i]);
        marks += i ? ",?" : "?";
      }
      sql += ") VALUES (" + marks + ")";
      if (sqlite3_prepare_v2(db_, sql.c_str(), -1, &stmt, nullptr) != SQLITE_OK) Fail(sql);
    }
    for (size_t i = 0; i < values.size(); ++i) {
      const int at = static_cast<int>(i) + 1;
      const Value& v = values[i];
      if (std::holds_alternative<int64_t>(v)) {
        sqlite3_bind_int64(stmt, at, std::get<int64_t>(v));
      } else if (std::holds_alternative<double>(v)) {
        sqlite3_bind_double(stmt, at, std::get<double>(v));
      } else if (std::holds_alternative<std::string>(v)) {
        const auto& s = std::get<std::string>(v);
        sqlite3_bind_text(stmt, at, s.data(), static_cast<int>(s.size()), SQLITE_TRANSIENT);
      } else {
        sqlite3_bind_null(stmt, at);
      }
    }
    if (sqlite3_step(stmt) != SQLITE_DONE) Fail("insert into " + table);
    sqlite3_reset(stmt);
  }

 private:
  [[noreturn]] void Fail(const std::string& what) {
    throw host::Error(host::kErrDatabase, "Demo database: " + what + ": " + sqlite3_errmsg(db_), "demo");
  }
  sqlite3* db_;
  std::unordered_map<std::string, sqlite3_stmt*> statements_;
};

Value I(int64_t v) { return v; }
Value D(double v) { return v; }
Value S(std::string v) { return v; }

std::string Guid(int64_t n) {
  std::array<char, 40> b{};
  std::snprintf(b.data(), b.size(), "00000000-0000-4000-8000-%012llX", static_cast<unsigned long long>(n));
  return b.data();
}

std::string Code(const char* prefix, int64_t n, int width) {
  std::array<char, 32> b{};
  std::snprintf(b.data(), b.size(), "%s%0*lld", prefix, width, static_cast<long long>(n));
  return b.data();
}

std::string DateText(int64_t day_of_2026, int hour = 0, int minute = 0) {
  const int64_t base = host::DateTime::FromParts(2026, 1, 1)->Seconds();
  const auto d = host::DateTime::FromSeconds(base + day_of_2026 * 86400 + hour * 3600 + minute * 60);
  std::array<char, 32> b{};
  std::snprintf(b.data(), b.size(), "%04d-%02d-%02d %02d:%02d:%02d", d.Year(), d.Month(), d.Day(), d.Hour(), d.Minute(),
                d.Second());
  return b.data();
}

// Seconds per unit indicator (0 s, 1 min, 2 h, 3 days, 4 hundredths of a minute).
constexpr std::array<double, 5> kUnitSeconds{1, 60, 3600, 86400, 0.6};

// One phase as planned: what the cycle row (or order phase detail) holds.
struct Phase {
  int64_t id = 0;    // PD48_IDCICLO
  int64_t code = 0;  // phase code
  std::string department;
  std::string machine;
  int run_unit = 1;
  double run_time = 0;  // per NP pieces, in run_unit
  double pieces_per_unit = 1;
  int setup_unit = 1;
  double setup_time = 0;
  double setup_pieces = 0;
  int wait_unit = 2;
  double wait = 0;
  int queue_unit = 2;
  double queue = 0;
  std::string run_formula;
  std::string setup_formula;
  struct Worker {
    double count;
    double time;
    int unit;
    int operation;  // 1 processing, 0 set-up
  };
  std::vector<Worker> workers;
  // Planned seconds per piece of processing and per set-up (for booking times).
  [[nodiscard]] double RunSecondsPerPiece(double lot) const {
    const double np = pieces_per_unit > 0 ? pieces_per_unit : (lot > 0 ? lot : 1);
    double labour = 0;
    for (const auto& w : workers) {
      if (w.operation == 1) labour += w.count * w.time * kUnitSeconds[static_cast<size_t>(w.unit)];
    }
    return (run_time * kUnitSeconds[static_cast<size_t>(run_unit)] + labour) / np;
  }
  [[nodiscard]] double SetupSeconds() const { return setup_time * kUnitSeconds[static_cast<size_t>(setup_unit)]; }
};

struct Article {
  std::string code;
  std::vector<std::string> options;  // empty: no variants
  int type = 0;
  std::string cycle;                // default cycle code, "" when none
  std::vector<Phase> cycle_phases;  // the default cycle (version 0)
  std::map<std::string, int64_t> bom_by_option;
  std::map<int64_t, std::vector<Phase>> bom_phases;
  std::map<int64_t, double> bom_lot;
  std::string project;  // for type 3
};

struct OrderLine {
  std::string numreg;
  int64_t line = 0;
  std::string section;
  int64_t number = 0;
  int64_t day = 0;
  const Article* article = nullptr;
  std::string option;
  double quantity = 0;
  std::vector<Phase> phases;  // order phase details (with their PD2A ids), or the cycle's phases
};

struct Company {
  int64_t code;
  std::vector<std::string> departments{"R01", "R02", "R03", "R04", "R05"};
  std::vector<std::string> machines;
  std::vector<std::string> machine_department;
  std::vector<std::string> employees;
  std::vector<std::string> projects;
  std::vector<std::string> job_orders;
  std::vector<Article> articles;
  std::vector<OrderLine> lines;
};

class Generator {
 public:
  Generator(sqlite3* db, const DemoOptions& options) : w_(db), random_(options.seed), options_(options) {}

  DemoSummary Run(const std::function<void(int64_t, int64_t)>& progress) {
    w_.Exec("BEGIN");
    Company main{1};
    Company small{2};
    MasterData(main, 30, 40);
    MasterData(small, 8, 8);
    Orders(main, std::max<int64_t>(30, options_.bookings / 25));
    Orders(small, std::max<int64_t>(6, options_.bookings / 500));
    const int64_t small_share = options_.bookings / 20;
    Bookings(main, options_.bookings - small_share, 1, progress);
    Bookings(small, small_share, options_.bookings - small_share + 1, progress);
    ExternalPlans();
    w_.Exec("COMMIT");
    summary_.bookings = options_.bookings;
    return summary_;
  }

 private:
  void MasterData(Company& c, int employees, int articles) {
    const Value k = I(c.code);
    w_.Insert("PD42_PARGEST", {"PD42_DITTA_CG18", "PD42_INDGESDISBA"}, {k, I(c.code == 1 ? 1 : 0)});
    const std::vector<std::string> dept_names{"Taglio", "Tornitura", "Fresatura", "Montaggio", "Verniciatura"};
    for (size_t i = 0; i < c.departments.size(); ++i) {
      w_.Insert("PD07_REPARTO", {"PD07_DITTA_CG18", "PD07_CODREP", "PD07_DESCR"},
                {k, S(c.departments[i]), S("Reparto " + dept_names[i])});
    }
    const std::vector<std::pair<int64_t, std::string>> phases{
        {10, "Taglio barre"}, {20, "Tornitura"},    {30, "Fresatura"},      {40, "Foratura"},
        {50, "Montaggio"},    {60, "Verniciatura"}, {70, "Collaudo finale"}};
    for (const auto& [code, name] : phases) {
      w_.Insert("PD12_FASILAVORO", {"PD12_DITTA_CG18", "PD12_CODFASE", "PD12_DESCR"}, {k, I(code), S(name)});
    }
    for (int m = 1; m <= 10; ++m) {
      const std::string dept = c.departments[static_cast<size_t>((m - 1) / 2)];
      c.machines.push_back(Code("M", m, 2));
      c.machine_department.push_back(dept);
      w_.Insert("PD08_MACCHINA", {"PD08_DITTA_CG18", "PD08_MACCHINA", "PD08_DESCR", "PD08_CODREP_PD07"},
                {k, S(c.machines.back()), S("Macchina " + std::to_string(m) + " " + dept), S(dept)});
    }
    const std::vector<std::string> surnames{"Rossi",  "Bianchi", "Colombo", "Ferrari", "Esposito", "Ricci",
                                            "Marino", "Greco",   "Bruno",   "Gallo",   "Conti",    "De Luca"};
    const std::vector<std::string> names{"Marco", "Giulia", "Luca", "Sara", "Paolo", "Anna", "Davide", "Elena"};
    for (int e = 1; e <= employees; ++e) {
      c.employees.push_back(Code("D", e, 3));
      w_.Insert("PD06_DIPENDENTI", {"PD06_DITTA_CG18", "PD06_CODDIP", "PD06_COGNOME", "PD06_NOME"},
                {k, S(c.employees.back()), S(random_.Pick(surnames)), S(random_.Pick(names))});
    }
    for (const auto& [um, descr] :
         std::vector<std::pair<std::string, std::string>>{{"PZ", "Pezzi"}, {"H", "Ore"}, {"KG", "Chilogrammi"}}) {
      w_.Insert("CG0C_UNITAMISURA", {"CG0C_DITTA_CG18", "CG0C_UMSIGLA", "CG0C_DESCR"}, {k, S(um), S(descr)});
    }
    w_.Insert("PD56_ANAGKIT", {"PD56_DITTA_CG18", "PD56_CODICE", "PD56_DESCR"},
              {k, S("KIT01"), S("Kit attrezzaggio tornio")});
    w_.Insert("CI03_CAUSALI", {"CI03_DITTA_CG18", "CI03_CODICE", "CI03_DESCR"}, {k, S("VERS"), S("Versamento ore")});
    w_.Insert("CI03_CAUSALI", {"CI03_DITTA_CG18", "CI03_CODICE", "CI03_DESCR"},
              {k, S("RILP"), S("Rilevazione presenze")});
    for (int a = 1; a <= 3; ++a) {
      w_.Insert("PC03_ANAGPDC", {"PC03_DITTA_CG18", "PC03_PDC_PC01", "PC03_CONTO", "PC03_DESCR"},
                {k, I(1), S(Code("CDC", a, 3)), S("Centro di costo " + std::to_string(a))});
    }
    for (int s = 1; s <= 2; ++s) {
      const int64_t anag = c.code * 1000 + s;
      w_.Insert("CG16_ANAGGEN", {"CG16_CODICE", "CG16_RAGSOANAG"},
                {I(anag), S("Terzista " + std::to_string(anag) + " S.r.l.")});
      w_.Insert("CG44_CLIFOR", {"CG44_DITTA_CG18", "CG44_TIPOCF", "CG44_CLIFOR", "CG44_CODICE_CG16"},
                {k, I(1), I(1000 + s), I(anag)});
      w_.Insert("PD05_COSTIFORN",
                {"PD05_DITTA_CG18", "PD05_CODCOSTO", "PD05_CLIFOR_CG44", "PD05_UMSIGLA_CG0C", "PD05_DATAINIVAL",
                 "PD05_DATAFINVAL", "PD05_COSTO1"},
                {k, S("CF01"), I(1000 + s), S("H"), S(DateText(0)), S(DateText(364)), D(28.5 + s)});
    }
    for (int p = 1; p <= 4; ++p) {
      const std::string code = Code("P", p, 4);
      c.projects.push_back(code);
      w_.Insert("PD68_PROGETTI", {"PD68_DITTA_CG18", "PD68_CODPROG", "PD68_DESCRPROG", "PD68_GUID"},
                {k, S(code), S("Progetto impianto " + std::to_string(p)), S(Guid(next_guid_))});
      Attributes(next_guid_++, 6, p % 2 ? "STRATEGICO" : "");
      w_.Insert("PD69_SOTTOPROGETTI", {"PD69_DITTA_CG18", "PD69_CODPROG_PD68", "PD69_SOTPROG", "PD69_DESCRSOTPROG"},
                {k, S(code), I(1), S("Sottoprogetto meccanica")});
      for (int n = 1; n <= 2; ++n) {
        w_.Insert("PD0C_NODO", {"PD0C_DITTA_CG18", "PD0C_CODPROG_PD68", "PD0C_CODNODO", "PD0C_DESCR", "PD0C_GUID"},
                  {k, S(code), S(Code("N", n, 2)), S("Nodo " + std::to_string(n)), S(Guid(next_guid_))});
        Attributes(next_guid_++, 7, "");
      }
      w_.Insert("PD0D_ATTIVITA", {"PD0D_DITTA_CG18", "PD0D_CODPROG_PD68", "PD0D_CODATTIVITA", "PD0D_DESCR"},
                {k, S(code), S("A01"), S("Attività di produzione")});
    }
    for (int j = 1; j <= 4; ++j) {
      const std::string code = Code("C", j, 4);
      c.job_orders.push_back(code);
      for (int sub = 0; sub <= 1; ++sub) {
        w_.Insert("PD25_COMMESSA", {"PD25_DITTA_CG18", "PD25_CODCOMMESSA", "PD25_CODSOTCOMM", "PD25_DESCR"},
                  {k, S(code), I(sub), S("Commessa " + std::to_string(j) + "/" + std::to_string(sub))});
      }
    }
    const std::vector<std::pair<std::string, std::string>> formulas{
        {"F_MAGG", "T * 1.25"}, {"F_LOTTO", "T + 0.02 * Q"}, {"F_MIN", "max(T, 2)"}};
    for (const auto& [code, expression] : formulas) {
      w_.Insert("PD24_FORMULE", {"PD24_DITTA_CG18", "PD24_CODICE", "PD24_DESCR", "PD24_ESPRESSIONE"},
                {k, S(code), S("Formula " + code), S(expression)});
    }
    w_.Insert("MG5F_DIMECONF", {"MG5F_DITTA_CG18", "MG5F_CODICEVAR", "MG5F_SIZE", "MG5F_INDPROGCONFIG"},
              {k, S("01COL"), I(3), I(0)});
    w_.Insert("MG5F_DIMECONF", {"MG5F_DITTA_CG18", "MG5F_CODICEVAR", "MG5F_SIZE", "MG5F_INDPROGCONFIG"},
              {k, S("02TG"), I(2), I(0)});
    w_.Insert("MG5F_DIMECONF", {"MG5F_DITTA_CG18", "MG5F_CODICEVAR", "MG5F_SIZE", "MG5F_INDPROGCONFIG"},
              {k, S("03PRG"), I(4), I(1)});
    for (int a = 1; a <= articles; ++a) c.articles.push_back(MakeArticle(c, a));
  }

  void Attributes(int64_t guid, int64_t entity, const std::string& value) {
    w_.Insert("CO5L_ATTRIBUTIDEN", {"CO5L_GUID", "CO5L_ENTITA", "CO5L_ATTR01", "CO5L_ATTR02", "CO5L_ATTR03"},
              {S(Guid(guid)), I(entity), value.empty() ? kNull : S(value), S(random_.Percent(50) ? "A" : "B"),
               D(static_cast<double>(random_.Below(100)))});
  }

  Phase MakePhase(const Company& c, int64_t code) {
    Phase p;
    p.id = next_cycle_id_++;
    p.code = code;
    p.department = c.departments[static_cast<size_t>(std::min<int64_t>(code / 10 - 1, 4))];
    if (code == 40) p.department = "R03";
    if (code == 70) p.department = "R04";
    std::vector<std::string> candidates;
    for (size_t m = 0; m < c.machines.size(); ++m) {
      if (c.machine_department[m] == p.department) candidates.push_back(c.machines[m]);
    }
    const bool manual = candidates.empty() || random_.Percent(15);
    if (!manual) p.machine = random_.Pick(candidates);
    // Run time per piece between 20 s and 5 min, written in a unit of the row.
    const double run_seconds = 20 + random_.Below(280);
    p.run_unit = static_cast<int>(random_.Pick(std::vector<int64_t>{0, 1, 1, 1, 2, 4}));
    p.pieces_per_unit = static_cast<double>(random_.Pick(std::vector<int64_t>{1, 1, 1, 10, 0}));
    const double np = p.pieces_per_unit > 0 ? p.pieces_per_unit : 1;
    p.run_time = manual ? 0 : RoundTo(run_seconds * np / kUnitSeconds[static_cast<size_t>(p.run_unit)], 4);
    p.setup_unit = random_.Percent(70) ? 1 : 2;
    p.setup_time = !manual && random_.Percent(75)
                       ? RoundTo((5 + random_.Below(55)) * 60.0 / kUnitSeconds[static_cast<size_t>(p.setup_unit)], 4)
                       : 0;
    p.setup_pieces = random_.Percent(30) ? 50 : 0;
    if (random_.Percent(20)) p.wait = RoundTo(random_.Unit() * 4, 2);
    if (random_.Percent(20)) p.queue = RoundTo(random_.Unit() * 2, 2);
    if (!manual && random_.Percent(10)) p.run_formula = random_.Percent(50) ? "F_MAGG" : "F_LOTTO";
    if (p.setup_time > 0 && random_.Percent(5)) p.setup_formula = "F_MIN";
    // Crew: a manual phase is all labour; a machine phase may need an
    // operator for part of the run, and a setter.
    if (manual) {
      p.workers.push_back({random_.Percent(70) ? 1.0 : 2.0, RoundTo(run_seconds / 60 * np, 3), 1, 1});
    } else if (random_.Percent(35)) {
      p.workers.push_back({1, RoundTo(run_seconds / 60 * np * 0.5, 3), 1, 1});
    }
    if (!manual && random_.Percent(30)) p.workers.push_back({1, RoundTo(10 + random_.Below(20), 0), 1, 0});
    return p;
  }

  static double RoundTo(double v, int decimals) {
    const double f = std::pow(10.0, decimals);
    return std::round(v * f) / f;
  }

  void WriteCyclePhase(const Company& c, const Phase& p, const std::string& cycle, int64_t version, int64_t bom,
                       int64_t sequence) {
    w_.Insert(
        "PD48_CICLI",
        {"PD48_DITTA_CG18",  "PD48_IDCICLO",        "PD48_CICLO_PD52",   "PD48_VERSIONE_PD52", "PD48_IDDISBA_PD95",
         "PD48_SEQFASE",     "PD48_CODFASE_PD12",   "PD48_CODREP_PD07",  "PD48_CODFORN_CG44",  "PD48_MACCHINA_PD08",
         "PD48_INDUMLAV",    "PD48_TMACLAV",        "PD48_FORMLAV_PD24", "PD48_INDUMSETUP",    "PD48_TMACSETUP",
         "PD48_NUMPEZSETUP", "PD48_FORMSETUP_PD24", "PD48_NUMPEZZIUM",   "PD48_INDUMTOTLAV",   "PD48_TTOTLAV",
         "PD48_INDUMATTESA", "PD48_TATTESA",        "PD48_INDUMCODA",    "PD48_TCODA",         "PD48_IDENTPROG"},
        {I(c.code),
         I(p.id),
         S(cycle),
         I(version),
         bom > 0 ? I(bom) : kNull,
         I(sequence),
         I(p.code),
         S(p.department),
         kNull,
         p.machine.empty() ? kNull : S(p.machine),
         I(p.run_unit),
         D(p.run_time),
         p.run_formula.empty() ? kNull : S(p.run_formula),
         I(p.setup_unit),
         D(p.setup_time),
         D(p.setup_pieces),
         p.setup_formula.empty() ? kNull : S(p.setup_formula),
         D(p.pieces_per_unit),
         I(1),
         D(0),
         I(p.wait_unit),
         D(p.wait),
         I(p.queue_unit),
         D(p.queue),
         I(p.id)});
    int64_t prog = 1;
    for (const auto& worker : p.workers) {
      w_.Insert("PD54_ADDETTILAV",
                {"PD54_IDCICLO_PD48", "PD54_PROG", "PD54_NUMADDETTI", "PD54_TEMPOIMP", "PD54_INDUMTEMPO",
                 "PD54_INDOPERAZIONE"},
                {I(p.id), I(prog++), worker.count == 1 && random_.Percent(30) ? kNull : D(worker.count), D(worker.time),
                 I(worker.unit), I(worker.operation)});
    }
    ++summary_.cycle_phases;
  }

  std::vector<Phase> MakeRouting(const Company& c) {
    std::vector<Phase> phases;
    for (const int64_t code : {10, 20, 30, 40, 50, 60, 70}) {
      if (phases.size() < 2 || random_.Percent(55)) phases.push_back(MakePhase(c, code));
    }
    return phases;
  }

  Article MakeArticle(const Company& c, int n) {
    const Value k = I(c.code);
    Article a;
    a.code = Code("ART", n, 4);
    const std::vector<std::string> kinds{"Albero", "Flangia", "Supporto", "Staffa", "Perno", "Carter", "Boccola"};
    const std::string description = random_.Pick(kinds) + " " + std::to_string(10 + n * 5) + " mm";
    if (n % 3 == 0) a.options = {"ROS.042", "BLU.044", "NER.046"};
    a.type = n % 10 == 7 ? 3 : 0;
    if (a.type == 3) a.project = c.projects[static_cast<size_t>(n) % c.projects.size()];
    if (n % 5 != 4) a.cycle = Code("CIC", n, 4);
    const int64_t article_guid = next_guid_++;
    w_.Insert("MG66_ANAGRART", {"MG66_DITTA_CG18", "MG66_CODART", "MG66_GUID"}, {k, S(a.code), S(Guid(article_guid))});
    w_.Insert("CO5S_STATIENTITA", {"CO5S_GUID", "CO5S_ENTITA", "CO5S_IDSTATO"},
              {S(Guid(article_guid)), I(6), I(1 + n % 3)});
    Attributes(article_guid, 5, n % 2 ? "LINEA_A" : "LINEA_B");
    // Categories by position, so the rest of the demo stays as it was.
    static constexpr std::array<const char*, 4> kCategories{"MECC", "ELETTR", "ASSEMB", "VERNIC"};
    const auto category = [&](const std::string& option, const char* code) {
      w_.Insert("CO5C_CATEGORIEART", {"CO5C_DITTA_CG18", "CO5C_CODART_MG66", "CO5C_OPZIONE_MG5E", "CO5C_CODCAT"},
                {k, S(a.code), S(option), S(code)});
    };
    category("", kCategories[static_cast<size_t>(n) % kCategories.size()]);
    if (n % 5 == 0 && !a.options.empty()) category(a.options.front(), "SPECIALE");
    w_.Insert("PD18_ARTPROD",
              {"PD18_DITTA_CG18", "PD18_CODART_MG66", "PD18_INDTIPOART", "PD18_CODCICLO", "PD18_INDGESDISBA"},
              {k, S(a.code), I(a.type), a.cycle.empty() ? kNull : S(a.cycle), I(n % 7 == 0 ? 2 : 0)});
    std::vector<std::string> described{""};
    described.insert(described.end(), a.options.begin(), a.options.end());
    for (const auto& option : described) {
      const int64_t guid = next_guid_++;
      w_.Insert(
          "MG87_ARTDESC",
          {"MG87_DITTA_CG18", "MG87_CODART_MG66", "MG87_OPZIONE_MG5E", "MG87_LINGUA_MG52", "MG87_DESCART", "MG87_GUID"},
          {k, S(a.code), S(option), S(""), S(description + (option.empty() ? "" : " " + option)), S(Guid(guid))});
      if (!option.empty()) {
        w_.Insert("FA12_ARTICOLI", {"FA12_DITTA_CG18", "FA12_CODART_MG66", "FA12_OPZIONE_MG5E", "FA12_STAGIONE"},
                  {k, S(a.code), S(option.substr(0, 3)), S("PE26")});
        w_.Insert("FA13_ATTRIBUTI", {"FA13_GUID", "FA13_ENTITA_FA11", "FA13_LINEA"}, {S(Guid(guid)), I(0), S("Moda")});
      }
    }
    if (n % 4 == 1) {
      w_.Insert("CM15_CONFGCOMM", {"CM15_DITTA_CG18", "CM15_CODART_MG66"}, {k, S(a.code)});
      w_.Insert("CM02_VALCONFIG",
                {"CM02_DITTA_CG18", "CM02_CODART_MG66", "CM02_SEGMENTO", "CM02_CODICE", "CM02_INDTIPODATO",
                 "CM02_VALORESTR", "CM02_VALORENUM", "CM02_CODARTMOD_MG66", "CM02_DATAINIVAL"},
                {k, S(a.code), S(""), S("DIAM"), I(1), kNull, D(12.5 + n), S(a.code + "M"), S(DateText(0))});
      w_.Insert("CM02_VALCONFIG",
                {"CM02_DITTA_CG18", "CM02_CODART_MG66", "CM02_SEGMENTO", "CM02_CODICE", "CM02_INDTIPODATO",
                 "CM02_VALORESTR", "CM02_VALORENUM", "CM02_CODARTMOD_MG66", "CM02_DATAINIVAL"},
                {k, S(a.code), S(""), S("FINITURA"), I(0), S(n % 8 == 1 ? "LUCIDA" : "  "), kNull, S(a.code + "M"),
                 S(DateText(0))});
    }
    if (!a.cycle.empty()) {
      a.cycle_phases = MakeRouting(c);
      int64_t seq = 10;
      for (const auto& p : a.cycle_phases) WriteCyclePhase(c, p, a.cycle, 0, 0, seq += 10);
    }
    // Bills of materials: per option (or without), on most articles.
    if (n % 5 != 2) {
      std::vector<std::string> keys = a.options.empty() ? std::vector<std::string>{""} : a.options;
      for (const auto& option : keys) {
        const int64_t bom = next_bom_id_++;
        const double lot = static_cast<double>(random_.Pick(std::vector<int64_t>{0, 0, 10, 50}));
        w_.Insert("PD95_DISBA",
                  {"PD95_DITTA_CG18", "PD95_IDDISBA", "PD95_CODART_MG66", "PD95_OPZIONE_MG5E", "PD95_INDTIPOART",
                   "PD95_CODPROG_PD68", "PD95_LOTTORIF"},
                  {k, I(bom), S(a.code), S(option), I(a.type), S(a.type == 3 ? a.project : ""), D(lot)});
        a.bom_by_option[option] = bom;
        a.bom_lot[bom] = lot;
        auto routing = MakeRouting(c);
        int64_t seq = 10;
        for (const auto& p : routing)
          WriteCyclePhase(c, p, a.cycle.empty() ? Code("CB", n, 4) : a.cycle, 1, bom, seq += 10);
        a.bom_phases[bom] = std::move(routing);
      }
    }
    ++summary_.articles;
    return a;
  }

  void Orders(Company& c, int64_t count) {
    const Value k = I(c.code);
    for (int64_t o = 1; o <= count; ++o) {
      const std::string numreg = std::to_string(c.code) + Code("ODL", o, 7);
      const int64_t day = random_.Below(330);
      const std::string section = random_.Percent(80) ? "A" : "B";
      const int64_t guid = next_guid_++;
      w_.Insert("DO11_DOCTESTATA",
                {"DO11_DITTA_CG18", "DO11_NUMREG_CO99", "DO11_DOCUM_MG36", "DO11_DATADOC", "DO11_SEZDOC", "DO11_NUMDOC",
                 "DO11_GUID"},
                {k, S(numreg), S("ODL"), S(DateText(day)), S(section), I(o), S(Guid(guid))});
      w_.Insert("CO5S_STATIENTITA", {"CO5S_GUID", "CO5S_ENTITA", "CO5S_IDSTATO"}, {S(Guid(guid)), I(7), I(1 + o % 4)});
      Attributes(guid, 19, o % 3 ? "URGENTE" : "");
      const int64_t lines = 1 + random_.Below(3);
      for (int64_t l = 1; l <= lines; ++l) {
        OrderLine line;
        line.numreg = numreg;
        line.line = l;
        line.section = section;
        line.number = o;
        line.day = day;
        line.article = &random_.Pick(c.articles);
        line.option = line.article->options.empty() ? "" : random_.Pick(line.article->options);
        line.quantity = static_cast<double>(5 + random_.Below(20) * 5);
        auto bom = line.article->bom_by_option.find(line.option);
        const bool has_bom = bom != line.article->bom_by_option.end();
        w_.Insert("DO30_DOCCORPO",
                  {"DO30_DITTA_CG18", "DO30_NUMREG_CO99", "DO30_PROGRIGA", "DO30_CODART_MG66", "DO30_OPZIONE_MG5E",
                   "DO30_QTA", "DO30_IDDISBA_PD95"},
                  {k, S(numreg), I(l), S(line.article->code), line.option.empty() ? kNull : S(line.option),
                   D(line.quantity), has_bom ? I(bom->second) : kNull});
        w_.Insert("DO31_DOCCORPOORD",
                  {"DO31_DITTA_CG18", "DO31_NUMREG_CO99", "DO31_PROGRIGA", "DO31_DATACONS", "DO31_DATAINIZLAV"},
                  {k, S(numreg), I(l), S(DateText(day + 15 + random_.Below(30))),
                   random_.Percent(90) ? S(DateText(day + 1 + random_.Below(5))) : kNull});
        if (has_bom) {
          int64_t detail = 1;
          for (Phase p : line.article->bom_phases.at(bom->second)) {
            const int64_t cycle_id = p.id;
            // Order phase details start from the cycle and drift a little.
            p.id = next_order_phase_id_++;
            p.run_time = RoundTo(p.run_time * (0.9 + random_.Unit() * 0.2), 4);
            w_.Insert("DO46_DOCCORORDDET",
                      {"DO46_DITTA_CG18", "DO46_NUMREG_CO99", "DO46_PROGRIGA", "DO46_PROGDET", "DO46_CODFASE",
                       "DO46_DESCRFASE", "DO46_CODREPARTO", "DO46_CLIFOR_CG44", "DO46_MACCHINAALT", "DO46_QTA1ORD",
                       "DO46_IDCICLO_PD48"},
                      {k, S(numreg), I(l), I(detail), I(p.code),
                       random_.Percent(25) ? S("Fase d'ordine " + std::to_string(p.code) + " su misura") : kNull,
                       S(p.department), kNull, random_.Percent(10) ? S(c.machines.front()) : kNull, D(line.quantity),
                       I(cycle_id)});
            w_.Insert("PD2A_DETFASIDOC",
                      {"PD2A_IDFASE", "PD2A_NUMREG_CO99", "PD2A_PROGRIGA_DO46", "PD2A_PROGDET_DO46", "PD2A_INDUMLAV",
                       "PD2A_TMACLAV", "PD2A_FORMLAV_PD24", "PD2A_INDUMSETUP", "PD2A_TMACSETUP", "PD2A_NUMPEZZISETUP",
                       "PD2A_FORMSETUP_PD24", "PD2A_NUMPEZZIUM", "PD2A_INDUMTOTLAV", "PD2A_TTOTLAV", "PD2A_INDUMATTESA",
                       "PD2A_TATTESA", "PD2A_INDUMCODA", "PD2A_TCODA", "PD2A_IDENTPROG"},
                      {I(p.id), S(numreg), I(l), I(detail), I(p.run_unit), D(p.run_time),
                       p.run_formula.empty() ? kNull : S(p.run_formula), I(p.setup_unit), D(p.setup_time),
                       D(p.setup_pieces), p.setup_formula.empty() ? kNull : S(p.setup_formula), D(p.pieces_per_unit),
                       I(1), D(0), I(p.wait_unit), D(p.wait), I(p.queue_unit), D(p.queue), I(cycle_id)});
            int64_t prog = 1;
            for (const auto& worker : p.workers) {
              w_.Insert("PD2B_ADDETTIDOC",
                        {"PD2B_IDFASE_PD2A", "PD2B_PROG", "PD2B_NUMADDETTI", "PD2B_TEMPOIMP", "PD2B_INDUMTEMPO",
                         "PD2B_INDOPERAZIONE"},
                        {I(p.id), I(prog++), D(worker.count), D(worker.time), I(worker.unit), I(worker.operation)});
            }
            line.phases.push_back(p);
            ++detail;
            ++summary_.order_phases;
          }
        } else {
          line.phases = line.article->cycle_phases;
        }
        c.lines.push_back(std::move(line));
        ++summary_.order_lines;
      }
    }
  }

  // Seconds of the phase's machine and labour processing per piece, and of
  // its set-up (machine and setter) for a lot of q.
  struct Plan {
    double machine_per_piece = 0, labour_per_piece = 0, setup_machine = 0, setup_labour = 0;
  };
  static Plan PlanOf(const Phase& p, double lot, double q) {
    Plan plan;
    const double np = p.pieces_per_unit > 0 ? p.pieces_per_unit : (lot > 0 ? lot : 1);
    plan.machine_per_piece = p.run_time * kUnitSeconds[static_cast<size_t>(p.run_unit)] / np;
    double setups = 1;
    const double setup_pieces = p.setup_pieces > 0 ? p.setup_pieces : lot;
    if (setup_pieces > 0) setups = std::ceil(q / setup_pieces);
    plan.setup_machine = p.SetupSeconds() * setups;
    for (const auto& w : p.workers) {
      const double seconds = w.count * w.time * kUnitSeconds[static_cast<size_t>(w.unit)];
      if (w.operation == 1) {
        plan.labour_per_piece += seconds / np;
      } else {
        plan.setup_labour += seconds * (setup_pieces > 0 ? setups : 1);
      }
    }
    return plan;
  }

  // How far from plan a booking lands: systematic drifts of some machines,
  // people, phases and departments, noise, and a few outliers.
  double Drift(const std::string& machine, const std::string& employee, int64_t phase, const std::string& dept,
               bool setup) {
    double f = 0.88 + random_.Unit() * 0.3;
    if (machine == "M03") f *= 1.25;
    if (machine == "M08") f *= 0.9;
    if (employee == "D007") f *= 1.3;
    if (employee == "D012") f *= 0.85;
    if (phase == 40) f *= 1.15;
    if (setup && dept == "R05") f *= 0.7;
    if (random_.Percent(2)) f *= 2.5;
    return f;
  }

  struct Booking {
    const OrderLine* line = nullptr;
    const Article* article = nullptr;
    std::string option;
    const Phase* phase = nullptr;
    int64_t sequence = 0;
    int indora = 0;
    std::string machine, employee;
    bool blank_employee = false;
    double quantity = 0;
    bool null_quantity = false;
    double seconds = 0;
    int64_t day = 0;
    std::string department;
  };

  void Bookings(const Company& c, int64_t count, int64_t first_id,
                const std::function<void(int64_t, int64_t)>& progress) {
    int64_t id = first_id;
    const int64_t end = first_id + count;
    size_t next_line = 0;
    const auto emit = [&](const Booking& b) {
      if (id < end) WriteBooking(c, b, id++);
      if (progress && id % 20000 == 0) progress(id, options_.bookings);
    };
    while (id < end) {
      const int roll = static_cast<int>(random_.Below(100));
      if (roll < 2) {
        // Maintenance: a person in a department, no phase.
        Booking b;
        b.indora = 2;
        b.employee = random_.Pick(c.employees);
        b.department = c.departments[static_cast<size_t>(random_.Below(5))];
        b.seconds = 1800 + random_.Below(9000);
        b.day = random_.Below(365);
        emit(b);
      } else if (roll < 8 || c.lines.empty()) {
        // Work on an article outside production orders: its routing plans it.
        const Article& a = random_.Pick(c.articles);
        Booking b;
        b.article = &a;
        b.option = a.options.empty() ? "" : random_.Pick(a.options);
        auto bom = a.bom_by_option.find(b.option);
        const std::vector<Phase>& phases = bom != a.bom_by_option.end() ? a.bom_phases.at(bom->second) : a.cycle_phases;
        const double lot = bom != a.bom_by_option.end() ? a.bom_lot.at(bom->second) : 0;
        if (phases.empty()) continue;
        const size_t pick = static_cast<size_t>(random_.Below(static_cast<int64_t>(phases.size())));
        b.phase = &phases[pick];
        b.sequence = static_cast<int64_t>(pick + 1) * 10;
        b.quantity = static_cast<double>(1 + random_.Below(20));
        b.day = random_.Below(365);
        const Plan plan = PlanOf(*b.phase, lot, b.quantity);
        Processing(c, b, plan, emit);
      } else {
        // A production order line, phase by phase.
        const OrderLine& line = c.lines[next_line++ % c.lines.size()];
        auto bom = line.article->bom_by_option.find(line.option);
        const double lot = bom != line.article->bom_by_option.end() ? line.article->bom_lot.at(bom->second) : 0;
        int64_t sequence = 10;
        for (const Phase& p : line.phases) {
          Booking b;
          b.line = &line;
          b.article = line.article;
          b.option = line.option;
          b.phase = &p;
          b.sequence = sequence += 10;
          b.day = std::min<int64_t>(364, line.day + sequence / 10);
          const Plan plan = PlanOf(p, lot, line.quantity);
          if (plan.setup_machine > 0 || plan.setup_labour > 0) {
            Booking s = b;
            s.indora = 1;
            s.null_quantity = random_.Percent(50);
            s.quantity = line.quantity;
            if (plan.setup_labour > 0 && (plan.setup_machine == 0 || random_.Percent(50))) {
              s.employee = random_.Pick(c.employees);
              s.seconds = plan.setup_labour;
            } else {
              s.machine = p.machine;
              s.seconds = plan.setup_machine;
            }
            s.seconds *= Drift(s.machine, s.employee, p.code, p.department, true);
            emit(s);
          }
          // The quantity in one to three parts.
          const int parts = 1 + static_cast<int>(random_.Below(3));
          double left = line.quantity;
          for (int part = 0; part < parts && left > 0; ++part) {
            Booking r = b;
            r.quantity = part + 1 == parts ? left : std::max(1.0, std::round(line.quantity / parts));
            left -= r.quantity;
            Processing(c, r, plan, emit);
          }
        }
      }
    }
  }

  // Processing bookings of one part: the machine's and the crew's.
  template <typename Emit>
  void Processing(const Company& c, Booking b, const Plan& plan, const Emit& emit) {
    b.indora = 0;
    if (!b.phase->machine.empty() && plan.machine_per_piece > 0) {
      Booking m = b;
      m.machine = b.phase->machine;
      m.blank_employee = random_.Percent(10);
      m.seconds = plan.machine_per_piece * b.quantity * Drift(m.machine, "", b.phase->code, b.phase->department, false);
      emit(m);
    }
    if (plan.labour_per_piece > 0) {
      Booking l = b;
      l.employee = random_.Pick(c.employees);
      l.seconds = plan.labour_per_piece * b.quantity * Drift("", l.employee, b.phase->code, b.phase->department, false);
      emit(l);
    }
  }

  void WriteBooking(const Company& c, const Booking& b, int64_t id) {
    static const std::vector<const char*> kColumns{
        "PD44_DITTA_CG18",    "PD44_PRGMVORE_PD31",    "PD44_DATAREG",        "PD44_CODART_MG66",
        "PD44_OPZIONE",       "PD44_CODFASE_PD12",     "PD44_SEQFASE",        "PD44_CODFORNREP",
        "PD44_MACCHINA_PD08", "PD44_CODDIP_PD06",      "PD44_CODPROG_PD14",   "PD44_SOTPROG_PD14",
        "PD44_CODNODO_PD0C",  "PD44_CODATTIVITA_PD0D", "PD44_CODCOMM",        "PD44_CODSCOM",
        "PD44_NUMREG_CO99",   "PD44_SEZDOC_DO11",      "PD44_NUMDOC_DO11",    "PD44_PROGRIGA_DO30",
        "PD44_QTALAV",        "PD44_INDORA",           "PD44_OREORD",         "PD44_MINORD",
        "PD44_SECORD",        "PD44_KITATT_PD56",      "PD44_INDTIPOCOSDQR",  "PD44_VALUTADQR",
        "PD44_UMTEMPODQR",    "PD44_COSTODQR",         "PD44_IMPDQR",         "PD44_VALUTAMAC",
        "PD44_UMTEMPOMAC",    "PD44_COSTOMAC",         "PD44_IMPMAC",         "PD44_NOTE",
        "PD44_INDLAVORAZ",    "PD44_INIZLAV",          "PD44_OREINI",         "PD44_MININI",
        "PD44_SECINI",        "PD44_FINELAV",          "PD44_OREFIN",         "PD44_MINFIN",
        "PD44_SECFIN",        "PD44_CLIFOR_CG44",      "PD44_UMSIGLA_CG0C",   "PD44_COSTOFORN_PD05",
        "PD44_CODICE_CI03",   "PD44_PDC_PC01",         "PD44_CONTOORIG_PC03", "PD44_CONTODEST_PC03",
        "PD44_INDTIPOVERS",   "PD44_IDCOSTO_PD5A",     "PD44_CODSQUADRA_PD10"};
    std::vector<Value> v(kColumns.size(), kNull);
    v[0] = I(c.code);
    v[1] = I(id);
    v[2] = S(DateText(b.day));
    const bool external = b.phase != nullptr && random_.Percent(1);
    if (b.phase != nullptr) {
      v[5] = I(b.phase->code);
      v[6] = I(b.sequence);
      v[7] = S(external ? "F1001" : b.phase->department);
    } else {
      v[7] = S(b.department);
    }
    if (!b.machine.empty()) v[8] = S(b.machine);
    if (!b.employee.empty()) {
      v[9] = S(b.employee);
    } else if (b.blank_employee) {
      v[9] = S("");  // a blank code, not Null
    }
    if (b.article != nullptr) {
      v[3] = S(b.article->code);
      if (!b.option.empty()) {
        v[4] = S(b.option);
      } else if (random_.Percent(5)) {
        v[4] = S("");
      }
      if (b.article->type == 3) {
        v[10] = S(b.article->project);
        v[11] = I(1);
      }
    }
    if (b.line != nullptr) {
      v[16] = S(b.line->numreg);
      v[17] = S(b.line->section);
      v[18] = I(b.line->number);
      v[19] = I(b.line->line);
    }
    if (random_.Percent(12) && v[10].index() == 0) {
      v[10] = S(random_.Pick(c.projects));
      v[11] = random_.Percent(50) ? I(1) : kNull;
      v[12] = S(random_.Percent(50) ? "N01" : "N02");
      v[13] = S("A01");
    }
    if (random_.Percent(20)) {
      v[14] = S(random_.Pick(c.job_orders));
      v[15] = I(random_.Below(2));
    }
    v[20] = b.null_quantity || b.indora == 2 ? kNull : D(b.quantity);
    v[21] = I(b.indora);
    const auto booked = static_cast<int64_t>(std::max(1.0, std::round(b.seconds)));
    v[22] = I(booked / 3600);
    v[23] = I(booked % 3600 / 60);
    v[24] = I(booked % 60);
    if (b.indora == 1 && random_.Percent(20)) v[25] = S("KIT01");
    const double hours = static_cast<double>(booked) / 3600.0;
    if (!b.employee.empty()) {
      v[26] = I(random_.Percent(90) ? 0 : 1);
      v[27] = S("EUR");
      v[28] = I(2);
      v[29] = D(32.5);
      v[30] = D(RoundTo(32.5 * hours, 6));
    }
    if (!b.machine.empty()) {
      v[31] = S("EUR");
      v[32] = I(2);
      v[33] = D(48.0);
      v[34] = D(RoundTo(48.0 * hours, 6));
    }
    if (random_.Percent(3)) v[35] = S("Fermo per cambio utensile, ripreso l'indomani");
    v[36] = I(external ? 1 : 0);
    const int start_hour = 7 + static_cast<int>(random_.Below(8));
    v[37] = S(DateText(b.day));
    v[38] = I(start_hour);
    v[39] = I(random_.Below(60));
    v[40] = I(0);
    v[41] = S(DateText(b.day));
    v[42] = I(std::min<int64_t>(23, start_hour + booked / 3600));
    v[43] = I(random_.Below(60));
    v[44] = I(0);
    if (external) external_.push_back({&c, b.line, b.article, b.option, b.phase});
    if (external) {
      v[45] = I(1001);
      v[46] = S("H");
      v[47] = S("CF01");
    }
    v[48] = S("VERS");
    v[49] = I(1);
    v[50] = S("CDC001");
    v[51] = S(random_.Percent(50) ? "CDC002" : "CDC003");
    v[52] = I(b.machine.empty() ? 2 : 1);
    w_.Insert("PD44_VERSORE", kColumns, v);
  }

  Writer w_;
  Random random_;
  DemoOptions options_;
  DemoSummary summary_;
  int64_t next_guid_ = 1;
  // The external bookings, whose phases the supplier department plans too.
  struct ExternalWork {
    const Company* company;
    const OrderLine* line;
    const Article* article;
    std::string option;
    const Phase* phase;
  };
  std::vector<ExternalWork> external_;

  // The supplier department "F1001" plans each phase that was sent out: an
  // order phase detail of its own on the order line (supplier 1001, no
  // machine, no crew), or a row of the routing (the article's cycle, or its
  // bill of materials) in that department. Written after the bookings, with
  // no draw of the random sequence, so the rest of the demo stays as it was.
  void ExternalPlans() {
    std::set<std::string> written;
    for (const ExternalWork& w : external_) {
      Phase p = *w.phase;
      p.department = "F1001";
      p.machine.clear();
      p.workers.clear();
      const Value k = I(w.company->code);
      const Article* article = w.line != nullptr ? w.line->article : w.article;
      const std::string option = w.line != nullptr ? w.line->option : w.option;
      const bool detailed = w.line != nullptr && article->bom_by_option.count(option) != 0;
      if (detailed) {
        const std::string key = w.line->numreg + "/" + std::to_string(w.line->line) + "/" + std::to_string(p.code);
        if (!written.insert(key).second) continue;
        const int64_t cycle_id = p.id;
        p.id = next_order_phase_id_++;
        w_.Insert("DO46_DOCCORORDDET",
                  {"DO46_DITTA_CG18", "DO46_NUMREG_CO99", "DO46_PROGRIGA", "DO46_PROGDET", "DO46_CODFASE",
                   "DO46_DESCRFASE", "DO46_CODREPARTO", "DO46_CLIFOR_CG44", "DO46_MACCHINAALT", "DO46_QTA1ORD",
                   "DO46_IDCICLO_PD48"},
                  {k, S(w.line->numreg), I(w.line->line), I(900 + p.code), I(p.code),
                   S("Fase " + std::to_string(p.code) + " presso terzista"), S(p.department), I(1001), kNull,
                   D(w.line->quantity), I(cycle_id)});
        w_.Insert("PD2A_DETFASIDOC",
                  {"PD2A_IDFASE", "PD2A_NUMREG_CO99", "PD2A_PROGRIGA_DO46", "PD2A_PROGDET_DO46", "PD2A_INDUMLAV",
                   "PD2A_TMACLAV", "PD2A_FORMLAV_PD24", "PD2A_INDUMSETUP", "PD2A_TMACSETUP", "PD2A_NUMPEZZISETUP",
                   "PD2A_FORMSETUP_PD24", "PD2A_NUMPEZZIUM", "PD2A_INDUMTOTLAV", "PD2A_TTOTLAV", "PD2A_INDUMATTESA",
                   "PD2A_TATTESA", "PD2A_INDUMCODA", "PD2A_TCODA", "PD2A_IDENTPROG"},
                  {I(p.id), S(w.line->numreg), I(w.line->line), I(900 + p.code), I(p.run_unit), D(p.run_time),
                   kNull, I(p.setup_unit), D(p.setup_time), D(p.setup_pieces), kNull, D(p.pieces_per_unit), I(1),
                   D(0), I(p.wait_unit), D(p.wait), I(p.queue_unit), D(p.queue), I(cycle_id)});
        continue;
      }
      // The routing: the default cycle and every bill of materials of the
      // article that hold the phase.
      if (!article->cycle.empty()) {
        const std::string key = "C/" + std::to_string(w.company->code) + "/" + article->cycle + "/" +
                                std::to_string(p.code);
        if (written.insert(key).second) {
          p.id = next_cycle_id_++;
          WriteCyclePhase(*w.company, p, article->cycle, 0, 0, 900);
        }
      }
      for (const auto& [bom, phases] : article->bom_phases) {
        const bool holds = std::any_of(phases.begin(), phases.end(), [&](const Phase& x) { return x.code == p.code; });
        const std::string key = "B/" + std::to_string(w.company->code) + "/" + std::to_string(bom) + "/" +
                                std::to_string(p.code);
        if (!holds || !written.insert(key).second) continue;
        p.id = next_cycle_id_++;
        WriteCyclePhase(*w.company, p, article->cycle.empty() ? "EXT" : article->cycle, 1, bom, 900);
      }
    }
  }

  int64_t next_cycle_id_ = 1;
  int64_t next_bom_id_ = 1;
  int64_t next_order_phase_id_ = 1;
};

}  // namespace

DemoSummary GenerateDemoDatabase(const std::string& path, const DemoOptions& options,
                                 const std::function<void(int64_t, int64_t)>& progress) {
  CreateErpDatabase(path);
  sqlite3* db = nullptr;
  if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
    sqlite3_close(db);
    throw host::Error(host::kErrDatabase, "Cannot open '" + path + "'", "demo");
  }
  sqlite3_exec(db, "PRAGMA journal_mode=OFF; PRAGMA synchronous=OFF", nullptr, nullptr, nullptr);
  try {
    DemoSummary summary = Generator(db, options).Run(progress);
    sqlite3_exec(db, "ANALYZE", nullptr, nullptr, nullptr);
    sqlite3_close(db);
    return summary;
  } catch (...) {
    sqlite3_close(db);
    std::filesystem::remove(path);
    throw;
  }
}

}  // namespace demo
