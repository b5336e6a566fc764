// The host's window pieces on their own: a form window's close path in each
// way a window closes, the modal show, the progress bar moved from another
// thread, the work progress window and its stop button, the message dialog's buttons in the user's language and the
// user's settings file.
#include <QApplication>
#include <QFileIconProvider>
#include <QLabel>
#include <QMdiSubWindow>
#include <QMessageBox>
#include <QProgressDialog>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <QElapsedTimer>
#include <QLocale>
#include <thread>

#include "host/qt/dialog_presenter.h"
#include "host/qt/form_window.h"
#include "host/qt/interface_language.h"
#include "host/qt/mdi_frame.h"
#include "host/qt/progress_bar.h"
#include "host/qt/user_settings.h"
#include "host/qt/work_progress.h"

namespace host::qt {

class HostQtTest : public QObject {
  Q_OBJECT

 private:
  // A form window that records its calls; `refuse` answers QueryUnload.
  struct Recorded {
    std::vector<std::string> calls;
    bool refuse = false;
  };
  static std::unique_ptr<FormWindow> Window(Recorded& r) {
    auto window = std::make_unique<FormWindow>("FRMTEST");
    window->query_unload = [&r](int16_t& cancel, int16_t mode) {
      r.calls.push_back("QueryUnload " + std::to_string(mode));
      if (r.refuse) cancel = 1;
    };
    window->unload = [&r] { r.calls.push_back("Unload"); };
    return window;
  }

 private slots:
  void aRefusedCloseKeepsTheWindowAndAnAcceptedOneUnloadsOnce() {
    Recorded r;
    auto window = Window(r);
    window->Show(nullptr, false, QSize(300, 200));
    r.refuse = true;
    QVERIFY(!window->Close());
    QVERIFY(!window->Unloaded());
    QVERIFY(window->Widget() != nullptr);
    r.refuse = false;
    QVERIFY(window->Close());
    QVERIFY(window->Unloaded());
    QVERIFY(window->Close());  // a second close does nothing more
    QCOMPARE(r.calls, (std::vector<std::string>{"QueryUnload 1", "QueryUnload 1", "Unload"}));
  }

  void theWindowsOwnCloseGoesThroughQueryUnloadFromTheControlMenu() {
    QMdiArea area;
    area.show();
    auto frame = std::make_shared<MdiFrame>();
    frame->area = &area;
    Recorded r;
    auto window = Window(r);
    window->Show(frame, false, QSize(300, 200));
    QCOMPARE(area.subWindowList().size(), 1);
    r.refuse = true;
    area.subWindowList().front()->close();  // the X of the sub-window
    QVERIFY(!window->Unloaded());
    r.refuse = false;
    area.subWindowList().front()->close();
    QVERIFY(window->Unloaded());
    QCOMPARE(r.calls, (std::vector<std::string>{"QueryUnload 0", "QueryUnload 0", "Unload"}));
  }

  void aModalShowReturnsWhenTheFormUnloads() {
    Recorded r;
    auto window = Window(r);
    QTimer::singleShot(50, [&] { window->Close(); });
    window->Show(nullptr, true, QSize(200, 100));  // returns only after the close
    QVERIFY(window->Unloaded());
    QCOMPARE(r.calls.back(), std::string("Unload"));
  }

  void theBarCountsWhatAnotherThreadMoves() {
    ProgressBar bar;
    bar.SetWhat("bookings");
    bar.show();
    std::thread worker([&] {
      bar.Start(950000);
      for (int64_t i = 1; i <= 120000; ++i) bar.Move(i);
    });
    worker.join();
    QTRY_COMPARE(bar.value(), bar.maximum() * 120000 / 950000);
    QTRY_VERIFY(bar.text().contains(QStringLiteral("120")));
    QVERIFY(bar.text().startsWith(QStringLiteral("bookings")));
    bar.Stop();
  }

  // Work on the window thread that lasts: the window comes up with the
  // count, its button stops the work at the next step, and Done hides it.
  void longWorkShowsItsCountAndStopsWhenAsked() {
    QWidget parent;
    parent.show();
    WorkProgress progress(&parent, "Esporta", "&Interrompi");
    const auto step = progress.Stage("Scrittura: righe");
    auto* dialog = parent.findChild<QProgressDialog*>("WorkProgress");
    QVERIFY(dialog != nullptr);
    QString label;
    QTimer::singleShot(800, [&] {
      label = dialog->findChild<QLabel*>()->text();
      if (dialog->isVisible()) dialog->findChild<QPushButton*>()->click();
    });
    QElapsedTimer clock;
    clock.start();
    size_t done = 0;
    while (clock.elapsed() < 5000 && step(done, 100000)) {
      ++done;
      QThread::usleep(200);
    }
    QVERIFY(progress.Stopped());
    QVERIFY(done < 100000);
    QVERIFY2(label.startsWith("Scrittura: righe ") && label.endsWith(" / " + QLocale().toString(100000ULL)),
             qPrintable(label));
    progress.Done();
    QVERIFY(!dialog->isVisible());
    QVERIFY(progress.Stopped());
  }

  void shortWorkNeverShowsTheWindow() {
    QWidget parent;
    parent.show();
    WorkProgress progress(&parent, "Esporta", "&Interrompi");
    const auto step = progress.Stage("Preparazione: versamenti");
    for (size_t i = 0; i <= 10; ++i) QVERIFY(step(i, 10));
    progress.Done();
    QTest::qWait(700);
    QVERIFY(!progress.Dialog().isVisible());
    QVERIFY(!progress.Stopped());
  }

  void theDialogsButtonsSpeakTheUsersLanguage() {
    for (const auto& [language, yes_word] : {std::pair{"it", "Sì"}, std::pair{"en", "Yes"}}) {
      DialogPresenter presenter;
      presenter.SetLanguage(language);
      QStringList buttons;
      QTimer::singleShot(50, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        QVERIFY(box != nullptr);
        for (auto* b : box->buttons()) buttons << b->text();
        box->buttons().front()->click();
      });
      const int32_t answer = presenter.Show("Continuare?", 4 + 32, "Titolo");
      QCOMPARE(buttons.size(), 2);
      QCOMPARE(buttons.front(), QString::fromUtf8(yes_word));
      QVERIFY(answer == 6 || answer == 7);  // the first button in the box's own order
    }
  }

  void settingsRoundTripAndABrokenFileReadsEmpty() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("settings.ini"));
    SetUserSettingsFile(path);
    UserSettings()->setValue(QStringLiteral("grid/layout"), QStringLiteral("A,B;C"));
    QCOMPARE(UserSettings()->value(QStringLiteral("grid/layout")).toString(), QStringLiteral("A,B;C"));
    QFile broken(path);
    QVERIFY(broken.open(QIODevice::WriteOnly | QIODevice::Truncate));
    broken.write("\x01\x02[[[not=an\xff ini");
    broken.close();
    QVERIFY(!UserSettings()->value(QStringLiteral("grid/layout")).isValid());
    SetUserSettingsFile(QString());
  }

  // Qt's own texts follow the chosen language: the error box's details
  // button, and the file dialog's "Type" of a folder (a text Qt's Italian
  // catalog lacks, filled in by the module), and back in English.
  void qtsOwnTextsFollowTheInterfaceLanguage() {
    QTemporaryDir dir;
    const QFileInfo folder(dir.path());
    const auto details = [] {
      QMessageBox box;
      box.setDetailedText(QStringLiteral("CmdDupl_Click: ..."));
      QStringList texts;
      for (auto* button : box.findChildren<QPushButton*>()) texts << button->text();
      return texts;
    };
    UseInterfaceLanguage("it");
    QCOMPARE(QFileIconProvider().type(folder), QStringLiteral("Cartella"));
    QVERIFY2(details().contains(QStringLiteral("Mostra dettagli...")), qPrintable(details().join('|')));
    QCOMPARE(QLocale().toString(14.4, 'f', 2), QStringLiteral("14,40"));
    UseInterfaceLanguage("en");
    QCOMPARE(QFileIconProvider().type(folder), QStringLiteral("Folder"));
    QVERIFY2(details().contains(QStringLiteral("Show Details...")), qPrintable(details().join('|')));
    QCOMPARE(QLocale().toString(14.4, 'f', 2), QStringLiteral("14.40"));
    UseInterfaceLanguage("it");
  }
};

}  // namespace host::qt

QTEST_MAIN(host::qt::HostQtTest)
#include "host_qt_test.moc"
