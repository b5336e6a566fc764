#include "output/report/report_pages.h"

#include <QLocale>
#include <algorithm>
#include <array>
#include <optional>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "engine/category_texts.h"
#include "engine/group_totals.h"
#include "engine/time_unit.h"
#include "engine/monthly_trend.h"
#include "engine/oms.h"
#include "engine/presentation/grid_column.h"
#include "engine/time_buckets.h"
#include "engine/unbooked_phases.h"
#include "engine/value_helpers.h"
#include "output/report/trend_chart.h"

namespace output {
namespace {

using host::Variant;

// A figure's text with the separators of the print's locale (the
// interface's): the same text as the results form's summary shows.
QString LocalFigure(const std::string& text) {
  const QLocale locale;
  const char group = locale.groupSeparator().isEmpty() ? ',' : locale.groupSeparator().at(0).toLatin1();
  const char point = locale.decimalPoint().isEmpty() ? '.' : locale.decimalPoint().at(0).toLatin1();
  return QString::fromStdString(engine::LocalizedFigure(text, group != 0 ? group : ',', point != 0 ? point : '.'));
}

QString Text(const Variant& v) {
  if (v.IsNull() || v.IsEmpty()) return {};
  if (v.IsDate()) {
    const host::DateTime d = v.Date();
    return QString("%1/%2/%3").arg(d.Day(), 2, 10, QChar('0')).arg(d.Month(), 2, 10, QChar('0')).arg(d.Year());
  }
  if (v.IsNumber()) return QString::fromStdString(v.ToDecimal().Normalized().ToString());
  return QString::fromStdString(host::RTrim(v.JoinedText()));
}

// One line of the report: what it draws.
struct Line {
  enum Kind {
    ReportTitle,
    ReportInfo,
    GroupHeading,
    SubHeading,
    TableHeader,
    TableRow,
    BookingHeader,
    BookingRow,
    UnbookedHeader,
    UnbookedRow,
    TrendChart,
    Gap
  } kind;
  QStringList cells;
  bool negative = false;
  std::vector<TrendPoint> chart;  // TrendChart: the group's months
};

struct Fonts {
  QFont title, heading, body, small;
};

Fonts ReportFonts() {
  Fonts fonts;
  // Sizes in points, given as pixels of the painter's point-sized unit.
  const auto font = [](int points, bool bold) {
    QFont f("DejaVu Sans");
    f.setPixelSize(points);
    f.setBold(bold);
    // No ligatures: a text copied or searched in the PDF reads as printed
    // ("Officine", not its "ffi" glyph).
    f.setStyleStrategy(QFont::PreferNoShaping);
    return f;
  };
  fonts.body = font(8, false);
  fonts.small = font(7, false);
  fonts.heading = font(9, true);
  fonts.title = font(14, true);
  return fonts;
}

// The report is laid out in points (1/72 inch) from the fonts' sizes alone,
// never from a device's font metrics: the preview, the printer and the PDF
// differ in resolution and hinting, and must still break the pages at the
// same lines. DejaVu Sans is 1.164 of its size from ascent to descent.
constexpr double kLineSpacing = 1.17;

double HeightOf(Line::Kind kind, const Fonts& f) {
  const auto h = [](const QFont& font) { return font.pixelSize() * kLineSpacing; };
  switch (kind) {
    case Line::ReportTitle: return h(f.title) * 1.6;
    case Line::GroupHeading: return h(f.heading) * 1.5;
    case Line::Gap: return h(f.body) * 0.8;
    case Line::UnbookedHeader: return h(f.small) * 2.4;  // captions of two lines
    case Line::TrendChart: return h(f.body) * 14;
    default: return h(f.body) * 1.25;
  }
}

// A heading part: its caption, RSStampa's field, its description's field,
// and the result's field it comes from.
struct Part {
  const char* caption;
  const char* field;
  const char* description;
  const char* source;
};
const Part kParts[] = {{"Articolo", "Articolo", "Descrizione articolo", "PD44_CODART_MG66"},
                       {"Variante", "Variante", nullptr, "PD44_OPZIONE"},
                       {"Reparto", "Reparto", "DescrizioneReparto", "PD44_CODFORNREP"},
                       {"Fase", "FaseOrdine", "DescrFaseOrdine", "PD44_CODFASE_PD12"},
                       {"seq.", "SeqFaseOrdine", nullptr, "PD44_SEQFASE"},
                       {"Macchina", "Macchina", "DescrizioneMacchina", "PD44_MACCHINA_PD08"},
                       {"Dipendente", "Dipendente", "DescrizioneDipendente", "PD44_CODDIP_PD06"},
                       {"Progetto", "Progetto", "DescrizioneProgetto", "PD44_CODPROG_PD14"},
                       {"Sottoprogetto", "SottoProgetto", nullptr, "PD44_SOTPROG_PD14"},
                       {"Commessa", "Commessa", "DescrizioneCommessa", "PD44_CODCOMM"},
                       {"Sottocommessa", "SottoCommessa", nullptr, "PD44_CODSCOM"},
                       {"Ordine", "CodiceOrdine", nullptr, "DO11_DOCUM_MG36"},
                       {"n.", "NumeroOrdine", nullptr, "DO11_NUMDOC"},
                       {"sez.", "SezionaleOrdine", nullptr, "DO11_SEZDOC"},
                       {"del", "DataOrdine", nullptr, "DO11_DATADOC"},
                       {"riga", "RigaOrdine", nullptr, "DO30_PROGRIGA"},
                       {"Data cons.", "DataConsegna", nullptr, "DO31_DATACONS"},
                       {"Data ini.lav.", "DataInizioLav", nullptr, "DO31_DATAINIZLAV"}};

const char* const kKinds[] = {"Lavorazione", "Setup", "Manutenzione"};

// The booking fields a booking line shows, in its order.
const char* const kBookingFields[] = {"PD44_DATAREG",       "PD44_CODDIP_PD06", "PD44_MACCHINA_PD08",
                                      "PD44_CODFASE_PD12",  "PD44_INDORA",      "PD44_QTALAV",
                                      "VERSTOTSEC"};

constexpr uint32_t kNoBookings = UINT32_MAX;

// The lines of a group before its months: heading, table header, seven
// categories.
constexpr size_t kCategoryLines = 9;

// The positions of the records of each group number in a record set, in
// their order, taken as the record set grows.
struct Slices {
  std::vector<std::vector<uint32_t>> of_slice;
  std::unordered_map<int64_t, uint32_t> slice_of_id;
  size_t seen = 0;

  // The slice of group number `id` (made empty when new).
  uint32_t Of(const Variant& id) {
    if (id.IsNull() || id.IsEmpty() || !id.IsNumber()) return kNoBookings;
    const auto [it, added] = slice_of_id.try_emplace(id.ToDecimal().TruncToInt64(), static_cast<uint32_t>(of_slice.size()));
    if (added) of_slice.emplace_back();
    return it->second;
  }
  // The records added to `rs` since, each to the slice of its number: with
  // `every_number`, a number without a slice gets one, else its record is
  // passed over.
  void Take(const host::RecordSet& rs, int id_field, bool every_number = false) {
    const size_t count = rs.RecordCount();
    if (id_field < 0) {
      seen = count;
      return;
    }
    Variant id;
    for (size_t r = seen; r < count; ++r) {
      id = rs.ValueAt(r, static_cast<size_t>(id_field));
      if (id.IsNull() || id.IsEmpty() || !id.IsNumber()) continue;
      if (every_number) {
        of_slice[Of(id)].push_back(static_cast<uint32_t>(r));
        continue;
      }
      const auto it = slice_of_id.find(id.ToDecimal().TruncToInt64());
      if (it != slice_of_id.end()) of_slice[it->second].push_back(static_cast<uint32_t>(r));
    }
    seen = count;
  }
  [[nodiscard]] size_t Size(uint32_t slice) const { return slice == kNoBookings ? 0 : of_slice[slice].size(); }
};

}  // namespace

struct ReportPages::Impl {
  ReportParameters p;
  Fonts f = ReportFonts();
  std::vector<Line> header;  // the report header's lines ("RH")
  host::RecordSetPtr head;   // RSStampa's clone
  host::RecordSetPtr bookings;  // RSReportDett's clone, unfiltered
  std::vector<const Part*> parts;
  std::vector<int> booking_fields;  // kBookingFields in `bookings`
  host::RecordSetPtr months;    // RSAndamento's clone, when the months are asked for
  host::RecordSetPtr unbooked;  // RSFasiNonVersate's clone, when its section is asked for
  size_t groups = 0;  // laid out
  // The bookings of each group: the positions in `bookings` of its slice
  // (the bookings of its number, in their order); likewise its months.
  std::vector<uint32_t> slice_of_group;
  Slices slices;
  std::vector<uint32_t> months_of_group;
  Slices month_slices;
  int head_id = -1, booking_id = -1, head_group = -1;
  bool complete = false;
  bool header_laid = false;
  bool total_laid = false;    // the groups' total, after the last group
  bool section_laid = false;  // the phases never booked, after the total

  // A line: the group (-1: the report header) and its line in the group.
  struct Pos {
    int64_t group = -1;
    size_t line = 0;
  };
  struct Page {
    Pos first;
    size_t lines = 0;  // drawn on the page (a page may hold its frame only)
  };
  std::vector<Page> pages;
  // The printable area in points.
  double width = 0, height = 0, body = 0, top = 0, bottom = 0;
  // Where the layout stands: the height used on the last page, and whether
  // the next line drawn opens it.
  double y = 0;
  bool first_pending = true;

  size_t BookingsOf(int64_t g) const { return slices.Size(slice_of_group[static_cast<size_t>(g)]); }
  size_t MonthsOf(int64_t g) const { return month_slices.Size(months_of_group[static_cast<size_t>(g)]); }
  // The group's lines before its bookings: heading, table header, seven
  // categories, and with its months their title, chart, header and one a
  // month.
  size_t FixedLinesOf(int64_t g) const {
    const size_t n = MonthsOf(g);
    return kCategoryLines + (n > 0 ? 3 + n : 0);
  }
  // The phases never booked: the title, then their header and one line
  // each, or the line that says there are none.
  size_t SectionLines() const {
    const size_t n = unbooked->RecordCount();
    return 1 + (n > 0 ? 1 + n : 1);
  }
  // After the groups: their total, then the phases never booked.
  bool IsTotal(int64_t g) const { return total_laid && g == static_cast<int64_t>(groups); }
  int64_t SectionAt() const { return static_cast<int64_t>(groups) + (total_laid ? 1 : 0); }
  bool IsSection(int64_t g) const { return section_laid && g == SectionAt(); }
  // The fixed lines, the bookings' header and lines when there are any, a
  // gap.
  size_t LinesOf(int64_t g) const {
    if (g < 0) return header.size();
    if (IsTotal(g)) return kCategoryLines + 1;
    if (IsSection(g)) return SectionLines();
    const size_t n = BookingsOf(g);
    return FixedLinesOf(g) + (n > 0 ? 1 + n : 0) + 1;
  }
  Line::Kind KindOf(int64_t g, size_t k) const {
    if (g < 0) return header[k].kind;
    if (IsSection(g)) {
      if (k == 0) return Line::GroupHeading;
      if (unbooked->RecordCount() == 0) return Line::ReportInfo;
      return k == 1 ? Line::UnbookedHeader : Line::UnbookedRow;
    }
    if (k == 0) return Line::GroupHeading;
    if (k == 1) return Line::TableHeader;
    if (k < kCategoryLines) return Line::TableRow;
    if (IsTotal(g)) return Line::Gap;
    const size_t fixed = FixedLinesOf(g);
    if (k < fixed) {
      if (k == kCategoryLines) return Line::SubHeading;
      if (k == kCategoryLines + 1) return Line::TrendChart;
      return k == kCategoryLines + 2 ? Line::TableHeader : Line::TableRow;
    }
    if (k + 1 == LinesOf(g)) return Line::Gap;
    return k == fixed ? Line::BookingHeader : Line::BookingRow;
  }

  // A page that opens inside a group (or inside the section of the phases
  // never booked) repeats the group's heading, marked as continued, and the
  // header of the table its rows go on with: a page of bookings is never
  // without its group and columns. `header`: that header's line in the
  // group, or none when the page opens at a title or header itself.
  struct Carried {
    bool heading = false;
    std::optional<size_t> header;
  };
  Carried CarriedAt(int64_t g, size_t k) const {
    if (g < 0 || k == 0 || IsTotal(g)) return {};
    const Line::Kind kind = KindOf(g, k);
    Carried carried{true, std::nullopt};
    if (IsSection(g)) {
      if (kind == Line::UnbookedRow) carried.header = 1;
    } else if (kind == Line::BookingRow) {
      carried.header = FixedLinesOf(g);
    } else if (kind == Line::TableRow) {
      carried.header = k < kCategoryLines ? 1 : kCategoryLines + 2;
    }
    return carried;
  }
  double CarriedHeight(int64_t g, const Carried& carried) const {
    return (carried.heading ? HeightOf(Line::SubHeading, f) : 0) +
           (carried.header ? HeightOf(KindOf(g, *carried.header), f) : 0);
  }
  // Draws what CarriedAt(g, k) says at `y`; answers the height drawn.
  double DrawCarried(QPainter& painter, int64_t g, size_t k, double y) const;

  void Layout(int64_t from, int64_t to);
  void TakeNew();
  std::vector<Line> GroupLines(int64_t g) const;
  // The heading and the category table of the groups' total.
  std::vector<Line> TotalLines() const;
  // The heading's band marker (▲/▼ and a space) of planned against booked
  // seconds, empty within the band or without a tolerance.
  QString BandMarker(const Variant& planned, const Variant& booked) const;
  // The header of a table of figures whose rows are `first` (categories, months).
  Line CategoryHeader(const QString& first) const {
    const auto tr = p.translate;
    return {Line::TableHeader, {first, tr("Previsto"), tr("Versato"), tr("Scostamento"), tr("Scost. %")}};
  }
  // A category's row: planned, booked, gap and gap % as every output reads them.
  Line CategoryRow(size_t category, const Variant& planned, const Variant& booked) const;
  Line MonthLine(size_t position) const;
  TrendPoint MonthPoint(size_t position) const;
  Line BookingLine(int64_t g, size_t booking) const;
  Line SectionLine(size_t k) const;
  void Frame(QPainter& painter, int number) const;
  void DrawLine(QPainter& painter, const Line& line, double y) const;
};

ReportPages::ReportPages(const PrintRecords& records, const ReportParameters& parameters, bool complete)
    : impl_(std::make_unique<Impl>()) {
  Impl& m = *impl_;
  m.p = parameters;
  const auto tr = m.p.translate;
  if (m.p.report_header) {
    m.header.push_back({Line::ReportTitle, {ShortenedTitle(m.p.titolo)}});
    m.header.push_back(
        {Line::ReportInfo, {tr("Ditta") + ": " + m.p.ditta + (m.p.desditta.isEmpty() ? "" : " - " + m.p.desditta)}});
    if (!m.p.eseg.isEmpty()) m.header.push_back({Line::ReportInfo, {tr("Eseguito da") + ": " + m.p.eseg}});
    if (!m.p.dest.isEmpty()) m.header.push_back({Line::ReportInfo, {tr("Destinazione") + ": " + m.p.dest}});
    if (!m.p.note.isEmpty()) m.header.push_back({Line::ReportInfo, {tr("Note") + ": " + m.p.note}});
    // What the report covers and in which unit its figures read.
    if (!m.p.conditions.isEmpty()) m.header.push_back({Line::ReportInfo, {tr("Condizioni") + ": " + m.p.conditions}});
    const auto unit = static_cast<size_t>(m.p.unit);
    QString mode = tr("Modalità tempo") + ": ";
    if (unit < engine::kTipoTempoCaptions.size()) mode += QString::fromStdString(std::string(engine::kTipoTempoCaptions[unit]));
    if (m.p.exclude_wait) mode += "; " + tr("Escludi tempi attesa");
    if (m.p.exclude_queue) mode += "; " + tr("Escludi tempi coda");
    m.header.push_back({Line::ReportInfo, {mode}});
    m.header.push_back({Line::Gap, {}});
  }
  if (records.RSStampa) {
    m.head = records.RSStampa->Clone();
    m.head_id = m.head->FieldIndex("IDTESTATA");
  }
  if (m.head && records.RSReportDett && m.p.bookings) {
    m.bookings = records.RSReportDett->Clone();
    m.bookings->SetFilter("");
    m.booking_id = m.bookings->FieldIndex("IDTESTATA");
    for (const char* name : kBookingFields) m.booking_fields.push_back(m.bookings->FieldIndex(name));
  }
  // The optional sections come whole before the pages: their records are
  // sorted into the groups once, their texts read when a page is drawn.
  if (m.head && m.p.trend && records.RSAndamento) {
    m.months = records.RSAndamento->Clone();
    m.months->SetFilter("");
    m.head_group = m.head->FieldIndex("IDGruppo");
    // All there already, while the groups may still be coming.
    m.month_slices.Take(*m.months, m.months->FieldIndex("IDGRUPPO"), true);
  }
  if (m.p.unbooked && records.RSFasiNonVersate) {
    m.unbooked = records.RSFasiNonVersate->Clone();
    m.unbooked->SetFilter("");
  }
  for (const Part& part : kParts) {
    const bool grouping =
        !m.p.grouping_fields ||
        std::any_of(m.p.grouping_fields->begin(), m.p.grouping_fields->end(),
                    [&](const std::string& f) { return host::UpperAscii(f) == host::UpperAscii(part.source); });
    // Without the run's grouping, the pairs of old (no seq., dates or sub-parts).
    const bool old_pair = std::string_view(part.caption) != "seq." && std::string_view(part.caption) != "sez." &&
                          std::string_view(part.caption) != "del" && part.field != std::string_view("DataConsegna") &&
                          part.field != std::string_view("DataInizioLav") &&
                          part.field != std::string_view("SottoProgetto") &&
                          part.field != std::string_view("SottoCommessa");
    if (m.p.grouping_fields ? grouping : old_pair) m.parts.push_back(&part);
  }
  const QRectF paint_rect = PageLayout().paintRect(QPageLayout::Point);
  m.width = paint_rect.width();
  m.height = paint_rect.height();
  m.body = m.f.body.pixelSize() * kLineSpacing;
  const double header_height = m.body * 2.2;
  const double footer_height = m.body * 2;
  m.top = header_height;
  m.bottom = m.height - footer_height;
  m.y = m.top;
  m.pages.push_back({});
  Extend(complete);
}

int ReportPages::Extend(bool complete) {
  Impl& m = *impl_;
  if (m.complete) return Count();
  const int changed = Count() - 1;  // the last page may take more lines
  // The report header first, then the groups that came since.
  const int64_t from = m.header_laid ? static_cast<int64_t>(m.groups) : -1;
  m.header_laid = true;
  m.TakeNew();
  m.Layout(from, static_cast<int64_t>(m.groups));
  if (complete && m.p.totals && m.head) {
    m.total_laid = true;
    m.Layout(static_cast<int64_t>(m.groups), static_cast<int64_t>(m.groups) + 1);
  }
  if (complete && m.unbooked) {
    m.section_laid = true;
    m.Layout(m.SectionAt(), m.SectionAt() + 1);
  }
  m.complete = complete;
  return complete ? 0 : changed;  // complete: every footer gets its count
}

bool ReportPages::Complete() const { return impl_->complete; }

void ReportPages::Impl::TakeNew() {
  if (!head) return;
  size_t now = head->RecordCount();
  if (p.max_groups != 0) now = std::min(now, p.max_groups);
  // Each group number its slice: a group lists the bookings of its number.
  for (size_t g = groups; g < now; ++g) {
    slice_of_group.push_back(bookings ? slices.Of(head->ValueAt(g, static_cast<size_t>(head_id))) : kNoBookings);
    // A group's months go by its number in the run (IDGRUPPO).
    months_of_group.push_back(months && head_group >= 0
                                  ? month_slices.Of(head->ValueAt(g, static_cast<size_t>(head_group)))
                                  : kNoBookings);
  }
  groups = now;
  if (bookings) slices.Take(*bookings, booking_id);
}

ReportPages::~ReportPages() = default;

int ReportPages::Count() const { return static_cast<int>(impl_->pages.size()); }

QPageLayout ReportPages::PageLayout() {
  return QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Landscape, QMarginsF(12, 12, 12, 12),
                     QPageLayout::Millimeter);
}

void ReportPages::Impl::Layout(int64_t from, int64_t to) {
  const double table_header = HeightOf(Line::TableHeader, f);
  for (int64_t g = from; g < to; ++g) {
    const size_t lines = LinesOf(g);
    for (size_t k = 0; k < lines; ++k) {
      const Line::Kind kind = KindOf(g, k);
      const double line_height = HeightOf(kind, f);
      // A group heading keeps its table on the same page, a title its
      // chart (the months' title) or its header and first row.
      const bool chart_follows = kind == Line::SubHeading && k + 1 < lines && KindOf(g, k + 1) == Line::TrendChart;
      const double needed = kind == Line::GroupHeading ? line_height + table_header * 9
                            : chart_follows            ? line_height + HeightOf(Line::TrendChart, f)
                            : kind == Line::SubHeading ? line_height + table_header * 2
                                                       : line_height;
      if (y + needed > bottom && y > top) {
        pages.push_back({});
        first_pending = true;
        y = top;
        if (kind == Line::Gap) continue;  // a gap never opens a page
      }
      if (first_pending) {
        pages.back().first = {g, k};
        first_pending = false;
        if (pages.size() > 1) y += CarriedHeight(g, CarriedAt(g, k));
      }
      ++pages.back().lines;
      y += line_height;
    }
  }
}

std::vector<Line> ReportPages::Impl::GroupLines(int64_t g) const {
  const auto tr = p.translate;
  const size_t at = static_cast<size_t>(g);
  const auto value = [&](const std::string& field) { return head->ValueAt(at, static_cast<size_t>(head->FieldIndex(field))); };
  std::vector<Line> lines;
  QStringList heading;
  for (const Part* part : parts) {
    const QString code = Text(value(part->field));
    if (code.isEmpty()) {
      // A grouping dimension without a value says so, as the results form's
      // label row does ("Fase (nessuno)"): left out, the group would read
      // as the total of the dimensions before it. A part of a dimension
      // (an order's n., a phase's seq.) goes with it; a blank variant is the
      // article's own and says nothing.
      const bool dimension = part->description != nullptr || std::string_view(part->field) == "CodiceOrdine";
      if (p.grouping_fields && dimension) {
        heading << tr(part->caption) + " " + tr("(nessuno)");
      }
      continue;
    }
    QString text = tr(part->caption) + " " + code;
    if (part->description != nullptr) {
      const QString description = Text(value(part->description));
      if (!description.isEmpty()) text += " " + description;
    }
    heading << text;
  }
  QString title = heading.isEmpty() ? tr("Gruppo") + " " + Text(value("IDGruppo")) : heading.join("   ");
  // The figures read as everywhere else (the terminal table, the results
  // form): from the record's unit values, so a category without plan still
  // shows what was booked.
  std::array<Variant, 7> planned, booked;
  for (size_t i = 0; i < 7; ++i) {
    const std::string s = kPrintCategories[i].print_suffix;
    engine::ValoriCategoria planned_values;
    planned_values.OREPREV = value("OrePreviste" + s);
    planned_values.MINPREV = value("MinPrevisti" + s);
    planned_values.SECPREV = value("SecPrevisti" + s);
    engine::ValoriCategoria booked_values;
    booked_values.OREPREV = value("OreVersate" + s);
    booked_values.MINPREV = value("MinVersati" + s);
    booked_values.SECPREV = value("SecVersati" + s);
    planned[i] = engine::PlannedSeconds(planned_values, p.unit);
    booked[i] = engine::PlannedSeconds(booked_values, p.unit);
  }
  // The group's band marker from its total, as the table shows it.
  lines.push_back({Line::GroupHeading, {BandMarker(planned[0], booked[0]) + title}});
  lines.push_back(CategoryHeader(tr("Categoria")));
  for (size_t i = 0; i < 7; ++i) lines.push_back(CategoryRow(i, planned[i], booked[i]));
  if (MonthsOf(g) > 0) {
    lines.push_back({Line::SubHeading, {tr("Andamento")}});
    const auto& positions = month_slices.of_slice[months_of_group[at]];
    Line chart{Line::TrendChart, {}};
    for (const uint32_t position : positions) chart.chart.push_back(MonthPoint(position));
    lines.push_back(std::move(chart));
    lines.push_back(CategoryHeader(tr("Mese")));
    for (const uint32_t position : positions) lines.push_back(MonthLine(position));
  }
  if (BookingsOf(g) > 0) {
    lines.push_back({Line::BookingHeader,
                     {tr("Data reg."), tr("Dipendente"), tr("Macchina"), tr("Fase"), tr("Tipo ora"), tr("Quantità"),
                      tr("Tempo versato")}});
  }
  return lines;
}

QString ReportPages::Impl::BandMarker(const Variant& planned, const Variant& booked) const {
  if (p.tolerance <= 0) return {};
  const int side = engine::FiguresSide(planned, booked, p.tolerance);
  return side == 0 ? QString() : QString::fromUtf8(side > 0 ? "▲ " : "▼ ");
}

Line ReportPages::Impl::CategoryRow(size_t category, const Variant& planned, const Variant& booked) const {
  const engine::FigureTexts t = engine::FigureTextsOf(planned, booked, p.unit);
  const QString gap = LocalFigure(t.gap);
  // A gap % beyond the band marked as on screen and in the months' table
  // (time booked without plan: the marker alone).
  Line row{Line::TableRow,
           {p.translate(std::string(engine::kCategoryNames[category].caption)), LocalFigure(t.planned),
            LocalFigure(t.booked), gap, (BandMarker(planned, booked) + LocalFigure(t.percent)).trimmed()}};
  row.negative = gap.startsWith('-');
  return row;
}

std::vector<Line> ReportPages::Impl::TotalLines() const {
  const auto tr = p.translate;
  const auto& totals = *p.totals;
  std::vector<Line> lines;
  lines.push_back({Line::GroupHeading,
                   {BandMarker(totals[0].planned, totals[0].booked) + tr("Totale") + QString::fromUtf8(" \u2014 ") +
                    (groups == 1 ? tr("1 gruppo")
                                 : QLocale().toString(static_cast<qulonglong>(groups)) + " " + tr("gruppi"))}});
  lines.push_back(CategoryHeader(tr("Categoria")));
  for (size_t i = 0; i < totals.size(); ++i) lines.push_back(CategoryRow(i, totals[i].planned, totals[i].booked));
  return lines;
}

TrendPoint ReportPages::Impl::MonthPoint(size_t position) const {
  const auto value = [&](const char* field) {
    const int i = months->FieldIndex(field);
    return i < 0 ? Variant() : months->ValueAt(position, static_cast<size_t>(i));
  };
  // The time axis in the run's unit: hours for both hour units.
  const double per = p.unit == engine::kMinutiDecimali ? 60.0 : p.unit == engine::kSecondiDecimali ? 1.0 : 3600.0;
  const auto number = [&](const char* field) {
    const Variant v = value(field);
    return v.IsNull() || v.IsEmpty() ? 0.0 : v.ToDecimal().ToDouble();
  };
  TrendPoint point;
  point.month =
      QString::fromStdString(engine::TimeBucketText(engine::kMonthColumn, Text(value("MESE")).toStdString(), p.language));
  point.planned = number("PREV_SEC") / per;
  point.booked = number("VERS_SEC") / per;
  const Variant percent = value("SCOSTPERC");
  if (!percent.IsNull() && !percent.IsEmpty()) point.percent = percent.ToDecimal().ToDouble();
  return point;
}

Line ReportPages::Impl::MonthLine(size_t position) const {
  const auto value = [&](const char* field) {
    const int i = months->FieldIndex(field);
    return i < 0 ? Variant() : months->ValueAt(position, static_cast<size_t>(i));
  };
  // The gap % beyond the band marked as the group headings are (±10 %
  // without a tolerance).
  const double tolerance = p.tolerance > 0 ? p.tolerance : engine::kTrendTolerancePercent;
  const Variant percent = value("SCOSTPERC");
  QString percent_text;
  if (!percent.IsNull() && !percent.IsEmpty()) {
    const std::string fixed = percent.ToDecimal().ToFixed(2);
    percent_text = LocalFigure(fixed);
    const int side = engine::ToleranceSide(fixed, tolerance);
    if (side != 0) percent_text = QString::fromUtf8(side > 0 ? "▲ " : "▼ ") + percent_text;
  }
  const QString gap = LocalFigure(Text(value("SCOST")).toStdString());
  Line row{Line::TableRow,
           {QString::fromStdString(
                engine::TimeBucketText(engine::kMonthColumn, Text(value("MESE")).toStdString(), p.language)),
            LocalFigure(Text(value("PREVISTO")).toStdString()), LocalFigure(Text(value("VERSATO")).toStdString()), gap,
            percent_text}};
  row.negative = gap.startsWith('-');
  return row;
}

Line ReportPages::Impl::SectionLine(size_t k) const {
  const auto tr = p.translate;
  if (k == 0) return {Line::GroupHeading, {tr(engine::kUnbookedTitle)}};
  if (unbooked->RecordCount() == 0) return {Line::ReportInfo, {tr("Nessuna fase senza versamenti")}};
  if (k == 1) {
    Line header{Line::UnbookedHeader, {}};
    for (const auto& column : engine::kUnbookedColumns) header.cells << tr(column.caption);
    return header;
  }
  Line row{Line::UnbookedRow, {}};
  for (const auto& column : engine::kUnbookedColumns) {
    const int i = unbooked->FieldIndex(column.field);
    const QString text = i < 0 ? QString() : Text(unbooked->ValueAt(k - 2, static_cast<size_t>(i)));
    const std::string_view field = column.field;
    row.cells << (field == "OMSPREV"                        ? LocalFigure(text.toStdString())
                  : field == "CHIUSA" && !text.isEmpty() ? tr(text.toStdString())
                                                         : text);
  }
  return row;
}

Line ReportPages::Impl::BookingLine(int64_t g, size_t booking) const {
  const size_t position = slices.of_slice[slice_of_group[static_cast<size_t>(g)]][booking];
  const auto value = [&](size_t i) {
    return booking_fields[i] < 0 ? Variant() : bookings->ValueAt(position, static_cast<size_t>(booking_fields[i]));
  };
  const Variant kind = value(4);
  const int k = kind.IsNull() ? -1 : engine::ValoreNumerico(kind).ToInt32();
  return {Line::BookingRow,
          {Text(value(0)), Text(value(1)), Text(value(2)), Text(value(3)),
           k >= 0 && k <= 2 ? p.translate(kKinds[k]) : Text(kind), Text(value(5)), Text(value(6))}};
}

void ReportPages::Impl::Frame(QPainter& painter, int number) const {
  painter.setFont(f.small);
  painter.setPen(Qt::black);
  const QString title = ShortenedTitle(p.titolo);
  painter.drawText(QRectF(0, 0, width / 2, body * 1.5), Qt::AlignLeft | Qt::AlignVCenter, title);
  // A grouping of many fields, with how many of its groups print, is wider
  // than the room beside the title: its middle gives way ("…"), not its
  // start or its count, and it never runs under the title.
  const QFontMetrics metrics = painter.fontMetrics();
  const double title_width = std::min<double>(metrics.horizontalAdvance(title), width / 2);
  const int room = static_cast<int>(width - title_width - body);
  painter.drawText(QRectF(0, 0, width, body * 1.5), Qt::AlignRight | Qt::AlignVCenter,
                   metrics.elidedText(p.translate("Raggruppamento") + ": " + p.grouping, Qt::ElideMiddle, room));
  painter.drawLine(QPointF(0, body * 1.6), QPointF(width, body * 1.6));
  painter.drawLine(QPointF(0, bottom + body * 0.3), QPointF(width, bottom + body * 0.3));
  painter.drawText(QRectF(0, bottom + body * 0.4, width / 2, body * 1.4), Qt::AlignLeft | Qt::AlignVCenter,
                   p.print_date);
  painter.drawText(QRectF(width / 2, bottom + body * 0.4, width / 2, body * 1.4), Qt::AlignRight | Qt::AlignVCenter,
                   complete ? p.translate("Pagina") + QString(" %1 ").arg(number) + p.translate("di") +
                                  QString(" %1").arg(pages.size())
                            : p.translate("Pagina") + QString(" %1").arg(number));
}

void ReportPages::Impl::DrawLine(QPainter& painter, const Line& line, double y) const {
  // Column positions: the category table and the booking table.
  const double w = width;
  const double category_columns[] = {0, w * 0.22, w * 0.36, w * 0.50, w * 0.64, w * 0.74};
  const double booking_columns[] = {w * 0.02, w * 0.14, w * 0.28, w * 0.42, w * 0.52, w * 0.66, w * 0.78, w * 0.92};
  // Order, section, number, line, article, seq., phase, description,
  // department, machine, source, planned, order state, closed.
  const double unbooked_columns[] = {0,        w * 0.07, w * 0.11, w * 0.17, w * 0.21, w * 0.32, w * 0.37, w * 0.42,
                                     w * 0.60, w * 0.67, w * 0.75, w * 0.80, w * 0.87, w * 0.94, w};
  const double line_height = HeightOf(line.kind, f);
  painter.setPen(Qt::black);
  switch (line.kind) {
    case Line::ReportTitle:
      painter.setFont(f.title);
      painter.drawText(QRectF(0, y, w, line_height), Qt::AlignLeft | Qt::AlignVCenter, line.cells[0]);
      break;
    case Line::ReportInfo:
      painter.setFont(f.body);
      // Many conditions give way at their end, within the page.
      painter.drawText(QRectF(0, y, w, line_height), Qt::AlignLeft | Qt::AlignVCenter,
                       painter.fontMetrics().elidedText(line.cells[0], Qt::ElideRight, static_cast<int>(w)));
      break;
    case Line::SubHeading: {
      QFont font = f.body;
      font.setBold(true);
      painter.setFont(font);
      painter.drawText(QRectF(0, y, w, line_height), Qt::AlignLeft | Qt::AlignVCenter, line.cells[0]);
      break;
    }
    case Line::UnbookedHeader:
    case Line::UnbookedRow: {
      QFont font = f.small;
      font.setBold(line.kind == Line::UnbookedHeader);
      painter.setFont(font);
      const size_t columns = std::size(unbooked_columns);
      for (size_t c = 0; c + 1 < columns && c < static_cast<size_t>(line.cells.size()); ++c) {
        const QRectF cell(unbooked_columns[c], y, unbooked_columns[c + 1] - unbooked_columns[c] - body * 0.5,
                          line_height);
        const bool number = c == 2 || c == 3 || c == 5 || c == 11 || c == 12;
        const int align = (number ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter;
        if (line.kind == Line::UnbookedHeader) {
          painter.drawText(cell, align | Qt::TextWordWrap, line.cells[static_cast<int>(c)]);
        } else {
          painter.drawText(cell, align,
                           painter.fontMetrics().elidedText(line.cells[static_cast<int>(c)], Qt::ElideRight,
                                                            static_cast<int>(cell.width())));
        }
      }
      if (line.kind == Line::UnbookedHeader) painter.drawLine(QPointF(0, y + line_height), QPointF(w, y + line_height));
      break;
    }
    case Line::GroupHeading:
      painter.setFont(f.heading);
      painter.fillRect(QRectF(0, y, w, line_height), QColor(232, 236, 242));
      painter.drawText(QRectF(body * 0.3, y, w, line_height), Qt::AlignLeft | Qt::AlignVCenter, line.cells[0]);
      break;
    case Line::TableHeader:
    case Line::TableRow: {
      QFont font = f.body;
      font.setBold(line.kind == Line::TableHeader);
      painter.setFont(font);
      const size_t columns = std::size(category_columns);
      for (size_t c = 0; c + 1 < columns && c < static_cast<size_t>(line.cells.size()); ++c) {
        const QRectF cell(category_columns[c] + body * 0.3, y, category_columns[c + 1] - category_columns[c] - body * 0.6,
                          line_height);
        if (line.kind == Line::TableRow && c >= 3 && line.negative) painter.setPen(QColor(160, 30, 30));
        painter.drawText(cell, (c == 0 ? Qt::AlignLeft : Qt::AlignRight) | Qt::AlignVCenter,
                         line.cells[static_cast<int>(c)]);
        painter.setPen(Qt::black);
      }
      if (line.kind == Line::TableHeader) {
        painter.drawLine(QPointF(0, y + line_height), QPointF(category_columns[columns - 1], y + line_height));
      }
      break;
    }
    case Line::BookingHeader:
    case Line::BookingRow: {
      QFont font = f.small;
      font.setBold(line.kind == Line::BookingHeader);
      painter.setFont(font);
      const size_t columns = std::size(booking_columns);
      for (size_t c = 0; c + 1 < columns && c < static_cast<size_t>(line.cells.size()); ++c) {
        const QRectF cell(booking_columns[c], y, booking_columns[c + 1] - booking_columns[c] - body * 0.5, line_height);
        painter.drawText(cell, (c >= 5 ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter,
                         line.cells[static_cast<int>(c)]);
      }
      break;
    }
    case Line::TrendChart: {
      // Beside the figures' table, as wide as it, a little in from the lines.
      painter.setFont(f.small);
      const double tolerance = p.tolerance > 0 ? p.tolerance : engine::kTrendTolerancePercent;
      const auto tr = p.translate;
      const TrendChartTexts texts{tr("Previsto"), tr("Versato"), tr("Scost. %"),
                                  tr("Tolleranza") + QString::fromUtf8(" ±") + QLocale().toString(tolerance, 'g', 6) + " %",
                                  tr(p.unit == engine::kMinutiDecimali    ? "Minuti"
                                     : p.unit == engine::kSecondiDecimali ? "Secondi"
                                                                          : "Ore")};
      DrawTrendChart(painter, QRectF(0, y + body * 0.3, category_columns[5], line_height - body * 0.6), line.chart,
                     texts, tolerance);
      break;
    }
    case Line::Gap: break;
  }
}

double ReportPages::Impl::DrawCarried(QPainter& painter, int64_t g, size_t k, double y) const {
  const Carried carried = CarriedAt(g, k);
  if (!carried.heading) return 0;
  const std::vector<Line> lines = IsSection(g) ? std::vector<Line>{SectionLine(0)} : GroupLines(g);
  const double start = y;
  DrawLine(painter, {Line::SubHeading, {lines[0].cells[0] + " (" + p.translate("segue") + ")"}}, y);
  y += HeightOf(Line::SubHeading, f);
  if (carried.header) {
    const Line header = IsSection(g) ? SectionLine(*carried.header) : lines[*carried.header];
    DrawLine(painter, header, y);
    y += HeightOf(header.kind, f);
  }
  return y - start;
}

void ReportPages::Draw(QPainter& painter, int page) const {
  const Impl& m = *impl_;
  if (page < 0 || page >= Count()) return;
  m.Frame(painter, page + 1);
  const Impl::Page& spread = m.pages[static_cast<size_t>(page)];
  Impl::Pos pos = spread.first;
  std::vector<Line> group_lines;  // the fixed lines of the group being drawn
  int64_t group_lines_of = -2;
  double y = m.top;
  if (page > 0) y += m.DrawCarried(painter, pos.group, pos.line, y);
  for (size_t drawn = 0; drawn < spread.lines; ++drawn) {
    while (pos.line >= m.LinesOf(pos.group)) {
      ++pos.group;
      pos.line = 0;
    }
    const Line::Kind kind = m.KindOf(pos.group, pos.line);
    if (pos.group < 0) {
      m.DrawLine(painter, m.header[pos.line], y);
    } else if (m.IsSection(pos.group)) {
      m.DrawLine(painter, m.SectionLine(pos.line), y);
    } else if (kind == Line::BookingRow) {
      m.DrawLine(painter, m.BookingLine(pos.group, pos.line - m.FixedLinesOf(pos.group) - 1), y);
    } else if (kind != Line::Gap) {
      if (group_lines_of != pos.group) {
        group_lines = m.IsTotal(pos.group) ? m.TotalLines() : m.GroupLines(pos.group);
        group_lines_of = pos.group;
      }
      m.DrawLine(painter, group_lines[pos.line], y);
    }
    y += HeightOf(kind, m.f);
    ++pos.line;
  }
}

int DrawPages(QPagedPaintDevice& device, const ReportPages& pages, int first, int last, const GoingOn& going_on) {
  first = std::max(first, 0);
  last = std::min(last, pages.Count() - 1);
  if (first > last) return 0;
  QPainter painter;
  if (!painter.begin(&device)) return 0;
  // The painter's unit the point (the fonts' pixel sizes are points too),
  // whatever the device's resolution.
  painter.scale(device.logicalDpiX() / 72.0, device.logicalDpiY() / 72.0);
  const size_t total = static_cast<size_t>(last - first + 1);
  int drawn = 0;
  for (int page = first; page <= last; ++page) {
    if (!GoOn(going_on, static_cast<size_t>(drawn), total)) break;
    if (page > first) device.newPage();
    painter.save();
    pages.Draw(painter, page);
    painter.restore();
    ++drawn;
  }
  painter.end();
  return drawn;
}

}  // namespace output
