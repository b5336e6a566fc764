#include "app/examples.h"

#include <iomanip>

#include "app/console_form.h"
#include "engine/oms.h"

namespace app {
namespace {

struct Example {
  const char* what;
  int planned_seconds;
  int booked_h, booked_m, booked_s;
};

std::string Show(const host::Variant& v) {
  if (v.IsEmpty()) return "-";
  if (v.IsNull()) return "Null";
  return v.ToText();
}

}  // namespace

int RunExamples(std::ostream& out) {
  ConsoleForm form;
  const Example examples[] = {
      {"one hour booked, 1:02:05 planned", 3725, 1, 0, 0},
      {"set-up on time", 900, 0, 15, 0},
      {"run three times the plan", 3600, 4, 0, 0},
      {"nothing planned", 0, 0, 30, 0},
  };
  out << std::left << std::setw(34) << "booking" << std::setw(10) << "unit" << std::setw(11) << "planned"
      << std::setw(11) << "booked" << std::setw(12) << "gap"
      << "gap %\n";
  for (const auto& e : examples) {
    for (int16_t unit = 0; unit <= 3; ++unit) {
      engine::ValoriCategoria v;
      // The booked time as the booking query gives it under each unit.
      const int booked_seconds = e.booked_h * 3600 + e.booked_m * 60 + e.booked_s;
      const double in_unit[] = {0, booked_seconds / 3600.0, booked_seconds / 60.0, double(booked_seconds)};
      v.OREVERS = unit == 0 ? host::Variant(int32_t{e.booked_h}) : host::Variant(in_unit[1]);
      v.MINVERS = unit == 0 ? host::Variant(int32_t{e.booked_m}) : host::Variant(in_unit[2]);
      v.SECVERS = unit == 0 ? host::Variant(int32_t{e.booked_s}) : host::Variant(in_unit[3]);
      host::ReportStatus(form, engine::ConvertiOMS(int32_t{e.planned_seconds}, unit, v));
      const host::Variant planned[] = {v.OMSPREV, v.OREPREV, v.MINPREV, v.SECPREV};
      const host::Variant booked[] = {v.OMSVERS, v.OREVERS, v.MINVERS, v.SECVERS};
      out << std::setw(34) << (unit == 0 ? e.what : "") << std::setw(10)
          << engine::kTipoTempoCaptions[static_cast<size_t>(unit)] << std::setw(11) << Show(planned[unit])
          << std::setw(11) << Show(booked[unit]) << std::setw(12) << Show(v.GAP) << Show(v.GAPPERC) << "\n";
    }
  }
  return form.Errors() == 0 ? 0 : 1;
}

}  // namespace app
