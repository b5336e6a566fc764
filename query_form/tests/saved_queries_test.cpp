// Saved queries and relative dates in the query form (offscreen): a relative
// date typed in a date field is no error and is resolved for the run only;
// Salva ricerca… saves what the form holds; Ricerche opens it again into a
// fresh form; the date field's menu writes a relative date. A query saved
// on one database, exported to a file and imported into the form of another
// database runs there as the command line runs the file.
#include <QApplication>
#include <map>
#include <QCheckBox>
#include <QFileDialog>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QComboBox>
#include <QInputDialog>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QTableView>
#include <QtTest>

#include "demo/erp_database.h"
#include "engine/relative_dates.h"
#include "engine/tests/tiny_erp.h"
#include "host/qt/user_settings.h"
#include "query_form/condition_model.h"
#include "query_form/tests/form_harness.h"
#include "results_form/frmpd_mavanzordlav.h"
#include "results_form/recordset_model.h"

using query_form::ConditionModel;
using query_form::testing::FormHarness;
using query_form::testing::WaitForRun;

// Answers the next file dialog with `path`.
void ChooseFile(const std::string& path) {
  QTimer::singleShot(0, [path] {
    if (auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget())) {
      dialog->selectFile(QString::fromStdString(path));
      QMetaObject::invokeMethod(dialog, "accept", Qt::DirectConnection);
    }
  });
}

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
      // Saved with the results form's tolerance, the default one too.
      host::qt::UserSettings()->remove("FRMPD_MAVANZORDLAV/tolerance");
      form->Window()->findChild<QPushButton*>("CmdSalvaRicerca")->click();
    }
    host::qt::UserSettings()->setValue("FRMPD_MAVANZORDLAV/tolerance", 25.0);
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
    QCOMPARE(host::qt::UserSettings()->value("FRMPD_MAVANZORDLAV/tolerance").toDouble(), 10.0);
    // The cell shows it as typed.
    auto* model = form->Conditions();
    QCOMPARE(model->index(model->RowOfColumn("PD44_DATAREG"), ConditionModel::kFrom).data().toString(),
             QString("@mese-scorso"));
  }

  // Saved on the small database, exported through Ricerche to a file,
  // imported through Ricerche into the form on another database file and
  // run there: every group's figures in the groups grid are those the
  // command line prints for the same file on that database.
  void anExportedQueryRunsTheSameFromTheFormAndTheCommandLine() {
    const std::string file = dir_.File("reparti-fasi.json");
    {
      FormHarness harness(tiny_);
      auto form = harness.Open();
      auto* model = form->Conditions();
      const int date = model->RowOfColumn("PD44_DATAREG");
      model->setData(model->index(date, ConditionModel::kFrom), "01/02/2026", Qt::EditRole);
      model->setData(model->index(date, ConditionModel::kTo), "31/07/2026", Qt::EditRole);
      form->KVL_ADVO().SetGrouping({"Reparto", "Fase"});
      form->CMB_TIPOTEMPO()->setCurrentIndex(1);
      form->CHK_ATTESA()->setChecked(true);
      QTimer::singleShot(0, [] {
        if (auto* dialog = qobject_cast<QInputDialog*>(QApplication::activeModalWidget())) {
          dialog->setTextValue("Reparti e fasi");
          dialog->accept();
        }
      });
      form->Window()->findChild<QPushButton*>("CmdSalvaRicerca")->click();
      QTimer::singleShot(0, [&file] {
        auto* dialog = QApplication::activeModalWidget();
        if (dialog == nullptr || dialog->objectName() != "DlgRicerche") return;
        auto* list = dialog->findChild<QListWidget*>("LST_Ricerche");
        list->setCurrentRow(0);
        ChooseFile(file);
        dialog->findChild<QPushButton*>("CmdEsporta")->click();
        dialog->close();
      });
      form->Window()->findChild<QPushButton*>("CmdRicerche")->click();
    }
    QVERIFY(QFile::exists(QString::fromStdString(file)));

    const std::string other = dir_.File("other.db");
    demo::GenerateDemoDatabase(other, {1500, 4});
    FormHarness harness(other);
    auto form = harness.Open();
    QTimer::singleShot(0, [&file] {
      auto* dialog = QApplication::activeModalWidget();
      if (dialog == nullptr || dialog->objectName() != "DlgRicerche") return;
      ChooseFile(file);
      dialog->findChild<QPushButton*>("CmdImporta")->click();
      dialog->findChild<QPushButton*>("CmdApri")->click();
    });
    form->Window()->findChild<QPushButton*>("CmdRicerche")->click();
    QCOMPARE(form->KVL_ADVO().GroupingText(), std::string("GROUP BY PD44_CODFORNREP, PD44_CODFASE_PD12"));
    QCOMPARE(form->CMB_TIPOTEMPO()->currentIndex(), 1);
    form->CmdDupl_Click();
    QVERIFY(WaitForRun(*form));
    auto results = form->FrmMod();
    QVERIFY(results != nullptr);
    results->FinishFigures();
    // Department and phase -> planned, booked, gap, gap % as the grid shows them.
    std::map<QString, QStringList> shown;
    auto* grid = results->GRD_VERS();
    const auto* model = dynamic_cast<const results_form::RecordSetModel*>(grid->model());
    const auto column = [&model](const std::string& field) {
      for (size_t c = 0; c < model->Columns().size(); ++c) {
        if (model->Columns()[c].field == field) return static_cast<int>(c);
      }
      return -1;
    };
    const int department = column("PD44_CODFORNREP"), phase = column("PD44_CODFASE_PD12");
    const int figures[] = {column("FIG_PREV"), column("FIG_VERS"), column("FIG_GAP"), column("FIG_GAPPERC")};
    for (int row = 0; row < model->rowCount(); ++row) {
      QStringList texts;
      for (const int f : figures) texts << model->index(row, f).data().toString();
      shown[model->ValueAt(row, department).JoinedText().c_str() + QString("/") +
            model->ValueAt(row, phase).JoinedText().c_str()] = texts;
    }
    QVERIFY(shown.size() > 5);
    results->Unload();
    form->Unload();

    QProcess cli;
    cli.start(QUARVELINDO_CLI, {"run", "--db", QString::fromStdString(other), "--query", QString::fromStdString(file),
                                "--format", "json"});
    QVERIFY(cli.waitForFinished(120000));
    QCOMPARE(cli.exitCode(), 0);
    const QJsonObject report = QJsonDocument::fromJson(cli.readAllStandardOutput()).object();
    const QJsonArray groups = report["groups"].toArray();
    QCOMPARE(static_cast<size_t>(groups.size()), shown.size());
    const auto text = [](const QJsonValue& v) {
      if (v.isNull()) return QString();
      if (v.isDouble()) return QString::number(v.toDouble(), 'f', 2);
      return v.toString().trimmed();
    };
    for (const auto& group : groups) {
      const QJsonObject f = group.toObject()["fields"].toObject();
      const QJsonObject values = group.toObject()["values"].toObject();
      const QJsonValue phase_value = values["PD44_CODFASE_PD12"];
      const QString key = text(values["PD44_CODFORNREP"]) + "/" +
                          (phase_value.isNull() ? QString() : QString::number(phase_value.toInt()));
      const auto it = shown.find(key);
      QVERIFY2(it != shown.end(), qPrintable(key));
      // In hours and hundredths (the query's unit) the figures are numbers;
      // a group without plan shows no planned time in the grid.
      const QString planned = f["PREV_SEC"].toDouble() == 0 ? QString() : text(f["OREPREV"]);
      QCOMPARE(it->second, QStringList({planned, text(f["OREVERS"]), text(f["GAP"]), text(f["GAPPERC"])}));
    }
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
  }

 private:
  engine::testing::TempDir dir_;
  std::string tiny_;
};

QTEST_MAIN(SavedQueriesTest)
#include "saved_queries_test.moc"
