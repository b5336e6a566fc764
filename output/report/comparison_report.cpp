#include "output/report/comparison_report.h"

#include <QFile>
#include <QLocale>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>
#include <algorithm>
#include <map>
#include <string_view>
#include <vector>

#include "engine/category_texts.h"
#include "engine/group_totals.h"
#include "engine/monthly_trend.h"
#include "engine/oms.h"
#include "engine/presentation/grid_column.h"
#include "engine/time_buckets.h"
#include "engine/unbooked_phases.h"
#include "engine/value_helpers.h"
#include "output/placed_file.h"

namespace output {
namespace {

// A figure's text with the separators of the print's locale (the
// interface's): the same text as the results form's summary shows.
QString LocalFigure(const std::string& text) {
  const QLocale locale;
  const char group = locale.groupSeparator().isEmpty() ? ',' : locale.groupSeparator().at(0).toLatin1();
  const char point = locale.decimalPoint().isEmpty() ? '.' : locale.decimalPoint().at(0).toLatin1();
  return QString::fromStdString(engine::LocalizedFigure(text, group != 0 ? group : ',', point != 0 ? point : '.'));
}

using host::Variant;

QString Text(const Variant& v) {
  if (v.IsNull() || v.IsEmpty()) return {};
  if (v.IsDate()) {
    const host::DateTime d = v.Date();
    return QString("%1/%2/%3").arg(d.Day(), 2, 10, QChar('0')).arg(d.Month(), 2, 10, QChar('0')).arg(d.Year());
  }
  if (v.IsNumber()) return QString::fromStdString(v.ToDecimal().Normalized().ToString());
  return QString::fromStdString(host::RTrim(v.JoinedText()));
}

// One line of the report: what it draws and how tall it is.
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
    Gap
  } kind;
  QStringList cells;
  bool negative = false;
};

// Every group's months as table rows, by the group's id: the gap % beyond
// the band marked as the group headings are.
std::map<QString, std::vector<Line>> TrendLines(const host::RecordSet& trend, const ReportParameters& p) {
  std::map<QString, std::vector<Line>> out;
  const double tolerance = p.tolerance > 0 ? p.tolerance : engine::kTrendTolerancePercent;
  auto months = trend.Clone();
  for (months->MoveFirst(); !months->Eof(); months->MoveNext()) {
    const Variant percent = months->Value("SCOSTPERC");
    QString percent_text = percent.IsNull() ? QString() : LocalFigure(percent.ToDecimal().ToFixed(2));
    const int side = percent.IsNull() ? 0 : engine::ToleranceSide(percent.ToDecimal().ToFixed(2), tolerance);
    if (side != 0) percent_text = QString::fromUtf8(side > 0 ? "▲ " : "▼ ") + percent_text;
    const QString gap = LocalFigure(Text(months->Value("SCOST")).toStdString());
    Line row{Line::TableRow,
             {QString::fromStdString(engine::TimeBucketText(engine::kMonthColumn,
                                                            Text(months->Value("MESE")).toStdString(), p.language)),
              LocalFigure(Text(months->Value("PREVISTO")).toStdString()),
              LocalFigure(Text(months->Value("VERSATO")).toStdString()), gap, percent_text}};
    row.negative = gap.startsWith('-');
    out[Text(months->Value("IDGRUPPO"))].push_back(std::move(row));
  }
  return out;
}

// The section of the phases planned and never booked: a heading, the
// columns the results form's tab shows, a row per phase (or a line saying
// there are none).
void AddUnbooked(std::vector<Line>& lines, const host::RecordSet& unbooked, const ReportParameters& p) {
  const auto tr = p.translate;
  lines.push_back({Line::GroupHeading, {tr(engine::kUnbookedTitle)}});
  auto phases = unbooked.Clone();
  phases->MoveFirst();
  if (phases->Eof()) {
    lines.push_back({Line::ReportInfo, {tr("Nessuna fase senza versamenti")}});
    return;
  }
  Line header{Line::UnbookedHeader, {}};
  for (const auto& column : engine::kUnbookedColumns) header.cells << tr(column.caption);
  lines.push_back(std::move(header));
  for (; !phases->Eof(); phases->MoveNext()) {
    Line row{Line::UnbookedRow, {}};
    for (const auto& column : engine::kUnbookedColumns) {
      const QString text = Text(phases->Value(column.field));
      row.cells << (std::string_view(column.field) == "OMSPREV" ? LocalFigure(text.toStdString()) : text);
    }
    lines.push_back(std::move(row));
  }
}

// The report as lines, from the print record sets.
std::vector<Line> Lines(const PrintRecords& records, const ReportParameters& p) {
  std::vector<Line> lines;
  const auto tr = p.translate;
  if (p.report_header) {
    lines.push_back({Line::ReportTitle, {ShortenedTitle(p.titolo)}});
    lines.push_back({Line::ReportInfo, {tr("Ditta") + ": " + p.ditta + (p.desditta.isEmpty() ? "" : " - " + p.desditta)}});
    if (!p.eseg.isEmpty()) lines.push_back({Line::ReportInfo, {tr("Eseguito da") + ": " + p.eseg}});
    if (!p.dest.isEmpty()) lines.push_back({Line::ReportInfo, {tr("Destinazione") + ": " + p.dest}});
    if (!p.note.isEmpty()) lines.push_back({Line::ReportInfo, {tr("Note") + ": " + p.note}});
    lines.push_back({Line::Gap, {}});
  }
  if (!records.RSStampa) return lines;
  auto head = records.RSStampa->Clone();
  auto bookings = records.RSReportDett && p.bookings ? records.RSReportDett->Clone() : nullptr;
  // A heading part: its caption, RSStampa's field, its description's field,
  // and the result's field it comes from.
  struct Part {
    const char* caption;
    const char* field;
    const char* description;
    const char* source;
  };
  static const Part kParts[] = {{"Articolo", "Articolo", "Descrizione articolo", "PD44_CODART_MG66"},
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
  std::vector<const Part*> parts;
  for (const Part& part : kParts) {
    const bool grouping =
        !p.grouping_fields ||
        std::any_of(p.grouping_fields->begin(), p.grouping_fields->end(),
                    [&](const std::string& f) { return host::UpperAscii(f) == host::UpperAscii(part.source); });
    // Without the run's grouping, the pairs of old (no seq., dates or sub-parts).
    const bool old_pair = std::string_view(part.caption) != "seq." && std::string_view(part.caption) != "sez." &&
                          std::string_view(part.caption) != "del" && part.field != std::string_view("DataConsegna") &&
                          part.field != std::string_view("DataInizioLav") &&
                          part.field != std::string_view("SottoProgetto") &&
                          part.field != std::string_view("SottoCommessa");
    if (p.grouping_fields ? grouping : old_pair) parts.push_back(&part);
  }
  const char* const kKinds[] = {"Lavorazione", "Setup", "Manutenzione"};
  const auto trend = p.trend && records.RSAndamento ? TrendLines(*records.RSAndamento, p)
                                                    : std::map<QString, std::vector<Line>>{};
  size_t drawn = 0;
  for (head->MoveFirst(); !head->Eof() && (p.max_groups == 0 || drawn < p.max_groups); head->MoveNext(), ++drawn) {
    QStringList heading;
    for (const Part* part : parts) {
      const QString code = Text(head->Value(part->field));
      if (code.isEmpty()) continue;
      QString text = tr(part->caption) + " " + code;
      if (part->description != nullptr) {
        const QString description = Text(head->Value(part->description));
        if (!description.isEmpty()) text += " " + description;
      }
      heading << text;
    }
    QString title = heading.isEmpty() ? tr("Gruppo") + " " + Text(head->Value("IDGruppo")) : heading.join("   ");
    if (p.tolerance > 0) {
      // The group's band marker, from the total's figures as the table shows them.
      engine::ValoriCategoria planned_total;
      planned_total.OREPREV = head->Value("OrePreviste");
      planned_total.MINPREV = head->Value("MinPrevisti");
      planned_total.SECPREV = head->Value("SecPrevisti");
      engine::ValoriCategoria booked_total;
      booked_total.OREPREV = head->Value("OreVersate");
      booked_total.MINPREV = head->Value("MinVersati");
      booked_total.SECPREV = head->Value("SecVersati");
      const int side = engine::ToleranceSide(
          engine::GapPercentText(engine::PlannedSeconds(planned_total, p.unit), engine::PlannedSeconds(booked_total, p.unit)),
          p.tolerance);
      if (side != 0) title = QString::fromUtf8(side > 0 ? "▲ " : "▼ ") + title;
    }
    lines.push_back({Line::GroupHeading, {title}});
    lines.push_back({Line::TableHeader,
                     {tr("Categoria"), tr("Previsto"), tr("Versato"), tr("Scostamento"), tr("Scost. %")}});
    for (size_t i = 0; i < 7; ++i) {
      const std::string s = kPrintCategories[i].print_suffix;
      // The figures read as everywhere else (the terminal table, the
      // results form): from the record's unit values, so a category without
      // plan still shows what was booked.
      engine::ValoriCategoria planned_values;
      planned_values.OREPREV = head->Value("OrePreviste" + s);
      planned_values.MINPREV = head->Value("MinPrevisti" + s);
      planned_values.SECPREV = head->Value("SecPrevisti" + s);
      engine::ValoriCategoria booked_values;
      booked_values.OREPREV = head->Value("OreVersate" + s);
      booked_values.MINPREV = head->Value("MinVersati" + s);
      booked_values.SECPREV = head->Value("SecVersati" + s);
      const Variant planned = engine::PlannedSeconds(planned_values, p.unit);
      const Variant booked = engine::PlannedSeconds(booked_values, p.unit);
      const engine::FigureTexts t = engine::FigureTextsOf(planned, booked, p.unit);
      const QString gap = LocalFigure(t.gap);
      Line row{Line::TableRow,
               {tr(std::string(engine::kCategoryNames[i].caption)), LocalFigure(t.planned), LocalFigure(t.booked), gap,
                LocalFigure(t.percent)}};
      row.negative = gap.startsWith('-');
      lines.push_back(std::move(row));
    }
    if (const auto months = trend.find(Text(head->Value("IDGruppo"))); months != trend.end()) {
      lines.push_back({Line::SubHeading, {tr("Andamento")}});
      lines.push_back({Line::TableHeader,
                       {tr("Mese"), tr("Previsto"), tr("Versato"), tr("Scostamento"), tr("Scost. %")}});
      lines.insert(lines.end(), months->second.begin(), months->second.end());
    }
    if (bookings) {
      bookings->SetFilter("IDTESTATA = " + Text(head->Value("IDTESTATA")).toStdString());
      if (bookings->RecordCount() > 0) {
        lines.push_back({Line::BookingHeader,
                         {tr("Data reg."), tr("Dipendente"), tr("Macchina"), tr("Fase"), tr("Tipo ora"),
                          tr("Quantità"), tr("Tempo versato")}});
      }
      for (bookings->MoveFirst(); !bookings->Eof(); bookings->MoveNext()) {
        const Variant kind = bookings->Value("PD44_INDORA");
        const int k = kind.IsNull() ? -1 : engine::ValoreNumerico(kind).ToInt32();
        lines.push_back({Line::BookingRow,
                         {Text(bookings->Value("PD44_DATAREG")), Text(bookings->Value("PD44_CODDIP_PD06")),
                          Text(bookings->Value("PD44_MACCHINA_PD08")), Text(bookings->Value("PD44_CODFASE_PD12")),
                          k >= 0 && k <= 2 ? tr(kKinds[k]) : Text(kind), Text(bookings->Value("PD44_QTALAV")),
                          Text(bookings->Value("VERSTOTSEC"))}});
      }
    }
    lines.push_back({Line::Gap, {}});
  }
  if (p.unbooked && records.RSFasiNonVersate) AddUnbooked(lines, *records.RSFasiNonVersate, p);
  return lines;
}

struct Fonts {
  QFont title, heading, body, small;
};

// The report is laid out in points (1/72 inch) from the fonts' sizes alone,
// never from a device's font metrics: the preview, the printer and the PDF
// differ in resolution and hinting, and must still break the pages at the
// same lines. DejaVu Sans is 1.164 of its size from ascent to descent.
constexpr double kLineSpacing = 1.17;

double HeightOf(const Line& line, const Fonts& f) {
  const auto h = [](const QFont& font) { return font.pixelSize() * kLineSpacing; };
  switch (line.kind) {
    case Line::ReportTitle: return h(f.title) * 1.6;
    case Line::GroupHeading: return h(f.heading) * 1.5;
    case Line::Gap: return h(f.body) * 0.8;
    case Line::UnbookedHeader: return h(f.small) * 2.4;  // captions of two lines
    default: return h(f.body) * 1.25;
  }
}

// Draws (or, without a painter, only counts) the pages.
int Paginate(QPainter* painter, QPagedPaintDevice& device, const std::vector<Line>& lines,
             const ReportParameters& p, const Fonts& f, int total_pages) {
  // The painter's origin is the printable area's corner; its unit the point
  // (the fonts' pixel sizes are points too), whatever the device.
  const QRectF paint_rect = device.pageLayout().paintRect(QPageLayout::Point);
  const QRectF area(0, 0, paint_rect.width(), paint_rect.height());
  if (painter != nullptr) {
    painter->scale(device.logicalDpiX() / 72.0, device.logicalDpiY() / 72.0);
  }
  const double body = f.body.pixelSize() * kLineSpacing;
  const double header_height = body * 2.2;
  const double footer_height = body * 2;
  const double top = header_height;
  const double bottom = area.height() - footer_height;
  int pages = 1;
  double y = top;
  const auto frame = [&](int number) {
    if (painter == nullptr) return;
    painter->setFont(f.small);
    painter->setPen(Qt::black);
    painter->drawText(QRectF(0, 0, area.width() / 2, body * 1.5), Qt::AlignLeft | Qt::AlignVCenter,
                      ShortenedTitle(p.titolo));
    painter->drawText(QRectF(area.width() / 2, 0, area.width() / 2, body * 1.5), Qt::AlignRight | Qt::AlignVCenter,
                      p.translate("Raggruppamento") + ": " + p.grouping);
    painter->drawLine(QPointF(0, body * 1.6), QPointF(area.width(), body * 1.6));
    painter->drawLine(QPointF(0, bottom + body * 0.3), QPointF(area.width(), bottom + body * 0.3));
    painter->drawText(QRectF(0, bottom + body * 0.4, area.width() / 2, body * 1.4), Qt::AlignLeft | Qt::AlignVCenter,
                      p.print_date);
    painter->drawText(QRectF(area.width() / 2, bottom + body * 0.4, area.width() / 2, body * 1.4),
                      Qt::AlignRight | Qt::AlignVCenter,
                      p.translate("Pagina") + QString(" %1 ").arg(number) + p.translate("di") +
                          QString(" %1").arg(total_pages));
  };
  frame(1);
  // Column positions: the category table and the booking table.
  const double w = area.width();
  const std::vector<double> category_columns{0, w * 0.22, w * 0.36, w * 0.50, w * 0.64, w * 0.74};
  const std::vector<double> booking_columns{w * 0.02, w * 0.14, w * 0.28, w * 0.42, w * 0.52, w * 0.66, w * 0.78,
                                            w * 0.92};
  // Order, section, number, line, article, seq., phase, description,
  // department, machine, source, planned.
  const std::vector<double> unbooked_columns{0,        w * 0.08, w * 0.13, w * 0.20, w * 0.25, w * 0.38, w * 0.43,
                                             w * 0.49, w * 0.68, w * 0.75, w * 0.85, w * 0.90, w};
  for (size_t i = 0; i < lines.size(); ++i) {
    const Line& line = lines[i];
    double height = HeightOf(line, f);
    // A group heading keeps its table on the same page.
    if (line.kind == Line::GroupHeading) height += HeightOf(lines[std::min(i + 1, lines.size() - 1)], f) * 9;
    // A section's title keeps its header and first row with it.
    if (line.kind == Line::SubHeading) height += HeightOf(lines[std::min(i + 1, lines.size() - 1)], f) * 2;
    if (y + height > bottom && y > top) {
      ++pages;
      if (painter != nullptr) device.newPage();
      frame(pages);
      y = top;
      if (line.kind == Line::Gap) continue;
    }
    const double line_height = HeightOf(line, f);
    if (painter != nullptr) {
      painter->setPen(Qt::black);
      switch (line.kind) {
        case Line::ReportTitle:
          painter->setFont(f.title);
          painter->drawText(QRectF(0, y, w, line_height), Qt::AlignLeft | Qt::AlignVCenter, line.cells[0]);
          break;
        case Line::SubHeading: {
          QFont font = f.body;
          font.setBold(true);
          painter->setFont(font);
          painter->drawText(QRectF(0, y, w, line_height), Qt::AlignLeft | Qt::AlignVCenter, line.cells[0]);
          break;
        }
        case Line::ReportInfo:
          painter->setFont(f.body);
          painter->drawText(QRectF(0, y, w, line_height), Qt::AlignLeft | Qt::AlignVCenter, line.cells[0]);
          break;
        case Line::GroupHeading:
          painter->setFont(f.heading);
          painter->fillRect(QRectF(0, y, w, line_height), QColor(232, 236, 242));
          painter->drawText(QRectF(body * 0.3, y, w, line_height), Qt::AlignLeft | Qt::AlignVCenter, line.cells[0]);
          break;
        case Line::TableHeader:
        case Line::TableRow: {
          QFont font = f.body;
          font.setBold(line.kind == Line::TableHeader);
          painter->setFont(font);
          for (size_t c = 0; c + 1 < category_columns.size() && c < static_cast<size_t>(line.cells.size()); ++c) {
            const QRectF cell(category_columns[c] + body * 0.3, y, category_columns[c + 1] - category_columns[c] - body * 0.6,
                              line_height);
            if (line.kind == Line::TableRow && c >= 3 && line.negative) painter->setPen(QColor(160, 30, 30));
            painter->drawText(cell, (c == 0 ? Qt::AlignLeft : Qt::AlignRight) | Qt::AlignVCenter,
                              line.cells[static_cast<int>(c)]);
            painter->setPen(Qt::black);
          }
          if (line.kind == Line::TableHeader) {
            painter->drawLine(QPointF(0, y + line_height), QPointF(category_columns.back(), y + line_height));
          }
          break;
        }
        case Line::BookingHeader:
        case Line::BookingRow: {
          QFont font = f.small;
          font.setBold(line.kind == Line::BookingHeader);
          painter->setFont(font);
          for (size_t c = 0; c + 1 < booking_columns.size() && c < static_cast<size_t>(line.cells.size()); ++c) {
            const QRectF cell(booking_columns[c], y, booking_columns[c + 1] - booking_columns[c] - body * 0.5,
                              line_height);
            painter->drawText(cell, (c >= 5 ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter,
                              line.cells[static_cast<int>(c)]);
          }
          break;
        }
        case Line::UnbookedHeader:
        case Line::UnbookedRow: {
          QFont font = f.small;
          font.setBold(line.kind == Line::UnbookedHeader);
          painter->setFont(font);
          for (size_t c = 0; c + 1 < unbooked_columns.size() && c < static_cast<size_t>(line.cells.size()); ++c) {
            const QRectF cell(unbooked_columns[c], y, unbooked_columns[c + 1] - unbooked_columns[c] - body * 0.5,
                              line_height);
            const bool number = c == 2 || c == 3 || c == 5 || c == 11;
            const int align = (number ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter;
            if (line.kind == Line::UnbookedHeader) {
              painter->drawText(cell, align | Qt::TextWordWrap, line.cells[static_cast<int>(c)]);
            } else {
              painter->drawText(cell, align,
                                painter->fontMetrics().elidedText(line.cells[static_cast<int>(c)], Qt::ElideRight,
                                                                  static_cast<int>(cell.width())));
            }
          }
          if (line.kind == Line::UnbookedHeader) {
            painter->drawLine(QPointF(0, y + line_height), QPointF(w, y + line_height));
          }
          break;
        }
        case Line::Gap: break;
      }
    }
    y += line_height;
  }
  return pages;
}

}  // namespace

QString ShortenedTitle(QString title) { return title.replace("ordine", "ord."); }

int DrawReport(QPagedPaintDevice& device, const PrintRecords& records, const ReportParameters& parameters) {
  device.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Landscape, QMarginsF(12, 12, 12, 12),
                                   QPageLayout::Millimeter));
  Fonts fonts;
  // Sizes in points, given as pixels of the painter's point-sized unit.
  const auto font = [](int points, bool bold) {
    QFont f("DejaVu Sans");
    f.setPixelSize(points);
    f.setBold(bold);
    return f;
  };
  fonts.body = font(8, false);
  fonts.small = font(7, false);
  fonts.heading = font(9, true);
  fonts.title = font(14, true);
  // No ligatures: a text copied or searched in the PDF reads as printed
  // ("Officine", not its "ffi" glyph).
  for (QFont* font : {&fonts.body, &fonts.small, &fonts.heading, &fonts.title}) {
    font->setStyleStrategy(QFont::PreferNoShaping);
  }
  const std::vector<Line> lines = Lines(records, parameters);
  // First the pages are counted, for "Pagina n di m"; then drawn.
  const int pages = Paginate(nullptr, device, lines, parameters, fonts, 0);
  QPainter painter;
  if (!painter.begin(&device)) return 0;
  Paginate(&painter, device, lines, parameters, fonts, pages);
  painter.end();
  return pages;
}

std::string WriteReportPdf(const std::string& path, const PrintRecords& records, const ReportParameters& parameters) {
  if (std::string refused = RefusePlace(path, {}); !refused.empty()) return refused;
  PlacedFile placed(path);
  if (!placed.Error().empty()) return placed.Error();
  // Through a file of our own: QPdfWriter says nothing of a failed write,
  // the file does.
  QFile file;
  if (!file.open(placed.Descriptor(), QIODevice::WriteOnly, QFileDevice::DontCloseHandle)) {
    return "cannot write " + path;
  }
  int pages = 0;
  {
    QPdfWriter writer(&file);
    writer.setResolution(150);
    writer.setTitle(ShortenedTitle(parameters.titolo));
    writer.setCreator("quarvelindo");
    pages = DrawReport(writer, records, parameters);
  }
  const bool written = file.flush() && file.error() == QFileDevice::NoError;
  const std::string reason = file.errorString().toStdString();
  file.close();
  if (pages == 0 || !written) return "cannot write " + path + (written ? std::string() : ": " + reason);
  return placed.Commit();
}

}  // namespace output
