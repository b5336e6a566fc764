// The comparison report laid out once into pages, each page drawn on its own
// when it is wanted. The layout goes by the kind of each line alone (a group
// is its heading, the category table, its months when they are asked for,
// and one line per booking; the phases never booked, when asked for, are a
// title and one line each after the last group; each kind of a fixed
// height), so a year's million bookings are laid out in one pass over their
// group numbers, and the texts of a page are read from the print record sets
// only when that page is drawn: the preview shows the first page of 22,000
// at once and draws the others as they are looked at; the printer and the
// PDF get the very same pages.
//
// The optional sections (RSAndamento, RSFasiNonVersate) must be whole when
// the pages are made; the phases never booked are laid out by the Extend
// that completes the groups, as is the total.
//
// The pages read the record sets through clones of their own (no cursor of
// the caller moves). The record sets may still be growing (a preparation
// that adds whole groups, a group's record before its bookings): the pages
// are then those of the groups there are, Extend lays out the groups added
// since, and until the last Extend the footers say "Pagina n" without the
// count. Nothing may change what was already added. Record sets that are
// null or empty give the report header alone (or one empty page with its
// frame).
#pragma once

#include <QPageLayout>
#include <QPainter>
#include <memory>

#include "output/going_on.h"
#include "output/print_records.h"
#include "output/report/comparison_report.h"

namespace output {

class ReportPages {
 public:
  // `complete`: every group is in the record sets already.
  ReportPages(const PrintRecords& records, const ReportParameters& parameters, bool complete = true);
  ~ReportPages();
  ReportPages(const ReportPages&) = delete;
  ReportPages& operator=(const ReportPages&) = delete;

  // Lays out the groups added to the record sets since; `complete`: they are
  // all there now. Answers the first page (0-based) whose drawing may have
  // changed: the pages before it are drawn as they were.
  int Extend(bool complete);
  [[nodiscard]] bool Complete() const;
  // The number of pages (at least 1), so far.
  [[nodiscard]] int Count() const;
  // A4 landscape with margins of 12 mm: the layout every device is given.
  static QPageLayout PageLayout();
  // Draws page `page` (0-based; nothing for a page that does not exist),
  // its frame ("Pagina n di m") included. The painter's origin is the
  // printable area's corner and its unit the point.
  void Draw(QPainter& painter, int page) const;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

// Draws pages `first`..`last` (0-based, both included, clipped to the pages
// there are) on `device`, whose page layout must be ReportPages::PageLayout().
// `going_on` hears of the pages drawn so far; when it answers false the
// drawing stops there. Answers the pages drawn (0 when the device cannot be
// painted on).
int DrawPages(QPagedPaintDevice& device, const ReportPages& pages, int first, int last,
              const GoingOn& going_on = {});

}  // namespace output
