// The run's progress on the form's bar names its stage from the start and
// counts in the user's locale (offscreen): the bookings as the detailed query
// reads them, without a total ("lettura versamenti 0" when it begins, every
// booking read when it ends), the planned times against the bookings
// ("tempi previsti 1.000 / 2.000"), the totals of the groups against the
// groups. The run goes on this thread; the bar is painted (its timer let
// run) at each step the engine reports, as the window thread paints it
// while a run goes on beside.
#include <QElapsedTimer>
#include <QLocale>
#include <QtTest>

#include "demo/erp_database.h"
#include "engine/comparison.h"
#include "host/tests/fake_form.h"
#include "engine/tests/run_request.h"
#include "engine/tests/tiny_erp.h"
#include "host/qt/progress_bar.h"
#include "query_form/bar_progress.h"

namespace {

// Passes every report on to the form's progress and paints the bar around
// it, keeping each text the bar showed.
class PaintedProgress : public engine::Progress {
 public:
  PaintedProgress(engine::Progress& inner, host::qt::ProgressBar& bar) : inner_(inner), bar_(bar) {}
  void Show(int64_t maximum) override {
    inner_.Show(maximum);
    maximum_ = maximum;
    Paint();
  }
  void Set(int64_t value) override {
    inner_.Set(value);
    if (value == 1000 || value == maximum_ / 2) Paint();
  }
  void Hide() override {
    Paint();
    inner_.Hide();
  }
  void Stage(engine::RunStage stage) override { inner_.Stage(stage); }
  void Follow(std::function<int64_t()> count) override {
    if (!count) Paint();  // the read is over: what it counted last
    inner_.Follow(count);
    if (count) Paint();
  }
  QStringList seen;

 private:
  void Paint() {
    QElapsedTimer waited;
    waited.start();
    while (waited.elapsed() < 120) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    if (seen.isEmpty() || seen.back() != bar_.text()) seen << bar_.text();
  }
  engine::Progress& inner_;
  host::qt::ProgressBar& bar_;
  int64_t maximum_ = 0;
};

}  // namespace

class RunStagesTest : public QObject {
  Q_OBJECT

 private slots:
  void theBarNamesEachStageWithItsCount() {
    QLocale::setDefault(QLocale(QLocale::Italian, QLocale::Italy));
    engine::testing::TempDir dir;
    const std::string db = dir.File("demo.db");
    demo::GenerateDemoDatabase(db, {2000, 3});
    host::qt::ProgressBar bar;
    query_form::BarProgress bar_progress(bar, {"lettura versamenti", "tempi previsti", "totali dei gruppi"});
    PaintedProgress progress(bar_progress, bar);
    bar.Start(0);
    host::testing::FakeForm form;
    auto run = engine::Comparison::Make(form, engine::testing::RequestOn(db, {"Reparto", "Fase"}), progress);
    QVERIFY(!run->Failed());
    const int64_t bookings = static_cast<int64_t>(run->Records().RSTempiVerDett->RecordCount());
    QVERIFY(bookings > 1000);
    QVERIFY(run->ComputeAll(progress).ok());
    const int64_t groups = static_cast<int64_t>(run->Records().RSTempiVer->RecordCount());
    const QLocale locale;
    const QString all = locale.toString(static_cast<qlonglong>(bookings));
    const QStringList expected{"lettura versamenti 0",
                               "lettura versamenti " + all,
                               "tempi previsti 0 / " + all,
                               "tempi previsti 1.000 / " + all,
                               "tempi previsti " + all + " / " + all,
                               "totali dei gruppi 0 / " + locale.toString(static_cast<qlonglong>(groups))};
    for (const QString& text : expected) QVERIFY2(progress.seen.contains(text), qPrintable(progress.seen.join(" | ")));
    // In that order: reading, planned times, group totals.
    QVERIFY(progress.seen.indexOf(expected[1]) < progress.seen.indexOf(expected[2]));
    QVERIFY(progress.seen.indexOf(expected[4]) < progress.seen.indexOf(expected[5]));
    // Once the read is over its count is no longer followed: a busy bar.
    bar.Start(0);
    QElapsedTimer waited;
    waited.start();
    while (waited.elapsed() < 150) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    QCOMPARE(bar.maximum(), 0);
  }
};

QTEST_MAIN(RunStagesTest)
#include "run_stages_test.moc"
