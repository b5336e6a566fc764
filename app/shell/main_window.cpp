#include "app/shell/main_window.h"

#include <QDockWidget>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QStatusBar>
#include <QToolBar>

#include "host/framework/debug_output.h"
#include "host/qt/mdi_frame.h"

namespace shell {

int32_t DialogPresenter::Show(const std::string& text, int32_t buttons, const std::string& title) {
  const QString t = QString::fromStdString(title);
  const QString m = QString::fromStdString(text);
  switch (buttons & 0x7) {
    case 4:  // Yes/No
      return QMessageBox::question(nullptr, t, m, QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes ? 6 : 7;
    case 2: {  // Abort/Retry/Ignore
      const auto a =
          QMessageBox::critical(nullptr, t, m, QMessageBox::Abort | QMessageBox::Retry | QMessageBox::Ignore);
      return a == QMessageBox::Abort ? 3 : (a == QMessageBox::Retry ? 4 : 5);
    }
    default: QMessageBox::information(nullptr, t, m); return 1;
  }
}

MainWindow::MainWindow(ShellSettings settings, std::shared_ptr<host::MessagePresenter> presenter)
    : settings_(std::move(settings)) {
  setWindowTitle("ERP — quarvelindo");
  resize(1100, 700);
  global_->connection_info.connection_string = settings_.connection;
  global_->company.code = settings_.company;
  global_->translation =
      std::make_shared<host::TranslationService>(host::MessageCatalog::BuiltIn(), settings_.language, presenter);
  global_->presenter = presenter;

  mdi_ = new QMdiArea(this);
  mdi_->setObjectName("MDIActiveX1");
  setCentralWidget(mdi_);

  auto* production = menuBar()->addMenu("&Produzione");
  module_action_ = production->addAction("Comparazione tempi lavorazione");
  connect(module_action_, &QAction::triggered, this, &MainWindow::OpenModule);
  menuBar()->addMenu("&Finestra")->addAction("Affianca", mdi_, &QMdiArea::tileSubWindows);

  auto* bar = addToolBar("Ditta");
  bar->addWidget(new QLabel(" Ditta: ", bar));
  companies_ = new QComboBox(bar);
  companies_->addItems({"1", "2"});
  companies_->setCurrentText(QString::fromStdString(settings_.company));
  current_company_ = companies_->currentText();
  bar->addWidget(companies_);
  connect(companies_, &QComboBox::currentTextChanged, this, &MainWindow::ChangeCompany);

  auto* dock = new QDockWidget("Debug output", this);
  debug_ = new QPlainTextEdit(dock);
  debug_->setReadOnly(true);
  debug_->setMaximumBlockCount(2000);
  dock->setWidget(debug_);
  addDockWidget(Qt::BottomDockWidgetArea, dock);
  resizeDocks({dock}, {110}, Qt::Vertical);
  host::SetDebugOutputListener([this](const std::string& line) {
    QMetaObject::invokeMethod(debug_, [this, line] { debug_->appendPlainText(QString::fromStdString(line)); });
  });
  statusBar()->showMessage(QString::fromStdString("Database: " + settings_.connection));
}

MainWindow::~MainWindow() {
  host::SetDebugOutputListener({});
  module_.reset();
}

void MainWindow::OpenModule() {
  try {
    if (!loader_) loader_ = std::make_unique<ModuleLoader>(settings_.module_path);
    module_ = loader_->Create();
    auto frame = std::make_shared<host::qt::MdiFrame>();
    frame->area = mdi_;
    module_->SetClsGlobal(global_);
    module_->SetActiveFrame(frame);
    module_->SetActiveNavigator(navigator_);
    module_->LetCaption("Comparazione tempi lavorazione");
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
  statusBar()->showMessage("Ditta " + code);
}

}  // namespace shell
