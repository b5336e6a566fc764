#include "output/print_records.h"

#include <array>
#include <iterator>

#include "engine/decodes.h"
#include "engine/monthly_trend.h"
#include "engine/oms.h"
#include "engine/presentation/record_durations.h"
#include "engine/time_unit.h"
#include "engine/unbooked_phases.h"
#include "engine/value_helpers.h"

namespace output {
namespace {

using host::FieldDef;
using host::Variant;

// What the report shows of a booking.
const char* const kReportBookingFields[] = {"PD44_DATAREG",      "PD44_CODDIP_PD06", "PD44_MACCHINA_PD08",
                                            "PD44_CODFASE_PD12", "PD44_INDORA",      "PD44_QTALAV"};

const char* const kCopiedBookingFields[] = {
    "PD44_VARIANTE",    "PD44_COSTOORD",      "PD44_ORESTRAORD",   "PD44_MINSTRAORD", "PD44_SECSTRAORD",
    "PD44_COSTOSTRAORD", "PD44_OREORD",       "PD44_MINORD",       "PD44_SECORD",     "PD44_CODART_MG66",
    "PD44_OPZIONE",     "MG87_DESCART",       "PD44_CODFORNREP",   "PD44_MACCHINA_PD08", "PD44_CODDIP_PD06",
    "PD44_CODPROG_PD14", "PD44_CODCOMM",      "PD44_TIPOCF_CG44",  "PD44_DATAINS",    "PD44_SQUADRAPROG"};

FieldDef Unicode(const char* name, int32_t size) { return host::TextField(name, size); }
FieldDef Plain(const char* name, int32_t size) {
  FieldDef f = host::TextField(name, size);
  f.ado_type = host::kAdVarChar;
  return f;
}
FieldDef Date(const char* name) { return {name, host::FieldType::Date}; }

// A text cut to the field's size: the print's fields are narrower than
// some of the ERP's columns.
Variant Fit(const host::RecordSet& rs, const char* field, const Variant& value) {
  if (value.IsNull() || value.IsEmpty()) return Variant::Null();
  const auto& def = rs.Field(static_cast<size_t>(rs.FieldIndex(field)));
  if (def.type != host::FieldType::Text && def.type != host::FieldType::Char) return value;
  std::string text = host::RTrim(value.JoinedText());
  if (def.size > 0 && static_cast<int32_t>(text.size()) > def.size) text.resize(static_cast<size_t>(def.size));
  return text;
}

Variant Of(const host::RecordSet& rs, const char* field) {
  const int i = rs.FieldIndex(field);
  return i < 0 ? Variant::Null() : rs.Value(static_cast<size_t>(i));
}

// The group row's fields that describe a group beside its figures, each
// with the fields of RSStampa it fills (a description follows its code).
struct DescribingField {
  const char* group_field;
  std::array<const char*, 2> print_fields;  // the second may be null
};
constexpr DescribingField kDescribingFields[] = {
    {"PD44_CODART_MG66", {"Articolo", "Descrizione articolo"}},
    {"PD44_OPZIONE", {"Variante", "Descrizione articolo"}},
    {"PD44_CODFORNREP", {"Reparto", "DescrizioneReparto"}},
    {"PD44_MACCHINA_PD08", {"Macchina", "DescrizioneMacchina"}},
    {"PD44_CODDIP_PD06", {"Dipendente", "DescrizioneDipendente"}},
    {"PD44_CODPROG_PD14", {"Progetto", "DescrizioneProgetto"}},
    {"PD44_SOTPROG_PD14", {"SottoProgetto", "DescrizioneProgetto"}},
    {"PD44_CODCOMM", {"Commessa", "DescrizioneCommessa"}},
    {"PD44_CODSCOM", {"SottoCommessa", "DescrizioneCommessa"}},
    {"DO11_DOCUM_MG36", {"CodiceOrdine", nullptr}},
    {"DO11_DATADOC", {"DataOrdine", nullptr}},
    {"DO11_SEZDOC", {"SezionaleOrdine", nullptr}},
    {"DO11_NUMDOC", {"NumeroOrdine", nullptr}},
    {"DO30_PROGRIGA", {"RigaOrdine", nullptr}},
    {"PD44_SEQFASE", {"SeqFaseOrdine", nullptr}},
    {"PD44_CODFASE_PD12", {"FaseOrdine", "DescrFaseOrdine"}},
    {"DO31_DATACONS", {"DataConsegna", nullptr}},
    {"DO31_DATAINIZLAV", {"DataInizioLav", nullptr}},
};
constexpr size_t kDescribing = std::size(kDescribingFields);

}  // namespace

const PrintCategory kPrintCategories[7] = {{"", ""},           {"Lavoraz", "_LAV"},    {"Setup", "_SET"},
                                           {"LavorazMac", "_MACLAV"}, {"SetupMac", "_MACSET"}, {"LavorazMan", "_MANLAV"},
                                           {"SetupMan", "_MANSET"}};

host::RecordSetPtr NewRSStampa() {
  auto rs = host::RecordSet::Create();
  rs->AppendField(host::CharField("Articolo", 25));
  rs->AppendField(host::CharField("Variante", 20));
  rs->AppendField(Unicode("Descrizione articolo", 72));
  rs->AppendField(host::CharField("Reparto", 6));
  rs->AppendField(Unicode("DescrizioneReparto", 40));
  rs->AppendField(host::CharField("Macchina", 20));
  rs->AppendField(Unicode("DescrizioneMacchina", 40));
  rs->AppendField(host::CharField("Dipendente", 5));
  rs->AppendField(Unicode("DescrizioneDipendente", 85));
  rs->AppendField(host::CharField("Progetto", 25));
  rs->AppendField(host::DecimalField("SottoProgetto", 4, 0));
  rs->AppendField(Unicode("DescrizioneProgetto", 125));
  rs->AppendField(host::CharField("Commessa", 25));
  rs->AppendField(host::DecimalField("SottoCommessa", 4, 0));
  rs->AppendField(Unicode("DescrizioneCommessa", 40));
  rs->AppendField(host::CharField("CodiceOrdine", 14));
  rs->AppendField(Date("DataOrdine"));
  rs->AppendField(host::CharField("SezionaleOrdine", 2));
  rs->AppendField(host::DecimalField("NumeroOrdine", 7, 0));
  rs->AppendField(host::DecimalField("RigaOrdine", 6, 0));
  rs->AppendField(host::DecimalField("SeqFaseOrdine", 5, 0));
  rs->AppendField(host::DecimalField("FaseOrdine", 5, 0));
  rs->AppendField(Unicode("DescrFaseOrdine", 40));
  rs->AppendField(Date("DataConsegna"));
  rs->AppendField(Date("DataInizioLav"));
  rs->AppendField(host::DecimalField("IDGruppo", 12, 0));
  for (const auto& c : kPrintCategories) {
    const std::string s = c.print_suffix;
    rs->AppendField(host::DecimalField("OrePreviste" + s, 14, 2));
    rs->AppendField(host::DecimalField("MinPrevisti" + s, 18, 2));
    rs->AppendField(host::DecimalField("SecPrevisti" + s, 18, 0));
    rs->AppendField(host::DecimalField("OreVersate" + s, 14, 2));
    rs->AppendField(host::DecimalField("MinVersati" + s, 18, 2));
    rs->AppendField(host::DecimalField("SecVersati" + s, 18, 0));
    rs->AppendField(Plain(("OreMinSecPrev" + s).c_str(), 20));
    rs->AppendField(Plain(("OreMinSecVers" + s).c_str(), 20));
    rs->AppendField(Plain(("ScostamentoOMS" + s).c_str(), 20));
    rs->AppendField(host::DecimalField("ScostamentoPerc" + s, 8, 2));
  }
  rs->AppendField(host::DecimalField("IDTESTATA", 18, 0));
  return rs;
}

struct PrintPreparation::Impl {
  Impl(engine::Comparison& run, host::DecodeService& decode, PrintRecords& out, std::vector<size_t> chosen)
      : run(run), decode(decode), out(out), chosen(std::move(chosen)), some(!this->chosen.empty()) {}
  void Begin();
  // The groups' clone on the next group to prepare, and whether none is left.
  void NextGroup() {
    if (!some) {
      clones.RSTempiVer->MoveNext();
    } else if (++next_chosen < chosen.size()) {
      clones.RSTempiVer->SetAbsolutePosition(static_cast<int64_t>(chosen[next_chosen]) + 1);
    }
  }
  [[nodiscard]] bool NoGroupLeft() const {
    return some ? next_chosen >= chosen.size() : clones.RSTempiVer->Eof();
  }

  engine::Comparison& run;
  host::DecodeService& decode;
  PrintRecords& out;
  // Clones: the grids' record sets do not move; the totals are the run's.
  engine::RunRecordSets clones;
  std::unique_ptr<engine::GroupTotals> totals_of;
  std::vector<std::pair<int, size_t>> copied;  // booking field → detail field
  int booked_seconds = -1;
  // A group's booked time and gap read as in every other output, also in a
  // category without plan and where nothing was booked.
  std::unique_ptr<engine::RecordDurations> shown;
  std::vector<int> report_from;  // each of kReportBookingFields in the bookings, or -1
  // A describing field is the group's only when all its bookings share it
  // (a grouping field always is); the grouped query's row holds one
  // booking's value of the others, which RSStampa leaves empty.
  std::array<int, kDescribing> describing_from{};
  std::array<Variant, kDescribing> first_value;
  std::array<bool, kDescribing> differ{};
  Variant value;
  std::vector<size_t> chosen;  // the groups to prepare, in order
  bool some;                   // false: every group, in the record set's order
  size_t next_chosen = 0;
  size_t all_bookings = 0;
  size_t bookings_done = 0;
  bool done = false;
  bool failed = false;
};

void PrintPreparation::Impl::Begin() {
  out.RSStampa = NewRSStampa();
  out.RSStampa->Open();
  auto& r = run.Records();
  // The booking layout: IDTESTATA, the copied fields in the bookings'
  // order, the booked time as text.
  out.RSStampaDett = host::RecordSet::Create();
  out.RSStampaDett->AppendField(host::DecimalField("IDTESTATA", 18, 0));
  if (r.RSTempiVerDett) {
    for (size_t i = 0; i < r.RSTempiVerDett->FieldCount(); ++i) {
      const host::FieldDef& f = r.RSTempiVerDett->Field(i);
      for (const char* name : kCopiedBookingFields) {
        if (f.name != name) continue;
        host::FieldDef copy = f;
        copy.nullable = true;
        copy.lenient_size = true;
        out.RSStampaDett->AppendField(copy);
        copied.emplace_back(static_cast<int>(i), out.RSStampaDett->FieldCount() - 1);
      }
    }
  }
  out.RSStampaDett->AppendField(Plain("VERSTOTSEC", 10));
  out.RSStampaDett->Open();
  out.RSReportDett = host::RecordSet::Create();
  out.RSReportDett->AppendField(host::DecimalField("IDTESTATA", 18, 0));
  for (const char* name : kReportBookingFields) out.RSReportDett->AppendField(host::VariantField(name));
  out.RSReportDett->AppendField(Plain("VERSTOTSEC", 10));
  out.RSReportDett->Open();
  if (run.Empty()) {
    done = true;
    return;
  }

  // Clones: the grids' record sets do not move; the totals are the run's.
  clones = {r.RSCampi, r.RSTempiVer->Clone(), r.RSTempiVerDett->Clone(), r.RSTempiPrev->Clone(),
            r.RSTempiPrevDett->Clone()};
  clones.RSTempiVer->SetFilter("");
  // Each group's filters are set once here: remembered, they would stay
  // with the run after the print (a year's: some 100 MiB).
  clones.RSTempiVerDett->RememberFilters(false);
  clones.RSTempiPrev->RememberFilters(false);
  totals_of = std::make_unique<engine::GroupTotals>(run.Context(), clones, run.Reader().Phases(), run.Production(),
                                                    static_cast<int16_t>(run.Unit()), run.Options(),
                                                    run.GroupingColumns());
  host::RecordSet& bookings = *clones.RSTempiVerDett;
  // Fields found once by name: a year of bookings is a million records.
  booked_seconds = bookings.FieldIndex("VERSTOTSEC");
  // A group's booked time and gap read as in every other output, also in a
  // category without plan and where nothing was booked.
  shown = std::make_unique<engine::RecordDurations>(*clones.RSTempiPrev, static_cast<int16_t>(run.Unit()));
  for (const char* name : kReportBookingFields) report_from.push_back(bookings.FieldIndex(name));
  for (size_t k = 0; k < kDescribing; ++k) describing_from[k] = bookings.FieldIndex(kDescribingFields[k].group_field);
  bookings.SetFilter("");  // a clone keeps the grid's filter; each group sets its own
  all_bookings = bookings.RecordCount();
  const int64_t groups = clones.RSTempiVer->RecordCount();
  std::erase_if(chosen, [groups](size_t position) { return position >= static_cast<size_t>(groups); });
  if (some && chosen.size() < static_cast<size_t>(groups)) {
    // Some groups only: their bookings are what there is to prepare.
    all_bookings = 0;
    for (const size_t position : chosen) {
      clones.RSTempiVer->SetAbsolutePosition(static_cast<int64_t>(position) + 1);
      bookings.SetFilter(totals_of->GroupFilter());
      all_bookings += static_cast<size_t>(bookings.RecordCount());
    }
    bookings.SetFilter("");
  }
  clones.RSTempiVer->MoveFirst();
  if (!chosen.empty()) clones.RSTempiVer->SetAbsolutePosition(static_cast<int64_t>(chosen.front()) + 1);
  done = NoGroupLeft();
}

PrintPreparation::PrintPreparation(engine::Comparison& run, host::DecodeService& decode, PrintRecords& out,
                                   std::vector<size_t> groups)
    : impl_(std::make_unique<Impl>(run, decode, out, std::move(groups))) {
  try {
    impl_->Begin();
  } catch (const std::exception&) {
    impl_->done = impl_->failed = true;
    run.Context().Caught("PreparaRSStampa");
  }
}

PrintPreparation::~PrintPreparation() = default;

bool PrintPreparation::Done() const { return impl_->done; }
bool PrintPreparation::Failed() const { return impl_->failed; }
host::Status PrintPreparation::TakeStatus() { return impl_->run.TakeStatus(); }
size_t PrintPreparation::BookingsDone() const { return impl_->bookings_done; }
size_t PrintPreparation::Bookings() const { return impl_->all_bookings; }

bool PrintPreparation::Step(size_t count) {
  Impl& m = *impl_;
  if (m.done) return true;
  engine::RunContext& context = m.run.Context();
  host::DecodeService& decode = m.decode;
  engine::GroupTotals& totals = *m.totals_of;
  host::RecordSet& groups = *m.clones.RSTempiVer;
  host::RecordSet& bookings = *m.clones.RSTempiVerDett;
  host::RecordSet& head = *m.out.RSStampa;
  host::RecordSet& detail = *m.out.RSStampaDett;
  host::RecordSet& report = *m.out.RSReportDett;
  const host::RecordSet& prev = *m.clones.RSTempiPrev;
  engine::RecordDurations& shown = *m.shown;
  const auto& copied = m.copied;
  const int booked_seconds = m.booked_seconds;
  const auto& report_from = m.report_from;
  const auto& describing_from = m.describing_from;
  auto& first_value = m.first_value;
  auto& differ = m.differ;
  Variant& value = m.value;
  size_t& bookings_done = m.bookings_done;
  bool& failed = m.failed;
  const auto finished = [&] {
    head.MoveFirst();
    detail.MoveFirst();
    report.MoveFirst();
    m.done = true;
    return true;
  };
  try {
    for (size_t n = 0; n < count && !m.NoGroupLeft(); ++n, m.NextGroup()) {
      if (totals.TempiPreventivi()) {
        failed = true;
        m.done = true;
        return true;
      }
      const Variant id = groups.Value("IDGRUPPO");
      head.AddNew();
      const auto set = [&head](const char* field, const Variant& value) { head.SetValue(field, Fit(head, field, value)); };
      const Variant article = Of(groups, "PD44_CODART_MG66");
      const Variant variant = Of(groups, "PD44_OPZIONE");
      set("Articolo", article);
      set("Variante", variant);
      set("Descrizione articolo", engine::DecodificaArticolo(decode, article, variant));
      const Variant department = Of(groups, "PD44_CODFORNREP");
      set("Reparto", department);
      set("DescrizioneReparto", context.Value(engine::DecodificaReparto(decode, department)));
      const Variant machine = Of(groups, "PD44_MACCHINA_PD08");
      set("Macchina", machine);
      set("DescrizioneMacchina", context.Value(engine::DecodificaMacchina(decode, machine)));
      const Variant employee = Of(groups, "PD44_CODDIP_PD06");
      set("Dipendente", employee);
      set("DescrizioneDipendente", context.Value(engine::DecodificaDipendente(decode, employee)));
      const Variant project = Of(groups, "PD44_CODPROG_PD14");
      const Variant sub_project = Of(groups, "PD44_SOTPROG_PD14");
      set("Progetto", project);
      set("SottoProgetto", sub_project);
      set("DescrizioneProgetto", engine::DecodificaProgetto(decode, project, sub_project));
      const Variant job = Of(groups, "PD44_CODCOMM");
      const Variant sub_job = Of(groups, "PD44_CODSCOM");
      set("Commessa", job);
      set("SottoCommessa", sub_job);
      set("DescrizioneCommessa", engine::DecodificaCommessa(decode, job, sub_job));
      set("CodiceOrdine", Of(groups, "DO11_DOCUM_MG36"));
      set("DataOrdine", Of(groups, "DO11_DATADOC"));
      set("SezionaleOrdine", Of(groups, "DO11_SEZDOC"));
      set("NumeroOrdine", Of(groups, "DO11_NUMDOC"));
      set("RigaOrdine", Of(groups, "DO30_PROGRIGA"));
      set("SeqFaseOrdine", Of(groups, "PD44_SEQFASE"));
      const Variant phase = Of(groups, "PD44_CODFASE_PD12");
      set("FaseOrdine", phase);
      set("DescrFaseOrdine", context.Value(engine::DecodificaFase(decode, phase)));
      set("DataConsegna", Of(groups, "DO31_DATACONS"));
      set("DataInizioLav", Of(groups, "DO31_DATAINIZLAV"));
      set("IDGruppo", id);
      // The seven categories, as the group totals hold them.
      if (!prev.Eof()) {
        shown.Load(prev);
        for (const auto& c : kPrintCategories) {
          const std::string p = c.print_suffix;
          const std::string s = c.result_suffix;
          const auto copy = [&](const std::string& to, const std::string& from) {
            head.SetValue(to, Fit(head, to.c_str(), prev.Value(from)));
          };
          copy("OrePreviste" + p, "OREPREV" + s);
          copy("MinPrevisti" + p, "MINPREV" + s);
          copy("SecPrevisti" + p, "SECPREV" + s);
          copy("OreVersate" + p, "OREVERS" + s);
          copy("MinVersati" + p, "MINVERS" + s);
          copy("SecVersati" + p, "SECVERS" + s);
          copy("OreMinSecPrev" + p, "OMSPREV" + s);
          const Variant& booked = shown.Shown(static_cast<size_t>(prev.FieldIndex("OMSVERS" + s)));
          head.SetValue("OreMinSecVers" + p, Fit(head, ("OreMinSecVers" + p).c_str(), booked));
          const Variant& gap = shown.Shown(static_cast<size_t>(prev.FieldIndex("GAP" + s)));
          head.SetValue("ScostamentoOMS" + p,
                        gap.IsNull() ? Variant::Null()
                                     : Variant(gap.IsNumber() ? gap.ToDecimal().Normalized().ToString()
                                                              : host::RTrim(gap.JoinedText())));
          copy("ScostamentoPerc" + p, "GAPPERC" + s);
        }
      }
      head.SetValue("IDTESTATA", id);
      differ.fill(false);
      bool first_booking = true;
      // The group's bookings (the filter TempiPreventivi set on the clone).
      for (bookings.MoveFirst(); !bookings.Eof(); bookings.MoveNext()) {
        for (size_t k = 0; k < kDescribing; ++k) {
          if (describing_from[k] < 0 || differ[k]) continue;
          bookings.ValueInto(static_cast<size_t>(describing_from[k]), value);
          if (first_booking) {
            first_value[k] = value;
          } else if (!(value == first_value[k])) {
            differ[k] = true;
          }
        }
        first_booking = false;
        detail.AddNew();
        detail.SetValue(size_t{0}, id);
        for (const auto& [from, to] : copied) {
          bookings.ValueInto(static_cast<size_t>(from), value);
          detail.SetValue(to, value);
        }
        if (booked_seconds >= 0) bookings.ValueInto(static_cast<size_t>(booked_seconds), value);
        // A booking with 0 booked seconds reads 0:00:00, as in the table and the JSON.
        const Variant text(booked_seconds < 0 ? std::string() : engine::TimeText(value, engine::kOreMinutiSecondi));
        detail.SetValue(detail.FieldCount() - 1, text);
        detail.Update();
        report.AddNew();
        report.SetValue(size_t{0}, id);
        for (size_t k = 0; k < report_from.size(); ++k) {
          report.SetValue(k + 1, report_from[k] < 0 ? Variant::Null() : bookings.Value(static_cast<size_t>(report_from[k])));
        }
        report.SetValue(report.FieldCount() - 1, text);
        report.Update();
        ++bookings_done;
      }
      for (size_t k = 0; k < kDescribing; ++k) {
        if (!differ[k]) continue;
        for (const char* field : kDescribingFields[k].print_fields) {
          if (field != nullptr) head.SetValue(field, Variant::Null());
        }
      }
      head.Update();
    }
    if (m.NoGroupLeft()) return finished();
    return false;
  } catch (const std::exception&) {
    m.done = m.failed = true;
    context.Caught("PreparaRSStampa");
    return true;
  }
}

host::Status PreparaRSStampa(engine::Comparison& run, host::DecodeService& decode, bool /*for_export*/,
                             PrintRecords& out, const GoingOn& going_on, std::vector<size_t> groups) {
  PrintPreparation preparation(run, decode, out, std::move(groups));
  while (!preparation.Done()) {
    if (!GoOn(going_on, preparation.BookingsDone(), preparation.Bookings())) {
      return run.TakeStatus().Add(host::Status::Cancelled());
    }
    preparation.Step(1);
  }
  return run.TakeStatus();
}

host::Status PreparaSezioniStampa(engine::Comparison& run, bool trend, bool unbooked, PrintRecords& out) {
  out.RSAndamento = nullptr;
  out.RSFasiNonVersate = nullptr;
  try {
    if (trend && !run.Empty()) out.RSAndamento = engine::AndamentoMensile(run);
    if (unbooked && !run.Empty()) out.RSFasiNonVersate = engine::FasiNonVersate(run);
  } catch (const std::exception&) {
    run.Context().Caught("PreparaSezioniStampa");
  }
  return run.TakeStatus();
}

}  // namespace output
