// The print preview as a controller uses it (offscreen), opened by a real
// run from the query form: it opens on page 1 while the rest of the report
// is still being prepared, ends with the PDF's page count and draws only the
// pages looked at; its tool bar moves through the pages and zooms; printing
// gives the same pages as the PDF file, in full or a range; Interrompi
// closes it; its captions follow the language.
#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QToolBar>
#include <QPrinter>
#include <QElapsedTimer>
#include <QSpinBox>
#include <QtTest>

#include "demo/erp_database.h"
#include "engine/tests/tiny_erp.h"
#include "output/tests/pdf_text.h"
#include "query_form/tests/form_harness.h"
#include "results_form/frmpd_mavanzordlav.h"
#include "results_form/tests/written.h"
#include "results_form/report_preview.h"

using query_form::FRMPD_QUARVELINDO;
using query_form::testing::FormHarness;
using results_form::ReportPreview;

namespace {

using output::testing::PdfPages;
using output::testing::PdfPageText;

// The preview's pages `first` to `last` printed into `pdf`; how many were.
int PrintTo(ReportPreview& preview, const std::string& pdf, int first, int last) {
  QPrinter printer(QPrinter::HighResolution);
  printer.setOutputFormat(QPrinter::PdfFormat);
  printer.setOutputFileName(QString::fromStdString(pdf));
  return preview.Print(printer, first, last);
}

// Whether the image holds anything but white.
bool Drawn(const QImage& image) {
  for (int y = 0; y < image.height(); y += 3) {
    for (int x = 0; x < image.width(); x += 3) {
      if (image.pixel(x, y) != qRgb(255, 255, 255)) return true;
    }
  }
  return false;
}

}  // namespace

class ReportPreviewTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() {
    demo_ = dir_.File("demo.db");
    demo::GenerateDemoDatabase(demo_, {2000, 11});
    FRMPD_QUARVELINDO::SetSettingsFile(QString::fromStdString(dir_.File("settings.ini")));
  }

  void opensOnPageOneDrawsOnlyThePagesLookedAtAndInterrompiClosesIt() {
    FormHarness harness(demo_);
    auto results = harness.Run();
    QVERIFY(results != nullptr);
    const std::string pdf = dir_.File("whole.pdf");
    QVERIFY(Written(results->SavePdf(pdf)));
    const int pdf_pages = PdfPages(pdf);
    QVERIFY2(pdf_pages > 40, qPrintable(QString::number(pdf_pages)));

    std::unique_ptr<ReportPreview> preview = results->Anteprima();
    QVERIFY(preview != nullptr);
    QCOMPARE(preview->windowTitle(), QString("Anteprima di stampa"));
    // Page 1 is there before the rest is prepared: drawn, its footer without
    // the count yet; printing waits.
    QVERIFY(!preview->Complete());
    QVERIFY(preview->PageCount() >= 2 && preview->PageCount() < pdf_pages);
    QVERIFY(Drawn(preview->PageImage(0)));
    QVERIFY(!preview->findChild<QAction*>("PreviewPrint")->isEnabled());
    QVERIFY(preview->findChild<QAction*>("PreviewStop")->isVisible());
    QVERIFY(preview->findChild<QLabel*>("PreviewProgress")->text().startsWith("Preparazione: versamenti "));
    preview->show();
    // The rest comes while the window answers its events.
    QElapsedTimer waited;
    waited.start();
    while (!preview->Complete() && waited.elapsed() < 60000) QApplication::processEvents();
    QVERIFY(preview->Complete());
    QCOMPARE(preview->PageCount(), pdf_pages);
    QVERIFY(preview->findChild<QAction*>("PreviewPrint")->isEnabled());
    QVERIFY(!preview->findChild<QAction*>("PreviewStop")->isVisible());
    // No count left behind once all is prepared.
    QVERIFY(!preview->findChild<QLabel*>("PreviewProgress")->isVisible());
    QCOMPARE(preview->CurrentPage(), 0);
    auto* number = preview->findChild<QSpinBox*>("PreviewPageNumber");
    QCOMPARE(number->value(), 1);
    QCOMPARE(preview->findChild<QLabel*>("PreviewPageTotal")->text().trimmed(),
             "di " + QLocale().toString(pdf_pages));
    // Only the pages in sight were drawn, never the pages below them.
    QVERIFY2(preview->PagesDrawn() <= 12, qPrintable(QString::number(preview->PagesDrawn())));

    // The last page, straight away: drawn then, a page or two at most.
    const int64_t before = preview->PagesDrawn();
    preview->findChild<QAction*>("PreviewLast")->trigger();
    QApplication::processEvents();
    QCOMPARE(preview->CurrentPage(), pdf_pages - 1);
    QVERIFY(preview->PagesDrawn() - before <= 2);
    // The whole tool bar fits a 1280-pixel screen, where the window opens
    // as wide as it (nothing behind the bar's "»").
    const QToolBar* bar = preview->findChild<QToolBar*>();
    QVERIFY2(bar->sizeHint().width() + 16 <= 1280, qPrintable(QString::number(bar->sizeHint().width())));
    // Back to the first through the tool bar, one page on, then by number.
    preview->findChild<QAction*>("PreviewFirst")->trigger();
    preview->findChild<QAction*>("PreviewNext")->trigger();
    QCOMPARE(preview->CurrentPage(), 1);
    QCOMPARE(number->value(), 2);
    number->setValue(20);
    QCOMPARE(preview->CurrentPage(), 19);
    preview->findChild<QAction*>("PreviewPrevious")->trigger();
    QCOMPARE(preview->CurrentPage(), 18);
    // Zoom: a quarter more, and the page image grows with it; the page in
    // view stays the same.
    const double zoom = preview->Zoom();
    const int width = preview->PageImage(18).width();
    preview->findChild<QAction*>("PreviewZoomIn")->trigger();
    QVERIFY(qAbs(preview->Zoom() - zoom * 1.25) < 1e-9);
    QVERIFY(preview->PageImage(18).width() > width);
    QCOMPARE(preview->CurrentPage(), 18);
    // The whole page in the window (no larger than its width alone), then
    // the width again: the zoom the preview opened with.
    preview->findChild<QAction*>("PreviewFitPage")->trigger();
    QVERIFY(preview->Zoom() <= zoom + 1e-9);
    preview->findChild<QAction*>("PreviewFitWidth")->trigger();
    QVERIFY(qAbs(preview->Zoom() - zoom) < 1e-9);
    preview->close();

    // Another preview, stopped while it is prepared: closed, nothing more
    // prepared and nothing said.
    preview = results->Anteprima();
    QVERIFY(preview != nullptr);
    preview->show();
    QVERIFY(!preview->Complete());
    preview->findChild<QAction*>("PreviewStop")->trigger();
    QVERIFY(preview->Stopped());
    QVERIFY(!preview->isVisible());
    QCOMPARE(preview->result(), int(QDialog::Rejected));
    QApplication::processEvents();
    QVERIFY(!preview->Complete());
    QCOMPARE(harness.Shown(), QStringList());
  }

  // Printing gives the pages of the PDF, in full or a range. With the
  // optional sections chosen in the print options the preview lays out each
  // group's months and, once the groups are all in, the phases never booked.
  void printingGivesThePagesOfThePdf_data() {
    QTest::addColumn<bool>("sections");
    QTest::newRow("groups only") << false;
    QTest::newRow("trend and unbooked phases") << true;
  }
  void printingGivesThePagesOfThePdf() {
    QFETCH(bool, sections);
    FormHarness harness(demo_);
    harness.global->print_options.trend = sections;
    harness.global->print_options.unbooked = sections;
    auto results = harness.Run();
    QVERIFY(results != nullptr);
    const std::string pdf = dir_.File("saved.pdf");
    QVERIFY(Written(results->SavePdf(pdf)));
    std::unique_ptr<ReportPreview> preview = results->Anteprima();
    QVERIFY(preview != nullptr);
    while (!preview->Complete()) preview->PrepareSlice();
    const int pages = preview->PageCount();
    QCOMPARE(pages, PdfPages(pdf));

    const std::string printed = dir_.File("printed.pdf");
    QCOMPARE(PrintTo(*preview, printed, 0, pages - 1), pages);
    QCOMPARE(PdfPages(printed), pages);
    for (const int page : {1, pages / 2, pages}) {
      QCOMPARE(QString::fromStdString(PdfPageText(printed, page)), QString::fromStdString(PdfPageText(pdf, page)));
    }
    if (sections) {
      const std::string first = PdfPageText(printed, 1);
      QVERIFY2(first.find("Andamento") != std::string::npos, first.c_str());
      QVERIFY(first.find("Fasi senza versamenti") == std::string::npos);
      QVERIFY(PdfPageText(pdf, pages).find("Fasi senza versamenti") != std::string::npos ||
              PdfPageText(pdf, pages - 1).find("Fasi senza versamenti") != std::string::npos);
    } else {
      // A range: pages 5 to 7 of the report, their footers say so.
      const std::string range = dir_.File("range.pdf");
      QCOMPARE(PrintTo(*preview, range, 4, 6), 3);
      QCOMPARE(PdfPages(range), 3);
      QVERIFY(PdfPageText(range, 1).find("Pagina 5 di " + std::to_string(pages)) != std::string::npos);
      QCOMPARE(QString::fromStdString(PdfPageText(range, 3)), QString::fromStdString(PdfPageText(pdf, 7)));
    }
    preview.reset();
    harness.global->print_options.trend = false;
    harness.global->print_options.unbooked = false;
  }

  void theCaptionsFollowTheLanguage() {
    FormHarness harness(demo_, "en");
    auto results = harness.Run();
    QVERIFY(results != nullptr);
    std::unique_ptr<ReportPreview> preview = results->Anteprima();
    QVERIFY(preview != nullptr);
    QCOMPARE(preview->windowTitle(), QString("Print preview"));
    QCOMPARE(preview->findChild<QAction*>("PreviewPrint")->text(), QString("Print"));
    QVERIFY(preview->findChild<QLabel*>("PreviewPageTotal")->text().trimmed().startsWith("of "));
  }

 private:
  engine::testing::TempDir dir_;
  std::string demo_;
};

QTEST_MAIN(ReportPreviewTest)
#include "report_preview_test.moc"
