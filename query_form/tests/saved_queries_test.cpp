// Saved queries and relative dates in the query form (offscreen): a relative
// date typed in a date field is no error and is resolved for the run only;
// Salva ricerca… saves what the form holds; Ricerche opens it again into a
// fresh form; the date field's menu writes a relative date.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QInputDialog>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QTableView>
#include <QtTest>

#include "engine/relative_dates.h"
#include "engine/tests/tiny_erp.h"
#include "query_form/condition_model.h"
#include "query_form/tests/form_harness.h"
#include "results_form/frmpd_mavanzordlav.h"

using query_form::ConditionModel;
using query_form::testing::FormHarness;
using query_form::testing::WaitForRun;

class SavedQueriesTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() {
    tiny_ = engine::testing::TinyErp(dir_);
    qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString(dir_.File("config")));
    query_form::FRMPD_QUARVELINDO::SetSettingsFile(QString::fromStdString(dir_.File("settings.ini")));
  }

  void aRelativeDateIsResolvedForTheRunOnly() {
    FormHarness harness(tiny_);
    auto form = harness.Open();
    auto* model = form->Conditions();
    const int date = model->RowOfColumn("PD44_DATAREG");
    model->setData(model->index(date, ConditionModel::kFrom), "@anno-corrente", Qt::EditRole);
    QVERIFY(model->Problem(date, false).isEmpty());
    model->setData(model->index(date, ConditionModel::kTo), "@ieri", Qt::EditRole);
    QVERIFY(!model->Problem(date, true).isEmpty());  // no such name: a bad date
    model->setData(model->index(date, ConditionModel::kTo), "", Qt::EditRole);
    form->CmdDupl_Click();
    QVERIFY(WaitForRun(*form));
    QVERIFY(form->LastRun() != nullptr);
    const auto year = engine::ResolveRelativeDate("@anno-corrente", engine::LocalToday());
    QCOMPARE(QString::fromStdString(form->LastRun()->Query().FromValue("PD44_DATAREG").ToText()),
             QString::fromStdString(engine::IsoDay(year->first)));
    QCOMPARE(QString::fromStdString(form->LastRun()->Query().ToValue("PD44_DATAREG").ToText()),
             QString::fromStdString(engine::IsoDay(year->last)));
    QCOMPARE(QString::fromStdString(form->KVL_ADVQ().FromValue("PD44_DATAREG").ToText()), QString("@anno-corrente"));
    if (form->FrmMod() != nullptr) {
      // The results say which days the run took.
      const QString days = QString("Data reg.vers.: @anno-corrente = %1..%2")
                               .arg(QString::fromStdString(engine::IsoDay(year->first)),
                                    QString::fromStdString(engine::IsoDay(year->last)));
      QVERIFY2(form->FrmMod()->Window()->windowTitle().contains(days),
               qPrintable(form->FrmMod()->Window()->windowTitle()));
      form->FrmMod()->Unload();
    }
    form->Unload();
  }

  void savedThenOpenedIntoAFreshForm() {
    {
      FormHarness harness(tiny_);
      auto form = harness.Open();
      auto* model = form->Conditions();
      model->setData(model->index(model->RowOfColumn("PD44_DATAREG"), ConditionModel::kFrom), "@mese-scorso",
                     Qt::EditRole);
      model->setData(model->index(model->RowOfColumn("PD44_CODFORNREP"), ConditionModel::kFrom), "R01",
                     Qt::EditRole);
      form->KVL_ADVO().SetGrouping({"Reparto", "Settimana reg.vers."});
      form->CMB_TIPOTEMPO()->setCurrentIndex(2);
      form->CHK_ATTESA()->setChecked(true);
      QTimer::singleShot(0, [] {
        auto* dialog = qobject_cast<QInputDialog*>(QApplication::activeModalWidget());
        if (dialog == nullptr) return;
        dialog->setTextValue("Reparto R01 per settimana");
        dialog->accept();
      });
      form->Window()->findChild<QPushButton*>("CmdSalvaRicerca")->click();
      form->Unload();
    }
    FormHarness harness(tiny_);
    auto form = harness.Open();
    form->CmdAnn_Click();
    QStringList listed;
    QTimer::singleShot(0, [&listed] {
      auto* dialog = QApplication::activeModalWidget();
      if (dialog == nullptr || dialog->objectName() != "DlgRicerche") return;
      auto* list = dialog->findChild<QListWidget*>("LST_Ricerche");
      for (int i = 0; i < list->count(); ++i) listed << list->item(i)->text();
      dialog->findChild<QPushButton*>("CmdApri")->click();
    });
    form->Window()->findChild<QPushButton*>("CmdRicerche")->click();
    QCOMPARE(listed, QStringList({"Reparto R01 per settimana"}));
    QCOMPARE(QString::fromStdString(form->KVL_ADVQ().FromValue("PD44_DATAREG").ToText()), QString("@mese-scorso"));
    QCOMPARE(QString::fromStdString(form->KVL_ADVQ().FromValue("PD44_CODFORNREP").ToText()), QString("R01"));
    QCOMPARE(form->KVL_ADVO().GroupingText(), std::string("GROUP BY PD44_CODFORNREP, SETTREGVERS"));
    QCOMPARE(form->CMB_TIPOTEMPO()->currentIndex(), 2);
    QVERIFY(form->CHK_ATTESA()->isChecked());
    QVERIFY(!form->CHK_CODA()->isChecked());
    // The cell shows it as typed.
    auto* model = form->Conditions();
    QCOMPARE(model->index(model->RowOfColumn("PD44_DATAREG"), ConditionModel::kFrom).data().toString(),
             QString("@mese-scorso"));
    form->Unload();
  }

  void theDateMenuWritesARelativeDate() {
    FormHarness harness(tiny_);
    auto form = harness.Open();
    auto* view = form->ConditionView();
    auto* model = form->Conditions();
    form->Window()->resize(1000, 700);
    form->Window()->show();
    const QModelIndex cell = model->index(model->RowOfColumn("PD44_DATAREG"), ConditionModel::kTo);
    view->scrollTo(cell);
    QStringList entries;
    QTimer::singleShot(0, [&entries] {
      auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
      if (menu == nullptr) return;
      QAction* chosen = nullptr;
      for (QAction* a : menu->actions()) {
        if (a->isSeparator() || a->text().isEmpty()) continue;
        entries << a->text().section('\t', 0, 0);
        if (a->text().startsWith("@settimana-scorsa")) chosen = a;
      }
      menu->close();
      if (chosen != nullptr) chosen->trigger();
    });
    emit view->customContextMenuRequested(view->visualRect(cell).center());
    QCOMPARE(entries, QStringList({"@oggi", "@mese-corrente", "@mese-scorso", "@settimana-scorsa", "@anno-corrente",
                                   "@ultimi-30-giorni"}));
    QCOMPARE(QString::fromStdString(form->KVL_ADVQ().ToValue("PD44_DATAREG").ToText()), QString("@settimana-scorsa"));
    form->Unload();
  }

 private:
  engine::testing::TempDir dir_;
  std::string tiny_;
};

QTEST_MAIN(SavedQueriesTest)
#include "saved_queries_test.moc"
