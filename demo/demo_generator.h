// The demo database's generator: the master data, the routing and the
// bills of materials, the production orders, a year of bookings and the
// plans of the work sent out, written in that order from one seeded random
// sequence, so that the same options always make the same database. Its
// parts live in demo_master_data.cpp, demo_orders.cpp and demo_bookings.cpp.
#pragma once

#include <functional>

#include "demo/demo_rows.h"
#include "demo/erp_database.h"
#include "demo/row_queue.h"

namespace demo::generation {

class Generator {
 public:
  Generator(sqlite3* db, const DemoOptions& options) : w_(db), random_(options.seed), options_(options) {}
  DemoSummary Run(const std::function<void(int64_t, int64_t)>& progress);

 private:
  void MasterData(Company& c, int employees, int articles);
  void Attributes(int64_t guid, int64_t entity, const std::string& value);

  Phase MakePhase(const Company& c, int64_t code);
  static double RoundTo(double v, int decimals);

  void WriteCyclePhase(const Company& c, const Phase& p, const std::string& cycle, int64_t version, int64_t bom,
                       int64_t sequence);
  std::vector<Phase> MakeRouting(const Company& c);

  Article MakeArticle(const Company& c, int n);
  void Orders(Company& c, int64_t count);

  // Seconds of the phase's machine and labour processing per piece, and of
  // its set-up (machine and setter) for a lot of q.
  struct Plan {
    double machine_per_piece = 0, labour_per_piece = 0, setup_machine = 0, setup_labour = 0;
  };
  static Plan PlanOf(const Phase& p, double lot, double q);

  // How far from plan a booking lands: systematic drifts of some machines,
  // people, phases and departments, noise, and a few outliers.
  double Drift(std::string_view machine, std::string_view employee, int64_t phase, std::string_view dept,
               bool setup);

  struct Booking {
    const OrderLine* line = nullptr;
    const Article* article = nullptr;
    // Views of the company's plans, which outlive the rows written.
    std::string_view option;
    const Phase* phase = nullptr;
    int64_t sequence = 0;
    int indora = 0;
    std::string_view machine, employee;
    bool blank_employee = false;
    double quantity = 0;
    bool null_quantity = false;
    double seconds = 0;
    int64_t day = 0;
    std::string_view department;
  };

  void Bookings(const Company& c, int64_t count, int64_t first_id,
                const std::function<void(int64_t, int64_t)>& progress);

  // Processing bookings of one part: the machine's and the crew's.
  template <typename Emit>
  void Processing(const Company& c, Booking b, const Plan& plan, const Emit& emit);
  void WriteBooking(const Company& c, const Booking& b, int64_t id);

  std::vector<Value> booking_row_;  // WriteBooking's row, kept between bookings
  RowQueue* bookings_queue_ = nullptr;  // where WriteBooking's rows go while Bookings runs
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
  void ExternalPlans();
  int64_t next_cycle_id_ = 1;
  int64_t next_bom_id_ = 1;
  int64_t next_order_phase_id_ = 1;
};

}  // namespace demo::generation
