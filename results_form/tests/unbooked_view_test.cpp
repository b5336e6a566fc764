// The tab "Fasi senza versamenti" as the user handles it (offscreen), on the
// hand-made database with two phases planned and never booked: the list
// read on the first showing, sorted on a header click, copied with its
// captions.
#include <QApplication>
#include <QClipboard>
#include <QTableView>
#include <QTemporaryDir>
#include <QtTest>

#include "engine/comparison.h"
#include "host/tests/fake_form.h"
#include "engine/tests/run_request.h"
#include "engine/tests/unbooked_erp.h"
#include "host/qt/user_settings.h"
#include "results_form/recordset_model.h"
#include "results_form/unbooked_view.h"

namespace {

QStringList Column(const QAbstractItemModel* model, int column) {
  QStringList out;
  for (int row = 0; row < model->rowCount(); ++row) out << model->index(row, column).data().toString();
  return out;
}

}  // namespace

class UnbookedViewTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() {
    QVERIFY(settings_dir_.isValid());
    host::qt::SetUserSettingsFile(settings_dir_.filePath("settings.ini"));
  }

  void theListSortsAndCopies() {
    engine::testing::TempDir dir;
    const std::string db = engine::testing::UnbookedErp(dir);
    host::testing::FakeForm form;
    engine::NoProgress progress;
    auto run = engine::Comparison::Make(form, engine::testing::RequestOn(db, {"Reparto"}), progress);
    QVERIFY(!run->Empty());
    results_form::UnbookedView view([](const std::string& s) { return QString::fromStdString(s); }, "TEST.UNBOOKED.0");
    QVERIFY(!view.Loaded());
    view.Load(*run);
    QVERIFY(view.Loaded());
    QVERIFY(form.errors.empty());
    const auto* model = view.Model();
    QCOMPARE(model->rowCount(), 2);
    QCOMPARE(model->columnCount(), 14);
    QCOMPARE(model->headerData(6, Qt::Horizontal, Qt::DisplayRole).toString(), QString("Fase"));
    QCOMPARE(Column(model, 6), QStringList({"20", "30"}));
    QCOMPARE(Column(model, 11), QStringList({"1:00:00", "0:30:00"}));
    view.Grid()->sortByColumn(11, Qt::AscendingOrder);
    QCOMPARE(Column(model, 6), QStringList({"30", "20"}));
    view.Grid()->sortByColumn(10, Qt::AscendingOrder);  // Origine: CICLO before ODL
    QCOMPARE(Column(model, 10), QStringList({"CICLO", "ODL"}));
    view.Grid()->selectAll();
    QTest::keyClick(view.Grid(), Qt::Key_C, Qt::ControlModifier);
    const QStringList lines = QApplication::clipboard()->text().split('\n');
    QCOMPARE(lines.value(0), QString("Codice ordine\tSezionale ordine\tNumero ordine\tRiga ordine\tArticolo\t"
                                     "Sequenza fase\tFase\tDescrizione\tReparto\tMacchina\tOrigine\tPrevisto\tStato ordine\tChiusa"));
    QCOMPARE(lines.value(1), QString("ODL\tA\t8\t1\tA1\t30\t30\tCollaudo\tR01\tM1\tCICLO\t0:30:00\t\t"));
    // A second showing reads nothing again.
    view.Load(*run);
    QCOMPARE(view.Model(), model);
  }

 private:
  QTemporaryDir settings_dir_;
};

QTEST_MAIN(UnbookedViewTest)
#include "unbooked_view_test.moc"
