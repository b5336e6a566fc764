// A hand-made ERP database of five bookings whose planned times are worked
// out by hand in the tests (see comparison_run_test.cpp).
#pragma once

#include <sqlite3.h>

#include <stdexcept>
#include <string>

#include "demo/erp_database.h"
#include "engine/tests/demo_db.h"

namespace engine::testing {

inline void Exec(sqlite3* db, const std::string& sql) {
  char* error = nullptr;
  if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &error) != SQLITE_OK) {
    const std::string message = error == nullptr ? "sqlite error" : error;
    sqlite3_free(error);
    throw std::runtime_error(message + " in " + sql);
  }
}

// Runs `sql` on the database file at `path`, as another program would, and
// closes it again.
inline void ExecOn(const std::string& path, const std::string& sql) {
  sqlite3* db = nullptr;
  sqlite3_open(path.c_str(), &db);
  try {
    Exec(db, sql);
  } catch (...) {
    sqlite3_close(db);
    throw;
  }
  sqlite3_close(db);
}

inline std::string TinyErp(const TempDir& dir) {
  const std::string path = dir.File("tiny.db");
  demo::CreateErpDatabase(path);
  sqlite3* db = nullptr;
  sqlite3_open(path.c_str(), &db);
  Exec(db, R"(
INSERT INTO PD07_REPARTO VALUES (1, 'R01', 'Taglio');
INSERT INTO PD12_FASILAVORO VALUES (1, 10, 'Taglio barre');
INSERT INTO PD08_MACCHINA VALUES (1, 'M1', 'Sega a nastro', 'R01');
INSERT INTO PD06_DIPENDENTI VALUES (1, 'E1', 'Rossi', 'Mario');
INSERT INTO MG66_ANAGRART VALUES (1, 'A1', 'G-A1'), (1, 'A2', 'G-A2');
INSERT INTO MG87_ARTDESC VALUES (1, 'A1', '', '', 'Albero', 'G-D1'), (1, 'A2', '', '', 'Flangia', 'G-D2');
INSERT INTO PD18_ARTPROD VALUES (1, 'A1', 0, 'C1', 0), (1, 'A2', 0, NULL, 0), (1, 'A3', 0, NULL, 1),
  (1, 'A4', 3, NULL, 2);
INSERT INTO PD42_PARGEST VALUES (1, 1);
-- Configuration: A1 and A4 are configured; variant segments 3, 2 and a progressive 4.
INSERT INTO CM15_CONFGCOMM VALUES (1, 'A1'), (1, 'A4');
INSERT INTO MG5F_DIMECONF VALUES (1, '01COL', 3, 0), (1, '02TG', 2, 0), (1, '03PRG', 4, 1);
INSERT INTO CM02_VALCONFIG VALUES (1, 'A1', '', 'DIAM', 1, NULL, 12.5, 'A1M', '2026-01-01 00:00:00'),
  (1, 'A1', '', 'FINITURA', 0, '   ', NULL, 'A1M', '2026-01-01 00:00:00');
-- Default cycle C1, phase 10: 2 min per piece, set-up 30 min, an operator 1 min per piece, two setters 5 min.
INSERT INTO PD48_CICLI (PD48_DITTA_CG18, PD48_IDCICLO, PD48_CICLO_PD52, PD48_VERSIONE_PD52, PD48_IDDISBA_PD95,
  PD48_CODFASE_PD12, PD48_CODREP_PD07, PD48_MACCHINA_PD08, PD48_INDUMLAV, PD48_TMACLAV, PD48_NUMPEZZIUM,
  PD48_INDUMSETUP, PD48_TMACSETUP, PD48_NUMPEZSETUP, PD48_INDUMATTESA, PD48_TATTESA, PD48_INDUMCODA, PD48_TCODA)
  VALUES (1, 100, 'C1', 0, NULL, 10, 'R01', 'M1', 1, 2, 1, 1, 30, 0, 2, 0, 1, 0);
INSERT INTO PD54_ADDETTILAV VALUES (100, 1, 1, 1, 1, 1), (100, 2, 2, 5, 1, 0);
-- Order N1 line 1 of A2 with its own phase details: 90 s per lot of 10, set-up 15 min per 10, wait 1 h.
INSERT INTO DO11_DOCTESTATA VALUES (1, 'N1', 'ODL', '2026-03-02 00:00:00', 'A', 7, 'G-O1');
INSERT INTO DO30_DOCCORPO VALUES (1, 'N1', 1, 'A2', NULL, 20, 500);
INSERT INTO DO31_DOCCORPOORD VALUES (1, 'N1', 1, '2026-03-20 00:00:00', '2026-03-03 00:00:00');
INSERT INTO PD95_DISBA VALUES (1, 500, 'A2', '', 0, '', 10);
INSERT INTO DO46_DOCCORORDDET VALUES (1, 'N1', 1, 1, 10, 'Taglio su misura', 'R01', NULL, NULL, 20, 200);
INSERT INTO PD2A_DETFASIDOC VALUES (900, 'N1', 1, 1, 0, 90, NULL, 1, 15, 0, NULL, 0, 0, 0, 2, 1, 9, 5, 900);
-- Bookings: id, date, article, phase, dept, machine, employee, order, quantity, kind, h, m, s.
INSERT INTO PD44_VERSORE (PD44_DITTA_CG18, PD44_PRGMVORE_PD31, PD44_DATAREG, PD44_CODART_MG66, PD44_CODFASE_PD12,
  PD44_SEQFASE, PD44_CODFORNREP, PD44_MACCHINA_PD08, PD44_CODDIP_PD06, PD44_NUMREG_CO99, PD44_PROGRIGA_DO30,
  PD44_QTALAV, PD44_INDORA, PD44_OREORD, PD44_MINORD, PD44_SECORD) VALUES
  (1, 1, '2026-03-01 00:00:00', 'A1', 10, 10, 'R01', 'M1', NULL, NULL, NULL, 10, 0, 0, 25, 0),
  (1, 2, '2026-03-02 00:00:00', 'A1', 10, 10, 'R01', NULL, 'E1', NULL, NULL, NULL, 1, 0, 40, 0),
  (1, 3, '2026-03-03 00:00:00', 'A2', 10, 10, 'R01', 'M1', 'E1', 'N1', 1, 20, 0, 1, 35, 0),
  (1, 4, '2026-03-04 00:00:00', NULL, NULL, NULL, 'R01', NULL, 'E1', NULL, NULL, NULL, 2, 1, 0, 0),
  (1, 5, '2026-03-05 00:00:00', 'A1', 10, 10, 'R01', 'M1', NULL, NULL, NULL, 5, 0, 0, 12, 0);
)");
  sqlite3_close(db);
  return path;
}

}  // namespace engine::testing
