// The demo's master data: departments, phases, machines, people, articles
// with their routing and bills of materials.
#include "demo/demo_generator.h"

namespace demo::generation {

void Generator::MasterData(Company& c, int employees, int articles) {
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

void Generator::Attributes(int64_t guid, int64_t entity, const std::string& value) {
  w_.Insert("CO5L_ATTRIBUTIDEN", {"CO5L_GUID", "CO5L_ENTITA", "CO5L_ATTR01", "CO5L_ATTR02", "CO5L_ATTR03"},
            {S(Guid(guid)), I(entity), value.empty() ? kNull : S(value), S(random_.Percent(50) ? "A" : "B"),
             D(static_cast<double>(random_.Below(100)))});
}

Phase Generator::MakePhase(const Company& c, int64_t code) {
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

double Generator::RoundTo(double v, int decimals) {
  const double f = std::pow(10.0, decimals);
  return std::round(v * f) / f;
}

void Generator::WriteCyclePhase(const Company& c, const Phase& p, const std::string& cycle, int64_t version,
                                int64_t bom, int64_t sequence) {
  w_.Insert("PD48_CICLI",
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
    w_.Insert(
        "PD54_ADDETTILAV",
        {"PD54_IDCICLO_PD48", "PD54_PROG", "PD54_NUMADDETTI", "PD54_TEMPOIMP", "PD54_INDUMTEMPO", "PD54_INDOPERAZIONE"},
        {I(p.id), I(prog++), worker.count == 1 && random_.Percent(30) ? kNull : D(worker.count), D(worker.time),
         I(worker.unit), I(worker.operation)});
  }
  ++summary_.cycle_phases;
}

std::vector<Phase> Generator::MakeRouting(const Company& c) {
  std::vector<Phase> phases;
  for (const int64_t code : {10, 20, 30, 40, 50, 60, 70}) {
    if (phases.size() < 2 || random_.Percent(55)) phases.push_back(MakePhase(c, code));
  }
  return phases;
}

Article Generator::MakeArticle(const Company& c, int n) {
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

}  // namespace demo::generation
