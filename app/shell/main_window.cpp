#include "app/shell/main_window.h"

#include "app/shell/connection_dialog.h"
#include "app/shell/connection_settings.h"
#include "app/shell/print_options_dialog.h"

#include <QDockWidget>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMdiSubWindow>
#include <QMessageBox>
#include <QSettings>
#include <QStatusBar>
#include <QToolBar>

#include "host/db/connection_string.h"
#include "host/framework/debug_output.h"
#include "host/services/companies.h"
#include "host/qt/mdi_frame.h"

namespace shell {

MainWindow::MainWindow(ShellSettings settings, std::shared_ptr<host::MessagePresenter> presenter)
    : settings_(std::move(settings)) {
  resize(1280, 860);
  global_->connection_info.connection_string = settings_.connection;
  global_->company.code = settings_.company;
  global_->translation =
      std::make_shared<host::TranslationService>(host::MessageCatalog::BuiltIn(), settings_.language, presenter);
  global_->presenter = presenter;
  setWindowTitle("ERP — quarvelindo");

  mdi_ = new QMdiArea(this);
  mdi_->setObjectName("MDIActiveX1");
  setCentralWidget(mdi_);

  global_->print_options = LoadPrintOptions();
  if (!settings_.passwords) settings_.passwords = std::make_shared<MemoryPasswordStore>();
  auto* file = menuBar()->addMenu(Tr("&File"));
  connection_action_ = file->addAction(Tr("Connessione") + "...");
  connect(connection_action_, &QAction::triggered, this, &MainWindow::ChooseConnection);
  QObject::connect(file->addAction(Tr("Opzioni di stampa") + "..."), &QAction::triggered, this, [this] {
    PrintOptionsDialog dialog(global_->print_options, [this](const std::string& s) { return Tr(s); }, this);
    if (dialog.exec() != QDialog::Accepted) return;
    global_->print_options = dialog.Options();
    SavePrintOptions(global_->print_options);
  });
  auto* production = menuBar()->addMenu(Tr("&Produzione"));
  module_action_ = production->addAction(Tr("Comparazione tempi lavorazione"));
  connect(module_action_, &QAction::triggered, this, &MainWindow::OpenModule);
  window_menu_ = menuBar()->addMenu(Tr("&Finestra"));
  connect(window_menu_, &QMenu::aboutToShow, this, &MainWindow::FillWindowMenu);
  FillWindowMenu();

  auto* bar = addToolBar(Tr("Ditta"));
  bar->addWidget(new QLabel(" " + Tr("Ditta") + ": ", bar));
  companies_ = new QComboBox(bar);
  companies_->setObjectName("Ditta");
  LoadCompanies();
  bar->addWidget(companies_);
  connect(companies_, &QComboBox::currentTextChanged, this, &MainWindow::ChangeCompany);

  auto* dock = new QDockWidget(Tr("Uscita di debug"), this);
  dock->setObjectName("DebugOutput");
  debug_ = new QPlainTextEdit(dock);
  debug_->setReadOnly(true);
  debug_->setMaximumBlockCount(2000);
  dock->setWidget(debug_);
  addDockWidget(Qt::BottomDockWidgetArea, dock);
  resizeDocks({dock}, {110}, Qt::Vertical);
  // Hidden until asked for (Visualizza): open, it pushes the results form
  // below the window's edge at the default size.
  dock->hide();
  // Closed, the debug view comes back from the menu.
  debug_action_ = dock->toggleViewAction();
  debug_action_->setText(Tr("Uscita di debug"));
  menuBar()->addMenu(Tr("&Visualizza"))->addAction(debug_action_);
  host::SetDebugOutputListener([this](const std::string& line) {
    QMetaObject::invokeMethod(debug_, [this, line] { debug_->appendPlainText(QString::fromStdString(line)); });
  });
  // Never the password of the connection string.
  statusBar()->showMessage(Tr("Database") + ": " +
                           QString::fromStdString(host::db::ConnectionString::Redacted(settings_.connection)));
}

void MainWindow::FillWindowMenu() {
  window_menu_->clear();
  const QList<QMdiSubWindow*> windows = mdi_->subWindowList();
  const bool any = !windows.isEmpty();
  window_menu_->addAction(Tr("Affianca"), mdi_, &QMdiArea::tileSubWindows)->setEnabled(any);
  window_menu_->addAction(Tr("Sovrapponi"), mdi_, &QMdiArea::cascadeSubWindows)->setEnabled(any);
  QAction* next = window_menu_->addAction(Tr("Finestra successiva"), mdi_, &QMdiArea::activateNextSubWindow);
  next->setShortcut(QKeySequence::NextChild);
  next->setEnabled(windows.size() > 1);
  // Each window closes as its own X closes it (the module asks first).
  window_menu_->addAction(Tr("Chiudi tutte"), mdi_, &QMdiArea::closeAllSubWindows)->setEnabled(any);
  if (!any) return;
  window_menu_->addSeparator();
  for (int i = 0; i < windows.size(); ++i) {
    QMdiSubWindow* window = windows[i];
    QAction* show = window_menu_->addAction(QString("&%1 %2").arg(i + 1).arg(window->widget()->windowTitle()));
    show->setCheckable(true);
    show->setChecked(window == mdi_->activeSubWindow());
    connect(show, &QAction::triggered, this, [this, window] { mdi_->setActiveSubWindow(window); });
  }
}

MainWindow::~MainWindow() {
  host::SetDebugOutputListener({});
  module_.reset();
}

void MainWindow::LoadCompanies() {
  // The companies of the database; the one asked for stays selectable.
  QStringList codes;
  try {
    auto connection = host::db::OpenConnection(settings_.connection);
    for (const auto& code : host::CompaniesOf(*connection)) codes << QString::fromStdString(code);
  } catch (const std::exception&) {
    // The module will say what is wrong with the database when it opens.
  }
  if (!codes.contains(QString::fromStdString(settings_.company))) codes << QString::fromStdString(settings_.company);
  const QSignalBlocker block(companies_);
  companies_->clear();
  companies_->addItems(codes);
  companies_->setCurrentText(QString::fromStdString(settings_.company));
  current_company_ = companies_->currentText();
}

void MainWindow::ChooseConnection() {
  ConnectionDialog dialog(settings_.connection, [this](const std::string& s) { return Tr(s); }, this);
  if (dialog.exec() != QDialog::Accepted) return;
  const std::string text = ConnectionText(dialog.Choice());
  if (!ChangeConnection(WithPassword(text, dialog.Password()))) return;
  QSettings settings(QSettings::IniFormat, QSettings::UserScope, "quarvelindo", "quarvelindo");
  if (!SaveConnection(settings, *settings_.passwords, text, dialog.Password())) {
    QMessageBox::information(this, windowTitle(),
                             Tr("Nessun portachiavi risponde: la password resta in memoria fino alla chiusura"));
  }
}

bool MainWindow::ChangeConnection(const std::string& connection) {
  // The module works on the old database: it closes first, or the change waits.
  if (module_ && navigator_->RaiseBeforeChangeDitta()) return false;
  module_.reset();
  settings_.connection = connection;
  global_->connection_info.connection_string = connection;
  LoadCompanies();
  global_->company.code = current_company_.toStdString();
  statusBar()->showMessage(Tr("Database") + ": " +
                           QString::fromStdString(host::db::ConnectionString::Redacted(settings_.connection)));
  return true;
}

QString MainWindow::Tr(const std::string& italian) const {
  return QString::fromStdString(global_->translation->Caption(italian));
}

void MainWindow::OpenModule() {
  // The module open already: its window comes forward (the query form, or
  // the results form while it shows).
  for (const char* name : {"FRMPD_MAVANZORDLAV", "FRMPD_QUARVELINDO"}) {
    for (auto* sub : mdi_->subWindowList()) {
      if (module_ && sub->widget() != nullptr && sub->widget()->objectName() == name && sub->isVisible()) {
        mdi_->setActiveSubWindow(sub);
        return;
      }
    }
  }
  try {
    if (!loader_) loader_ = std::make_unique<ModuleLoader>(settings_.module_path);
    module_ = loader_->Create();
    auto frame = std::make_shared<host::qt::MdiFrame>();
    frame->area = mdi_;
    module_->SetClsGlobal(global_);
    module_->SetActiveFrame(frame);
    module_->SetActiveNavigator(navigator_);
    module_->LetCaption(Tr("Comparazione tempi lavorazione").toStdString());
    module_->LetMenuModulo("PD");
    module_->LetWindowState(0);
    module_->LetWindowModal(false);
    module_->LetIsActive(true);
    module_->ShowForm();
  } catch (const std::exception& e) {
    QMessageBox::critical(this, windowTitle(), QString::fromUtf8(e.what()));
  }
}

void MainWindow::ChangeCompany(const QString& code) {
  if (code == current_company_) return;
  if (navigator_->RaiseBeforeChangeDitta()) {
    const QSignalBlocker block(companies_);
    companies_->setCurrentText(current_company_);
    return;
  }
  current_company_ = code;
  global_->company.code = code.toStdString();
  // The module closed its forms: the host releases it.
  module_.reset();
  statusBar()->showMessage(Tr("Ditta") + " " + code);
}

}  // namespace shell
