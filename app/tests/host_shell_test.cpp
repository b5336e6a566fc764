// The host shell opens the module from its menu, loads it through its
// exported factory, and asks it before changing company.
#include <QCheckBox>
#include <QLabel>
#include <QTableView>
#include <QMdiSubWindow>
#include <QTemporaryDir>
#include <QtTest>

#include "app/shell/main_window.h"
#include "app/shell/print_options_dialog.h"
#include "demo/erp_database.h"
#include "host/framework/debug_output.h"
#include "host/qt/user_settings.h"

class HostShellTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() {
    QVERIFY(dir_.isValid());
    db_ = (dir_.path() + "/demo.db").toStdString();
    demo::GenerateDemoDatabase(db_, {300, 3});
  }

  void opensTheModuleFromItsMenu() {
    auto presenter = std::make_shared<host::RecordingPresenter>(7);
    shell::MainWindow window({db_, "1", "it", QUARVELINDO_MODULE_PATH}, presenter);
    window.show();
    const size_t traces = host::DebugOutputLines().size();
    window.ModuleAction()->trigger();
    QCOMPARE(window.Mdi()->subWindowList().size(), 1);
    QWidget* form = window.Mdi()->subWindowList().first()->widget();
    QCOMPARE(form->objectName(), QString("FRMPD_QUARVELINDO"));
    QCOMPARE(form->windowTitle(), QString("Comparazione tempi lavorazione"));
    QVERIFY(form->findChild<QTableView*>("KVL_ADVQ") != nullptr);
    QCOMPARE(form->findChild<QTableView*>("KVL_ADVQ")->model()->rowCount(), 33);  // fields, states, category, attributes
    QVERIFY(window.Module()->GetConnection() != nullptr);  // the form handed its connection back
    const auto lines = host::DebugOutputLines();
    QVERIFY(lines.size() >= traces + 2);
    QVERIFY(QString::fromStdString(lines[traces]).endsWith("|INI|PDXR_QUARVELINDO|CLSPD_QUARVELINDO"));
    QVERIFY(QString::fromStdString(lines[traces + 1]).endsWith("|INI|PDXR_QUARVELINDO|FRMPD_QUARVELINDO"));

    // No: the change is refused and the form stays.
    window.Companies()->setCurrentText("2");
    QCOMPARE(window.Companies()->currentText(), QString("1"));
    QCOMPARE(presenter->shown.size(), size_t{1});
    QCOMPARE(QString::fromStdString(presenter->shown[0].text),
             QString("Il cambio azienda comporta la chiusura del programma, proseguo ?"));
    QCOMPARE(window.Mdi()->subWindowList().size(), 1);
    // Yes: the module closes and the company changes.
    presenter->answer = 6;
    window.Companies()->setCurrentText("2");
    QCOMPARE(window.Companies()->currentText(), QString("2"));
    QTRY_COMPARE(window.Mdi()->subWindowList().size(), 0);
    QVERIFY(window.Module() == nullptr);
  }

  void openingTheModuleAgainBringsItsWindowForward() {
    auto presenter = std::make_shared<host::RecordingPresenter>(7);
    shell::MainWindow window({db_, "1", "it", QUARVELINDO_MODULE_PATH}, presenter);
    window.show();
    window.ModuleAction()->trigger();
    host::Cinterface* first = window.Module();
    QWidget* form = window.Mdi()->subWindowList().first()->widget();
    window.ModuleAction()->trigger();
    QCOMPARE(window.Module(), first);
    QCOMPARE(window.Mdi()->subWindowList().size(), 1);
    QCOMPARE(window.Mdi()->subWindowList().first()->widget(), form);
    // Closed with its X, the form lets go of the database at once.
    window.Mdi()->subWindowList().first()->close();
    QTRY_COMPARE(window.Mdi()->subWindowList().size(), 0);
    QVERIFY(window.Module()->GetConnection() == nullptr);
  }

  // Finestra arranges the windows, lists them with the active one checked,
  // and closes them all as their X would.
  void theWindowMenuListsArrangesAndClosesTheWindows() {
    auto presenter = std::make_shared<host::RecordingPresenter>(7);
    shell::MainWindow window({db_, "1", "it", QUARVELINDO_MODULE_PATH}, presenter);
    window.show();
    const auto texts = [&] {
      emit window.WindowMenu()->aboutToShow();
      QStringList shown;
      for (QAction* a : window.WindowMenu()->actions()) {
        if (a->isSeparator()) continue;
        shown << a->text() + (a->isEnabled() ? "" : " -") + (a->isChecked() ? " *" : "");
      }
      return shown;
    };
    QCOMPARE(texts(), QStringList({"Affianca -", "Sovrapponi -", "Finestra successiva -", "Chiudi tutte -"}));
    window.ModuleAction()->trigger();
    QCOMPARE(texts(), QStringList({"Affianca", "Sovrapponi", "Finestra successiva -", "Chiudi tutte",
                                   "&1 Comparazione tempi lavorazione *"}));
    window.WindowMenu()->actions().last()->trigger();
    QCOMPARE(window.Mdi()->activeSubWindow(), window.Mdi()->subWindowList().first());
    for (QAction* a : window.WindowMenu()->actions()) {
      if (a->text() == "Chiudi tutte") a->trigger();
    }
    QTRY_COMPARE(window.Mdi()->subWindowList().size(), 0);
    QVERIFY(window.Module()->GetConnection() == nullptr);
  }

  void theCompaniesComeFromTheDatabaseAndTheShellSpeaksEnglish() {
    auto presenter = std::make_shared<host::RecordingPresenter>(7);
    shell::MainWindow window({db_, "2", "en", QUARVELINDO_MODULE_PATH}, presenter);
    QStringList companies;
    for (int i = 0; i < window.Companies()->count(); ++i) companies << window.Companies()->itemText(i);
    QCOMPARE(companies, QStringList({"1", "2"}));
    QCOMPARE(window.Companies()->currentText(), QString("2"));
    QCOMPARE(window.ModuleAction()->text(), QString("Working time comparison"));
    QCOMPARE(window.DebugAction()->text(), QString("Debug output"));
    shell::MainWindow seven({db_, "7", "it", QUARVELINDO_MODULE_PATH}, presenter);
    QCOMPARE(seven.Companies()->currentText(), QString("7"));
  }

  // The report's two optional sections are off until chosen in the
  // dialog, and kept in the user's settings from then on.
  void thePrintSectionsAreOffUntilChosenAndRemembered() {
    host::qt::SetUserSettingsFile(dir_.path() + "/print.ini");
    const auto defaults = shell::LoadPrintOptions();
    QVERIFY(!defaults.trend);
    QVERIFY(!defaults.unbooked);
    const auto tr = [](const std::string& s) { return QString::fromStdString(s); };
    shell::PrintOptionsDialog dialog(defaults, tr);
    auto* trend = dialog.findChild<QCheckBox*>("CHK_Andamento");
    auto* unbooked = dialog.findChild<QCheckBox*>("CHK_FasiNonVersate");
    QVERIFY(trend != nullptr && unbooked != nullptr);
    QCOMPARE(trend->text(), QString("Stampa andamento mensile"));
    QCOMPARE(unbooked->text(), QString("Stampa fasi senza versamenti"));
    QVERIFY(!trend->isChecked() && !unbooked->isChecked());
    trend->setChecked(true);
    shell::SavePrintOptions(dialog.Options());
    auto again = shell::LoadPrintOptions();
    QVERIFY(again.trend);
    QVERIFY(!again.unbooked);
    QVERIFY(again.header);  // the others as they were
    again.trend = false;
    again.unbooked = true;
    shell::SavePrintOptions(again);
    shell::PrintOptionsDialog reopened(shell::LoadPrintOptions(), tr);
    QVERIFY(!reopened.findChild<QCheckBox*>("CHK_Andamento")->isChecked());
    QVERIFY(reopened.findChild<QCheckBox*>("CHK_FasiNonVersate")->isChecked());
    host::qt::SetUserSettingsFile({});
  }

  void aMissingModuleIsReported() {
    QVERIFY_THROWS_EXCEPTION(std::runtime_error, shell::ModuleLoader("/nonexistent/libpdxr_quarvelindo.so"));
  }

 private:
  QTemporaryDir dir_;
  std::string db_;
};

QTEST_MAIN(HostShellTest)
#include "host_shell_test.moc"
