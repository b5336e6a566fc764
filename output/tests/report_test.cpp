// The comparison report read back from its PDF (poppler's pdftotext and
// pdfinfo): the title with "ordine" shortened, the company, every group's
// figures as the group totals have them, the page footer.
#include <gtest/gtest.h>

#include <map>
#include <sstream>

#include <QApplication>
#include <QPdfWriter>
#include <QPrinter>
#include <filesystem>

#include "demo/erp_database.h"
#include "host/tests/fake_form.h"
#include "engine/tests/run_request.h"
#include "engine/tests/tiny_erp.h"
#include "engine/tests/unbooked_erp.h"
#include "engine/category_texts.h"
#include "engine/group_figures.h"
#include "output/report/comparison_report.h"
#include "output/report/report_pages.h"
#include "output/tests/pdf_text.h"
#include "output/tests/written.h"

namespace output {
namespace {

using testing::Command;
using testing::LineOf;
using testing::PdfText;

// A run of the comparison on `db` grouped by `grouping`, and its report's
// record sets prepared (`prepared` false when they could not be).
struct PrintedRun {
  PrintedRun(const std::string& db, const std::vector<std::string>& grouping)
      : run(engine::Comparison::Make(form, engine::testing::RequestOn(db, grouping), progress)),
        decode(run->Connection(), "1"),
        prepared(PreparaRSStampa(*run, decode, false, print).ok()) {}
  host::testing::FakeForm form;
  engine::NoProgress progress;
  std::unique_ptr<engine::Comparison> run;
  host::DecodeService decode;
  PrintRecords print;
  bool prepared;
};

// Pages `first` to `last` of `pages` drawn on their own into `pdf`, as text.
std::string DrawnText(const ReportPages& pages, int first, int last, const std::string& pdf) {
  {
    QPdfWriter writer(QString::fromStdString(pdf));
    writer.setPageLayout(ReportPages::PageLayout());
    EXPECT_EQ(DrawPages(writer, pages, first, last), last - first + 1);
  }
  return PdfText(pdf);
}

TEST(ReportTitle, EveryOrdineIsShortened) {
  EXPECT_EQ(ShortenedTitle("Confronto ordine per ordine").toStdString(), "Confronto ord. per ord.");
  EXPECT_EQ(ShortenedTitle("Ordine e ordine").toStdString(), "Ordine e ord.");  // case-sensitive
}

TEST(Report, ThePdfReadsBack) {
  engine::testing::TempDir dir;
  PrintedRun printed(engine::testing::TinyErp(dir), {"Articolo"});
  ASSERT_TRUE(printed.prepared);
  ReportParameters parameters;
  parameters.titolo = "Stampa comparazione per ordine";
  parameters.ditta = "1";
  parameters.desditta = "Officine Demo";
  parameters.note = "Riunione di produzione";
  parameters.grouping = "Articolo";
  parameters.conditions = "Reparto R02 \u2013 R04";
  parameters.exclude_queue = true;
  parameters.print_date = "06/12/2026";
  const std::string pdf = dir.File("report.pdf");
  ASSERT_TRUE(testing::Written(WriteReportPdf(pdf, printed.print, parameters)));
  const std::string info = Command("pdfinfo " + pdf);
  EXPECT_NE(info.find("Title:           Stampa comparazione per ord."), std::string::npos) << info;
  EXPECT_NE(info.find("Pages:           2"), std::string::npos) << info;
  EXPECT_NE(info.find("A4"), std::string::npos);
  const std::string text = PdfText(pdf);
  for (const char* expected :
       {"Stampa comparazione per ord.", "Ditta: 1 - Officine Demo", "Note: Riunione di produzione",
        "Raggruppamento: Articolo", "Condizioni: Reparto R02 \u2013 R04", "Modalità tempo: hh:mm:ss; Escludi tempi coda",
        "Articolo A1 Albero", "Articolo A2 Flangia", "Pagina 1 di 2", "Pagina 2 di 2",
        "06/12/2026", "0:25:00"}) {
    EXPECT_NE(text.find(expected), std::string::npos) << expected;
  }
  // A1 (hand-worked): 1:10:00 planned, 1:17:00 booked, + 0:07:00, 10.00 %.
  const size_t total = text.find("Totale", text.find("Articolo A1"));
  ASSERT_NE(total, std::string::npos);
  const std::string line = text.substr(total, text.find('\n', total) - total);
  for (const char* figure : {"1:10:00", "1:17:00", "+ 0:07:00", "10.00"}) {
    EXPECT_NE(line.find(figure), std::string::npos) << line;
  }
  EXPECT_FALSE(std::filesystem::exists(pdf + ".partial.pdf"));
  // A grouping of many fields does not fit beside the title: its middle
  // gives way, its start and its count of groups stay whole.
  parameters.grouping =
      "Articolo/Variante/Reparto/Macchina/Dipendente/Progetto/Sottoprogetto/Nodo/Commessa/Sottocommessa/Codice "
      "ordine/Data ordine/Sezionale ordine/Numero ordine/Riga ordine/Sequenza fase/Fase — 147 di 1.265 gruppi";
  const std::string long_pdf = dir.File("long.pdf");
  ASSERT_TRUE(testing::Written(WriteReportPdf(long_pdf, printed.print, parameters)));
  const std::string long_text = PdfText(long_pdf);
  const size_t start = long_text.find("Raggruppamento: Articolo/Variante/");
  ASSERT_NE(start, std::string::npos) << long_text.substr(0, 400);
  const std::string heading = long_text.substr(start, long_text.find('\n', start) - start);
  EXPECT_NE(heading.find("…"), std::string::npos) << heading;
  EXPECT_NE(heading.find("147 di 1.265 gruppi"), std::string::npos) << heading;
}

// The preview (a printer at its high resolution), a printer at the screen's
// and the PDF file break the pages at the same lines: the same count of
// pages for a report of many groups and bookings.
TEST(Report, ThePreviewThePrinterAndThePdfHaveTheSamePages) {
  engine::testing::TempDir dir;
  const std::string db = dir.File("demo.db");
  demo::GenerateDemoDatabase(db, {1500, 5});
  PrintedRun printed(db, {"Reparto", "Fase"});
  ASSERT_FALSE(printed.run->Failed());
  ASSERT_TRUE(printed.prepared);
  const PrintRecords& print = printed.print;
  ReportParameters parameters;
  parameters.titolo = "Stampa comparazione";
  parameters.grouping = "Reparto, Fase";
  parameters.print_date = "07/12/2026";
  const std::string pdf = dir.File("report.pdf");
  ASSERT_TRUE(testing::Written(WriteReportPdf(pdf, print, parameters)));
  const int pdf_pages = testing::PdfPages(pdf);
  EXPECT_GT(pdf_pages, 10);
  for (const auto mode : {QPrinter::HighResolution, QPrinter::ScreenResolution}) {
    QPrinter printer(mode);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(QString::fromStdString(dir.File("printer.pdf")));
    EXPECT_EQ(DrawReport(printer, print, parameters), pdf_pages) << printer.resolution() << " dpi";
  }

  // A page drawn on its own (as the preview draws the page looked at) reads
  // as the same page of the whole report: a group's bookings that go on from
  // the page before, its footer "Pagina n di m".
  const ReportPages pages(print, parameters);
  ASSERT_EQ(pages.Count(), pdf_pages);
  for (const int page : {pdf_pages / 2, pdf_pages - 1}) {
    const std::string whole_page = testing::PdfPageText(pdf, page + 1);
    EXPECT_NE(whole_page.find("Pagina " + std::to_string(page + 1) + " di " + std::to_string(pdf_pages)),
              std::string::npos)
        << whole_page;
    EXPECT_EQ(DrawnText(pages, page, page, dir.File("alone.pdf")), whole_page);
  }
  // Every page after the first names its group first: a group's heading,
  // or the heading of the group it goes on with, "(segue)", and then the
  // header of the bookings' columns.
  {
    std::istringstream all(PdfText(pdf));
    std::string page_text;
    int page = 0, carried = 0;
    while (page < pdf_pages && std::getline(all, page_text, '\f')) {
      ++page;
      std::istringstream lines(page_text);
      std::vector<std::string> body;
      for (std::string line; std::getline(lines, line);) {
        if (line.find_first_not_of(' ') != std::string::npos) body.push_back(line);
      }
      if (page == 1) continue;
      ASSERT_GE(body.size(), 3U) << page;
      EXPECT_NE(body[1].find("Reparto "), std::string::npos) << "page " << page << ": " << body[1];
      if (body[1].find("(segue)") == std::string::npos) continue;
      ++carried;
      EXPECT_NE(body[2].find("Data reg."), std::string::npos) << "page " << page << ": " << body[2];
      EXPECT_NE(body[2].find("Tempo versato"), std::string::npos) << "page " << page << ": " << body[2];
    }
    EXPECT_EQ(page, pdf_pages);
    EXPECT_GT(carried, pdf_pages / 2);
  }
  // Laid out while the record sets are prepared a few groups at a time:
  // before the end the footers have no count. (At the end, the same pages:
  // report_preview_test's printingGivesThePagesOfThePdf.)
  PrintRecords growing;
  PrintPreparation preparation(*printed.run, printed.decode, growing);
  ReportPages partial(growing, parameters, false);
  int steps = 0;
  while (!preparation.Step(1)) {
    partial.Extend(false);
    ++steps;
    if (steps == 3) {
      const std::string text = DrawnText(partial, 0, 0, dir.File("early.pdf"));
      EXPECT_NE(text.find("Pagina 1\n"), std::string::npos) << text;
      EXPECT_EQ(text.find("Pagina 1 di"), std::string::npos) << text;
    }
  }
  EXPECT_FALSE(preparation.Failed());
  EXPECT_GT(steps, 3);

  // Interrompi while printing: the pages drawn so far, no more.
  const output::GoingOn three = [](size_t done, size_t) { return done < 3; };
  QPdfWriter stopped(QString::fromStdString(dir.File("stopped.pdf")));
  stopped.setPageLayout(ReportPages::PageLayout());
  EXPECT_EQ(DrawPages(stopped, pages, 0, pdf_pages - 1, three), 3);
}

// The groups the caller chose (the grid's sort and search), in its order:
// only theirs, with their bookings counted and copied; a position beyond
// the groups is left out.
TEST(Report, PreparesTheChosenGroupsInTheirOrderAndEndsWithTheirTotal) {
  engine::testing::TempDir dir;
  PrintedRun printed(engine::testing::TinyErp(dir), {"Articolo"});
  ASSERT_TRUE(printed.prepared);
  // Every group in the run's order, and each one's bookings.
  std::vector<std::string> ids;
  std::map<std::string, size_t> bookings;
  const auto ids_of = [](host::RecordSet& head) {
    std::vector<std::string> out;
    for (head.MoveFirst(); !head.Eof(); head.MoveNext()) out.push_back(head.Value("IDTESTATA").JoinedText());
    return out;
  };
  ids = ids_of(*printed.print.RSStampa);
  ASSERT_EQ(ids.size(), 3U);
  host::RecordSet& all = *printed.print.RSReportDett;
  for (all.MoveFirst(); !all.Eof(); all.MoveNext()) ++bookings[all.Value("IDTESTATA").JoinedText()];

  PrintRecords chosen;
  PrintPreparation preparation(*printed.run, printed.decode, chosen, {2, 0, 7});
  EXPECT_EQ(preparation.Bookings(), bookings[ids[2]] + bookings[ids[0]]);
  while (!preparation.Step(1)) {
  }
  EXPECT_FALSE(preparation.Failed());
  EXPECT_EQ(ids_of(*chosen.RSStampa), (std::vector<std::string>{ids[2], ids[0]}));
  EXPECT_EQ(chosen.RSReportDett->RecordCount(), static_cast<int64_t>(preparation.Bookings()));
  EXPECT_EQ(preparation.BookingsDone(), preparation.Bookings());

  // After the last group, the groups taken as one, as the results form's
  // totals row reads them (each phase once): the article groups A1, A2 and
  // the booking without an article.
  ReportParameters parameters;
  parameters.bookings = false;
  parameters.tolerance = 10;
  parameters.totals = engine::RunAsOneGroup(*printed.run, printed.run->Totals());
  const std::string pdf = dir.File("total.pdf");
  ASSERT_TRUE(testing::Written(WriteReportPdf(pdf, printed.print, parameters)));
  const std::string text = PdfText(pdf);
  // 232 minutes booked on 163 planned: beyond the band.
  const size_t heading = text.find("\u25b2 Totale \u2014 3 gruppi");
  ASSERT_NE(heading, std::string::npos) << text;
  // Each category's plan and booked time added by hand from the groups'
  // (the booking without an article has a total only), its gap % marked
  // beyond the band of ±10 %.
  const struct {
    const char* category;
    std::vector<std::string> figures;
  } rows[] = {{"Totale", {"2:43:00", "3:52:00", "+ 1:09:00", "\u25b2 42.33"}},
              {"Lavorazione", {"0:33:00", "2:12:00", "+ 1:39:00", "\u25b2 300.00"}},
              {"Setup", {"1:10:00", "0:40:00", "- 0:30:00", "\u25bc -42.86"}},
              {"Macchina lavorazione", {"0:23:00", "2:12:00", "+ 1:49:00", "\u25b2 473.91"}},
              {"Macchina setup", {"1:00:00", "0:00:00", "- 1:00:00", "\u25bc -100.00"}},
              {"Manodopera lavorazione", {"0:10:00", "1:35:00", "+ 1:25:00", "\u25b2 850.00"}},
              {"Manodopera setup", {"0:10:00", "0:40:00", "+ 0:30:00", "\u25b2 300.00"}}};
  for (const auto& row : rows) {
    const std::string line = LineOf(text, std::string(row.category) + " ", text.find('\n', heading));
    std::istringstream cells(line.substr(line.find(row.category) + std::string(row.category).size()));
    std::vector<std::string> figures;
    for (std::string cell; cells >> cell;) {
      if ((cell == "+" || cell == "-" || cell == "\u25b2" || cell == "\u25bc") && cells >> std::ws) {
        std::string rest;
        cells >> rest;
        cell += " " + rest;
      }
      figures.push_back(cell);
    }
    EXPECT_EQ(figures, row.figures) << line;
  }
}

// A group's heading names the run's grouping dimensions only (never the
// one booking's article beside a Reparto + Fase grouping), with the phase's
// sequence; a gap % beyond the band marks it, 10.00 % against 10 does not,
// and so does time booked without a plan.
TEST(Report, HeadingsNameTheGroupingAndMarkTheBand) {
  engine::testing::TempDir dir;
  const std::string db = engine::testing::TinyErp(dir);
  const auto heading_of = [&](const std::vector<std::string>& grouping, double tolerance, const std::string& start) {
    PrintedRun printed(db, grouping);
    EXPECT_TRUE(printed.prepared);
    ReportParameters parameters;
    parameters.grouping_fields = printed.run->GroupingColumns();
    parameters.tolerance = tolerance;
    parameters.bookings = false;
    const std::string pdf = dir.File("heading.pdf");
    EXPECT_TRUE(testing::Written(WriteReportPdf(pdf, printed.print, parameters)));
    return LineOf(PdfText(pdf), start);
  };
  const std::string by_phase = heading_of({"Reparto", "Fase", "Sequenza fase"}, 0, "Fase 10");
  EXPECT_NE(by_phase.find("Reparto R01 Taglio"), std::string::npos) << by_phase;
  EXPECT_NE(by_phase.find("seq. 10"), std::string::npos) << by_phase;
  EXPECT_EQ(by_phase.find("Articolo"), std::string::npos) << by_phase;
  // A1: + 0:07:00 on 1:10:00, 10.00 %.
  EXPECT_EQ(heading_of({"Articolo"}, 10, "Articolo A1").find("▲"), std::string::npos);
  EXPECT_NE(heading_of({"Articolo"}, 9.99, "Articolo A1").find("▲"), std::string::npos);
  // The booking without an article has no plan: all of its time is over
  // plan, whatever the band; its heading says it has no article.
  const std::string unplanned = heading_of({"Articolo"}, 1000, "Articolo (nessuno)");
  EXPECT_NE(unplanned.find("▲ Articolo (nessuno)"), std::string::npos) << unplanned;
}

// The two optional sections: chosen, each group's months follow its
// categories (A1 booked 25 + 40 + 12 + 8 minutes in March and 20 in April)
// with the months' plan and the band's marker, and the phases never booked
// close the report (phase 20 of order 7, an hour; phase 30 of order 8 from
// the routing, half an hour).
TEST(Report, TheTrendAndTheUnbookedPhasesWhenChosen) {
  engine::testing::TempDir dir;
  const std::string db = engine::testing::UnbookedErp(dir);
  engine::testing::ExecOn(db,
                        "INSERT INTO PD44_VERSORE (PD44_DITTA_CG18, PD44_PRGMVORE_PD31, PD44_DATAREG, "
                        "PD44_CODART_MG66, PD44_CODFASE_PD12, PD44_SEQFASE, PD44_CODFORNREP, PD44_MACCHINA_PD08, "
                        "PD44_QTALAV, PD44_INDORA, PD44_OREORD, PD44_MINORD, PD44_SECORD) VALUES "
                        "(1, 7, '2026-04-02 00:00:00', 'A1', 10, 10, 'R01', 'M1', 5, 0, 0, 20, 0)");
  PrintedRun printed(db, {"Articolo"});
  ASSERT_TRUE(printed.prepared);
  auto& run = printed.run;
  PrintRecords& print = printed.print;
  ReportParameters parameters;
  parameters.grouping_fields = run->GroupingColumns();
  parameters.tolerance = 10;
  parameters.bookings = false;
  const auto pdf_text = [&](bool trend, bool unbooked) {
    EXPECT_TRUE(PreparaSezioniStampa(*run, trend, unbooked, print).ok());
    parameters.trend = trend;
    parameters.unbooked = unbooked;
    const std::string pdf = dir.File("sections.pdf");
    EXPECT_TRUE(testing::Written(WriteReportPdf(pdf, print, parameters)));
    return PdfText(pdf);
  };
  const std::string trend = pdf_text(true, false);
  EXPECT_EQ(trend.find("Fasi senza versamenti"), std::string::npos);
  const size_t a1 = trend.find("Articolo A1");
  ASSERT_NE(a1, std::string::npos) << trend;
  EXPECT_NE(LineOf(trend, "Andamento", a1), "");
  // A1's months as the trend computes them: each month's line holds its
  // plan, its booked time (by hand), and its gap % marked beyond ±10 %.
  auto months = print.RSAndamento->Clone();
  const host::Variant a1_id = [&] {
    auto groups = run->Records().RSTempiVer->Clone();
    groups->SetFilter("");
    for (groups->MoveFirst(); !groups->Eof(); groups->MoveNext()) {
      if (host::RTrim(groups->Value("PD44_CODART_MG66").JoinedText()) == "A1") return groups->Value("IDGRUPPO");
    }
    return host::Variant::Null();
  }();
  months->SetFilter("IDGRUPPO = " + a1_id.ToDecimal().ToString());
  ASSERT_EQ(months->RecordCount(), 2U);
  const std::pair<const char*, const char*> expected[] = {{"mar 2026", "1:25:00"}, {"apr 2026", "0:20:00"}};
  size_t month = 0;
  for (months->MoveFirst(); !months->Eof(); months->MoveNext(), ++month) {
    // In the table under the months' chart (whose axis names the months too).
    const std::string line = LineOf(trend, expected[month].first, trend.find("Mese", a1));
    ASSERT_NE(line, "") << trend;
    EXPECT_NE(line.find(expected[month].second), std::string::npos) << line;
    EXPECT_NE(line.find(host::RTrim(months->Value("PREVISTO").JoinedText())), std::string::npos) << line;
    // April's phase was planned in March: booked time without a plan, no gap %.
    const host::Variant gap_percent = months->Value("SCOSTPERC");
    const std::string percent = gap_percent.IsNull() ? "" : gap_percent.ToDecimal().ToFixed(2);
    EXPECT_EQ(gap_percent.IsNull(), month == 1);
    EXPECT_NE(line.find(percent), std::string::npos) << line;
    const int side = engine::ToleranceSide(percent, 10);
    EXPECT_EQ(line.find("▲") != std::string::npos, side > 0) << line;
    EXPECT_EQ(line.find("▼") != std::string::npos, side < 0) << line;
  }

  const std::string unbooked = pdf_text(false, true);
  const size_t section = unbooked.find("Fasi senza versamenti");
  ASSERT_NE(section, std::string::npos) << unbooked;
  const std::string drilling = LineOf(unbooked, "Foratura fori", section);
  for (const char* part : {"ODL", "A2", "20", "R01", "M1", "1:00:00"}) {
    EXPECT_NE(drilling.find(part), std::string::npos) << part << " in " << drilling;
  }
  const std::string testing_phase = LineOf(unbooked, "Collaudo", section);
  for (const char* part : {"A1", "30", "CICLO", "0:30:00"}) {
    EXPECT_NE(testing_phase.find(part), std::string::npos) << part << " in " << testing_phase;
  }
  const std::string both = pdf_text(true, true);

  // Laid out as the preview lays it out, a group at a time with the
  // sections there from the start: the same report, the phases never
  // booked only once the last group is in.
  PrintRecords growing;
  growing.RSAndamento = print.RSAndamento;
  growing.RSFasiNonVersate = print.RSFasiNonVersate;
  PrintPreparation preparation(*run, printed.decode, growing);
  ReportPages partial(growing, parameters, false);
  const auto pages_text = [&](const ReportPages& pages) {
    return DrawnText(pages, 0, pages.Count() - 1, dir.File("grown.pdf"));
  };
  int steps = 0;
  while (!preparation.Step(1)) {
    partial.Extend(false);
    if (++steps == 1) {
      const std::string early = pages_text(partial);
      EXPECT_NE(early.find("mar 2026"), std::string::npos) << early;
      EXPECT_EQ(early.find("Fasi senza versamenti"), std::string::npos) << early;
    }
  }
  EXPECT_GE(steps, 1);
  EXPECT_EQ(partial.Extend(true), 0);
  EXPECT_EQ(pages_text(partial), both);
}

}  // namespace
}  // namespace output

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
