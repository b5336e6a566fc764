// The comparison report "CRPD_QUARVELINDO", drawn with Qt on A4 landscape
// pages: a report header (the title, the company, the notes), one block per
// group (its grouping values with their descriptions, a table of the seven
// categories: planned, booked, gap, gap %; with `trend`, the group's months
// with planned, booked, gap and gap %, the ones beyond the tolerance band
// marked ▲ or ▼) followed by the group's bookings; with `totals`, after the
// groups, their total as one more block; with `unbooked`, after them, the
// section "Fasi senza versamenti";
// a page header with the grouping description and a footer "Pagina n di m"
// with the print date. The same drawing serves the PDF file (QPdfWriter:
// text stays text, fonts embedded), the printer and the print preview.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

#include <QPagedPaintDevice>
#include <QString>
#include <functional>
#include <string>

#include "engine/category_texts.h"
#include "host/value/status.h"
#include "output/print_records.h"

namespace output {

struct ReportParameters {
  QString titolo;     // the title as the report service holds it
  QString ditta;      // the company code
  QString desditta;   // the company description
  QString eseg, dest, note;
  bool report_header = true;  // the section "RH" (off: suppressed by the print options)
  bool bookings = true;       // each group's bookings under its figures
  size_t max_groups = 0;      // the first groups only (0: all)
  QString grouping;   // DescrizioneGruppo
  // The run's conditions (engine::ConditionsSummary) and options, in the
  // report header beside its unit: what the report covers.
  QString conditions;
  bool exclude_wait = false, exclude_queue = false;
  // The run's grouping fields (the result's names, e.g. PD44_CODFORNREP):
  // a group's heading shows these dimensions only, each with every part
  // that tells groups apart (an order's code, n., sez., del, riga; a phase
  // with its seq.; dates; sub-project, sub-order), never a field that holds
  // one booking's value. Unset: the heading of every filled field.
  std::optional<std::vector<std::string>> grouping_fields;
  // Gap % beyond ±tolerance marks the group's heading with ▲ or ▼ (0: none).
  double tolerance = 0;
  // The optional sections (Opzioni di stampa), drawn when asked for and their
  // record sets are there (PreparaSezioniStampa): each group's months, and
  // the phases planned and never booked. The months' band is ±tolerance,
  // ±10 % without one.
  bool trend = false;
  bool unbooked = false;
  // The groups printed taken as one (the results form's totals row,
  // engine::RunAsOneGroup for all of them): after the last group, a block
  // "Totale" with the seven categories as a group's. Unset: no such block.
  std::optional<std::array<engine::CategorySeconds, 7>> totals;
  std::string language = "it";  // how a month reads ("mar 2026" / "2026-03")
  int16_t unit = 0;   // TipoTempo
  QString print_date;
  std::function<QString(const std::string&)> translate = [](const std::string& s) {
    return QString::fromStdString(s);
  };
};

// Every "ordine" of the title becomes "ord." (PclsReport_BeforePrintReport).
QString ShortenedTitle(QString title);

// Draws the report; answers the number of pages. Draws nothing and answers 0
// when the device cannot be painted on.
int DrawReport(QPagedPaintDevice& device, const PrintRecords& records, const ReportParameters& parameters);

// The report as a PDF file; answers ok, or failed with what went wrong (no
// file is left then; see output::WriteFailedUnless).
host::Status WriteReportPdf(const std::string& path, const PrintRecords& records,
                            const ReportParameters& parameters);

}  // namespace output
