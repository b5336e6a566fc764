// quarvelindo-host: the substitute ERP shell that loads the module.
//
//   quarvelindo-host [--db CONNECTION] [--company N] [--language it|en]
//                    [--module PATH] [--open] [--screenshot FILE]
//
// Without --db the connection comes from ~/.config/quarvelindo/quarvelindo.ini
// (key "connection", never with its password: that is in the keyring); on
// first start the connection dialog asks for one (pictures and tours take the
// demo database in ~/.local/share/quarvelindo instead).
#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QTimer>

#include <iostream>

#include "app/shell/main_window.h"
#include "app/shell/password_store.h"
#include "app/shell/start_connection.h"
#include "host/framework/translation_service.h"
#include "host/qt/dialog_presenter.h"
#include "host/qt/interface_language.h"
#include "app/shell/tour.h"

namespace {

constexpr const char* kUsage =
    "Usage: quarvelindo-host [options]\n"
    "The ERP shell that opens the working-time comparison module.\n\n"
    "Options:\n"
    "  --db <connection>   ERP database file or ODBC connection string\n"
    "  --company <n>       Company number\n"
    "  --language <code>   User language (it, en)\n"
    "  --module <path>     Module library\n"
    "  --open              Open the module at start\n"
    "  --screenshot <file> Save a picture of the window and quit\n"
    "  --tour <dir>        Walk through the module's windows, saving pictures\n"
    "  -h, --help          Show this help\n";

// The module library: beside the program in a build, in the private
// library folder in an installed copy.
QString InstalledModule() {
  const QString beside = QCoreApplication::applicationDirPath() + "/libpdxr_quarvelindo.so";
  if (QFileInfo::exists(beside)) return beside;
  return QDir::cleanPath(QCoreApplication::applicationDirPath() + "/" QUARVELINDO_MODULE_DIR "/libpdxr_quarvelindo.so");
}

}  // namespace

int main(int argc, char** argv) {
  // Help needs no display: it is answered before Qt starts.
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--help" || arg == "-h" || arg == "--help-all") {
      std::cout << kUsage;
      return 0;
    }
  }
  QApplication application(argc, argv);
  QApplication::setApplicationName("quarvelindo");
  QCommandLineParser parser;
  const QCommandLineOption db(QStringLiteral("db"), "ERP database or ODBC connection string", "connection");
  const QCommandLineOption company(QStringLiteral("company"), "Company number", "n");
  const QCommandLineOption language(QStringLiteral("language"), "User language (it, en)", "code");
  const QCommandLineOption module(QStringLiteral("module"), "Module library", "path");
  const QCommandLineOption open(QStringLiteral("open"), "Open the module at start");
  const QCommandLineOption screenshot(QStringLiteral("screenshot"), "Save a picture of the window and quit", "file");
  const QCommandLineOption tour(QStringLiteral("tour"), "Walk through the module's windows, saving pictures", "dir");
  parser.addOptions({db, company, language, module, open, screenshot, tour});
  parser.process(application);

  QSettings settings(QSettings::IniFormat, QSettings::UserScope, "quarvelindo", "quarvelindo");
  shell::ShellSettings shell_settings;
  shell_settings.company =
      (parser.isSet(company) ? parser.value(company) : settings.value("company", "1").toString()).toStdString();
  shell_settings.language =
      (parser.isSet(language) ? parser.value(language) : settings.value("language", "it").toString()).toStdString();
  host::qt::UseInterfaceLanguage(shell_settings.language);
  shell_settings.module_path = (parser.isSet(module) ? parser.value(module) : InstalledModule()).toStdString();
  shell_settings.passwords = shell::MakeKeyringPasswordStore();
  if (parser.isSet(db)) {
    shell_settings.connection = parser.value(db).toStdString();
  } else {
    const host::TranslationService translation(host::MessageCatalog::BuiltIn(), shell_settings.language, nullptr);
    const auto connection = shell::StartConnection(
        settings, *shell_settings.passwords,
        [&translation](const std::string& italian) { return QString::fromStdString(translation.Caption(italian)); },
        !parser.isSet(tour) && !parser.isSet(screenshot));
    if (!connection) return 0;  // the first-start dialog closed without a choice
    shell_settings.connection = *connection;
  }

  shell::MainWindow window(shell_settings, std::make_shared<host::qt::DialogPresenter>(shell_settings.language));
  window.show();
  // Active from the start, as a desktop makes a new window: the module's
  // shortcuts (Esc stops a run) answer only in the active window, and
  // without a window manager nothing else would make it so.
  window.activateWindow();
  if (parser.isSet(tour)) {
    window.resize(1400, 900);
    shell::StartTour(window, parser.value(tour));
  } else if (parser.isSet(open) || parser.isSet(screenshot)) {
    QTimer::singleShot(0, &window, &shell::MainWindow::OpenModule);
  }
  if (parser.isSet(screenshot)) {
    const QString file = parser.value(screenshot);
    QTimer::singleShot(800, &window, [&window, file] {
      window.grab().save(file);
      QApplication::quit();
    });
  }
  return QApplication::exec();
}
