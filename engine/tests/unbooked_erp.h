// The hand-made database of tiny_erp.h with phases planned and never
// booked: see UnbookedErp.
#pragma once

#include <string>

#include "engine/tests/tiny_erp.h"

namespace engine::testing {

// Order N1 line 1 gets a second phase (20, on R01, machine M1): 3 minutes
// a piece for its 20 pieces, nothing else: 60 minutes. Order N2 line 1
// (article A1, 4 pieces) is planned from the routing of bill 501: phase 10
// (booked below) and phase 30 at 5 minutes a piece plus 10 minutes set-up:
// 30 minutes.
inline std::string UnbookedErp(const TempDir& dir) {
  const std::string path = TinyErp(dir);
  sqlite3* db = nullptr;
  sqlite3_open(path.c_str(), &db);
  Exec(db, R"(
INSERT INTO PD12_FASILAVORO VALUES (1, 20, 'Foratura'), (1, 30, 'Collaudo');
INSERT INTO DO46_DOCCORORDDET VALUES (1, 'N1', 1, 2, 20, 'Foratura fori', 'R01', NULL, 'M1', 20, NULL);
INSERT INTO PD2A_DETFASIDOC (PD2A_IDFASE, PD2A_NUMREG_CO99, PD2A_PROGRIGA_DO46, PD2A_PROGDET_DO46, PD2A_INDUMLAV,
  PD2A_TMACLAV, PD2A_INDUMSETUP, PD2A_TMACSETUP, PD2A_NUMPEZZISETUP, PD2A_NUMPEZZIUM, PD2A_INDUMATTESA,
  PD2A_TATTESA, PD2A_INDUMCODA, PD2A_TCODA) VALUES (901, 'N1', 1, 2, 1, 3, 1, 0, 0, 1, 1, 0, 1, 0);
INSERT INTO DO11_DOCTESTATA VALUES (1, 'N2', 'ODL', '2026-03-02 00:00:00', 'A', 8, 'G-O2');
INSERT INTO DO30_DOCCORPO VALUES (1, 'N2', 1, 'A1', NULL, 4, 501);
INSERT INTO PD95_DISBA VALUES (1, 501, 'A1', '', 0, '', 0);
INSERT INTO PD48_CICLI (PD48_DITTA_CG18, PD48_IDCICLO, PD48_CICLO_PD52, PD48_VERSIONE_PD52, PD48_IDDISBA_PD95,
  PD48_SEQFASE, PD48_CODFASE_PD12, PD48_CODREP_PD07, PD48_MACCHINA_PD08, PD48_INDUMLAV, PD48_TMACLAV,
  PD48_NUMPEZZIUM, PD48_INDUMSETUP, PD48_TMACSETUP, PD48_NUMPEZSETUP, PD48_INDUMATTESA, PD48_TATTESA,
  PD48_INDUMCODA, PD48_TCODA) VALUES
  (1, 210, 'C2', 0, 501, 10, 10, 'R01', 'M1', 1, 2, 1, 1, 0, 0, 1, 0, 1, 0),
  (1, 230, 'C2', 0, 501, 30, 30, 'R01', 'M1', 1, 5, 1, 1, 10, 0, 1, 0, 1, 0);
INSERT INTO PD44_VERSORE (PD44_DITTA_CG18, PD44_PRGMVORE_PD31, PD44_DATAREG, PD44_CODART_MG66, PD44_CODFASE_PD12,
  PD44_SEQFASE, PD44_CODFORNREP, PD44_MACCHINA_PD08, PD44_NUMREG_CO99, PD44_PROGRIGA_DO30, PD44_QTALAV,
  PD44_INDORA, PD44_OREORD, PD44_MINORD, PD44_SECORD) VALUES
  (1, 6, '2026-03-06 00:00:00', 'A1', 10, 10, 'R01', 'M1', 'N2', 1, 4, 0, 0, 8, 0);
)");
  sqlite3_close(db);
  return path;
}

}  // namespace engine::testing
