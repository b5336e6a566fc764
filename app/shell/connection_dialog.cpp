#include "app/shell/connection_dialog.h"

#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QStandardPaths>
#include <QTimer>
#include <QVBoxLayout>
#include <thread>

#include "app/shell/odbc_sources.h"
#include "demo/erp_database.h"
#include "host/db/connection.h"
#include "host/db/connection_string.h"
#include "host/qt/wait_pointer.h"

namespace shell {

ConnectionDialog::ConnectionDialog(const std::string& current, Translate tr, QWidget* parent)
    : QDialog(parent), tr_(std::move(tr)) {
  setObjectName("ConnectionDialog");
  setWindowTitle(tr_("Connessione al database"));
  demo_path_ = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) + "/demo.db";
  const SplitPassword split = TakePassword(current);
  const ConnectionChoice choice = ParseChoice(split.connection);

  auto* layout = new QVBoxLayout(this);
  file_kind_ = new QRadioButton(tr_("File SQLite"), this);
  file_kind_->setObjectName("FileKind");
  layout->addWidget(file_kind_);
  auto* file_row = new QHBoxLayout;
  file_ = new QLineEdit(QString::fromStdString(choice.file), this);
  file_->setObjectName("File");
  browse_ = new QPushButton(tr_("Sfoglia") + "...", this);
  demo_ = new QPushButton(tr_("Demo"), this);
  demo_->setObjectName("Demo");
  file_row->addWidget(file_, 1);
  file_row->addWidget(browse_);
  file_row->addWidget(demo_);
  layout->addLayout(file_row);

  dsn_kind_ = new QRadioButton(tr_("Origine dati ODBC"), this);
  dsn_kind_->setObjectName("DsnKind");
  layout->addWidget(dsn_kind_);
  dsn_ = new QComboBox(this);
  dsn_->setObjectName("Dsn");
  dsn_->setEditable(true);
  for (const auto& name : OdbcDataSources()) dsn_->addItem(QString::fromStdString(name));
  dsn_->setCurrentText(QString::fromStdString(choice.dsn));
  layout->addWidget(dsn_);

  driver_kind_ = new QRadioButton(tr_("Driver ODBC"), this);
  driver_kind_->setObjectName("DriverKind");
  layout->addWidget(driver_kind_);
  auto* form = new QFormLayout;
  driver_ = new QComboBox(this);
  driver_->setObjectName("Driver");
  driver_->setEditable(true);
  for (const auto& name : OdbcDrivers()) driver_->addItem(QString::fromStdString(name));
  if (!choice.driver.empty()) driver_->setCurrentText(QString::fromStdString(choice.driver));
  server_ = new QLineEdit(QString::fromStdString(choice.server), this);
  server_->setObjectName("Server");
  port_ = new QLineEdit(QString::fromStdString(choice.port), this);
  port_->setObjectName("Port");
  port_->setValidator(new QIntValidator(1, 65535, port_));
  port_->setPlaceholderText("1433");
  database_ = new QLineEdit(QString::fromStdString(choice.database), this);
  database_->setObjectName("Database");
  form->addRow(tr_("Driver"), driver_);
  form->addRow(tr_("Server"), server_);
  form->addRow(tr_("Porta"), port_);
  form->addRow(tr_("Database"), database_);
  layout->addLayout(form);

  auto* login = new QFormLayout;
  user_ = new QLineEdit(QString::fromStdString(choice.user), this);
  user_->setObjectName("User");
  password_ = new QLineEdit(QString::fromStdString(split.password.value_or("")), this);
  password_->setObjectName("Password");
  password_->setEchoMode(QLineEdit::Password);
  login->addRow(tr_("Utente"), user_);
  login->addRow(tr_("Password"), password_);
  layout->addLayout(login);

  auto* test_row = new QHBoxLayout;
  test_ = new QPushButton(tr_("Prova connessione"), this);
  test_->setObjectName("ProvaConnessione");
  outcome_ = new QLabel(this);
  outcome_->setObjectName("Esito");
  outcome_->setWordWrap(true);
  test_row->addWidget(test_);
  test_row->addWidget(outcome_, 1);
  layout->addLayout(test_row);

  auto* buttons = new QDialogButtonBox(this);
  buttons->addButton(tr_("OK"), QDialogButtonBox::AcceptRole);
  buttons->addButton(tr_("Annulla"), QDialogButtonBox::RejectRole);
  layout->addWidget(buttons);
  connect(buttons, &QDialogButtonBox::accepted, this, [this] {
    // An empty choice would bring the dialog back at every start.
    const ConnectionChoice choice = Choice();
    const bool empty = choice.kind == ConnectionChoice::Kind::kFile     ? choice.file.empty()
                       : choice.kind == ConnectionChoice::Kind::kDataSource ? choice.dsn.empty()
                                                                          : choice.driver.empty() || choice.server.empty();
    if (empty) {
      outcome_->setText(tr_("Indicare un file SQLite o un'origine ODBC"));
      return;
    }
    accept();
  });
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

  switch (choice.kind) {
    case ConnectionChoice::Kind::kFile: file_kind_->setChecked(true); break;
    case ConnectionChoice::Kind::kDataSource: dsn_kind_->setChecked(true); break;
    case ConnectionChoice::Kind::kDriver: driver_kind_->setChecked(true); break;
  }
  for (auto* kind : {file_kind_, dsn_kind_, driver_kind_}) connect(kind, &QRadioButton::toggled, this, &ConnectionDialog::UpdateFields);
  connect(browse_, &QPushButton::clicked, this, [this] {
    const QString file = QFileDialog::getOpenFileName(this, tr_("File SQLite"), QFileInfo(file_->text()).path());
    if (!file.isEmpty()) file_->setText(file);
  });
  connect(demo_, &QPushButton::clicked, this, &ConnectionDialog::MakeDemo);
  connect(test_, &QPushButton::clicked, this, &ConnectionDialog::TestConnection);
  UpdateFields();
  resize(520, sizeHint().height());
}

ConnectionDialog::~ConnectionDialog() { *alive_ = false; }

void ConnectionDialog::UpdateFields() {
  const bool file = file_kind_->isChecked();
  const bool dsn = dsn_kind_->isChecked();
  for (QWidget* w : std::initializer_list<QWidget*>{file_, browse_, demo_}) w->setEnabled(file);
  dsn_->setEnabled(dsn);
  for (QWidget* w : std::initializer_list<QWidget*>{driver_, server_, port_, database_}) w->setEnabled(!file && !dsn);
  user_->setEnabled(!file);
  password_->setEnabled(!file);
}

ConnectionChoice ConnectionDialog::Choice() const {
  ConnectionChoice choice;
  choice.kind = file_kind_->isChecked()  ? ConnectionChoice::Kind::kFile
                : dsn_kind_->isChecked() ? ConnectionChoice::Kind::kDataSource
                                         : ConnectionChoice::Kind::kDriver;
  choice.file = file_->text().trimmed().toStdString();
  choice.dsn = dsn_->currentText().trimmed().toStdString();
  choice.driver = driver_->currentText().trimmed().toStdString();
  choice.server = server_->text().trimmed().toStdString();
  choice.port = port_->text().trimmed().toStdString();
  choice.database = database_->text().trimmed().toStdString();
  if (choice.kind != ConnectionChoice::Kind::kFile) choice.user = user_->text().trimmed().toStdString();
  return choice;
}

std::string ConnectionDialog::Password() const {
  return file_kind_->isChecked() ? std::string() : password_->text().toStdString();
}

void ConnectionDialog::MakeDemo() {
  QDir().mkpath(QFileInfo(demo_path_).path());
  if (!QFileInfo::exists(demo_path_)) {
    const host::qt::WaitPointer pointer;
    demo::GenerateDemoDatabase(demo_path_.toStdString(), {20000, 1});
  }
  file_kind_->setChecked(true);
  file_->setText(demo_path_);
}

void ConnectionDialog::TestConnection() {
  std::string text = WithPassword(ConnectionText(Choice()), Password());
  const host::db::ConnectionString parsed(text);
  if (text.find('=') != std::string::npos && !parsed.Has("LoginTimeout")) {
    text += ";LoginTimeout=" + std::to_string(login_timeout_);
  }
  test_->setEnabled(false);
  outcome_->setText(tr_("Prova in corso") + "...");
  // A driver may wait for a silent server longer than it was told: the
  // answer is given at the login timeout whatever it does, and its own
  // answer, should it come later, is dropped.
  const int attempt = ++attempt_;
  QTimer::singleShot(login_timeout_ * 1000 + 500, this, [this, attempt] {
    if (attempt == attempt_ && !test_->isEnabled()) {
      ShowOutcome(false, tr_("nessuna risposta entro") + QString(" %1 s").arg(login_timeout_));
    }
  });
  // The attempt may wait for a silent server: off the window thread. Its
  // answer comes back through the event loop, and only to a dialog still open.
  QPointer<ConnectionDialog> self(this);
  std::shared_ptr<bool> alive = alive_;
  const std::string password = Password();
  // A plain detached thread: one still waiting when the program ends holds
  // nothing the program must free or wait for.
  std::thread([self, alive, text, password, attempt] {
    bool ok = true;
    std::string message;
    try {
      auto connection = host::db::OpenConnection(text);
      connection->Close();
    } catch (const std::exception& e) {
      ok = false;
      message = e.what();
      // The data layer never names the password; nor does this dialog, whatever a driver says.
      for (size_t at = 0; !password.empty() && (at = message.find(password, at)) != std::string::npos;) {
        message.replace(at, password.size(), "***");
      }
    }
    QCoreApplication* application = QCoreApplication::instance();
    if (application == nullptr) return;
    QMetaObject::invokeMethod(application, [self, alive, ok, message, attempt] {
      if (*alive && self && attempt == self->attempt_ && !self->test_->isEnabled()) {
        self->ShowOutcome(ok, QString::fromStdString(message));
      }
    });
  }).detach();
}

void ConnectionDialog::ShowOutcome(bool ok, const QString& message) {
  test_->setEnabled(true);
  const QString text = ok ? tr_("Connessione riuscita") : tr_("Connessione non riuscita") + ": " + message;
  outcome_->setText(text);
  emit TestFinished(ok, text);
}

}  // namespace shell
