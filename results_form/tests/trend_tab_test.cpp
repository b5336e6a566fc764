// The tab "Andamento" of the results form (offscreen), on a demo database:
// the current group's months, in order, reading "gen 2026" in Italian; their
// bookings adding up to the group's; a month chosen keeps only its bookings
// in the booking grid, "Tutti i mesi" brings them all back; another group
// loads its own months. The band is ±10 %.
#include <QTabWidget>
#include <QTableWidget>
#include <QtTest>

#include "demo/erp_database.h"
#include "engine/tests/demo_db.h"
#include "engine/tests/tiny_erp.h"
#include "query_form/tests/form_harness.h"
#include "results_form/frmpd_mavanzordlav.h"
#include "results_form/trend_view.h"

using query_form::FRMPD_QUARVELINDO;
using query_form::testing::FormHarness;

class TrendTabTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() {
    demo_ = dir_.File("demo.db");
    demo::GenerateDemoDatabase(demo_, {1500, 5});
    FRMPD_QUARVELINDO::SetSettingsFile(QString::fromStdString(dir_.File("settings.ini")));
  }

  void theMonthsOfTheGroupAMonthsBookingsAndAnotherGroupsMonths() {
    FormHarness harness(demo_);
    auto results = harness.Run({"Reparto"});
    QVERIFY(results != nullptr);
    auto* tabs = results->Window()->findChild<QTabWidget*>("SummaryTabs");
    results->Window()->show();
    auto* trend = results->Trend();
    QCOMPARE(tabs->tabText(tabs->indexOf(trend)), QString("Andamento"));
    tabs->setCurrentWidget(trend);
    const auto months = trend->Months();
    QVERIFY(months.size() > 1);
    // (The months in order, their bookings adding up to the group's:
    // engine/tests/monthly_trend_test.cpp.)
    const auto all = static_cast<int64_t>(results->RSTempiVerDett()->RecordCount());
    QCOMPARE(trend->Table()->rowCount(), static_cast<int>(months.size()) + 1);
    QCOMPARE(trend->Table()->item(0, 0)->text(), QString("Tutti i mesi"));
    QCOMPARE(months[0].month.substr(0, 5), std::string("2026-"));
    static const char* kMonths[] = {"gen", "feb", "mar", "apr", "mag", "giu", "lug", "ago", "set", "ott", "nov", "dic"};
    QCOMPARE(trend->Table()->item(1, 0)->text(),
             QString("%1 2026").arg(kMonths[std::stoi(months[0].month.substr(5, 2)) - 1]));
    // The chart's months short enough for twelve side by side (the year is
    // the axis' title), its legend without an entry for the points.
    const QStringList axis = trend->AxisMonths();
    QCOMPARE(axis.size(), static_cast<int>(months.size()));
    QCOMPARE(axis[0], QString(kMonths[std::stoi(months[0].month.substr(5, 2)) - 1]));
    QCOMPARE(trend->LegendEntries(), QStringList({"Tolleranza ±10 %", "Scost. %"}));
    // A point for each month whose gap % the table gives, none for the others.
    std::vector<int> with_percent;
    for (int row = 1; row < trend->Table()->rowCount(); ++row) {
      if (!trend->Table()->item(row, 3)->text().isEmpty()) with_percent.push_back(row - 1);
    }
    QCOMPARE(trend->DrawnMonths(), with_percent);
    // The band follows the form's tolerance, in the interface's numbers.
    QLocale::setDefault(QLocale(QLocale::Italian, QLocale::Italy));
    results->SetTolerance(7.5);
    QCOMPARE(trend->LegendEntries().front(), QString("Tolleranza ±7,5 %"));
    QLocale::setDefault(QLocale::c());
    results->SetTolerance(10);
    // A month's bookings, then all again.
    trend->Choose(1);
    QCOMPARE(results->GRD_VERSDett()->model()->rowCount(), static_cast<int>(months[1].bookings));
    trend->Table()->setCurrentCell(0, 0);
    QCOMPARE(static_cast<int64_t>(results->RSTempiVerDett()->RecordCount()), all);
    // Another group loads its own months.
    const std::string first = results->RSTempiVer()->Value("PD44_CODFORNREP").ToText();
    results->GRD_VERS()->selectRow(1);
    QVERIFY(results->RSTempiVer()->Value("PD44_CODFORNREP").ToText() != first);
    int64_t second = 0;
    for (const auto& m : trend->Months()) second += m.bookings;
    QCOMPARE(second, static_cast<int64_t>(results->RSTempiVerDett()->RecordCount()));
    results->Unload();
  }

  // The small database's booking without article has no plan: its month is
  // listed, not drawn at 0 % in the band, where all its time is over plan.
  void aMonthWithoutAPlanIsNotDrawnInsideTheBand() {
    FormHarness harness(engine::testing::TinyErp(dir_));
    auto results = harness.Run({"Articolo"});
    QVERIFY(results != nullptr);
    auto* tabs = results->Window()->findChild<QTabWidget*>("SummaryTabs");
    results->Window()->show();
    auto* trend = results->Trend();
    tabs->setCurrentWidget(trend);
    for (int row = 0; row < results->GRD_VERS()->model()->rowCount(); ++row) {
      results->GRD_VERS()->selectRow(row);
      if (results->RSTempiVer()->Value("PD44_CODART_MG66").IsNull()) break;
    }
    QVERIFY(results->RSTempiVer()->Value("PD44_CODART_MG66").IsNull());
    QCOMPARE(trend->Months().size(), size_t{1});
    QVERIFY(trend->DrawnMonths().empty());
    results->Unload();
  }

  // Grouped by month, the groups grid reads "gen 2026" and sorts by time.
  void theGroupsByMonthReadByLanguage() {
    FormHarness harness(demo_);
    auto results = harness.Run({"Mese reg.vers."});
    QVERIFY(results != nullptr);
    auto* model = results->GRD_VERS()->model();
    QVERIFY(model->rowCount() > 1);
    QCOMPARE(model->index(0, 0).data().toString(), QString("gen 2026"));
    QCOMPARE(model->index(1, 0).data().toString(), QString("feb 2026"));
    QCOMPARE(QString::fromStdString(results->RSTempiVer()->Value("MESEREGVERS").ToText()), QString("2026-01"));
    results->Unload();
  }

 private:
  engine::testing::TempDir dir_;
  std::string demo_;
};

QTEST_MAIN(TrendTabTest)
#include "trend_tab_test.moc"
