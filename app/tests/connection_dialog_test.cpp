// The shell's connection: the dialog's choice is saved without its password
// (the keyring, here a test double, keeps it), an older settings file gives
// its password up, and Prova connessione answers within the login timeout on
// a port where nothing listens and on a server that never answers.
#include <QComboBox>
#include <QElapsedTimer>
#include <QFile>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QtTest>

#include "app/shell/connection_dialog.h"
#include "app/shell/connection_settings.h"
#include "app/shell/main_window.h"
#include "app/shell/password_store.h"
#include "app/shell/start_connection.h"
#include "demo/erp_database.h"
#include "host/framework/message_presenter.h"
#include "host/framework/translation_service.h"

namespace {

// The keyring's stand-in: remembers what it was given, or answers like a
// desktop without any keyring.
class FakeKeyring : public shell::PasswordStore {
 public:
  explicit FakeKeyring(bool answers = true) : answers_(answers) {}
  std::optional<std::string> Read(const std::string& key, bool* available) override {
    if (available != nullptr) *available = answers_;
    const auto it = kept.find(key);
    if (!answers_ || it == kept.end()) return std::nullopt;
    return it->second;
  }
  bool Write(const std::string& key, const std::string& password) override {
    if (!answers_) return false;
    kept[key] = password;
    return true;
  }
  std::map<std::string, std::string> kept;

 private:
  bool answers_;
};

QString Italian(const std::string& text) { return QString::fromStdString(text); }

template <typename T>
T* Child(QWidget& parent, const char* name) {
  T* child = parent.findChild<T*>(name);
  if (child == nullptr) qFatal("no child %s", name);
  return child;
}

void ChooseDriver(shell::ConnectionDialog& dialog, const QString& server, const QString& port,
                  const QString& password) {
  Child<QRadioButton>(dialog, "DriverKind")->setChecked(true);
  Child<QComboBox>(dialog, "Driver")->setCurrentText("FreeTDS");
  Child<QLineEdit>(dialog, "Server")->setText(server);
  Child<QLineEdit>(dialog, "Port")->setText(port);
  Child<QLineEdit>(dialog, "Database")->setText("ERP");
  Child<QLineEdit>(dialog, "User")->setText("report");
  Child<QLineEdit>(dialog, "Password")->setText(password);
}

QString FileText(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return {};
  return QString::fromUtf8(file.readAll());
}

}  // namespace

class ConnectionDialogTest : public QObject {
  Q_OBJECT

 private slots:
  void theIniNeverHoldsThePassword() {
    QTemporaryDir dir;
    const QString ini = dir.path() + "/quarvelindo.ini";
    FakeKeyring keyring;
    {
      shell::ConnectionDialog dialog("", Italian);
      ChooseDriver(dialog, "erp", "1433", "s3cr;et}");
      const std::string text = shell::ConnectionText(dialog.Choice());
      QCOMPARE(QString::fromStdString(text), QString("Driver={FreeTDS};Server=erp;Port=1433;Database=ERP;UID=report"));
      QSettings settings(ini, QSettings::IniFormat);
      QVERIFY(shell::SaveConnection(settings, keyring, text, dialog.Password()));
    }
    QVERIFY(FileText(ini).contains("Server=erp"));
    QVERIFY(!FileText(ini).contains("s3cr"));
    QVERIFY(!FileText(ini).contains("PWD", Qt::CaseInsensitive));
    QCOMPARE(keyring.kept.size(), size_t{1});
    QCOMPARE(QString::fromStdString(keyring.kept["report@erp:1433"]), QString("s3cr;et}"));
    // At the next start the password comes back from the keyring, in braces.
    QSettings settings(ini, QSettings::IniFormat);
    QCOMPARE(QString::fromStdString(shell::StartConnection(settings, keyring, Italian, false).value()),
             QString("Driver={FreeTDS};Server=erp;Port=1433;Database=ERP;UID=report;PWD={s3cr;et}}}"));
    // The dialog reopened on it shows the parts and the password.
    shell::ConnectionDialog again(shell::StartConnection(settings, keyring, Italian, false).value(), Italian);
    QVERIFY(Child<QRadioButton>(again, "DriverKind")->isChecked());
    QCOMPARE(Child<QLineEdit>(again, "Server")->text(), QString("erp"));
    QCOMPARE(Child<QLineEdit>(again, "Password")->text(), QString("s3cr;et}"));
  }

  void anOlderIniGivesItsPasswordUp() {
    QTemporaryDir dir;
    const QString ini = dir.path() + "/quarvelindo.ini";
    const std::string old = "DSN=erp;UID=report;PWD=plain;LoginTimeout=3";
    {
      QSettings settings(ini, QSettings::IniFormat);
      settings.setValue("connection", QString::fromStdString(old));
    }
    for (const bool answers : {true, false}) {
      FakeKeyring keyring(answers);
      QSettings settings(ini, QSettings::IniFormat);
      if (answers) {
        // This start still uses it; the file lets it go, the keyring keeps it.
        QCOMPARE(QString::fromStdString(shell::StartConnection(settings, keyring, Italian, false).value()),
                 QString::fromStdString(old));
        QCOMPARE(QString::fromStdString(keyring.kept["report@DSN=erp"]), QString("plain"));
      } else {
        // Without a keyring nothing is left to find: the next start goes without (or asks).
        QCOMPARE(QString::fromStdString(shell::StartConnection(settings, keyring, Italian, false).value()),
                 QString("DSN=erp;UID=report;LoginTimeout=3"));
      }
      settings.sync();
      QVERIFY(!FileText(ini).contains("plain"));
      QVERIFY(FileText(ini).contains("DSN=erp;UID=report;LoginTimeout=3"));
    }
    // Without a keyring a new choice is not kept anywhere but in memory.
    FakeKeyring none(false);
    QSettings settings(ini, QSettings::IniFormat);
    QVERIFY(!shell::SaveConnection(settings, none, "DSN=erp;UID=report", "s3cret"));
    settings.sync();
    QVERIFY(!FileText(ini).contains("s3cret"));
  }

  void partsAndKeys() {
    QCOMPARE(QString::fromStdString(shell::PasswordKey("Driver={FreeTDS};Server=erp;UID=u")), QString("u@erp"));
    QCOMPARE(QString::fromStdString(shell::PasswordKey("/data/erp.db")), QString());
    QCOMPARE(QString::fromStdString(shell::PasswordKey("DSN=erp")), QString());
    const auto split = shell::TakePassword("Server=s;PWD={a;b}}c};UID=u");
    QCOMPARE(QString::fromStdString(split.connection), QString("Server=s;UID=u"));
    QCOMPARE(QString::fromStdString(split.password.value()), QString("a;b}c"));
    shell::ConnectionChoice file;
    file.file = "/data/erp.db";
    file.user = "ignored";
    QCOMPARE(QString::fromStdString(shell::ConnectionText(file)), QString("/data/erp.db"));
  }

  void testAnswersWithinTheLoginTimeout() {
    QTcpServer silent;  // accepts (the system does) and never says a word
    QVERIFY(silent.listen(QHostAddress::LocalHost));
    QTcpServer probe;
    QVERIFY(probe.listen(QHostAddress::LocalHost));
    const QString nothing = QString::number(probe.serverPort());
    probe.close();  // nothing listens there now
    for (const QString& port : {nothing, QString::number(silent.serverPort())}) Answer(port, 3);
  }

  void firstStartAsksAndRemembersTheChoice() {
    QTemporaryDir dir;
    const QString ini = dir.path() + "/quarvelindo.ini";
    FakeKeyring keyring;
    QSettings settings(ini, QSettings::IniFormat);
    // Nothing saved: the dialog comes up; a driver's connection is chosen.
    QTimer::singleShot(0, [] {
      auto* dialog = qobject_cast<shell::ConnectionDialog*>(QApplication::activeModalWidget());
      if (dialog == nullptr) return;
      ChooseDriver(*dialog, "erp", "", "s3cret");
      dialog->accept();
    });
    QCOMPARE(QString::fromStdString(shell::StartConnection(settings, keyring, Italian, true).value()),
             QString("Driver={FreeTDS};Server=erp;Database=ERP;UID=report;PWD=s3cret"));
    settings.sync();
    QVERIFY(FileText(ini).contains("Driver={FreeTDS};Server=erp;Database=ERP;UID=report"));
    QVERIFY(!FileText(ini).contains("s3cret"));
    QCOMPARE(QString::fromStdString(keyring.kept["report@erp"]), QString("s3cret"));
    // Closed without a choice, the shell does not start.
    QSettings empty(dir.path() + "/empty.ini", QSettings::IniFormat);
    QTimer::singleShot(0, [] {
      if (auto* dialog = QApplication::activeModalWidget()) qobject_cast<QDialog*>(dialog)->reject();
    });
    QVERIFY(!shell::StartConnection(empty, keyring, Italian, true).has_value());
  }

  void withoutAKeyringThePasswordIsAskedAndKeptInMemory() {
    QTemporaryDir dir;
    const QString ini = dir.path() + "/quarvelindo.ini";
    QSettings settings(ini, QSettings::IniFormat);
    settings.setValue("connection", "DSN=erp;UID=report");
    FakeKeyring none(false);
    QString prompt;
    QTimer::singleShot(0, [&prompt] {
      auto* ask = qobject_cast<QInputDialog*>(QApplication::activeModalWidget());
      if (ask == nullptr) return;
      prompt = ask->labelText();
      ask->setTextValue("typed");
      ask->accept();
    });
    QCOMPARE(QString::fromStdString(shell::StartConnection(settings, none, Italian, true).value()),
             QString("DSN=erp;UID=report;PWD=typed"));
    QCOMPARE(prompt, QString("Password del database per report@DSN=erp"));
    settings.sync();
    QVERIFY(!FileText(ini).contains("typed"));
    QVERIFY(none.kept.empty());
  }

  void anEmptyChoiceIsNotAccepted() {
    shell::ConnectionDialog dialog("", Italian);
    dialog.show();
    Child<QRadioButton>(dialog, "FileKind")->setChecked(true);
    Child<QLineEdit>(dialog, "File")->clear();
    QPushButton* ok = nullptr;
    for (auto* button : dialog.findChildren<QPushButton*>()) {
      if (button->text() == "OK") ok = button;
    }
    QVERIFY(ok != nullptr);
    ok->click();
    QVERIFY(dialog.isVisible());
    QCOMPARE(Child<QLabel>(dialog, "Esito")->text(), QString("Indicare un file SQLite o un'origine ODBC"));
    Child<QLineEdit>(dialog, "File")->setText("/data/erp.db");
    ok->click();
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
  }

  void speaksTheUsersLanguage() {
    const host::TranslationService english(host::MessageCatalog::BuiltIn(), "en", nullptr);
    shell::ConnectionDialog dialog("", [&english](const std::string& s) { return QString::fromStdString(english.Caption(s)); });
    QCOMPARE(dialog.windowTitle(), QString("Database connection"));
    QCOMPARE(Child<QPushButton>(dialog, "ProvaConnessione")->text(), QString("Test connection"));
    QCOMPARE(Child<QRadioButton>(dialog, "FileKind")->text(), QString("SQLite file"));
  }

  void theMainWindowChangesItsConnectionFromTheFileMenu() {
    QTemporaryDir dir;
    const std::string first = (dir.path() + "/first.db").toStdString();
    const std::string second = (dir.path() + "/second.db").toStdString();
    demo::GenerateDemoDatabase(first, {50, 1});
    demo::GenerateDemoDatabase(second, {50, 2});
    shell::MainWindow window({first, "1", "it", "", nullptr}, std::make_shared<host::RecordingPresenter>(7));
    QCOMPARE(window.ConnectionAction()->text(), QString("Connessione..."));
    QVERIFY(window.ChangeConnection(second));
    QCOMPARE(QString::fromStdString(window.Connection()), QString::fromStdString(second));
    QVERIFY(window.Companies()->count() >= 1);
  }

 private:
  // Prova connessione on 127.0.0.1:port with a login timeout of `seconds`.
  static void Answer(const QString& port, int seconds) {
    shell::ConnectionDialog dialog("", Italian);
    dialog.SetLoginTimeout(seconds);
    ChooseDriver(dialog, "127.0.0.1", port, "s3cret");
    QSignalSpy finished(&dialog, &shell::ConnectionDialog::TestFinished);
    QElapsedTimer clock;
    clock.start();
    Child<QPushButton>(dialog, "ProvaConnessione")->click();
    QVERIFY(!Child<QPushButton>(dialog, "ProvaConnessione")->isEnabled());  // one attempt at a time
    QVERIFY(finished.wait(seconds * 1000 + 2000));
    QVERIFY2(clock.elapsed() <= seconds * 1000 + 1000, qPrintable(QString::number(clock.elapsed())));
    QCOMPARE(finished.first().at(0).toBool(), false);
    const QString outcome = Child<QLabel>(dialog, "Esito")->text();
    QVERIFY2(outcome.startsWith("Connessione non riuscita: "), qPrintable(outcome));
    QVERIFY(!outcome.contains("s3cret"));
    QVERIFY(Child<QPushButton>(dialog, "ProvaConnessione")->isEnabled());
  }
};

QTEST_MAIN(ConnectionDialogTest)
#include "connection_dialog_test.moc"
