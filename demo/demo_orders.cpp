// The demo's production orders, their phase details, and the plans of the
// work sent out to the supplier department.
#include "demo/demo_generator.h"

namespace demo::generation {

void Generator::Orders(Company& c, int64_t count) {
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
    // States 1 to 4 in turn, and every tenth order closed (9), so that the
    // phases never booked have closed orders among them ("--closed-states 9").
    w_.Insert("CO5S_STATIENTITA", {"CO5S_GUID", "CO5S_ENTITA", "CO5S_IDSTATO"},
              {S(Guid(guid)), I(7), I(o % 10 == 0 ? 9 : 1 + o % 4)});
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
          w_.Insert(
              "DO46_DOCCORORDDET",
              {"DO46_DITTA_CG18", "DO46_NUMREG_CO99", "DO46_PROGRIGA", "DO46_PROGDET", "DO46_CODFASE", "DO46_DESCRFASE",
               "DO46_CODREPARTO", "DO46_CLIFOR_CG44", "DO46_MACCHINAALT", "DO46_QTA1ORD", "DO46_IDCICLO_PD48"},
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

// The supplier department "F1001" plans each phase that was sent out: an
// order phase detail of its own on the order line (supplier 1001, no
// machine, no crew), or a row of the routing (the article's cycle, or its
// bill of materials) in that department. Written after the bookings, with
// no draw of the random sequence, so the rest of the demo stays as it was.
void Generator::ExternalPlans() {
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
      w_.Insert(
          "DO46_DOCCORORDDET",
          {"DO46_DITTA_CG18", "DO46_NUMREG_CO99", "DO46_PROGRIGA", "DO46_PROGDET", "DO46_CODFASE", "DO46_DESCRFASE",
           "DO46_CODREPARTO", "DO46_CLIFOR_CG44", "DO46_MACCHINAALT", "DO46_QTA1ORD", "DO46_IDCICLO_PD48"},
          {k, S(w.line->numreg), I(w.line->line), I(900 + p.code), I(p.code),
           S("Fase " + std::to_string(p.code) + " presso terzista"), S(p.department), I(1001), kNull,
           D(w.line->quantity), I(cycle_id)});
      w_.Insert("PD2A_DETFASIDOC",
                {"PD2A_IDFASE", "PD2A_NUMREG_CO99", "PD2A_PROGRIGA_DO46", "PD2A_PROGDET_DO46", "PD2A_INDUMLAV",
                 "PD2A_TMACLAV", "PD2A_FORMLAV_PD24", "PD2A_INDUMSETUP", "PD2A_TMACSETUP", "PD2A_NUMPEZZISETUP",
                 "PD2A_FORMSETUP_PD24", "PD2A_NUMPEZZIUM", "PD2A_INDUMTOTLAV", "PD2A_TTOTLAV", "PD2A_INDUMATTESA",
                 "PD2A_TATTESA", "PD2A_INDUMCODA", "PD2A_TCODA", "PD2A_IDENTPROG"},
                {I(p.id), S(w.line->numreg), I(w.line->line), I(900 + p.code), I(p.run_unit), D(p.run_time), kNull,
                 I(p.setup_unit), D(p.setup_time), D(p.setup_pieces), kNull, D(p.pieces_per_unit), I(1), D(0),
                 I(p.wait_unit), D(p.wait), I(p.queue_unit), D(p.queue), I(cycle_id)});
      continue;
    }
    // The routing: the default cycle and every bill of materials of the
    // article that hold the phase.
    if (!article->cycle.empty()) {
      const std::string key =
          "C/" + std::to_string(w.company->code) + "/" + article->cycle + "/" + std::to_string(p.code);
      if (written.insert(key).second) {
        p.id = next_cycle_id_++;
        WriteCyclePhase(*w.company, p, article->cycle, 0, 0, 900);
      }
    }
    for (const auto& [bom, phases] : article->bom_phases) {
      const bool holds = std::any_of(phases.begin(), phases.end(), [&](const Phase& x) { return x.code == p.code; });
      const std::string key =
          "B/" + std::to_string(w.company->code) + "/" + std::to_string(bom) + "/" + std::to_string(p.code);
      if (!holds || !written.insert(key).second) continue;
      p.id = next_cycle_id_++;
      WriteCyclePhase(*w.company, p, article->cycle.empty() ? "EXT" : article->cycle, 1, bom, 900);
    }
  }
}

}  // namespace demo::generation
