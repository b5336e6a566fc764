// The demo's bookings: processing and set-up of each order phase, by
// machine and by crew, drifting from plan as real work does.
#include "demo/demo_generator.h"

namespace demo::generation {

namespace {

const std::vector<const char*> kBookingColumns{
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

}  // namespace

Generator::Plan Generator::PlanOf(const Phase& p, double lot, double q) {
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
double Generator::Drift(std::string_view machine, std::string_view employee, int64_t phase, std::string_view dept,
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

void Generator::Bookings(const Company& c, int64_t count, int64_t first_id,
                         const std::function<void(int64_t, int64_t)>& progress) {
  // The rows are made here and inserted on a second core, in their order.
  RowQueue queue([this](const RowQueue::Row& row) { w_.Insert("PD44_VERSORE", kBookingColumns, row); });
  bookings_queue_ = &queue;
  struct Unset {
    RowQueue*& queue;
    ~Unset() { queue = nullptr; }
  } unset{bookings_queue_};
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
      if (!a.options.empty()) b.option = random_.Pick(a.options);
      auto bom = a.bom_by_option.find(std::string(b.option));
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
  queue.Finish();
}

// Processing bookings of one part: the machine's and the crew's.
template <typename Emit>
void Generator::Processing(const Company& c, Booking b, const Plan& plan, const Emit& emit) {
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

void Generator::WriteBooking(const Company& c, const Booking& b, int64_t id) {
  const std::vector<const char*>& kColumns = kBookingColumns;
  // One row reused: no allocation per booking.
  std::vector<Value>& v = booking_row_;
  v.assign(kColumns.size(), kNull);
  v[0] = I(c.code);
  v[1] = I(id);
  // The day's text, made once: three of a booking's fields carry it.
  static const std::vector<std::string> kDays = [] {
    std::vector<std::string> days;
    for (int64_t d = 0; d < 366; ++d) days.push_back(DateText(d));
    return days;
  }();
  const bool usual_day = b.day >= 0 && b.day < 366;
  const Value day = usual_day ? T(kDays[static_cast<size_t>(b.day)]) : S(DateText(b.day));
  v[2] = day;
  const bool external = b.phase != nullptr && random_.Percent(1);
  if (b.phase != nullptr) {
    v[5] = I(b.phase->code);
    v[6] = I(b.sequence);
    v[7] = external ? T("F1001") : T(b.phase->department);
  } else {
    v[7] = T(b.department);
  }
  if (!b.machine.empty()) v[8] = T(b.machine);
  if (!b.employee.empty()) {
    v[9] = T(b.employee);
  } else if (b.blank_employee) {
    v[9] = T("");  // a blank code, not Null
  }
  if (b.article != nullptr) {
    v[3] = T(b.article->code);
    if (!b.option.empty()) {
      v[4] = T(b.option);
    } else if (random_.Percent(5)) {
      v[4] = T("");
    }
    if (b.article->type == 3) {
      v[10] = T(b.article->project);
      v[11] = I(1);
    }
  }
  if (b.line != nullptr) {
    v[16] = T(b.line->numreg);
    v[17] = T(b.line->section);
    v[18] = I(b.line->number);
    v[19] = I(b.line->line);
  }
  if (random_.Percent(12) && v[10].index() == 0) {
    v[10] = T(random_.Pick(c.projects));
    v[11] = random_.Percent(50) ? I(1) : kNull;
    v[12] = T(random_.Percent(50) ? "N01" : "N02");
    v[13] = T("A01");
  }
  if (random_.Percent(20)) {
    v[14] = T(random_.Pick(c.job_orders));
    v[15] = I(random_.Below(2));
  }
  v[20] = b.null_quantity || b.indora == 2 ? kNull : D(b.quantity);
  v[21] = I(b.indora);
  const auto booked = static_cast<int64_t>(std::max(1.0, std::round(b.seconds)));
  v[22] = I(booked / 3600);
  v[23] = I(booked % 3600 / 60);
  v[24] = I(booked % 60);
  if (b.indora == 1 && random_.Percent(20)) v[25] = T("KIT01");
  const double hours = static_cast<double>(booked) / 3600.0;
  if (!b.employee.empty()) {
    v[26] = I(random_.Percent(90) ? 0 : 1);
    v[27] = T("EUR");
    v[28] = I(2);
    v[29] = D(32.5);
    v[30] = D(RoundTo(32.5 * hours, 6));
  }
  if (!b.machine.empty()) {
    v[31] = T("EUR");
    v[32] = I(2);
    v[33] = D(48.0);
    v[34] = D(RoundTo(48.0 * hours, 6));
  }
  if (random_.Percent(3)) v[35] = T("Fermo per cambio utensile, ripreso l'indomani");
  v[36] = I(external ? 1 : 0);
  const int start_hour = 7 + static_cast<int>(random_.Below(8));
  v[37] = day;
  v[38] = I(start_hour);
  v[39] = I(random_.Below(60));
  v[40] = I(0);
  v[41] = day;
  v[42] = I(std::min<int64_t>(23, start_hour + booked / 3600));
  v[43] = I(random_.Below(60));
  v[44] = I(0);
  if (external) external_.push_back({&c, b.line, b.article, std::string(b.option), b.phase});
  if (external) {
    v[45] = I(1001);
    v[46] = T("H");
    v[47] = T("CF01");
  }
  v[48] = T("VERS");
  v[49] = I(1);
  v[50] = T("CDC001");
  v[51] = T(random_.Percent(50) ? "CDC002" : "CDC003");
  v[52] = I(b.machine.empty() ? 2 : 1);
  bookings_queue_->Push(v);
}

}  // namespace demo::generation
