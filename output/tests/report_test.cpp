// The comparison report read back from its PDF (poppler's pdftotext and
// pdfinfo): the title with "ordine" shortened, the company, every group's
// figures as the group totals have them, the page footer.
#include <gtest/gtest.h>

#include <QApplication>
#include <QPdfWriter>
#include <QPrinter>
#include <array>
#include <cstdio>
#include <filesystem>

#include "demo/erp_database.h"
#include "engine/field_lists.h"
#include "engine/tests/fake_form.h"
#include "engine/tests/run_request.h"
#include "engine/tests/tiny_erp.h"
#include "output/report/comparison_report.h"
#include "output/report/report_pages.h"

namespace output {
namespace {

std::string Command(const std::string& command) {
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return {};
  std::array<char, 4096> buffer{};
  std::string out;
  size_t n = 0;
  while ((n = fread(buffer.data(), 1, buffer.size(), pipe)) > 0) out.append(buffer.data(), n);
  pclose(pipe);
  return out;
}

TEST(ReportTitle, EveryOrdineIsShortened) {
  EXPECT_EQ(ShortenedTitle("Confronto ordine per ordine").toStdString(), "Confronto ord. per ord.");
  EXPECT_EQ(ShortenedTitle("Ordine e ordine").toStdString(), "Ordine e ord.");  // case-sensitive
}

TEST(Report, ThePdfReadsBack) {
  engine::testing::TempDir dir;
  engine::testing::FakeForm form;
  engine::NoProgress progress;
  auto request = engine::testing::RequestOn(engine::testing::TinyErp(dir), {"Articolo"});
  auto run = engine::Comparison::Make(form, std::move(request), progress);
  host::DecodeService decode(run->Connection(), "1");
  PrintRecords print;
  ASSERT_FALSE(PreparaRSStampa(form, *run, decode, false, print));
  ReportParameters parameters;
  parameters.titolo = "Stampa comparazione per ordine";
  parameters.ditta = "1";
  parameters.desditta = "Officine Demo";
  parameters.note = "Riunione di produzione";
  parameters.grouping = "Articolo";
  parameters.print_date = "06/12/2026";
  const std::string pdf = dir.File("report.pdf");
  ASSERT_EQ(WriteReportPdf(pdf, print, parameters), "");
  const std::string info = Command("pdfinfo " + pdf);
  EXPECT_NE(info.find("Title:           Stampa comparazione per ord."), std::string::npos) << info;
  EXPECT_NE(info.find("Pages:           2"), std::string::npos) << info;
  EXPECT_NE(info.find("A4"), std::string::npos);
  const std::string text = Command("pdftotext -layout " + pdf + " -");
  for (const char* expected :
       {"Stampa comparazione per ord.", "Ditta: 1 - Officine Demo", "Note: Riunione di produzione",
        "Raggruppamento: Articolo", "Articolo A1 Albero", "Articolo A2 Flangia", "Pagina 1 di 2", "Pagina 2 di 2",
        "06/12/2026", "0:25:00"}) {
    EXPECT_NE(text.find(expected), std::string::npos) << expected;
  }
  // A1 (hand-worked): 1:10:00 planned, 1:17:00 booked, + 0:07:00, 10.00 %.
  const size_t a1 = text.find("Articolo A1");
  const size_t total = text.find("Totale", a1);
  ASSERT_NE(total, std::string::npos);
  const std::string line = text.substr(total, text.find('\n', total) - total);
  EXPECT_NE(line.find("1:10:00"), std::string::npos) << line;
  EXPECT_NE(line.find("1:17:00"), std::string::npos) << line;
  EXPECT_NE(line.find("+ 0:07:00"), std::string::npos) << line;
  EXPECT_NE(line.find("10.00"), std::string::npos) << line;
  EXPECT_FALSE(std::filesystem::exists(pdf + ".partial.pdf"));
}

// The preview (a printer at its high resolution), a printer at the screen's
// and the PDF file break the pages at the same lines: the same count of
// pages for a report of many groups and bookings.
TEST(Report, ThePreviewThePrinterAndThePdfHaveTheSamePages) {
  engine::testing::TempDir dir;
  const std::string db = dir.File("demo.db");
  demo::GenerateDemoDatabase(db, {1500, 5});
  engine::testing::FakeForm form;
  engine::NoProgress progress;
  auto request = engine::testing::RequestOn(db, {"Reparto", "Fase"});
  auto run = engine::Comparison::Make(form, std::move(request), progress);
  ASSERT_FALSE(run->Failed());
  host::DecodeService decode(run->Connection(), "1");
  PrintRecords print;
  ASSERT_FALSE(PreparaRSStampa(form, *run, decode, false, print));
  ReportParameters parameters;
  parameters.titolo = "Stampa comparazione";
  parameters.grouping = "Reparto, Fase";
  parameters.print_date = "07/12/2026";
  const std::string pdf = dir.File("report.pdf");
  ASSERT_EQ(WriteReportPdf(pdf, print, parameters), "");
  const std::string info = Command("pdfinfo " + pdf);
  const size_t at = info.find("Pages:");
  ASSERT_NE(at, std::string::npos) << info;
  const int pdf_pages = std::stoi(info.substr(at + 6));
  EXPECT_GT(pdf_pages, 10);
  for (const auto mode : {QPrinter::HighResolution, QPrinter::ScreenResolution}) {
    QPrinter printer(mode);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(QString::fromStdString(dir.File("printer.pdf")));
    EXPECT_EQ(DrawReport(printer, print, parameters), pdf_pages) << printer.resolution() << " dpi";
  }
  QPdfWriter fine(QString::fromStdString(dir.File("fine.pdf")));
  fine.setResolution(1200);
  EXPECT_EQ(DrawReport(fine, print, parameters), pdf_pages);

  // A page drawn on its own (as the preview draws the page looked at) reads
  // as the same page of the whole report: a group's bookings that go on from
  // the page before, its footer "Pagina n di m".
  const ReportPages pages(print, parameters);
  ASSERT_EQ(pages.Count(), pdf_pages);
  for (const int page : {pdf_pages / 2, pdf_pages - 1}) {
    const std::string alone = dir.File("alone.pdf");
    {
      QPdfWriter writer(QString::fromStdString(alone));
      writer.setPageLayout(ReportPages::PageLayout());
      ASSERT_EQ(DrawPages(writer, pages, page, page), 1);
    }
    const std::string n = std::to_string(page + 1);
    const std::string whole_page = Command("pdftotext -layout -f " + n + " -l " + n + " " + pdf + " -");
    EXPECT_NE(whole_page.find("Pagina " + n + " di " + std::to_string(pdf_pages)), std::string::npos) << whole_page;
    EXPECT_EQ(Command("pdftotext -layout " + alone + " -"), whole_page);
  }
  // Laid out while the record sets are prepared a few groups at a time:
  // before the end the footers have no count; at the end, the same pages.
  PrintRecords growing;
  PrintPreparation preparation(form, *run, decode, growing);
  ReportPages partial(growing, parameters, false);
  int steps = 0;
  while (!preparation.Step(1)) {
    partial.Extend(false);
    ++steps;
    if (steps == 3) {
      const std::string early = dir.File("early.pdf");
      {
        QPdfWriter writer(QString::fromStdString(early));
        writer.setPageLayout(ReportPages::PageLayout());
        ASSERT_EQ(DrawPages(writer, partial, 0, 0), 1);
      }
      const std::string text = Command("pdftotext -layout " + early + " -");
      EXPECT_NE(text.find("Pagina 1\n"), std::string::npos) << text;
      EXPECT_EQ(text.find("Pagina 1 di"), std::string::npos) << text;
    }
  }
  EXPECT_FALSE(preparation.Failed());
  EXPECT_GT(steps, 3);
  EXPECT_EQ(partial.Extend(true), 0);
  ASSERT_EQ(partial.Count(), pdf_pages);
  for (const int page : {0, pdf_pages / 3, pdf_pages - 1}) {
    const std::string alone = dir.File("grown.pdf");
    {
      QPdfWriter writer(QString::fromStdString(alone));
      writer.setPageLayout(ReportPages::PageLayout());
      ASSERT_EQ(DrawPages(writer, partial, page, page), 1);
    }
    const std::string n = std::to_string(page + 1);
    EXPECT_EQ(Command("pdftotext -layout " + alone + " -"),
              Command("pdftotext -layout -f " + n + " -l " + n + " " + pdf + " -"));
  }

  // Interrompi while printing: the pages drawn so far, no more.
  const output::GoingOn three = [](size_t done, size_t) { return done < 3; };
  QPdfWriter stopped(QString::fromStdString(dir.File("stopped.pdf")));
  stopped.setPageLayout(ReportPages::PageLayout());
  EXPECT_EQ(DrawPages(stopped, pages, 0, pdf_pages - 1, three), 3);
}

// A group's heading names the run's grouping dimensions only (never the
// one booking's article beside a Reparto + Fase grouping), with the phase's
// sequence; a gap % beyond the band marks it, 10.00 % against 10 does not.
TEST(Report, HeadingsNameTheGroupingAndMarkTheBand) {
  engine::testing::TempDir dir;
  engine::testing::FakeForm form;
  engine::NoProgress progress;
  const std::string db = engine::testing::TinyErp(dir);
  const auto heading_of = [&](const std::vector<std::string>& grouping, double tolerance, const std::string& start) {
    auto run = engine::Comparison::Make(form, engine::testing::RequestOn(db, grouping), progress);
    host::DecodeService decode(run->Connection(), "1");
    PrintRecords print;
    EXPECT_FALSE(PreparaRSStampa(form, *run, decode, false, print));
    ReportParameters parameters;
    parameters.grouping_fields = run->GroupingColumns();
    parameters.tolerance = tolerance;
    parameters.bookings = false;
    const std::string pdf = dir.File("heading.pdf");
    EXPECT_EQ(WriteReportPdf(pdf, print, parameters), "");
    const std::string text = Command("pdftotext -layout " + pdf + " -");
    const size_t at = text.find(start);
    if (at == std::string::npos) return text;
    const size_t line = text.rfind('\n', at);
    const size_t from = line == std::string::npos ? 0 : line + 1;
    return text.substr(from, text.find('\n', at) - from);
  };
  const std::string by_phase = heading_of({"Reparto", "Fase", "Sequenza fase"}, 0, "Fase 10");
  EXPECT_NE(by_phase.find("Reparto R01 Taglio"), std::string::npos) << by_phase;
  EXPECT_NE(by_phase.find("seq. 10"), std::string::npos) << by_phase;
  EXPECT_EQ(by_phase.find("Articolo"), std::string::npos) << by_phase;
  // A1: + 0:07:00 on 1:10:00, 10.00 %.
  EXPECT_EQ(heading_of({"Articolo"}, 10, "Articolo A1").find("▲"), std::string::npos);
  EXPECT_NE(heading_of({"Articolo"}, 9.99, "Articolo A1").find("▲"), std::string::npos);
}

}  // namespace
}  // namespace output

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
