// The print preview of the comparison report: the laid-out pages one under
// the other, each drawn when it comes into sight (a year's 40,000 pages
// cost no more than the few looked at: some drawn pages are kept for
// scrolling back, the rest is never drawn).
//
// Given the preparation of the print record sets still under way, the
// preview opens on the first pages and prepares the rest a slice at a time
// (some 40 ms, then the window's events), laying out the pages as their
// groups come, with the count ("Preparazione: versamenti 120.000 /
// 950.000") and Interrompi, which closes it. Print, page setup and "Salva
// come PDF" wait for the whole report; the footers' "di m" comes with it.
//
// Printing draws the same pages on the printer, with a count and
// Interrompi; zoom (in, out, fit width, whole page) and the page number are
// in its tool bar. The window keeps the pages until it is closed; closing it
// gives them back.
#pragma once

#include <QCache>
#include <QDialog>
#include <QImage>
#include <QPrinter>
#include <functional>
#include <memory>
#include <vector>

#include "host/value/status.h"
#include "output/print_records.h"
#include "output/report/report_pages.h"

class QAbstractScrollArea;
class QAction;
class QTimer;
class QLabel;
class QSpinBox;

namespace results_form {

class PageView;

class ReportPreview : public QDialog {
  Q_OBJECT

 public:
  // `tr` gives a caption in the user's language; `save_pdf` is what
  // "Salva come PDF" does (asks for the file and writes it).
  // `preparation`: null when the record sets are complete.
  ReportPreview(std::shared_ptr<output::ReportPages> pages, std::shared_ptr<output::PrintPreparation> preparation,
                std::function<QString(const std::string&)> tr, std::function<void(QWidget* parent)> save_pdf,
                QWidget* parent);
  ~ReportPreview() override;

  [[nodiscard]] int PageCount() const;
  // Whether every page is laid out (the preparation is over and did not fail).
  [[nodiscard]] bool Complete() const;
  // What the preparation said since the last call (a failure closes the
  // window; the form shows it), empty without a preparation.
  [[nodiscard]] host::Status TakeStatus();
  // Whether the user stopped the preparation (the window then closes).
  [[nodiscard]] bool Stopped() const { return stopped_; }
  // Prepares one more slice (as the window's timer does); answers Complete().
  bool PrepareSlice();
  // The page shown at the top of the view (0-based).
  [[nodiscard]] int CurrentPage() const;
  void ShowPage(int page);
  // Pixels per point (1 is 72 dpi on the screen).
  [[nodiscard]] double Zoom() const;
  void SetZoom(double zoom);
  void FitWidth();
  void FitPage();
  // How many times a page was drawn for the view so far.
  [[nodiscard]] int64_t PagesDrawn() const;
  // Page `page` as the view shows it at the zoom of now (drawn if needed).
  [[nodiscard]] QImage PageImage(int page);

  // Prints pages first..last (0-based, both included) on `printer`, with a
  // count and Interrompi; answers the pages printed (fewer when stopped).
  int Print(QPrinter& printer, int first, int last);
  // The print dialog, then the print.
  void PrintWithDialog();
  void PageSetup();

 private:
  void UpdatePageNumber();
  void UpdateState();

  std::shared_ptr<output::ReportPages> pages_;
  std::shared_ptr<output::PrintPreparation> preparation_;
  QTimer* preparing_ = nullptr;
  QLabel* progress_ = nullptr;
  QAction* progress_action_ = nullptr;  // the tool bar's for progress_
  QAction* stop_ = nullptr;
  std::vector<QAction*> whole_report_;  // print, page setup, save: once complete
  bool stopped_ = false;
  std::function<QString(const std::string&)> tr_;
  PageView* view_ = nullptr;
  QSpinBox* page_number_ = nullptr;
  QLabel* page_total_ = nullptr;
  QPrinter printer_{QPrinter::HighResolution};
};

}  // namespace results_form
